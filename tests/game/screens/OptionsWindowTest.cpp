#include "game/screens/OptionsWindow.h"

#include "engine/core/InputManager.h"
#include "engine/core/Wizard.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "platform/gfx/GfxTypes.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kMainWindow = "main window";
constexpr const char* kOptionsWindow = "Options Window";
// The scripted keyboard's keys in object order.
constexpr int kKeyCount = 9;
// The message loop's kind for a pointer movement along x.
constexpr int kMouseAxisX = 1;

HeadlessGame::Options WithDevices(const gametest::Script& mouse, const gametest::Script& keyboard)
{
    HeadlessGame::Options options;
    options.devices = {mouse, keyboard};
    return options;
}

std::vector<int32_t> Keys(int pressed)
{
    std::vector<int32_t> values(kKeyCount, 0);
    if (pressed >= 0)
        values[size_t(pressed)] = 1;
    return values;
}

class OptionsWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Modes the tests can tell apart: a size beyond the 1024x768 desktop, sizes no player is offered,
        // a size in two formats of one depth, and 16-bit sizes; the back buffer starts at 16 bits.
        auto& modes = m_Game.Direct3D().Adapters[0].Modes;
        modes.clear();
        for (auto size :
             {std::pair<uint32_t, uint32_t>{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1280, 720}})
            modes.push_back(platform::DisplayMode{size.first, size.second, 60, platform::FMT_X8R8G8B8});
        modes.push_back(platform::DisplayMode{800, 600, 60, platform::FMT_A8R8G8B8});
        for (auto size :
             {std::pair<uint32_t, uint32_t>{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}})
            modes.push_back(platform::DisplayMode{size.first, size.second, 60, platform::FMT_R5G6B5});
        if (!Config().empty())
            m_Game.Install().Write("Tarvolin.cfg", Config());
        ASSERT_TRUE(m_Game.Start());
        m_Window = m_Game.Gui().FindWindow(kOptionsWindow)->DynamicCast<OptionsWindow>();
        ASSERT_NE(m_Window, nullptr);
        m_Input = m_Game.App().GetInputManager();
        ASSERT_NE(m_Input, nullptr);
    }

    virtual std::string Config() const { return std::string(); }

    void Open()
    {
        m_Game.Click(kMainWindow, "Options Button");
        ASSERT_TRUE(m_Game.RunScript(10));
        ASSERT_TRUE(m_Window->IsVisible());
    }

    void Close(const char* button)
    {
        m_Game.Click(kOptionsWindow, button);
        ASSERT_TRUE(m_Game.RunScript(10));
        ASSERT_FALSE(m_Window->IsVisible());
        ASSERT_TRUE(m_Game.Gui().FindWindow(kMainWindow)->IsVisible());
    }

    std::vector<std::string> Listed() const
    {
        std::vector<std::string> rows;
        guiListBox* list = m_Window->GetResolutionList()->GetList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            guiGlyph* cell = list->GetCell(row, 0);
            auto* text = cell != nullptr ? cell->DynamicCast<guiText>() : nullptr;
            rows.push_back(text != nullptr ? text->GetText() : std::string("?"));
        }
        return rows;
    }

    // The slider's value where its thumb's centre stands.
    static float ThumbValue(guiSlider* slider)
    {
        const kaPoint corner = slider->GetThumb()->ToPixels(slider->GetThumb()->GetPosition());
        const kaPoint size = slider->GetThumbSize();
        return slider->ValueAt(kaPoint(corner.x + size.x / 2, corner.y + size.y / 2));
    }

    gametest::Script m_Mouse = gametest::Mouse();
    gametest::Script m_Keyboard = gametest::Keyboard();
    HeadlessGame m_Game{WithDevices(m_Mouse, m_Keyboard)};
    OptionsWindow* m_Window = nullptr;
    InputManager* m_Input = nullptr;
};

} // namespace

TEST(OptionsVolumeTest, SliderValuesAndVolumesMapBothWays)
{
    struct Case
    {
        float value;
        int32_t volume;
    };
    const Case cases[] = {{0.5f, -2000}, {0.0f, -4000}, {1.0f, 0}, {0.25f, -3000}, {0.75f, -1000}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(OptionsWindow::VolumeFromSlider(c.value), c.volume) << c.value;
        EXPECT_FLOAT_EQ(OptionsWindow::SliderFromVolume(c.volume), c.value) << c.volume;
    }
}

