#pragma once

#include <memory>
#include <string>

// Lists the entries that match one or more wildcard patterns joined by ';', pattern by pattern, each
// pattern's matches sorted by name. Copies share one position: advancing one advances them all.
// A default-constructed iterator is the end.
class kaDirectoryIterator
{
public:
    enum Mode
    {
        kEveryEntry = 0,
        kDirectoriesOnly = 1,
    };

    kaDirectoryIterator();
    kaDirectoryIterator(const std::string& patterns, int mode);
    ~kaDirectoryIterator();
    kaDirectoryIterator(const kaDirectoryIterator& other);
    kaDirectoryIterator& operator=(const kaDirectoryIterator& other);

    // True when exactly one of the two is at the end.
    bool operator!=(const kaDirectoryIterator& other) const;

    // The current entry's name without its folder; "" at the end.
    std::string operator*() const;
    kaDirectoryIterator& operator++();
    // The current name, then advances.
    std::string ReadNext();

    bool AtEnd() const;

private:
    struct State;
    std::shared_ptr<State> m_pState;
};
