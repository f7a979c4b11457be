#include "editor/EditorPropertiesWindow.h"
#include "editor/MapEditorWindow.h"
#include "editor/SaveLoadWindow.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidget.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/CreditsWindow.h"
#include "game/screens/DebugWindow.h"
#include "game/screens/DeletePlayerWindow.h"
#include "game/screens/HudWindow.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/MainWindow.h"
#include "game/screens/NewPlayerWindow.h"
#include "game/screens/OptionsWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/MapSaveMenu.h"
#include "platform/window/Rect.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tools/guigen/ScreenLayouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

using testsupport::HeadlessGame;

namespace
{

using Lookup = std::pair<std::string, const kaClassInfo*>;

// The class the game builds from each layout.
guiWindow* BuildClass(const std::string& file, Tarvolin* app)
{
    if (file == "ui/common/main.kab")
        return new MainWindow(file, app);
    if (file == "ui/common/newplayer.kab")
        return new NewPlayerWindow(file, app);
    if (file == "ui/common/deleteplayer.kab")
        return new DeletePlayerWindow(file, app);
    if (file == "ui/common/credits.kab")
        return new CreditsWindow(file);
    if (file == "ui/common/ingamemenu.kab")
        return new InGameMenu(file);
    if (file == "UI/common/saveworld.kab")
        return new MapSaveMenu(file);
    if (file == "UI/editor/properties.kab")
        return new EditorPropertiesWindow(file);
    if (file == "UI/tvEditor/course_options.kab")
        return new CourseOptions(file, app);
    if (file == "ui/common/opt.kab")
        return new OptionsWindow(file, app);
    if (file == "DebugWindow.kab")
        return new DebugWindow();
    if (file == "UI/common/savegame.kab")
        return new SaveLoadWindow(file);
    if (file == "UI/editor/mapeditor.kab")
        return new MapEditorWindow(file, nullptr);
    if (file == "ui/CareerMenu/career.kab")
        return new CareerWindow(file, app);
    if (file == "ui/common/carselect.kab")
        return new CSmenu(file, app);
    if (file == "ui/CourseSelect/CourseSelect.kab")
        return new CourseSelectWindow(file, app);
    if (file == "UI/stuntshop/stuntshop.kab")
        return new StuntShopWindow(file, app);
    if (file == "UI/coursepreview/coursepreview.kab")
        return new CoursePreview(file, app);
    if (file == "ui/hud/hudview.kab")
        return new HudWindow(file);
    if (file == "ui/common/coursesummary.kab")
        return new CourseSummary(file);
    return new guiWindow(file);
}

// The editor's windows are held to their layouts by the editor's own tests.
bool WatchesLookups(const std::string& file)
{
    return file != "UI/editor/properties.kab";
}

// Drawn: the glyph and every glyph above it visible.
bool Shown(guiGlyph* glyph)
{
    for (; glyph != nullptr; glyph = glyph->GetParent())
        if (!glyph->IsVisible())
            return false;
    return true;
}

// The layout of the window that loads the part, or the layout itself.
const guigen::ScreenLayout& HostOf(const guigen::ScreenLayout& layout)
{
    if (layout.host != nullptr)
        for (const guigen::ScreenLayout& other : guigen::ScreenContract())
            if (std::string(other.file) == layout.host)
                return other;
    return layout;
}

bool Inside(const platform::Rect& inner, const platform::Rect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const platform::Rect& a, const platform::Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

class ScreenContractGLTest : public ::testing::Test
{
protected:
    static HeadlessGame::Options RealGraphics()
    {
        HeadlessGame::Options options;
        options.realGraphics = true;
        return options;
    }

    void SetUp() override { ASSERT_TRUE(m_Game.Start()); }
    void TearDown() override { guiWidgetLookup::SetWatcher(nullptr); }

    // Shows the one window in front and draws it.
    guiWindow* ShowAlone(const std::string& name)
    {
        guiManager& gui = m_Game.Gui();
        for (guiWindow* open : m_Shown)
            gui.HideWindow(open, 1);
        m_Shown.clear();
        guiWindow* window = gui.FindWindow(name);
        if (window == nullptr)
            return nullptr;
        gui.ShowWindow(window, false);
        m_Shown.push_back(window);
        for (int i = 0; i < 2; ++i)
            m_Game.Frame();
        return window;
    }

    HeadlessGame m_Game{RealGraphics()};
    std::vector<guiWindow*> m_Shown;
};

} // namespace

TEST_F(ScreenContractGLTest, EveryLookupIsARowOfItsLayoutAndEveryRowIsLookedUp)
{
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        // The editor's dialogs are held to the table by the editor's own tests; cells have no window.
        if (layout.editor || layout.cell)
            continue;
        // A part's rows are checked with its window's.
        if (layout.host != nullptr)
        {
            EXPECT_NE(&HostOf(layout), &layout) << layout.file;
            continue;
        }
        std::set<Lookup> looked;
        guiWidgetLookup::SetWatcher([&looked](const std::string& name, const kaClassInfo& record)
                                  { looked.insert({name, &record}); });
        guiWindow* window = BuildClass(layout.file, &m_Game.App());
        guiWidgetLookup::SetWatcher(nullptr);
        EXPECT_EQ(window->GetName(), layout.window) << layout.file;
        EXPECT_TRUE(gui::IsA(window->GetClassInfo(), layout.rootRecord())) << layout.file;
        std::set<Lookup> rows;
        for (const guigen::ScreenLayout& part : guigen::ScreenContract())
        {
            if (&HostOf(part) != &layout)
                continue;
            if (&part != &layout)
            {
                guiGlyph* root = window->FindChild(part.window);
                ASSERT_NE(root, nullptr) << part.file;
                EXPECT_TRUE(gui::IsA(root->GetClassInfo(), part.rootRecord())) << part.file;
            }
            for (const guigen::ScreenWidget& row : part.widgets)
            {
                rows.insert({row.name, &row.record()});
                EXPECT_NE(guiWidgetLookup::Find(*window, row.name, row.record()), nullptr)
                    << part.file << " " << row.name;
            }
        }
        if (WatchesLookups(layout.file))
        {
            EXPECT_EQ(looked, rows) << layout.file;
        }
        window->Release();
    }
}

