#include "engine/gui/guiDecorator.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiBorder.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLines.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextParams.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

using testsupport::Px;
using testsupport::Values;

namespace
{

guiButton* NamedButton(const std::string& name, float x, float y, float w, float h)
{
    auto* button = new guiButton(Px(x, y), Px(w, h));
    button->SetName(name);
    button->SetId(77);
    button->SetClickSound(false);
    return button;
}

guiCaption* CaptionAround(guiWidget* widget, const std::string& text)
{
    guiTextParams params;
    params.text = text;
    return new guiCaption(widget, params);
}

// A placeholder that tells when it is destroyed.
class WatchedPlaceholder : public guiPlaceholder
{
public:
    WatchedPlaceholder(bool& destroyed, float x, float y)
        : guiPlaceholder(Px(x, y), Px(40, 20)), m_Destroyed(destroyed)
    {
    }
    ~WatchedPlaceholder() override { m_Destroyed = true; }

private:
    bool& m_Destroyed;
};

TEST(Decorator, ClassTestsAndSearchesReachTheWrappedWidget)
{
    guiButton* button = NamedButton("ok", 0, 0, 60, 20);
    guiCaption* caption = CaptionAround(button, "OK");
    caption->AddRef();
    EXPECT_EQ(caption->DynamicCast<guiButton>(), button);
    EXPECT_EQ(caption->DynamicCast<guiCaption>(), caption);
    EXPECT_EQ(caption->DynamicCast<guiDecorator>(), caption);
    EXPECT_EQ(caption->DynamicCast<guiWidget>(), caption);
    EXPECT_EQ(caption->DynamicCast<guiCheckBox>(), nullptr);
    EXPECT_EQ(caption->FindChild("OK"), button);
    EXPECT_EQ(caption->FindChildById(77), button);
    EXPECT_EQ(caption->FindChild("nothing"), nullptr);
    EXPECT_EQ(button->GetParent(), caption);

    // Decorators nest: the outer one answers for everything inside.
    auto* box = new guiCheckBox(Px(0, 0), Px(10, 10));
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->AddRef();
    border->SetChild(CaptionAround(box, "tick"));
    EXPECT_EQ(border->DynamicCast<guiCheckBox>(), box);
    EXPECT_EQ(border->DynamicCast<guiButton>(), box);
    EXPECT_NE(border->DynamicCast<guiCaption>(), nullptr);
    border->Release();
    caption->Release();
}

TEST(Decorator, SettingTheSameWidgetKeepsItAndANewOneReleasesTheOld)
{
    bool firstGone = false;
    bool secondGone = false;
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->AddRef();
    auto* first = new WatchedPlaceholder(firstGone, 10, 10);
    border->SetChild(first);
    border->SetChild(first);
    EXPECT_FALSE(firstGone);
    EXPECT_EQ(border->GetComponent(), first);
    EXPECT_EQ(first->GetParent(), border);
    auto* second = new WatchedPlaceholder(secondGone, 30, 40);
    border->SetChild(second);
    EXPECT_TRUE(firstGone);
    // The border takes the new widget's place and size.
    EXPECT_EQ(Values(border->GetPosition()), std::make_pair(30.0f, 40.0f));
    border->SetChild(nullptr);
    EXPECT_TRUE(secondGone);
    EXPECT_EQ(border->GetComponent(), nullptr);
    border->Release();
}

TEST(Decorator, ReplacingTheWidgetInAWindowDropsItFromTheWindowsLists)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    bool gone = false;
    auto* old = new WatchedPlaceholder(gone, 100, 100);
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->SetChild(old);
    window->AddChild(border);
    desk.Frame();
    desk.MoveTo(110, 110);
    desk.Button(0, true);
    ASSERT_EQ(window->GetFocusedWidget(), old);
    ASSERT_FALSE(window->GetHoverChain().empty());
    border->SetChild(new guiPlaceholder(Px(300, 300), Px(10, 10)));
    EXPECT_TRUE(gone);
    const auto& hits = window->GetHitList();
    EXPECT_EQ(std::count(hits.begin(), hits.end(), static_cast<guiGlyph*>(old)), 0);
    const auto& hover = window->GetHoverChain();
    EXPECT_EQ(std::count(hover.begin(), hover.end(), static_cast<guiWidget*>(old)), 0);
    EXPECT_EQ(window->GetFocusedWidget(), nullptr);
    desk.Button(0, false);
    desk.Frame();
}

