#include "editor/MapEditorWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/EditorCamera.h"
#include "editor/EditorHost.h"
#include "editor/SaveLoadWindow.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaTerrain.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/courseeditor/MapSaveMenu.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/window/WindowConstants.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/PalettePicture.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using platform::Vector3;
using testsupport::HeadlessGame;

namespace
{

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class RecordingHost : public EditorHost
{
public:
    void SetCurrentWorld(kaWorld* world) override { current = world; }
    kaWorld* current = nullptr;
};

// The engine editor with its property window replaced by a record of what it was asked to open.
class TestEditor : public MapEditorWindow
{
public:
    using MapEditorWindow::MapEditorWindow;
    void ShowEntityProperties(kaEntity* entity) override { opened.push_back(entity); }
    // The terrain dialog is the application's: a set-up answered with an empty world, or cancelled.
    kaWorld* ShowWorldSetup(bool showDialog) override
    {
        if (!showDialog)
            return MapEditorWindow::ShowWorldSetup(false);
        return setupAnswered ? new kaWorld() : nullptr;
    }
    std::vector<kaEntity*> opened;
    bool setupAnswered = true;
};

// Palette records beside the sample ones: a class nobody registered, in a category of its own.
constexpr const char* kOddRecords = R"(<root>
    <initData>
        <uniqueID>Zed</uniqueID>
        <dataType>EditorEntity</dataType>
        <data>
            <type>NoSuchThing</type>
            <entityInitID>Crate</entityInitID>
            <Category>Odd</Category>
            <previewPic>ui/editor/palette/crate.tga</previewPic>
        </data>
    </initData>
</root>
)";

// The crate's row among the sample "Props": Ball, BallProp, BoxProp, Crate, CylinderProp.
constexpr int32_t kCrateRow = 3;

gui::MouseData Buttons(bool left, bool right, bool middle)
{
    gui::MouseData data;
    data.buttons[platform::kMouseLeft] = left;
    data.buttons[platform::kMouseRight] = right;
    data.buttons[platform::kMouseMiddle] = middle;
    return data;
}

guiMsgMouse Moved(float dx, float dy, bool left, bool right, bool middle)
{
    guiMsgMouse message;
    message.data = Buttons(left, right, middle);
    message.deltaX = dx;
    message.deltaY = dy;
    return message;
}

// The game headless with the engine editor registered in the place of the game's, shown over the
// default course with a model manager for what it places.
class MapEditorWindowTest : public ::testing::Test
{
protected:
    explicit MapEditorWindowTest(bool realGraphics = false) : m_Game(Options(realGraphics)) {}

    static HeadlessGame::Options Options(bool realGraphics)
    {
        HeadlessGame::Options options;
        options.realGraphics = realGraphics;
        return options;
    }

    void SetUp() override
    {
        std::ofstream(m_Game.Install().Path() + "/InitData/OddPalette.xml") << kOddRecords;
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        guiManager& gui = m_Game.Gui();
        for (guiWindow* window : gui.GetWindows())
            if (window->IsVisible())
                gui.HideWindow(window, 1);
        gui.RemoveWindow(gui.FindWindow(MapEditorWindow::kWindowName));
        m_Editor = new TestEditor("UI/editor/mapeditor.kab", &m_Host);
        gui.AddWindow(m_Editor);
        gui.ShowWindow(m_Editor, false);
        PointAt(kWidth / 2, kHeight / 2);
        ASSERT_NE(m_Editor->GetWorld(), nullptr);
        ASSERT_NE(m_Editor->GetWorld()->GetTerrain(), nullptr);
    }

    void TearDown() override
    {
        m_Game.Gui().RemoveWindow(m_Editor);
        m_Models.DeleteAll();
    }

    kaWorld& World() { return *m_Editor->GetWorld(); }

    // The system pointer at a client position of the game's window, and the GUI cursor there.
    void PointAt(int x, int y)
    {
        const platform::Rect frame = m_Game.Window().NativeWindows().at(m_Game.App().GetWindowHandle()).frame;
        m_Game.Window().SetPointer(x + frame.left, y + frame.top);
        m_Game.Gui().SetCursorPosition(x, y);
    }

    // The pixel a world point shows at through the editor camera.
    void ScreenOf(const Vector3& point, int& x, int& y) const
    {
        const EditorCamera& camera = *m_Editor->GetCamera();
        const platform::Matrix both = camera.GetComputedView() * camera.GetComputedProjection();
        Vector3 clip;
        platform::Vec3TransformCoord(&clip, &point, &both);
        x = int(std::lround((clip.x + 1.0f) * 0.5f * kWidth));
        y = int(std::lround((1.0f - clip.y) * 0.5f * kHeight));
    }

    // Chooses the palette's row of the current category, as a click on its picture does.
    kaEntityModel* Place(const std::string& category, int32_t row)
    {
        guiDropDown* categories = m_Editor->GetCategoryDropDown();
        categories->SelectByText(category);
        m_Editor->LoadEntityPalette();
        m_Editor->GetPalette()->SelectRow(row, true);
        return m_Editor->GetHighlightedEntity();
    }

    // Puts the chosen entity down where the pointer is and lets go.
    void PutDown(int x, int y)
    {
        PointAt(x, y);
        m_Editor->OnMouseMove(Moved(0.0f, 0.0f, false, false, false));
        m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false, false, false));
    }

    std::vector<std::string> Categories() const
    {
        std::vector<std::string> items;
        guiListBox* list = m_Editor->GetCategoryDropDown()->GetList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            items.push_back(list->GetSelectedText());
        }
        list->SelectRow(0, false);
        return items;
    }

    size_t Count(const std::string& className)
    {
        size_t count = 0;
        for (kaEntity* entity : World().GetEntities())
            count += entity->GetClassName() == className ? 1 : 0;
        return count;
    }

    // Answers the file dialog: the name field emptied, the name typed, then ok.
    void AnswerSaveAs(const std::string& name)
    {
        m_Game.PressKey(guiTextBox::kKeyEnd);
        for (int i = 0; i < 30; ++i)
            m_Game.PressKey(guiTextBox::kKeyBackspace);
        m_Game.Type(name);
        m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    }

    // Answers the message box with ok, noting its text.
    void AnswerMessage()
    {
        m_Game.Queue([] {});
        m_Game.Queue(
            [this]
            {
                MessageBoxWindow* box = m_Game.Gui().GetMessageBox();
                if (box != nullptr && box->IsVisible() && box->GetTextArea() != nullptr)
                    m_Messages.push_back(box->GetTextArea()->GetText());
            });
        m_Game.Click(MessageBoxWindow::kWindowName, MessageBoxWindow::kOkName);
    }

    bool Exists(const std::string& relative) const
    {
        return std::filesystem::exists(m_Game.Install().Path() + "/" + relative);
    }

    HeadlessGame m_Game;
    // The program's singletons that the game's start-up does not make.
    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    RecordingHost m_Host;
    TestEditor* m_Editor = nullptr;
    std::vector<std::string> m_Messages;
};

} // namespace

