#include "tests/support/game/MalformedCourse.h"

#include "editor/EditorPropertiesWindow.h"
#include "editor/MapEditorWindow.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "game/gear/PowerUp.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/EntityPoint.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <fstream>
#include <map>
#include <set>
#include <utility>

namespace testsupport
{

namespace
{

struct BadValue
{
    const char* key;
    const char* text;
};

// For each kind, the malformed values its entities take in turn: texts, non-finite and out-of-range numbers,
// other notations, whole numbers that are not, booleans that are not "0" or "1".
const std::map<std::string, std::vector<BadValue>>& BadValues()
{
    static const std::map<std::string, std::vector<BadValue>> values = {
        {"PowerUp",
         {{"hideTime", "1.5"},
          {"value", "3000000000"},
          {"turboForce", "nan"},
          {"turboTime", "inf"},
          {"gravity", "1e39"},
          {"powerupType", "0x10"},
          {"turboMaxTime", "fast"},
          {"gravityMaxTime", "1,5"},
          {"pinned", "true"}}},
        {"LaunchPlate", {{"launchForce", "1,5"}}},
        {"ExplosiveGear", {{"explosionDamage", "lots"}, {"explosionThreshold", "0x10"}}},
        {"StuntGear", {{"mass", "heavy"}}},
        {"MudPit", {{"processCollisionForce", "2"}}},
        {"OilSlick", {{"pinned", "true"}}},
        {"PowerGrate", {{"pinned", "-1"}}},
        {"Ball", {{"mass", "nan"}}},
        {"Box", {{"collisionThreshold", "inf"}}},
        {"Cylinder", {{"collisionMax", "1e39"}}},
        {"kaEntityPhysical", {{"collisionMax", "1.5.5"}}},
    };
    return values;
}

// Base and model keys planted by the entity's place in the stunt yard: the start point first, then gear,
// tokens and props.
const std::vector<MalformedCourse::Key>& BaseKeys()
{
    static const std::vector<MalformedCourse::Key> keys = {
        {0, {"snapToTerrain"}, "true"},
        {1, {"position", "x"}, "1e10"},
        {2, {"visible"}, "-1e39"},
        {3, {"position", "y"}, "true"},
        {4, {"selectable"}, "yes"},
        {5, {"rotation", "quaternion", "w"}, "one"},
        {6, {"position", "z"}, "3.4e38"},
        {7, {"noSortAlpha"}, "2"},
        {8, {"position", "x"}, "1e30"},
        {13, {"visible"}, "nan"},
        {14, {"rotation", "quaternion", "x"}, "0,5"},
        {16, {"position", "y"}, "-3.5e38"},
    };
    return keys;
}

std::string Text(const TiXmlElement* element)
{
    return element && element->GetText() ? element->GetText() : "";
}

// A key's values in the file's order, blank-separated, as the editor names a placement's.
void AppendValues(const TiXmlElement& element, std::string& text)
{
    if (!element.FirstChildElement())
    {
        text += (text.empty() ? "" : " ") + Text(&element);
        return;
    }
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        AppendValues(*child, text);
}

std::string Printed(const TiXmlElement& element)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    element.Accept(&printer);
    return printer.Str();
}

// The entities of a world file by identifier.
std::map<std::string, const TiXmlElement*> Entities(const TiXmlDocument& document)
{
    std::map<std::string, const TiXmlElement*> blocks;
    const TiXmlElement* root = document.RootElement();
    const TiXmlElement* list = root ? root->FirstChildElement("Entities") : nullptr;
    for (const TiXmlElement* block = list ? list->FirstChildElement("Entity") : nullptr; block;
         block = block->NextSiblingElement("Entity"))
        blocks[Text(block->FirstChildElement("entityID"))] = block;
    return blocks;
}

// Keys written as the running editor holds them rather than as read: a token's spin, the spawn point's
// selectable flag.
const std::set<std::pair<std::string, std::string>>& RunningState()
{
    static const std::set<std::pair<std::string, std::string>> keys = {{"PowerUp", "rotation"},
                                                                       {"kaSpawnPoint", "selectable"}};
    return keys;
}

// A placed body comes back from the physics a float's last digit away; one kept as read comes back as read.
void ExpectNearCoordinates(const TiXmlElement& written, const TiXmlElement& read)
{
    if (Printed(written) == Printed(read))
        return;
    for (const char* axis : {"x", "y", "z"})
    {
        const TiXmlElement* before = read.FirstChildElement(axis);
        const TiXmlElement* after = written.FirstChildElement(axis);
        ASSERT_EQ(after != nullptr, before != nullptr) << Printed(written);
        if (before != nullptr)
        {
            EXPECT_NEAR(std::stof(Text(after)), std::stof(Text(before)), 1e-5f) << Printed(written);
        }
    }
}

int Lines(const std::string& file)
{
    std::ifstream stream(file);
    int lines = 0;
    for (std::string line; std::getline(stream, line);)
        ++lines;
    return lines;
}

} // namespace

