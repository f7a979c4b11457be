#include "game/screens/courseeditor/tvMapEditorWindow.h"

#include "editor/EditorPropertiesWindow.h"
#include "editor/SaveLoadWindow.h"
#include "engine/core/kaAny.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/KM_MessageBox.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaSpawnPoint.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/gear/LaunchPlate.h"
#include "game/gear/PowerUp.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/InGameMenu.h"
#include "game/screens/MainWindow.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/MapSaveMenu.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/EntityPoint.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/MalformedCourse.h"
#include "tests/support/game/PalettePicture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
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
                auto* options =
                    dynamic_cast<CourseOptions*>(m_Game.Gui().FindWindow(CourseOptions::kWindowName));
                ASSERT_NE(options, nullptr);
                guiGrid* grid = options->GetGrid();
                auto field = [grid](int32_t row) {
                    return grid->GetCell(row, 1)
                        ->FindChild(PropertyEditor::kTextFieldName)
                        ->DynamicCast<guiTextBox>();
                };
                field(0)->SetText(name);
                field(3)->SetText(points);
                field(4)->SetText(time);
                grid->GetCell(2, 1)
                    ->FindChild(PropertyEditor::kDropDownName)
                    ->DynamicCast<guiDropDown>()
                    ->SelectByText(venue);
            });
        m_Game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    }

    void AnswerSaveAs(const std::string& name)
    {
        m_Game.Queue(
            [this, name]
            {
                auto* dialog =
                    dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
                dialog->GetFileNameBox()->SetText(name);
            });
        m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    }

    std::string Install(const std::string& relative) const
    {
        return m_Game.Install().Path() + "/" + relative;
    }

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
    } times[] = {{"2:00", 120}, {"1:30", 90}, {"90", 90},    {"", 0},        {"1:", 60},
                 {":45", 45},   {"abc", 0},   {"2:3x", 123}, {"1:2:3", 123}, {"99999999999", INT32_MAX}};
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
        m_Editor->OnMouseUp(platform::kMouseLeft, moved.data);
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
    int32_t lockedRows = 0;
    for (const bool bought : {false, true})
    {
        if (bought)
            m_Player->Unlock("Crate");
        m_Editor->GetCategoryDropDown()->SelectByText("Props");
        m_Editor->LoadEntityPalette();
        int32_t rows = 0;
        bool crate = false;
        for (; m_Editor->GetPalette()->GetCell(rows, 0) != nullptr; ++rows)
        {
            const ka::any value = m_Editor->GetPalette()->GetCellData(rows, 0);
            TiXmlNode* const* data = ka::any_cast<TiXmlNode*>(&value);
            crate |= data != nullptr && GetChildElementText("entityInitID", *data) == "Crate";
        }
        EXPECT_EQ(crate, bought);
        EXPECT_GT(rows, 0);
        if (bought)
        {
            EXPECT_EQ(rows, lockedRows + 1);
        }
        lockedRows = rows;
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
    m_Editor->OnMouseUp(platform::kMouseLeft, up);
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
                !world.Pick(origin, origin + direction * 1000.0f, &hit,
                            kaWorld::kPickTerrain | kaWorld::kPickMeshes))
                continue;
            ground = hit.m_pObject == world.GetTerrain();
            if (ground)
                m_Game.Gui().SetCursorPosition(x, y);
        }
    ASSERT_TRUE(ground);
    gui::MouseData down;
    down.buttons[platform::kMouseLeft] = true;
    m_Editor->OnMouseDown(platform::kMouseLeft, down);
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), kept);
}

namespace
{

// A palette record as the grid offers it.
struct Offer
{
    std::string category;
    std::string type;
    std::string record;
    std::string picture;
};

// What an entity keeps, as it writes itself, without where it stands and what it is called there.
std::string KeptValues(const kaEntity& entity)
{
    TiXmlElement element("Entity");
    entity.WriteXml(&element);
    for (const char* placed : {"name", "entityID", "position", "rotation", "visible", "snapToTerrain"})
        while (TiXmlElement* child = element.FirstChildElement(placed))
            element.RemoveChild(child);
    TiXmlPrinter printer;
    element.Accept(&printer);
    std::string kept = printer.CStr();
    // What the block does not say: whether it stays put, and what its shapes are made of.
    if (const auto* physical = dynamic_cast<const kaEntityPhysical*>(&entity))
    {
        kept += physical->IsPinned() ? "pinned" : "loose";
        for (const auto& geom : physical->GetGeomData())
            kept +=
                " " + (geom->GetMaterial() != nullptr ? geom->GetMaterial()->GetName() : std::string("-"));
    }
    return kept;
}

} // namespace

