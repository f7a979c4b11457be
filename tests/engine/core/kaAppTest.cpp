#include "engine/core/kaApp.h"
#include "platform/window/ScriptedWindowBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace
{

class kaAppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_App.RegisterMainWindowClass(nullptr);
        ASSERT_EQ(m_App.CreateMainWindow(nullptr, SW_SHOW), 1);
        m_Window = m_App.GetWindowHandle();
    }

    ScriptedWindowBackend m_Backend;
    kaApp m_App{"App", "AppClass"};
    WindowHandle m_Window = nullptr;
};

} // namespace

TEST(kaAppLifetime, IsTheGlobalApplicationWhileItLives)
{
    EXPECT_EQ(kaApp::GetSingleton(), nullptr);
    {
        kaApp app("Name", "Class");
        EXPECT_EQ(kaApp::GetSingleton(), &app);
        EXPECT_FALSE(app.IsPaused());
        EXPECT_EQ(app.GetWindowHandle(), nullptr);
    }
    EXPECT_EQ(kaApp::GetSingleton(), nullptr);
}

TEST_F(kaAppTest, HandlersOfOneMessageRunInRegistrationOrder)
{
    std::vector<std::string> calls;
    m_App.RegisterMessageHandler(
        [&calls](WPARAM w, LPARAM) { calls.push_back("first " + std::to_string(w)); }, WM_CLOSE);
    m_App.RegisterMessageHandler([&calls](WPARAM, LPARAM) { calls.push_back("other"); }, WM_APP);
    m_App.RegisterMessageHandler(
        [&calls](WPARAM, LPARAM l) { calls.push_back("second " + std::to_string(l)); }, WM_CLOSE);
    EXPECT_EQ(m_App.HandleMessage(m_Window, WM_CLOSE, 4, 5), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"first 4", "second 5"}));
    // A handled message never reaches the default procedure, which would have destroyed the window.
    EXPECT_TRUE(IsWindow(m_Window));
}

TEST_F(kaAppTest, MessageWithoutHandlerGoesToTheDefaultProcedure)
{
    m_App.RegisterMessageHandler([](WPARAM, LPARAM) {}, WM_APP);
    m_App.HandleMessage(m_Window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(m_Window));
}

TEST_F(kaAppTest, EmptyHandlerRaisesBadFunctionCall)
{
    m_App.RegisterMessageHandler(kaApp::MessageCallback(), WM_APP);
    EXPECT_THROW(m_App.HandleMessage(m_Window, WM_APP, 0, 0), boost::bad_function_call);
}

TEST_F(kaAppTest, PauseStoresTheFlagAndCallsTheCallbackWhenSet)
{
    m_App.SetPaused(true);
    EXPECT_TRUE(m_App.IsPaused());
    bool received = true;
    m_App.SetPauseCallback([&received](bool paused) { received = paused; });
    m_App.SetPaused(false);
    EXPECT_FALSE(m_App.IsPaused());
    EXPECT_FALSE(received);
}

TEST_F(kaAppTest, BaseShutdownPostsQuitWithZero)
{
    EXPECT_TRUE(m_App.Shutdown());
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 0u);
}
