#include "engine/scene/kaKeptBlocks.h"

#include <tinyxml.h>

#include <map>

namespace
{

std::unique_ptr<TiXmlElement> Copy(const TiXmlElement& element)
{
    return std::unique_ptr<TiXmlElement>(element.Clone()->ToElement());
}

void Append(TiXmlNode* parent, const std::vector<std::unique_ptr<TiXmlElement>>& elements)
{
    if (!parent)
        return;
    for (const std::unique_ptr<TiXmlElement>& element : elements)
        parent->InsertEndChild(*element);
}

} // namespace

kaKeptBlocks::kaKeptBlocks() = default;

kaKeptBlocks::~kaKeptBlocks() = default;

void kaKeptBlocks::Clear()
{
    m_ListIds.clear();
    m_InList.clear();
    m_LaterLists.clear();
    m_BeforeRoot.clear();
    m_AfterRoot.clear();
    m_Repeats.clear();
    m_States.reset();
    m_InRoot.clear();
}

bool kaKeptBlocks::IsEmpty() const
{
    return m_InList.empty() && m_LaterLists.empty() && m_BeforeRoot.empty() && m_AfterRoot.empty() &&
           m_Repeats.empty() && !m_States && m_InRoot.empty();
}

void kaKeptBlocks::NoteListEntity(int32_t id)
{
    m_ListIds.push_back(id);
}

void kaKeptBlocks::KeepInList(const TiXmlNode& node)
{
    m_InList.push_back({std::unique_ptr<TiXmlNode>(node.Clone()), m_ListIds.size()});
}

void kaKeptBlocks::KeepStates(const TiXmlElement& states)
{
    m_States = Copy(states);
}

bool kaKeptBlocks::WriteStates(TiXmlElement* root) const
{
    if (!root || !m_States)
        return false;
    root->InsertEndChild(*m_States);
    return true;
}

void kaKeptBlocks::KeepLaterList(const TiXmlElement& list)
{
    m_LaterLists.push_back(Copy(list));
}

void kaKeptBlocks::KeepBeforeRoot(const TiXmlElement& element)
{
    m_BeforeRoot.push_back(Copy(element));
}

void kaKeptBlocks::KeepAfterRoot(const TiXmlElement& element)
{
    m_AfterRoot.push_back(Copy(element));
}

void kaKeptBlocks::WriteList(TiXmlElement* list, const std::vector<int32_t>& ids,
                             const std::function<void(size_t)>& writeEntity) const
{
    if (!list)
        return;
    // Place 0 opens the list; place i + 1 follows the i-th entity written.
    std::map<int32_t, size_t> placeAfter;
    for (size_t i = 0; i < ids.size(); ++i)
        placeAfter[ids[i]] = i + 1;
    std::vector<std::vector<const TiXmlNode*>> atPlace(ids.size() + 1);
    for (const InList& kept : m_InList)
    {
        size_t place = 0;
        for (size_t before = kept.after; before-- > 0 && place == 0;)
        {
            const auto found = placeAfter.find(m_ListIds[before]);
            if (found != placeAfter.end())
                place = found->second;
        }
        atPlace[place].push_back(kept.node.get());
    }
    for (size_t place = 0; place <= ids.size(); ++place)
    {
        if (place > 0)
            writeEntity(place - 1);
        for (const TiXmlNode* node : atPlace[place])
            list->InsertEndChild(*node);
    }
}

void kaKeptBlocks::KeepRepeat(const TiXmlElement& element)
{
    m_Repeats.push_back(Copy(element));
}

void kaKeptBlocks::WriteRepeats(TiXmlElement* root) const
{
    if (!root)
        return;
    for (const std::unique_ptr<TiXmlElement>& repeat : m_Repeats)
    {
        TiXmlNode* last = nullptr;
        for (TiXmlElement* key = root->FirstChildElement(repeat->ValueStr()); key;
             key = key->NextSiblingElement(repeat->ValueStr()))
            last = key;
        if (last)
            root->InsertAfterChild(last, *repeat);
        else
            root->InsertEndChild(*repeat);
    }
}

void kaKeptBlocks::KeepInRoot(const TiXmlNode& text, const std::string& after)
{
    m_InRoot.emplace_back(after, std::unique_ptr<TiXmlNode>(text.Clone()));
}

void kaKeptBlocks::WriteInRoot(TiXmlElement* root) const
{
    if (!root)
        return;
    for (const auto& [after, text] : m_InRoot)
    {
        TiXmlNode* last = nullptr;
        for (TiXmlElement* key = after.empty() ? nullptr : root->FirstChildElement(after); key;
             key = key->NextSiblingElement(after))
            last = key;
        if (last)
            root->InsertAfterChild(last, *text);
        else if (root->FirstChild())
            root->InsertBeforeChild(root->FirstChild(), *text);
        else
            root->InsertEndChild(*text);
    }
}

void kaKeptBlocks::WriteLaterLists(TiXmlElement* root) const
{
    Append(root, m_LaterLists);
}

void kaKeptBlocks::WriteBeforeRoot(TiXmlNode* document) const
{
    Append(document, m_BeforeRoot);
}

void kaKeptBlocks::WriteAfterRoot(TiXmlNode* document) const
{
    Append(document, m_AfterRoot);
}