std::vector<MalformedCourse::Planted> MalformedCourse::Write(const std::string& install,
                                                             const std::string& relative)
{
    TiXmlDocument document;
    if (!document.LoadFile(install + "/Worlds/stunt_yard.xml"))
        return {};
    std::vector<Planted> planted;
    std::map<std::string, size_t> turns;
    TiXmlElement* list = document.RootElement()->FirstChildElement("Entities");
    for (TiXmlElement* block = list ? list->FirstChildElement("Entity") : nullptr; block;
         block = block->NextSiblingElement("Entity"))
    {
        const std::string type = Text(block->FirstChildElement("type"));
        const auto values = BadValues().find(type);
        if (values == BadValues().end())
            continue;
        const BadValue& bad = values->second[turns[type]++ % values->second.size()];
        TiXmlElement* key = block->FirstChildElement(bad.key);
        if (!key)
            key = block->InsertEndChild(TiXmlElement(bad.key))->ToElement();
        key->Clear();
        key->InsertEndChild(TiXmlText(bad.text));
        planted.push_back({type + " \"" + Text(block->FirstChildElement("name")) + "\" (id " +
                               Text(block->FirstChildElement("entityID")) + ")",
                           bad.key, bad.text, Printed(*key)});
    }
    if (!document.SaveFile(install + "/" + relative))
        return {};
    return planted;
}

std::vector<MalformedCourse::Planted> MalformedCourse::WriteBaseKeys(const std::string& install,
                                                                     const std::string& relative)
{
    return WriteKeys(install, relative, BaseKeys());
}

std::vector<MalformedCourse::Planted> MalformedCourse::WriteKeys(const std::string& install,
                                                                 const std::string& relative,
                                                                 const std::vector<Key>& keys)
{
    TiXmlDocument document;
    if (!document.LoadFile(install + "/Worlds/stunt_yard.xml"))
        return {};
    std::vector<TiXmlElement*> blocks;
    TiXmlElement* list = document.RootElement()->FirstChildElement("Entities");
    for (TiXmlElement* block = list ? list->FirstChildElement("Entity") : nullptr; block;
         block = block->NextSiblingElement("Entity"))
        blocks.push_back(block);
    std::vector<Planted> planted;
    for (const Key& bad : keys)
    {
        if (bad.entity >= blocks.size())
            return {};
        TiXmlElement* block = blocks[bad.entity];
        TiXmlElement* key = block;
        for (const char* name : bad.path)
        {
            TiXmlElement* child = key->FirstChildElement(name);
            key = child ? child : key->InsertEndChild(TiXmlElement(name))->ToElement();
        }
        key->Clear();
        key->InsertEndChild(TiXmlText(bad.text));
        const TiXmlElement& top = *block->FirstChildElement(bad.path.front());
        std::string values;
        AppendValues(top, values);
        planted.push_back({Text(block->FirstChildElement("type")) + " \"" +
                               Text(block->FirstChildElement("name")) + "\" (id " +
                               Text(block->FirstChildElement("entityID")) + ")",
                           bad.path.front(), values, Printed(top)});
    }
    if (!document.SaveFile(install + "/" + relative))
        return {};
    return planted;
}