TEST_F(MapEditorWindowTest, ShowingOpensTheDefaultCourseAndFillsThePaletteByCategory)
{
    EXPECT_EQ(m_Host.current, &World());
    EXPECT_EQ(World().GetCamera(), m_Editor->GetCamera());
    EXPECT_EQ(m_Editor->GetWorldName(), "default128x128.xml");
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "default128x128.xml");
    EXPECT_TRUE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetBuildMode(), 1);
    ASSERT_NE(kaDraggableDecalManager::GetSingleton(), nullptr);
    EXPECT_EQ(kaDraggableDecalManager::GetSingleton()->GetWorld(), &World());

    // One item a category, in the order of the records' identifiers, the first chosen.
    EXPECT_EQ(Categories(),
              (std::vector<std::string>{"Props", "Stunts", "Power-ups", "Scenery", "Points", "Odd"}));
    EXPECT_EQ(m_Editor->GetCategoryDropDown()->GetSelectedText(), "Props");
    guiGrid* palette = m_Editor->GetPalette();
    ASSERT_NE(palette->GetCell(4, 0), nullptr);
    EXPECT_EQ(palette->GetCell(5, 0), nullptr);
    auto* picture = palette->GetCell(0, 0)->DynamicCast<guiImage>();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetFilename(), "ui/editor/palette/ball.tga");

    const struct
    {
        const char* category;
        int rows;
    } categories[] = {{"Scenery", 2}, {"Stunts", 8}, {"Power-ups", 4},
                      {"Points", 2},  {"Odd", 1},    {"Props", 5}};
    for (const auto& c : categories)
    {
        m_Editor->GetCategoryDropDown()->SelectByText(c.category);
        m_Editor->LoadEntityPalette();
        int rows = 0;
        while (palette->GetCell(rows, 0) != nullptr)
            ++rows;
        EXPECT_EQ(rows, c.rows) << c.category;
    }
    // A category no record names empties the grid.
    m_Editor->GetCategoryDropDown()->AddItem("Nothing", ka::any());
    m_Editor->GetCategoryDropDown()->SelectByText("Nothing");
    m_Editor->LoadEntityPalette();
    EXPECT_EQ(palette->GetCell(0, 0), nullptr);
    // With no row to choose nothing is placed.
    const int32_t before = World().GetEntityCount();
    m_Editor->PlaceEntity();
    EXPECT_EQ(World().GetEntityCount(), before);
}

TEST_F(MapEditorWindowTest, SetSavedPutsOneMarkInFrontAndTakesItAwayLowerCasingTheName)
{
    std::ofstream(m_Game.Install().Path() + "/Worlds/MyTrack.xml") << "<World/>\n";
    m_Editor->LoadWorld("Worlds\\MyTrack.xml");
    EXPECT_EQ(m_Editor->GetWorldName(), "MyTrack.xml");
    const struct
    {
        bool saved;
        const char* name;
    } steps[] = {
        {false, "*mytrack.xml"}, {false, "*mytrack.xml"}, {true, "mytrack.xml"}, {true, "mytrack.xml"}};
    for (const auto& step : steps)
    {
        m_Editor->SetSaved(step.saved);
        EXPECT_EQ(m_Editor->IsSaved(), step.saved);
        EXPECT_EQ(m_Editor->GetWorldName(), step.name);
        EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), step.name);
    }
    // Loading leaves the saved state as it was.
    m_Editor->SetSaved(false);
    std::ofstream(m_Game.Install().Path() + "/Worlds/foo.xml") << "<World/>\n";
    m_Editor->LoadWorld("Worlds\\foo.xml");
    EXPECT_EQ(m_Editor->GetWorldName(), "foo.xml");
    EXPECT_FALSE(m_Editor->IsSaved());
}

TEST_F(MapEditorWindowTest, APlacedEntityFollowsThePointerOnTheGroundAndGoesWhenLetGoOverTheSky)
{
    kaEntityModel* crate = Place("Props", kCrateRow);
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(crate->GetClassName(), "kaEntityPhysical");
    EXPECT_EQ(crate->GetInitUniqueID(), "Crate");
    EXPECT_FALSE(crate->IsVisible());
    EXPECT_TRUE(m_Editor->IsDraggingOnTerrain());
    EXPECT_FALSE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetWorldName(), "*default128x128.xml");

    PointAt(kWidth / 2 + 40, kHeight / 2 + 30);
    m_Editor->OnMouseMove(Moved(0.0f, 0.0f, false, false, false));
    ASSERT_TRUE(crate->IsVisible());
    const kaBoundingBox* box = crate->GetBoundingBox();
    ASSERT_NE(box, nullptr);
    const Vector3 centre = (box->m_Min + box->m_Max) * 0.5f;
    EXPECT_NEAR(box->m_Min.y, World().GetTerrain()->GetHeightAt(centre.x, centre.z), 0.05f);
    int x = 0;
    int y = 0;
    ScreenOf(Vector3(centre.x, box->m_Min.y, centre.z), x, y);
    EXPECT_NEAR(x, kWidth / 2 + 40, 2);
    EXPECT_NEAR(y, kHeight / 2 + 30, 2);

    // Off the ground it hides, and letting go there throws it away.
    PointAt(kWidth / 2, 4);
    m_Editor->OnMouseMove(Moved(0.0f, 0.0f, true, false, false));
    EXPECT_FALSE(crate->IsVisible());
    const size_t physical = Count("kaEntityPhysical");
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false, false, false));
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), nullptr);
    World().Update(0.0f);
    EXPECT_EQ(Count("kaEntityPhysical"), physical - 1);
}

// The show step sets the palette grid ten pixels square; its scroller lays it out again when it draws.
TEST_F(MapEditorWindowTest, TheShowStepSetsThePaletteGridTenPixelsSquare)
{
    const guiCoordPair& size = m_Editor->GetPalette()->GetSize();
    EXPECT_FALSE(size.x.IsRelative() || size.y.IsRelative());
    EXPECT_FLOAT_EQ(size.x.value, float(MapEditorWindow::kPaletteShowSize));
    EXPECT_FLOAT_EQ(size.y.value, float(MapEditorWindow::kPaletteShowSize));
}

TEST_F(MapEditorWindowTest, AnUnknownClassPlacesAnEditorModelThatKeepsItsName)
{
    kaEntityModel* odd = Place("Odd", 0);
    ASSERT_NE(odd, nullptr);
    auto* placeholder = dynamic_cast<kaEntityEditorModel*>(odd);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->GetClassName(), "NoSuchThing");
}

