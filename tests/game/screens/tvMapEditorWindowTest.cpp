#include "game/screens/tvMapEditorWindow.h"

#include "editor/SaveLoadWindow.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaSpawnPoint.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/ShopItem.h"
#include "game/WorldInfo.h"
#include "game/screens/CourseOptions.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/MapSaveMenu.h"
#include "game/tvPlayer.h"
#include "game/tvVehicle.h"
#include "game/tvWorld.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <iterator>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kVenue = "ProvingGround";

// The game headless, a driver signed in, and the course editor opened as the career window opens it.
class tvMapEditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        m_Player = m_Game.App().CreatePlayer("Dana");
        m_Game.App().SetCurrentPlayer(m_Player);
        for (guiWindow* window : m_Game.Gui().GetWindows())
            if (window->IsVisible())
                m_Game.Gui().HideWindow(window, 1);
        m_Editor = dynamic_cast<tvMapEditorWindow*>(m_Game.Gui().FindWindow(tvMapEditorWindow::kWindowName));
        ASSERT_NE(m_Editor, nullptr);
        m_Game.App().SetEditor(true);
        m_Game.Gui().ShowWindow(m_Editor, false);
    }

    guiListBox* Menu(const char* name) { return m_Editor->FindChild(name)->DynamicCast<guiListBox>(); }

    void Choose(const char* menu, const char* row)
    {
        guiListBox* list = Menu(menu);
        list->SelectRow(list->FindRow(row, 0), true);
    }

    bool Selectable(const char* menu, const char* row)
    {
        guiListBox* list = Menu(menu);
        const int32_t at = list->FindRow(row, 0);
        return at >= 0 && list->IsCellSelectable(at, 0);
    }

    // Fills the course options as the player types them, then OK.
    void AnswerOptions(const std::string& name, const std::string& venue, const std::string& points,
                       const std::string& time)
    {
        m_Game.Queue(
            [=]
            {
                auto* options = dynamic_cast<CourseOptions*>(m_Game.Gui().FindWindow(CourseOptions::kWindowName));
                ASSERT_NE(options, nullptr);
                guiGrid* grid = options->GetGrid();
                auto field = [grid](int32_t row)
                { return grid->GetCell(row, 1)->FindChild(PropertyEditor::kTextFieldName)->DynamicCast<guiTextBox>(); };
                field(0)->SetText(name);
                field(3)->SetText(points);
                field(4)->SetText(time);
                grid->GetCell(2, 1)->FindChild(PropertyEditor::kDropDownName)->DynamicCast<guiDropDown>()->SelectByText(
                    venue);
            });
        m_Game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    }

    void AnswerSaveAs(const std::string& name)
    {
        m_Game.Queue(
            [this, name]
            {
                auto* dialog = dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
                dialog->GetFileNameBox()->SetText(name);
            });
        m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    }

    std::string Install(const std::string& relative) const { return m_Game.Install().Path() + "/" + relative; }

    // The engine's services the game's start-up does not make outlive the game, whose shutdown empties them.
    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    HeadlessGame m_Game;
    tvPlayer* m_Player = nullptr;
    tvMapEditorWindow* m_Editor = nullptr;
};

} // namespace

TEST(tvMapEditorWindowRulesTest, TimeLimitsReadAsMinutesAndSecondsAndTargetsByTheirLeadingDigits)
{
    const struct
    {
        const char* text;
        int32_t seconds;
    } times[] = {{"2:00", 120}, {"1:30", 90}, {"90", 90}, {"", 0},     {"1:", 60},
                 {":45", 45},   {"abc", 0},  {"2:3x", 123}, {"1:2:3", 123}, {"99999999999", INT32_MAX}};
    for (const auto& time : times)
        EXPECT_EQ(tvMapEditorWindow::ParseTimeLimit(time.text), time.seconds) << time.text;
    const struct
    {
        const char* text;
        int32_t points;
    } targets[] = {{"30", 30}, {"20pts", 20}, {"", 0}, {"x5", 0}, {"-4", 0}};
    for (const auto& target : targets)
        EXPECT_EQ(tvMapEditorWindow::LeadingNumber(target.text), target.points) << target.text;
}