std::string MalformedCourse::SavedElement(const std::string& savedFile, const Planted& key)
{
    TiXmlDocument saved;
    if (!saved.LoadFile(savedFile))
        return "";
    const std::map<std::string, const TiXmlElement*> blocks = Entities(saved);
    const size_t id = key.entity.rfind("(id ");
    if (id == std::string::npos)
        return "";
    const auto block = blocks.find(key.entity.substr(id + 4, key.entity.size() - id - 5));
    const TiXmlElement* written = block != blocks.end() ? block->second->FirstChildElement(key.key) : nullptr;
    return written != nullptr ? Printed(*written) : "";
}

void MalformedCourse::ExpectKept(const std::string& plantedFile, const std::string& savedFile)
{
    TiXmlDocument planted;
    TiXmlDocument saved;
    ASSERT_TRUE(planted.LoadFile(plantedFile)) << plantedFile;
    ASSERT_TRUE(saved.LoadFile(savedFile)) << savedFile;
    const std::map<std::string, const TiXmlElement*> before = Entities(planted);
    const std::map<std::string, const TiXmlElement*> after = Entities(saved);
    ASSERT_FALSE(before.empty());
    // Keys every entity writes from its current state.
    const std::set<std::string> common = {"initUniqueID", "name",       "type",        "entityID",
                                          "visible",      "selectable", "kmfFilename", "snapToTerrain",
                                          "rotation",     "position"};
    for (const auto& [id, block] : before)
    {
        SCOPED_TRACE("entity " + id);
        const auto found = after.find(id);
        ASSERT_NE(found, after.end());
        std::set<std::string> keys;
        const std::string type = Text(block->FirstChildElement("type"));
        for (const TiXmlElement* key = block->FirstChildElement(); key; key = key->NextSiblingElement())
        {
            keys.insert(key->Value());
            if (RunningState().count({type, key->Value()}) != 0)
                continue;
            const TiXmlElement* written = found->second->FirstChildElement(key->Value());
            ASSERT_NE(written, nullptr) << key->Value();
            if (std::string(key->Value()) == "position")
                ExpectNearCoordinates(*written, *key);
            else
                EXPECT_EQ(Printed(*written), Printed(*key));
        }
        for (const TiXmlElement* key = found->second->FirstChildElement(); key;
             key = key->NextSiblingElement())
            EXPECT_TRUE(keys.count(key->Value()) != 0 || common.count(key->Value()) != 0)
                << "added " << Printed(*key);
    }
}

void MalformedCourse::ExpectEditorRoundTrips(HeadlessGame& game, MapEditorWindow& editor)
{
    // One of each kind the stunt yard holds, power-ups and explosive gear more than once.
    _ExpectRoundTrips(game, editor, &Write, 20u);
}

void MalformedCourse::ExpectBaseKeysRoundTrips(HeadlessGame& game, MapEditorWindow& editor)
{
    _ExpectRoundTrips(game, editor, &WriteBaseKeys, BaseKeys().size());
}

