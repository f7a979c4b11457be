#pragma once

#include "engine/core/kaAny.h"
#include "engine/gui/guiPropertyValues.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

class guiCoordPair;
class kaColor;

// Properties by name: each entry holds the value's text, the typed value and the order of insertion.
// Names hash by their length alone, so all names of one length share a bucket; lookups compare exactly,
// case included. A name inserted twice keeps both entries and is found as the first.
class GuiParamTable
{
public:
    struct Entry
    {
        std::string name;
        std::string text;
        ka::any value;
        uint32_t sequence = 0;
    };

    // A table without buckets stores nothing.
    explicit GuiParamTable(std::size_t bucketCount);

    void Insert(const std::string& name, const std::string& text, const ka::any& value);
    // The first entry of that exact name, or null.
    const Entry* Find(const std::string& name) const;

    std::size_t GetEntryCount() const { return m_EntryCount; }
    std::size_t GetBucketCount() const { return m_Buckets.size(); }
    // Every entry in the order of insertion.
    std::vector<const Entry*> GetEntries() const;

    static std::size_t BucketOf(const std::string& name, std::size_t bucketCount);
    // The first line of an entry's text without its line end ("\n" or "\r\n"): value kinds such as file
    // and font names are written with line ends after them.
    static std::string FirstLine(const std::string& text);
    // The font name an entry's text holds: its first line without trailing blanks.
    static std::string FontName(const std::string& text);

    // Each value with the text a text stream writes for it (bools as 1 or 0).
    void InsertInt(const std::string& name, int32_t value);
    void InsertFloat(const std::string& name, float value);
    void InsertBool(const std::string& name, bool value);
    void InsertString(const std::string& name, const std::string& value);
    void InsertColor(const std::string& name, const kaColor& value);
    void InsertCoordPair(const std::string& name, const guiCoordPair& value);
    // The current value's number as text, the choices in the typed value.
    void InsertEnum(const std::string& name, int32_t value,
                    const std::vector<std::pair<std::string, int32_t>>& choices);
    // The file name and the filter, each followed by a line end.
    void InsertFileName(const std::string& name, const std::string& fileName, const std::string& filter);
    void InsertAlignment(const std::string& name, int32_t flags);
    void InsertChildIndex(const std::string& name, int32_t index);
    // The name followed by a line end.
    void InsertFontName(const std::string& name, const std::string& fontName);
    // The text followed by a line end.
    void InsertMarkup(const std::string& name, const std::string& text);

private:
    struct Node
    {
        std::string name;
        Entry entry;
    };

    std::vector<std::list<Node>> m_Buckets;
    std::size_t m_EntryCount = 0;
    uint32_t m_Sequence = 0;
};
