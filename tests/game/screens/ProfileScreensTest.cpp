#include "engine/gui/guiButton.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/MainWindow.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kMain = "main window";
constexpr const char* kNewPlayer = "New Player Window";
constexpr const char* kDeletePlayer = "Delete Player Window";

class ProfileScreensTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Main = m_Game.Gui().FindWindow(kMain)->DynamicCast<MainWindow>();
        ASSERT_NE(m_Main, nullptr);
        ASSERT_NE(m_Main->GetPlayerList(), nullptr);
        ASSERT_TRUE(m_Game.RunScript());
    }

    // New Driver, the box emptied, the name typed, then ok (or cancel).
    void NewDriver(const std::string& name, const char* button = "ok")
    {
        m_Game.Click(kMain, "New Driver Button");
        m_Game.Click(kNewPlayer, "playername");
        m_Game.PressKey(guiTextBox::kKeyEnd);
        for (int i = 0; i < 30; ++i)
            m_Game.PressKey(guiTextBox::kKeyBackspace);
        m_Game.Type(name);
        m_Game.Click(kNewPlayer, button);
    }

    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int32_t i = 0; i < m_Game.App().GetPlayerCount(); ++i)
            names.push_back(m_Game.App().GetPlayer(i)->GetPlayerName());
        return names;
    }

    bool Enabled(guiButton* button) const { return button->GetState() != guiButton::kDisabled; }
    int32_t SelectedRow() const { return m_Main->GetPlayerList()->GetSelectedRow(); }
    bool Visible(const char* window) { return m_Game.Gui().FindWindow(window)->IsVisible(); }

    HeadlessGame m_Game;
    MainWindow* m_Main = nullptr;
};

} // namespace

TEST_F(ProfileScreensTest, WithoutProfilesSignInAndDeleteAreOffUntilTheFirstIsMadeAndSignedIn)
{
    ASSERT_EQ(m_Game.App().GetPlayerCount(), 0);
    EXPECT_FALSE(Enabled(m_Main->GetLoginButton()));
    EXPECT_FALSE(Enabled(m_Main->GetDeleteButton()));
    EXPECT_EQ(m_Main->GetPlayerList()->GetUsedRows(), 0);

    NewDriver("Max");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(Names(), std::vector<std::string>{"Max"});
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(m_Game.App().GetCurrentPlayer(), m_Game.App().GetPlayer(0));
    EXPECT_TRUE(Enabled(m_Main->GetLoginButton()));
    EXPECT_TRUE(Enabled(m_Main->GetDeleteButton()));
    EXPECT_FALSE(Visible(kNewPlayer));
}

TEST_F(ProfileScreensTest, OkOnThePromptDoesNothingAndCaseMakesNamesDifferent)
{
    m_Game.Click(kMain, "New Driver Button");
    m_Game.Click(kNewPlayer, "ok");
    m_Game.Queue([this] { EXPECT_TRUE(Visible(kNewPlayer)); });
    m_Game.Click(kNewPlayer, "cancel");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Game.App().GetPlayerCount(), 0);
    EXPECT_FALSE(Visible(kNewPlayer));

    NewDriver("max");
    NewDriver("Max");
    NewDriver("Max");
    NewDriver("");
    NewDriver("");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(Names(), (std::vector<std::string>{"max", "Max", "Max(2)", "Unnamed", "Unnamed"}));
    // Each new profile is the one selected and signed in, the second "Unnamed" too.
    EXPECT_EQ(SelectedRow(), 4);
    EXPECT_EQ(m_Game.App().GetCurrentPlayer(), m_Game.App().GetPlayer(4));
}

TEST_F(ProfileScreensTest, CancelInEitherDialogRefreshesTheListAndRestoresTheRememberedRow)
{
    NewDriver("Ann");
    NewDriver("Bob");
    NewDriver("Cy");
    ASSERT_TRUE(m_Game.RunScript());
    m_Main->GetPlayerList()->SelectRow(1, true);
    EXPECT_EQ(m_Game.App().GetCurrentPlayer(), m_Game.App().GetPlayer(1));
    EXPECT_EQ(m_Main->GetSelectedIndex(), 1);

    for (const char* window : {kNewPlayer, kDeletePlayer})
    {
        // A profile made behind the screen's back shows only after the refresh.
        m_Game.App().CreatePlayer(std::string("extra ") + window);
        m_Game.Click(kMain, window == kNewPlayer ? "New Driver Button" : "Delete Driver Button");
        m_Game.Click(window, "cancel");
        ASSERT_TRUE(m_Game.RunScript()) << window;
        EXPECT_EQ(m_Main->GetPlayerList()->GetUsedRows(), m_Game.App().GetPlayerCount()) << window;
        EXPECT_EQ(SelectedRow(), 1) << window;
        EXPECT_FALSE(Visible(window));
    }
    EXPECT_EQ(m_Game.App().GetPlayerCount(), 5);
}