TEST(Decorator, HidingTheWidgetHidesTheDecoratorAtItsNextRender)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    guiButton* button = NamedButton("b", 10, 10, 100, 20);
    guiCaption* caption = CaptionAround(button, "B");
    window->AddChild(caption);
    desk.Frame();
    button->SetVisible(false);
    EXPECT_TRUE(caption->IsVisible());
    desk.Frame();
    EXPECT_FALSE(caption->IsVisible());
    // Showing the widget shows the decorator again, as it shows every hidden ancestor.
    button->SetVisible(true);
    EXPECT_TRUE(caption->IsVisible());
}

TEST(Decorator, EntriesThatHoldNoWidgetLeaveTheDecoratorEmpty)
{
    testsupport::TempDir dir;
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->AddRef();
    border->SetChild(new guiPlaceholder(Px(5, 5), Px(10, 10)));
    const std::string text = gui::FormatLayout(*border, false);
    const std::size_t at = text.find("Widget true\n[Placeholder]\n");
    ASSERT_NE(at, std::string::npos) << text;
    const std::size_t end = text.find("PassMouse", at + 30);
    const std::string entry = text.substr(at, end - at);
    struct Case
    {
        const char* what;
        std::string replacement;
    } cases[] = {
        {"false", "Widget false\n"},
        {"unknown class", "Widget true\n[NoSuchClass]\n"},
        {"not a widget",
         "Widget true\n[Image]\n" + gui::FormatLayout(guiImage(Px(0, 0), Px(4, 4)), false).substr(6)},
    };
    for (const Case& c : cases)
    {
        std::string changed = text;
        changed.replace(at, entry.size(), c.replacement);
        guiGlyph* read = gui::LoadLayout(dir.Write("empty.kab", changed));
        if (read == nullptr)
        {
            // A damaged entry may stop the load; it must not leave a half-made decorator behind.
            EXPECT_STRNE(c.what, "false");
            continue;
        }
        guiBorder* copy = read->DynamicCast<guiBorder>();
        ASSERT_NE(copy, nullptr) << c.what;
        EXPECT_EQ(copy->GetComponent(), nullptr) << c.what;
        read->Release();
    }
    border->Release();
}

TEST(Decorator, WrappedWidgetsNestNoDeeperThanChildren)
{
    testsupport::TempDir dir;
    const std::string head = "Width 2\nInner 1 1 1 1\nOuter 1 1 1 1\n";
    const std::string block = "PassMouse true\nNotes \nName \nID -1\nPosition 0 0 0 0\nSize 0 0 0 0\n"
                              "Visible true\nChildOrder -1\nClipMode 1\nNumChildren 0\n";
    const int levels = 5000;
    std::string text = "T1.11\n[Border]\n";
    for (int i = 1; i < levels; ++i)
        text += head + "Widget true\n[Border]\n";
    text += head + "Widget false\n";
    for (int i = 0; i < levels; ++i)
        text += block;
    guiGlyph* read = gui::LoadLayout(dir.Write("deep.kab", text));
    ASSERT_NE(read, nullptr);
    int depth = 1;
    for (auto* at = read->DynamicCast<guiBorder>(); at->GetComponent() != nullptr; ++depth)
        at = static_cast<guiBorder*>(at->GetComponent());
    EXPECT_LE(depth, guiGlyph::kMaxLayoutNesting);
    EXPECT_GT(depth, 1);
    TestWindow drawer;
    drawer.Frame(read);
    read->SetOwnerWindow(nullptr);
    read->Release();
}

TEST(Decorator, EachDecoratorWrittenReadAndWrittenAgainKeepsItsBytesInBothForms)
{
    testsupport::TempDir dir;
    guiImageParams picture;
    picture.filename = "missing.bmp";
    picture.tiling = true;
    std::vector<guiDecorator*> decorators = {
        new guiBorder(Px(0, 0), Px(0, 0)),
        new guiBackground(NamedButton("under", 5, 6, 70, 20), picture),
        CaptionAround(NamedButton("named", 7, 8, 50, 20), "Label"),
        new guiBackground(Px(0, 0), Px(0, 0)),
        new guiCaption(Px(0, 0), Px(0, 0)),
    };
    static_cast<guiBorder*>(decorators[0])->SetRelativeWidth(3.0f);
    static_cast<guiBorder*>(decorators[0])->SetInnerColor(kaColor::kaColorClamped(0.0f, 1.0f, 0.0f, 1.0f));
    decorators[0]->SetChild(NamedButton("framed", 20, 30, 40, 10));
    TestWindow drawer;
    for (guiDecorator* decorator : decorators)
    {
        decorator->AddRef();
        // A first frame fits each decorator to its widget, as reading it does.
        drawer.Frame(decorator);
        decorator->SetOwnerWindow(nullptr);
        for (bool binary : {false, true})
        {
            guiGlyph* read = testsupport::RoundTrip(*decorator, binary, dir);
            ASSERT_NE(read, nullptr) << decorator->GetClassName();
            EXPECT_EQ(read->GetClassName(), decorator->GetClassName());
            EXPECT_EQ(gui::FormatLayout(*read, binary), gui::FormatLayout(*decorator, binary))
                << decorator->GetClassName() << binary;
            read->Release();
        }
        decorator->Release();
    }
}

