#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class Tarvolin;
class guiButton;
class guiCheckBox;
class guiDropDown;
class guiGroup;
class guiImage;
class guiMsgEvent;
class guiSlider;
class guiTextBox;

// The options screen: video, audio and controls pages shown one at a time. Volumes apply while the
// sliders move, the display mode on OK; a binding button captures the next control the player changes.
// OK and Cancel both go back to the main window.
class OptionsWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kOptions;
    static constexpr const char* kMainWindow = windowNames::kMain;
    static constexpr const char* kTabImageName = "selbar";
    static constexpr const char* kContentName = "options content group";
    static constexpr const char* kVideoPage = "ui\\common\\opt_video.kab";
    static constexpr const char* kAudioPage = "UI\\common\\opt_audio.kab";
    static constexpr const char* kControlsPage = "ui\\common\\opt_controls.kab";
    static constexpr const char* kResolutionName = "resolution_drop";
    static constexpr const char* kLowName = "low_checkbox";
    static constexpr const char* kMediumName = "med_checkbox";
    static constexpr const char* kHighName = "high_checkbox";
    static constexpr const char* kFullScreenName = "fullscreen_checkbox";
    static constexpr const char* kSoundName = "sound_volume";
    static constexpr const char* kMusicName = "music_volume";
    static constexpr const char* kMusicOnName = "mutemusic_checkbox";
    static constexpr const char* kImpactsOnName = "mutesound_checkbox";
    static constexpr const char* kOkName = "opt_ok_b";
    static constexpr const char* kCancelName = "opt_cancel_b";
    static constexpr const char* kVideoTab = "opt_video_b";
    static constexpr const char* kAudioTab = "opt_audio_b";
    static constexpr const char* kControlsTab = "opt_controls_b";
    static constexpr const char* kVideoTabPicture = "vid_sel.tga";
    static constexpr const char* kAudioTabPicture = "aud_sel.tga";
    static constexpr const char* kControlsTabPicture = "con_sel.tga";

    enum Page : int32_t
    {
        kVideo = 0,
        kAudio = 1,
        kControls = 2,
        kPageCount = 3,
    };

    // One row of the controls page: its widgets, the action it binds and the range a new binding gets.
    struct BindingRow
    {
        const char* button;
        const char* text;
        const char* action;
        int32_t actionId;
        int32_t range;
    };
    static constexpr int32_t kBindingCount = 8;
    static const BindingRow kBindingRows[kBindingCount];

    // The control the capture passes over: the left mouse button that pressed the binding button.
    static constexpr int32_t kIgnoredDevice = 0;
    static constexpr int32_t kIgnoredControl = 3;
    static constexpr int32_t kPlayer = 0;
    static constexpr int32_t kSavedActions = 19;
    // Volumes in hundredths of a decibel, from silent to full.
    static constexpr int32_t kMinVolume = -4000;

    // A first binding taken when the window is shown.
    struct SavedBinding
    {
        int32_t action;
        int32_t device;
        int32_t code;
        int32_t kind;
    };

    static const kaClassInfo& StaticClassInfo();

    OptionsWindow(const std::string& layoutFile, Tarvolin* app);
    ~OptionsWindow() override;
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    static int32_t VolumeFromSlider(float value);
    static float SliderFromVolume(int32_t volume);
    // A mode as the resolution list shows it: with its bit depth in full screen.
    static std::string ModeText(uint32_t width, uint32_t height, uint32_t bits, bool fullScreen);

    void OnShow() override;
    bool PreRender(guiRenderContext& context) override;
    void PostRender(guiRenderContext& context) override;

    void ShowPage(Page page);
    void FillResolutions();

    bool OnOk();
    bool OnCancel();
    bool OnFullScreen();
    bool OnMusicVolume(float value);
    bool OnSoundVolume(float value);
    bool OnResolutionChosen(const guiMsgEvent& event);
    bool OnBindingButton(int32_t row);
    // One step of a running capture: true when it bound a control.
    bool PollCapture();

    guiGlyph* GetPage(Page page) const { return m_Pages[page]; }
    guiImage* GetTabImage() const { return m_TabImage; }
    guiDropDown* GetResolutionList() const { return m_Resolution; }
    guiCheckBox* GetFullScreenBox() const { return m_FullScreen; }
    guiSlider* GetSoundSlider() const { return m_SoundSlider; }
    guiSlider* GetMusicSlider() const { return m_MusicSlider; }
    guiCheckBox* GetMusicOnBox() const { return m_MusicOn; }
    guiCheckBox* GetImpactsOnBox() const { return m_ImpactsOn; }
    guiButton* GetBindingButton(int32_t row) const { return m_BindingButtons[row]; }
    guiTextBox* GetBindingText(int32_t row) const { return m_BindingTexts[row]; }
    bool IsCapturing() const { return m_Capturing; }
    int32_t GetCaptureAction() const { return m_CaptureAction; }
    bool IsResolutionChanged() const { return m_ResolutionChanged; }
    int32_t GetSavedSoundVolume() const { return m_SavedSoundVolume; }
    int32_t GetSavedMusicVolume() const { return m_SavedMusicVolume; }
    const std::vector<SavedBinding>& GetSavedBindings() const { return m_SavedBindings; }

    // Every binding of one action, oldest first.
    struct Binding
    {
        int32_t device;
        int32_t code;
        int32_t range;
        bool operator==(const Binding& other) const
        {
            return device == other.device && code == other.code && range == other.range;
        }
    };
    static std::vector<Binding> BindingsOf(int32_t action);

private:
    void _LoadPages();
    void _FindWidgets();
    void _FillBindingTexts();
    // Every binding button usable again and every text showing its action's first binding.
    void _EndCapture();
    void _ReadVolumes();
    // The sound-effects volume every later play reads, kept by the application too so that it is saved.
    void _ApplySoundVolume(int32_t volume);
    void _ApplyMusicVolume(int32_t volume);
    void _RestoreBindings();
    void _Leave(int32_t result);

    Tarvolin* m_App = nullptr;
    guiImage* m_TabImage = nullptr;
    guiGroup* m_Content = nullptr;
    guiGlyph* m_Pages[kPageCount] = {};
    guiDropDown* m_Resolution = nullptr;
    guiCheckBox* m_Low = nullptr;
    guiCheckBox* m_Medium = nullptr;
    guiCheckBox* m_High = nullptr;
    guiCheckBox* m_FullScreen = nullptr;
    guiSlider* m_SoundSlider = nullptr;
    guiSlider* m_MusicSlider = nullptr;
    guiCheckBox* m_MusicOn = nullptr;
    guiCheckBox* m_ImpactsOn = nullptr;
    guiButton* m_BindingButtons[kBindingCount] = {};
    guiTextBox* m_BindingTexts[kBindingCount] = {};

    bool m_ResolutionChanged = false;
    bool m_RefreshVolumes = false;
    bool m_Capturing = false;
    int32_t m_CaptureAction = 6;
    int32_t m_SavedMusicVolume = 0;
    int32_t m_SavedSoundVolume = 0;
    std::vector<SavedBinding> m_SavedBindings;
    // The rows' bindings when shown, which Cancel puts back in their order.
    std::vector<Binding> m_ShownBindings[kBindingCount];
};