TEST_F(MapEditorWindowTest, GesturesMoveTurnOpenAndDeleteTheSelectedEntity)
{
    kaEntityModel* crate = Place("Props", kCrateRow);
    ASSERT_NE(crate, nullptr);
    PutDown(kWidth / 2, kHeight / 2);
    ASSERT_TRUE(crate->IsVisible());
    m_Editor->SetSaved(true);

    // Right drag: along the camera's flat right axis and by -dy x 0.1 in height.
    const Vector3 start = crate->GetPosition();
    m_Editor->OnMouseDown(platform::kMouseRight, Buttons(false, true, false));
    ASSERT_EQ(m_Editor->GetHighlightedEntity(), crate);
    EXPECT_TRUE(m_Editor->IsMoving());
    m_Editor->OnMouseMove(Moved(20.0f, -10.0f, false, true, false));
    const Vector3 moved = crate->GetPosition();
    EXPECT_NEAR(moved.x - start.x, 2.0f, 1e-3f);
    EXPECT_NEAR(moved.y - start.y, 1.0f, 1e-3f);
    EXPECT_NEAR(moved.z - start.z, 0.0f, 1e-3f);
    EXPECT_FALSE(m_Editor->IsSaved());
    m_Editor->OnMouseUp(platform::kMouseRight, Buttons(false, false, false));
    EXPECT_FALSE(m_Editor->IsMoving());

    // Middle drag turns about the vertical by dx x -0.05.
    int x = 0;
    int y = 0;
    ScreenOf(crate->GetBoundingBox()->m_Centre, x, y);
    PointAt(x, y);
    m_Editor->OnMouseDown(platform::kMouseMiddle, Buttons(false, false, true));
    EXPECT_TRUE(m_Editor->IsRotating());
    m_Editor->OnMouseMove(Moved(-10.0f, 0.0f, false, false, true));
    m_Editor->OnMouseUp(platform::kMouseMiddle, Buttons(false, false, false));
    platform::Matrix turned;
    const platform::Quaternion rotation = crate->GetRotation();
    platform::MatrixRotationQuaternion(&turned, &rotation);
    // Half a radian about Y: +X turns towards -Z.
    EXPECT_NEAR(turned(0, 0), std::cos(0.5f), 1e-3f);
    EXPECT_NEAR(turned(0, 2), -std::sin(0.5f), 1e-3f);
    EXPECT_NEAR(turned(1, 1), 1.0f, 1e-3f);

    // Two left presses within half a second open its properties instead of starting a drag.
    m_Game.SetClockStep(0.0);
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true, false, false));
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false, false, false));
    EXPECT_TRUE(m_Editor->opened.empty());
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true, false, false));
    ASSERT_EQ(m_Editor->opened.size(), 1u);
    EXPECT_EQ(m_Editor->opened[0], crate);
    EXPECT_FALSE(m_Editor->IsDraggingOnTerrain());
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false, false, false));

    // Delete takes the selection away.
    m_Editor->SetSaved(true);
    const size_t physical = Count("kaEntityPhysical");
    guiMsgKey del;
    del.key = uint8_t(platform::VK_DELETE);
    del.virtualKey = 1;
    m_Editor->OnKey(del);
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), nullptr);
    EXPECT_EQ(Count("kaEntityPhysical"), physical - 1);
    EXPECT_FALSE(m_Editor->IsSaved());
}

TEST_F(MapEditorWindowTest, ADecalLaidInTheLastColumnTakesItsSecondCornerOneCellBack)
{
    auto* terrain = dynamic_cast<kaTerrain*>(World().GetTerrain());
    ASSERT_NE(terrain, nullptr);
    const int32_t cells = terrain->GetColumns() - 1;
    // Straight down on the last column's middle cell.
    m_Editor->GetCamera()->SetMode(EditorCamera::kTopView);
    const float side = terrain->GetWidth();
    int x = 0;
    int y = 0;
    const float cell = terrain->GetCellSize();
    const Vector3 last((float(cells) - 0.5f) * cell, 0.0f, side * 0.5f + 0.5f * cell);
    EditorCamera& camera = *m_Editor->GetCamera();
    camera.SetPosition(last.x - 4.0f, terrain->GetHeightAt(last.x, last.z) + 20.0f, last.z);
    camera.Rotate();
    ScreenOf(Vector3(last.x, terrain->GetHeightAt(last.x, last.z), last.z), x, y);
    PointAt(x, y);

    kaDraggableDecalManager& decals = *kaDraggableDecalManager::GetSingleton();
    m_Editor->GetDecalDropDown()->SelectByText(MapEditorWindow::kMarkerItem);
    decals.SetMode(kaDraggableDecalManager::kModeLay);
    // A press that finds no ground (the eye moved off the terrain) lays nothing and keeps no decal.
    const int32_t entities = World().GetEntityCount();
    const Vector3 eye = camera.GetPosition();
    camera.SetPosition(-400.0f, eye.y, -400.0f);
    camera.Rotate();
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true, false, false));
    EXPECT_EQ(decals.GetSelectedDecal(), nullptr);
    EXPECT_EQ(World().GetEntityCount(), entities);
    EXPECT_EQ(decals.GetMode(), kaDraggableDecalManager::kModeLay);
    camera.SetPosition(eye.x, eye.y, eye.z);
    camera.Rotate();
    m_Editor->OnMouseDown(platform::kMouseLeft, Buttons(true, false, false));
    auto* marker = dynamic_cast<TerrainMarker*>(decals.GetSelectedDecal());
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetStartX(), cells - 2);
    EXPECT_EQ(marker->GetEndX(), cells - 1);
    EXPECT_FALSE(m_Editor->IsSaved());
    m_Editor->OnMouseUp(platform::kMouseLeft, Buttons(false, false, false));
    EXPECT_EQ(decals.GetMode(), kaDraggableDecalManager::kModeIdle);

    // Each press of the height buttons moves the flatten height by one and levels the ground there.
    const Vector3 at = marker->GetPosition();
    const float ground = terrain->GetHeightAt(at.x, at.z);
    for (int step = 1; step <= 3; ++step)
        m_Editor->MoveDecalHeight(MapEditorWindow::kHeightStep);
    EXPECT_NEAR(marker->GetPosition().y, at.y + 3.0f, 1e-4f);
    EXPECT_NEAR(terrain->GetHeightAt(at.x, at.z), at.y + 3.0f, 0.05f);
    EXPECT_NE(terrain->GetHeightAt(at.x, at.z), ground);
    m_Editor->MoveDecalHeight(-MapEditorWindow::kHeightStep);
    EXPECT_NEAR(terrain->GetHeightAt(at.x, at.z), at.y + 2.0f, 0.05f);
}

