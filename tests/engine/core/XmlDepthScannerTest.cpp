#include "engine/core/XmlDepthScanner.h"

#include <gtest/gtest.h>
#include <random>
#include <tinyxml.h>

namespace
{

// The deepest element nesting of a parsed document, walked without recursion.
int TreeDepth(const TiXmlNode& document)
{
    int deepest = 0;
    int depth = 0;
    const TiXmlNode* node = document.FirstChild();
    while (node)
    {
        if (node->ToElement())
            deepest = std::max(deepest, depth + 1);
        if (node->FirstChild())
        {
            depth += node->ToElement() ? 1 : 0;
            node = node->FirstChild();
            continue;
        }
        while (node && !node->NextSibling())
        {
            node = node->Parent();
            if (node == &document)
                return deepest;
            depth -= node->ToElement() ? 1 : 0;
        }
        node = node ? node->NextSibling() : nullptr;
    }
    return deepest;
}

TEST(XmlDepthScanner, CountsOnlyWhatTinyXmlReadsAsElements)
{
    const struct
    {
        const char* text;
        int depth;
    } cases[] = {
        {"", 0},
        {"<a/>", 1},
        {"<a><b><c/></b><d/></a>", 3},
        {"<a><!-- <b><c> --></a>", 1},
        {"<a><![CDATA[<b><c>]]></a>", 1},
        {"<a x='<b>' y=\"/>\"><b/></a>", 2},
        {"<?xml version=\"><c>\" ?><a/>", 1},
        {"<!DOCTYPE x><a/>", 1},
        // An unknown tag ends at its first '>', and stray text at the top level ends the document.
        {"<!DOCTYPE <b> x><a/>", 0},
        {"<a></a><a><b></b></a>", 2},
        // TinyXML stops at a quote inside an unquoted value: what follows is never looked at, so the text is
        // refused.
        {"<a x=b\"c><b><c></c></b></a>", XmlDepthScanner::kUnreadable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XmlDepthScanner::Measure(c.text, 1000), c.depth) << c.text;
}

// Random soups of the tokens that change how TinyXML reads what follows, in each way a document can be
// read (no declaration, UTF-8 by its byte-order mark or declaration, another encoding): the measure must
// never fall short of the depth TinyXML actually builds, or a crafted file would slip past the guard.
TEST(XmlDepthScanner, NeverBelowWhatTinyXmlBuilds)
{
    const char* const starts[] = {"", "\xef\xbb\xbf", "<?xml version=\"1.0\"?>", "<?xml encoding='latin1'?>",
                                  "<?xml encoding=\"&#85;TF8\"?>"};
    const char* const tokens[] = {"<a>", "</a>", "<b/>", "<a x=\"", "<a x='", "\"", "'", ">", "/>", "<!--",
                                  "-->", "<![CDATA[", "]]>", "<?xml version=\"", "?>", "<!", "<", "=", " ",
                                  "t", "&#x", "&#", "x;", "1;", ";", "\n", "<a x=y>", "<a x=y\"", "</",
                                  "\xc1", "\xc3", "\xe2", "\xf0", "\xf5", "\xef\xbb\xbf", "\xef\xbf"};
    std::mt19937 random(20261207);
    std::uniform_int_distribution<size_t> pickStart(0, std::size(starts) - 1);
    std::uniform_int_distribution<size_t> pickToken(0, std::size(tokens) - 1);
    for (int round = 0; round < 40000; ++round)
    {
        std::string text = starts[pickStart(random)];
        for (int i = 0; i < 40; ++i)
            text += tokens[pickToken(random)];
        // TinyXML may step up to three bytes past the end.
        const std::string padded = text + std::string(4, '\0');
        TiXmlDocument document;
        document.Parse(padded.c_str());
        ASSERT_GE(XmlDepthScanner::Measure(text, 1000), TreeDepth(document)) << text;
    }
}

TEST(XmlDepthScanner, StopsCountingPastTheLimit)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ(XmlDepthScanner::Measure(deep, 256), 257);
    EXPECT_EQ(XmlDepthScanner::Measure(deep, 100000), 100000);
}

// A byte-order mark after '<' is skipped as a blank in a UTF-8 document: the element is read by the name
// behind it. Elsewhere the mark is part of the name.
TEST(XmlDepthScanner, ReadsTheNameBehindBlanksAndMarksAfterTheOpeningBracket)
{
    const struct
    {
        const char* text;
        int depth;
    } cases[] = {
        {"\xef\xbb\xbf<\xef\xbb\xbf a><\xef\xbf\xbe\nb><\xef\xbf\xbf\xef\xbb\xbf c/></b></a>", 3},
        {"<?xml version='1.0'?><\xef\xbb\xbf a><\xef\xbb\xbf b/></a>", 2},
        {"<?xml encoding='latin1'?><\xef\xbb\xbf" "a><\xef\xbb\xbf" "b/></\xef\xbb\xbf" "a>", 2},
        {"<\xef\xbb\xbf" "a><b/></\xef\xbb\xbf" "a>", 2},
        // Without the UTF-8 reading the mark is a name and the blank behind it starts an attribute.
        {"<\xef\xbb\xbf a><b/></a>", XmlDepthScanner::kUnreadable},
        // A blank right after '<' makes an unknown tag.
        {"<a>< b><c/></a>", 2},
        // Nothing readable as a name behind the marks.
        {"\xef\xbb\xbf<a><\xef\xbb\xbf/b><c/></a>", XmlDepthScanner::kUnreadable},
        {"\xef\xbb\xbf<a><\xef\xbb\xbf><c/></a>", XmlDepthScanner::kUnreadable},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(XmlDepthScanner::Measure(c.text, 1000), c.depth) << c.text;
        // What TinyXML makes of the same text.
        TiXmlDocument document;
        document.Parse((std::string(c.text) + std::string(4, '\0')).c_str());
        if (c.depth == XmlDepthScanner::kUnreadable)
            EXPECT_TRUE(document.Error()) << c.text;
        else
            EXPECT_EQ(TreeDepth(document), c.depth) << c.text;
    }

    std::string hidden = "\xef\xbb\xbf";
    for (int i = 0; i < 100000; ++i)
        hidden += i % 2 ? "<\xef\xbf\xbe a>" : "<\xef\xbb\xbf" "a>";
    EXPECT_EQ(XmlDepthScanner::Measure(hidden, 256), 257);
}

// The scanner and TinyXML fed the same soups of tag openings, blanks and byte-order marks, in each way a
// document can be read: the scanner either refuses the text or measures at least what TinyXML builds, and
// a text TinyXML reads without error is never refused and measures exactly its depth.
TEST(XmlDepthScanner, AgreesWithTinyXmlOnMarksAndBlanksInTags)
{
    const char* const starts[] = {"", "\xef\xbb\xbf", "<?xml version=\"1.0\"?>", "<?xml encoding='latin1'?>"};
    const char* const tokens[] = {"<a>", "</a>", "<b/>", "<", "</", ">", "/>", " ", "\n", "a>", "a/>", " a>",
                                  "b x='v'>", "x=", "\xef\xbb\xbf", "\xef\xbf\xbe", "\xef\xbf\xbf",
                                  "<\xef\xbb\xbf", "<\xef\xbf\xbe", "<\xef\xbf\xbf", "\xef\xbb", "\xc3\xa9",
                                  "t", "<!-- c -->"};
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> pickStart(0, std::size(starts) - 1);
    std::uniform_int_distribution<size_t> pickToken(0, std::size(tokens) - 1);
    int readWhole = 0;
    for (int round = 0; round < 60000; ++round)
    {
        std::string text = starts[pickStart(random)];
        const int length = 2 + round % 30;
        for (int i = 0; i < length; ++i)
            text += tokens[pickToken(random)];
        const std::string padded = text + std::string(4, '\0');
        TiXmlDocument document;
        document.Parse(padded.c_str());
        const int measured = XmlDepthScanner::Measure(text, 1000);
        ASSERT_GE(measured, TreeDepth(document)) << text;
        if (!document.Error())
        {
            ++readWhole;
            ASSERT_EQ(measured, TreeDepth(document)) << text;
        }
    }
    // The soups must hold enough well-formed documents for the second check to mean something.
    EXPECT_GT(readWhole, 1000);
}

// Every byte value in each place where TinyXML asks what kind of character it has (a name's first and later
// characters, blanks between attributes, before a tag and inside an unquoted value), in each way a document
// can be read: refused or measured at least as deep as TinyXML builds, and exactly as deep when it reads.
TEST(XmlDepthScanner, ClassesEveryByteAsTinyXmlDoes)
{
    const char* const starts[] = {"", "\xef\xbb\xbf", "<?xml encoding='latin1'?>"};
    const struct
    {
        const char* before;
        const char* after;
    } places[] = {
        {"<r><", "a><b/></a></r>"}, {"<r><a", "b><c/></a></r>"},    {"<r><a", "x='1'><b/></a></r>"},
        {"<r>", "<a><b/></a></r>"}, {"<r><a x=1", "><b/></a></r>"}, {"<r><a x='1'", "/><b/></r>"},
    };
    int readWhole = 0;
    for (const char* start : starts)
        for (const auto& place : places)
            for (int byte = 1; byte < 256; ++byte)
            {
                const std::string text = std::string(start) + place.before + char(byte) + place.after;
                const std::string padded = text + std::string(4, '\0');
                TiXmlDocument document;
                document.Parse(padded.c_str());
                const int measured = XmlDepthScanner::Measure(text, 1000);
                ASSERT_GE(measured, TreeDepth(document)) << text << " byte " << byte;
                if (!document.Error())
                {
                    ++readWhole;
                    ASSERT_EQ(measured, TreeDepth(document)) << text << " byte " << byte;
                }
            }
    EXPECT_GT(readWhole, 1000);
}

// Long element text with, somewhere inside it, a byte or entity that changes how TinyXML steps through what
// follows (a UTF-8 lead byte swallowing a '<', character references jumping to their ';'), in each way a
// document can be read: the scanner never measures less than TinyXML builds, and exactly that when it reads.
TEST(XmlDepthScanner, ReadsLongTextAsTinyXmlSteps)
{
    const char* const starts[] = {"", "\xef\xbb\xbf", "<?xml encoding='latin1'?>"};
    const char* const inserts[] = {"\xc3<b/>",    "\xe2<<c/>",  "\xf0<b/><b/>", "&#<b/>#60;",
                                   "&#x<b/>x3c;", "&#1<b/>;",   "&amp;<b/>",    "\xef\xbb\xbf<b/>",
                                   "\x7f<b/>",    "\t\r\n<b/>", "\xa0<b/>"};
    const std::string plain = "resources/models/motorcycle/rider_skeleton.kmf";
    int readWhole = 0;
    for (const char* start : starts)
        for (const char* insert : inserts)
            for (size_t at = 0; at <= plain.size(); at += 7)
            {
                const std::string text = std::string(start) + "<r><a>" + plain.substr(0, at) + insert +
                                         plain.substr(at) + "</a></r>";
                TiXmlDocument document;
                document.Parse((text + std::string(4, '\0')).c_str());
                const int measured = XmlDepthScanner::Measure(text, 1000);
                ASSERT_GE(measured, TreeDepth(document)) << text;
                if (!document.Error())
                {
                    ++readWhole;
                    ASSERT_EQ(measured, TreeDepth(document)) << text;
                }
            }
    EXPECT_GT(readWhole, 100);
}

} // namespace
