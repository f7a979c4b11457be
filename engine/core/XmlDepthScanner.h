#pragma once

#include <cstddef>
#include <string>

// Measures how deep TinyXML would nest the elements of a text, without recursing. It walks the text
// the way TinyXML's parser tokenises it (character entities that jump to their ';', UTF-8 sequences read
// as one character once the document is UTF-8, byte-order marks skipped as blanks, quoted values,
// comments, CDATA, declarations and unknown tags), so that a crafted file cannot hide elements from it.
// Where TinyXML stops with an error it stops too, and answers kUnreadable: it cannot tell what a reader that
// went on would find past that point, so the text must be refused rather than trusted.
class XmlDepthScanner
{
public:
    // Deeper than any limit, so that a guard comparing against its limit refuses the text.
    static constexpr int kUnreadable = 0x7fffffff;

    // The deepest nesting reached, counting an empty element as a level; counting stops once it
    // passes the limit. kUnreadable where the walk meets what TinyXML cannot read.
    static int Measure(const std::string& text, int limit);
    // As Measure, for a text already followed by kPadding NUL bytes past its terminating one (TinyXML
    // can step a whole UTF-8 sequence past the end), so that no copy is made. A walk that passes the limit
    // or cannot read on sets `stop`, when given, to the offset of the node it stopped at.
    static int MeasurePadded(const char* text, int limit, size_t* stop = nullptr);

    static constexpr size_t kPadding = 4;

private:
    enum class Encoding
    {
        kUnknown,
        kUtf8,
        kLegacy
    };

    XmlDepthScanner(const char* text, int limit) : m_Text(text), m_Limit(limit) {}

    int _Run();
    // Each step takes the position it starts at and answers the position after what it read, or null
    // where TinyXML fails.
    const char* _Node(const char* p, bool& opened);
    const char* _StartTag(const char* p, bool& opened);
    const char* _Attribute(const char* p, std::string* value);
    const char* _Declaration(const char* p);
    const char* _Text(const char* p);
    const char* _QuotedText(const char* p, char quote, std::string* value);
    const char* _Character(const char* p, std::string* value) const;
    const char* _Entity(const char* p, std::string* value) const;
    const char* _SkipBlanks(const char* p) const;

    const char* m_Text;
    // The start of the node the walk is on.
    const char* m_Node = nullptr;
    int m_Limit;
    Encoding m_Encoding = Encoding::kUnknown;
    int m_Depth = 0;
    int m_Deepest = 0;
    bool m_Unreadable = false;
    std::string m_DeclaredEncoding;
};