TEST_F(MapEditorWindowTest, AnUntitledWorldIsSavedUnderTheNameGivenAndRefusedNamesWriteNothing)
{
    // New, answering "Don't Save" for the default course: an untitled world, marked unsaved.
    m_Game.Click("Save World Menu", "no_quit");
    m_Editor->StartNewWorld();
    ASSERT_NE(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Host.current, m_Editor->GetWorld());
    EXPECT_EQ(m_Editor->GetWorldName(), "*untitled");
    EXPECT_FALSE(m_Editor->IsSaved());

    // Saving an untitled world asks for a name.
    AnswerSaveAs("Track");
    EXPECT_EQ(m_Editor->SaveWorld(), 1);
    EXPECT_TRUE(Exists("Worlds/track.xml"));
    EXPECT_EQ(m_Editor->GetWorldName(), "track.xml");
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "track.xml");
    EXPECT_TRUE(m_Editor->IsSaved());

    const struct
    {
        const char* typed;
        const char* message;
        const char* mustNotExist;
    } refused[] = {
        {"bad?name", MapEditorWindow::kRefusedText, "Worlds/bad?name.xml"},
        {"..\\..\\x", MapEditorWindow::kRefusedText, "x.xml"},
        {"a/b", MapEditorWindow::kRefusedText, "Worlds/a/b.xml"},
        {"", MapEditorWindow::kEmptyNameText, "Worlds/.xml"},
    };
    for (const auto& r : refused)
    {
        SCOPED_TRACE(r.typed);
        m_Messages.clear();
        m_Editor->SetSaved(false);
        AnswerSaveAs(r.typed);
        AnswerMessage();
        EXPECT_EQ(m_Editor->SaveWorldAs(), 2);
        ASSERT_TRUE(m_Game.RunScript());
        EXPECT_EQ(m_Messages, std::vector<std::string>{r.message});
        EXPECT_FALSE(Exists(r.mustNotExist));
        // The refused name is not taken: the next save writes the previous file.
        EXPECT_EQ(m_Editor->GetWorldName(), "*track.xml");
        std::filesystem::remove(m_Game.Install().Path() + "/Worlds/track.xml");
        EXPECT_EQ(m_Editor->SaveWorld(), 1);
        EXPECT_TRUE(Exists("Worlds/track.xml"));
    }
    EXPECT_FALSE(Exists("../x.xml"));
}

TEST_F(MapEditorWindowTest, AFailedWriteSaysSoOnceAndStaysUnsaved)
{
    // A folder where the file would go cannot be replaced by it.
    std::filesystem::create_directories(m_Game.Install().Path() + "/Worlds/blocked.xml");
    m_Editor->SetSaved(false);
    AnswerSaveAs("blocked");
    AnswerMessage();
    EXPECT_EQ(m_Editor->SaveWorldAs(), 2);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Messages, std::vector<std::string>{MapEditorWindow::kWriteFailedText});
    EXPECT_FALSE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetWorldName(), "*default128x128.xml");
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "*default128x128.xml");
    EXPECT_TRUE(std::filesystem::is_directory(m_Game.Install().Path() + "/Worlds/blocked.xml"));
}

TEST_F(MapEditorWindowTest, NewAndLoadKeepAnUnsavedWorldUnlessTheAnswerLetsThemGoOn)
{
    m_Game.Click("Save World Menu", "no_quit");
    m_Editor->StartNewWorld();
    kaWorld* untitled = m_Editor->GetWorld();
    ASSERT_NE(untitled, nullptr);

    // Cancel keeps everything.
    m_Game.Click("Save World Menu", "cancel_quit");
    m_Editor->StartNewWorld();
    EXPECT_EQ(m_Editor->GetWorld(), untitled);
    EXPECT_EQ(m_Editor->GetWorldName(), "*untitled");

    // Save first, with the save itself cancelled: still the same world.
    m_Game.Click("Save World Menu", "yes_quit");
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kCancelName);
    m_Editor->StartNewWorld();
    EXPECT_EQ(m_Editor->GetWorld(), untitled);
    EXPECT_FALSE(m_Editor->IsSaved());

    // Loading asks too; cancelling keeps the world.
    m_Game.Click("Save World Menu", "cancel_quit");
    m_Editor->LoadWorldDialog();
    EXPECT_EQ(m_Editor->GetWorld(), untitled);
    EXPECT_TRUE(m_Game.RunScript());

    // A cancelled set-up leaves the editor without a world, its commands off.
    m_Editor->setupAnswered = false;
    m_Game.Click("Save World Menu", "no_quit");
    m_Editor->StartNewWorld();
    EXPECT_EQ(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Host.current, nullptr);
}

TEST_F(MapEditorWindowTest, TabAndCtrlSReachTheEditorThroughTheMessageLoop)
{
    guiGlyph* all = m_Editor->FindChild("hide all group");
    ASSERT_NE(all, nullptr);
    ASSERT_TRUE(all->IsVisible());
    m_Game.Window().KeyDown(platform::VK_TAB);
    m_Game.Window().KeyUp(platform::VK_TAB);
    ASSERT_TRUE(m_Game.Frame());
    EXPECT_FALSE(all->IsVisible());
    m_Game.Window().KeyDown(platform::VK_TAB);
    m_Game.Window().KeyUp(platform::VK_TAB);
    ASSERT_TRUE(m_Game.Frame());
    EXPECT_TRUE(all->IsVisible());

    std::ofstream(m_Game.Install().Path() + "/Worlds/keyed.xml") << "<World/>\n";
    m_Editor->LoadWorld("Worlds\\keyed.xml");
    m_Editor->SetSaved(false);
    std::filesystem::remove(m_Game.Install().Path() + "/Worlds/keyed.xml");
    m_Game.Window().KeyDown(platform::VK_CONTROL);
    m_Game.Window().KeyDown('S');
    m_Game.Window().KeyUp('S');
    m_Game.Window().KeyUp(platform::VK_CONTROL);
    ASSERT_TRUE(m_Game.Frame());
    EXPECT_TRUE(Exists("Worlds/keyed.xml"));
    EXPECT_TRUE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetWorldName(), "keyed.xml");
}

TEST_F(MapEditorWindowTest, TheMenusOfferTheirRowsAndTheWorldRowsOnlyWithAWorld)
{
    guiListBox* file = m_Editor->FindChild("file menu")->DynamicCast<guiListBox>();
    guiListBox* tools = m_Editor->FindChild("tools menu")->DynamicCast<guiListBox>();
    guiListBox* properties = m_Editor->FindChild("properties menu")->DynamicCast<guiListBox>();
    ASSERT_NE(file, nullptr);
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(properties, nullptr);
    EXPECT_EQ(file->GetUsedRows(), 5);
    EXPECT_EQ(tools->GetUsedRows(), 12);
    EXPECT_EQ(properties->GetUsedRows(), 5);

    const struct
    {
        guiListBox* list;
        const char* row;
        bool needsWorld;
    } rows[] = {
        {file, "New", false},
        {file, "Load World...", false},
        {file, "Save World (ctrl + s)", true},
        {file, "Save World As...", true},
        {file, "Exit Editor", false},
        {tools, "Create New Terrain...", true},
        {tools, "Remove Flare Layer...", true},
    };
    for (const bool world : {false, true})
    {
        m_Editor->RefreshSelection(world);
        EXPECT_EQ(m_Editor->GetBuildMode(), world ? 1 : 0);
        EXPECT_EQ(m_Editor->FindChild("build left group")->IsVisible(), world);
        // The toolbar's tools go with the world; its file button stays, for New and Load World...
        const auto shown = [this](const char* name)
        {
            for (guiGlyph* glyph = m_Editor->FindChild(name); glyph != nullptr; glyph = glyph->GetParent())
                if (!glyph->IsVisible())
                    return false;
            return true;
        };
        for (const char* tool : {"tools button", "properties button", "Top View", "Zoom Selected"})
            EXPECT_EQ(shown(tool), world) << tool;
        EXPECT_TRUE(shown("file button"));
        for (const auto& r : rows)
        {
            const int32_t at = r.list->FindRow(r.row, 0);
            ASSERT_GE(at, 0) << r.row;
            EXPECT_EQ(r.list->IsCellSelectable(at, 0), world || !r.needsWorld) << r.row << " " << world;
        }
    }

    // The file menu's rows run their commands: Save World As opens the file dialog.
    m_Game.Click(m_Editor->GetName(), "file button");
    m_Game.Queue([file] { file->SelectRow(file->FindRow("Save World As...", 0), true); });
    bool asked = false;
    m_Game.Queue([this, &asked]
                 { asked = m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName)->IsVisible(); });
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kCancelName);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_TRUE(asked);
    EXPECT_FALSE(m_Editor->FindChild("file menu group")->IsVisible());
}