TEST_F(ProfileScreensTest, DeleteTakesTheSelectedRowsProfileAndTheLastGoneSelectsTheFirst)
{
    NewDriver("");
    NewDriver("");
    NewDriver("");
    ASSERT_TRUE(m_Game.RunScript());
    tvPlayer* first = m_Game.App().GetPlayer(0);
    tvPlayer* second = m_Game.App().GetPlayer(1);
    // Three "Unnamed": only the row tells them apart.
    m_Main->GetPlayerList()->SelectRow(2, true);
    m_Game.Click(kMain, "Delete Driver Button");
    m_Game.Queue(
        [this]
        {
            auto* box = static_cast<guiTextBox*>(m_Game.FindWidget(kDeletePlayer, "playername"));
            EXPECT_EQ(box->GetText(), "Unnamed");
        });
    m_Game.Click(kDeletePlayer, "ok");
    ASSERT_TRUE(m_Game.RunScript());
    ASSERT_EQ(m_Game.App().GetPlayerCount(), 2);
    EXPECT_EQ(m_Game.App().GetPlayer(0), first);
    EXPECT_EQ(m_Game.App().GetPlayer(1), second);
    // The signed-in profile went: nobody is signed in; the remembered row is past the end.
    EXPECT_EQ(m_Game.App().GetCurrentPlayer(), nullptr);
    EXPECT_EQ(SelectedRow(), 0);

    m_Main->GetPlayerList()->SelectRow(1, true);
    m_Game.Click(kMain, "Delete Driver Button");
    m_Game.Click(kDeletePlayer, "ok");
    m_Game.Click(kMain, "Delete Driver Button");
    m_Game.Click(kDeletePlayer, "ok");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_EQ(m_Game.App().GetPlayerCount(), 0);
    EXPECT_FALSE(Enabled(m_Main->GetLoginButton()));
    EXPECT_FALSE(Enabled(m_Main->GetDeleteButton()));
}

TEST_F(ProfileScreensTest, EachMenuButtonEndsTheModalShowWithItsCode)
{
    const struct
    {
        const char* window;
        const char* button;
        int32_t code;
    } cases[] = {
        {"InGameMenu", "ok_quit", 1},       {"InGameMenu", "cancel_quit", 2},
        {"Save World Menu", "yes_quit", 4}, {"Save World Menu", "no_quit", 8},
        {"Save World Menu", "cancel_quit", 2}, {"credits window", "ok button", 1},
    };
    for (const auto& test : cases)
    {
        guiWindow* window = m_Game.Gui().FindWindow(test.window);
        ASSERT_NE(window, nullptr) << test.window;
        m_Game.Click(test.window, test.button);
        EXPECT_EQ(m_Game.Gui().ShowWindow(window, true), test.code) << test.window << " " << test.button;
        EXPECT_FALSE(window->IsVisible()) << test.window;
        EXPECT_EQ(m_Game.PendingSteps(), 0u);
    }
}

TEST_F(ProfileScreensTest, ClosingTheCreditsRefreshesTheMainWindow)
{
    NewDriver("Ann");
    NewDriver("Bob");
    ASSERT_TRUE(m_Game.RunScript());
    m_Main->GetPlayerList()->SelectRow(0, true);
    m_Game.Click(kMain, "Credits Button");
    m_Game.Queue([this] { m_Game.App().CreatePlayer("Cy"); });
    m_Game.Click("credits window", "ok button");
    ASSERT_TRUE(m_Game.RunScript());
    EXPECT_FALSE(Visible("credits window"));
    EXPECT_EQ(m_Main->GetPlayerList()->GetUsedRows(), 3);
    EXPECT_EQ(SelectedRow(), 0);
}

