#pragma once

// What both editors must do with a course they save: the same checks, driven through either editor's Ctrl+S.

#include "editor/MapEditorWindow.h"
#include "engine/scene/kaWorld.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace testsupport
{
namespace courseSaves
{

constexpr const char* kStuntYard = "Worlds/stunt_yard.xml";

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline int Occurrences(const std::string& text, const std::string& key)
{
    int count = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + key.size()))
        ++count;
    return count;
}

// The course with every entity's rotation made of components whose squares overflow a float.
inline std::string WithHugeRotations(const std::string& course)
{
    static const std::regex rotation("<rotation>\\s*<quaternion>[\\s\\S]*?</quaternion>");
    return std::regex_replace(
        course, rotation, "<rotation><quaternion><x>1e30</x><y>1e30</y><z>1e30</z><w>1e30</w></quaternion>");
}

// One entity of a saved course as the file stores it.
struct SavedEntity
{
    std::string record;
    bool visible = false;
    platform::Vector3 position;
};

inline float ChildFloat(const TiXmlElement* parent, const char* name)
{
    const TiXmlElement* child = parent != nullptr ? parent->FirstChildElement(name) : nullptr;
    return child != nullptr && child->GetText() != nullptr ? std::stof(child->GetText()) : 0.0f;
}

// The entities of a saved course, in the file's order; empty when the file does not read.
inline std::vector<SavedEntity> SavedEntities(const std::string& path)
{
    std::vector<SavedEntity> found;
    TiXmlDocument document;
    if (!document.LoadFile(path.c_str()) || document.RootElement() == nullptr)
        return found;
    const TiXmlElement* entities = document.RootElement()->FirstChildElement("Entities");
    for (const TiXmlElement* entity = entities != nullptr ? entities->FirstChildElement("Entity") : nullptr;
         entity != nullptr; entity = entity->NextSiblingElement("Entity"))
    {
        SavedEntity saved;
        const TiXmlElement* record = entity->FirstChildElement("initUniqueID");
        saved.record = record != nullptr && record->GetText() != nullptr ? record->GetText() : "";
        saved.visible = ChildFloat(entity, "visible") != 0.0f;
        const TiXmlElement* position = entity->FirstChildElement("position");
        saved.position = platform::Vector3(ChildFloat(position, "x"), ChildFloat(position, "y"),
                                           ChildFloat(position, "z"));
        found.push_back(saved);
    }
    return found;
}

inline bool HoldsOnlyFiniteNumbers(const std::string& text)
{
    for (const char* bad : {">nan<", ">-nan<", ">inf<", ">-inf<"})
    {
        if (text.find(bad) != std::string::npos)
            return false;
    }
    return true;
}

// Ctrl+S on the unchanged stunt yard, then again after seconds of frames: the same bytes both times.
inline void ExpectTwoSavesAlike(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string file = game.Install().Path() + "/" + kStuntYard;
    const std::string original = ReadWhole(file);
    ASSERT_FALSE(original.empty());
    editor.LoadWorld(kStuntYard);
    ASSERT_NE(editor.GetWorld(), nullptr);
    game.SetClockStep(0.05);
    std::vector<std::string> saves;
    for (int save = 0; save < 2; ++save)
    {
        for (int frame = 0; frame < 30; ++frame)
            game.Queue([] {});
        game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        ASSERT_TRUE(game.RunScript(3));
        saves.push_back(ReadWhole(file));
    }
    EXPECT_EQ(saves[1], saves[0]);
    EXPECT_EQ(Occurrences(saves[0], "<Entity>"), Occurrences(original, "<Entity>"));
    EXPECT_EQ(Occurrences(saves[0], "<selectable>1</selectable>"),
              Occurrences(original, "<selectable>1</selectable>"));
}

// The stunt yard with rotations that overflow when squared, loaded and saved twice: every entity stays, and
// every rotation is read back at unit length and saved so.
inline void ExpectHugeRotationsKept(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string original = ReadWhole(game.Install().Path() + "/" + kStuntYard);
    const int entities = Occurrences(original, "<Entity>");
    ASSERT_GT(entities, 10);
    const std::string huge = WithHugeRotations(original);
    ASSERT_EQ(Occurrences(huge, "<x>1e30</x>"), Occurrences(original, "<rotation>"));
    const std::string file = game.Install().Path() + "/Worlds/huge_yard.xml";
    std::ofstream(file, std::ios::binary) << huge;
    // The world also holds what the venue makes, which is not saved.
    editor.LoadWorld(kStuntYard);
    ASSERT_NE(editor.GetWorld(), nullptr);
    const int32_t held = editor.GetWorld()->GetEntityCount();
    game.SetClockStep(0.05);
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        editor.LoadWorld("Worlds/huge_yard.xml");
        ASSERT_NE(editor.GetWorld(), nullptr);
        EXPECT_EQ(editor.GetWorld()->GetEntityCount(), held);
        for (int frame = 0; frame < 10; ++frame)
            game.Queue([] {});
        game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
        ASSERT_TRUE(game.RunScript(3));
        const std::string saved = ReadWhole(file);
        EXPECT_EQ(Occurrences(saved, "<Entity>"), entities);
        EXPECT_TRUE(HoldsOnlyFiniteNumbers(saved));
        EXPECT_EQ(Occurrences(saved, "<w>0.5</w>"), Occurrences(original, "<rotation>"));
    }
}

} // namespace courseSaves
} // namespace testsupport