namespace
{

constexpr int kMouseX = platform::kMouseKindX;
constexpr int kFirstMouseButton = platform::kMouseKindButton0;

// The editor drawn through OpenGL, driven by the player's mouse and keys as the game hands them on.
class MapEditorRunGLTest : public MapEditorWindowTest
{
protected:
    MapEditorRunGLTest() : MapEditorWindowTest(true) {}

    void SetUp() override
    {
        MapEditorWindowTest::SetUp();
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f,
                                            0.0f, 0.0f, 0.0f, 0.0f, 0.4f, 0.4f, 0.4f, 1.0f);
    }

    void TearDown() override
    {
        MapEditorWindowTest::TearDown();
        m_Light.reset();
    }

    void Pointer(int x, int y)
    {
        m_Game.Queue([this, x, y] { PointAt(x, y); });
    }
    void Button(int button, bool down)
    {
        m_Game.Queue([this, button, down]
                     { m_Game.App().OnMouse(kFirstMouseButton + button, down ? 1 : 0, 0, 0); });
    }

    // The pixels that change when the entity is hidden.
    long DrawnPixels(kaEntity* entity)
    {
        EXPECT_TRUE(m_Game.Frame());
        const platform::FrameCapture with = m_Game.Capture();
        entity->SetVisible(false);
        EXPECT_TRUE(m_Game.Frame());
        const platform::FrameCapture without = m_Game.Capture();
        entity->SetVisible(true);
        long count = 0;
        for (size_t at = 0; at + 2 < with.Rows.size() && at + 2 < without.Rows.size(); at += 3)
            count += std::abs(int(with.Rows[at]) - int(without.Rows[at])) +
                                 std::abs(int(with.Rows[at + 1]) - int(without.Rows[at + 1])) >
                             20
                         ? 1
                         : 0;
        return count;
    }

    std::unique_ptr<kaLight> m_Light;
};

} // namespace