TEST(Border, ItFitsAroundItsWidgetWithItsSegmentsInsetByHalfTheWidth)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    guiBorder* border = new guiBorder(Px(0, 0), Px(0, 0));
    border->SetChild(NamedButton("b", 10, 10, 100, 20));
    window->AddChild(border);
    desk.Frame();
    EXPECT_EQ(Values(border->GetPosition()), std::make_pair(8.0f, 8.0f));
    EXPECT_EQ(Values(border->GetSize()), std::make_pair(104.0f, 24.0f));
    const std::vector<guiCoordPair>& points = border->GetOutline()->GetPoints();
    ASSERT_EQ(points.size(), 8u);
    const std::vector<std::pair<float, float>> expected = {{8, 9},  {112, 9},  {111, 8}, {111, 32},
                                                           {8, 31}, {112, 31}, {9, 8},   {9, 32}};
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(Values(points[i]), expected[i]) << i;
    EXPECT_FALSE(border->GetOutline()->IsSaveable());

    // Moving or sizing the border moves and sizes the widget inside it.
    border->SetPosition(Px(50, 60));
    border->SetSize(Px(30, 30));
    EXPECT_EQ(Values(border->GetComponent()->GetPosition()), std::make_pair(52.0f, 62.0f));
    EXPECT_EQ(Values(border->GetComponent()->GetSize()), std::make_pair(26.0f, 26.0f));

    GuiParamTable sheet(16);
    border->GetProperties(sheet);
    EXPECT_EQ(sheet.GetEntries()[0]->name, "Color");
    EXPECT_EQ(sheet.GetEntries()[1]->name, "Width");
    GuiParamTable change(16);
    change.Insert("Color", "1 0 0 1", ka::any());
    change.Insert("Width", "4", ka::any());
    border->SetProperties(change);
    EXPECT_EQ(border->GetOutline()->GetColor().g, 0.0f);
    EXPECT_EQ(border->GetOutline()->GetLineWidth(), 4.0f);
    desk.Frame();
    EXPECT_EQ(Values(border->GetPosition()), std::make_pair(48.0f, 58.0f));
}

TEST(Background, ItLiesUnderItsWidgetAndATilingOneWithoutPictureRepeatsNothing)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    guiImageParams picture;
    picture.filename = "no such picture.bmp";
    picture.tiling = true;
    guiButton* button = NamedButton("b", 20, 30, 64, 32);
    guiBackground* background = new guiBackground(button, picture);
    window->AddChild(background);
    desk.Frame();
    ASSERT_NE(background->GetImage(), nullptr);
    EXPECT_EQ(background->GetImage()->GetLayer(), background->GetLayer());
    EXPECT_EQ(button->GetLayer(), background->GetLayer() + 1);
    EXPECT_EQ(Values(background->GetPosition()), std::make_pair(20.0f, 30.0f));
    EXPECT_EQ(Xy(background->GetImage()->GetPixelSize()), std::make_pair(64, 32));
    EXPECT_EQ(Xy(background->GetImage()->GetDrawingOrigin()), std::make_pair(20, 30));
    // A new widget stands over the image too.
    guiButton* other = NamedButton("c", 20, 30, 64, 32);
    background->SetChild(other);
    EXPECT_EQ(other->GetLayer(), background->GetLayer() + 1);
    button = other;
    background->SetSize(Px(128, 64));
    float rect[4];
    background->GetImage()->GetTexCoordRect(rect);
    EXPECT_EQ(rect[2], 1.0f);
    EXPECT_EQ(rect[3], 1.0f);
    EXPECT_EQ(Values(button->GetSize()), std::make_pair(128.0f, 64.0f));
}

