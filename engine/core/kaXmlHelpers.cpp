#include "engine/core/kaXmlHelpers.h"

#include "engine/core/XmlDepthScanner.h"
#include "engine/core/kaLexicalCast.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/system/DebugOutput.h"

#include <cctype>
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

// " at row R, column C", counted from 1 as TinyXML counts; empty when the place is not known.
std::string Where(int row, int column)
{
    if (row <= 0)
        return "";
    return " at row " + std::to_string(row) + ", column " + std::to_string(column);
}

std::string WhereInText(const char* text, size_t offset)
{
    int row = 1;
    size_t lineStart = 0;
    for (size_t at = 0; at < offset; ++at)
    {
        if (text[at] == '\n')
        {
            ++row;
            lineStart = at + 1;
        }
    }
    return Where(row, static_cast<int>(offset - lineStart) + 1);
}

// TinyXML's own words for its error, without the full stop, and where it stopped.
std::string TinyXmlError(const TiXmlDocument& document)
{
    std::string description = document.ErrorDesc() != nullptr ? document.ErrorDesc() : "";
    while (!description.empty() && description.back() == '.')
        description.pop_back();
    if (description.empty())
        description = "not well-formed XML";
    return description + Where(document.ErrorRow(), document.ErrorCol());
}

// TinyXML ends a document without an error at text outside any element: what follows is never read, and a
// save of the document would lose it. Named on the debugger output and, when asked, in `unread`.
bool NoteUnread(const char* padded, size_t size, const char* stop, const std::string& name,
                std::string* unread)
{
    size_t at = stop != nullptr && stop >= padded ? static_cast<size_t>(stop - padded) : size;
    while (at < size && std::isspace(static_cast<unsigned char>(padded[at])))
        ++at;
    if (at >= size)
        return true;
    const std::string said = "text outside the elements" + WhereInText(padded, at);
    platform::DebugPrintf("[ParseXmlDocument] : %s holds %s; the rest is not read\n", name.c_str(),
                          said.c_str());
    if (unread != nullptr)
        *unread = said;
    return true;
}

// The text is followed by the scanner's padding: TinyXML can step a whole UTF-8 sequence past the
// terminating NUL, and both read the same bytes. size is the text's length before the padding. `why`, when
// given, is told what stopped a text that does not load.
bool ParsePadded(TiXmlDocument& document, const char* padded, size_t size, const std::string& name,
                 std::string* why, std::string* unread)
{
    // Every element TinyXML opens starts at a '<' of its own, so a text with no more of them than the limit
    // cannot nest past it. Such a text goes straight to TinyXML; only when TinyXML stops with an error is it
    // walked, to refuse what the walk would have refused before parsing (a text TinyXML reads whole, the
    // walk never refuses).
    if (CountOpenings(padded, size, kMaxXmlDepth) <= static_cast<size_t>(kMaxXmlDepth))
    {
        TiXmlNode* const before = document.LastChild();
        const char* const stop = document.Parse(padded);
        if (!document.Error())
            return NoteUnread(padded, size, stop, name, unread);
        if (why != nullptr)
            *why = TinyXmlError(document);
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
    size_t stop = 0;
    const int depth = XmlDepthScanner::MeasurePadded(padded, kMaxXmlDepth, &stop);
    if (depth == XmlDepthScanner::kUnreadable)
    {
        if (why != nullptr)
            *why = "not well-formed XML" + WhereInText(padded, stop);
        RefuseUnreadable(name);
        return false;
    }
    if (depth > kMaxXmlDepth)
    {
        if (why != nullptr)
            *why = "elements nested deeper than " + std::to_string(kMaxXmlDepth) + " levels" +
                   WhereInText(padded, stop);
        platform::DebugPrintf("[ParseXmlDocument] : %s nests elements deeper than %d levels; not loaded\n",
                              name.c_str(), kMaxXmlDepth);
        return false;
    }
    const char* const end = document.Parse(padded);
    if (!document.Error())
        return NoteUnread(padded, size, end, name, unread);
    if (why != nullptr)
        *why = TinyXmlError(document);
    return false;
}

// Reads up to the first NUL, with CR-LF and CR made LF, as TinyXML's own file loading does, and parses.
bool ParseNormalised(TiXmlDocument& document, std::string& text, const std::string& name, std::string* why,
                     std::string* unread = nullptr)
{
    const size_t nul = std::strlen(text.c_str());
    std::string cut;
    if (nul < text.size())
    {
        cut = "a NUL byte" + WhereInText(text.c_str(), nul);
        platform::DebugPrintf("[ParseXmlDocument] : %s holds %s; the rest is not read\n", name.c_str(),
                              cut.c_str());
    }
    // Most files have no CR, so nothing before the first one is moved.
    text.resize(nul);
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
    std::string tail;
    const bool parsed = ParsePadded(document, text.c_str(), out, name, why, &tail);
    // The first place the reading stopped at: text outside the elements comes before the NUL.
    if (unread != nullptr)
        *unread = !parsed ? std::string() : tail.empty() ? cut : tail;
    return parsed;
}

std::string ReadWhole(FILE* file)
{
    std::string text;
    char block[16384];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, got);
    return text;
}

} // namespace

bool ParseXmlDocument(TiXmlDocument& document, const std::string& text, const std::string& name)
{
    std::string padded;
    padded.reserve(text.size() + XmlDepthScanner::kPadding);
    padded.assign(text).append(XmlDepthScanner::kPadding, '\0');
    return ParsePadded(document, padded.c_str(), text.size(), name, nullptr, nullptr);
}

bool LoadXmlDocument(TiXmlDocument& document, FILE* file, const std::string& name)
{
    std::string why;
    return LoadXmlDocument(document, file, name, why);
}

bool LoadXmlDocument(TiXmlDocument& document, FILE* file, const std::string& name, std::string& why,
                     std::string* unread)
{
    if (!file)
    {
        why = "the file could not be read";
        return false;
    }
    std::string text = ReadWhole(file);
    return ParseNormalised(document, text, name, &why, unread);
}

bool LoadXmlText(TiXmlDocument& document, std::string text, const std::string& name)
{
    return ParseXmlText(document, text, name);
}

bool ParseXmlText(TiXmlDocument& document, std::string& text, const std::string& name)
{
    return ParseNormalised(document, text, name, nullptr);
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
