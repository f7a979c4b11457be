#include "game/screens/OptionsWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/InputManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaAny.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/kaDisplayMode.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/DisplayMode.h"
#include "game/app/Tarvolin.h"
#include "platform/gfx/GfxFormatInfo.h"

#include <algorithm>

namespace
{

constexpr float kVolumeScale = 0.00025f;

const char* const kPageFiles[OptionsWindow::kPageCount] = {
    OptionsWindow::kVideoPage, OptionsWindow::kAudioPage, OptionsWindow::kControlsPage};
const char* const kTabPictures[OptionsWindow::kPageCount] = {
    OptionsWindow::kVideoTabPicture, OptionsWindow::kAudioTabPicture, OptionsWindow::kControlsTabPicture};

uint32_t ModeBits(const kaDisplayMode& mode)
{
    return platform::GfxFormatInfo::BitsPerPixel(mode.format);
}

bool IsSupported(const std::vector<DisplayMode>& supported, const kaDisplayMode& mode)
{
    DisplayMode wanted;
    wanted.width = int32_t(mode.width);
    wanted.height = int32_t(mode.height);
    wanted.bitsPerPixel = int32_t(ModeBits(mode));
    return std::find(supported.begin(), supported.end(), wanted) != supported.end();
}

} // namespace

const OptionsWindow::BindingRow OptionsWindow::kBindingRows[kBindingCount] = {
    {"accel_b", "accel_text", "Accelerate", 6, 2},
    {"brake_b", "brake_text", "Brake", 7, 0},
    {"left_b", "left_text", "Steer left", 8, 0},
    {"right_b", "right_text", "Steer right", 9, 2},
    {"camera_b", "camera_text", "Change camera", 14, 0},
    {"respawn_b", "respawn_text", "Respawn", 15, 0},
    {"freecam_b", "freecam_t", "Free camera", 18, 0},
    {"quicklookback_b", "quicklook_t", "Look back", 17, 0},
};

const kaClassInfo& OptionsWindow::StaticClassInfo()
{
    static const kaClassInfo record("[OptionsWindow]", kOptionsWindowClassId, &guiWindow::StaticClassInfo());
    return record;
}

OptionsWindow::OptionsWindow(const std::string& layoutFile, Tarvolin* app) : guiWindow(layoutFile), m_App(app)
{
    if (GetName().empty())
        SetName(kWindowName);
    _LoadPages();
    _FindWidgets();

    const std::pair<const char*, bool (OptionsWindow::*)()> buttons[] = {
        {kOkName, &OptionsWindow::OnOk}, {kCancelName, &OptionsWindow::OnCancel}};
    for (const auto& entry : buttons)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, entry.first))
        {
            auto handler = entry.second;
            button->SetOnClick([this, handler](int) { return (this->*handler)(); });
        }
    const char* const tabs[kPageCount] = {kVideoTab, kAudioTab, kControlsTab};
    for (int32_t page = 0; page < kPageCount; ++page)
        if (auto* tab = guiWidgetLookup::Find<guiButton>(*this, tabs[page]))
            tab->SetOnClick(
                [this, page](int)
                {
                    ShowPage(Page(page));
                    return true;
                });
    for (int32_t row = 0; row < kBindingCount; ++row)
        if (m_BindingButtons[row] != nullptr)
            m_BindingButtons[row]->SetOnClick([this, row](int) { return OnBindingButton(row); });
    if (m_MusicSlider != nullptr)
        m_MusicSlider->SetOnChange([this](float value) { return OnMusicVolume(value); });
    if (m_SoundSlider != nullptr)
        m_SoundSlider->SetOnChange([this](float value) { return OnSoundVolume(value); });
    if (m_Resolution != nullptr)
        m_Resolution->AddHandler(gui::kEventValueChanged,
                                 [this](const guiMsgEvent& event) { return OnResolutionChosen(event); });
    if (m_FullScreen != nullptr)
        m_FullScreen->SetOnClick([this](int) { return OnFullScreen(); });

    // The boxes say what plays, so a checked box is sound that is not muted.
    if (g_pWizard != nullptr)
    {
        if (m_MusicOn != nullptr)
            m_MusicOn->SetChecked(!g_pWizard->IsMusicMuted(), true);
        if (m_ImpactsOn != nullptr)
            m_ImpactsOn->SetChecked(!g_pWizard->AreImpactSoundsDisabled(), true);
    }
    _FillBindingTexts();
}

OptionsWindow::~OptionsWindow() = default;