TEST_F(OptionsWindowTest, ShowingPlacesTheThumbsAtTheStoredVolumesAndMovingThemAppliesAtOnce)
{
    m_Game.App().SetSoundVolume(-1000);
    m_Game.App().SetMusicVolume(-3000);
    Open();
    // One pixel of the 276-pixel track is the closest the thumb can stand.
    EXPECT_NEAR(ThumbValue(m_Window->GetSoundSlider()), 0.75f, 1.0f / 276);
    EXPECT_NEAR(ThumbValue(m_Window->GetMusicSlider()), 0.25f, 1.0f / 276);
    EXPECT_EQ(::GetSoundVolume(), -1000);

    m_Window->ShowPage(OptionsWindow::kAudio);
    m_Game.Click(kOptionsWindow, OptionsWindow::kMusicName);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Game.App().GetMusicVolume(), -2000);
    EXPECT_EQ(::GetMusicVolume(), -2000);
    EXPECT_NEAR(ThumbValue(m_Window->GetMusicSlider()), 0.5f, 1.0f / 276);

    m_Game.Click(kOptionsWindow, OptionsWindow::kSoundName);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(::GetSoundVolume(), -2000);
    EXPECT_EQ(m_Game.App().GetSoundVolume(), -2000);
}

TEST_F(OptionsWindowTest, CancelAfterMovingBothSlidersRestoresTheVolumesReadOnShowing)
{
    m_Game.App().SetSoundVolume(-500);
    m_Game.App().SetMusicVolume(-1500);
    Open();
    EXPECT_EQ(m_Window->GetSavedSoundVolume(), -500);
    EXPECT_EQ(m_Window->GetSavedMusicVolume(), -1500);
    m_Window->OnSoundVolume(0.1f);
    m_Window->OnMusicVolume(0.9f);
    EXPECT_EQ(::GetSoundVolume(), -3600);
    EXPECT_EQ(m_Game.App().GetMusicVolume(), -400);
    Close(OptionsWindow::kCancelName);
    EXPECT_EQ(::GetSoundVolume(), -500);
    EXPECT_EQ(m_Game.App().GetSoundVolume(), -500);
    EXPECT_EQ(m_Game.App().GetMusicVolume(), -1500);
    EXPECT_EQ(::GetMusicVolume(), -1500);
}

TEST_F(OptionsWindowTest, CaptureSkipsTheLeftMouseButtonAndBindsTheNextKeyInPlaceOfTheFirstBinding)
{
    Open();
    m_Window->ShowPage(OptionsWindow::kControls);
    ASSERT_EQ(m_Input->GetBindingName(6, 0, 0), "W");
    const int before = m_Input->GetBindingCount(6, 0);
    m_Game.Click(kOptionsWindow, "accel_b");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_TRUE(m_Window->IsCapturing());
    EXPECT_EQ(m_Window->GetCaptureAction(), 6);
    EXPECT_EQ(m_Window->GetBindingButton(0)->GetState(), guiButton::kDisabled);

    // The left button, pressed and let go: nothing is bound.
    m_Game.Queue([this] { m_Mouse->PushReading({0, 0, 0, 1, 0, 0}); });
    m_Game.Queue([this] { m_Mouse->PushReading({0, 0, 0, 0, 0, 0}); });
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_TRUE(m_Window->IsCapturing());
    EXPECT_EQ(m_Input->GetBindingName(6, 0, 0), "W");

    m_Game.Queue([this] { m_Keyboard->PushReading(Keys(4)); });
    m_Game.Queue([this] { m_Keyboard->PushReading(Keys(-1)); });
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_FALSE(m_Window->IsCapturing());
    EXPECT_EQ(m_Input->GetBindingCount(6, 0), before);
    EXPECT_EQ(m_Input->GetBindingName(6, 0, 0), "C");
    EXPECT_EQ(m_Input->GetBindingDevice(6, 0, 0), 1);
    EXPECT_EQ(m_Input->GetBindingCode(6, 0, 0), 4);
    EXPECT_EQ(m_Input->GetBindingRange(6, 0, 0), 2);
    for (int32_t row = 0; row < OptionsWindow::kBindingCount; ++row)
    {
        EXPECT_NE(m_Window->GetBindingButton(row)->GetState(), guiButton::kDisabled) << row;
        EXPECT_EQ(m_Window->GetBindingText(row)->GetText(),
                  m_Input->GetBindingName(OptionsWindow::kBindingRows[row].actionId, 0, 0))
            << row;
    }
    EXPECT_EQ(m_Window->GetBindingText(0)->GetText(), "C");
}

