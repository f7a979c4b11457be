#include "engine/gui/guiButton.h"

#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPlaceholder.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/Watchdog.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using testsupport::GuiDesk;

namespace
{

// A button of 100 by 40 at 50, 50 in a window covering the screen, with its callbacks logged.
class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiWindow* window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        m_Button = new guiButton(guiCoordPair::Pixels(50, 50), guiCoordPair::Pixels(100, 40));
        m_Button->SetClickSound(false);
        m_Button->SetOnClick(Logger("click"));
        m_Button->SetOnPress(Logger("press"));
        m_Button->SetOnRelease(Logger("release"));
        window->AddChild(m_Button);
        m_Desk.Frame();
    }
    guiButton::Callback Logger(const std::string& what)
    {
        return [this, what](int)
        {
            m_Log.push_back(what);
            return true;
        };
    }
    // Moves ('m' over, 'o' outside), presses ('d') and releases ('u'), one frame each.
    void Play(const std::string& steps)
    {
        for (char step : steps)
        {
            if (step == 'm')
                m_Desk.MoveTo(100, 70);
            else if (step == 'o')
                m_Desk.MoveTo(400, 400);
            else
                m_Desk.Button(0, step == 'd');
        }
    }

    GuiDesk m_Desk;
    guiButton* m_Button = nullptr;
    std::vector<std::string> m_Log;
};

TEST_F(ButtonTest, EachStateShowsItsOwnImageAlone)
{
    struct Case
    {
        const char* steps;
        int32_t state;
    } cases[] = {{"m", 1}, {"md", 2}, {"mdu", 1}, {"mduo", 0}, {"mdo", 0}, {"mdom", 2}};
    for (const Case& c : cases)
    {
        Play("o");
        m_Desk.Button(0, false);
        Play(c.steps);
        EXPECT_EQ(m_Button->GetState(), c.state) << c.steps;
        for (int32_t state = 0; state < 4; ++state)
            EXPECT_EQ(m_Button->GetStateImage(state)->IsVisible(), state == c.state) << c.steps << state;
    }
    m_Button->SetEnabled(false);
    EXPECT_EQ(m_Button->GetState(), 3);
    EXPECT_TRUE(m_Button->GetStateImage(3)->IsVisible());
    EXPECT_FALSE(m_Button->GetStateImage(0)->IsVisible());
    EXPECT_EQ(m_Button->GetStateImage(3)->GetColor().a, 0.25f);
}

TEST_F(ButtonTest, ClicksRunOnReleaseOverTheButtonOrOnThePress)
{
    struct Case
    {
        bool onPress;
        const char* steps;
        std::vector<std::string> log;
    } cases[] = {
        {false, "mdu", {"press", "click", "release"}},
        {false, "mdou", {"press", "release"}},
        {true, "mdu", {"click", "press", "release"}},
        {true, "mdou", {"click", "press", "release"}},
    };
    for (const Case& c : cases)
    {
        m_Log.clear();
        m_Button->SetFireOnPress(c.onPress);
        Play(c.steps);
        EXPECT_EQ(m_Log, c.log) << c.onPress << " " << c.steps;
        Play("o");
    }
}

TEST_F(ButtonTest, ADisabledButtonIgnoresPressesAndTakesReleases)
{
    m_Button->SetEnabled(false);
    Play("mdu");
    EXPECT_TRUE(m_Log.empty());
    EXPECT_EQ(m_Button->GetState(), 3);
    EXPECT_FALSE(m_Button->IsPressed());
    m_Button->SetEnabled(true);
    Play("du");
    EXPECT_EQ(m_Log, (std::vector<std::string>{"press", "click", "release"}));
}

