#include "engine/gui/guiTextBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBoxParams.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

// Layout blocks, parameter blocks and property sheets of text boxes.
class TextBoxLayoutTest : public TextDeskTest
{
protected:
    void TearDown() override
    {
        // The texts hold font pages of the graphics manager, which goes next.
        m_Loaded.clear();
        gui::SetLayoutVersion(gui::kLayoutVersion);
        TextDeskTest::TearDown();
    }

    // Every field away from its default.
    static guiTextBox* MakeBox()
    {
        guiTextBoxParams params;
        params.name = "driver name";
        params.font = "bar16m";
        params.text = "two\nlines";
        params.foreColor = kaColor::kaColorClamped(0.25f, 0.5f, 0.75f, 1.0f);
        params.position = guiCoordPair::Pixels(12, 34);
        params.size = guiCoordPair::Pixels(150, 60);
        params.alignment = guiTextBox::kAlignCentreX | guiTextBox::kAlignBottom;
        params.scrollable = false;
        params.editable = false;
        auto* box = new guiTextBox(params);
        box->SetMultiLine(true);
        box->SetBuffer(3);
        box->SetBlinkRate(0.25f);
        box->SetMaxCharacters(12);
        box->SetNotes("typed by the player");
        return box;
    }

    guiTextBox* Load(const std::string& bytes)
    {
        static int files = 0;
        guiGlyph* root = gui::LoadLayout(m_Dir.Write("box" + std::to_string(++files) + ".kab", bytes));
        m_Loaded.emplace_back(root);
        return root != nullptr ? root->DynamicCast<guiTextBox>() : nullptr;
    }

    struct Releaser
    {
        void operator()(guiGlyph* glyph) const
        {
            if (glyph != nullptr)
                glyph->Release();
        }
    };
    std::vector<std::unique_ptr<guiGlyph, Releaser>> m_Loaded;
};

// The lines of a text layout without those whose key is one of the keys.
std::string WithoutKeys(const std::string& text, const std::vector<std::string>& keys)
{
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);)
    {
        bool drop = false;
        for (const std::string& key : keys)
            drop = drop || line.rfind(key + " ", 0) == 0 || line == key;
        if (!drop)
            out += line + "\n";
    }
    return out;
}