TEST_F(OptionsWindowTest, EachBindingRowBindsItsActionWithItsRange)
{
    struct Expected
    {
        const char* button;
        const char* text;
        int32_t action;
        int32_t range;
    };
    const Expected rows[] = {
        {"accel_b", "accel_text", 6, 2},    {"brake_b", "brake_text", 7, 0},
        {"left_b", "left_text", 8, 0},      {"right_b", "right_text", 9, 2},
        {"camera_b", "camera_text", 14, 0}, {"respawn_b", "respawn_text", 15, 0},
        {"freecam_b", "freecam_t", 18, 0},  {"quicklookback_b", "quicklook_t", 17, 0},
    };
    Open();
    m_Window->ShowPage(OptionsWindow::kControls);
    int key = 0;
    for (const Expected& row : rows)
    {
        const int pressed = key++ % kKeyCount;
        m_Game.Click(kOptionsWindow, row.button);
        m_Game.Queue([this, pressed] { m_Keyboard->PushReading(Keys(pressed)); });
        m_Game.Queue([this] { m_Keyboard->PushReading(Keys(-1)); });
        ASSERT_TRUE(m_Game.RunScript()) << row.button;
        EXPECT_FALSE(m_Window->IsCapturing()) << row.button;
        const int last = m_Input->GetBindingCount(row.action, 0) - 1;
        ASSERT_GE(last, 0) << row.button;
        // The new binding is the newest of its action.
        EXPECT_EQ(m_Input->GetBindingDevice(row.action, last, 0), 1) << row.button;
        EXPECT_EQ(m_Input->GetBindingCode(row.action, last, 0), pressed) << row.button;
        EXPECT_EQ(m_Input->GetBindingRange(row.action, last, 0), row.range) << row.button;
        auto* text = static_cast<guiTextBox*>(m_Game.FindWidget(kOptionsWindow, row.text));
        ASSERT_NE(text, nullptr) << row.text;
        EXPECT_EQ(text->GetText(), m_Input->GetBindingName(row.action, 0, 0)) << row.text;
    }
}

TEST_F(OptionsWindowTest, CancelPutsBackTheBindingsTakenOnShowing)
{
    Open();
    m_Window->ShowPage(OptionsWindow::kControls);
    const std::vector<OptionsWindow::Binding> accelerate = OptionsWindow::BindingsOf(6);
    const std::vector<OptionsWindow::Binding> brake = OptionsWindow::BindingsOf(7);
    ASSERT_FALSE(accelerate.empty());
    for (const char* button : {"accel_b", "brake_b"})
    {
        m_Game.Click(kOptionsWindow, button);
        m_Game.Queue([this] { m_Keyboard->PushReading(Keys(8)); });
        m_Game.Queue([this] { m_Keyboard->PushReading(Keys(-1)); });
    }
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_EQ(m_Input->GetBindingName(6, 0, 0), "Space");
    Close(OptionsWindow::kCancelName);
    EXPECT_TRUE(OptionsWindow::BindingsOf(6) == accelerate);
    EXPECT_TRUE(OptionsWindow::BindingsOf(7) == brake);
    EXPECT_EQ(m_Window->GetBindingText(0)->GetText(), "W");

    // OK keeps a rebinding.
    Open();
    m_Window->ShowPage(OptionsWindow::kControls);
    m_Game.Click(kOptionsWindow, "accel_b");
    m_Game.Queue([this] { m_Keyboard->PushReading(Keys(8)); });
    m_Game.Queue([this] { m_Keyboard->PushReading(Keys(-1)); });
    ASSERT_TRUE(m_Game.RunScript());
    Close(OptionsWindow::kOkName);
    EXPECT_EQ(m_Input->GetBindingName(6, 0, 0), "Space");
}