TEST_F(tvMapEditorWindowTest, OpensWithoutAWorldAndOnlyTheCourseMenusRows)
{
    EXPECT_EQ(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Editor->GetWorldName(), "No World");
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "No World");
    EXPECT_EQ(Menu("file menu")->GetUsedRows(), 5);
    EXPECT_EQ(Menu("tools menu")->GetUsedRows(), 2);
    EXPECT_EQ(Menu("properties menu")->GetUsedRows(), 0);
    const struct
    {
        const char* menu;
        const char* row;
        bool selectable;
    } rows[] = {
        {"file menu", "New", true},
        {"file menu", "Load World...", true},
        {"file menu", "Save World (ctrl + s)", false},
        {"file menu", "Save World As...", false},
        {"file menu", "Exit Editor", true},
        {"tools menu", "Course", false},
        {"tools menu", "Selected Entity", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Selectable(row.menu, row.row), row.selectable) << row.row;
    EXPECT_FLOAT_EQ(Menu("tools menu")->GetDisabledColor().r, 0.5f);

    // New with the options cancelled leaves the editor without a world.
    m_Game.Click(CourseOptions::kWindowName, CourseOptions::kCancelName);
    Choose("file menu", "New");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr);
}

TEST_F(tvMapEditorWindowTest, ACourseIsStartedSavedWithItsSpawnPointListedAndDrivenFrom)
{
    AnswerOptions("Ridge", kVenue, "30", "1:30");
    Choose("file menu", "New");
    ASSERT_TRUE(m_Game.RunScript());
    auto* world = dynamic_cast<tvWorld*>(m_Editor->GetWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), world);
    EXPECT_EQ(world->GetName(), "Ridge");
    EXPECT_EQ(world->GetScoreLimit(), 30);
    EXPECT_EQ(world->GetTimeLimit(), 90);
    EXPECT_NE(world->GetVenueEntity(), nullptr);
    EXPECT_NE(world->GetSun(), nullptr);
    EXPECT_NE(world->GetSkyBox(), nullptr);
    EXPECT_EQ(m_Editor->GetWorldName(), "*untitled");
    EXPECT_TRUE(Selectable("tools menu", "Course"));
    EXPECT_EQ(world->FindEntityByName(kaSpawnPoint::kName), nullptr);

    // Two props from the palette, put down on the venue.
    std::vector<std::string> props;
    for (const int y : {300, 420})
    {
        m_Editor->GetCategoryDropDown()->SelectByText("Props");
        m_Editor->LoadEntityPalette();
        m_Editor->GetPalette()->SelectRow(0, true);
        kaEntityModel* prop = m_Editor->GetHighlightedEntity();
        ASSERT_NE(prop, nullptr);
        m_Game.Gui().SetCursorPosition(400, y);
        guiMsgMouse moved;
        m_Editor->OnMouseMove(moved);
        m_Editor->OnMouseUp(0, moved.data);
        ASSERT_TRUE(prop->IsVisible()) << y;
        props.push_back(prop->GetInitUniqueID());
    }

    // Save as "ridge": the spawn point is added on the venue under its centre.
    AnswerSaveAs("ridge");
    Choose("file menu", "Save World As...");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(std::filesystem::exists(Install("Worlds/ridge.xml")));
    EXPECT_TRUE(m_Editor->IsSaved());
    EXPECT_EQ(world->GetName(), "Ridge");
    auto* spawn = dynamic_cast<kaSpawnPoint*>(world->FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(spawn, nullptr);
    const kaBoundingBox* venueBox = world->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(venueBox, nullptr);
    const platform::Vector3 centre = (venueBox->m_Min + venueBox->m_Max) * 0.5f;
    EXPECT_NEAR(spawn->GetSpawnPosition().x, centre.x, 0.01f);
    EXPECT_NEAR(spawn->GetSpawnPosition().z, centre.z, 0.01f);
    // On the venue, not left at the top of the drop.
    EXPECT_LE(spawn->GetSpawnPosition().y, venueBox->m_Max.y);
    EXPECT_GE(spawn->GetSpawnPosition().y, venueBox->m_Min.y - 0.01f);
    const platform::Vector3 spawnAt = spawn->GetSpawnPosition();

    // Exit: the career window, the editor flag cleared, the course listed with its designer, music queued.
    m_Game.Click(InGameMenu::kWindowName, InGameMenu::kQuitName);
    Choose("file menu", "Exit Editor");
    // Queued now; the theme starts a few seconds of frames later.
    EXPECT_TRUE(m_Game.App().IsThemeMusicQueued());
    ASSERT_TRUE(m_Game.RunScript(4));
    EXPECT_EQ(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr);
    EXPECT_FALSE(m_Game.App().IsEditor());
    EXPECT_TRUE(m_Game.Gui().FindWindow("Career Window")->IsVisible());
    EXPECT_FALSE(m_Editor->IsVisible());
    const WorldInfo* listed = nullptr;
    for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
        if (m_Game.App().GetWorldInfo(i)->GetName() == "Ridge")
            listed = m_Game.App().GetWorldInfo(i);
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->GetDesigner(), "Dana");

    // Driving it puts the vehicle on the added spawn point.
    m_Game.App().SetLevelPathCopy(listed->GetFilePath());
    m_Game.App().SetLevelPath(listed->GetFilePath());
    m_Game.App().SetVehicleName("Charger");
    m_Game.App().StartCourse();
    // The props came with the course.
    size_t found = 0;
    for (kaEntity* entity : dynamic_cast<kaWorld*>(m_Game.App().GetCurrentWorld())->GetEntities())
        found += entity->GetInitUniqueID() == props[0] ? 1 : 0;
    EXPECT_EQ(found, 2u);
    tvVehicle* vehicle = m_Game.App().GetPlayerVehicle();
    ASSERT_NE(vehicle, nullptr);
    EXPECT_NEAR(vehicle->GetPosition().x, spawnAt.x, 0.5f);
    EXPECT_NEAR(vehicle->GetPosition().z, spawnAt.z, 0.5f);
    m_Game.App().DeleteCourseWorld();
}