std::string WithVersion(std::string text, const std::string& version)
{
    return text.replace(1, text.find('\n') - 1, version);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_F(TextBoxLayoutTest, BothFormsKeepEveryFieldAndTheirBytes)
{
    guiTextBox* made = MakeBox();
    made->AddRef();
    for (bool binary : {false, true})
    {
        const std::string bytes = gui::FormatLayout(*made, binary);
        guiTextBox* read = Load(bytes);
        ASSERT_NE(read, nullptr) << binary;
        EXPECT_EQ(gui::FormatLayout(*read, binary), bytes) << binary;
        EXPECT_EQ(gui::FormatLayout(*read, !binary), gui::FormatLayout(*made, !binary)) << binary;
        EXPECT_EQ(read->GetText(), "two\nlines");
        EXPECT_EQ(read->GetInnerText()->GetFontName(), "bar16m");
        EXPECT_EQ(read->GetInnerText()->GetColor().b, 0.75f);
        EXPECT_FALSE(read->IsScrollable());
        EXPECT_FALSE(read->IsEditable());
        EXPECT_TRUE(read->IsMultiLine());
        EXPECT_TRUE(read->GetInnerText()->IsWordWrap());
        EXPECT_EQ(read->GetBuffer(), 3);
        EXPECT_EQ(read->GetBlinkRate(), 0.25f);
        EXPECT_EQ(read->GetMaxCharacters(), 12);
        EXPECT_EQ(read->GetAlignment(), guiTextBox::kAlignCentreX | guiTextBox::kAlignBottom);
        EXPECT_EQ(read->GetNotes(), "typed by the player");
        // The text the constructor made gave way to the one read: one text, the caret and the selection.
        EXPECT_EQ(read->GetChildCount(), 3);
        EXPECT_EQ(read->GetInnerText()->GetParent(), read);
    }
    made->Release();
}

TEST_F(TextBoxLayoutTest, TextFieldsComeWithTheirVersions)
{
    guiTextBox* made = MakeBox();
    made->AddRef();
    const std::string current = gui::FormatLayout(*made, false);
    made->Release();
    struct Case
    {
        const char* version;
        std::vector<std::string> dropped;
        bool multiLine;
        int32_t buffer;
    } cases[] = {
        {"1", {"MultiLine", "Buffer", "ID"}, false, 0},
        {"1.01", {"Buffer", "ID"}, true, 0},
        {"1.03", {"ID"}, true, 3},
        {"1.06", {}, true, 3},
        {"1.11", {}, true, 3},
    };
    for (const Case& c : cases)
    {
        guiTextBox* read = Load(WithVersion(WithoutKeys(current, c.dropped), c.version));
        ASSERT_NE(read, nullptr) << c.version;
        EXPECT_EQ(read->IsMultiLine(), c.multiLine) << c.version;
        EXPECT_EQ(read->GetBuffer(), c.buffer) << c.version;
        EXPECT_EQ(read->GetMaxCharacters(), 12) << c.version << ": later fields stay in step";
        // Before 1.07 the text is the child at the position written, and takes the ID 0.
        EXPECT_EQ(read->GetText(), "two\nlines") << c.version;
        EXPECT_EQ(read->GetInnerText()->GetId(), 0) << c.version;
        EXPECT_EQ(read->GetChildCount(), 3) << c.version;
    }
}

TEST_F(TextBoxLayoutTest, BinaryLayoutsHoldMultiLineAndBufferFromTheFirstVersionOn)
{
    auto build = [](const char* version, bool extras)
    {
        std::ostringstream out;
        out << 'B' << version << '\n';
        kaBinaryStream stream(out.rdbuf());
        stream.WriteUInt32(6);
        stream.WriteBool(true).WriteBool(true);
        if (extras)
            stream.WriteBool(true).WriteInt32(5);
        stream.WriteFloat(0.5f).WriteInt32(0).WriteInt32(17);
        stream.WriteBool(true).WriteInt32(0);
        // Widget and glyph blocks without an ID (older than 1.04), one child: a text.
        auto glyph = [&stream](const std::string& name, int32_t children)
        {
            stream.WriteString(name);
            guiCoordPair::Pixels(0, 0).Write(stream);
            guiCoordPair::Pixels(100, 30).Write(stream);
            stream.WriteBool(true).WriteInt32(0).WriteInt32(1).WriteInt32(children);
        };
        stream.WriteBool(true).WriteString("");
        glyph("box", 1);
        stream.WriteUInt32(20);
        stream.WriteString("bar16m").WriteString("old");
        kaColor().Write(stream);
        stream.WriteString("");
        guiCoordPair::Pixels(0, 0).Write(stream);
        glyph("", 0);
        return out.str();
    };
    struct Case
    {
        const char* version;
        bool extras, multiLine;
        int32_t buffer;
    } cases[] = {{"1", false, false, 0}, {"1.01", true, true, 5}};
    for (const Case& c : cases)
    {
        guiTextBox* read = Load(build(c.version, c.extras));
        ASSERT_NE(read, nullptr) << c.version;
        EXPECT_EQ(read->IsMultiLine(), c.multiLine) << c.version;
        EXPECT_EQ(read->GetBuffer(), c.buffer) << c.version;
        EXPECT_EQ(read->GetName(), "box") << c.version;
        EXPECT_EQ(read->GetText(), "old") << c.version;
        EXPECT_EQ(read->GetInnerText()->GetId(), 0) << c.version;
    }
}

TEST_F(TextBoxLayoutTest, AReferenceThatNamesNoTextKeepsTheBoxsOwnText)
{
    guiTextBox* made = MakeBox();
    made->AddRef();
    auto* image = new guiImage(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(4, 4));
    image->SetId(1);
    made->AddChild(image);
    const std::string current = gui::FormatLayout(*made, false);
    made->Release();
    ASSERT_NE(current.find("Text true 0\n"), std::string::npos);
    struct Case
    {
        const char* what;
        std::string text;
        std::string boxText;
    } cases[] = {
        {"an ID no child has", Replaced(current, "Text true 0\n", "Text true 7\n"), ""},
        {"an image", Replaced(current, "Text true 0\n", "Text true 1\n"), ""},
        {"no text", Replaced(current, "Text true 0\n", "Text false\n"), ""},
        {"a position past the children",
         WithVersion(Replaced(current, "Text true 0\n", "Text true 9\n"), "1.06"), ""},
        {"the image by position", WithVersion(Replaced(current, "Text true 0\n", "Text true 1\n"), "1.06"),
         ""},
        {"the text", current, "two\nlines"},
    };
    for (const Case& c : cases)
    {
        guiTextBox* read = Load(c.text);
        ASSERT_NE(read, nullptr) << c.what;
        ASSERT_NE(read->GetInnerText(), nullptr) << c.what;
        EXPECT_EQ(read->GetInnerText()->GetParent(), read) << c.what;
        EXPECT_EQ(read->GetText(), c.boxText) << c.what;
        EXPECT_EQ(read->GetInnerText()->GetText(), c.boxText) << c.what;
        // Typing still works on the text it kept.
        read->SetText(read->GetText() + "!", 99);
        EXPECT_EQ(read->GetCaret(), static_cast<int32_t>(c.boxText.size() + 1)) << c.what;
    }
}

TEST_F(TextBoxLayoutTest, ParametersWriteTheBaseKeysFirstAndKeepTheirBytes)
{
    guiTextBoxParams params;
    params.name = "entry line";
    params.font = "bar12m";
    params.text = "first\nsecond";
    params.foreColor = kaColor::kaColorClamped(0.5f, 0.25f, 1.0f, 0.5f);
    params.position = guiCoordPair::Relative(0.5f, 0.25f);
    params.size = guiCoordPair::Pixels(120, 24);
    params.alignment = 20;
    params.scrollable = false;
    params.editable = false;

    std::ostringstream text;
    params.WriteText(text);
    std::vector<std::string> keys;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);)
        keys.push_back(line.substr(0, line.find(' ')));
    EXPECT_EQ(keys, (std::vector<std::string>{"_ForeColor", "_Name", "_Position", "_Font", "_Size", "_Text",
                                              "_Align", "_Scroll", "_Edit"}));

    guiTextBoxParams fromText;
    std::istringstream textIn(text.str());
    fromText.ReadText(textIn);
    std::ostringstream again;
    fromText.WriteText(again);
    EXPECT_EQ(again.str(), text.str());

    std::stringstream binary;
    kaBinaryStream writer(binary.rdbuf());
    params.WriteBinary(writer);
    guiTextBoxParams fromBinary;
    kaBinaryStream reader(binary.rdbuf());
    fromBinary.ReadBinary(reader);
    std::stringstream binaryAgain;
    kaBinaryStream rewriter(binaryAgain.rdbuf());
    fromBinary.WriteBinary(rewriter);
    EXPECT_EQ(binaryAgain.str(), binary.str());

    std::unique_ptr<guiCreateParams> made(CreateParams(guiCreateParams::kTextBoxParams));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetWidgetClass(), guiCreateParams::kTextBoxParams);
    std::unique_ptr<guiCreateParams> clone(fromBinary.Clone());
    auto* copy = static_cast<guiTextBoxParams*>(clone.get());
    EXPECT_EQ(copy->text, "first\nsecond");
    EXPECT_EQ(copy->font, "bar12m");
    EXPECT_EQ(copy->name, "entry line");
    EXPECT_TRUE(copy->size == params.size);
    EXPECT_TRUE(copy->position == params.position);
    EXPECT_EQ(copy->alignment, 20);
    EXPECT_FALSE(copy->scrollable);
    EXPECT_FALSE(copy->editable);

    guiGlyph* widget = copy->CreateWidget();
    widget->AddRef();
    auto* box = widget->DynamicCast<guiTextBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetText(), "first\nsecond");
    EXPECT_EQ(box->GetName(), "entry line");
    EXPECT_EQ(box->GetAlignment(), 20);
    EXPECT_FALSE(box->IsEditable());
    EXPECT_EQ(box->GetPixelSize().x, 120);
    widget->Release();
}

