#include "engine/gui/guiLayoutSyntax.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiCreateParams.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(guiLayoutSyntax, NewlinesEscapeAndUnescape)
{
    const struct
    {
        const char* plain;
        const char* escaped;
    } cases[] = {{"", ""}, {"a\nb", "a\\nb"}, {"\n\n", "\\n\\n"}, {"tab\there", "tab\there"}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(gui::EscapeNewlines(c.plain), c.escaped);
        EXPECT_EQ(gui::UnescapeNewlines(c.escaped), c.plain);
    }
    EXPECT_EQ(gui::UnescapeNewlines("a\\tb\\"), "a\\tb\\");
    EXPECT_EQ(gui::UnescapeNewlines("\\\\n"), "\\\n");
}

TEST(guiLayoutSyntax, DelimitedStringsSurvivePartialMatches)
{
    const struct
    {
        const char* input;
        const char* opening;
        const char* closing;
        const char* result;
        const char* rest;
    } cases[] = {
        {"xx<b>bold</b>after", "<b>", "</b>", "bold", "after"},
        {"<<b>text</b>", "<b>", "</b>", "text", ""},
        {"<a<b>x</b>", "<b>", "</b>", "x", ""},
        {"aab[in]", "ab", "]", "[in", ""},
        {"inside]]rest", "", "]]", "inside", "rest"},
        {"a]b]]c", "", "]]", "a]b", "c"},
        {"x-->y--->z", "", "-->", "x", "y--->z"},
        {"y--->z", "", "-->", "y-", "z"},
        {"no end here", "", "|", "no end here", ""},
        {"half <b", "<b>", "</b>", "", ""},
        {"<b>cut </", "<b>", "</b>", "cut </", ""},
    };
    for (const auto& c : cases)
    {
        std::istringstream stream(c.input);
        EXPECT_EQ(gui::ReadDelimitedString(stream, c.opening, c.closing), c.result) << c.input;
        stream.clear();
        std::string rest((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        EXPECT_EQ(rest, c.rest) << c.input;
    }
}

TEST(guiLayoutSyntax, FailedFieldsKeepTheirValues)
{
    std::istringstream text("Count seven\n");
    int32_t count = 3;
    gui::ReadTextField(text, count);
    EXPECT_EQ(count, 3);

    std::istringstream name("Name  two  blanks\r\nSlot false\nSlot true 9\nSlot true\n");
    std::string value = "old";
    gui::ReadTextField(name, value);
    EXPECT_EQ(value, " two  blanks");
    int32_t slot = 5;
    gui::ReadOptionalTextField(name, slot);
    EXPECT_EQ(slot, -1);
    gui::ReadOptionalTextField(name, slot);
    EXPECT_EQ(slot, 9);
    gui::ReadOptionalTextField(name, slot);
    EXPECT_EQ(slot, 9);

    std::stringstream bytes;
    kaBinaryStream stream(bytes.rdbuf());
    stream.WriteString("");
    value = "old";
    gui::ReadBinaryString(stream, value);
    EXPECT_EQ(value, "") << "a length of 0 reads as an empty text";
}

namespace
{

class Params : public guiCreateParams
{
public:
    int32_t GetWidgetClass() const override { return 99; }
};

} // namespace

TEST(guiCreateParams, BaseBlockRoundTripsInBothForms)
{
    std::istringstream text("_ForeColor 1 0.5 0 0.25\n_Name two words\n_Position 0.5 1 8 0\n");
    Params read;
    read.ReadText(text);
    EXPECT_EQ(read.name, "two words");
    EXPECT_EQ(read.foreColor.g, 0.5f);
    EXPECT_EQ(read.position, (guiCoordPair{guiCoord::Relative(0.5f), guiCoord::Pixels(8)}));
    std::ostringstream written;
    read.WriteText(written);
    EXPECT_EQ(written.str(), text.str());

    std::stringstream bytes;
    kaBinaryStream stream(bytes.rdbuf());
    read.WriteBinary(stream);
    EXPECT_EQ(bytes.str().size(), 16u + 4u + 9u + 16u);
    Params copy;
    copy.ReadBinary(stream);
    EXPECT_EQ(copy.name, read.name);
    EXPECT_EQ(copy.position, read.position);
    EXPECT_EQ(copy.foreColor.a, 0.25f);
}

TEST(guiCreateParams, RegisteringAKindAgainReplacesItsCreator)
{
    EXPECT_EQ(CreateParams(1099), nullptr);
    RegisterParamsCreator(1099, []() { return new Params; });
    RegisterParamsCreator(1099,
                          []()
                          {
                              Params* params = new Params;
                              params->name = "second";
                              return params;
                          });
    guiCreateParams* made = CreateParams(1099);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->name, "second");
    delete made;
}
