#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaPropertyList.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class EditorCamera;
class EditorHost;
class EnvironmentCommands;
class TiXmlElement;
class guiButton;
class guiDropDown;
class guiGrid;
class guiGroup;
class guiListBox;
class guiTextBox;
class kaCollideInfo;
class kaDraggableDecal;
class kaEntity;
class kaEntityModel;
class kaWorld;

// The engine's course editor: a full-screen window over the world it edits, with its camera, its
// palette of placeable entities and the one selection. Mouse input picks, places, moves and turns
// entities and lays draggable decals; keys leave, hide the toolbars, save and delete.
class MapEditorWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kMapEditor;
    static constexpr const char* kDefaultWorld = "Worlds/Editor/default128x128.xml";
    static constexpr const char* kWorldFolder = "Worlds";
    // The editor's own worlds, apart from the courses the game lists.
    static constexpr const char* kEditorWorldFolder = "Worlds\\Editor";
    static constexpr const char* kNoWorld = "No World";
    static constexpr const char* kUntitled = "untitled";
    static constexpr const char* kExtension = ".xml";
    static constexpr const char* kDirtyMark = "*";
    static constexpr const char* kMessageCaption = "Map Editor";
    static constexpr const char* kWriteFailedText =
        "<text font bar16m color .5 .5 .5 1>There was a problem writing to the file.</text>";
    // A save refused because of what stands at the file's place: the file named, and the way out.
    static constexpr const char* kNotSavedIntro = "Not saved: ";
    static constexpr const char* kReadOnlyText = " is read-only.";
    static constexpr const char* kNotRegularText = " is not a regular file.";
    static constexpr const char* kSaveAsElsewhereText =
        "Save World As... saves the course under another name.";
    static constexpr const char* kEmptyNameText =
        "<text font bar16m color .5 .5 .5 1>Please enter a file name.</text>";
    static constexpr const char* kRefusedText =
        "<text font bar16m color .5 .5 .5 1>A file cannot contain any of "
        "the following characters:\n/ \\ ? * \" < > |</text>";
    static constexpr const char* kRefusedCharacters = "/\\?*\"<>|";
    static constexpr const char* kEditorEntityType = "EditorEntity";
    static constexpr const char* kRoadItem = "Road";
    static constexpr const char* kMarkerItem = "Terrain Marker";
    static constexpr const char* kLoadCaption = "Load World";
    static constexpr const char* kSaveAsCaption = "Save World As";
    static constexpr const char* kWorldPropertiesTitle = "World Properties";
    static constexpr const char* kPropertiesSuffix = " Properties";
    static constexpr const char* kWaterEffect = "resources\\fx\\shaders\\water\\water_PS20_11.fx";
    static constexpr const char* kValueMessageStart = "<text font bar16m color .5 .5 .5 1>";
    // The load's report of what it could not read, in a small font, one line an entry.
    static constexpr const char* kMalformedStart = "<text font bar12m color .8 .8 .8 1>";
    static constexpr const char* kMalformedFont = "bar12m";
    static constexpr const char* kLeftOutIntro = "Entities left out; not saved:";
    static constexpr const char* kMalformedIntro = "Values not read (defaults in use, saved as read):";
    static constexpr const char* kNewIdIntro = "Given a new id (saved under it):";
    static constexpr const char* kUnreadIntro = "Blocks not read (not in the course, saved as they stand):";
    // Entries of each kept kind the box names before it counts the rest; every entity left out is named.
    static constexpr size_t kMalformedLines = 6;
    // Texts from the file are shortened in the middle past these lengths, so that each entry keeps to a line.
    static constexpr size_t kMalformedTextLength = 20;
    static constexpr size_t kMalformedEntityLength = 56;
    // An element not read, named by its name, what it gives and where it stood.
    static constexpr size_t kUnreadLength = 96;
    // A line naming the entity a repeated id belongs to is kept to this, its name shortened as need be, but
    // never below the second length.
    static constexpr size_t kRepeatLineLength = 96;
    static constexpr size_t kRepeatHolderLength = 16;
    // A file's name, and the reader's words for why it could not be read.
    static constexpr size_t kFileLineLength = 72;
    // A file that cannot be read is named with the XML reader's words for why.
    static constexpr const char* kUnreadableIntro = "Could not open ";
    static constexpr const char* kUnreadableKept = "The editor keeps the world it had.";
    static constexpr const char* kUnreadableNone = "No world was opened.";
    // Asked before a save would write fewer entities than the file held.
    static constexpr const char* kSaveLeftOutIntro =
        "The file holds entities the load left out; this save writes the course without them:";
    static constexpr const char* kSaveLeftOutChoice =
        "Save removes them from the file. Cancel writes nothing.";
    static constexpr const char* kSaveLabel = "Save";
    // The reports' box at 800 by 600: wide enough for an entry a line, as tall as its lines up to this.
    static constexpr int32_t kReportWidth = 640;
    static constexpr int32_t kReportMaxHeight = 420;
    static constexpr int32_t kReportLineHeight = 14;

    static constexpr float kDoubleClickTime = 0.5f;
    static constexpr float kEntityPickLength = 1000.0f;
    static constexpr float kDecalPickLength = 2000.0f;
    static constexpr float kMoveScale = 0.1f;
    static constexpr float kTurnPerPixel = -0.05f;
    static constexpr float kHeightStep = 1.0f;
    static constexpr int32_t kToolbarMargin = 136;
    // The palette grid's pixel width and height as the show step leaves them.
    static constexpr int32_t kPaletteShowSize = 10;
    static constexpr int32_t kToolbarHeight = 32;
    static constexpr int32_t kMenuLayerLift = 32;

    MapEditorWindow(const std::string& layoutFile, EditorHost* host);
    ~MapEditorWindow() override;

    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override;
    bool OnKey(const guiMsgKey& message) override;
    void OnShow() override;

    virtual void RefreshSelection(bool worldPresent);
    // Selects an entity (null clears the selection); opens no property window.
    virtual void ShowSelectedEntityProperties(kaEntity* entity, const kaCollideInfo* hit);
    virtual void LoadEntityPalette();
    virtual void PlaceEntity();
    virtual void DeselectDecal();
    // A new world: without the dialog an empty one; null when the dialog is cancelled.
    virtual kaWorld* ShowWorldSetup(bool showDialog);
    virtual void OnMenu(bool enable);
    virtual void LoadEntityCategories();
    // gui::kModalDone when the world was written, gui::kModalNone when not, or the file dialog's other
    // answer.
    virtual int32_t SaveWorld();
    virtual void ExitEditor();
    // Before the program closes at the user's request: an entity never put down is let go, and unsaved work
    // is offered a save with the leave question. True when the program may close; false on Cancel, after a
    // save that failed or was cancelled, and while the question, or the save it started, is on screen
    // already (that one is being answered). A close while another of the editor's questions is on screen is
    // held (false): that question's answer decides whether it goes on, through the host.
    bool ConfirmClose();
    // Fills the three menus once, from their tables.
    void BuildMenus();
    // The property window of an entity (nothing without one); a confirmed change marks the world unsaved.
    virtual void ShowEntityProperties(kaEntity* entity);
    void ShowWorldProperties();

    // The tools menu's commands; each does nothing without a world or the object it works on.
    void CreateNewTerrain();
    void ImportHeightMap();
    void AddTerrainLayer();
    void RemoveTerrainLayer();
    void AddSkybox();
    void AddSun();
    void AddFlareLayer();
    void RemoveFlareLayer();
    // The next press on the ground lays a decal of the kind chosen in the drop-down.
    void StartDecal();
    void RemoveSelectedDecal();
    void FlattenSelectedDecal();
    void AddWaterPlane();

    // Drops the edited world everywhere it is referenced and destroys it once; the editor keeps no world.
    void CloseWorld();

    void SetSaved(bool saved);
    bool IsSaved() const { return m_Saved; }
    const std::string& GetWorldName() const { return m_WorldName; }
    void LoadWorld(const std::string& path);
    void LoadWorldDialog();
    void StartNewWorld();
    int32_t SaveWorldAs();
    bool ToggleHideAll();
    void DeleteHighlightedEntity();
    // Creates the decal chosen in the draggable drop-down and makes it the one being laid.
    void AddDecalFromDropdown();
    // Moves the selected decal's flatten height and levels the ground under it.
    void MoveDecalHeight(float step);

    kaWorld* GetWorld() const { return m_World; }
    EditorCamera* GetCamera() const { return m_Camera; }
    kaEntityModel* GetHighlightedEntity() const { return m_HighlightedEntity; }
    const platform::Vector3& GetPlaceOffset() const { return m_PlaceOffset; }
    bool IsDraggingOnTerrain() const { return m_DragOnTerrain; }
    bool IsMoving() const { return m_Moving; }
    bool IsRotating() const { return m_Rotating; }
    int32_t GetBuildMode() const { return m_BuildMode; }
    guiTextBox* GetFileNameBox() const { return m_FileName; }
    guiDropDown* GetCategoryDropDown() const { return m_CategoryDropDown; }
    guiDropDown* GetDecalDropDown() const { return m_DecalDropDown; }
    guiGrid* GetPalette() const { return m_Palette; }