// Every kind of entity the shipped courses place is offered, in the category it belongs to, each with a
// picture of its own; placed from the palette, saved and loaded back, each keeps the values it has on the
// shipped courses.
TEST_F(tvMapEditorWindowTest, EveryKindTheShippedCoursesPlaceIsOfferedAndKeepsItsValuesThroughASave)
{
    // Bought everything: nothing is held back from the palette.
    for (const auto& item : m_Game.App().GetShopItems())
        m_Player->Unlock(item->GetLockedEntity());
    AnswerOptions("Catalogue", kVenue, "100", "2:00");
    Choose("file menu", "New");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_NE(m_Editor->GetWorld(), nullptr);

    std::vector<Offer> offers;
    guiListBox* categories = m_Editor->GetCategoryDropDown()->GetList();
    for (int32_t at = 0; at < categories->GetUsedRows(); ++at)
    {
        const std::string category = categories->GetCell(at, 0)->DynamicCast<guiText>()->GetText();
        m_Editor->GetCategoryDropDown()->SelectByText(category);
        m_Editor->LoadEntityPalette();
        guiGrid* palette = m_Editor->GetPalette();
        for (int32_t row = 0; palette->GetCell(row, 0) != nullptr; ++row)
        {
            const ka::any value = palette->GetCellData(row, 0);
            TiXmlNode* const* data = ka::any_cast<TiXmlNode*>(&value);
            ASSERT_NE(data, nullptr);
            offers.push_back({category, GetChildElementText("type", *data),
                              GetChildElementText("entityInitID", *data),
                              palette->GetCell(row, 0)->DynamicCast<guiImage>()->GetFilename()});
        }
    }
    std::set<std::string> pictures;
    for (const Offer& offer : offers)
    {
        EXPECT_TRUE(std::filesystem::is_regular_file(Install(offer.picture))) << offer.picture;
        EXPECT_TRUE(pictures.insert(offer.picture).second) << offer.picture << " twice";
    }

    // The kinds of the shipped courses, and the category a user looks for each in.
    const auto categoryOf = [](const std::string& type, const std::string& record) -> std::string
    {
        if (type == "PowerUp")
            return record == "PointsToken" || record == "LapToken" ? "Points" : "Power-ups";
        if (type == "Ball" || type == "Box" || type == "Cylinder" || record == "Ball" || record == "Crate")
            return "Props";
        if (type == "EntityModel")
            return "Scenery";
        return "Stunts";
    };
    std::map<std::string, std::string> shipped;
    for (const auto& file : std::filesystem::directory_iterator(Install("Worlds")))
    {
        if (file.path().extension() != ".xml")
            continue;
        TiXmlDocument course;
        ASSERT_TRUE(course.LoadFile(file.path().string().c_str())) << file.path();
        const TiXmlElement* list = course.RootElement()->FirstChildElement("Entities");
        for (const TiXmlElement* entity = list ? list->FirstChildElement("Entity") : nullptr;
             entity != nullptr; entity = entity->NextSiblingElement("Entity"))
        {
            // The start is not offered: a save adds one where there is none.
            const std::string record = GetChildElementText("initUniqueID", entity);
            const std::string type = GetChildElementText("type", entity);
            if (!record.empty() && type != "kaSpawnPoint")
                shipped[record] = type;
        }
    }
    EXPECT_GE(shipped.size(), 16u);
    std::vector<std::string> placed;
    for (const auto& [record, type] : shipped)
    {
        const auto offer = std::find_if(offers.begin(), offers.end(),
                                        [&](const Offer& o) { return o.record == record && o.type == type; });
        ASSERT_NE(offer, offers.end()) << type << " " << record << " is not offered";
        EXPECT_EQ(offer->category, categoryOf(type, record)) << record;

        // Picked and put down on the venue.
        m_Editor->GetCategoryDropDown()->SelectByText(offer->category);
        m_Editor->LoadEntityPalette();
        const auto row = std::count_if(offers.begin(), offer,
                                       [&](const Offer& o) { return o.category == offer->category; });
        m_Editor->GetPalette()->SelectRow(int32_t(row), true);
        kaEntityModel* entity = m_Editor->GetHighlightedEntity();
        ASSERT_NE(entity, nullptr) << record;
        ASSERT_EQ(entity->GetInitUniqueID(), record);
        m_Game.Gui().SetCursorPosition(400, 300);
        guiMsgMouse moved;
        m_Editor->OnMouseMove(moved);
        m_Editor->OnMouseUp(platform::kMouseLeft, moved.data);
        ASSERT_TRUE(entity->IsVisible()) << record;
        placed.push_back(record);
    }
    AnswerSaveAs("catalogue");
    Choose("file menu", "Save World As...");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(std::filesystem::exists(Install("Worlds/catalogue.xml")));

    m_Game.Click(InGameMenu::kWindowName, InGameMenu::kQuitName);
    Choose("file menu", "Exit Editor");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_EQ(m_Game.App().GetCurrentWorld(), nullptr);

    // Each comes back from the saved course, started as a run, as its class and with what it has on the
    // stunt yard, which places every kind.
    const auto run = [this](const std::string& course)
    {
        std::map<std::string, std::pair<std::string, std::string>> kept;
        Tarvolin& app = m_Game.App();
        app.SetVehicleName("Charger");
        app.SetLevelPathCopy(course);
        app.SetLevelPath(course);
        app.StartCourse();
        if (app.GetCurrentWorld() == nullptr)
            return kept;
        for (const kaEntity* entity : dynamic_cast<kaWorld*>(app.GetCurrentWorld())->GetEntities())
            if (!entity->GetInitUniqueID().empty())
                kept[entity->GetInitUniqueID()] = {entity->GetClassName(), KeptValues(*entity)};
        app.DeleteCourseWorld();
        return kept;
    };
    const auto yard = run("Worlds\\stunt_yard.xml");
    ASSERT_FALSE(yard.empty());
    const auto saved = run("Worlds\\catalogue.xml");
    for (const std::string& record : placed)
    {
        const auto shippedOne = yard.find(record);
        if (shippedOne == yard.end())
            continue;
        const auto savedOne = saved.find(record);
        ASSERT_NE(savedOne, saved.end()) << record << " was not saved";
        EXPECT_EQ(savedOne->second.first, shippedOne->second.first) << record;
        EXPECT_EQ(savedOne->second.second, shippedOne->second.second) << record;
    }
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

namespace
{

// The player's own way into the course editor: signed in on the main menu, "Course Editor" on the career
// hub, every click and key an SDL event through the real window back end.
class tvMapEditorSdlTest : public ::testing::Test
{
protected:
    static HeadlessGame::Options SdlOptions()
    {
        HeadlessGame::Options options;
        options.sdlInput = true;
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        m_Game.App().CreatePlayer("Dana");
        m_Game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
        m_Game.Click(MainWindow::kWindowName, "Login Button");
        ASSERT_TRUE(m_Game.RunScript(20));
        ASSERT_TRUE(m_Game.Gui().FindWindow(CareerWindow::kWindowName)->IsVisible());
        m_Game.Click(CareerWindow::kWindowName, CareerWindow::kCourseEditorName);
        ASSERT_TRUE(m_Game.RunScript(20));
        m_Editor = dynamic_cast<tvMapEditorWindow*>(m_Game.Gui().FindWindow(tvMapEditorWindow::kWindowName));
        ASSERT_NE(m_Editor, nullptr);
        ASSERT_TRUE(m_Editor->IsVisible());
    }

    guiListBox* Menu(const char* name) { return m_Editor->FindChild(name)->DynamicCast<guiListBox>(); }

    bool Selectable(const char* menu, const char* row)
    {
        guiListBox* list = Menu(menu);
        const int32_t at = list->FindRow(row, 0);
        return at >= 0 && list->IsCellSelectable(at, 0);
    }

    // Whether the editor's widget is on screen: it and everything it lies in shown.
    bool Shown(const char* name)
    {
        guiGlyph* glyph = m_Editor->FindChild(name);
        if (glyph == nullptr)
            return false;
        for (; glyph != nullptr; glyph = glyph->GetParent())
            if (!glyph->IsVisible())
                return false;
        return true;
    }

    // A click on a row of a list, where the list draws it.
    void ClickRow(const std::function<guiGrid*()>& list, const std::string& text)
    {
        m_Game.ClickAt([list, text](int32_t& x, int32_t& y)
                       { return testsupport::ListRowPoint(list(), text, x, y); });
    }

    // The menu's button, then its row.
    void ChooseFromMenu(const char* button, const char* menu, const char* row)
    {
        m_Game.Click(m_Editor->GetName(), button);
        ClickRow([this, menu] { return Menu(menu); }, row);
    }

    // Clicks into a text box, clears it from the end and types the text.
    void TypeInto(const std::function<guiWidget*()>& box, const std::string& text)
    {
        m_Game.ClickWidget(box);
        m_Game.PressKey(guiTextBox::kKeyEnd);
        for (int i = 0; i < 24; ++i)
            m_Game.PressKey(guiTextBox::kKeyBackspace);
        m_Game.Type(text);
    }

    // The save dialog's file name typed and Ok clicked.
    void SaveAs(const std::string& name)
    {
        TypeInto(
            [this]() -> guiWidget*
            {
                auto* dialog =
                    dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
                return dialog != nullptr ? dialog->GetFileNameBox() : nullptr;
            },
            name);
        m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    }

    // New: the course options answered with a name and a venue picked from its drop-down.
    void NewCourse(const std::string& name, const std::string& venue)
    {
        ChooseFromMenu("file button", "file menu", "New");
        auto grid = [this]
        {
            auto* options = dynamic_cast<CourseOptions*>(m_Game.Gui().FindWindow(CourseOptions::kWindowName));
            return options != nullptr ? options->GetGrid() : nullptr;
        };
        auto venues = [grid]
        {
            guiGlyph* cell = grid() != nullptr ? grid()->GetCell(2, 1) : nullptr;
            guiGlyph* found = cell != nullptr ? cell->FindChild(PropertyEditor::kDropDownName) : nullptr;
            return found != nullptr ? found->DynamicCast<guiDropDown>() : nullptr;
        };
        TypeInto(
            [grid]() -> guiWidget*
            {
                guiGlyph* cell = grid() != nullptr ? grid()->GetCell(0, 1) : nullptr;
                guiGlyph* field = cell != nullptr ? cell->FindChild(PropertyEditor::kTextFieldName) : nullptr;
                return field != nullptr ? field->DynamicCast<guiWidget>() : nullptr;
            },
            name);
        m_Game.ClickWidget([venues]() -> guiWidget*
                           { return venues() != nullptr ? venues()->GetButton() : nullptr; });
        ClickRow([venues]() -> guiGrid* { return venues() != nullptr ? venues()->GetList() : nullptr; },
                 venue);
        m_Game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    }

    // A press on the palette's first picture, the pointer off the palette to the venue, a click there.
    void PlaceFirstProp()
    {
        m_Game.ClickAt(
            [this](int32_t& x, int32_t& y)
            {
                guiGrid* palette = m_Editor->GetPalette();
                const platform::Rect& cells = palette->GetHitRect();
                x = cells.left + palette->GetColumnWidth(0) / 2;
                y = cells.top + palette->GetRowHeight(0) / 2;
                return palette->GetCell(0, 0) != nullptr;
            });
        m_Game.MovePointer(450, 330);
        m_Game.MovePointer(400, 300);
        m_Game.Queue([] {});
        m_Game.PressButton(SDL_BUTTON_LEFT);
        m_Game.ReleaseButton(SDL_BUTTON_LEFT);
    }

    // A point of the screen whose first pick is the entity (or, with `on` false, something else).
    static bool PointOn(kaWorld& world, const kaEntity* entity, bool on, int32_t& x, int32_t& y)
    {
        return testsupport::ScreenPointOn(world, entity, on, x, y);
    }

    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    HeadlessGame m_Game{SdlOptions()};
    tvMapEditorWindow* m_Editor = nullptr;
};

} // namespace

// Opened from the career hub without a world, the editor still offers its file menu; a course made there
// through it is saved, left, listed and starts.
TEST_F(tvMapEditorSdlTest, ACourseIsMadeFromTheCareerHubSavedAndListed)
{
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "No World");
    // The button shows whole, its caption too.
    guiGlyph* fileCaption = m_Editor->FindChild("file button")->GetParent();
    for (int child = 0; child < fileCaption->GetChildCount(); ++child)
        EXPECT_TRUE(fileCaption->GetChild(child)->IsVisible()) << child;
    m_Game.Click(m_Editor->GetName(), "file button");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(m_Editor->FindChild("file menu group")->IsVisible());
    // The world's tools stay away until there is a world.
    EXPECT_FALSE(Shown("tools button"));
    EXPECT_FALSE(Shown("build left group"));
    m_Game.Click(m_Editor->GetName(), "file button");
    ASSERT_TRUE(m_Game.RunScript());

    NewCourse("Ridge", kVenue);
    ASSERT_TRUE(m_Game.RunScript());
    auto* world = dynamic_cast<tvWorld*>(m_Editor->GetWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetName(), "Ridge");
    EXPECT_NE(world->GetVenueEntity(), nullptr);
    EXPECT_TRUE(Shown("tools button"));

    // A prop from the palette, put down on the venue.
    const int32_t before = world->GetEntityCount();
    PlaceFirstProp();
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_EQ(world->GetEntityCount(), before + 1);
    EXPECT_TRUE(world->GetEntities().back()->IsVisible());

    // Save As "ridge", then leave: the career hub lists the course.
    ChooseFromMenu("file button", "file menu", "Save World As...");
    SaveAs("ridge");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_TRUE(std::filesystem::exists(m_Game.Install().Path() + "/Worlds/ridge.xml"));
    EXPECT_TRUE(m_Editor->IsSaved());
    // The save gave the course its start, put on the venue.
    auto* start = dynamic_cast<kaSpawnPoint*>(world->FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(start, nullptr);
    const platform::Vector3 startAt = start->GetSpawnPosition();
    ChooseFromMenu("file button", "file menu", "Exit Editor");
    m_Game.Click(InGameMenu::kWindowName, InGameMenu::kQuitName);
    ASSERT_TRUE(m_Game.RunScript(4));
    EXPECT_FALSE(m_Editor->IsVisible());
    ASSERT_TRUE(m_Game.Gui().FindWindow(CareerWindow::kWindowName)->IsVisible());
    std::string ridge;
    for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
        if (m_Game.App().GetWorldInfo(i)->GetName() == "Ridge")
            ridge = m_Game.App().GetWorldInfo(i)->GetFilePath();
    ASSERT_FALSE(ridge.empty());

    // Started as the course select starts it: every model of the course loads, none says it failed.
    std::vector<std::string> boxes;
    const KM_MessageBox::Hook previous = KM_MessageBox::SetHook(
        [&boxes](const std::string& text, const std::string&) { boxes.push_back(text); });
    Tarvolin& app = m_Game.App();
    app.SetGameMode(1);
    app.SetVehicleName("Charger");
    app.SetLevelPath(ridge);
    app.SetLevelPathCopy(ridge);
    app.StartCourse();
    for (int frame = 0; frame < 3; ++frame)
        m_Game.Frame();
    auto* course = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    KM_MessageBox::SetHook(previous);
    EXPECT_EQ(boxes, std::vector<std::string>{});
    ASSERT_NE(course, nullptr);
    EXPECT_EQ(course->GetName(), "Ridge");
    // The start comes back where the editor put it, with its model.
    auto* spawn = dynamic_cast<kaSpawnPoint*>(course->FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(spawn, nullptr);
    EXPECT_FALSE(spawn->GetModelFile().empty());
    EXPECT_NEAR(spawn->GetSpawnPosition().x, startAt.x, 1e-3f);
    EXPECT_NEAR(spawn->GetSpawnPosition().y, startAt.y, 1e-3f);
    EXPECT_NEAR(spawn->GetSpawnPosition().z, startAt.z, 1e-3f);
    app.DeleteCourseWorld();
}

// A right drag moves the entity under the pointer and a middle drag turns it; the tools menu offers the
// selected entity's properties only while one is selected.
TEST_F(tvMapEditorSdlTest, RightDragMovesMiddleDragTurnsAndTheToolsRowFollowsTheSelection)
{
    NewCourse("Ridge", kVenue);
    PlaceFirstProp();
    ASSERT_TRUE(m_Game.RunScript());
    kaWorld* world = m_Editor->GetWorld();
    ASSERT_NE(world, nullptr);
    auto* prop = dynamic_cast<kaEntityModel*>(world->GetEntities().back());
    ASSERT_NE(prop, nullptr);
    ASSERT_TRUE(prop->IsVisible());
    int32_t x = 0;
    int32_t y = 0;

    // Pressed elsewhere: nothing selected, the row is off.
    ASSERT_TRUE(PointOn(*world, prop, false, x, y));
    m_Game.ClickAt(
        [x, y](int32_t& atX, int32_t& atY)
        {
            atX = x;
            atY = y;
            return true;
        });
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), nullptr);
    EXPECT_FALSE(Selectable("tools menu", "Selected Entity"));

    const platform::Vector3 start = prop->GetPosition();
    const platform::Quaternion turn = prop->GetRotation();
    ASSERT_TRUE(PointOn(*world, prop, true, x, y));
    m_Game.Drag(SDL_BUTTON_RIGHT, x, y, x + 40, y);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Editor->GetHighlightedEntity(), prop);
    const platform::Vector3 moved = prop->GetPosition();
    EXPECT_GT(std::hypot(moved.x - start.x, moved.z - start.z), 1.0f);
    EXPECT_NEAR(prop->GetRotation().w, turn.w, 1e-4f);
    EXPECT_NEAR(prop->GetRotation().y, turn.y, 1e-4f);

    ASSERT_TRUE(PointOn(*world, prop, true, x, y));
    m_Game.Drag(SDL_BUTTON_MIDDLE, x, y, x - 20, y);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_NEAR(prop->GetPosition().x, moved.x, 1e-3f);
    EXPECT_NEAR(prop->GetPosition().z, moved.z, 1e-3f);
    EXPECT_GT(std::fabs(prop->GetRotation().y - turn.y), 0.1f);

    // Selected: Tools > "Selected Entity" opens its properties.
    ASSERT_EQ(m_Editor->GetHighlightedEntity(), prop);
    EXPECT_TRUE(Selectable("tools menu", "Selected Entity"));
    bool opened = false;
    ChooseFromMenu("tools button", "tools menu", "Selected Entity");
    m_Game.Queue([] {});
    m_Game.Queue([this, &opened]
                 { opened = m_Game.Gui().FindWindow(EditorPropertiesWindow::kWindowName)->IsVisible(); });
    m_Game.Click(EditorPropertiesWindow::kWindowName, "cancel");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_TRUE(opened);
}

