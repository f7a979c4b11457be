#include "engine/core/XmlDepthScanner.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

namespace
{

// The character classes TinyXML asks the C library for. Every locale classes ASCII alike, so those are
// answered here without a call per character; beyond ASCII the locale decides blanks, as it does for
// TinyXML, and names take every such byte.
bool IsBlank(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 128)
        return u == ' ' || (u >= '\t' && u <= '\r');
    return std::isspace(u) != 0;
}

bool IsAsciiLetter(unsigned char u)
{
    const unsigned char lower = u | 0x20;
    return lower >= 'a' && lower <= 'z';
}

bool IsNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || IsAsciiLetter(u) || c == '_';
}

bool IsNameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || IsAsciiLetter(u) || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' ||
           c == ':';
}

// A byte that text reads as one character of its own: ASCII other than NUL, the '<' that ends the text
// and the '&' that may start an entity.
bool IsPlainText(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u - 1u < 127u && c != '<' && c != '&';
}

bool StartsWith(const char* p, const char* prefix, bool ignoreCase = false)
{
    const size_t length = std::strlen(prefix);
    return ignoreCase ? strncasecmp(p, prefix, length) == 0 : std::strncmp(p, prefix, length) == 0;
}

// The bytes TinyXML reads as one character from a UTF-8 lead byte.
int SequenceLength(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0xc2 && u <= 0xdf)
        return 2;
    if (u >= 0xe0 && u <= 0xef)
        return 3;
    if (u >= 0xf0 && u <= 0xf4)
        return 4;
    return 1;
}

} // namespace

int XmlDepthScanner::Measure(const std::string& text, int limit)
{
    // A UTF-8 lead byte at the very end makes TinyXML step past the terminating NUL; the padding keeps
    // this walk inside its own buffer.
    std::string padded;
    padded.reserve(text.size() + kPadding);
    padded.assign(text).append(kPadding, '\0');
    return MeasurePadded(padded.c_str(), limit);
}

int XmlDepthScanner::MeasurePadded(const char* text, int limit, size_t* stop)
{
    XmlDepthScanner scanner(text, limit);
    const int depth = scanner._Run();
    if (stop != nullptr && depth > limit && scanner.m_Node != nullptr)
        *stop = static_cast<size_t>(scanner.m_Node - text);
    return depth;
}

int XmlDepthScanner::_Run()
{
    const char* p = m_Text;
    if (StartsWith(p, "\xef\xbb\xbf"))
        m_Encoding = Encoding::kUtf8;
    p = _SkipBlanks(p);
    // Each pass reads one node, at the top level or inside the element open at the time.
    while (p && *p && m_Deepest <= m_Limit)
    {
        m_Node = p;
        bool opened = false;
        if (m_Depth == 0)
        {
            // Stray text at the top level ends TinyXML's reading.
            if (*p != '<')
                break;
            const bool declaration = StartsWith(p, "<?xml", true);
            p = _Node(p, opened);
            // The first declaration settles how the rest of the document is read.
            if (declaration && m_Encoding == Encoding::kUnknown)
            {
                const char* declared = m_DeclaredEncoding.c_str();
                m_Encoding = m_DeclaredEncoding.empty() || StartsWith(declared, "utf-8", true) ||
                                     StartsWith(declared, "utf8", true)
                                 ? Encoding::kUtf8
                                 : Encoding::kLegacy;
            }
        }
        else if (*p != '<')
            p = _Text(p);
        else if (StartsWith(p, "</"))
        {
            // TinyXML fails on an end tag that does not name the open element; reading any name here only
            // goes on further than it would.
            for (p += 2; IsNameChar(*p);)
                ++p;
            p = _SkipBlanks(p);
            if (*p != '>')
            {
                m_Unreadable = true;
                break;
            }
            ++p;
            --m_Depth;
        }
        else
            p = _Node(p, opened);
        if (p)
            p = _SkipBlanks(p);
        else
            m_Unreadable = true;
    }
    return m_Unreadable && m_Deepest <= m_Limit ? kUnreadable : m_Deepest;
}

const char* XmlDepthScanner::_Node(const char* p, bool& opened)
{
    if (StartsWith(p, "<?xml", true))
        return _Declaration(p);
    if (StartsWith(p, "<!--"))
    {
        const char* end = std::strstr(p + 4, "-->");
        return end ? end + 3 : p + std::strlen(p);
    }
    if (StartsWith(p, "<![CDATA["))
    {
        const char* end = std::strstr(p + 9, "]]>");
        return end ? end + 3 : nullptr;
    }
    if (IsNameStart(p[1]))
        return _StartTag(p, opened);
    // Anything else is an unknown tag, read up to the next '>'.
    const char* end = std::strchr(p + 1, '>');
    return end ? end + 1 : p + std::strlen(p);
}