TEST(Background, AnOldLayoutSkipsTheObsoleteRecordAndFindsItsImage)
{
    testsupport::TempDir dir;
    guiBackground* background = new guiBackground(Px(0, 0), Px(0, 0));
    background->AddRef();
    background->SetChild(new guiPlaceholder(Px(3, 4), Px(30, 40)));
    std::string text = gui::FormatLayout(*background, false);
    // The same file as version 1.00 wrote it: no identifiers, no picture rectangle, no alpha hit line,
    // and a position record after the tiling flag.
    text.replace(text.find("1.11"), 4, "1.00");
    text = std::regex_replace(text, std::regex("ID -?[0-9]+\n"), "");
    text = std::regex_replace(text, std::regex("_AlphaHitTesting [a-z]+\n"), "");
    text = std::regex_replace(text, std::regex("\n0 0 1 1\n"), "\n");
    text.replace(text.find("Tiling false\n"), 13, "Tiling false\nOldPos 9 0 9 0\n");
    guiGlyph* read = gui::LoadLayout(dir.Write("old.kab", text));
    ASSERT_NE(read, nullptr) << text;
    guiBackground* copy = read->DynamicCast<guiBackground>();
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->GetImage(), nullptr);
    EXPECT_EQ(copy->GetImage(), copy->GetChild(0));
    EXPECT_EQ(copy->GetImage()->GetColor().b, 0.0f);
    EXPECT_EQ(copy->GetImage()->GetColor().a, 0.5f);
    ASSERT_NE(copy->GetComponent(), nullptr);
    EXPECT_EQ(Values(copy->GetComponent()->GetSize()), std::make_pair(30.0f, 40.0f));
    read->Release();
    background->Release();
}

TEST(Caption, ItTakesTheNameOfEachNewWidgetAndItsTextStandsOverIt)
{
    guiCaption* caption = CaptionAround(NamedButton("first", 0, 0, 50, 20), "Given text");
    caption->AddRef();
    ASSERT_NE(caption->GetCaption(), nullptr);
    EXPECT_EQ(caption->GetCaption()->GetText(), "Given text");
    EXPECT_GT(caption->GetCaption()->GetLayer(), caption->GetComponent()->GetLayer());
    caption->SetChild(NamedButton("second", 0, 0, 50, 20));
    EXPECT_EQ(caption->GetCaption()->GetText(), "second");
    // The widget moves with the caption.
    caption->SetPosition(Px(40, 50));
    EXPECT_EQ(Values(caption->GetComponent()->GetPosition()), std::make_pair(40.0f, 50.0f));
    caption->Release();

    guiCaption* plain = new guiCaption(Px(0, 0), Px(0, 0));
    plain->AddRef();
    EXPECT_EQ(plain->GetCaption()->GetText(), "Caption");
    EXPECT_FALSE(plain->IsPlaced());
    plain->Release();
}

TEST(Decorator, ChildReferencesNamingAGlyphOfAnotherClassCountAsNone)
{
    testsupport::TempDir dir;
    struct Case
    {
        guiDecorator* decorator;
        const char* line;
        const char* bad;
    } cases[] = {
        {new guiBackground(Px(0, 0), Px(0, 0)), "Image true 0\n", "Image true 1\n"},
        {new guiCaption(Px(0, 0), Px(0, 0)), "Caption true 0\n", "Caption true 1\n"},
        {new guiBackground(Px(0, 0), Px(0, 0)), "Image true 0\n", "Image true 99\n"},
    };
    for (const Case& c : cases)
    {
        c.decorator->AddRef();
        // A second child of another class for the bad reference to name.
        c.decorator->AddChild(new guiLines(1, 1.0f));
        std::string text = gui::FormatLayout(*c.decorator, false);
        ASSERT_NE(text.find(c.line), std::string::npos) << text;
        text.replace(text.find(c.line), std::string(c.line).size(), c.bad);
        guiGlyph* read = gui::LoadLayout(dir.Write("bad.kab", text));
        ASSERT_NE(read, nullptr);
        if (auto* background = read->DynamicCast<guiBackground>())
        {
            EXPECT_EQ(background->GetImage(), nullptr) << c.bad;
        }
        if (auto* caption = read->DynamicCast<guiCaption>())
        {
            EXPECT_EQ(caption->GetCaption(), nullptr) << c.bad;
        }
        // Drawn without its part, it still walks.
        testsupport::GuiDesk desk;
        desk.AddWindow("w", 0, 0, 100, 100)->AddChild(read);
        desk.Frame();
        c.decorator->Release();
    }
}

} // namespace