void OptionsWindow::_LoadPages()
{
    m_Content = guiWidgetLookup::Find<guiGroup>(*this, kContentName);
    if (m_Content == nullptr)
        return;
    for (int32_t page = 0; page < kPageCount; ++page)
    {
        guiGlyph* root = gui::LoadLayout(kPageFiles[page]);
        if (root == nullptr)
            continue;
        m_Content->AddChild(root);
        m_Pages[page] = root;
    }
}

void OptionsWindow::_FindWidgets()
{
    m_TabImage = guiWidgetLookup::Find<guiImage>(*this, kTabImageName);
    m_Resolution = guiWidgetLookup::Find<guiDropDown>(*this, kResolutionName);
    m_Low = guiWidgetLookup::Find<guiCheckBox>(*this, kLowName);
    m_Medium = guiWidgetLookup::Find<guiCheckBox>(*this, kMediumName);
    m_High = guiWidgetLookup::Find<guiCheckBox>(*this, kHighName);
    m_FullScreen = guiWidgetLookup::Find<guiCheckBox>(*this, kFullScreenName);
    m_SoundSlider = guiWidgetLookup::Find<guiSlider>(*this, kSoundName);
    m_MusicSlider = guiWidgetLookup::Find<guiSlider>(*this, kMusicName);
    m_MusicOn = guiWidgetLookup::Find<guiCheckBox>(*this, kMusicOnName);
    m_ImpactsOn = guiWidgetLookup::Find<guiCheckBox>(*this, kImpactsOnName);
    for (int32_t row = 0; row < kBindingCount; ++row)
    {
        m_BindingButtons[row] = guiWidgetLookup::Find<guiButton>(*this, kBindingRows[row].button);
        m_BindingTexts[row] = guiWidgetLookup::Find<guiTextBox>(*this, kBindingRows[row].text);
    }
}

int32_t OptionsWindow::VolumeFromSlider(float value)
{
    return kMinVolume - int32_t(value * float(kMinVolume));
}

float OptionsWindow::SliderFromVolume(int32_t volume)
{
    return float(volume - kMinVolume) * kVolumeScale;
}

std::string OptionsWindow::ModeText(uint32_t width, uint32_t height, uint32_t bits, bool fullScreen)
{
    std::string text = std::to_string(width) + "x" + std::to_string(height);
    if (fullScreen)
        text += "x" + std::to_string(bits);
    return text;
}

void OptionsWindow::OnShow()
{
    ShowPage(kVideo);
    // The box first, so that the list is written as the box says; a choice left from an earlier visit
    // or a capture left running is not carried over.
    if (m_FullScreen != nullptr && g_pGraphicsManager != nullptr)
        m_FullScreen->SetChecked(g_pGraphicsManager->IsFullScreen(), true);
    m_ResolutionChanged = false;
    _EndCapture();
    FillResolutions();
    _ReadVolumes();
    m_SavedBindings.clear();
    if (InputManager* input = InputManager::GetInstance())
        for (int32_t action = 0; action < kSavedActions; ++action)
        {
            const int32_t device = input->GetBindingDevice(action, 0, kPlayer);
            if (device < 0)
                continue;
            const int32_t code = input->GetBindingCode(action, 0, kPlayer);
            m_SavedBindings.push_back({action, device, code, input->GetDeviceControlKind(device, code)});
        }
    for (int32_t row = 0; row < kBindingCount; ++row)
        m_ShownBindings[row] = BindingsOf(kBindingRows[row].actionId);
    guiWindow::OnShow();
}

void OptionsWindow::ShowPage(Page page)
{
    for (int32_t each = 0; each < kPageCount; ++each)
        if (m_Pages[each] != nullptr)
            m_Pages[each]->SetVisible(each == page);
    if (m_TabImage != nullptr)
        m_TabImage->SetFilename(kTabPictures[page], false);
}

