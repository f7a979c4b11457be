#include "engine/core/kaXmlHelpers.h"

#include "engine/core/kaLexicalCast.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/DeepXml.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

// Runs a getter on an element holding one text node with exactly the given text (parsing would
// condense the blanks that these cases are about).
template <typename Getter> auto Read(Getter getter, const std::string& text)
{
    TiXmlElement element("value");
    element.InsertEndChild(TiXmlText(text));
    return getter(&element);
}

TiXmlDocument Parse(const char* xml)
{
    TiXmlDocument document;
    document.Parse(xml);
    EXPECT_FALSE(document.Error()) << xml;
    return document;
}

TEST(XmlText, OnlyALeadingTextChildCounts)
{
    const TiXmlDocument doc = Parse("<r><a>speed</a><b><!-- note -->text</b><c><x/>after</c><d/></r>");
    const TiXmlElement* root = doc.RootElement();
    EXPECT_EQ(GetElementText(root->FirstChildElement("a")), "speed");
    EXPECT_EQ(GetElementText(root->FirstChildElement("b")), "");
    EXPECT_EQ(GetElementText(root->FirstChildElement("c")), "");
    EXPECT_EQ(GetElementText(root->FirstChildElement("d")), "");
    EXPECT_EQ(GetElementText(nullptr), "");
}

TEST(XmlText, ChildTextNeedsANameOfTwoCharactersOrMore)
{
    const TiXmlDocument doc = Parse("<r><x>one</x><xy>first</xy><xy>second</xy></r>");
    const TiXmlElement* root = doc.RootElement();
    EXPECT_EQ(GetChildElementText("xy", root), "first");
    EXPECT_EQ(GetChildElementText("x", root), "");
    EXPECT_EQ(GetChildElementText("zz", root), "");
    EXPECT_EQ(GetChildElementText("xy", nullptr), "");
}

// The conversion rules themselves are ka::lexical_cast's; here, what reaches it and what does not.
TEST(XmlNumbers, ConvertTheTextAndReadEmptyOrNullAsZero)
{
    EXPECT_FLOAT_EQ(Read(GetElementFloat, "1.5 "), 1.5f);
    EXPECT_THROW(Read(GetElementFloat, " 1.5"), ka::bad_lexical_cast);
    EXPECT_THROW(Read(GetElementFloat, "1.5a"), ka::bad_lexical_cast);
    EXPECT_EQ(Read(GetElementFloat, ""), 0.0f);
    EXPECT_EQ(GetElementFloat(nullptr), 0.0f);
    EXPECT_EQ(Read(GetElementInt, "-42"), -42);
    EXPECT_EQ(GetElementInt(nullptr), 0);
    EXPECT_TRUE(Read(GetElementBool, "1"));
    EXPECT_THROW(Read(GetElementBool, "true"), ka::bad_lexical_cast);
    EXPECT_FALSE(Read(GetElementBool, ""));
}

TEST(XmlNumbers, ChildIntIsZeroWhenAbsentAndThrowsWhenMalformed)
{
    const TiXmlDocument doc = Parse("<r><id>7</id><n>x</n><bad>seven</bad></r>");
    const TiXmlElement* root = doc.RootElement();
    EXPECT_EQ(GetChildElementInt("id", root), 7);
    EXPECT_EQ(GetChildElementInt("n", root), 0);
    EXPECT_EQ(GetChildElementInt("missing", root), 0);
    EXPECT_EQ(GetChildElementInt("id", nullptr), 0);
    EXPECT_THROW(GetChildElementInt("bad", root), ka::bad_lexical_cast);
}

TEST(XmlWriting, AppendsInOrderAndReadsBack)
{
    TiXmlElement parent("player");
    AppendFloatElement(&parent, "tenth", 0.1f);
    AppendFloatElement(&parent, "third", 1.0f / 3.0f);
    AppendFloatElement(&parent, "half", 0.5f);
    AppendIntElement(&parent, "points", -1234567890);
    AppendBoolElement(&parent, "on", true);
    AppendBoolElement(&parent, "off", false);
    AppendTextElement(&parent, "name", "Ace Driver");
    TiXmlElement* empty = AppendElement(&parent, "empty");

    EXPECT_EQ(GetChildElementText("tenth", &parent), "0.1");
    EXPECT_EQ(GetChildElementText("third", &parent), "0.3333333");
    EXPECT_EQ(GetChildElementText("half", &parent), "0.5");
    EXPECT_EQ(GetChildElementText("points", &parent), "-1234567890");
    EXPECT_EQ(GetChildElementText("on", &parent), "1");
    EXPECT_EQ(GetChildElementText("off", &parent), "0");
    EXPECT_EQ(GetChildElementText("name", &parent), "Ace Driver");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty, parent.LastChild());
    EXPECT_EQ(empty->FirstChild(), nullptr);

    std::string order;
    for (const TiXmlElement* e = parent.FirstChildElement(); e; e = e->NextSiblingElement())
        order += e->ValueStr() + " ";
    EXPECT_EQ(order, "tenth third half points on off name empty ");
}