namespace
{

// The scoring and stunt gear of the palette, placed as a user places it, on a course then driven in practice.
class tvMapEditorGearSdlTest : public tvMapEditorSdlTest
{
protected:
    // The category picked from the palette's drop-down, as a user picks it.
    void ChooseCategory(const std::string& category)
    {
        m_Game.ClickWidget(
            [this]() -> guiWidget*
            {
                guiDropDown* categories = m_Editor->GetCategoryDropDown();
                return categories != nullptr ? categories->GetButton() : nullptr;
            });
        ClickRow([this]() -> guiGrid* { return m_Editor->GetCategoryDropDown()->GetList(); }, category);
    }

    // A click on the palette's picture of the record whose "entityInitID" is the given one.
    void ClickPicture(const std::string& record)
    {
        m_Game.ClickAt([this, record](int32_t& x, int32_t& y)
                       { return testsupport::PalettePicturePoint(*m_Editor->GetPalette(), record, x, y); });
    }

    // The point of the view whose pick lands nearest the place on the ground, searched coarsely, then pixel
    // by pixel around the best; false when none lands within a metre of it.
    static bool ScreenPointOver(kaWorld& world, const platform::Vector3& place, int32_t& x, int32_t& y)
    {
        float best = 1.0e9f;
        auto search = [&](int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t step)
        {
            int32_t bestX = x;
            int32_t bestY = y;
            for (int32_t py = top; py <= bottom; py += step)
                for (int32_t px = left; px <= right; px += step)
                {
                    kaCollideInfo hit;
                    platform::Vector3 origin;
                    platform::Vector3 direction;
                    if (!world.GetPickRay(float(px), float(py), origin, direction) ||
                        !world.Pick(origin, origin + direction * 1000.0f, &hit,
                                    kaWorld::kPickTerrain | kaWorld::kPickMeshes))
                        continue;
                    const float off = std::hypot(hit.m_Point.x - place.x, hit.m_Point.z - place.z);
                    if (off < best)
                    {
                        best = off;
                        bestX = px;
                        bestY = py;
                    }
                }
            x = bestX;
            y = bestY;
        };
        // Right of the palette, below the toolbar.
        search(150, 60, 790, 590, 10);
        search(x - 10, y - 10, x + 10, y + 10, 1);
        return best < 1.0f;
    }

