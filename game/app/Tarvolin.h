#pragma once

#include "editor/WindowNames.h"
#include "engine/core/kaApp.h"
#include "engine/core/kaSoundHandle.h"
#include "game/app/DisplayMode.h"
#include "game/world/GameMode.h"
#include "game/world/tvWorldSounds.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct GHighScores;
class DebugWindow;
class EditorHost;
class MapEditorWindow;
class InputManager;
class ProfilerWindow;
class kaBillboard;
class ShopItem;
struct SongInfo;
class WorldInfo;
class kaGraphicsManager;
class kaProfilerOutput;
class tvPlayer;
class kaPhysicsWorld;
class tvVehicle;

// The game's application object: start-up, the per-frame work the message pump drives, and shutdown.
class Tarvolin : public kaApp
{
public:
    static constexpr const char* kProductTitle = "Tarvolin";
    static constexpr const char* kMainLoopSection = "Main Game Loop";
    static constexpr const char* kRegistryKey = "SOFTWARE\\Kalder Arts\\Tarvolin";
    static constexpr const char* kInstallTypeValue = "INSTALLTYPE";
    static constexpr const char* kFullInstallPathValue = "FULLINSTALLPATH";
    static constexpr const char* kMinimalInstallPathValue = "MINIMALINSTALLPATH";
    static constexpr const char* kInterfaceFolder = "ui";
    static constexpr const char* kCommonInterfaceFolder = "ui/common";
    static constexpr const char* kInitDataFolder = "InitData";
    static constexpr const char* kConfigFile = "Tarvolin.cfg";

    static constexpr const char* kConfigBeginMarker = "[Begin Tarvolin Config]\n";
    static constexpr const char* kConfigEndMarker = "[End Tarvolin Config]\n";
    static constexpr int32_t kDefaultVisualEffects = 2;

    static constexpr const char* kControlsFile = "data/controls.xml";
    static constexpr const char* kControlsRoot = "controls";
    // Actions the game gives a meaning to; the controls file is checked for each of them.
    static constexpr int kGameActionCount = 19;

    static constexpr const char* kPlayersFolder = "Players";
    static constexpr const char* kPlayerFilePrefix = "Player";
    static constexpr const char* kWorldsFolder = "Worlds";
    // Said, after the course's file, of a course that loads without a venue.
    static constexpr const char* kNoVenueText = "\" has no venue to drive on: it cannot be started.";
    static constexpr const char* kMusicFolder = "Resources\\Sounds\\Music";
    static constexpr const char* kHighScoresFile = "Data/HighScores.xml";
    static constexpr const char* kCareerLevelsRecord = "CareerLevels";
    static constexpr const char* kWorldSoundsFile = "Data\\Sounds\\Sounds.xml";

    // Start-up: the splash images and how long each stays, the main window, the crowd sound.
    static constexpr const char* kPublisherSplash = "UI\\MorlanixSplash.bmp";
    static constexpr const char* kRatingSplash = "UI\\ESRB.bmp";
    static constexpr const char* kTitleSplash = "UI\\splash.bmp";
    static constexpr int32_t kSplashSize = 512;
    static constexpr float kSplashTime = 4.0f;
    static constexpr const char* kMainWindow = windowNames::kMain;
    static constexpr const char* kMapEditorWindow = windowNames::kMapEditor;
    static constexpr const char* kCrowdIntro = "resources/sounds/game/crowd/intro.wav";
    static constexpr const char* kCrowdLoop = "resources/sounds/game/crowd/loop.wav";
    static constexpr const char* kCrowdOutro = "resources/sounds/game/crowd/outro.wav";
    static constexpr float kCrowdMaxDistance = 100.0f;
    static constexpr float kCrowdMinDistance = 4.0f;
    static constexpr const char* kScreenshotFolder = "ScreenShots";
    static constexpr const char* kScreenshotBaseName = "ScreenShots\\screenshot";
    // A frame longer than this is taken as a hitch and counted as kHitchFrameTime.
    static constexpr float kMaxFrameTime = 1.0f;
    static constexpr float kHitchFrameTime = 0.1f;
    // Joystick-style pointer axes move the cursor by value x this x the frame time.
    static constexpr float kAbsoluteAxisScale = 0.01f;
    static constexpr int kFontCount = 9;
    static const char* const kFontFiles[kFontCount];
    static const char* const kFontNames[kFontCount];