TEST_F(MapEditorRunGLTest, ACourseIsBuiltSavedAndLoadedBackWithTheMouseAndKeys)
{
    // Press on the crate's picture, let go, move over the ground and click there.
    m_Game.Queue([] {});
    m_Game.Queue(
        [this]
        {
            guiGrid* palette = m_Editor->GetPalette();
            const platform::Rect& cells = palette->GetHitRect();
            int32_t top = cells.top;
            for (int32_t row = 0; row < kCrateRow; ++row)
                top += palette->GetRowHeight(row);
            PointAt(cells.left + 30, top + 30);
        });
    m_Game.Queue([] {});
    Button(platform::kMouseLeft, true);
    Button(platform::kMouseLeft, false);
    // A pointer glides: off the palette first, then to its place.
    Pointer(450, 330);
    Pointer(460, 340);
    m_Game.Queue([] {});
    Button(platform::kMouseLeft, true);
    Button(platform::kMouseLeft, false);
    ASSERT_TRUE(m_Game.RunScript());
    kaEntity* placed = nullptr;
    for (kaEntity* entity : World().GetEntities())
        if (entity->GetInitUniqueID() == "Crate")
            placed = entity;
    ASSERT_NE(placed, nullptr);
    auto* crate = dynamic_cast<kaEntityModel*>(placed);
    ASSERT_NE(crate, nullptr);
    ASSERT_TRUE(crate->IsVisible());
    const kaBoundingBox* box = crate->GetBoundingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NEAR(box->m_Min.y, World().GetTerrain()->GetHeightAt(box->m_Centre.x, box->m_Centre.z), 0.05f);
    int x = 0;
    int y = 0;
    ScreenOf(Vector3(box->m_Centre.x, box->m_Min.y, box->m_Centre.z), x, y);
    EXPECT_NEAR(x, 460, 3);
    EXPECT_NEAR(y, 340, 3);
    EXPECT_GT(DrawnPixels(crate), 20);
    EXPECT_EQ(m_Editor->GetWorldName(), "*default128x128.xml");

    // A right drag moves it sideways.
    const Vector3 before = crate->GetPosition();
    ScreenOf(crate->GetBoundingBox()->m_Centre, x, y);
    Pointer(x, y);
    m_Game.Queue([] {});
    Button(platform::kMouseRight, true);
    m_Game.Queue([this] { m_Game.App().OnMouse(kMouseX, 0, 30, 0); });
    Button(platform::kMouseRight, false);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_GT(crate->GetPosition().x - before.x, 0.5f);
    EXPECT_NEAR(crate->GetPosition().z, before.z, 0.1f);
    m_Game.Queue([this] { PointAt(kWidth / 2, kHeight / 2); });

    // Drag out a terrain marker and raise the ground under it three times.
    kaDraggableDecalManager& decals = *kaDraggableDecalManager::GetSingleton();
    m_Editor->GetDecalDropDown()->SelectByText(MapEditorWindow::kMarkerItem);
    decals.SetMode(kaDraggableDecalManager::kModeLay);
    Pointer(330, 360);
    m_Game.Queue([] {});
    Button(platform::kMouseLeft, true);
    Pointer(380, 400);
    m_Game.Queue([] {});
    Button(platform::kMouseLeft, false);
    ASSERT_TRUE(m_Game.RunScript());
    auto* marker = dynamic_cast<TerrainMarker*>(decals.GetSelectedDecal());
    ASSERT_NE(marker, nullptr);
    EXPECT_GT(marker->GetEndX(), marker->GetStartX());
    const float flatten = marker->GetPosition().y;
    m_Editor->FindChild("HeightInc Button")->SetVisible(true);
    for (int press = 0; press < 3; ++press)
        m_Game.Click(m_Editor->GetName(), "HeightInc Button");
    ASSERT_TRUE(m_Game.RunScript());
    const Vector3 markerAt = marker->GetPosition();
    EXPECT_NEAR(markerAt.y, flatten + 3.0f, 1e-3f);
    const float raised = World().GetTerrain()->GetHeightAt(markerAt.x, markerAt.z);
    EXPECT_NEAR(raised, flatten + 3.0f, 0.05f);
    const int32_t markerCells[4] = {marker->GetStartX(), marker->GetStartZ(), marker->GetEndX(),
                                    marker->GetEndZ()};
    EXPECT_EQ(m_Editor->GetWorldName().substr(0, 1), "*");

    // Saved as Track; a New answered Cancel changes nothing.
    AnswerSaveAs("Track");
    EXPECT_EQ(m_Editor->SaveWorldAs(), 1);
    EXPECT_EQ(m_Editor->GetWorldName(), "track.xml");
    EXPECT_TRUE(m_Editor->IsSaved());
    kaWorld* edited = m_Editor->GetWorld();
    const int32_t count = World().GetEntityCount();
    m_Game.Click("Save World Menu", "cancel_quit");
    m_Editor->StartNewWorld();
    EXPECT_EQ(m_Editor->GetWorld(), edited);
    EXPECT_EQ(World().GetEntityCount(), count);

    // Loaded again: the crate where it was, turned as it was, the marker and the raised ground.
    const Vector3 cratePosition = crate->GetPosition();
    const platform::Quaternion crateTurn = crate->GetRotation();
    m_Editor->LoadWorld("Worlds\\track.xml");
    EXPECT_EQ(m_Editor->GetWorldName(), "track.xml");
    kaEntityModel* again = nullptr;
    TerrainMarker* markerAgain = nullptr;
    for (kaEntity* entity : World().GetEntities())
    {
        if (entity->GetInitUniqueID() == "Crate")
            again = dynamic_cast<kaEntityModel*>(entity);
        if (auto* found = dynamic_cast<TerrainMarker*>(entity))
            markerAgain = found;
    }
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetClassName(), "kaEntityPhysical");
    EXPECT_NEAR(again->GetPosition().x, cratePosition.x, 1e-3f);
    EXPECT_NEAR(again->GetPosition().y, cratePosition.y, 1e-3f);
    EXPECT_NEAR(again->GetPosition().z, cratePosition.z, 1e-3f);
    EXPECT_NEAR(std::fabs(again->GetRotation().w), std::fabs(crateTurn.w), 1e-3f);
    ASSERT_NE(markerAgain, nullptr);
    EXPECT_EQ(markerAgain->GetStartX(), markerCells[0]);
    EXPECT_EQ(markerAgain->GetStartZ(), markerCells[1]);
    EXPECT_EQ(markerAgain->GetEndX(), markerCells[2]);
    EXPECT_EQ(markerAgain->GetEndZ(), markerCells[3]);
    EXPECT_NEAR(World().GetTerrain()->GetHeightAt(markerAt.x, markerAt.z), raised, 0.05f);

    // Names that leave the folder or say nothing are refused; Ctrl+S then writes the course's own file.
    for (const char* name : {"..\\..\\x", ""})
    {
        AnswerSaveAs(name);
        AnswerMessage();
        EXPECT_EQ(m_Editor->SaveWorldAs(), 2);
        ASSERT_TRUE(m_Game.RunScript());
    }
    EXPECT_EQ(m_Messages,
              (std::vector<std::string>{MapEditorWindow::kRefusedText, MapEditorWindow::kEmptyNameText}));
    std::filesystem::remove(m_Game.Install().Path() + "/Worlds/track.xml");
    m_Game.Window().KeyDown(platform::VK_CONTROL);
    m_Game.Window().KeyDown('S');
    m_Game.Window().KeyUp('S');
    m_Game.Window().KeyUp(platform::VK_CONTROL);
    ASSERT_TRUE(m_Game.Frame());
    EXPECT_TRUE(Exists("Worlds/track.xml"));
    EXPECT_FALSE(Exists("x.xml"));
    EXPECT_FALSE(Exists("../x.xml"));
    EXPECT_FALSE(Exists("Worlds/.xml"));

    // The editor with its palette and an open menu.
    m_Game.Click(m_Editor->GetName(), "file button");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(m_Editor->FindChild("file menu group")->IsVisible());
    ASSERT_TRUE(m_Game.Screenshot("mapeditor"));
}

namespace
{

// The engine editor on its opening world, driven as a user drives it: every click and key an SDL event.
class MapEditorSdlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        editor = dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
        ASSERT_NE(editor, nullptr);
        ASSERT_NE(editor->GetWorld(), nullptr);
    }

    // A click on the row of a list, where the list draws it.
    void ClickRow(const std::function<guiListBox*()>& list, const std::string& text)
    {
        game.ClickAt([list, text](int32_t& x, int32_t& y)
                     { return testsupport::ListRowPoint(list(), text, x, y); });
    }

    SaveLoadWindow* Dialog()
    {
        return dynamic_cast<SaveLoadWindow*>(game.Gui().FindWindow(SaveLoadWindow::kWindowName));
    }

    // Load World... from the file menu, the row chosen in the dialog and ok; the dialog's rows as it
    // listed them.
    std::vector<std::string> OpenThroughTheDialog(const std::string& row)
    {
        game.Click(editor->GetName(), "file button");
        ClickRow([this] { return editor->FindChild("file menu")->DynamicCast<guiListBox>(); },
                 "Load World...");
        std::vector<std::string> rows;
        game.Queue(
            [this, &rows]
            {
                guiListBox* list = Dialog() != nullptr ? Dialog()->GetFileList() : nullptr;
                for (int32_t at = 0; list != nullptr && at < list->GetUsedRows(); ++at)
                {
                    guiGlyph* cell = list->GetCell(at, 0);
                    auto* text = cell != nullptr ? cell->DynamicCast<guiText>() : nullptr;
                    rows.push_back(text != nullptr ? text->GetText() : "<none>");
                }
            });
        ClickRow([this] { return Dialog() != nullptr ? Dialog()->GetFileList() : nullptr; }, row);
        game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
        EXPECT_TRUE(game.RunScript(3));
        return rows;
    }

    void SaveWithCtrlS()
    {
        game.KeyDown(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        game.KeyUp(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        ASSERT_TRUE(game.RunScript(3));
    }

    // The palette's category chosen from its drop-down, then a click on the record's picture.
    void ClickPicture(const std::string& category, const std::string& record)
    {
        game.ClickWidget([this]() -> guiWidget* { return editor->GetCategoryDropDown()->GetButton(); });
        ClickRow([this] { return editor->GetCategoryDropDown()->GetList(); }, category);
        game.ClickAt([this, record](int32_t& x, int32_t& y)
                     { return testsupport::PalettePicturePoint(*editor->GetPalette(), record, x, y); });
    }

    // Where the pointer at a pixel meets the ground, when the ground is what it meets first.
    bool GroundUnder(int32_t x, int32_t y, Vector3& point)
    {
        kaWorld& world = *editor->GetWorld();
        kaCollideInfo hit;
        Vector3 origin;
        Vector3 direction;
        if (!world.GetPickRay(float(x), float(y), origin, direction) ||
            !world.Pick(origin, origin + direction * 1000.0f, &hit,
                        kaWorld::kPickTerrain | kaWorld::kPickMeshes) ||
            hit.m_pObject != world.GetTerrain())
            return false;
        point = hit.m_Point;
        return true;
    }

    std::vector<testsupport::courseSaves::SavedEntity> Saved(const std::string& record) const
    {
        std::vector<testsupport::courseSaves::SavedEntity> found;
        for (const auto& entity : testsupport::courseSaves::SavedEntities(OwnWorld()))
            if (entity.record == record)
                found.push_back(entity);
        return found;
    }

    int Hidden() const
    {
        int hidden = 0;
        for (const auto& entity : testsupport::courseSaves::SavedEntities(OwnWorld()))
            hidden += entity.visible ? 0 : 1;
        return hidden;
    }

    // The opening world's file, which Ctrl+S writes back.
    std::string OwnWorld() const { return game.Install().Path() + "/" + MapEditorWindow::kDefaultWorld; }

    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game{HeadlessGame::EngineEditorWithSdlInput()};
    MapEditorWindow* editor = nullptr;
};

} // namespace

