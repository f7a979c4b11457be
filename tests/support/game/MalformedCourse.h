#pragma once

#include <cstddef>
#include <string>
#include <vector>

class MapEditorWindow;

namespace testsupport
{

class HeadlessGame;

// The shipped stunt yard, which holds every kind of stunt gear, power-up and prop, with one malformed value
// planted in the block of each entity whose reader takes numbers, written into an install as a course of its
// own; and the check that a saved copy kept every entity and every value of every block.
class MalformedCourse
{
public:
    struct Planted
    {
        // As the editor names the entity: type, name in quotes, identifier.
        std::string entity;
        // The key of the block as the editor names it, and its text (a placement's values, blank-separated).
        std::string key;
        std::string text;
        // The key's element as planted, on one line.
        std::string element;
    };

    // Reads "Worlds/stunt_yard.xml" of the install and writes the planted course under `relative`; empty
    // when the stunt yard cannot be read.
    static std::vector<Planted> Write(const std::string& install, const std::string& relative);
    // The same with the keys every entity of a shipped course holds (the base block's flags, the model's
    // switches, position and rotation) planted instead: malformed texts, and placements beyond any venue
    // that ODE cannot take.
    static std::vector<Planted> WriteBaseKeys(const std::string& install, const std::string& relative);
    // A key of an entity of the stunt yard by the entity's place: a path names the key and, for a placement,
    // the value in it.
    struct Key
    {
        size_t entity;
        std::vector<const char*> path;
        const char* text;
    };
    // The same with the keys given planted instead.
    static std::vector<Planted> WriteKeys(const std::string& install, const std::string& relative,
                                          const std::vector<Key>& keys);
    // The planted key's element as a saved course holds it, on one line; empty when the entity or the key is
    // not there.
    static std::string SavedElement(const std::string& savedFile, const Planted& key);
    // Every entity of the planted course is in the saved one, each key of its block with the same text, and
    // no block gained a key the entity's classes keep for the block alone (a record's, say).
    static void ExpectKept(const std::string& plantedFile, const std::string& savedFile);
    // Plants the course in the game's install, then twice: the editor loads it, the user reads the message
    // box and answers it with a click, and saves with Ctrl+S from the keyboard (the game's input is SDL's).
    // Each round the box names the planted entities and keys, every entity stays and the saved file keeps
    // every value; the second save is the first.
    static void ExpectEditorRoundTrips(HeadlessGame& game, MapEditorWindow& editor);
    // The same with the base keys planted, each written back as it was planted.
    static void ExpectBaseKeysRoundTrips(HeadlessGame& game, MapEditorWindow& editor);

    // A course of malformed flags and a power-up's malformed respawn time, opened through the load dialog;
    // each entity picked on the view, its property sheet opened from the menu of that button and list, and
    // some rows typed into (with the value they show, or another), others left alone; Ok, then Ctrl+S. A row
    // typed into is saved as typed, one left alone as it was read, though it came back with the others.
    static void ExpectSetRowsReplaceKeptValues(HeadlessGame& game, MapEditorWindow& editor,
                                               const std::string& menuButton, const std::string& menu);

private:
    using Planting = std::vector<Planted> (*)(const std::string& install, const std::string& relative);
    static void _ExpectRoundTrips(HeadlessGame& game, MapEditorWindow& editor, Planting plant, size_t count);
};

} // namespace testsupport
