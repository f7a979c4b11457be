#include "engine/core/kaXmlHelpers.h"

#include "engine/core/XmlDepthScanner.h"
#include "engine/core/kaLexicalCast.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/system/DebugOutput.h"

#include <cstring>
#include <tinyxml.h>

namespace
{

const TiXmlElement* FindChild(const std::string& name, const TiXmlNode* parent)
{
    if (!parent || name.size() < 2)
        return nullptr;
    return parent->FirstChildElement(name);
}

// The text is followed by the scanner's padding: TinyXML can step a whole UTF-8 sequence past the
// terminating NUL, and both read the same bytes.
bool ParsePadded(TiXmlDocument& document, const char* padded, const std::string& name)
{
    const int depth = XmlDepthScanner::MeasurePadded(padded, kMaxXmlDepth);
    if (depth == XmlDepthScanner::kUnreadable)
    {
        platform::DebugPrintf("[ParseXmlDocument] : %s is not well-formed XML; not loaded\n", name.c_str());
        return false;
    }
    if (depth > kMaxXmlDepth)
    {
        platform::DebugPrintf("[ParseXmlDocument] : %s nests elements deeper than %d levels; not loaded\n",
                              name.c_str(), kMaxXmlDepth);
        return false;
    }
    document.Parse(padded);
    return !document.Error();
}

} // namespace

bool ParseXmlDocument(TiXmlDocument& document, const std::string& text, const std::string& name)
{
    std::string padded;
    padded.reserve(text.size() + XmlDepthScanner::kPadding);
    padded.assign(text).append(XmlDepthScanner::kPadding, '\0');
    return ParsePadded(document, padded.c_str(), name);
}

bool LoadXmlDocument(TiXmlDocument& document, FILE* file, const std::string& name)
{
    if (!file)
        return false;
    std::string text;
    char block[16384];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, got);
    return LoadXmlText(document, std::move(text), name);
}

bool LoadXmlText(TiXmlDocument& document, std::string text, const std::string& name)
{
    return ParseXmlText(document, text, name);
}

bool ParseXmlText(TiXmlDocument& document, std::string& text, const std::string& name)
{
    // As TinyXML's own file loading: read up to the first NUL, with CR-LF and CR made LF. Most files have
    // no CR, so nothing before the first one is moved.
    text.resize(std::strlen(text.c_str()));
    const size_t firstCr = text.find('\r');
    size_t out = firstCr == std::string::npos ? text.size() : firstCr;
    for (size_t in = out; in < text.size(); ++in)
    {
        const bool crlf = text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n';
        text[out++] = text[in] == '\r' ? '\n' : text[in];
        in += crlf ? 1 : 0;
    }
    text.resize(out);
    text.append(XmlDepthScanner::kPadding, '\0');
    return ParsePadded(document, text.c_str(), name);
}

bool SaveXmlDocument(const TiXmlDocument& document, const std::string& fileName)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    return platform::SafeFileWriter::WriteWhole(fileName, printer.Str());
}

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