TEST_F(tvMapEditorWindowTest, ACourseLeftWithoutANameTakesItsFileName)
{
    AnswerOptions(CourseOptions::kDefaultName, kVenue, "20", "2:00");
    Choose("file menu", "New");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_NE(m_Editor->GetWorld(), nullptr);
    EXPECT_EQ(m_Editor->GetWorld()->GetName(), CourseOptions::kDefaultName);
    AnswerSaveAs("Back Lot");
    Choose("file menu", "Save World As...");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Editor->GetWorld()->GetName(), "back lot");
    EXPECT_TRUE(std::filesystem::exists(Install("Worlds/back lot.xml")));
}

TEST_F(tvMapEditorWindowTest, ASpawnPointIsAddedOnlyWhenNoneStandsForOne)
{
    const struct
    {
        const char* name;
        std::function<kaEntity*()> make;
        bool added;
    } cases[] = {
        {"spawn point", [] { return new kaSpawnPoint(); }, false},
        {"editor model of one", [] { return new kaEntityEditorModel("kaSpawnPoint"); }, false},
        {"editor model of another class", [] { return new kaEntityEditorModel("Crate"); }, true},
        {"none", [] { return nullptr; }, true},
    };
    for (const auto& c : cases)
    {
        tvWorld world;
        if (kaEntity* entity = c.make())
        {
            entity->SetName(kaSpawnPoint::kName);
            ASSERT_TRUE(world.AddEntity(entity, true, true));
        }
        const int32_t before = world.GetEntityCount();
        kaSpawnPoint* added = m_Editor->AddMissingSpawnPoint(world);
        EXPECT_EQ(added != nullptr, c.added) << c.name;
        EXPECT_EQ(world.GetEntityCount(), before + (c.added ? 1 : 0)) << c.name;
        // Without a venue or a terrain it stands at the origin.
        if (added != nullptr)
        {
            EXPECT_EQ(added->GetSpawnPosition(), platform::Vector3()) << c.name;
        }
    }

    // Without a venue, on the ground at the terrain's centre.
    m_Editor->LoadWorld(MapEditorWindow::kDefaultWorld);
    kaWorld& world = *m_Editor->GetWorld();
    world.DeleteEntity(world.FindEntityByName(kaSpawnPoint::kName), false);
    kaSpawnPoint* added = m_Editor->AddMissingSpawnPoint(world);
    ASSERT_NE(added, nullptr);
    const kaTerrainBase* terrain = world.GetTerrain();
    ASSERT_NE(terrain, nullptr);
    const float x = terrain->GetWidth() * 0.5f;
    const float z = terrain->GetLength() * 0.5f;
    EXPECT_EQ(added->GetSpawnPosition(), platform::Vector3(x, world.GetGroundHeight(x, z), z));
}