TEST_F(ScreenContractGLTest, TypedFieldsComeFirstInTheirWindowsOrder)
{
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        // The editor's dialogs are held to the table by the editor's own tests; cells have no window; a part's
        // fields are its window's.
        if (layout.editor || layout.cell || layout.host != nullptr)
            continue;
        guiWindow* window = m_Game.Gui().FindWindow(layout.window);
        ASSERT_NE(window, nullptr) << layout.window;
        // The place among the window's own children of the one that holds the widget.
        auto place = [window](const char* name)
        {
            guiGlyph* glyph = window->FindChild(name);
            while (glyph != nullptr && glyph->GetParent() != window)
                glyph = glyph->GetParent();
            for (int i = 0; i < window->GetChildCount(); ++i)
                if (window->GetChild(i) == glyph)
                    return i;
            return -1;
        };
        int lastTyped = -1;
        int firstOther = window->GetChildCount();
        for (const guigen::ScreenWidget& row : layout.widgets)
        {
            // Pictures take no focus: they lie under everything.
            if (&row.record() == &guiImage::StaticClassInfo())
                continue;
            const int at = place(row.name);
            ASSERT_GE(at, 0) << layout.window << " " << row.name;
            if (row.editable)
                lastTyped = std::max(lastTyped, at);
            else
                firstOther = std::min(firstOther, at);
        }
        EXPECT_LT(lastTyped, firstOther) << layout.window;
    }
}

TEST_F(ScreenContractGLTest, WidgetsLieInsideTheirWindowsButtonsApartAndEachCaptionDrawsInsideItsButton)
{
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        // The editor's dialogs are held to the table by the editor's own tests; cells have no window.
        if (layout.editor || layout.cell)
            continue;
        guiWindow* window = ShowAlone(HostOf(layout).window);
        ASSERT_NE(window, nullptr) << layout.window;
        if (layout.host != nullptr)
        {
            // The part alone among the parts of its group.
            guiGlyph* part = window->FindChild(layout.window);
            ASSERT_NE(part, nullptr) << layout.file;
            for (int i = 0; i < part->GetParent()->GetChildCount(); ++i)
                part->GetParent()->GetChild(i)->SetVisible(part->GetParent()->GetChild(i) == part);
            for (int i = 0; i < 2; ++i)
                m_Game.Frame();
        }
        const platform::Rect bounds = window->GetHitRect();
        EXPECT_LE(bounds.right - bounds.left, 800) << layout.window;
        const platform::FrameCapture frame = m_Game.Capture();
        ASSERT_GT(frame.Width, 0u);
        std::vector<std::pair<std::string, platform::Rect>> buttons;
        for (const guigen::ScreenWidget& row : layout.widgets)
        {
            guiGlyph* glyph = window->FindChild(row.name);
            ASSERT_NE(glyph, nullptr) << layout.window << " " << row.name;
            // A picture is a glyph, not a widget: it only has to fill its place.
            if (&row.record() == &guiImage::StaticClassInfo())
            {
                EXPECT_EQ(glyph->GetSize().x.value, row.width) << layout.window << " " << row.name;
                EXPECT_EQ(glyph->GetSize().y.value, row.height) << layout.window << " " << row.name;
                continue;
            }
            // Parts a window shows only on demand (lists, previews) are not drawn at its first show.
            if (!Shown(glyph))
                continue;
            auto* widget = glyph->DynamicCast<guiWidget>();
            // Pictures and texts are glyphs without a hit rectangle; everything else is a widget.
            if (widget == nullptr)
            {
                EXPECT_FALSE(gui::IsA(row.record(), guiWidget::StaticClassInfo()))
                    << layout.window << " " << row.name;
                continue;
            }
            const platform::Rect rect = widget->GetHitRect();
            // Clipping would cut a widget that leaves its window. A stretching widget's size is a share of
            // its holder's.
            const kaPoint holder =
                glyph->GetParent() != nullptr ? glyph->GetParent()->GetPixelSize() : kaPoint();
            const int width = (row.relative & guigen::kRelativeWidth) != 0 ? int(row.width * float(holder.x))
                                                                           : int(row.width);
            const int height = (row.relative & guigen::kRelativeHeight) != 0
                                   ? int(row.height * float(holder.y))
                                   : int(row.height);
            EXPECT_EQ(rect.right - rect.left, width) << layout.window << " " << row.name;
            EXPECT_EQ(rect.bottom - rect.top, height) << layout.window << " " << row.name;
            EXPECT_TRUE(Inside(rect, bounds)) << layout.window << " " << row.name;
            if (glyph->DynamicCast<guiButton>() == nullptr)
                continue;
            for (const auto& other : buttons)
                EXPECT_FALSE(Overlap(rect, other.second)) << row.name << " and " << other.first;
            buttons.push_back({row.name, rect});
            // A check box's words stand beside it.
            if (glyph->DynamicCast<guiCheckBox>() != nullptr)
                continue;
            // The caption is white over pictures that have none.
            int light = 0;
            for (int y = rect.top; y < rect.bottom; ++y)
                for (int x = rect.left; x < rect.right; ++x)
                {
                    const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
                    light += pixel.r > 200 && pixel.g > 200 && pixel.b > 200 ? 1 : 0;
                }
            EXPECT_GE(light, 12) << layout.window << " " << row.name;
            // Nor does it run past the button's ends.
            for (int y = rect.top; y < rect.bottom; ++y)
                for (const int x : {rect.left - 2, rect.right + 1})
                {
                    const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
                    EXPECT_FALSE(pixel.r > 200 && pixel.g > 200 && pixel.b > 200)
                        << layout.window << " " << row.name << " at " << x << "," << y;
                }
        }
    }
}

