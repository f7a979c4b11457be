#include "engine/scene/kaBlockKeys.h"

#include <tinyxml.h>

#include <cstring>

kaBlockKeys::kaBlockKeys() = default;

kaBlockKeys::~kaBlockKeys() = default;

void kaBlockKeys::Keep(const TiXmlElement* block, const char* key)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    if (child)
        _Replace(std::unique_ptr<TiXmlElement>(child->Clone()->ToElement()));
}

void kaBlockKeys::Set(const char* key, const std::string& text)
{
    auto element = std::make_unique<TiXmlElement>(key);
    element->InsertEndChild(TiXmlText(text));
    _Replace(std::move(element));
}

void kaBlockKeys::Write(TiXmlElement* element, const char* key) const
{
    if (const TiXmlElement* kept = _Find(key); kept && element)
        element->InsertEndChild(*kept);
}

const TiXmlElement* kaBlockKeys::_Find(const char* key) const
{
    for (const std::unique_ptr<TiXmlElement>& kept : m_Keys)
        if (std::strcmp(kept->Value(), key) == 0)
            return kept.get();
    return nullptr;
}

void kaBlockKeys::_Replace(std::unique_ptr<TiXmlElement> key)
{
    for (std::unique_ptr<TiXmlElement>& kept : m_Keys)
        if (std::strcmp(kept->Value(), key->Value()) == 0)
        {
            kept = std::move(key);
            return;
        }
    m_Keys.push_back(std::move(key));
}