void OptionsWindow::FillResolutions()
{
    if (m_Resolution == nullptr || g_pGraphicsManager == nullptr)
        return;
    m_Resolution->Clear();
    const bool fullScreen = m_FullScreen != nullptr && m_FullScreen->IsChecked();
    const uint32_t currentBits = g_pGraphicsManager->GetBitsPerPixel();
    uint32_t displayWidth = 0;
    uint32_t displayHeight = 0;
    g_pGraphicsManager->GetDisplayModeSize(displayWidth, displayHeight);
    static const std::vector<DisplayMode> kNone;
    const std::vector<DisplayMode>& supported = m_App != nullptr ? m_App->GetDisplayModes() : kNone;
    std::vector<kaDisplayMode> listed;
    for (const auto& entry : g_pGraphicsManager->GetDisplayModes())
    {
        const kaDisplayMode& mode = *entry;
        const uint32_t bits = ModeBits(mode);
        if (!IsSupported(supported, mode))
            continue;
        const bool known = std::any_of(listed.begin(), listed.end(),
                                       [&](const kaDisplayMode& kept) {
                                           return kept.width == mode.width && kept.height == mode.height &&
                                                  ModeBits(kept) == bits;
                                       });
        if (known)
            continue;
        listed.push_back(mode);
        // A window cannot be larger than the desktop, nor of another depth.
        if (!fullScreen && (bits != currentBits || mode.width > displayWidth || mode.height > displayHeight))
            continue;
        m_Resolution->AddItem(ModeText(mode.width, mode.height, bits, fullScreen), ka::any(mode));
    }
    const std::string current = ModeText(g_pGraphicsManager->GetCurrentWidth(),
                                         g_pGraphicsManager->GetCurrentHeight(), currentBits, fullScreen);
    // Without the current mode in the list nothing stays selected, so that OK changes nothing.
    if (m_Resolution->GetList() != nullptr)
        m_Resolution->GetList()->SelectRow(-1, false);
    m_Resolution->SelectByText(current);
    if (m_Resolution->GetSelectedText() != current && m_Resolution->GetTextBox() != nullptr)
        m_Resolution->GetTextBox()->SetText("", 0);
}

void OptionsWindow::_ReadVolumes()
{
    m_SavedSoundVolume = m_App != nullptr ? m_App->GetSoundVolume() : ::GetSoundVolume();
    if (m_SoundSlider != nullptr)
        m_SoundSlider->SetValue(SliderFromVolume(m_SavedSoundVolume), true);
    _ApplySoundVolume(m_SavedSoundVolume);
    m_SavedMusicVolume = m_App != nullptr ? m_App->GetMusicVolume() : ::GetMusicVolume();
    if (m_MusicSlider != nullptr)
        m_MusicSlider->SetValue(SliderFromVolume(m_SavedMusicVolume), true);
    _ApplyMusicVolume(m_SavedMusicVolume);
}

void OptionsWindow::_ApplySoundVolume(int32_t volume)
{
    ::SetSoundVolume(volume);
    if (m_App != nullptr)
        m_App->SetSoundVolume(volume);
}

void OptionsWindow::_ApplyMusicVolume(int32_t volume)
{
    if (m_App != nullptr)
        m_App->SetMusicVolume(volume);
}

bool OptionsWindow::OnMusicVolume(float value)
{
    if (m_MusicSlider != nullptr)
        m_MusicSlider->SetValue(value, true);
    _ApplyMusicVolume(VolumeFromSlider(value));
    return true;
}

bool OptionsWindow::OnSoundVolume(float value)
{
    if (m_SoundSlider != nullptr)
        m_SoundSlider->SetValue(value, true);
    _ApplySoundVolume(VolumeFromSlider(value));
    return true;
}

bool OptionsWindow::OnResolutionChosen(const guiMsgEvent& /*event*/)
{
    m_ResolutionChanged = true;
    return true;
}

bool OptionsWindow::OnFullScreen()
{
    m_ResolutionChanged = true;
    FillResolutions();
    return true;
}

bool OptionsWindow::OnBindingButton(int32_t row)
{
    if (row < 0 || row >= kBindingCount)
        return true;
    m_CaptureAction = kBindingRows[row].actionId;
    if (m_BindingButtons[row] != nullptr)
        m_BindingButtons[row]->SetEnabled(false);
    m_Capturing = true;
    return true;
}

bool OptionsWindow::PreRender(guiRenderContext& context)
{
    const bool result = guiWindow::PreRender(context);
    if (m_Capturing)
        PollCapture();
    return result;
}

bool OptionsWindow::PollCapture()
{
    InputManager* input = InputManager::GetInstance();
    if (!m_Capturing || input == nullptr)
        return false;
    InputManager::CaptureRecord record;
    if (!input->CaptureControl(record))
        return false;
    if (record.deviceIndex == kIgnoredDevice && record.controlCode == kIgnoredControl)
        return false;
    int32_t range = 0;
    for (const BindingRow& row : kBindingRows)
        if (row.actionId == m_CaptureAction)
            range = row.range;
    input->RemoveBinding(m_CaptureAction, 0, kPlayer);
    input->AddBinding(m_CaptureAction, record.deviceIndex, record.controlCode, range, kPlayer);
    _EndCapture();
    return true;
}

