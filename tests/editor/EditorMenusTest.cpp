#include "editor/EditorPropertiesWindow.h"
#include "editor/MapEditorWindow.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "game/screens/tvMapEditorWindow.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

// The editor program: the game's start-up with the engine's editor where the front end would be.
HeadlessGame::Options EditorProgram()
{
    HeadlessGame::Options options;
    options.makeApp = []
    {
        auto app = std::make_unique<Tarvolin>();
        app->SetEngineEditor(true);
        return app;
    };
    return options;
}

class EditorMenusTest : public ::testing::Test
{
protected:
    EditorMenusTest() : m_Game(EditorProgram()) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        m_Editor = dynamic_cast<MapEditorWindow*>(m_Game.Gui().FindWindow(MapEditorWindow::kWindowName));
        ASSERT_NE(m_Editor, nullptr);
        m_Sheet = dynamic_cast<EditorPropertiesWindow*>(
            m_Game.Gui().FindWindow(EditorPropertiesWindow::kWindowName));
        ASSERT_NE(m_Sheet, nullptr);
    }

    guiListBox* Menu(const char* name) { return m_Editor->FindChild(name)->DynamicCast<guiListBox>(); }

    std::vector<std::string> Rows(guiListBox* list)
    {
        std::vector<std::string> rows;
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            rows.push_back(list->GetSelectedText());
        }
        list->ClearSelection(false);
        return rows;
    }

    // Chooses a row as a click on it does.
    void Choose(const char* menu, const char* row)
    {
        guiListBox* list = Menu(menu);
        list->SelectRow(list->FindRow(row, 0), true);
    }

    // Notes the sheet's title when it shows, then closes it with the button.
    void AnswerSheet(const char* button, std::string* title)
    {
        m_Game.Queue([this, title] { *title = m_Sheet->IsVisible() ? m_Sheet->GetTitleBox()->GetText() : ""; });
        m_Game.Click(EditorPropertiesWindow::kWindowName, button);
    }

    // Types a value into the sheet's row as the player does: the value box commits it.
    void Edit(const std::string& label, const std::string& value)
    {
        m_Game.Queue(
            [this, label, value]
            {
                guiTextBox* box = m_Sheet->GetValueBox(m_Sheet->FindRowByLabel(label));
                ASSERT_NE(box, nullptr) << label;
                box->SetText(value);
                box->FireEvent(guiMsgEvent(gui::kEventValueChanged, box));
            });
    }

    void LoadBareWorld()
    {
        std::ofstream(m_Game.Install().Path() + "/Worlds/bare.xml") << "<World><name>Bare</name></World>\n";
        m_Editor->LoadWorld("Worlds\\bare.xml");
        ASSERT_EQ(m_Editor->GetWorld()->GetTerrain(), nullptr);
    }

    HeadlessGame m_Game;
    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    MapEditorWindow* m_Editor = nullptr;
    EditorPropertiesWindow* m_Sheet = nullptr;
};

} // namespace

TEST_F(EditorMenusTest, TheEditorProgramOpensOnTheDefaultCourseWithEveryMenuRow)
{
    // The engine's own editor, not the game's.
    EXPECT_EQ(dynamic_cast<tvMapEditorWindow*>(m_Editor), nullptr);
    EXPECT_TRUE(m_Editor->IsVisible());
    EXPECT_TRUE(m_Game.App().IsEditor());
    ASSERT_NE(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), m_Editor->GetWorld());
    EXPECT_EQ(m_Editor->GetWorldName(), "default128x128.xml");

    const struct
    {
        const char* menu;
        std::vector<std::string> rows;
    } menus[] = {
        {"file menu", {"New", "Load World...", "Save World (ctrl + s)", "Save World As...", "Exit Editor"}},
        {"tools menu",
         {"Create New Terrain...", "Import Height Map...", "Add Terrain Layer...", "Remove Terrain Layer...",
          "Add Draggable Decal...", "Remove Draggable Decal...", "Flatten Decal's Terrain...", "Add Water Plane...",
          "Add Skybox...", "Add Sun...", "Add Flare Layer...", "Remove Flare Layer..."}},
        {"properties menu", {"World", "Terrain", "Skybox", "Sun", "Selected Entity"}},
    };
    for (const auto& menu : menus)
    {
        guiListBox* list = Menu(menu.menu);
        ASSERT_NE(list, nullptr) << menu.menu;
        EXPECT_EQ(Rows(list), menu.rows) << menu.menu;
        const kaColor& disabled = list->GetDisabledColor();
        EXPECT_FLOAT_EQ(disabled.r, 0.5f);
        EXPECT_FLOAT_EQ(disabled.g, 0.5f);
        EXPECT_FLOAT_EQ(disabled.b, 0.5f);
        EXPECT_FLOAT_EQ(disabled.a, 1.0f);
    }
}