const char* XmlDepthScanner::_StartTag(const char* p, bool& opened)
{
    // Every start tag costs TinyXML a level, an empty or unreadable one too.
    m_Deepest = std::max(m_Deepest, m_Depth + 1);
    // TinyXML skips blanks after the '<', and byte-order marks too in a UTF-8 document, before the name.
    p = _SkipBlanks(p + 1);
    if (!IsNameStart(*p))
        return nullptr;
    while (IsNameChar(*p))
        ++p;
    for (;;)
    {
        p = _SkipBlanks(p);
        if (!*p)
            return nullptr;
        if (*p == '/')
            return p[1] == '>' ? p + 2 : nullptr;
        if (*p == '>')
        {
            opened = true;
            ++m_Depth;
            return p + 1;
        }
        p = _Attribute(p, nullptr);
        if (!p || !*p)
            return nullptr;
    }
}

const char* XmlDepthScanner::_Attribute(const char* p, std::string* value)
{
    p = _SkipBlanks(p);
    if (!IsNameStart(*p))
        return nullptr;
    while (IsNameChar(*p))
        ++p;
    p = _SkipBlanks(p);
    if (*p != '=')
        return nullptr;
    p = _SkipBlanks(p + 1);
    if (*p == '"' || *p == '\'')
        return _QuotedText(p + 1, *p, value);
    if (!*p)
        return nullptr;
    // An unquoted value ends at a blank, '/' or '>'; a quote inside it is an error.
    for (; *p && !IsBlank(*p) && *p != '/' && *p != '>'; ++p)
    {
        if (*p == '"' || *p == '\'')
            return nullptr;
        if (value)
            value->push_back(*p);
    }
    return p;
}

const char* XmlDepthScanner::_Declaration(const char* p)
{
    m_DeclaredEncoding.clear();
    for (p += 5; *p;)
    {
        if (*p == '>')
            return p + 1;
        p = _SkipBlanks(p);
        if (StartsWith(p, "version", true) || StartsWith(p, "encoding", true) ||
            StartsWith(p, "standalone", true))
        {
            std::string* value = nullptr;
            if (StartsWith(p, "encoding", true))
            {
                m_DeclaredEncoding.clear();
                value = &m_DeclaredEncoding;
            }
            p = _Attribute(p, value);
            if (!p)
                return nullptr;
        }
        else
        {
            while (*p && *p != '>' && !IsBlank(*p))
                ++p;
        }
    }
    return nullptr;
}

const char* XmlDepthScanner::_Text(const char* p)
{
    for (p = _SkipBlanks(p); *p && *p != '<';)
    {
        // Text is mostly plain ASCII, one character a byte in every reading: those runs are skipped whole.
        while (IsPlainText(*p))
            ++p;
        if (!*p || *p == '<')
            break;
        if (IsBlank(*p))
            ++p;
        else if (!(p = _Character(p, nullptr)))
            return nullptr;
    }
    return *p ? p : nullptr;
}

const char* XmlDepthScanner::_QuotedText(const char* p, char quote, std::string* value)
{
    while (*p && *p != quote)
    {
        if (!(p = _Character(p, value)))
            return nullptr;
    }
    return *p ? p + 1 : p;
}

const char* XmlDepthScanner::_Character(const char* p, std::string* value) const
{
    const int length = m_Encoding == Encoding::kUtf8 ? SequenceLength(*p) : 1;
    if (length == 1 && *p == '&')
        return _Entity(p, value);
    if (value)
        value->push_back(*p);
    return p + length;
}

// "&#NN;" and "&#xHH;" are read from the first ';' back to the '#' or the nearest 'x', which can make
// TinyXML jump over tags; any other '&' is one character.
const char* XmlDepthScanner::_Entity(const char* p, std::string* value) const
{
    if (p[1] != '#' || !p[2])
    {
        if (value)
            value->push_back(*p);
        return p + 1;
    }
    const bool hex = p[2] == 'x';
    if (hex && !p[3])
        return nullptr;
    const char* end = std::strchr(p + (hex ? 3 : 2), ';');
    if (!end)
        return nullptr;
    unsigned long code = 0;
    unsigned long scale = 1;
    for (const char* q = end - 1; *q != (hex ? 'x' : '#'); --q, scale *= hex ? 16 : 10)
    {
        if (*q >= '0' && *q <= '9')
            code += scale * static_cast<unsigned long>(*q - '0');
        else if (hex && *q >= 'a' && *q <= 'f')
            code += scale * static_cast<unsigned long>(*q - 'a' + 10);
        else if (hex && *q >= 'A' && *q <= 'F')
            code += scale * static_cast<unsigned long>(*q - 'A' + 10);
        else
            return nullptr;
    }
    if (value)
        value->push_back(static_cast<char>(code));
    return end + 1;
}

const char* XmlDepthScanner::_SkipBlanks(const char* p) const
{
    for (;;)
    {
        // In a UTF-8 document TinyXML skips byte-order marks as it skips blanks.
        if (m_Encoding == Encoding::kUtf8 && *p == '\xef' &&
            (StartsWith(p, "\xef\xbb\xbf") || StartsWith(p, "\xef\xbf\xbe") || StartsWith(p, "\xef\xbf\xbf")))
            p += 3;
        else if (*p && IsBlank(*p))
            ++p;
        else
            return p;
    }
}