TEST_F(ButtonTest, HoldingRepeatsAfterTheDelayAtTheRate)
{
    struct Case
    {
        float rate;
        std::vector<float> frames;
        int clicks;
    } cases[] = {
        {0.0f, {2.0f}, 0},
        {0.1f, {0.45f}, 0},
        {0.1f, {0.45f, 0.04f}, 0},
        {0.1f, {0.45f, 0.1f}, 1},
        {0.1f, {0.45f, 0.1f, 0.1f}, 2},
        {0.1f, {0.45f, 0.33f}, 3},
    };
    for (const Case& c : cases)
    {
        m_Button->SetRepeatRate(c.rate);
        m_Button->SetRepeatDelay(0.4f);
        m_Button->SetFireOnPress(true);
        m_Log.clear();
        m_Desk.MoveTo(100, 70);
        m_Desk.manager.Update(0.0f);
        m_Desk.Button(0, true);
        m_Desk.manager.Update(0.0f);
        const std::size_t afterPress = m_Log.size();
        // Each frame's walk adds the time the manager's last update took.
        for (float dt : c.frames)
        {
            m_Desk.manager.Update(dt);
            m_Desk.Frame(0.0f);
        }
        int clicks = 0;
        for (std::size_t i = afterPress; i < m_Log.size(); ++i)
            clicks += m_Log[i] == "click";
        EXPECT_EQ(clicks, c.clicks) << c.rate << " frames " << c.frames.size();
        m_Desk.Button(0, false);
        Play("o");
    }
}

// A rate or delay no frame's time runs down a step at a time: each frame repeats at most its bound, and once
// the delay's backlog is dropped a held button repeats at its rate again.
TEST_F(ButtonTest, HeldRepeatsStayBoundedWhateverTheRateAndDelay)
{
    testsupport::Watchdog watchdog(std::chrono::seconds(20), "a held button's repeats did not end");
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr int kFrames = 4;
    constexpr int kMost = guiButton::kMostRepeatsAFrame;
    struct Case
    {
        float rate;
        float delay;
        // Clicks in kFrames frames of 0.25 s after the frame that passes the delay, at least and at most.
        int least;
        int most;
    } cases[] = {
        {1e-30f, 0.4f, kFrames * kMost, kFrames * kMost},
        {1e-30f, -1e20f, kFrames * kMost, kFrames * kMost},
        {0.1f, -kInf, 9, 10},
        {0.1f, -3.4e38f, 9, 10},
        {0.1f, -1e8f, 9, 10},
    };
    for (const Case& c : cases)
    {
        m_Button->SetRepeatRate(c.rate);
        m_Button->SetRepeatDelay(c.delay);
        m_Button->SetFireOnPress(true);
        m_Desk.MoveTo(100, 70);
        m_Desk.manager.Update(0.0f);
        m_Desk.Button(0, true);
        m_Desk.manager.Update(0.5f);
        m_Log.clear();
        m_Desk.Frame(0.0f);
        const auto clicks = [this] { return std::count(m_Log.begin(), m_Log.end(), "click"); };
        EXPECT_LE(clicks(), kMost) << c.rate << " after " << c.delay;
        long total = 0;
        for (int frame = 0; frame < kFrames; ++frame)
        {
            m_Log.clear();
            m_Desk.manager.Update(0.25f);
            m_Desk.Frame(0.0f);
            EXPECT_LE(clicks(), kMost) << c.rate << " after " << c.delay << ", frame " << frame;
            total += clicks();
        }
        EXPECT_GE(total, c.least) << c.rate << " after " << c.delay;
        EXPECT_LE(total, c.most) << c.rate << " after " << c.delay;
        m_Desk.Button(0, false);
        Play("o");
    }
}