    // In a category long enough to scroll, each picture shows whole beside the scroll bar, not cut by the
    // bar: at the size it was drawn on the game's own screen, else in its own proportions.
    void ExpectPicturesWholeBesideTheBar(bool atDrawnSize)
    {
        // A driver who has bought every item: the stunt gear fills more rows than the palette shows.
        for (const auto& item : m_Game.App().GetShopItems())
            m_Game.App().GetCurrentPlayer()->Unlock(item->GetLockedEntity());
        // The palette shows with a course.
        NewCourse("Palette", kVenue);
        ASSERT_TRUE(m_Game.RunScript());
        ChooseCategory("Stunts");
        ASSERT_TRUE(m_Game.RunScript());
        ASSERT_TRUE(m_Game.Frame());
        guiGrid* palette = m_Editor->GetPalette();
        ASSERT_NE(palette, nullptr);
        guiGlyph* found = m_Editor->FindChild(std::string(palette->GetName()) + " Scroller");
        auto* scroller = found != nullptr ? found->DynamicCast<guiScroller>() : nullptr;
        ASSERT_NE(scroller, nullptr);
        guiScrollBar* bar = scroller->GetVerticalBar();
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(bar->IsVisible());
        // The cells end where the bar starts.
        EXPECT_LE(palette->GetHitRect().left + palette->GetColumnWidth(0), bar->GetHitRect().left);
        int32_t rows = 0;
        for (int32_t row = 0; palette->GetCell(row, 0) != nullptr; ++row, ++rows)
        {
            auto* picture = palette->GetCell(row, 0)->DynamicCast<guiImage>();
            ASSERT_NE(picture, nullptr) << row;
            // The picture file's own size, as the install holds it.
            const ka::any value = palette->GetCellData(row, 0);
            TiXmlNode* const* data = ka::any_cast<TiXmlNode*>(&value);
            ASSERT_NE(data, nullptr) << row;
            const std::string file = GetChildElementText("previewPic", *data);
            kaTGAImage image;
            ASSERT_TRUE(image.Load(m_Game.Install().File(file))) << file;
            const kaPoint shown = picture->ToPixels(picture->GetSize());
            EXPECT_LE(shown.x, palette->GetColumnWidth(0)) << file;
            if (atDrawnSize)
            {
                EXPECT_EQ(shown.x, int32_t(image.GetWidth())) << file;
                EXPECT_EQ(shown.y, int32_t(image.GetHeight())) << file;
            }
            else
            {
                EXPECT_NEAR(float(shown.x) / float(shown.y),
                            float(image.GetWidth()) / float(image.GetHeight()), 0.03f)
                    << file;
            }
        }
        EXPECT_GE(rows, 6);

        // Unscrolled, the frame ends where a row ends, on the screen, and no further row would fit below it.
        const platform::Rect& frame = scroller->GetHitRect();
        const int32_t screenHeight = int32_t(g_pGraphicsManager->GetPresentParameters().BackBufferHeight);
        int32_t whole = 0;
        int32_t top = palette->GetHitRect().top;
        for (int32_t row = 0; row < rows; top += palette->GetRowHeight(row), ++row)
        {
            const int32_t bottom = top + palette->GetRowHeight(row);
            EXPECT_FALSE(top < frame.bottom && bottom > frame.bottom)
                << "row " << row << " is cut at " << frame.bottom;
            whole += bottom <= frame.bottom ? 1 : 0;
        }
        EXPECT_LT(whole, rows);
        EXPECT_LE(frame.bottom, screenHeight);
        EXPECT_LT(screenHeight - frame.bottom, palette->GetRowHeight(0));
    }

    // Out of the editor to the hub, then practice: the car, then the course of that name from the list.
    void PracticeFromTheHub(const std::string& name, tvWorld*& course)
    {
        ChooseFromMenu("file button", "file menu", "Exit Editor");
        m_Game.Click(InGameMenu::kWindowName, InGameMenu::kQuitName);
        ASSERT_TRUE(m_Game.RunScript(4));
        ASSERT_TRUE(m_Game.Gui().FindWindow(CareerWindow::kWindowName)->IsVisible());
        m_Game.Click(CareerWindow::kWindowName, CareerWindow::kPracticeName);
        ASSERT_TRUE(m_Game.RunScript(20));
        m_Game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
        ASSERT_TRUE(m_Game.RunScript(20));
        auto* courses =
            dynamic_cast<CourseSelectWindow*>(m_Game.Gui().FindWindow(CourseSelectWindow::kWindowName));
        ASSERT_NE(courses, nullptr);
        ASSERT_TRUE(courses->IsVisible());
        Tarvolin& app = m_Game.App();
        int32_t row = -1;
        for (int32_t i = 0; i < app.GetWorldCount(); ++i)
            row = app.GetWorldInfo(i)->GetName() == name ? i : row;
        ASSERT_GE(row, 0);
        m_Game.ClickWidget([courses, row]
                           { return courses->GetGrid()->GetCell(row, 0)->DynamicCast<guiWidget>(); });
        m_Game.Click(CourseSelectWindow::kWindowName, CourseSelectWindow::kContinueName);
        ASSERT_TRUE(m_Game.RunScript(4));
        course = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
        ASSERT_NE(course, nullptr);
        ASSERT_EQ(course->GetName(), name);
    }

