#include "tests/support/game/MalformedCourse.h"

#include "editor/MapEditorWindow.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/scene/kaWorld.h"
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

std::string Text(const TiXmlElement* element)
{
    return element && element->GetText() ? element->GetText() : "";
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

// A placed body comes back from the physics a float's last digit away.
void ExpectNearCoordinates(const TiXmlElement& written, const TiXmlElement& read)
{
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
                           bad.key, bad.text});
    }
    if (!document.SaveFile(install + "/" + relative))
        return {};
    return planted;
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
    const std::string install = game.InstallPath();
    const char* const course = "Worlds/every_kind.xml";
    const std::vector<Planted> planted = Write(install, course);
    // The same course again, to compare the saves with.
    ASSERT_EQ(Write(install, "planted.xml").size(), planted.size());
    // One of each kind the stunt yard holds, power-ups and explosive gear more than once.
    ASSERT_EQ(planted.size(), 20u);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        editor.LoadWorld(course);
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
        // Emptied once read: only the save brings it back.
        std::ofstream(install + "/" + course, std::ios::trunc).flush();
        std::string shown;
        // The box shows in the frame after the load, from the GUI's update.
        game.Queue([] {});
        game.Queue(
            [&game, &shown]
            {
                MessageBoxWindow* box = game.Gui().GetMessageBox();
                if (box != nullptr && box->IsVisible() && box->GetTextArea() != nullptr)
                    shown = box->GetTextArea()->GetText();
            });
        game.TapAt(
            [&game](int32_t& x, int32_t& y)
            {
                guiGlyph* glyph = game.FindWidget(MessageBoxWindow::kWindowName, MessageBoxWindow::kOkName);
                auto* ok = glyph != nullptr ? glyph->DynamicCast<guiWidget>() : nullptr;
                const MessageBoxWindow* box = game.Gui().GetMessageBox();
                if (ok == nullptr || box == nullptr || !box->IsVisible())
                    return false;
                x = (ok->GetHitRect().left + ok->GetHitRect().right) / 2;
                y = (ok->GetHitRect().top + ok->GetHitRect().bottom) / 2;
                return true;
            },
            SDL_BUTTON_LEFT);
        game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        ASSERT_TRUE(game.RunScript(4));
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