TEST_F(OptionsWindowTest, TheResolutionListOffersSupportedModesByTheFullScreenBox)
{
    Open();
    EXPECT_FALSE(m_Window->GetFullScreenBox()->IsChecked());
    ASSERT_EQ(m_Game.App().GetGraphicsManager()->GetBitsPerPixel(), 16u);
    // In a window: the current depth, no larger than the desktop, each size once; 1152x864 is not offered.
    const std::vector<std::string> windowed = Listed();
    EXPECT_EQ(std::set<std::string>(windowed.begin(), windowed.end()),
              (std::set<std::string>{"640x480", "800x600", "1024x768"}));
    EXPECT_EQ(windowed.size(), 3u);
    EXPECT_EQ(m_Window->GetResolutionList()->GetSelectedText(), "800x600");

    m_Game.Click(kOptionsWindow, OptionsWindow::kFullScreenName);
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(m_Window->GetFullScreenBox()->IsChecked());
    EXPECT_TRUE(m_Window->IsResolutionChanged());
    const std::vector<std::string> full = Listed();
    EXPECT_EQ(std::set<std::string>(full.begin(), full.end()),
              (std::set<std::string>{"640x480x32", "800x600x32", "1024x768x32", "1280x1024x32", "640x480x16",
                                     "800x600x16", "1024x768x16", "1280x1024x16"}));
    EXPECT_EQ(full.size(), 8u);
    EXPECT_EQ(m_Window->GetResolutionList()->GetSelectedText(), "800x600x16");

    // Back in a window, the list is the windowed one again.
    m_Game.Click(kOptionsWindow, OptionsWindow::kFullScreenName);
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(Listed(), windowed);
    EXPECT_EQ(m_Window->GetResolutionList()->GetSelectedText(), "800x600");
}

TEST_F(OptionsWindowTest, OkKeepsTheDisplayModeUntilAModeIsChosen)
{
    kaGraphicsManager* graphics = m_Game.App().GetGraphicsManager();
    Open();
    Close(OptionsWindow::kOkName);
    EXPECT_EQ(graphics->GetCurrentWidth(), 800u);
    EXPECT_EQ(graphics->GetCurrentHeight(), 600u);

    Open();
    guiListBox* list = m_Window->GetResolutionList()->GetList();
    const int32_t row = list->FindRow("1024x768", 0);
    ASSERT_GE(row, 0);
    list->SelectRow(row, true);
    EXPECT_TRUE(m_Window->IsResolutionChanged());
    // A movement not yet handed to the widgets belongs to the old screen size and is dropped.
    m_Game.App().OnMouse(kMouseAxisX, 0, 7, 0);
    ASSERT_EQ(m_Game.Gui().GetMouseData().dx, 7);
    m_Window->OnOk();
    EXPECT_EQ(m_Game.Gui().GetMouseData().dx, 0);
    EXPECT_FALSE(m_Game.Gui().GetMouseData().moved);
    ASSERT_TRUE(m_Game.RunScript(10));
    EXPECT_FALSE(m_Window->IsVisible());
    EXPECT_EQ(graphics->GetCurrentWidth(), 1024u);
    EXPECT_EQ(graphics->GetCurrentHeight(), 768u);
    EXPECT_EQ(graphics->GetPresentParameters().BackBufferWidth, 1024u);
    EXPECT_EQ(m_Game.Gui().GetCursorBounds().right, 1024);
    EXPECT_EQ(m_Game.Gui().GetCursorBounds().bottom, 768);
    EXPECT_FALSE(m_Window->IsResolutionChanged());
}

TEST_F(OptionsWindowTest, OkWithoutAListedCurrentModeKeepsTheDisplayMode)
{
    // The adapter offers no 800x600 at all, so the list has nothing to select.
    auto& modes = m_Game.Direct3D().Adapters[0].Modes;
    modes.erase(std::remove_if(modes.begin(), modes.end(),
                               [](const platform::DisplayMode& mode) { return mode.Width == 800; }),
                modes.end());
    kaGraphicsManager* graphics = m_Game.App().GetGraphicsManager();
    ASSERT_EQ(graphics->BuildDeviceList(), platform::GFX_OK);
    Open();
    m_Game.Click(kOptionsWindow, OptionsWindow::kFullScreenName);
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_TRUE(m_Window->IsResolutionChanged());
    EXPECT_EQ(m_Window->GetResolutionList()->GetSelectedText(), "");
    EXPECT_TRUE(m_Window->GetResolutionList()->GetSelectedData().empty());
    Close(OptionsWindow::kOkName);
    EXPECT_EQ(graphics->GetCurrentWidth(), 800u);
    EXPECT_FALSE(graphics->IsFullScreen());
}