    // The record's picture clicked, the pointer to the place, a click there puts it down.
    void Place(const std::string& record, const platform::Vector3& place)
    {
        ClickPicture(record);
        ASSERT_TRUE(m_Game.RunScript());
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(ScreenPointOver(*m_Editor->GetWorld(), place, x, y)) << record;
        m_Game.MovePointer(x + 30, y + 30);
        m_Game.MovePointer(x, y);
        m_Game.Queue([] {});
        m_Game.PressButton(SDL_BUTTON_LEFT);
        m_Game.ReleaseButton(SDL_BUTTON_LEFT);
        ASSERT_TRUE(m_Game.RunScript());
    }
};

} // namespace

// A course built in the game's editor can score: a points token and a launch plate placed from the palette
// ahead of the start, the course saved with Ctrl+S, then picked on the hub and driven in practice. Taking
// the token counts its points, and the plate throws the car up.
TEST_F(tvMapEditorGearSdlTest, ATokenAndALaunchPlateFromThePaletteScoreAndLaunchOnTheSavedCourse)
{
    NewCourse("Plate Hop", kVenue);
    ASSERT_TRUE(m_Game.RunScript());
    auto* world = dynamic_cast<tvWorld*>(m_Editor->GetWorld());
    ASSERT_NE(world, nullptr);
    ASSERT_NE(world->GetVenueEntity(), nullptr);
    // The save puts the start under the venue's centre; the car drives off it towards -z.
    const kaBoundingBox* venueBox = world->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(venueBox, nullptr);
    const platform::Vector3 centre = (venueBox->m_Min + venueBox->m_Max) * 0.5f;
    const platform::Vector3 tokenAt(centre.x, 0.0f, centre.z - 8.0f);
    const platform::Vector3 plateAt(centre.x, 0.0f, centre.z - 18.0f);

    ChooseCategory("Points");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_NO_FATAL_FAILURE(Place("PointsToken", tokenAt));
    ChooseCategory("Stunts");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_NO_FATAL_FAILURE(Place("LaunchPlate", plateAt));
    std::map<std::string, platform::Vector3> placed;
    for (kaEntity* entity : world->GetEntities())
    {
        auto* physical = dynamic_cast<kaEntityPhysical*>(entity);
        if (physical && physical->IsVisible() &&
            (dynamic_cast<PowerUp*>(entity) || dynamic_cast<LaunchPlate*>(entity)))
            placed[entity->GetInitUniqueID()] = physical->GetPosition();
    }
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_NEAR(placed["PointsToken"].z, tokenAt.z, 1.5f);
    EXPECT_NEAR(placed["LaunchPlate"].z, plateAt.z, 1.5f);

    // Ctrl+S on the untitled course asks for its name.
    m_Game.KeyDown(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    m_Game.KeyUp(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    SaveAs("plate hop");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(std::filesystem::exists(m_Game.Install().Path() + "/Worlds/plate hop.xml"));
    tvWorld* course = nullptr;
    ASSERT_NO_FATAL_FAILURE(PracticeFromTheHub("Plate Hop", course));
    Tarvolin& app = m_Game.App();
    tvVehicle* car = app.GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    LaunchPlate* plate = nullptr;
    for (kaEntity* entity : course->GetEntities())
        plate = plate != nullptr ? plate : dynamic_cast<LaunchPlate*>(entity);
    ASSERT_NE(plate, nullptr);

    // Frames of 1/30 s on the game's clock; the start counted down, then the throttle held.
    m_Game.SetClockStep(0.0);
    auto frame = [this]
    {
        m_Game.Clock().AdvanceSeconds(1.0 / 30.0);
        return m_Game.Frame();
    };
    for (int i = 0; i < tvWorld::kPracticeStartFrames + 2; ++i)
        ASSERT_TRUE(frame());
    ASSERT_EQ(course->GetRunPhase(), tvWorld::kPhaseRunning);
    tvPlayer* driver = app.GetCurrentPlayer();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetRunPoints(), 0);
    const float ground = car->GetPosition().y;
    m_Game.KeyDown(SDL_SCANCODE_W);
    bool launched = false;
    float highest = ground;
    for (int i = 0; i < 150 && !(launched && highest > ground + 1.0f); ++i)
    {
        ASSERT_TRUE(frame());
        launched |= car->GetLaunchTime() > 0.0f && plate->GetCooldown() > 0.0f;
        highest = std::max(highest, car->GetPosition().y);
    }
    m_Game.KeyUp(SDL_SCANCODE_W);
    ASSERT_TRUE(frame());
    EXPECT_EQ(driver->GetRunPoints(), 100);
    EXPECT_TRUE(launched);
    EXPECT_GT(highest, ground + 1.0f);
    app.DeleteCourseWorld();
}

namespace
{

// Where the pointer at a pixel meets the venue: the point a placement puts an entity's foot on.
bool GroundUnder(kaWorld& world, int32_t x, int32_t y, platform::Vector3& point)
{
    kaCollideInfo hit;
    platform::Vector3 origin;
    platform::Vector3 direction;
    if (!world.GetPickRay(float(x), float(y), origin, direction) ||
        !world.Pick(origin, origin + direction * 1000.0f, &hit, kaWorld::kPickTerrain | kaWorld::kPickMeshes))
        return false;
    point = hit.m_Point;
    return true;
}

std::vector<testsupport::courseSaves::SavedEntity> SavedOf(const std::string& file, const std::string& record)
{
    std::vector<testsupport::courseSaves::SavedEntity> found;
    for (const auto& entity : testsupport::courseSaves::SavedEntities(file))
        if (entity.record == record)
            found.push_back(entity);
    return found;
}

int HiddenIn(const std::string& file)
{
    int hidden = 0;
    for (const auto& entity : testsupport::courseSaves::SavedEntities(file))
        hidden += entity.visible ? 0 : 1;
    return hidden;
}

} // namespace

// A token's picture clicked, then a click on the venue: the token is put down where the pointer is and shown,
// whether the pointer got there in one jump, glided there in several moves, or arrived in the frame of the
// press; Ctrl+S writes it so.
TEST_F(tvMapEditorGearSdlTest, ATokenIsPutDownWhereTheClickIsHoweverThePointerGotThere)
{
    struct Way
    {
        const char* name;
        int moves;
        // The move, the press and the release in one frame, as a quick hand on a slow frame gives them.
        bool sameFrame;
    };
    const Way ways[] = {
        {"one move", 1, false}, {"three moves", 3, false}, {"move and click in one frame", 1, true}};

    NewCourse("Quick Hand", kVenue);
    ASSERT_TRUE(m_Game.RunScript());
    kaWorld* world = m_Editor->GetWorld();
    ASSERT_NE(world, nullptr);
    const kaBoundingBox* venueBox = world->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(venueBox, nullptr);
    const platform::Vector3 centre = (venueBox->m_Min + venueBox->m_Max) * 0.5f;
    ChooseCategory("Points");
    ChooseFromMenu("file button", "file menu", "Save World As...");
    SaveAs("quick hand");
    ASSERT_TRUE(m_Game.RunScript());
    const std::string file = m_Game.Install().Path() + "/Worlds/quick hand.xml";
    ASSERT_TRUE(std::filesystem::exists(file));

    std::vector<platform::Vector3> feet;
    for (const Way& way : ways)
    {
        SCOPED_TRACE(way.name);
        ClickPicture("PointsToken");
        ASSERT_TRUE(m_Game.RunScript());
        int32_t x = 0;
        int32_t y = 0;
        const platform::Vector3 place(centre.x - 5.0f + 5.0f * float(feet.size()), 0.0f, centre.z - 6.0f);
        ASSERT_TRUE(ScreenPointOver(*world, place, x, y));
        platform::Vector3 foot;
        ASSERT_TRUE(GroundUnder(*world, x, y, foot));
        feet.push_back(foot);
        for (int move = way.moves - 1; move > 0; --move)
            m_Game.MovePointer(x + 15 * move, y + 10 * move);
        if (way.sameFrame)
        {
            m_Game.TapAt(
                [x, y](int32_t& atX, int32_t& atY)
                {
                    atX = x;
                    atY = y;
                    return true;
                },
                SDL_BUTTON_LEFT);
        }
        else
        {
            m_Game.MovePointer(x, y);
            m_Game.PressButton(SDL_BUTTON_LEFT);
            m_Game.ReleaseButton(SDL_BUTTON_LEFT);
        }
        m_Game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        ASSERT_TRUE(m_Game.RunScript(3));

        const auto tokens = SavedOf(file, "PointsToken");
        ASSERT_EQ(tokens.size(), feet.size());
        EXPECT_EQ(HiddenIn(file), 0);
        const auto put =
            std::find_if(tokens.begin(), tokens.end(),
                         [&foot](const testsupport::courseSaves::SavedEntity& token) {
                             return std::hypot(token.position.x - foot.x, token.position.z - foot.z) < 0.05f;
                         });
        ASSERT_NE(put, tokens.end());
        EXPECT_TRUE(put->visible);
        EXPECT_GE(put->position.y, foot.y - 0.05f);
    }
}

// A picture clicked and then left for something else is never put down: a click on the palette (the same
// picture or another), a menu, Ctrl+S or Escape takes it away, and no save writes it, shown or hidden. Let go
// with Escape on a saved course, it changes nothing, however the pointer went between: the name keeps no mark
// and Escape offers the menu of an unchanged course, not the save question. A token put down marks it.
TEST_F(tvMapEditorGearSdlTest, ATokenNeverPutDownIsNeitherKeptNorSaved)
{
    NewCourse("Second Thoughts", kVenue);
    ASSERT_TRUE(m_Game.RunScript());
    ChooseCategory("Points");
    ChooseFromMenu("file button", "file menu", "Save World As...");
    SaveAs("second thoughts");
    ASSERT_TRUE(m_Game.RunScript());
    const std::string file = m_Game.Install().Path() + "/Worlds/second thoughts.xml";
    const size_t stored = testsupport::courseSaves::SavedEntities(file).size();
    ASSERT_GT(stored, 0u);

    struct Then
    {
        const char* name;
        std::function<void()> act;
    };
    auto ctrlS = [this] { m_Game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl); };
    // What follows the click on the picture, ending in a save.
    const Then thens[] = {
        {"the same picture, then Ctrl+S",
         [this, ctrlS]
         {
             ClickPicture("PointsToken");
             ctrlS();
         }},
        {"another picture, then Ctrl+S",
         [this, ctrlS]
         {
             ClickPicture("LapToken");
             ctrlS();
         }},
        {"the file menu's save",
         [this] { ChooseFromMenu("file button", "file menu", "Save World (ctrl + s)"); }},
        {"Ctrl+S", ctrlS},
    };
    for (const Then& then : thens)
    {
        SCOPED_TRACE(then.name);
        ClickPicture("PointsToken");
        // Gone until the save writes it again.
        m_Game.Queue([&file] { std::filesystem::remove(file); });
        then.act();
        ASSERT_TRUE(m_Game.RunScript(3));
        ASSERT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(testsupport::courseSaves::SavedEntities(file).size(), stored);
        EXPECT_EQ(HiddenIn(file), 0);
    }

    ASSERT_TRUE(m_Editor->IsSaved());
    const std::string shownName = m_Editor->GetFileNameBox()->GetText();
    ASSERT_EQ(shownName.find('*'), std::string::npos);
    kaWorld* world = m_Editor->GetWorld();
    const kaBoundingBox* venueBox = world->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(venueBox, nullptr);
    const platform::Vector3 centre = (venueBox->m_Min + venueBox->m_Max) * 0.5f;
    int32_t groundX = 0;
    int32_t groundY = 0;
    ASSERT_TRUE(ScreenPointOver(*world, centre, groundX, groundY));
    // What comes between the click on the picture and Escape.
    const Then betweens[] = {
        {"the picture, then Escape", [] {}},
        {"over the ground, where the token follows, then Escape",
         [this, groundX, groundY]
         {
             m_Game.MovePointer(groundX + 20, groundY + 20);
             m_Game.MovePointer(groundX, groundY);
         }},
        {"another picture, then Escape", [this] { ClickPicture("LapToken"); }},
    };
    for (const Then& between : betweens)
    {
        SCOPED_TRACE(between.name);
        ClickPicture("PointsToken");
        between.act();
        m_Game.TapKey(SDL_SCANCODE_ESCAPE);
        bool leaveMenu = false;
        bool saveQuestion = false;
        bool unchanged = false;
        std::string name;
        m_Game.Queue(
            [&]
            {
                leaveMenu = m_Game.Gui().FindWindow(InGameMenu::kWindowName)->IsVisible();
                saveQuestion = m_Game.Gui().FindWindow(MapSaveMenu::kWindowName)->IsVisible();
                unchanged = m_Editor->IsSaved();
                name = m_Editor->GetFileNameBox()->GetText();
            });
        // Either way the editor stays: both offer the way back under this name.
        m_Game.ClickWidget(
            [this]() -> guiWidget*
            {
                for (const char* window : {InGameMenu::kWindowName, MapSaveMenu::kWindowName})
                {
                    guiWindow* shown = m_Game.Gui().FindWindow(window);
                    if (shown != nullptr && shown->IsVisible())
                        return shown->FindChild(InGameMenu::kResumeName)->DynamicCast<guiWidget>();
                }
                return nullptr;
            });
        ASSERT_TRUE(m_Game.RunScript(4));
        ASSERT_TRUE(m_Editor->IsVisible());
        EXPECT_TRUE(leaveMenu);
        EXPECT_FALSE(saveQuestion);
        EXPECT_TRUE(unchanged);
        EXPECT_EQ(name, shownName);
        EXPECT_EQ(m_Editor->GetHighlightedEntity(), nullptr);
    }
    EXPECT_EQ(testsupport::courseSaves::SavedEntities(file).size(), stored);

    // Escape: the course a token put down changed asks first; the prompt answered with save, and the editor
    // left.
    ASSERT_NO_FATAL_FAILURE(Place("LapToken", centre));
    EXPECT_FALSE(m_Editor->IsSaved());
    EXPECT_EQ(m_Editor->GetFileNameBox()->GetText(), "*" + shownName);
    ClickPicture("PointsToken");
    m_Game.Queue([&file] { std::filesystem::remove(file); });
    m_Game.TapKey(SDL_SCANCODE_ESCAPE);
    m_Game.Click(MapSaveMenu::kWindowName, MapSaveMenu::kYesName);
    ASSERT_TRUE(m_Game.RunScript(4));
    EXPECT_FALSE(m_Editor->IsVisible());
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(testsupport::courseSaves::SavedEntities(file).size(), stored + 1);
    EXPECT_EQ(HiddenIn(file), 0);
}