TEST_F(TextBoxLayoutTest, ThePropertySheetListsItsEntriesInOrderAndAppliesThem)
{
    guiTextBox* box = AddBox("sheet", 0, 0, 100, 20, "old");
    GuiParamTable sheet(16);
    box->GetProperties(sheet);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : sheet.GetEntries())
        names.push_back(entry->name);
    ASSERT_GE(names.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 9),
              (std::vector<std::string>{"Buffer", "MultiLine", "Editable", "Scrollable", "Alignment",
                                        "MaxChars", "Font", "Text", "Notes"}));
    EXPECT_EQ(sheet.Find("Font")->text, "bar16m\n");

    GuiParamTable change(16);
    change.Insert("Text", "new text", ka::any());
    change.Insert("Font", "bar12m\n", ka::any());
    change.Insert("Editable", "0", ka::any());
    change.Insert("MultiLine", "true", ka::any());
    change.Insert("Buffer", "4", ka::any());
    change.Insert("MaxChars", "7", ka::any());
    change.Insert("Alignment", "36", ka::any());
    box->SetProperties(change);
    EXPECT_EQ(box->GetText(), "new text");
    EXPECT_EQ(box->GetInnerText()->GetText(), "new text");
    EXPECT_EQ(box->GetInnerText()->GetFontName(), "bar12m");
    EXPECT_FALSE(box->IsEditable());
    EXPECT_TRUE(box->IsMultiLine());
    EXPECT_EQ(box->GetBuffer(), 4);
    EXPECT_EQ(box->GetMaxCharacters(), 7);
    EXPECT_EQ(box->GetAlignment(), 36);
}

} // namespace