TEST_F(OptionsWindowTest, OkSetsTheMuteFlagsFromTheBoxesAndQueuesTheThemeWithoutASong)
{
    struct Case
    {
        bool musicOn;
        bool impactsOn;
        bool hadSong;
        bool queued;
    };
    const Case cases[] = {
        {true, true, false, true},
        {true, false, true, false},
        {false, true, false, false},
        {false, false, true, false},
    };
    for (const Case& c : cases)
    {
        Open();
        m_Window->ShowPage(OptionsWindow::kAudio);
        m_Window->GetMusicOnBox()->SetChecked(c.musicOn, true);
        m_Window->GetImpactsOnBox()->SetChecked(c.impactsOn, true);
        m_Game.App().QueueThemeMusic(false);
        if (c.hadSong)
            m_Game.App().LoadThemeSong(Tarvolin::kThemeSong);
        else
            g_pWizard->UnloadSong();
        ASSERT_EQ(g_pWizard->GetSong() != nullptr, c.hadSong);
        m_Window->OnOk();
        EXPECT_EQ(g_pWizard->IsMusicMuted(), !c.musicOn);
        EXPECT_EQ(g_pWizard->AreImpactSoundsDisabled(), !c.impactsOn);
        EXPECT_EQ(m_Game.App().IsThemeMusicQueued(), c.queued);
        ASSERT_TRUE(m_Game.RunScript(10));
    }
}

TEST_F(OptionsWindowTest, EachTabShowsItsPageAloneAndItsTabPicture)
{
    struct Tab
    {
        const char* button;
        OptionsWindow::Page page;
        const char* picture;
    };
    const Tab tabs[] = {
        {"opt_audio_b", OptionsWindow::kAudio, "aud_sel.tga"},
        {"opt_controls_b", OptionsWindow::kControls, "con_sel.tga"},
        {"opt_video_b", OptionsWindow::kVideo, "vid_sel.tga"},
        {"opt_controls_b", OptionsWindow::kControls, "con_sel.tga"},
    };
    Open();
    EXPECT_TRUE(m_Window->GetPage(OptionsWindow::kVideo)->IsVisible());
    EXPECT_EQ(m_Window->GetTabImage()->GetFilename(), "vid_sel.tga");
    for (const Tab& tab : tabs)
    {
        m_Game.Click(kOptionsWindow, tab.button);
        ASSERT_TRUE(m_Game.RunScript());
        for (int32_t page = 0; page < OptionsWindow::kPageCount; ++page)
        {
            ASSERT_NE(m_Window->GetPage(OptionsWindow::Page(page)), nullptr);
            EXPECT_EQ(m_Window->GetPage(OptionsWindow::Page(page))->IsVisible(), page == tab.page)
                << tab.button;
        }
        EXPECT_EQ(m_Window->GetTabImage()->GetFilename(), tab.picture);
    }
    // Showing the window again starts on the video page.
    Close(OptionsWindow::kCancelName);
    Open();
    EXPECT_TRUE(m_Window->GetPage(OptionsWindow::kVideo)->IsVisible());
    EXPECT_FALSE(m_Window->GetPage(OptionsWindow::kControls)->IsVisible());
}

class OptionsInFullScreenTest : public OptionsWindowTest
{
protected:
    std::string Config() const override
    {
        return "[Begin Graphics Config]\nFullScreen=1\nFSDisplayWidth=800\nFSDisplayHeight=600\n"
               "BitsPerPixel=32\n[End Graphics Config]\n";
    }
};

TEST_F(OptionsInFullScreenTest, ShowingListsTheFullScreenFormAndForgetsAnEarlierVisitsChoice)
{
    ASSERT_TRUE(m_Game.App().GetGraphicsManager()->IsFullScreen());
    Open();
    EXPECT_TRUE(m_Window->GetFullScreenBox()->IsChecked());
    EXPECT_EQ(m_Window->GetResolutionList()->GetSelectedText(), "800x600x32");
    EXPECT_EQ(Listed().size(), 8u);
    EXPECT_FALSE(m_Window->IsResolutionChanged());

    guiListBox* list = m_Window->GetResolutionList()->GetList();
    list->SelectRow(list->FindRow("640x480x16", 0), true);
    ASSERT_TRUE(m_Window->IsResolutionChanged());
    Close(OptionsWindow::kCancelName);
    Open();
    EXPECT_FALSE(m_Window->IsResolutionChanged());
    Close(OptionsWindow::kOkName);
    EXPECT_EQ(m_Game.App().GetGraphicsManager()->GetCurrentWidth(), 800u);
    EXPECT_TRUE(m_Game.App().GetGraphicsManager()->IsFullScreen());
}