// The player's course editor opens courses only: Load World... lists the courses the game lists, and none
// of the engine editor's worlds (Sample Course among them).
TEST_F(tvMapEditorSdlTest, LoadWorldListsTheGamesCoursesOnly)
{
    ChooseFromMenu("file button", "file menu", "Load World...");
    std::vector<std::string> rows;
    m_Game.Queue(
        [this, &rows]
        {
            auto* dialog =
                dynamic_cast<SaveLoadWindow*>(m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName));
            guiListBox* list = dialog != nullptr && dialog->IsVisible() ? dialog->GetFileList() : nullptr;
            for (int32_t at = 0; list != nullptr && at < list->GetUsedRows(); ++at)
            {
                guiGlyph* cell = list->GetCell(at, 0);
                auto* text = cell != nullptr ? cell->DynamicCast<guiText>() : nullptr;
                rows.push_back(text != nullptr ? text->GetText() : "<none>");
            }
        });
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kCancelName);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Editor->GetWorld(), nullptr);
    ASSERT_EQ(int32_t(rows.size()), m_Game.App().GetWorldCount());
    for (const std::string& row : rows)
    {
        EXPECT_EQ(row.find("Editor"), std::string::npos) << row;
        EXPECT_EQ(row.find("Sample Course"), std::string::npos) << row;
    }
    for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
    {
        std::string path = m_Game.App().GetWorldInfo(i)->GetFilePath();
        std::replace(path.begin(), path.end(), '/', '\\');
        path.erase(path.rfind(".xml"));
        EXPECT_NE(std::find(rows.begin(), rows.end(), path), rows.end()) << path;
    }
}