    // Splash stages, in the order they show: 1, 0, 2, then 3 once the sequence is over.
    enum SplashStage : int32_t
    {
        kSplashRating = 0,
        kSplashPublisher = 1,
        kSplashTitle = 2,
        kSplashDone = 3,
    };

    Tarvolin();
    ~Tarvolin() override;

    // The running game, or null while no application runs or the one that runs is not the game.
    static Tarvolin* Instance();

    bool Init(const std::string& commandLine) override;
    bool Update() override;
    bool Render() override;
    bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl) override;
    // A raw mouse event: kinds 1-3 move x, y or the wheel by the amount, 4-6 set button 0-2 to pressed.
    bool OnMouse(int kind, int pressed, int amount, int unused) override;
    // Saves and releases everything once; later calls, frames, paints and keys do nothing.
    bool Shutdown() override;
    void ConsoleCommand(const std::string& command) override;
    bool IsShutDown() const { return m_ShutDown; }

    // The messages waiting, then one frame, for the GUI's waits. False once the application has quit: the
    // quit message is left for the main loop.
    bool PumpMessagesOnce();
    // Pointer axes and buttons of player 0 become GUI mouse records; the debug keys act on the world.
    void ProcessInput(float frameTime);

    // The next frame shuts the game down.
    void RequestQuit() { m_QuitRequested = true; }
    bool IsQuitRequested() const { return m_QuitRequested; }
    // The window's close, as the user's close request posts it once nothing needs asking.
    void PostClose();

    // Start-up pieces.
    void BuildDisplayModes();
    const std::vector<DisplayMode>& GetDisplayModes() const { return m_DisplayModes; }
    void ShowSplashImage(const std::string& file, int32_t width, int32_t height);
    void StepSplash();
    void EndSplash();
    int32_t GetSplashStage() const { return m_SplashStage; }
    kaBillboard* GetSplashImage() const { return m_SplashImage; }
    // Every interface window, made from its layout, registered and hidden.
    void CreateWindows();
    // The editor program: the engine's map editor, with every tool, takes the front end's place. Set
    // before Init.
    void SetEngineEditor(bool engineEditor) { m_EngineEditor = engineEditor; }
    bool IsEngineEditor() const { return m_EngineEditor; }
    EditorHost* GetEditorHost() const { return m_EditorHost.get(); }
    // The registered map editor window, null when there is none.
    MapEditorWindow* GetEditorWindow() const;
    DebugWindow* GetConsoleWindow() const { return m_ConsoleWindow; }
    ProfilerWindow* GetProfilerWindow() const { return m_ProfilerGuiWindow; }
    const kaSoundHandle& GetCrowdSound() const { return m_CrowdSound; }
    tvWorldSounds& GetWorldSounds() { return m_WorldSounds; }

    // Closes the main window once this many frames have run (0: never), so the program can run unattended.
    void SetFrameLimit(uint32_t frames) { m_FrameLimit = frames; }
    uint32_t GetFrameCount() const { return m_FrameCount; }
    float GetFrameTime() const { return m_FrameTime; }

    kaGraphicsManager* GetGraphicsManager() const { return m_GraphicsManager; }
    InputManager* GetInputManager() const { return m_InputManager.get(); }

    // Shader levels from the device's caps: 1 from version 1.1, 2 from 1.4, 3 from 2.0.
    void DetectShaderSupport() override;

    // The game's section of the configuration file: read at start-up, rewritten at shutdown with every
    // other line of the file kept.
    void LoadConfig(const std::string& fileName);
    void ParseConfigLine(const std::string& line);
    bool SaveConfig(const std::string& fileName);

    int32_t GetVisualEffects() const { return m_VisualEffects; }
    int32_t GetSoundVolume() const { return m_SoundVolume; }
    int32_t GetMusicVolume() const { return m_MusicVolume; }
    bool IsInterfaceMusicMuted() const { return m_InterfaceMusicMuted; }
    char GetDefaultCamera() const { return m_DefaultCamera; }
    bool IsConsoleEnabled() const { return m_ConsoleEnabled; }
    const std::string& GetHeightmapFolder() const { return m_HeightmapFolder; }
    const std::string& GetTexturemapFolder() const { return m_TexturemapFolder; }

    // Input devices and their bindings: the controls file, else the default set.
    void InitInput();
    bool LoadControls();
    bool SaveControls();
    void SetDefaultControls();
    void SetDefaultBinding(int action);

    // Catalogues built from the data folders.
    void ScanPlayers(const std::string& folder);
    void ScanWorlds(const std::string& folder);
    void ScanMusic(const std::string& folder);
    void LoadCareerLevels();

    // Driver profiles, saved as Player0.xml, Player1.xml, ... in list order, skipping names held by files the
    // scan refused: those stay as they are.
    tvPlayer* CreatePlayer(const std::string& name);
    // Removes, deletes the file of and destroys a listed profile; signs it out when it was signed in.
    void DeletePlayer(tvPlayer* player);
    bool SavePlayers(const std::string& folder);
    tvPlayer* GetPlayer(int32_t index) const;
    int32_t GetPlayerCount() const { return static_cast<int32_t>(m_Players.size()); }
    tvPlayer* GetCurrentPlayer() const { return m_CurrentPlayer; }
    void SetCurrentPlayer(tvPlayer* player) { m_CurrentPlayer = player; }
    bool IsPlayerCreated() const { return m_PlayerCreated; }
    void SetPlayerCreated(bool created) { m_PlayerCreated = created; }

    // The best score of each course over every player.
    void LoadHighScores();
    // Leaves the file alone while there is no record.
    bool SaveHighScores();
    int32_t GetHighScore(const std::string& mapPath) const;
    std::string GetHighScorePlayer(const std::string& mapPath) const;
    void SetHighScore(const std::string& mapPath, const std::string& player, int32_t score);

    WorldInfo* GetWorldInfo(int32_t index) const;
    int32_t GetWorldCount() const { return static_cast<int32_t>(m_Worlds.size()); }
    const SongInfo* GetSong(int32_t index) const;
    int32_t GetSongCount() const { return static_cast<int32_t>(m_Songs.size()); }
    std::string GetCareerLevel(int32_t index) const;
    int32_t GetCareerLevelCount() const { return static_cast<int32_t>(m_CareerLevels.size()); }
    std::vector<std::unique_ptr<ShopItem>>& GetShopItems() { return m_ShopItems; }

    // While on, each frame ends with a profiler report into the output.
    void ShowProfiler(bool show, kaProfilerOutput* output);

    // Music.
    static constexpr const char* kThemeSong = "Resources/Sounds/Roadblazer Theme/Roadblazer.xml";
    static constexpr float kThemeDelay = 5.0f;
    using MusicCallback = std::function<void()>;
    // The theme starts kThemeDelay seconds of frames later (UpdateThemeMusic counts them).
    void QueueThemeMusic(bool queued);
    bool IsThemeMusicQueued() const { return m_ThemeMusicQueued; }
    // Adds a frame's time (before the frame's clamp) while the theme is queued and starts it once the
    // delay has passed.
    void UpdateThemeMusic(float frameTime);
    // Loads a song list through the sound system with the game paused; the song gets the music callback.
    void LoadThemeSong(const std::string& fileName);
    // Plays an entry of the song list: a negative index draws one, one past the end plays the first.
    // Returns the song's name; an empty list changes nothing and gives "".
    std::string PlaySong(int32_t index);
    // The music keys during a course: the next song, or the previous one, wrapping round.
    void ChangeSong(bool next);
    // The hook each song calls when it needs its next loop.
    void ChooseNextGroove();
    void SetMusicCallback(const MusicCallback& callback) { m_MusicCallback = callback; }
    const MusicCallback& GetMusicCallback() const { return m_MusicCallback; }
    int32_t GetCurrentSongIndex() const { return m_CurrentSongIndex; }

    // World sounds and the player's vehicle.
    // Mode 0 plays a cheer from the "Crowd" category, 1 starts the crowd loop at the effects volume, 2 stops
    // it; other modes do nothing. Always true.
    bool PlayCrowdSound(int32_t mode);
    // The player's vehicle from its "Entity" record: made by its class (a plain tvVehicle without one),
    // added to the world, given its record, initialised, and stepped with its wheels after every physics
    // pass. Null, with nothing left in the world, when there is no record or its class is no vehicle.
    static tvVehicle* LoadVehicleEntity(kaPhysicsWorld* world, const std::string& vehicleName);
    tvVehicle* GetPlayerVehicle() const { return m_pVehicle; }
    // The course world clears it when it is destroyed.
    void SetPlayerVehicle(tvVehicle* vehicle) { m_pVehicle = vehicle; }

    // What the screens choose before a course starts, and the services they query.
    // A GameMode. While a course world exists the mode is the world's.
    void SetGameMode(int32_t mode);
    int32_t GetGameMode() const;
    // The course was chosen before vehicle select (a retry from the hub): vehicle select starts it as it
    // starts the career's next level, and the preview's back returns there, whatever the mode.
    void SetCourseChosen(bool chosen) { m_CourseChosen = chosen; }
    bool IsCourseChosen() const { return m_CourseChosen; }
    void SetSoundVolume(int32_t volume);
    void SetMusicVolume(int32_t volume);
    bool IsCareerLevel(const std::string& path) const;
    bool IsShopLocked(const std::string& name) const;
    // The lock rule of vehicles, courses and entities: locked by a shop item and not bought by the player.
    bool IsLocked(const std::string& name) const;
    // The course path scores are recorded under.
    void SetLevelPath(const std::string& path) { m_LevelPath = path; }
    std::string GetLevelPath() const { return m_LevelPath; }
    // The world file a course start loads.
    void SetLevelPathCopy(const std::string& path) { m_CourseFile = path; }
    const std::string& GetLevelPathCopy() const { return m_CourseFile; }
    void SetVehicleName(const std::string& name) { m_VehicleName = name; }
    const std::string& GetVehicleName() const { return m_VehicleName; }
    void ShowLoadingDialog(bool show);
    // Builds the course world from the chosen course file, puts the chosen vehicle on its spawn point and
    // hands over to the course preview (exhibition, career) or the HUD (practice).
    void StartCourse();
    // Takes the course world out of the scene and destroys it once (its destructor saves the profiles and
    // high scores); nothing without one.
    void DeleteCourseWorld();