void OptionsWindow::_EndCapture()
{
    m_Capturing = false;
    for (guiButton* button : m_BindingButtons)
        if (button != nullptr)
            button->SetEnabled(true);
    _FillBindingTexts();
}

void OptionsWindow::_FillBindingTexts()
{
    InputManager* input = InputManager::GetInstance();
    for (int32_t row = 0; row < kBindingCount; ++row)
        if (m_BindingTexts[row] != nullptr)
            m_BindingTexts[row]->SetText(input != nullptr
                                             ? input->GetBindingName(kBindingRows[row].actionId, 0, kPlayer)
                                             : std::string(),
                                         0);
}

void OptionsWindow::PostRender(guiRenderContext& context)
{
    // A new display mode resets the sound device's buffers with the rest; the volumes go back on.
    if (m_RefreshVolumes && IsDirty())
    {
        m_RefreshVolumes = false;
        _ReadVolumes();
    }
    guiWindow::PostRender(context);
}

bool OptionsWindow::OnOk()
{
    if (m_ResolutionChanged)
    {
        m_ResolutionChanged = false;
        const ka::any chosen = m_Resolution != nullptr ? m_Resolution->GetSelectedData() : ka::any();
        const kaDisplayMode* mode = ka::any_cast<kaDisplayMode>(&chosen);
        // No mode chosen (the current one is not offered): the display stays as it is.
        if (mode != nullptr && g_pGraphicsManager != nullptr && m_App != nullptr)
        {
            g_pGraphicsManager->ChangeResolution(m_App->GetWindowHandle(), *mode,
                                                 m_FullScreen != nullptr && m_FullScreen->IsChecked());
            if (g_pGuiManager != nullptr)
            {
                g_pGuiManager->ResetMouseState();
                g_pGuiManager->ResetCursorBounds();
            }
            m_RefreshVolumes = true;
        }
    }
    if (g_pWizard != nullptr)
    {
        const bool impactsOn = m_ImpactsOn == nullptr || m_ImpactsOn->IsChecked();
        g_pWizard->SetImpactSoundsDisabled(!impactsOn);
        const bool musicOn = m_MusicOn == nullptr || m_MusicOn->IsChecked();
        const bool hadSong = g_pWizard->GetSong() != nullptr;
        g_pWizard->SetMusicMuted(!musicOn);
        if (!hadSong && musicOn && m_App != nullptr)
            m_App->QueueThemeMusic(true);
    }
    _Leave(1);
    return true;
}

bool OptionsWindow::OnCancel()
{
    _ApplySoundVolume(m_SavedSoundVolume);
    _ApplyMusicVolume(m_SavedMusicVolume);
    _RestoreBindings();
    m_SavedBindings.clear();
    _EndCapture();
    _Leave(2);
    return true;
}

std::vector<OptionsWindow::Binding> OptionsWindow::BindingsOf(int32_t action)
{
    std::vector<Binding> bindings;
    if (InputManager* input = InputManager::GetInstance())
        for (int32_t n = 0; n < input->GetBindingCount(action, kPlayer); ++n)
            bindings.push_back({input->GetBindingDevice(action, n, kPlayer),
                                input->GetBindingCode(action, n, kPlayer),
                                input->GetBindingRange(action, n, kPlayer)});
    return bindings;
}

void OptionsWindow::_RestoreBindings()
{
    InputManager* input = InputManager::GetInstance();
    if (input == nullptr)
        return;
    // A capture appends its binding after removing the first, so the whole list goes back in order.
    for (int32_t row = 0; row < kBindingCount; ++row)
    {
        const int32_t action = kBindingRows[row].actionId;
        if (BindingsOf(action) == m_ShownBindings[row])
            continue;
        while (input->GetBindingCount(action, kPlayer) > 0)
            input->RemoveBinding(action, 0, kPlayer);
        for (const Binding& binding : m_ShownBindings[row])
            input->AddBinding(action, binding.device, binding.code, binding.range, kPlayer);
    }
}

void OptionsWindow::_Leave(int32_t result)
{
    if (g_pGuiManager == nullptr)
        return;
    g_pGuiManager->HideWindow(this, result);
    if (guiWindow* main = g_pGuiManager->FindWindow(kMainWindow))
        g_pGuiManager->SwitchWindow(main, this, result, true);
}