TEST(Button, EachPressPlaysTheClickOnceUnlessSilenced)
{
    platform::NullAudioSink sink;
    testsupport::TempDir dir;
    testsupport::CurrentDirectory here(dir.File(""));
    // The click where the button finds it, through the file system's path rules.
    dir.Write("Sounds/button_click.wav",
              testsupport::RiffBuilder::PcmWave(
                  1, 22050, 16, testsupport::RiffBuilder::Samples16(std::vector<int16_t>(300, 1000))));
    SoundManager sounds;
    ASSERT_TRUE(sounds.Init(nullptr));
    Wizard wizard;
    wizard.Init(&sounds, false);
    GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    auto* button = new guiButton(guiCoordPair::Pixels(50, 50), guiCoordPair::Pixels(100, 40));
    window->AddChild(button);
    desk.Frame();
    // What the output rendered since the last look, summed in magnitude.
    auto heard = [&sink]()
    {
        sink.Clear();
        sink.Advance(8192);
        long total = 0;
        for (int16_t sample : sink.Samples())
            total += std::labs(sample);
        return total;
    };
    heard();
    ASSERT_TRUE(desk.manager.PlayGuiSound(guiButton::kClickSound));
    const long once = heard();
    ASSERT_GT(once, 0);

    struct Case
    {
        bool clickSound, muted;
        int presses;
        long times;
    } cases[] = {{true, false, 1, 1}, {true, false, 2, 2}, {false, false, 1, 0}, {true, true, 1, 0}};
    for (const Case& c : cases)
    {
        button->SetClickSound(c.clickSound);
        wizard.SetMuted(c.muted);
        for (int press = 0; press < c.presses; ++press)
            desk.Click(100, 70);
        desk.MoveTo(400, 400);
        EXPECT_NEAR(heard(), c.times * once, once / 20) << c.clickSound << c.muted << c.presses;
    }
    wizard.SetMuted(false);
    wizard.Shutdown();
}

TEST(Button, SwitchingImagesNeverShowsAHiddenButtonOrItsParents)
{
    testsupport::TempDir dir;
    guiPlaceholder* holder = new guiPlaceholder(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(50, 50));
    holder->AddRef();
    guiButton* button = new guiButton(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(30, 20));
    holder->AddChild(button);
    holder->SetVisible(false);
    for (int32_t state : {1, 2, 0, 3})
    {
        button->SetState(state);
        EXPECT_FALSE(holder->IsVisible()) << state;
        EXPECT_TRUE(button->GetStateImage(state)->IsVisible()) << state;
    }
    button->SetEnabled(true);
    button->SetVisible(false);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*button, binary, dir);
        ASSERT_NE(read, nullptr);
        EXPECT_FALSE(read->IsVisible()) << binary;
        EXPECT_TRUE(read->DynamicCast<guiButton>()->GetStateImage(0)->IsVisible()) << binary;
        read->Release();
    }
    holder->Release();
}

TEST(Button, StateImagesComeBackByIndexInBothForms)
{
    testsupport::TempDir dir;
    guiButton* button = new guiButton(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(30, 20));
    button->AddRef();
    button->SetRepeatRate(0.25f);
    button->SetFireOnPress(true);
    button->SetAlphaHitTesting(true);
    const std::string text = gui::FormatLayout(*button, false);
    EXPECT_NE(
        text.find("StateImage 0 true 0\nStateImage 1 true 1\nStateImage 2 true 2\nStateImage 3 true 3\n"),
        std::string::npos);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*button, binary, dir);
        ASSERT_NE(read, nullptr);
        guiButton* copy = read->DynamicCast<guiButton>();
        ASSERT_NE(copy, nullptr);
        for (int32_t state = 0; state < 4; ++state)
            EXPECT_EQ(copy->GetStateImage(state), copy->GetChild(state));
        EXPECT_TRUE(copy->FiresOnPress());
        EXPECT_TRUE(copy->IsAlphaHitTesting());
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*button, binary));
        read->Release();
    }
    button->Release();
}