TEST_F(ScreenContractGLTest, EachCellLoadsAsItsWidgetWithTheNamesItsCodeLooksFor)
{
    int cells = 0;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        if (!layout.cell)
            continue;
        ++cells;
        guiGlyph* root = gui::LoadLayout(layout.file);
        ASSERT_NE(root, nullptr) << layout.file;
        root->AddRef();
        for (const guigen::ScreenWidget& row : layout.widgets)
        {
            guiGlyph* found = root->FindChild(row.name);
            EXPECT_TRUE(found != nullptr && found->DynamicCast(row.record()) != nullptr) << layout.file;
            auto* box = found != nullptr ? found->DynamicCast<guiTextBox>() : nullptr;
            if (box != nullptr)
            {
                EXPECT_EQ(box->IsEditable(), row.editable) << layout.file;
            }
        }
        root->Release();
    }
    EXPECT_EQ(cells, 12);
    // The game's cells read their value through a text box of this name, the drop-down's included.
    for (const char* file : {PropertyEditor::kLabelCell, PropertyEditor::kEditCell, PropertyEditor::kTextCell,
                             PropertyEditor::kChoiceCell})
    {
        guiGlyph* root = gui::LoadLayout(file);
        ASSERT_NE(root, nullptr) << file;
        root->AddRef();
        guiGlyph* field = root->FindChild(PropertyEditor::kTextFieldName);
        EXPECT_TRUE(field != nullptr && field->DynamicCast<guiTextBox>() != nullptr) << file;
        root->Release();
    }
}

TEST_F(ScreenContractGLTest, EachScreenIsPhotographed)
{
    const std::pair<const char*, const char*> shots[] = {
        {"main window", "main"},
        {"New Player Window", "newplayer"},
        {"Delete Player Window", "deleteplayer"},
        {"credits window", "credits"},
        {"InGameMenu", "ingamemenu"},
        {"Save World Menu", "saveworld"},
        {"loading dialog", "loading"},
    };
    for (const auto& shot : shots)
    {
        ASSERT_NE(ShowAlone(shot.first), nullptr) << shot.first;
        ASSERT_TRUE(m_Game.Screenshot(shot.second)) << shot.first;
    }
    // The box over the main window, as a screen asks its question.
    ASSERT_NE(ShowAlone("main window"), nullptr);
    ASSERT_NE(m_Game.Gui().GetMessageBox(), nullptr);
    ASSERT_TRUE(m_Game.Gui().GetMessageBox()->IsComplete());
    bool saved = false;
    for (int frame = 0; frame < 3; ++frame)
        m_Game.Queue([] {});
    m_Game.Queue([&saved, this] { saved = m_Game.SaveCapture("messagebox"); });
    m_Game.Click(MessageBoxWindow::kWindowName, MessageBoxWindow::kYesName);
    EXPECT_EQ(m_Game.Gui().ShowMessageBox("<text font bar16m color 1 1 1 1>Delete the driver Ann?</text>",
                                          "Delete Driver", MessageBoxWindow::kYes | MessageBoxWindow::kNo),
              MessageBoxWindow::kYes);
    EXPECT_TRUE(saved);
    for (const char* name : {"main", "credits", "messagebox", "loading"})
        EXPECT_TRUE(std::filesystem::exists(HeadlessGame::ScreenshotFolder() + "/" + name + ".tga")) << name;
}
