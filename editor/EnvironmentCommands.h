#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class EditorFieldReader;
class EditorFields;
class guiManager;
class guiWindow;
class kaWorld;

// The editor's terrain and environment commands: each shows its dialog modally over the edited world
// and, once the dialog is confirmed and every field has converted, changes the world and marks it
// unsaved. A cancelled dialog changes nothing. The editor window owns one and calls it from its menu.
class EnvironmentCommands
{
public:
    static constexpr const char* kMessageCaption = "Map Editor";
    static constexpr const char* kCreateTerrainCaption = "Create New Terrain";
    static constexpr const char* kImportCaption = "Import Heightmap";
    static constexpr const char* kRemoveTerrainLayerCaption = "Remove Terrain Layer";
    static constexpr const char* kRemoveFlareLayerCaption = "Remove Flare Layer";
    // The sun's colours are opaque whatever is typed.
    static constexpr float kSunAlpha = 1.0f;

    // What the editor window does around the world it edits.
    struct Hooks
    {
        std::function<void(bool saved)> setSaved;
        // Makes the world the application's current world.
        std::function<void(kaWorld& world)> makeCurrent;
        std::function<void(int32_t)> refreshSelection;
    };

    EnvironmentCommands(guiManager& gui, const Hooks& hooks) : m_Gui(gui), m_Hooks(hooks) {}

    // The dialogs the editor builds at start-up, registered hidden (in place of plain windows of their
    // names); the others are made on first use.
    static void CreateStartupDialogs(guiManager& gui);

    // Null: every command does nothing.
    void SetWorld(kaWorld* world) { m_World = world; }
    kaWorld* GetWorld() const { return m_World; }

    void CreateNewTerrain();
    // The create-terrain dialog for a world not yet edited: builds its terrain when confirmed, touching no
    // saved state. False when cancelled.
    bool SetUpTerrain(kaWorld& world);
    void ImportHeightMap();
    void AddTerrainLayer();
    void RemoveTerrainLayer();
    void AddSkybox();
    void AddSun();
    void AddFlareLayer();
    void RemoveFlareLayer();

private:
    // The registered dialog of that name, made and registered hidden when there is none.
    template <typename Dialog> Dialog* _Dialog();
    // Shows the dialog until it is cancelled or confirmed with fields that all convert; a field that
    // does not is named in a message box and the dialog comes back as typed. Apply reads the fields
    // through the reader and answers false, touching nothing, when one did not convert. True when
    // applied; the world is then marked unsaved.
    bool _Run(guiWindow& dialog, const EditorFields& fields,
              const std::function<bool(EditorFieldReader&)>& apply, bool markUnsaved = true);
    // Reads the create-terrain fields and builds the world's terrain from them; false when one did not convert.
    static bool _BuildTerrain(kaWorld& world, EditorFieldReader& read);
    // Refuses the dialog's height map, saying why, when it cannot be read or would not fit in memory.
    static bool _HeightMapUsable(EditorFieldReader& read);
    // The list window filled with the items, shown; the selected row on confirmation, else -1.
    int32_t _ChooseLayer(const std::string& caption, const std::vector<std::string>& items);
    int32_t _ShowModal(guiWindow& dialog);
    void _MarkUnsaved();

    guiManager& m_Gui;
    Hooks m_Hooks;
    kaWorld* m_World = nullptr;
};
