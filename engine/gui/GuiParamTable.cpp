#include "engine/gui/GuiParamTable.h"

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

#include <algorithm>
#include <sstream>

namespace
{

template <typename T> std::string StreamText(const T& value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

GuiParamTable::GuiParamTable(std::size_t bucketCount) : m_Buckets(bucketCount) {}

std::size_t GuiParamTable::BucketOf(const std::string& name, std::size_t bucketCount)
{
    uint32_t h = 0;
    for (uint32_t i = 0; i < name.size(); ++i)
        h = (i ^ h) << 1;
    return bucketCount == 0 ? 0 : h % bucketCount;
}

void GuiParamTable::Insert(const std::string& name, const std::string& text, const ka::any& value)
{
    if (m_Buckets.empty())
        return;
    Node node;
    node.name = name;
    node.entry.name = name;
    node.entry.text = text;
    node.entry.value = value;
    node.entry.sequence = ++m_Sequence;
    m_Buckets[BucketOf(name, m_Buckets.size())].push_back(std::move(node));
    ++m_EntryCount;
}

const GuiParamTable::Entry* GuiParamTable::Find(const std::string& name) const
{
    if (m_Buckets.empty())
        return nullptr;
    for (const Node& node : m_Buckets[BucketOf(name, m_Buckets.size())])
        if (node.name == name)
            return &node.entry;
    return nullptr;
}

std::vector<const GuiParamTable::Entry*> GuiParamTable::GetEntries() const
{
    std::vector<const Entry*> entries;
    for (const auto& bucket : m_Buckets)
        for (const Node& node : bucket)
            entries.push_back(&node.entry);
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->sequence < b->sequence; });
    return entries;
}

void GuiParamTable::InsertInt(const std::string& name, int32_t value)
{
    Insert(name, StreamText(value), value);
}

void GuiParamTable::InsertFloat(const std::string& name, float value)
{
    Insert(name, StreamText(value), value);
}

void GuiParamTable::InsertBool(const std::string& name, bool value)
{
    Insert(name, StreamText(value), value);
}

void GuiParamTable::InsertString(const std::string& name, const std::string& value)
{
    Insert(name, value, value);
}

void GuiParamTable::InsertColor(const std::string& name, const kaColor& value)
{
    std::ostringstream text;
    value.WriteText(text);
    Insert(name, text.str(), value);
}

void GuiParamTable::InsertCoordPair(const std::string& name, const guiCoordPair& value)
{
    Insert(name, value.ToText(), value);
}

void GuiParamTable::InsertEnum(const std::string& name, int32_t value,
                               const std::vector<std::pair<std::string, int32_t>>& choices)
{
    Insert(name, StreamText(value), guiEnumValue{value, choices});
}

void GuiParamTable::InsertFileName(const std::string& name, const std::string& fileName,
                                   const std::string& filter)
{
    Insert(name, fileName + "\n" + filter + "\n", guiFileNameValue{fileName, filter});
}

void GuiParamTable::InsertAlignment(const std::string& name, int32_t flags)
{
    Insert(name, StreamText(flags), guiAlignmentValue{flags});
}

void GuiParamTable::InsertChildIndex(const std::string& name, int32_t index)
{
    Insert(name, StreamText(index), guiChildIndexValue{index});
}

std::string GuiParamTable::FirstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string GuiParamTable::FontName(const std::string& text)
{
    std::string name = FirstLine(text);
    const std::size_t end = name.find_last_not_of(" \t\r");
    name.erase(end == std::string::npos ? 0 : end + 1);
    return name;
}

void GuiParamTable::InsertFontName(const std::string& name, const std::string& fontName)
{
    Insert(name, fontName + "\n", guiFontNameValue{fontName});
}

void GuiParamTable::InsertMarkup(const std::string& name, const std::string& text)
{
    Insert(name, text + "\n", guiMarkupValue{text});
}