TEST_F(EditorMenusTest, AFocusLossClosesEveryMenuAndARowMadeUnselectableRunsNothing)
{
    const char* const groups[] = {"file menu group", "tools menu group", "properties menu group"};
    for (const char* focus : {"1", "0"})
    {
        for (const char* group : groups)
            m_Editor->FindChild(group)->SetVisible(true);
        guiListBox* tools = Menu("tools menu");
        tools->FireEvent(guiMsgEvent(gui::kEventFocusChanged, tools, focus));
        for (const char* group : groups)
            EXPECT_EQ(m_Editor->FindChild(group)->IsVisible(), std::string(focus) == "1") << group << focus;
    }

    // No world: the world's rows cannot be chosen, so their commands never run.
    m_Editor->OnMenu(false);
    Choose("tools menu", "Add Water Plane...");
    Choose("file menu", "Save World As...");
    EXPECT_EQ(m_Editor->GetWorld()->GetWaterPlane(), nullptr);
    EXPECT_FALSE(m_Game.Gui().FindWindow("Save Game Window")->IsVisible());
    EXPECT_TRUE(m_Editor->IsSaved());
}

TEST_F(EditorMenusTest, CommandsWithoutTheirObjectChangeNothing)
{
    LoadBareWorld();
    const int32_t entities = m_Editor->GetWorld()->GetEntityCount();
    m_Sheet->SetTitle("untouched");
    const struct
    {
        const char* menu;
        const char* row;
    } commands[] = {
        {"properties menu", "Terrain"},          {"properties menu", "Sun"},
        {"properties menu", "Selected Entity"},  {"tools menu", "Remove Draggable Decal..."},
        {"tools menu", "Flatten Decal's Terrain..."}, {"tools menu", "Add Water Plane..."},
        {"tools menu", "Remove Terrain Layer..."},    {"tools menu", "Remove Flare Layer..."},
    };
    for (const auto& command : commands)
    {
        Choose(command.menu, command.row);
        EXPECT_EQ(m_Sheet->GetTitleBox()->GetText(), "untouched") << command.row;
        EXPECT_EQ(m_Editor->GetWorld()->GetEntityCount(), entities) << command.row;
        EXPECT_EQ(m_Editor->GetWorld()->GetWaterPlane(), nullptr) << command.row;
        EXPECT_TRUE(m_Editor->IsSaved()) << command.row;
    }
}

TEST_F(EditorMenusTest, DecalAndWaterCommandsChangeTheWorldAndMarkItUnsaved)
{
    kaWorld& world = *m_Editor->GetWorld();
    auto* marker = new TerrainMarker();
    ASSERT_TRUE(world.AddEntity(marker, true, true));
    marker->Initialize();
    marker->SetRect(2, 2, 6, 6);
    m_Decals.SetSelectedDecal(marker);

    Choose("tools menu", "Flatten Decal's Terrain...");
    EXPECT_FALSE(m_Editor->IsSaved());

    m_Editor->SetSaved(true);
    const int32_t entities = world.GetEntityCount();
    Choose("tools menu", "Remove Draggable Decal...");
    EXPECT_EQ(world.GetEntityCount(), entities - 1);
    EXPECT_EQ(m_Decals.GetSelectedDecal(), nullptr);
    EXPECT_FALSE(m_Editor->IsSaved());

    m_Editor->SetSaved(true);
    Choose("tools menu", "Add Water Plane...");
    auto* water = dynamic_cast<kaEntityWaterPlane*>(world.GetWaterPlane());
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->GetEffectFile(), MapEditorWindow::kWaterEffect);
    EXPECT_FALSE(m_Editor->IsSaved());

    // Laying a decal: its drop-down and the height buttons show, the next press lays one.
    Choose("tools menu", "Add Draggable Decal...");
    EXPECT_EQ(m_Decals.GetMode(), kaDraggableDecalManager::kModeLay);
    EXPECT_TRUE(m_Editor->FindChild("draggable dropdown")->IsVisible());
    EXPECT_TRUE(m_Editor->FindChild("HeightInc Button")->IsVisible());
}