private:
    // The steps of Init after the graphics device exists.
    void _LoadFonts();
    void _SetUpCursor();
    void _CreateConsoleWindows();
    // The user's close request: unsaved work in the editor is asked about first, and a close that comes while
    // the editor asks something else waits for that answer; the close itself then waits for the main loop, as
    // every other close does. Other system commands take the default road.
    void _OnSystemCommand(platform::WPARAM command, platform::LPARAM detail);
    // A course that loads without a venue is not started: a message naming it, then the career hub.
    void _RefuseCourseWithoutVenue(const std::string& courseFile);
    // Init's wait for the splash; a close or quit already waiting ends it so the main loop can take it.
    void _FinishSplash();
    // One drawn frame while start-up runs.
    void _DrawStartupFrame();
    // Frame time from the clock, a hitch counted short; the measured time before that in rawFrameTime.
    float _TakeFrameTime(float* rawFrameTime = nullptr);
    // Start-up's music: the groove chooser, the world sounds and the theme unless music is muted.
    void _StartMusic();
    // Sound, GUI, scene and the drawing of one frame, after its input.
    void _RunFrameWork(float frameTime, bool profiled);
    void _CountFrame();
    void _DispatchAxis(int axis, float value);
    // While the GUI cursor shows, puts it where the system pointer is when the pointer moved (or the cursor
    // just showed). False when the pointer's position is unknown or the cursor is hidden.
    bool _FollowPointer();
    // Remembers where the GUI cursor was put at the pointer, so that only the pointer's moves follow.
    void _TrackPointer(bool known, int32_t x, int32_t y);
    void _SaveScreenshot();
    // The course world when one is loaded.
    bool _HasWorld() const { return GetCurrentWorld() != nullptr; }

    // False when no graphics device could be made.
    bool _CreateGraphicsManager();
    void _DeleteGraphicsManager();
    platform::GfxCaps _DeviceCaps() const;
    int32_t _ClampShaderLevel(const std::string& value, bool pixel) const;
    std::string _ConfigSectionBody() const;
    void _BindPointer(int action, int device);
    void _BindKey(int action, const char* key, int range);
    void _AddSongs(const std::string& folder);
    // Names one file whatever its separators and case, as the file layer resolves them.
    static std::string _PlayerFileKey(const std::string& path);

    kaGraphicsManager* m_GraphicsManager = nullptr;
    uint32_t m_FrameCount = 0;
    uint32_t m_FrameLimit = 0;
    bool m_CloseRequested = false;
    float m_FrameTime = 0.0f;
    bool m_ShowProfiler = false;
    kaProfilerOutput* m_ProfilerWindow = nullptr;

    int32_t m_VisualEffects = kDefaultVisualEffects;
    int32_t m_SoundVolume = 0;
    int32_t m_MusicVolume = 0;
    bool m_InterfaceMusicMuted = false;
    char m_DefaultCamera = 0;
    bool m_ConsoleEnabled = true;
    std::string m_HeightmapFolder;
    std::string m_TexturemapFolder;

    std::unique_ptr<InputManager> m_InputManager;
    bool m_EngineEditor = false;
    std::unique_ptr<EditorHost> m_EditorHost;

    std::vector<std::unique_ptr<tvPlayer>> m_Players;
    tvPlayer* m_CurrentPlayer = nullptr;
    bool m_PlayerCreated = false;
    // Profile files the game has read or written, by compared path: the only files a save may remove.
    std::map<std::string, std::string> m_PlayerFiles;
    std::vector<std::unique_ptr<GHighScores>> m_HighScores;
    std::vector<std::unique_ptr<WorldInfo>> m_Worlds;
    std::vector<std::unique_ptr<SongInfo>> m_Songs;
    std::vector<std::string> m_CareerLevels;
    std::vector<std::unique_ptr<ShopItem>> m_ShopItems;

    MusicCallback m_MusicCallback;
    int32_t m_CurrentSongIndex = 0;
    bool m_ThemeMusicQueued = false;
    float m_ThemeMusicTime = 0.0f;
    std::vector<DisplayMode> m_DisplayModes;
    int32_t m_SplashStage = kSplashPublisher;
    float m_SplashStart = 0.0f;
    // Set once the splash clock runs: a stage start of 0 is a valid time.
    bool m_SplashStarted = false;
    kaBillboard* m_SplashImage = nullptr;
    bool m_QuitRequested = false;
    bool m_ShutDown = false;
    DebugWindow* m_ConsoleWindow = nullptr;
    ProfilerWindow* m_ProfilerGuiWindow = nullptr;
    // The pointer buttons as the GUI last heard of them, and as the input devices were last polled: the
    // window's button messages and the polled actions both report a click, the GUI hears it once.
    bool m_ButtonStates[3] = {false, false, false};
    bool m_PolledButtons[3] = {false, false, false};
    // The system pointer's client position last given to the GUI cursor, while it is known.
    bool m_PointerTracked = false;
    int32_t m_PointerX = 0;
    int32_t m_PointerY = 0;
    // The cursor was hidden while the mouse steered: when it shows again the pointer is brought to it.
    bool m_PointerToCursor = false;
    // Pointer movement below a pixel, kept until it adds up to one.
    float m_AxisRemainder[3] = {0.0f, 0.0f, 0.0f};
    kaSoundHandle m_CrowdSound;
    tvWorldSounds m_WorldSounds;
    // Owned by the course world.
    tvVehicle* m_pVehicle = nullptr;
    int32_t m_GameMode = kPracticeMode;
    bool m_CourseChosen = false;
    std::string m_CourseFile;
    std::string m_LevelPath;
    std::string m_VehicleName;
};