TEST(Button, BadStateLinesLeaveTheStateWithoutImage)
{
    testsupport::TempDir dir;
    guiButton* button = new guiButton(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(30, 20));
    button->AddRef();
    const std::string text = gui::FormatLayout(*button, false);
    const std::string lines =
        "StateImage 0 true 0\nStateImage 1 true 1\nStateImage 2 true 2\nStateImage 3 true 3\n";
    struct Case
    {
        const char* lines;
        std::vector<bool> present;
    } cases[] = {
        {"StateImage 0 true 0\nStateImage 7 true 1\nStateImage 2 true 9\nStateImage 3 false\n",
         {true, false, false, false}},
        {"StateImage 0 false\nStateImage 1 true 1\nStateImage -2 true 2\nStateImage 3 true 3\n",
         {false, true, false, true}},
    };
    for (const Case& c : cases)
    {
        std::string changed = text;
        changed.replace(changed.find(lines), lines.size(), c.lines);
        guiGlyph* read = gui::LoadLayout(dir.Write("button.kab", changed));
        ASSERT_NE(read, nullptr);
        guiButton* copy = read->DynamicCast<guiButton>();
        ASSERT_NE(copy, nullptr);
        for (int32_t state = 0; state < 4; ++state)
            EXPECT_EQ(copy->GetStateImage(state) != nullptr, c.present[state]) << c.lines << state;
        // Without a normal image every state change and hit test still answers.
        for (int32_t state : {0, 1, 2, 3})
            copy->SetState(state);
        guiGlyph* hit = nullptr;
        copy->SetAlphaHitTesting(true);
        copy->HitTest(kaPoint(10, 10), hit);
        read->Release();
    }
    button->Release();
}

TEST(Button, OlderFilesHaveNoOnClickOrAlphaLines)
{
    testsupport::TempDir dir;
    guiButton* button = new guiButton(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(30, 20));
    button->AddRef();
    button->SetRepeatRate(0.5f);
    button->SetRepeatDelay(0.7f);
    button->SetFireOnPress(true);
    button->SetAlphaHitTesting(true);
    std::string text = gui::FormatLayout(*button, false);
    struct Case
    {
        const char* version;
        bool hasOnClick, hasAlpha;
    } cases[] = {{"1.02", false, false}, {"1.03", true, false}, {"1.1", true, true}};
    for (const Case& c : cases)
    {
        std::string old = text;
        old.replace(old.find("1.11"), 4, c.version);
        if (!c.hasOnClick)
            old.erase(old.find("OnClick"), std::string("OnClick true\n").size());
        if (!c.hasAlpha)
            old.erase(old.find("AlphaHitTesting"), std::string("AlphaHitTesting true\n").size());
        guiGlyph* read = gui::LoadLayout(dir.Write("old.kab", old));
        ASSERT_NE(read, nullptr) << c.version;
        guiButton* copy = read->DynamicCast<guiButton>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetRepeatRate(), 0.5f) << c.version;
        EXPECT_EQ(copy->GetRepeatDelay(), 0.7f) << c.version;
        EXPECT_EQ(copy->FiresOnPress(), c.hasOnClick) << c.version;
        EXPECT_EQ(copy->IsAlphaHitTesting(), c.hasAlpha) << c.version;
        read->Release();
    }
    button->Release();
}

TEST(Button, TheSheetRemovesAllButTheNormalImage)
{
    guiButton* button = new guiButton(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(30, 20));
    button->AddRef();
    GuiParamTable sheet(16);
    button->GetProperties(sheet);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : sheet.GetEntries())
        names.push_back(entry->name);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
              (std::vector<std::string>{"Disabled", "Clicked", "Rollover", "Normal", "OnClick",
                                        "AlphaHitTesting"}));
    GuiParamTable change(16);
    for (const char* name : {"Normal", "Rollover", "Disabled"})
        change.Insert(name, "-1", ka::any());
    change.Insert("Clicked", "2", ka::any());
    change.Insert("OnClick", "1", ka::any());
    button->SetProperties(change);
    EXPECT_NE(button->GetStateImage(0), nullptr);
    EXPECT_EQ(button->GetStateImage(1), nullptr);
    EXPECT_NE(button->GetStateImage(2), nullptr);
    EXPECT_EQ(button->GetStateImage(3), nullptr);
    EXPECT_EQ(button->GetChildCount(), 2);
    EXPECT_TRUE(button->FiresOnPress());
    // A state without image falls back to normal.
    button->SetState(1);
    EXPECT_EQ(button->GetState(), 0);
    button->Release();
}

} // namespace