// The engine editor as its user drives it, every click an SDL event: a New whose terrain set-up is cancelled
// has dropped the old world, and the editor then says so as it does without one, with the file menu still
// there for the next try.
TEST_F(MapEditorSdlTest, ACancelledNewLeavesTheEditorWithoutAWorldAndItsFileMenu)
{
    EXPECT_EQ(editor->GetFileNameBox()->GetText(), "default128x128.xml");
    auto* file = editor->FindChild("file menu")->DynamicCast<guiListBox>();
    auto clickRow = [this, file](const char* text)
    {
        game.ClickAt(
            [file, text](int32_t& x, int32_t& y)
            {
                const int32_t row = file->FindRow(text, 0);
                if (row < 0)
                    return false;
                const platform::Rect& rect = file->GetHitRect();
                y = rect.top;
                for (int32_t above = 0; above < row; ++above)
                    y += file->GetRowHeight(above);
                y += file->GetRowHeight(row) / 2;
                x = rect.left + 20;
                return true;
            });
    };

    game.Click(editor->GetName(), "file button");
    clickRow("New");
    game.Click(MapSaveMenu::kWindowName, MapSaveMenu::kNoName);
    game.Click(CreateTerrainWindow::kWindowName, CreateTerrainWindow::kCancel);
    ASSERT_TRUE(game.RunScript());
    EXPECT_EQ(editor->GetWorld(), nullptr);
    EXPECT_EQ(game.App().GetCurrentWorld(), nullptr);
    EXPECT_EQ(editor->GetFileNameBox()->GetText(), "No World");
    EXPECT_TRUE(editor->IsSaved());
    const int32_t save = file->FindRow("Save World (ctrl + s)", 0);
    ASSERT_GE(save, 0);
    EXPECT_FALSE(file->IsCellSelectable(save, 0));
    EXPECT_FALSE(file->IsCellSelectable(file->FindRow("Save World As...", 0), 0));

    // The file menu is still there, with New on it.
    game.Click(editor->GetName(), "file button");
    ASSERT_TRUE(game.RunScript());
    EXPECT_TRUE(editor->FindChild("file menu group")->IsVisible());
    EXPECT_TRUE(file->IsCellSelectable(file->FindRow("New", 0), 0));
}

// A crate's picture clicked, then a click on the ground: the crate is put down where the pointer is and
// shown, whether the pointer got there in one jump, glided there in several moves, or arrived in the frame of
// the press; Ctrl+S writes it so.
TEST_F(MapEditorSdlTest, ACrateIsPutDownWhereTheClickIsHoweverThePointerGotThere)
{
    struct Way
    {
        const char* name;
        int32_t x;
        int32_t y;
        int moves;
        // The move, the press and the release in one frame, as a quick hand on a slow frame gives them.
        bool sameFrame;
    };
    const Way ways[] = {{"one move", 450, 330, 1, false},
                        {"three moves", 520, 380, 3, false},
                        {"move and click in one frame", 380, 420, 1, true}};
    std::vector<Vector3> feet;
    for (const Way& way : ways)
    {
        SCOPED_TRACE(way.name);
        ClickPicture("Props", "Crate");
        // Taken once the pointer has left the screen's edge, which scrolls this camera.
        Vector3 foot;
        bool ground = false;
        game.Queue([this, &way, &foot, &ground] { ground = GroundUnder(way.x, way.y, foot); });
        for (int move = way.moves - 1; move > 0; --move)
            game.MovePointer(way.x + 15 * move, way.y + 10 * move);
        if (way.sameFrame)
        {
            game.TapAt(
                [way](int32_t& x, int32_t& y)
                {
                    x = way.x;
                    y = way.y;
                    return true;
                },
                SDL_BUTTON_LEFT);
        }
        else
        {
            game.MovePointer(way.x, way.y);
            game.PressButton(SDL_BUTTON_LEFT);
            game.ReleaseButton(SDL_BUTTON_LEFT);
        }
        ASSERT_NO_FATAL_FAILURE(SaveWithCtrlS());
        ASSERT_TRUE(ground);
        feet.push_back(foot);

        const auto crates = Saved("Crate");
        ASSERT_EQ(crates.size(), feet.size());
        EXPECT_EQ(Hidden(), 0);
        const auto put =
            std::find_if(crates.begin(), crates.end(),
                         [&foot](const testsupport::courseSaves::SavedEntity& crate) {
                             return std::hypot(crate.position.x - foot.x, crate.position.z - foot.z) < 0.05f;
                         });
        ASSERT_NE(put, crates.end());
        EXPECT_TRUE(put->visible);
        EXPECT_GE(put->position.y, foot.y - 0.05f);
    }
}

