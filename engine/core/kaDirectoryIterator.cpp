#include "engine/core/kaDirectoryIterator.h"

#include "engine/core/kaStringUtils.h"
#include "platform/files/Files.h"

#include <vector>

struct kaDirectoryIterator::State
{
    int mode = kEveryEntry;
    std::vector<std::string> patterns;
    size_t pattern = 0;
    // The current pattern's listing; the iterator is at the end once every pattern is used up.
    std::vector<platform::DirectoryEntry> entries;
    size_t entry = 0;
    bool atEnd = false;

    bool Accepts(const platform::DirectoryEntry& candidate) const
    {
        return mode != kDirectoriesOnly || candidate.isDirectory;
    }

    // Moves from the current listing position to the first accepted entry, opening further patterns as
    // listings run out.
    void Settle()
    {
        for (;;)
        {
            while (entry < entries.size() && !Accepts(entries[entry]))
                ++entry;
            if (entry < entries.size())
                return;
            if (pattern >= patterns.size())
            {
                atEnd = true;
                entries.clear();
                return;
            }
            entries = platform::ListDirectory(patterns[pattern++]);
            entry = 0;
        }
    }
};

kaDirectoryIterator::kaDirectoryIterator() = default;

kaDirectoryIterator::kaDirectoryIterator(const std::string& patterns, int mode)
    : m_pState(std::make_shared<State>())
{
    m_pState->mode = mode;
    size_t start = 0;
    for (;;)
    {
        const size_t end = patterns.find(';', start);
        m_pState->patterns.push_back(Trim(patterns.substr(start, end - start)));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    m_pState->Settle();
}

kaDirectoryIterator::~kaDirectoryIterator() = default;
kaDirectoryIterator::kaDirectoryIterator(const kaDirectoryIterator& other) = default;
kaDirectoryIterator& kaDirectoryIterator::operator=(const kaDirectoryIterator& other) = default;

bool kaDirectoryIterator::AtEnd() const
{
    return !m_pState || m_pState->atEnd;
}

bool kaDirectoryIterator::operator!=(const kaDirectoryIterator& other) const
{
    return AtEnd() != other.AtEnd();
}

std::string kaDirectoryIterator::operator*() const
{
    return AtEnd() ? std::string() : m_pState->entries[m_pState->entry].name;
}

kaDirectoryIterator& kaDirectoryIterator::operator++()
{
    if (!AtEnd())
    {
        ++m_pState->entry;
        m_pState->Settle();
    }
    return *this;
}

std::string kaDirectoryIterator::ReadNext()
{
    std::string name = **this;
    ++*this;
    return name;
}