void MalformedCourse::ExpectSetRowsReplaceKeptValues(HeadlessGame& game, MapEditorWindow& editor,
                                                     const std::string& menuButton, const std::string& menu)
{
    // Entities by their place in the stunt yard, on the editors' view as a course opens.
    const struct
    {
        Key key;
        const char* entity;
        const char* label;
        // Typed into the row: null leaves it alone, empty types the value it shows.
        const char* typed;
    } cases[] = {
        {{1, {"visible"}, "nan"}, "LaunchPlate2", kaEntity::kVisibleLabel, ""},
        {{1, {"selectable"}, "2"}, "LaunchPlate2", kaEntity::kSelectableLabel, nullptr},
        {{2, {"visible"}, "-1e39"}, "PointsToken3", kaEntity::kVisibleLabel, "1"},
        {{2, {"selectable"}, "yes"}, "PointsToken3", kaEntity::kSelectableLabel, nullptr},
        {{2, {"hideTime"}, "1.5"}, "PointsToken3", PowerUp::kRespawnLabel, ""},
        {{8, {"visible"}, "true"}, "SpikeBar9", kaEntity::kVisibleLabel, "0"},
        {{8, {"selectable"}, "-1"}, "SpikeBar9", kaEntity::kSelectableLabel, "1"},
    };
    std::vector<Key> keys;
    for (const auto& c : cases)
        keys.push_back(c.key);
    const std::string file = game.InstallPath() + "/Worlds/unread_values.xml";
    const std::vector<Planted> planted = WriteKeys(game.InstallPath(), "Worlds/unread_values.xml", keys);
    ASSERT_EQ(planted.size(), keys.size());
    courseLoads::LoadThroughTheDialog(game, editor, "Worlds\\unread_values");
    courseLoads::ShownBox box;
    courseLoads::AnswerBox(game, MessageBoxWindow::kOkName, box);
    ASSERT_TRUE(game.RunScript(3));
    kaWorld* world = editor.GetWorld();
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(world->GetMalformedValues().size(), planted.size());

    auto* sheet =
        dynamic_cast<EditorPropertiesWindow*>(game.Gui().FindWindow(EditorPropertiesWindow::kWindowName));
    ASSERT_NE(sheet, nullptr);
    const auto clickRow = [&game](const std::function<guiListBox*()>& list, const std::string& text)
    { game.ClickAt([list, text](int32_t& x, int32_t& y) { return ListRowPoint(list(), text, x, y); }); };
    std::vector<std::string> expected;
    std::string open;
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        kaEntity* entity = world->FindEntityByName(c.entity);
        ASSERT_NE(entity, nullptr) << c.entity;
        if (open != c.entity)
        {
            // The last entity's sheet closed with Ok, this one picked and its sheet opened from the menu.
            if (!open.empty())
                game.Click(EditorPropertiesWindow::kWindowName, "ok");
            int32_t x = 0;
            int32_t y = 0;
            ASSERT_TRUE(ScreenPointOn(*world, entity, true, x, y)) << c.entity;
            game.ClickAt(
                [x, y](int32_t& atX, int32_t& atY)
                {
                    atX = x;
                    atY = y;
                    return true;
                });
            game.Click(editor.GetName(), menuButton);
            clickRow([&editor, menu] { return editor.FindChild(menu)->DynamicCast<guiListBox>(); },
                     "Selected Entity");
            open = c.entity;
        }
        if (c.typed == nullptr)
        {
            expected.push_back(planted[i].element);
            continue;
        }
        std::string typed = c.typed;
        for (const kaCountedPtr<kaPropertyRecord>& row : entity->GetPropertyList())
            if (typed.empty() && row->m_Label == c.label)
                typed = row->m_Value;
        ASSERT_FALSE(typed.empty()) << c.label;
        expected.push_back("<" + planted[i].key + ">" + typed + "</" + planted[i].key + ">");
        // Into the row's box, cleared from the end, the value typed.
        game.ClickWidget(
            [sheet, label = std::string(c.label)]() -> guiWidget*
            { return sheet->IsVisible() ? sheet->GetValueBox(sheet->FindRowByLabel(label)) : nullptr; });
        game.PressKey(guiTextBox::kKeyEnd);
        for (int key = 0; key < 8; ++key)
            game.PressKey(guiTextBox::kKeyBackspace);
        game.Type(typed);
    }
    game.Click(EditorPropertiesWindow::kWindowName, "ok");
    courseLoads::SaveWithCtrlS(game);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(editor.IsSaved());
    for (size_t i = 0; i < planted.size(); ++i)
        EXPECT_EQ(SavedElement(file, planted[i]), expected[i]) << cases[i].entity << " " << cases[i].label;
}