TEST(XmlWriting, NullParentInsertsNothing)
{
    EXPECT_EQ(AppendElement(nullptr, "x"), nullptr);
    AppendTextElement(nullptr, "x", "y");
    AppendFloatElement(nullptr, "x", 1.0f);
    AppendIntElement(nullptr, "x", 1);
    AppendBoolElement(nullptr, "x", true);
}

// Whatever a computation left in a value, the file stays readable: the reader refuses "nan" and "inf".
TEST(XmlWriting, ANumberThatIsNotFiniteIsWrittenAsZeroWithALine)
{
    const struct
    {
        float value;
        const char* text;
    } cases[] = {{std::numeric_limits<float>::quiet_NaN(), "0"},
                 {-std::numeric_limits<float>::quiet_NaN(), "0"},
                 {std::numeric_limits<float>::infinity(), "0"},
                 {-std::numeric_limits<float>::infinity(), "0"},
                 {std::numeric_limits<float>::max(), "3.402823e+38"},
                 {-std::numeric_limits<float>::denorm_min(), "-1.401298e-45"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        testsupport::DebugCapture debug;
        TiXmlElement parent("gear");
        AppendFloatElement(&parent, "force", c.value);
        EXPECT_EQ(GetChildElementText("force", &parent), c.text);
        EXPECT_NO_THROW(GetElementFloat(parent.FirstChildElement("force")));
        const bool finite = std::isfinite(c.value);
        EXPECT_EQ(debug.Lines(),
                  finite ? std::vector<std::string>{}
                         : std::vector<std::string>{
                               "[AppendFloatElement] : force is not a finite number; 0 written\n"});
    }
}

TEST(XmlDepth, LoadingRefusesDeepFilesBeforeParsing)
{
    testsupport::TempDir dir;
    const struct
    {
        int depth;
        bool loads;
    } cases[] = {{kMaxXmlDepth, true}, {kMaxXmlDepth + 1, false}, {40000, false}};
    for (const auto& c : cases)
    {
        const std::string path = dir.Write("deep.xml", testsupport::DeepXml("InitData", c.depth, "x"));
        testsupport::DebugCapture debug;
        TiXmlDocument document;
        FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(LoadXmlDocument(document, file, "deep.xml"), c.loads) << c.depth;
        std::fclose(file);
        EXPECT_EQ(document.FirstChild() != nullptr, c.loads) << c.depth;
        EXPECT_EQ(debug.Contains("deep.xml nests elements deeper than 256 levels"), !c.loads) << c.depth;
    }
}

// A file that does not load says why in words a user reads, and where: the XML reader's row and column, or
// the place the depth guard stopped at, counted after CR-LF line ends are made one.
TEST(XmlDepth, ARefusedFileSaysWhyAndWhere)
{
    std::string manyTags;
    for (int i = 0; i < 300; ++i)
        manyTags += "<a/>";
    const struct
    {
        const char* what;
        std::string text;
        std::string why;
    } cases[] = {
        {"an end tag that names another element", "<r>\r\n  <a></b>\r\n</r>",
         "Error reading end tag at row 2, column 6"},
        {"the same among more tags than the guard counts past", "<r>\n" + manyTags + "\n   <a></b>\n</r>",
         "Error reading end tag at row 3, column 7"},
        {"nesting past the guard: the element that opens level 257",
         "<r>\n" + testsupport::DeepXml("n", 300) + "</r>",
         "elements nested deeper than 256 levels at row 2, column " + std::to_string(255 * 3 + 1)},
        {"a tag the guard cannot read on past", "<r>\n" + manyTags + "\n<b x></b></r>",
         "not well-formed XML at row 3, column 1"},
        {"nothing at all", "", "Error document empty"},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("bad.xml", c.text);
        TiXmlDocument document;
        FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        std::string why;
        EXPECT_FALSE(LoadXmlDocument(document, file, "bad.xml", why));
        std::fclose(file);
        EXPECT_EQ(why, c.why);
    }
}

// TinyXML ends a document without an error at text outside any element, and its file loading at a NUL byte:
// the document loads as TinyXML's own loading reads it, and the loader says where the reading stopped short
// of the file's end, so that a caller about to save what it read can refuse.
TEST(XmlDepth, AFileThatGoesOnPastWhereTheReaderStopsSaysWhere)
{
    const struct
    {
        const char* what;
        std::string text;
        std::string unread;
    } cases[] = {
        {"one element and blanks", "<r/>\n \t\n", ""},
        {"two elements, both read", "<r/>\n<s><t/></s>\n", ""},
        {"a note between two elements", "<r/>\nnote\n<s/>\n", "text outside the elements at row 2, column 1"},
        {"after a declaration and a comment", "<?xml version=\"1.0\"?>\n<r/>\n<!-- c -->\n  x<s/>",
         "text outside the elements at row 4, column 3"},
        {"CR-LF line ends", "<r/>\r\n\r\n]]><s/>", "text outside the elements at row 3, column 1"},
        {"a NUL byte", std::string("<r/>\n<s/>\0<t/>", 15), "a NUL byte at row 2, column 5"},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("tail.xml", c.text);
        TiXmlDocument document;
        FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        std::string why;
        std::string unread = "not told";
        testsupport::DebugCapture debug;
        EXPECT_TRUE(LoadXmlDocument(document, file, "tail.xml", why, &unread));
        std::fclose(file);
        EXPECT_EQ(unread, c.unread);
        EXPECT_EQ(debug.Contains("tail.xml holds " + c.unread), !c.unread.empty());

        // The same document as TinyXML's own loading of the file.
        TiXmlDocument own;
        ASSERT_TRUE(own.LoadFile(path));
        TiXmlPrinter ours;
        TiXmlPrinter theirs;
        document.Accept(&ours);
        own.Accept(&theirs);
        EXPECT_EQ(ours.Str(), theirs.Str());
    }
}

TEST(XmlDepth, LoadingReadsLineEndsAsTinyXmlFileLoadingDoesAndSavingRoundTrips)
{
    testsupport::TempDir dir;
    const std::string path = dir.Write("lines.xml", "<r>\r\n<ab><![CDATA[one\r\ntwo\rthree]]></ab>\r\n</r>");
    TiXmlDocument document;
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(LoadXmlDocument(document, file, "lines.xml"));
    std::fclose(file);
    EXPECT_EQ(GetChildElementText("ab", document.FirstChildElement("r")), "one\ntwo\nthree");

    TiXmlDocument saved;
    AppendTextElement(AppendElement(&saved, "r"), "ab", "x < y");
    ASSERT_TRUE(SaveXmlDocument(saved, dir.File("saved.xml")));
    TiXmlDocument reread;
    file = std::fopen(dir.File("saved.xml").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(LoadXmlDocument(reread, file, "saved.xml"));
    std::fclose(file);
    EXPECT_EQ(GetChildElementText("ab", reread.FirstChildElement("r")), "x < y");
    EXPECT_FALSE(SaveXmlDocument(saved, dir.File("missing/saved.xml")));

    TiXmlDocument empty;
    EXPECT_FALSE(ParseXmlDocument(empty, "", "empty.xml"));
    EXPECT_FALSE(LoadXmlDocument(empty, nullptr, "none.xml"));
}

// One buffer parsed file after file, as a loader that keeps it does: each parse sees exactly its own text up
// to its first NUL, with CR-LF and CR made LF wherever the first CR falls, whatever the files before it left.
TEST(XmlDepth, ParsingInTheCallersBufferSeesOnlyEachText)
{
    const struct
    {
        std::string text;
        bool parses;
        const char* value;
    } cases[] = {
        {"<r><ab><![CDATA[one\r\ntwo\rthree and a long tail to leave behind]]></ab></r>", true,
         "one\ntwo\nthree and a long tail to leave behind"},
        {"<r><ab>x</ab></r>", true, "x"},
        {"<r><ab><![CDATA[\r\r\n\n]]></ab></r>\r", true, "\n\n\n"},
        {"<r><ab><![CDATA[no line ends at all]]></ab></r>", true, "no line ends at all"},
        {std::string("<r><ab>cut</ab></r>\0<r><ab>hidden</ab></r>", 42), true, "cut"},
        {"<r><ab><![CDATA[ends in a CR\r]]></ab></r>", true, "ends in a CR\n"},
        {"<r><ab>", false, ""},
        {"<r><ab>y</ab></r>", true, "y"},
    };
    std::string buffer;
    for (const auto& c : cases)
    {
        buffer = c.text;
        TiXmlDocument document;
        EXPECT_EQ(ParseXmlText(document, buffer, "case.xml"), c.parses) << c.text;
        EXPECT_EQ(GetChildElementText("ab", document.FirstChildElement("r")), c.value) << c.text;
    }
}

// Elements opened behind byte-order marks ("<" mark "a>") nest as deep as plain ones, and a text the guard
// cannot follow is refused before TinyXML reads any of it.
TEST(XmlDepth, ParsingRefusesHiddenNestingAndWhatTheGuardCannotFollow)
{
    const std::string marks[] = {"\xef\xbb\xbf", "\xef\xbf\xbe", "\xef\xbf\xbf"};
    for (const std::string& mark : marks)
    {
        std::string hidden = "\xef\xbb\xbf";
        for (int i = 0; i < kMaxXmlDepth + 40; ++i)
            hidden += "<" + mark + "a>";
        testsupport::DebugCapture debug;
        TiXmlDocument document;
        EXPECT_FALSE(ParseXmlDocument(document, hidden, "hidden.xml"));
        EXPECT_EQ(document.FirstChild(), nullptr);
        EXPECT_TRUE(debug.Contains("hidden.xml nests elements deeper than 256 levels"));
    }

    const char* const unreadable[] = {"<a><b x=y\"z><c/></b></a>", "<a><b x></b><c/></a>",
                                      "<a><b><![CDATA[x</b></a>"};
    for (const char* text : unreadable)
    {
        testsupport::DebugCapture debug;
        TiXmlDocument document;
        EXPECT_FALSE(ParseXmlDocument(document, text, "broken.xml")) << text;
        EXPECT_EQ(document.FirstChild(), nullptr) << text;
        EXPECT_TRUE(debug.Contains("broken.xml is not well-formed XML; not loaded")) << text;
    }

    TiXmlDocument shallow;
    EXPECT_TRUE(ParseXmlDocument(
        shallow, "\xef\xbb\xbf<\xef\xbb\xbf root><\xef\xbf\xbe value>1</value></root>", "ok.xml"));
    EXPECT_EQ(GetChildElementText("value", shallow.FirstChildElement("root")), "1");
}

// Texts of few tags and of many, well-formed and not: each is refused, or parsed as far as TinyXML reads it,
// exactly as the guard decides, whichever side of the limit its count of '<' falls.
TEST(XmlDepth, ParsingDecidesAlikeAtAnyCountOfTags)
{
    const auto flat = [](int children, const std::string& first)
    {
        std::string text = "<r>" + first;
        for (int i = 0; i < children; ++i)
            text += "<b/>";
        return text + "</r>";
    };
    const struct
    {
        std::string text;
        bool parses;
        bool refused;
        int children;
    } cases[] = {
        {flat(10, ""), true, false, 10},
        {flat(kMaxXmlDepth - 2, ""), true, false, kMaxXmlDepth - 2},
        {flat(kMaxXmlDepth - 1, ""), true, false, kMaxXmlDepth - 1},
        {flat(kMaxXmlDepth + 30, ""), true, false, kMaxXmlDepth + 30},
        // An attribute without a value: the guard cannot follow it, so nothing is kept.
        {flat(3, "<a x>"), false, true, 0},
        {flat(kMaxXmlDepth - 4, "<a x>"), false, true, 0},
        {flat(kMaxXmlDepth + 30, "<a x>"), false, true, 0},
        // A wrong end tag: TinyXML stops there, the guard follows it, and what TinyXML read stays.
        {flat(3, "<a>x</z>"), false, false, 1},
        {flat(kMaxXmlDepth + 30, "<a>x</z>"), false, false, 1},
    };
    for (const auto& c : cases)
    {
        testsupport::DebugCapture debug;
        TiXmlDocument document;
        EXPECT_EQ(ParseXmlDocument(document, c.text, "count.xml"), c.parses) << c.text.size();
        EXPECT_EQ(debug.Contains("count.xml is not well-formed XML; not loaded"), c.refused) << c.text.size();
        EXPECT_EQ(document.FirstChild() == nullptr, c.refused) << c.text.size();
        int children = 0;
        const TiXmlElement* root = document.FirstChildElement("r");
        for (const TiXmlNode* child = root ? root->FirstChild() : nullptr; child;
             child = child->NextSibling())
            ++children;
        EXPECT_EQ(children, c.children) << c.text.size();
    }
}

// A refused text leaves a document exactly as it was, nodes and error state alike.
TEST(XmlDepth, ARefusedTextLeavesTheDocumentAsItWas)
{
    TiXmlDocument document;
    ASSERT_TRUE(ParseXmlDocument(document, "<keep>1</keep>", "first.xml"));
    testsupport::DebugCapture debug;
    EXPECT_FALSE(ParseXmlDocument(document, "<a><b x=y\"z><c/></b></a>", "second.xml"));
    EXPECT_TRUE(debug.Contains("second.xml is not well-formed XML; not loaded"));
    ASSERT_NE(document.FirstChildElement("keep"), nullptr);
    EXPECT_EQ(document.FirstChildElement("keep")->NextSibling(), nullptr);
    EXPECT_FALSE(document.Error());
}

} // namespace