protected:
    // In the order of kMenus, which also orders the menus' widgets.
    enum class Menu
    {
        kFile,
        kTools,
        kProperties,
    };
    // When a menu row can be chosen: always; only with a world; only with a world and while an entity is
    // selected.
    enum class RowNeeds
    {
        kNothing,
        kWorld,
        kSelection,
    };
    // One row of a menu: its caption as shown, what choosing it runs, and when it can be chosen.
    struct MenuRow
    {
        const char* caption;
        void (*command)(MapEditorWindow& editor);
        RowNeeds needs;
    };
    // A menu's rows: a range over a static table, which outlives every window.
    struct MenuRows
    {
        const MenuRow* first;
        const MenuRow* last;
        const MenuRow* begin() const { return first; }
        const MenuRow* end() const { return last; }
    };
    static constexpr Menu kMenus[] = {Menu::kFile, Menu::kTools, Menu::kProperties};
    static constexpr const char* kSelectedEntityRow = "Selected Entity";

    // The rows of a menu in the order shown; they fill the menu, run the row chosen and say which rows a
    // missing world or selection turns off.
    virtual MenuRows _MenuRows(Menu menu) const;
    // A member function as a row's command; what it returns is not needed.
    template <auto Member> static void _Run(MapEditorWindow& editor) { (editor.*Member)(); }
    // The selected entity's property window.
    void _EditSelectedEntity();
    // Puts a camera of the subclass's kind in place of the one the window made.
    void _ReplaceCamera(EditorCamera* camera);
    // The first-show work every editor shares: menus, their layers, the name, the toolbar's size.
    void _PrepareShow();
    // Whether the palette offers an EditorEntity record.
    virtual bool _Offers(const TiXmlElement* data) const;
    // The caption of the box that reports a failed write.
    virtual std::string _WriteFailureCaption() const { return kMessageCaption; }
    // Whether Load World... lists the editor's own worlds after the courses.
    virtual bool _ListsEditorWorlds() const { return true; }
    void _Install(kaWorld* world);
    void _DropWorld();
    // No world: "No World" in the name box, saved, the world commands off.
    void _ShowNoWorld();
    // One message box after a load: every entity it left out, then the values it could not read.
    void _ReportMalformedValues(const kaWorld& world);
    // One message box naming a file that could not be read and why; the world stays as it was.
    void _ReportUnreadable(const std::string& path, const std::string& why);
    // Before a save that would leave out entities the file holds: a box naming them, with Save and Cancel.
    // True when the save may go on; once Save was chosen, the same world's saves go on without asking.
    bool _ConfirmLeftOut();
    void _Draw(kaWorld* world);
    void _ShowName();
    // Hides every menu; true when one was open.
    bool _CloseMenus();
    void _ClearGestures();
    // Deletes the entity chosen from the palette when it still hangs under the pointer, never put down.
    void _DropPlacing();
    // The save question, and the save its Save asks for: true when the caller may go on (Don't Save, or Save
    // and the world was written). A close that comes meanwhile waits for the answer and then, unless the
    // answer keeps the editor, closes the program instead (false).
    bool _OfferSave();
    // The leave question: true when the user chose to leave. A close that comes meanwhile waits likewise.
    bool _AskToLeave();
    int32_t _ShowModal(const std::string& windowName);
    EditorHost* _Host() const { return m_Host; }
    void _SetWorldName(const std::string& name) { m_WorldName = name; }
    void _ResetSaved() { m_Saved = true; }

    // The game's editor: a press on the ground leaves the selection alone and selections carry no hit.
    bool m_GroundPressClears = true;
    bool m_SelectWithHit = true;