// Ctrl+S on an unchanged course, then again seconds of frames later, writes the same bytes: the tokens'
// spin, the physics and the start's run flags are the editor's show, not the course. A save chosen from the
// file menu with the mouse leaves the menu's keys behind with it: the arrows then choose none of its rows.
TEST_F(tvMapEditorSdlTest, TwoSavesOfAnUnchangedCourseSecondsApartWriteTheSameBytes)
{
    testsupport::courseSaves::ExpectTwoSavesAlike(m_Game, *m_Editor);

    ChooseFromMenu("file button", "file menu", "Save World (ctrl + s)");
    std::string shown = "not looked at";
    m_Game.TapKey(SDL_SCANCODE_DOWN);
    m_Game.TapKey(SDL_SCANCODE_DOWN);
    m_Game.Queue([] {});
    m_Game.Queue(
        [this, &shown]
        {
            shown.clear();
            for (guiWindow* window : m_Game.Gui().GetWindows())
                if (window->IsVisible() && window != m_Editor)
                    shown += "\"" + window->GetName() + "\" ";
        });
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(shown, "");
    EXPECT_TRUE(m_Editor->IsVisible());
    EXPECT_TRUE(m_Editor->IsSaved());
}

// A course whose rotations overflow when squared goes through load, save, load and save with every entity.
TEST_F(tvMapEditorSdlTest, ACourseWithHugeRotationsKeepsEveryEntityThroughLoadsAndSaves)
{
    testsupport::courseSaves::ExpectHugeRotationsKept(m_Game, *m_Editor);
}

// A middle drag turns a spinning token from the rotation it was placed with, and Ctrl+S writes that turn,
// not the spin's phase of the moment.
TEST_F(tvMapEditorSdlTest, TurningASpinningTokenSavesItsPlacedRotationTurned)
{
    const std::string file = m_Game.Install().Path() + "/" + testsupport::courseSaves::kStuntYard;
    m_Editor->LoadWorld(testsupport::courseSaves::kStuntYard);
    kaWorld* world = m_Editor->GetWorld();
    ASSERT_NE(world, nullptr);
    auto* token = dynamic_cast<kaEntityModel*>(world->FindEntityByName("PointsToken3"));
    ASSERT_NE(token, nullptr);
    const platform::Quaternion placed = token->GetRotation();
    m_Game.SetClockStep(0.05);
    for (int frame = 0; frame < 30; ++frame)
        m_Game.Queue([] {});
    ASSERT_TRUE(m_Game.RunScript());
    // The spin has turned it well away from where it was placed.
    const platform::Quaternion spun = token->GetRotation();
    ASSERT_LT(std::fabs(platform::QuaternionDot(&placed, &spun)), 0.95f);

    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(PointOn(*world, token, true, x, y));
    m_Game.Drag(SDL_BUTTON_MIDDLE, x, y, x - 20, y);
    m_Game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    ASSERT_TRUE(m_Game.RunScript(3));

    // Read back: the placed rotation turned about the vertical by the drag's 20 pixels.
    m_Editor->LoadWorld(testsupport::courseSaves::kStuntYard);
    auto* saved = dynamic_cast<kaEntityModel*>(m_Editor->GetWorld()->FindEntityByName("PointsToken3"));
    ASSERT_NE(saved, nullptr);
    const platform::Quaternion turned = saved->GetRotation();
    platform::Quaternion relative;
    platform::Quaternion undo;
    platform::QuaternionConjugate(&undo, &placed);
    platform::QuaternionMultiply(&relative, &undo, &turned);
    const float angle = 2.0f * std::acos(std::min(1.0f, std::fabs(relative.w)));
    EXPECT_NEAR(angle, 20.0f * std::fabs(MapEditorWindow::kTurnPerPixel), 1e-3f);
    EXPECT_NEAR(relative.x, 0.0f, 1e-4f);
    EXPECT_NEAR(relative.z, 0.0f, 1e-4f);
}

// Values the load could not read, in the editor that runs the physics. One shows in the property sheet as the
// value in use: the designer typing a value into its row, the one it shows too, replaces the text kept as
// read, and the save writes what was typed; a row left alone keeps its text, though it comes back from the
// sheet with the others. A position not read whole is saved as read however long the physics has run, the
// bodies' fall and the start of a body off its centre being no move of the designer's; a right drag moves
// one, and the save writes its new place while the others stay as read.
TEST_F(tvMapEditorSdlTest, ValuesKeptAsReadGiveWayToTheDesignersRowsAndMovesAndToNothingElse)
{
    testsupport::MalformedCourse::ExpectSetRowsReplaceKeptValues(m_Game, *m_Editor, "tools button",
                                                                 "tools menu");

    // The positions, on a course of their own. By their place in the stunt yard: the launch plate and two
    // barrels, whose bodies' centres lie above their origins, a token, a ball, and a cylinder, whose centre
    // lies beside its origin.
    using testsupport::MalformedCourse;
    namespace courseLoads = testsupport::courseLoads;
    const std::vector<MalformedCourse::Key> keys = {
        {1, {"position", "y"}, "nan"},   {6, {"position", "z"}, "nan"},   {7, {"position", "y"}, "true"},
        {12, {"position", "x"}, "true"}, {13, {"position", "y"}, "-inf"}, {15, {"position", "z"}, "-inf"},
    };
    const std::string file = m_Game.InstallPath() + "/Worlds/unread_places.xml";
    const std::vector<MalformedCourse::Planted> planted =
        MalformedCourse::WriteKeys(m_Game.InstallPath(), "Worlds/unread_places.xml", keys);
    ASSERT_EQ(planted.size(), keys.size());
    courseLoads::LoadThroughTheDialog(m_Game, *m_Editor, "Worlds\\unread_places");
    courseLoads::ShownBox box;
    courseLoads::AnswerBox(m_Game, MessageBoxWindow::kOkName, box);
    ASSERT_TRUE(m_Game.RunScript(3));
    ASSERT_TRUE(box.shown);
    kaWorld* world = m_Editor->GetWorld();
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(world->GetMalformedValues().size(), planted.size());

    // Three seconds of the editor's physics, then Ctrl+S.
    m_Game.SetClockStep(0.05);
    for (int frame = 0; frame < 60; ++frame)
        m_Game.Queue([] {});
    m_Game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    ASSERT_TRUE(m_Game.RunScript(3));
    for (const MalformedCourse::Planted& key : planted)
        EXPECT_EQ(MalformedCourse::SavedElement(file, key), key.element) << key.entity;

    // The launch plate moved by a right drag: its place is written from then on.
    auto* plate = dynamic_cast<kaEntityModel*>(world->FindEntityByName("LaunchPlate2"));
    ASSERT_NE(plate, nullptr);
    const platform::Vector3 before = plate->GetPlacedPosition();
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(PointOn(*world, plate, true, x, y));
    m_Game.Drag(SDL_BUTTON_RIGHT, x, y, x + 40, y);
    m_Game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
    ASSERT_TRUE(m_Game.RunScript(3));
    const platform::Vector3 moved = plate->GetPlacedPosition();
    ASSERT_GT(std::hypot(moved.x - before.x, moved.z - before.z), 1.0f);
    for (const MalformedCourse::Planted& key : planted)
    {
        const std::string saved = MalformedCourse::SavedElement(file, key);
        if (key.entity.find("\"LaunchPlate2\"") == std::string::npos)
        {
            EXPECT_EQ(saved, key.element) << key.entity;
            continue;
        }
        TiXmlDocument written;
        written.Parse(saved.c_str());
        ASSERT_NE(written.RootElement(), nullptr) << saved;
        EXPECT_NEAR(testsupport::courseSaves::ChildFloat(written.RootElement(), "x"), moved.x, 1e-3f)
            << saved;
        EXPECT_NEAR(testsupport::courseSaves::ChildFloat(written.RootElement(), "y"), moved.y, 1e-3f)
            << saved;
        EXPECT_NEAR(testsupport::courseSaves::ChildFloat(written.RootElement(), "z"), moved.z, 1e-3f)
            << saved;
    }
}

