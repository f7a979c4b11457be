#pragma once

#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

// Keys of an entity's own block, kept as the file gave them so that a save writes them back unchanged:
// a record's values stay with the record, and a value the reader could not take is not lost.
class kaBlockKeys
{
public:
    kaBlockKeys();
    ~kaBlockKeys();
    kaBlockKeys(const kaBlockKeys&) = delete;
    kaBlockKeys& operator=(const kaBlockKeys&) = delete;

    // Keeps the first child of that name, in place of one kept before; nothing when there is none.
    void Keep(const TiXmlElement* block, const char* key);
    // A value the user gave: kept as the key's text from now on.
    void Set(const char* key, const std::string& text);
    // Appends the kept key, if any.
    void Write(TiXmlElement* element, const char* key) const;
    bool Has(const char* key) const { return _Find(key) != nullptr; }

private:
    const TiXmlElement* _Find(const char* key) const;
    void _Replace(std::unique_ptr<TiXmlElement> key);

    std::vector<std::unique_ptr<TiXmlElement>> m_Keys;
};