// A player's first go at the dialog, with the real pointer and keys: a click anywhere in the box and the
// name typed straight away replaces the prompt; nothing has to be erased first, and no key is dropped.
TEST(ProfileRealInputTest, TheFirstKeyTypedIntoTheNewDriverBoxReplacesThePrompt)
{
    struct Case
    {
        const char* where;
        double across; // Fraction of the box's width the click lands at.
        const char* typed;
    };
    const Case cases[] = {
        {"left edge", 0.05, "Zoe"},
        {"middle", 0.5, "Wilhelmina Rosenkrantz"},
        {"right end", 0.95, "Al"},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.where);
        HeadlessGame::Options options;
        options.sdlInput = true;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        game.Click(kMain, "New Driver Button");
        const double across = test.across;
        game.ClickAt(
            [&game, across](int32_t& x, int32_t& y)
            {
                guiGlyph* box = game.FindWidget(kNewPlayer, "playername");
                if (box == nullptr || box->DynamicCast<guiWidget>() == nullptr)
                    return false;
                const platform::Rect& rect = box->DynamicCast<guiWidget>()->GetHitRect();
                x = rect.left + static_cast<int32_t>((rect.right - rect.left) * across);
                y = (rect.top + rect.bottom) / 2;
                return true;
            });
        game.Type(test.typed);
        game.Click(kNewPlayer, "ok");
        ASSERT_TRUE(game.RunScript());
        ASSERT_EQ(game.App().GetPlayerCount(), 1);
        EXPECT_EQ(game.App().GetPlayer(0)->GetPlayerName(), test.typed);
        EXPECT_FALSE(game.Gui().FindWindow(kNewPlayer)->IsVisible());
    }
}

// A fast typist: the name typed and Ok pressed at once, all given before the dialog draws its next frame, and
// Ok let go a few frames later. Every key reaches the box before the click closes the dialog, so the driver
// gets the whole name.
TEST(ProfileRealInputTest, ANameTypedAndOkClickedInOneBurstMakesTheWholeName)
{
    for (const char* typed : {"Zachary", "Al", "Wilhelmina Rosenkrantz"})
    {
        SCOPED_TRACE(typed);
        HeadlessGame::Options options;
        options.sdlInput = true;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        game.Click(kMain, "New Driver Button");
        game.Click(kNewPlayer, "playername");
        game.TypeThenClickAt(
            typed,
            [&game](int32_t& x, int32_t& y)
            {
                guiGlyph* ok = game.FindWidget(kNewPlayer, "ok");
                if (ok == nullptr || ok->DynamicCast<guiWidget>() == nullptr)
                    return false;
                const platform::Rect& rect = ok->DynamicCast<guiWidget>()->GetHitRect();
                x = (rect.left + rect.right) / 2;
                y = (rect.top + rect.bottom) / 2;
                return true;
            },
            SDL_BUTTON_LEFT, 3);
        ASSERT_TRUE(game.RunScript());
        EXPECT_FALSE(game.Gui().FindWindow(kNewPlayer)->IsVisible());
        ASSERT_EQ(game.App().GetPlayerCount(), 1);
        EXPECT_EQ(game.App().GetPlayer(0)->GetPlayerName(), typed);
    }
}

// A quick hand, or a touchpad's tap: the pointer comes to a button and clicks it with no frame between the
// move and the press. The click belongs to the button under the pointer, not to where the cursor stood the
// frame before (over nothing, here).
TEST(ProfileRealInputTest, AClickThatArrivesWithThePointersMoveLandsWhereThePointerIs)
{
    struct Case
    {
        const char* button;
        const char* opens;
    };
    const Case cases[] = {
        {"New Driver Button", kNewPlayer},
        {"Credits Button", "credits window"},
        {"Options Button", "Options Window"},
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.button);
        HeadlessGame::Options options;
        options.sdlInput = true;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        // The cursor starts in a corner, away from every button.
        game.MovePointer(2, 2);
        ASSERT_TRUE(game.RunScript());
        const std::string button = test.button;
        game.TapAt(
            [&game, button](int32_t& x, int32_t& y)
            {
                guiGlyph* glyph = game.FindWidget(kMain, button);
                if (glyph == nullptr || glyph->DynamicCast<guiWidget>() == nullptr)
                    return false;
                const platform::Rect& rect = glyph->DynamicCast<guiWidget>()->GetHitRect();
                x = (rect.left + rect.right) / 2;
                y = (rect.top + rect.bottom) / 2;
                return true;
            },
            SDL_BUTTON_LEFT);
        ASSERT_TRUE(game.RunScript());
        guiWindow* opened = game.Gui().FindWindow(test.opens);
        ASSERT_NE(opened, nullptr);
        EXPECT_TRUE(opened->IsVisible());
    }
}