TEST_F(EditorMenusTest, ThePropertySheetIsTitledForItsOwnerAndOnlyOkApplies)
{
    kaWorld& world = *m_Editor->GetWorld();
    auto* stand = new kaEntityEditorModel("NoSuchThing");
    ASSERT_TRUE(world.AddEntity(stand, true, true));
    const struct
    {
        kaEntity* owner;
        const char* title;
    } owners[] = {
        {nullptr, "World Properties"},
        {world.GetTerrain(), "kaTerrain Properties"},
        {stand, "NoSuchThing Properties"},
    };
    for (const auto& owner : owners)
    {
        // Cancelled after an edit: nothing changes and the saved state stays.
        std::string title;
        Edit(kaWorld::kNameLabel, "Renamed");
        AnswerSheet("cancel", &title);
        const std::string name = owner.owner != nullptr ? owner.owner->GetName() : world.GetName();
        if (owner.owner != nullptr)
            m_Editor->ShowEntityProperties(owner.owner);
        else
            m_Editor->ShowWorldProperties();
        ASSERT_TRUE(m_Game.RunScript());
        EXPECT_EQ(title, owner.title);
        EXPECT_EQ(owner.owner != nullptr ? owner.owner->GetName() : world.GetName(), name) << owner.title;
        EXPECT_TRUE(m_Editor->IsSaved()) << owner.title;
    }

    // Ok applies the edit and marks the world unsaved.
    std::string title;
    Edit(kaWorld::kNameLabel, "Renamed");
    AnswerSheet("ok", &title);
    m_Editor->ShowEntityProperties(stand);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(stand->GetName(), "Renamed");
    EXPECT_FALSE(m_Editor->IsSaved());
}

TEST_F(EditorMenusTest, AValueThatDoesNotConvertIsNamedAndTheSheetComesBackAsTyped)
{
    std::string firstTitle;
    Edit(kaWorld::kStartXLabel, "abc");
    AnswerSheet("ok", &firstTitle);
    std::string message;
    std::string caption;
    m_Game.Queue([] {});
    m_Game.Queue(
        [this, &message, &caption]
        {
            MessageBoxWindow* box = m_Game.Gui().GetMessageBox();
            if (box != nullptr && box->IsVisible())
            {
                message = box->GetTextArea()->GetText();
                caption = box->GetCaptionBar()->GetText();
            }
        });
    m_Game.Click(MessageBoxWindow::kWindowName, MessageBoxWindow::kOkName);
    std::string typed;
    m_Game.Queue(
        [this, &typed]
        {
            if (m_Sheet->IsVisible())
                typed = m_Sheet->GetValueBox(m_Sheet->FindRowByLabel(kaWorld::kStartXLabel))->GetText();
        });
    m_Game.Click(EditorPropertiesWindow::kWindowName, "cancel");
    const float startX = m_Editor->GetWorld()->GetStartX();
    m_Editor->ShowWorldProperties();
    ASSERT_TRUE(m_Game.RunScript());

    EXPECT_NE(message.find("\"abc\""), std::string::npos) << message;
    EXPECT_NE(message.find(kaWorld::kStartXLabel), std::string::npos) << message;
    EXPECT_EQ(caption, MapEditorWindow::kMessageCaption);
    EXPECT_EQ(typed, "abc");
    EXPECT_FLOAT_EQ(m_Editor->GetWorld()->GetStartX(), startX);
    // Rows before the bad one may have been applied.
    EXPECT_FALSE(m_Editor->IsSaved());
}
