#include "engine/scene/kaBlockKeys.h"

#include <tinyxml.h>

#include <algorithm>

namespace
{

bool IsNamed(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::unique_ptr<TiXmlElement> Copy(const TiXmlElement& element)
{
    return std::unique_ptr<TiXmlElement>(element.Clone()->ToElement());
}

} // namespace

kaBlockKeys::kaBlockKeys() = default;

kaBlockKeys::~kaBlockKeys() = default;

void kaBlockKeys::Keep(const TiXmlElement* block, const std::vector<std::string>& singles,
                       const std::vector<std::string>& lists)
{
    _Keep(block,
          [block, &singles, &lists](const TiXmlElement& child)
          {
              // Only the first of a single name is read.
              if (IsNamed(singles, child.ValueStr()))
                  return block->FirstChildElement(child.ValueStr()) == &child;
              return IsNamed(lists, child.ValueStr());
          });
}

void kaBlockKeys::KeepAllBut(const TiXmlElement* block, const std::vector<std::string>& read)
{
    m_Keys.clear();
    _Keep(block, [&read](const TiXmlElement& child) { return !IsNamed(read, child.ValueStr()); });
}

void kaBlockKeys::_Keep(const TiXmlElement* block, const std::function<bool(const TiXmlElement&)>& take)
{
    if (!block)
        return;
    std::vector<const TiXmlElement*> taken;
    for (const TiXmlElement* child = block->FirstChildElement(); child; child = child->NextSiblingElement())
        if (take(*child))
            taken.push_back(child);
    for (const TiXmlElement* child : taken)
        Forget(child->ValueStr());
    for (const TiXmlElement* child : taken)
        m_Keys.push_back(Copy(*child));
}

void kaBlockKeys::KeepElement(const TiXmlElement& key)
{
    const auto kept = std::find_if(m_Keys.begin(), m_Keys.end(),
                                   [&key](const std::unique_ptr<TiXmlElement>& held)
                                   { return held->ValueStr() == key.ValueStr(); });
    if (kept == m_Keys.end())
    {
        m_Keys.push_back(Copy(key));
        return;
    }
    // A list's other elements of the name go with it: the element stands for the key now.
    const size_t at = size_t(kept - m_Keys.begin());
    Forget(key.ValueStr());
    m_Keys.insert(m_Keys.begin() + std::ptrdiff_t(at), Copy(key));
}

void kaBlockKeys::Set(const std::string& key, const std::string& text)
{
    TiXmlElement element(key);
    element.InsertEndChild(TiXmlText(text));
    KeepElement(element);
}

void kaBlockKeys::Forget(const std::string& key)
{
    m_Keys.erase(std::remove_if(m_Keys.begin(), m_Keys.end(),
                                [&key](const std::unique_ptr<TiXmlElement>& held)
                                { return held->ValueStr() == key; }),
                 m_Keys.end());
}

void kaBlockKeys::Clear()
{
    m_Keys.clear();
}

void kaBlockKeys::TakeFrom(kaBlockKeys& other)
{
    for (std::unique_ptr<TiXmlElement>& key : other.m_Keys)
        m_Keys.push_back(std::move(key));
    other.m_Keys.clear();
}

bool kaBlockKeys::Has(const std::string& key) const
{
    return std::any_of(m_Keys.begin(), m_Keys.end(),
                       [&key](const std::unique_ptr<TiXmlElement>& held) { return held->ValueStr() == key; });
}

bool kaBlockKeys::Write(TiXmlElement* element, const std::string& key) const
{
    bool wrote = false;
    for (const std::unique_ptr<TiXmlElement>& held : m_Keys)
    {
        if (held->ValueStr() != key)
            continue;
        if (element)
            element->InsertEndChild(*held);
        wrote = true;
    }
    return wrote;
}

void kaBlockKeys::Write(TiXmlElement* element, const std::vector<std::string>& keys) const
{
    WriteAll(element, [&keys](const std::string& name) { return !IsNamed(keys, name); });
}

void kaBlockKeys::WriteAll(TiXmlElement* element, const std::function<bool(const std::string&)>& skip) const
{
    if (!element)
        return;
    for (const std::unique_ptr<TiXmlElement>& held : m_Keys)
        if (!skip || !skip(held->ValueStr()))
            element->InsertEndChild(*held);
}
