#include "engine/core/kaXmlHelpers.h"

#include "engine/core/XmlDepthScanner.h"
#include "engine/core/kaLexicalCast.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/system/DebugOutput.h"

#include <cmath>
#include <cstring>
#include <tinyxml.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

const TiXmlElement* FindChild(const std::string& name, const TiXmlNode* parent)
{
    if (!parent || name.size() < 2)
        return nullptr;
    return parent->FirstChildElement(name);
}

// '<' bytes in the text, counted sixteen at a time; the count stops soon after it passes the limit.
size_t CountOpenings(const char* text, size_t size, size_t limit)
{
    size_t count = 0;
    size_t at = 0;
#if defined(__SSE2__)
    const __m128i opening = _mm_set1_epi8('<');
    // Byte lanes count up to 255 blocks before they are summed.
    constexpr size_t kBlocksPerSum = 255;
    while (size - at >= 16 && count <= limit)
    {
        __m128i lanes = _mm_setzero_si128();
        for (size_t block = 0; block < kBlocksPerSum && size - at >= 16; ++block, at += 16)
        {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, opening));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; at < size; ++at)
        count += text[at] == '<' ? 1 : 0;
    return count;
}

void RefuseUnreadable(const std::string& name)
{
    platform::DebugPrintf("[ParseXmlDocument] : %s is not well-formed XML; not loaded\n", name.c_str());
}

// The text is followed by the scanner's padding: TinyXML can step a whole UTF-8 sequence past the
// terminating NUL, and both read the same bytes. size is the text's length before the padding.
bool ParsePadded(TiXmlDocument& document, const char* padded, size_t size, const std::string& name)
{
    // Every element TinyXML opens starts at a '<' of its own, so a text with no more of them than the limit
    // cannot nest past it. Such a text goes straight to TinyXML; only when TinyXML stops with an error is it
    // walked, to refuse what the walk would have refused before parsing (a text TinyXML reads whole, the
    // walk never refuses).
    if (CountOpenings(padded, size, kMaxXmlDepth) <= static_cast<size_t>(kMaxXmlDepth))
    {
        TiXmlNode* const before = document.LastChild();
        document.Parse(padded);
        if (!document.Error())
            return true;
        if (XmlDepthScanner::MeasurePadded(padded, kMaxXmlDepth) != XmlDepthScanner::kUnreadable)
            return false;
        // Refused: nothing of this text stays in the document.
        for (TiXmlNode* node = before != nullptr ? before->NextSibling() : document.FirstChild(); node;)
        {
            TiXmlNode* const next = node->NextSibling();
            document.RemoveChild(node);
            node = next;
        }
        document.ClearError();
        RefuseUnreadable(name);
        return false;
    }
    const int depth = XmlDepthScanner::MeasurePadded(padded, kMaxXmlDepth);
    if (depth == XmlDepthScanner::kUnreadable)
    {
        RefuseUnreadable(name);
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
    return ParsePadded(document, padded.c_str(), text.size(), name);
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
    return ParsePadded(document, text.c_str(), out, name);
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
    // "nan" and "inf" would make the file unreadable: every reader refuses them.
    if (!std::isfinite(value))
    {
        platform::DebugPrintf("[AppendFloatElement] : %s is not a finite number; 0 written\n", name.c_str());
        value = 0.0f;
    }
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
