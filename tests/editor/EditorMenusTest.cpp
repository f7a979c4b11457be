#include "editor/EditorCamera.h"
#include "editor/EditorPropertiesWindow.h"
#include "editor/MapEditorWindow.h"
#include "editor/SaveLoadWindow.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "platform/gfx/math/Matrix.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <cmath>
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

    // The engine's services the game's start-up does not make outlive the game, whose shutdown empties them.
    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    HeadlessGame m_Game;
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

namespace
{

// The engine editor driven through its menus from a new terrain to a saved and reloaded course.
class EditorMenusRunTest : public EditorMenusTest
{
protected:
    void Fill(const std::string& window, const std::vector<std::pair<std::string, std::string>>& fields)
    {
        m_Game.Queue(
            [this, window, fields]
            {
                for (const auto& field : fields)
                {
                    guiGlyph* glyph = m_Game.FindWidget(window, field.first);
                    auto* box = glyph != nullptr ? glyph->DynamicCast<guiTextBox>() : nullptr;
                    ASSERT_NE(box, nullptr) << field.first;
                    box->SetText(field.second);
                }
            });
        m_Game.Click(window, "ok");
    }

    // The pixel a world point shows at through the editor camera.
    void ScreenOf(const platform::Vector3& point, int& x, int& y) const
    {
        const EditorCamera& camera = *m_Editor->GetCamera();
        const platform::Matrix both = camera.GetComputedView() * camera.GetComputedProjection();
        platform::Vector3 clip;
        platform::Vec3TransformCoord(&clip, &point, &both);
        x = int(std::lround((clip.x + 1.0f) * 0.5f * 800));
        y = int(std::lround((1.0f - clip.y) * 0.5f * 600));
    }

    void PointAt(int x, int y)
    {
        const platform::Rect frame = m_Game.Window().NativeWindows().at(m_Game.App().GetWindowHandle()).frame;
        m_Game.Window().SetPointer(x + frame.left, y + frame.top);
        m_Game.Gui().SetCursorPosition(x, y);
    }

    static gui::MouseData Buttons(bool left)
    {
        gui::MouseData data;
        data.buttons[platform::kMouseLeft] = left;
        return data;
    }

    static guiMsgMouse Moved(bool left)
    {
        guiMsgMouse message;
        message.data = Buttons(left);
        return message;
    }
};

} // namespace

