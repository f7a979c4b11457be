#pragma once

#include <string>

class TiXmlElement;
class TiXmlNode;

// Values stored as the text of small child elements, such as <parent><speed>1.5</speed></parent>.
// Every function accepts null nodes. The getters throw ka::bad_lexical_cast on a text that is not a
// value of their type; a loader catches it at the edge of its file or record.

// The value of the element's first child when that child is text; "" otherwise.
std::string GetElementText(const TiXmlNode* element);
// The text of the parent's first child element of that name; "" when there is none or when the name
// is shorter than 2 characters.
std::string GetChildElementText(const std::string& name, const TiXmlNode* parent);

float GetElementFloat(const TiXmlNode* element);
int GetElementInt(const TiXmlNode* element);
// Reads "0" and "1" only.
bool GetElementBool(const TiXmlNode* element);
int GetChildElementInt(const std::string& name, const TiXmlNode* parent);

// A new empty element appended as the parent's last child; null when the parent is null.
TiXmlElement* AppendElement(TiXmlNode* parent, const std::string& name);
void AppendTextElement(TiXmlNode* parent, const std::string& name, const std::string& text);
// Seven significant digits.
void AppendFloatElement(TiXmlNode* parent, const std::string& name, float value);
void AppendIntElement(TiXmlNode* parent, const std::string& name, int value);
// "1" or "0".
void AppendBoolElement(TiXmlNode* parent, const std::string& name, bool value);