TEST_F(tvMapEditorWindowTest, ShopLockedEntitiesAreSavedVisibleAndLeftOutOfThePaletteUntilBought)
{
    auto item = std::make_unique<ShopItem>();
    item->SetLockedEntity("Crate");
    m_Game.App().GetShopItems().push_back(std::move(item));

    // The palette's "Props" rows: the crate is offered once bought; cells are 0.14 of the display.
    for (const bool bought : {false, true})
    {
        if (bought)
            m_Player->Unlock("Crate");
        m_Editor->GetCategoryDropDown()->SelectByText("Props");
        m_Editor->LoadEntityPalette();
        int32_t rows = 0;
        while (m_Editor->GetPalette()->GetCell(rows, 0) != nullptr)
            ++rows;
        EXPECT_EQ(rows, bought ? 2 : 1);
        EXPECT_EQ(m_Editor->GetPalette()->GetRowHeight(0), int32_t(600 * 0.14f));
        EXPECT_EQ(m_Editor->GetPalette()->GetColumnWidth(0), int32_t(800 * 0.14f));
    }

    for (const bool bought : {false, true})
    {
        const std::string name = bought ? "bought" : "locked";
        std::ofstream(Install("Worlds/" + name + ".xml")) << "<World><name>" << name << "</name></World>\n";
        m_Editor->LoadWorld("Worlds/" + name + ".xml");
        auto* world = dynamic_cast<tvWorld*>(m_Editor->GetWorld());
        ASSERT_NE(world, nullptr);
        auto* crate = new kaEntityEditorModel("Crate");
        crate->SetName("LockedCrate");
        ASSERT_TRUE(world->AddEntity(crate, true, true));
        crate->ApplyInitData("Crate");
        if (!bought)
        {
            tvPlayer* other = m_Game.App().CreatePlayer("Nobody");
            m_Game.App().SetCurrentPlayer(other);
        }
        world->HideLockedEntities();
        EXPECT_EQ(crate->IsVisible(), bought);
        m_Editor->SetSaved(false);
        ASSERT_EQ(m_Editor->SaveWorld(), 1);
        std::ifstream file(Install("Worlds/" + name + ".xml"));
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::string::size_type at = text.find("LockedCrate");
        ASSERT_NE(at, std::string::npos);
        const std::string::size_type visible = text.find("<visible>", at);
        ASSERT_NE(visible, std::string::npos);
        EXPECT_EQ(text.substr(visible, 11), "<visible>1<") << name;
        EXPECT_EQ(crate->IsVisible(), bought) << name;
        m_Game.App().SetCurrentPlayer(m_Player);
    }
}