void MalformedCourse::_ExpectRoundTrips(HeadlessGame& game, MapEditorWindow& editor, Planting plant,
                                        size_t count)
{
    const std::string install = game.InstallPath();
    const char* const course = "Worlds/every_kind.xml";
    const std::vector<Planted> planted = plant(install, course);
    // The same course again, to compare the saves with.
    ASSERT_EQ(plant(install, "planted.xml").size(), planted.size());
    ASSERT_EQ(planted.size(), count);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        // Opened as a designer opens it: the file menu, the dialog's row, Ok.
        courseLoads::LoadThroughTheDialog(game, editor, "Worlds\\every_kind");
        // Emptied once read (the load's box shows): only the save brings it back.
        bool emptied = false;
        for (int frame = 0; frame < 4; ++frame)
            game.Queue(
                [&game, &emptied, &install, course]
                {
                    const MessageBoxWindow* box = game.Gui().GetMessageBox();
                    if (emptied || box == nullptr || !box->IsVisible())
                        return;
                    std::ofstream(install + "/" + course, std::ios::trunc).flush();
                    emptied = true;
                });
        courseLoads::ShownBox box;
        courseLoads::AnswerBox(game, MessageBoxWindow::kOkName, box);
        courseLoads::SaveWithCtrlS(game);
        ASSERT_TRUE(game.RunScript(4));
        ASSERT_TRUE(emptied);
        const std::string& shown = box.markup;
        kaWorld* world = editor.GetWorld();
        ASSERT_NE(world, nullptr);
        const std::vector<kaWorld::MalformedValue>& noted = world->GetMalformedValues();
        ASSERT_EQ(noted.size(), planted.size());
        for (size_t i = 0; i < planted.size(); ++i)
        {
            EXPECT_EQ(noted[i].entity, planted[i].entity);
            EXPECT_EQ(noted[i].key, planted[i].key);
            EXPECT_EQ(noted[i].text, planted[i].text);
            EXPECT_FALSE(noted[i].dropped);
        }
        ASSERT_NE(game.Gui().GetMessageBox(), nullptr);
        EXPECT_FALSE(game.Gui().GetMessageBox()->IsVisible());
        for (size_t i = 0; i < planted.size() && i < MapEditorWindow::kMalformedLines; ++i)
            EXPECT_NE(shown.find(planted[i].entity + ": " + planted[i].key + " \"" + planted[i].text + "\""),
                      std::string::npos)
                << planted[i].entity << "\n"
                << shown;
        EXPECT_NE(
            shown.find("and " + std::to_string(planted.size() - MapEditorWindow::kMalformedLines) + " more"),
            std::string::npos)
            << shown;
        EXPECT_TRUE(editor.IsSaved());
        ExpectKept(install + "/planted.xml", install + "/" + course);
        // Each planted key as it was planted, to the byte.
        TiXmlDocument savedCourse;
        ASSERT_TRUE(savedCourse.LoadFile(install + "/" + course));
        const std::map<std::string, const TiXmlElement*> blocks = Entities(savedCourse);
        for (const Planted& key : planted)
        {
            const size_t id = key.entity.rfind("(id ");
            const auto block = blocks.find(key.entity.substr(id + 4, key.entity.size() - id - 5));
            ASSERT_NE(block, blocks.end()) << key.entity;
            const TiXmlElement* written = block->second->FirstChildElement(key.key);
            ASSERT_NE(written, nullptr) << key.entity << " " << key.key;
            EXPECT_EQ(Printed(*written), key.element) << key.entity;
        }
        // The second save writes what the first did, not a line more.
        const std::string saved = install + "/" + course;
        const std::string first = install + "/first_save.xml";
        if (round == 0)
        {
            std::ofstream(first) << std::ifstream(saved).rdbuf();
            continue;
        }
        ExpectKept(first, saved);
        EXPECT_EQ(Lines(saved), Lines(first));
    }
}

} // namespace testsupport