TEST_F(EditorMenusRunTest, ACourseBuiltThroughTheMenusComesBackWholeFromItsFile)
{
    // New: the old course is left unsaved, the terrain comes from the dialog.
    m_Game.Click("Save World Menu", "no_quit");
    Fill("Create Terrain Window", {{"heightmap", "resources\\worlds\\heightmap\\map129.tga"},
                                   {"width", "128"},
                                   {"height", "20"},
                                   {"length", "128"},
                                   {"vertex light", "0"},
                                   {"mask path", "resources\\worlds\\groundmasks\\full129.tga"},
                                   {"texture path", "resources\\worlds\\groundtiles\\grass.bmp"},
                                   {"tex stretch", "8"}});
    Choose("file menu", "New");
    ASSERT_TRUE(m_Game.RunScript());
    kaWorld* world = m_Editor->GetWorld();
    ASSERT_NE(world, nullptr);
    auto* terrain = dynamic_cast<kaTerrain*>(world->GetTerrain());
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->GetLayerCount(), 1);
    EXPECT_EQ(m_Editor->GetWorldName(), "*untitled");

    Fill("Terrain Layer Window", {{"mask path", "resources\\worlds\\groundmasks\\half129.tga"},
                                  {"texture path", "resources\\worlds\\groundtiles\\rock.bmp"},
                                  {"tex stretch", "4"}});
    Choose("tools menu", "Add Terrain Layer...");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_EQ(terrain->GetLayerCount(), 2);

    // A terrain marker laid by a press and a drag on the ground, then raised.
    ASSERT_TRUE(m_Game.Frame());
    Choose("tools menu", "Add Draggable Decal...");
    m_Editor->GetDecalDropDown()->SelectByText(MapEditorWindow::kMarkerItem);
    int x = 0;
    int y = 0;
    ScreenOf(platform::Vector3(40.0f, terrain->GetHeightAt(40.0f, 40.0f), 40.0f), x, y);
    PointAt(x, y);
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true));
    ScreenOf(platform::Vector3(50.0f, terrain->GetHeightAt(50.0f, 50.0f), 50.0f), x, y);
    PointAt(x, y);
    m_Editor->OnMouseMove(Moved(true));
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false));
    auto* marker = dynamic_cast<TerrainMarker*>(m_Decals.GetSelectedDecal());
    ASSERT_NE(marker, nullptr);
    const float markerHeight = marker->GetPosition().y + MapEditorWindow::kHeightStep;
    m_Game.Click(m_Editor->GetName(), "HeightInc Button");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_FLOAT_EQ(marker->GetPosition().y, markerHeight);

    // Three entities from the palette, put down apart.
    std::vector<kaEntityModel*> placed;
    const float spots[][2] = {{60.0f, 70.0f}, {70.0f, 60.0f}, {80.0f, 80.0f}};
    for (const auto& spot : spots)
    {
        m_Editor->GetCategoryDropDown()->SelectByText("Props");
        m_Editor->LoadEntityPalette();
        // The crate: after Ball, BallProp and BoxProp.
        m_Editor->GetPalette()->SelectRow(3, true);
        kaEntityModel* entity = m_Editor->GetHighlightedEntity();
        ASSERT_NE(entity, nullptr);
        ScreenOf(platform::Vector3(spot[0], terrain->GetHeightAt(spot[0], spot[1]), spot[1]), x, y);
        PointAt(x, y);
        m_Editor->OnMouseMove(Moved(false));
        m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false));
        ASSERT_TRUE(entity->IsVisible());
        placed.push_back(entity);
    }

    // A double click on the first opens its properties: its name changes.
    Edit(kaWorld::kNameLabel, "First Crate");
    std::string title;
    AnswerSheet("ok", &title);
    kaBoundingBox* box = placed[0]->GetBoundingBox();
    ASSERT_NE(box, nullptr);
    ScreenOf((box->m_Min + box->m_Max) * 0.5f, x, y);
    PointAt(x, y);
    m_Game.SetClockStep(0.001);
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true));
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false));
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true));
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false));
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(title, "kaEntityPhysical Properties");
    EXPECT_EQ(placed[0]->GetName(), "First Crate");

    // A world property.
    Edit(kaWorld::kDescriptionLabel, "Built by menus");
    AnswerSheet("ok", &title);
    Choose("properties menu", "World");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(world->GetDescription(), "Built by menus");

    // Save as "track".
    m_Game.Queue(
        [this]
        {
            auto* dialog = dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
            dialog->GetFileNameBox()->SetText("track");
        });
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    Choose("file menu", "Save World As...");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetWorldName(), "track.xml");

    // What the file must give back.
    std::vector<float> heights;
    for (float at = 8.0f; at < 128.0f; at += 24.0f)
        heights.push_back(terrain->GetHeightAt(at, 128.0f - at));
    std::vector<std::string> layers;
    for (int32_t i = 0; i < terrain->GetLayerCount(); ++i)
        layers.push_back(terrain->GetLayer(i)->GetTexturePath());
    std::vector<std::pair<std::string, platform::Vector3>> entities;
    for (kaEntityModel* entity : placed)
        entities.emplace_back(entity->GetName(), entity->GetPosition());

    // Load World "track".
    m_Game.Queue(
        [this]
        {
            auto* dialog = dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
            guiListBox* list = dialog->GetFileList();
            for (int32_t row = 0; row < list->GetUsedRows(); ++row)
            {
                list->SelectRow(row, false);
                if (list->GetSelectedText().find("track") != std::string::npos)
                {
                    list->SelectRow(row, true);
                    break;
                }
            }
        });
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    Choose("file menu", "Load World...");
    ASSERT_TRUE(m_Game.RunScript());
    kaWorld* loaded = m_Editor->GetWorld();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(m_Editor->GetWorldName(), "track.xml");
    EXPECT_EQ(loaded->GetDescription(), "Built by menus");
    auto* back = dynamic_cast<kaTerrain*>(loaded->GetTerrain());
    ASSERT_NE(back, nullptr);
    size_t i = 0;
    for (float at = 8.0f; at < 128.0f; at += 24.0f, ++i)
        EXPECT_NEAR(back->GetHeightAt(at, 128.0f - at), heights[i], 0.01f) << at;
    ASSERT_EQ(back->GetLayerCount(), int32_t(layers.size()));
    for (int32_t l = 0; l < back->GetLayerCount(); ++l)
        EXPECT_EQ(back->GetLayer(l)->GetTexturePath(), layers[size_t(l)]);
    size_t markers = 0;
    for (kaEntity* entity : loaded->GetEntities())
        if (auto* found = dynamic_cast<TerrainMarker*>(entity))
        {
            ++markers;
            // The ground under it is kept to the height map's step: 20 high over 255 steps.
            EXPECT_NEAR(found->GetPosition().y, markerHeight, 20.0f / 255.0f);
        }
    EXPECT_EQ(markers, 1u);
    // Each placed entity is back under its name where it stood.
    for (const auto& entity : entities)
    {
        bool found = false;
        for (kaEntity* candidate : loaded->GetEntities())
        {
            auto* model = dynamic_cast<kaEntityModel*>(candidate);
            found |= model != nullptr && model->GetName() == entity.first &&
                     std::fabs(model->GetPosition().x - entity.second.x) < 0.01f &&
                     std::fabs(model->GetPosition().z - entity.second.z) < 0.01f;
        }
        EXPECT_TRUE(found) << entity.first << " at " << entity.second.x << ", " << entity.second.z;
    }
    EXPECT_NE(loaded->FindEntityByName("First Crate"), nullptr);
}
