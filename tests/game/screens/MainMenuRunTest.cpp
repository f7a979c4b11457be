#include "engine/gui/guiButton.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/MainWindow.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kMainMenuWindow = "main window";
constexpr const char* kNewPlayerWindow = "New Player Window";

void NewDriver(HeadlessGame& game, const std::string& name)
{
    game.Click(kMainMenuWindow, "New Driver Button");
    game.Click(kNewPlayerWindow, "playername");
    game.PressKey(guiTextBox::kKeyEnd);
    for (int i = 0; i < 30; ++i)
        game.PressKey(guiTextBox::kKeyBackspace);
    game.Type(name);
    game.Click(kNewPlayerWindow, "ok");
}

std::multiset<std::string> SavedNames(const std::string& folder)
{
    std::multiset<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        std::ifstream file(entry.path());
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        names.insert(text.find("Ann") != std::string::npos       ? "Ann"
                     : text.find("Unnamed") != std::string::npos ? "Unnamed"
                                                                 : "?");
    }
    return names;
}

} // namespace

// A player's first session on a fresh install, through the mouse and the keyboard alone.
TEST(MainMenuRunTest, ProfilesAreMadeSignedInDeletedAndSavedOnQuit)
{
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    ASSERT_EQ(app.GetPlayerCount(), 0);
    auto* main = game.Gui().FindWindow(kMainMenuWindow)->DynamicCast<MainWindow>();
    ASSERT_NE(main, nullptr);

    NewDriver(game, "Ann");
    ASSERT_TRUE(game.RunScript());
    ASSERT_EQ(app.GetPlayerCount(), 1);
    EXPECT_EQ(main->GetPlayerList()->GetSelectedText(), "Ann");
    EXPECT_NE(main->GetLoginButton()->GetState(), guiButton::kDisabled);

    NewDriver(game, "");
    NewDriver(game, "");
    ASSERT_TRUE(game.RunScript());
    ASSERT_EQ(app.GetPlayerCount(), 3);
    tvPlayer* second = app.GetPlayer(2);
    EXPECT_EQ(second->GetPlayerName(), "Unnamed");

    // The second "Unnamed" is chosen with the keyboard in the list, after the first is chosen.
    main->GetPlayerList()->SelectRow(1, true);
    game.Queue([&] { main->GetPlayerList()->SelectRow(2, true); });
    game.Click(kMainMenuWindow, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_TRUE(game.Gui().FindWindow("Career Window")->IsVisible());
    EXPECT_FALSE(main->IsVisible());
    EXPECT_EQ(app.GetCurrentPlayer(), second);

    // The career hub's way back.
    game.Queue(
        [&] {
            game.Gui().SwitchWindowByName(kMainMenuWindow, game.Gui().FindWindow("Career Window"), 1, false);
        });
    std::string named;
    game.Click(kMainMenuWindow, "Delete Driver Button");
    game.Queue(
        [&] {
            named =
                static_cast<guiTextBox*>(game.FindWidget("Delete Player Window", "playername"))->GetText();
        });
    game.Click("Delete Player Window", "ok");
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_EQ(named, "Unnamed");
    ASSERT_EQ(app.GetPlayerCount(), 2);
    EXPECT_EQ(app.GetPlayer(0)->GetPlayerName(), "Ann");
    EXPECT_EQ(app.GetPlayer(1)->GetPlayerName(), "Unnamed");
    EXPECT_NE(app.GetPlayer(1), second);

    game.Click(kMainMenuWindow, "Credits Button");
    game.Queue([&] { EXPECT_TRUE(game.Gui().FindWindow("credits window")->IsVisible()); });
    game.Click("credits window", "ok button");
    ASSERT_TRUE(game.RunScript());
    EXPECT_FALSE(game.Gui().FindWindow("credits window")->IsVisible());
    EXPECT_TRUE(main->IsVisible());
    EXPECT_EQ(main->GetPlayerList()->GetUsedRows(), 2);

    game.Click(kMainMenuWindow, "Quit Button");
    bool running = true;
    for (int frame = 0; frame < 50 && running; ++frame)
        running = game.Frame();
    EXPECT_FALSE(running);
    EXPECT_TRUE(app.IsShutDown());
    const std::string players = game.Install().Path() + "/" + Tarvolin::kPlayersFolder;
    EXPECT_EQ(SavedNames(players), (std::multiset<std::string>{"Ann", "Unnamed"}));
}

// The same first steps as a user gives them: SDL's events through the real window back end and the loop.
TEST(MainMenuRunTest, ADriverIsMadeThroughSdlClicksKeysAndText)
{
    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    auto* main = game.Gui().FindWindow(kMainMenuWindow)->DynamicCast<MainWindow>();
    ASSERT_NE(main, nullptr);
    NewDriver(game, "Ann Lee");
    ASSERT_TRUE(game.RunScript());
    ASSERT_EQ(app.GetPlayerCount(), 1);
    EXPECT_EQ(app.GetPlayer(0)->GetPlayerName(), "Ann Lee");
    EXPECT_EQ(main->GetPlayerList()->GetSelectedText(), "Ann Lee");
}