// A picture clicked and then left for something else is never put down: a click on the palette (the same
// picture or another), a menu, Ctrl+S or Escape takes it away, and no save writes it, shown or hidden.
TEST_F(MapEditorSdlTest, ACrateNeverPutDownIsNeitherKeptNorSaved)
{
    const std::string file = OwnWorld();
    const size_t stored = testsupport::courseSaves::SavedEntities(file).size();
    ASSERT_GT(stored, 0u);
    auto fileMenu = [this] { return editor->FindChild("file menu")->DynamicCast<guiListBox>(); };
    struct Then
    {
        const char* name;
        std::function<void()> act;
        // Crates put down before the one left hanging.
        size_t putDown = 0;
    };
    auto ctrlS = [this]
    {
        game.KeyDown(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        game.KeyUp(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    };
    // What follows the click on the picture, ending in a save.
    const Then thens[] = {
        {"the same picture, then Ctrl+S",
         [this, ctrlS]
         {
             ClickPicture("Props", "Crate");
             ctrlS();
         }},
        {"another picture, then Ctrl+S",
         [this, ctrlS]
         {
             ClickPicture("Props", "Ball");
             ctrlS();
         }},
        {"the file menu's save",
         [this, fileMenu]
         {
             game.Click(editor->GetName(), "file button");
             ClickRow(fileMenu, "Save World (ctrl + s)");
         }},
        {"Ctrl+S", ctrlS},
        // Escape saves the world a crate put down changed before it asks whether to leave; the answer stays.
        {"a crate put down, then Escape",
         [this]
         {
             game.TapKey(SDL_SCANCODE_ESCAPE);
             game.Click(InGameMenu::kWindowName, InGameMenu::kResumeName);
         },
         1},
    };
    size_t putDown = 0;
    for (const Then& then : thens)
    {
        SCOPED_TRACE(then.name);
        for (size_t crate = 0; crate < then.putDown; ++crate, ++putDown)
        {
            ClickPicture("Props", "Crate");
            game.MovePointer(450 + 40 * int32_t(crate), 330);
            game.PressButton(SDL_BUTTON_LEFT);
            game.ReleaseButton(SDL_BUTTON_LEFT);
        }
        ClickPicture("Props", "Crate");
        // Gone until the save writes it again.
        game.Queue([&file] { std::filesystem::remove(file); });
        then.act();
        ASSERT_TRUE(game.RunScript(3));
        ASSERT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(testsupport::courseSaves::SavedEntities(file).size(), stored + putDown);
        EXPECT_EQ(Hidden(), 0);
    }
}

// The engine editor opens its own sample world, which lies apart from the courses the game lists. Ctrl+S,
// pressed as a user does, writes it back where it came from; the game's course folder gains nothing.
TEST_F(MapEditorSdlTest, SavingTheOpeningWorldWritesItBackToItsOwnFolder)
{
    const std::string own = game.Install().Path() + "/" + MapEditorWindow::kDefaultWorld;
    const std::string courses = game.Install().Path() + "/" + MapEditorWindow::kWorldFolder;
    ASSERT_TRUE(std::filesystem::exists(own));
    // Marked so that the save is seen: the file is rewritten without it.
    std::filesystem::remove(own);
    const auto coursesBefore = std::distance(std::filesystem::directory_iterator(courses), {});

    game.KeyDown(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    game.KeyUp(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(std::filesystem::exists(own));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(courses), {}), coursesBefore);
    EXPECT_FALSE(std::filesystem::exists(courses + "/default128x128.xml"));
}

// Load World... lists the courses and then the editor's own worlds, each row with its folder; one of the
// editor's worlds opens through the dialog and is saved back into its own folder.
TEST_F(MapEditorSdlTest, LoadWorldListsTheEditorsOwnWorldsAfterTheCoursesAndOpensThem)
{
    const std::string install = game.Install().Path() + "/";
    const std::vector<std::string> rows = OpenThroughTheDialog("Worlds\\Editor\\Layered Terrain");
    for (const char* expected :
         {"Worlds\\token_arena", "Worlds\\Editor\\default128x128", "Worlds\\Editor\\Layered Terrain",
          "Worlds\\Editor\\Sample Course", "Worlds\\Editor\\Single Layer Terrain"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), expected), rows.end()) << expected;
    size_t courses = 0;
    for (const auto& entry : std::filesystem::directory_iterator(install + "Worlds"))
        courses += entry.is_regular_file() ? 1 : 0;
    const auto own = std::distance(std::filesystem::directory_iterator(install + "Worlds/Editor"), {});
    ASSERT_EQ(rows.size(), courses + size_t(own));
    // The courses first, the editor's worlds after them.
    for (size_t at = 0; at < rows.size(); ++at)
        EXPECT_EQ(rows[at].rfind("Worlds\\Editor\\", 0) == 0, at >= courses) << rows[at];

    ASSERT_NE(editor->GetWorld(), nullptr);
    EXPECT_EQ(editor->GetFileNameBox()->GetText(), "Layered Terrain.xml");
    ASSERT_NE(editor->GetWorld()->GetTerrain(), nullptr);
    EXPECT_NE(editor->GetWorld()->GetSkyBox(), nullptr);

    const std::string layered = install + "Worlds/Editor/Layered Terrain.xml";
    std::filesystem::remove(layered);
    SaveWithCtrlS();
    EXPECT_TRUE(std::filesystem::exists(layered));
    EXPECT_FALSE(std::filesystem::exists(install + "Worlds/Layered Terrain.xml"));
    EXPECT_FALSE(std::filesystem::exists(install + "Worlds/layered terrain.xml"));
}

// A course of the game opened and saved in the engine editor keeps the game's rules and every entity, the
// game's classes among them.
TEST_F(MapEditorSdlTest, ACourseSavedFromTheEngineEditorKeepsItsRulesAndEntities)
{
    const std::string file = game.Install().Path() + "/Worlds/token_arena.xml";
    TiXmlDocument before;
    ASSERT_TRUE(before.LoadFile(file.c_str()));
    OpenThroughTheDialog("Worlds\\token_arena");
    ASSERT_NE(editor->GetWorld(), nullptr);
    EXPECT_EQ(editor->GetWorld()->GetName(), "Token Arena");
    std::filesystem::remove(file);
    SaveWithCtrlS();
    TiXmlDocument after;
    ASSERT_TRUE(after.LoadFile(file.c_str()));
    for (const char* key : {"timeLimit", "scoreLimit", "levelName", "repPointFactor"})
    {
        const TiXmlElement* was = before.RootElement()->FirstChildElement(key);
        const TiXmlElement* is = after.RootElement()->FirstChildElement(key);
        ASSERT_NE(was, nullptr) << key;
        ASSERT_NE(is, nullptr) << key;
        EXPECT_STREQ(is->GetText(), was->GetText()) << key;
        EXPECT_EQ(is->NextSiblingElement(key), nullptr) << key;
    }
    auto types = [](const TiXmlDocument& document)
    {
        std::vector<std::string> found;
        const TiXmlElement* entities = document.RootElement()->FirstChildElement("Entities");
        for (const TiXmlElement* entity = entities ? entities->FirstChildElement("Entity") : nullptr; entity;
             entity = entity->NextSiblingElement("Entity"))
            found.push_back(entity->FirstChildElement("type")->GetText());
        return found;
    };
    EXPECT_FALSE(types(before).empty());
    EXPECT_EQ(types(after), types(before));
}

// Ctrl+S on an unchanged course, then again seconds of frames later, writes the same bytes: the tokens' spin
// and the start's run flags are the editor's show, not the course.
TEST_F(MapEditorSdlTest, TwoSavesOfAnUnchangedCourseSecondsApartWriteTheSameBytes)
{
    testsupport::courseSaves::ExpectTwoSavesAlike(game, *editor);
}

// A course whose rotations overflow when squared goes through load, save, load and save with every entity.
TEST_F(MapEditorSdlTest, ACourseWithHugeRotationsKeepsEveryEntityThroughLoadsAndSaves)
{
    testsupport::courseSaves::ExpectHugeRotationsKept(game, *editor);
}