TEST_F(tvMapEditorWindowTest, MouseChangesMarkTheWorldUnsavedAndAPressOnTheGroundKeepsTheSelection)
{
    m_Editor->LoadWorld(MapEditorWindow::kDefaultWorld);
    kaWorld& world = *m_Editor->GetWorld();
    m_Game.Gui().SetCursorPosition(400, 300);

    // A placement let go before it found the ground goes, and the world is changed.
    m_Editor->GetCategoryDropDown()->SelectByText("Props");
    m_Editor->LoadEntityPalette();
    m_Editor->GetPalette()->SelectRow(0, true);
    kaEntityModel* placed = m_Editor->GetHighlightedEntity();
    ASSERT_NE(placed, nullptr);
    m_Editor->SetSaved(true);
    const int32_t count = world.GetEntityCount();
    gui::MouseData up;
    m_Editor->OnMouseUp(0, up);
    world.Update(0.0f);
    EXPECT_EQ(world.GetEntityCount(), count - 1);
    EXPECT_FALSE(m_Editor->IsSaved());

    // A press that finds the ground leaves the selection as it was.
    auto* kept = new kaEntityEditorModel("Crate");
    ASSERT_TRUE(world.AddEntity(kept, true, true));
    m_Editor->ShowSelectedEntityProperties(kept, nullptr);
    // A point of the screen where the ground is the first thing under the pointer.
    bool ground = false;
    for (const int y : {300, 400, 500, 560})
        for (const int x : {400, 200, 600})
        {
            kaCollideInfo hit;
            platform::Vector3 origin;
            platform::Vector3 direction;
            if (ground || !world.GetPickRay(float(x), float(y), origin, direction) ||
                !world.Pick(origin, origin + direction * 1000.0f, &hit, kaWorld::kPickTerrain | kaWorld::kPickMeshes))
                continue;
            ground = hit.m_pObject == world.GetTerrain();
            if (ground)
                m_Game.Gui().SetCursorPosition(x, y);
        }
    ASSERT_TRUE(ground);
    gui::MouseData down;
    down.buttons[0] = true;
    m_Editor->OnMouseDown(0, down);
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), kept);
}

TEST_F(tvMapEditorWindowTest, LeavingUnsavedWithAFailingWriteStaysInTheEditorAndShutdownDropsItsWorldOnce)
{
    std::ofstream(Install("Worlds/blocked.xml")) << "<World/>\n";
    m_Editor->LoadWorld("Worlds/blocked.xml");
    std::filesystem::remove(Install("Worlds/blocked.xml"));
    std::filesystem::create_directory(Install("Worlds/blocked.xml"));
    m_Editor->SetSaved(false);

    std::string caption;
    m_Game.Click(MapSaveMenu::kWindowName, MapSaveMenu::kYesName);
    m_Game.Queue([] {});
    m_Game.Queue(
        [this, &caption]
        {
            MessageBoxWindow* box = m_Game.Gui().GetMessageBox();
            if (box != nullptr && box->IsVisible())
                caption = box->GetCaptionBar()->GetText();
        });
    m_Game.Click(MessageBoxWindow::kWindowName, MessageBoxWindow::kOkName);
    m_Editor->ExitEditor();
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(caption, tvMapEditorWindow::kProductTitle);
    ASSERT_NE(m_Editor->GetWorld(), nullptr);
    EXPECT_FALSE(m_Editor->IsSaved());
    EXPECT_TRUE(m_Editor->IsVisible());
    EXPECT_TRUE(m_Game.App().IsEditor());

    // Closing the game now: the editor's world is dropped and destroyed once, not taken for a course.
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), m_Editor->GetWorld());
    // The windows go with the graphics device: the editor is not read afterwards. Its world being
    // destroyed twice, or reached after, is what the sanitizer run catches here.
    m_Game.App().Shutdown();
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr);
}