// The palette at the game's own screen: in a category long enough to scroll, each picture shows whole
// beside the scroll bar, at the size it was drawn, not stretched and not cut by the bar.
TEST_F(tvMapEditorGearSdlTest, ALongCategorysPicturesShowWholeBesideItsScrollBar)
{
    ExpectPicturesWholeBesideTheBar(true);
}

namespace
{

// The game at a larger screen, where the palette's cells grow with the display.
class tvMapEditorLargeScreenSdlTest : public tvMapEditorGearSdlTest
{
protected:
    void SetUp() override
    {
        m_Game.Install().Write("Tarvolin.cfg", "[Begin Graphics Config]\nFullScreen=0\nFSDisplayWidth=1024\n"
                                               "FSDisplayHeight=768\n[End Graphics Config]\n");
        tvMapEditorGearSdlTest::SetUp();
    }
};

} // namespace

TEST_F(tvMapEditorLargeScreenSdlTest, ALongCategorysPicturesShowWholeBesideItsScrollBar)
{
    ASSERT_EQ(g_pGraphicsManager->GetPresentParameters().BackBufferWidth, 1024u);
    ExpectPicturesWholeBesideTheBar(false);
}

namespace
{

// A car thrown out of a walled venue: a course made on the venue in the editor, a launch plate placed from
// the palette in front of the wall the car drives at, then driven in practice at full throttle.
class tvMapEditorArenaRespawnSdlTest : public tvMapEditorGearSdlTest,
                                       public ::testing::WithParamInterface<const char*>
{
};

INSTANTIATE_TEST_SUITE_P(WalledVenues, tvMapEditorArenaRespawnSdlTest,
                         ::testing::Values("SampleArena", "StuntYard"));

} // namespace

// The car flies over the venue's 2 m wall from a plate 6.5 m before it, and is back at the start, under the
// fade, within a few seconds of leaving the venue: the venue catches what leaves it as the proving ground
// does.
TEST_P(tvMapEditorArenaRespawnSdlTest, ACarThrownOverTheWallIsBackAtTheStartWithinSeconds)
{
    const std::string venue = GetParam();
    // The stunt yard's venue is the shop's: this driver has bought it.
    m_Game.App().GetCurrentPlayer()->Unlock(venue);
    NewCourse("Over The Wall", venue);
    ASSERT_TRUE(m_Game.RunScript());
    auto* world = dynamic_cast<tvWorld*>(m_Editor->GetWorld());
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(world->GetVenueName(), venue);
    const kaBoundingBox* venueBox = world->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(venueBox, nullptr);
    const platform::Vector3 low = venueBox->m_Min;
    const platform::Vector3 high = venueBox->m_Max;
    // The start goes under the venue's centre, facing -z; the wall there is 1 m thick.
    constexpr float kWallThickness = 1.0f;
    constexpr float kPlateFromWall = 6.5f;
    const platform::Vector3 plateAt((low.x + high.x) * 0.5f, 0.0f, low.z + kWallThickness + kPlateFromWall);
    // Seen from above, the whole venue is in view.
    m_Game.Click(m_Editor->GetName(), "Top View");
    ChooseCategory("Stunts");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_NO_FATAL_FAILURE(Place("LaunchPlate", plateAt));

    ChooseFromMenu("file button", "file menu", "Save World As...");
    SaveAs("over the wall");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(std::filesystem::exists(m_Game.Install().Path() + "/Worlds/over the wall.xml"));
    tvWorld* course = nullptr;
    ASSERT_NO_FATAL_FAILURE(PracticeFromTheHub("Over The Wall", course));
    Tarvolin& app = m_Game.App();
    tvVehicle* car = app.GetPlayerVehicle();
    ASSERT_NE(car, nullptr);
    auto* spawn = dynamic_cast<kaSpawnPoint*>(course->FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(spawn, nullptr);
    const platform::Vector3 start = spawn->GetSpawnPosition();
    const kaBoundingBox* shape = course->GetVenueEntity()->GetBoundingBox();
    ASSERT_NE(shape, nullptr);
    const platform::Vector3 inLow = shape->m_Min;
    const platform::Vector3 inHigh = shape->m_Max;

    // Frames of 1/30 s on the game's clock; the start counted down, then the throttle held until the car
    // is out of the venue: beyond its walls or below its floor.
    m_Game.SetClockStep(0.0);
    auto frame = [this]
    {
        m_Game.Clock().AdvanceSeconds(1.0 / 30.0);
        return m_Game.Frame();
    };
    for (int i = 0; i < tvWorld::kPracticeStartFrames + 2; ++i)
        ASSERT_TRUE(frame());
    ASSERT_EQ(course->GetRunPhase(), tvWorld::kPhaseRunning);
    auto outside = [&]
    {
        const platform::Vector3 at = car->GetPosition();
        return at.x < inLow.x || at.x > inHigh.x || at.z < inLow.z || at.z > inHigh.z || at.y < -1.0f;
    };
    m_Game.KeyDown(SDL_SCANCODE_W);
    int driven = 0;
    for (; driven < 8 * 30 && !outside(); ++driven)
        ASSERT_TRUE(frame());
    m_Game.KeyUp(SDL_SCANCODE_W);
    ASSERT_TRUE(outside()) << venue << ": the car stayed in after " << driven << " frames at "
                           << car->GetPosition().x << " " << car->GetPosition().y << " "
                           << car->GetPosition().z;

    // Back on the start, still running, within four seconds.
    auto atStart = [&]
    {
        const platform::Vector3 at = car->GetPosition();
        return std::hypot(at.x - start.x, at.z - start.z) < 1.5f && std::fabs(at.y - start.y) < 1.5f;
    };
    int waited = 0;
    for (; waited < 4 * 30 && !atStart(); ++waited)
        ASSERT_TRUE(frame());
    EXPECT_TRUE(atStart()) << venue << ": after " << waited << " frames the car is at "
                           << car->GetPosition().x << " " << car->GetPosition().y << " "
                           << car->GetPosition().z;
    EXPECT_EQ(course->GetRunPhase(), tvWorld::kPhaseRunning);
    app.DeleteCourseWorld();
}