private:
    // Shows the property sheet over the list until it is cancelled or its values apply. A value that
    // does not convert is named in a box and the sheet comes back as typed; the world is then marked
    // unsaved, as rows before it may have been applied. True when the owner reported a change.
    bool _EditProperties(const std::string& title, const kaPropertyList& list,
                         const std::function<bool(const kaPropertyList&)>& apply);
    EnvironmentCommands* _Environment();
    guiListBox* _MenuList(Menu menu) const;
    guiGroup* _MenuGroup(Menu menu) const;
    // Closes the menu and runs its chosen row.
    void _RunChosenRow(Menu menu);
    // After one of the editor's questions: a close held while it was up is dropped when the answer stays,
    // and otherwise goes on in place of what the question was asked for, asking about unsaved work first
    // unless the answer settled it. True when the caller goes on.
    bool _ResolveHeldClose(bool goOn, bool workSettled);
    void _ShowMenu(guiGroup* group, guiListBox* list);
    // Picks along the cursor's ray; false without a world, a ray or a hit.
    bool _PickAtCursor(float length, uint32_t flags, kaCollideInfo& hit);
    bool _CursorCell(int32_t& x, int32_t& z, bool& hit);
    void _SetSelectable(guiListBox* list, const char* row, bool selectable);
    // Turns the rows of one kind of need on or off in every menu.
    void _SetSelectable(RowNeeds needs, bool selectable);
    bool _OverWidget() const;
    // Puts the dragged entity's foot where the pointer meets the ground, or hides it where it meets nothing;
    // true when it found ground.
    bool _FollowPointer(kaEntityModel& entity);

    EditorHost* m_Host = nullptr;
    std::unique_ptr<EnvironmentCommands> m_Environment;
    std::string m_WorldName = kUntitled;
    // The folder the world was loaded from, so that a save writes it back where it came from; new and
    // renamed worlds go to the worlds folder.
    std::string m_WorldFolder = kWorldFolder;
    bool m_Saved = true;
    // The designer chose to save this world without the entities its load left out.
    bool m_LeftOutConfirmed = false;
    // A close request is being asked about, or its save is under way.
    bool m_ConfirmingClose = false;
    // One of the editor's questions, or the save it started, is on screen: a close waits for its answer.
    bool m_Asking = false;
    // A close came while it was up.
    bool m_CloseHeld = false;
    kaWorld* m_World = nullptr;
    kaEntityModel* m_HighlightedEntity = nullptr;
    EditorCamera* m_Camera = nullptr;
    bool m_DragOnTerrain = false;
    bool m_Rotating = false;
    bool m_Moving = false;
    // The selected entity was chosen from the palette and hangs under the pointer until a press puts it down.
    bool m_Placing = false;
    // Whether the world was saved when the entity now hanging was chosen: letting it go puts that back.
    bool m_SavedBeforePlacing = true;
    platform::Vector3 m_PlaceOffset;
    float m_LastClickTime = 0.0f;
    int32_t m_DecalStartCell[2] = {0, 0};
    int32_t m_DecalEndCell[2] = {0, 0};
    int32_t m_BuildMode = 0;
    bool m_MenusBuilt = false;

    guiButton* m_HeightInc = nullptr;
    guiButton* m_HeightDec = nullptr;
    guiTextBox* m_HeightLabel = nullptr;
    guiButton* m_TopView = nullptr;
    guiButton* m_PerspectiveView = nullptr;
    guiButton* m_ZoomSelected = nullptr;
    guiTextBox* m_FileName = nullptr;
    guiButton* m_FileButton = nullptr;
    guiListBox* m_FileMenu = nullptr;
    guiDropDown* m_DecalDropDown = nullptr;
    guiGroup* m_FileMenuGroup = nullptr;
    guiGroup* m_HideAllGroup = nullptr;
    guiButton* m_ToolsButton = nullptr;
    guiListBox* m_ToolsMenu = nullptr;
    guiGroup* m_ToolsMenuGroup = nullptr;
    guiButton* m_PropertiesButton = nullptr;
    guiListBox* m_PropertiesMenu = nullptr;
    guiGroup* m_PropertiesMenuGroup = nullptr;
    guiGroup* m_TopToolbar = nullptr;
    guiGroup* m_BuildLeftGroup = nullptr;
    guiDropDown* m_CategoryDropDown = nullptr;
    guiGrid* m_Palette = nullptr;
};
