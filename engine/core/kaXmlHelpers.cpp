#include "engine/core/kaXmlHelpers.h"

#include "engine/core/kaLexicalCast.h"

#include <tinyxml.h>

namespace
{

const TiXmlElement* FindChild(const std::string& name, const TiXmlNode* parent)
{
    if (!parent || name.size() < 2)
        return nullptr;
    return parent->FirstChildElement(name);
}

} // namespace

std::string GetElementText(const TiXmlNode* element)
{
    if (!element)
        return std::string();
    const TiXmlNode* child = element->FirstChild();
    if (!child || !child->ToText())
        return std::string();
    return child->ValueStr();
}

std::string GetChildElementText(const std::string& name, const TiXmlNode* parent)
{
    return GetElementText(FindChild(name, parent));
}

float GetElementFloat(const TiXmlNode* element)
{
    const std::string text = GetElementText(element);
    return text.empty() ? 0.0f : ka::lexical_cast<float>(text);
}

int GetElementInt(const TiXmlNode* element)
{
    const std::string text = GetElementText(element);
    return text.empty() ? 0 : ka::lexical_cast<int>(text);
}

bool GetElementBool(const TiXmlNode* element)
{
    const std::string text = GetElementText(element);
    return text.empty() ? false : ka::lexical_cast<bool>(text);
}

int GetChildElementInt(const std::string& name, const TiXmlNode* parent)
{
    const TiXmlElement* child = FindChild(name, parent);
    return child ? GetElementInt(child) : 0;
}

TiXmlElement* AppendElement(TiXmlNode* parent, const std::string& name)
{
    if (!parent)
        return nullptr;
    TiXmlNode* inserted = parent->InsertEndChild(TiXmlElement(name));
    return inserted ? inserted->ToElement() : nullptr;
}

void AppendTextElement(TiXmlNode* parent, const std::string& name, const std::string& text)
{
    TiXmlElement* element = AppendElement(parent, name);
    if (element)
        element->InsertEndChild(TiXmlText(text));
}

void AppendFloatElement(TiXmlNode* parent, const std::string& name, float value)
{
    AppendTextElement(parent, name, ka::lexical_cast<std::string>(value));
}

void AppendIntElement(TiXmlNode* parent, const std::string& name, int value)
{
    AppendTextElement(parent, name, ka::lexical_cast<std::string>(value));
}

void AppendBoolElement(TiXmlNode* parent, const std::string& name, bool value)
{
    AppendTextElement(parent, name, value ? "1" : "0");
}
