#pragma once

#include "engine/core/kaSingleton.h"
#include "platform/window/Window.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>
#include <vector>

class kaWorldBase;

// Set to 1 by the application's start-up and by each of its frames; the camera's follow modes run only while
// it is set.
extern uint8_t g_ApplicationRunning;

// Base of the application object: the main window, the frame hooks the message pump calls, and handlers for
// window messages that other parts of the engine register.
class kaApp : public kaSingleton<kaApp>
{
public:
    using MessageCallback = boost::function<void(platform::WPARAM, platform::LPARAM)>;
    using PauseCallback = boost::function<void(bool)>;

    kaApp(const std::string& applicationName, const std::string& windowClassName);
    virtual ~kaApp();

    virtual bool Init(const std::string& commandLine);
    // One frame; the pump ignores the result.
    virtual bool Update();
    virtual bool Render();
    virtual bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl);
    virtual bool OnMouse(int kind, int x, int y, int data);
    // Ends the message loop with exit code 0.
    virtual bool Shutdown();
    virtual void ConsoleCommand(const std::string& command);
    virtual void UnusedHook(int argument);
    virtual void DetectShaderSupport();

    // Entries live as long as the application; several may share one message id.
    void RegisterMessageHandler(const MessageCallback& callback, uint32_t messageId);
    // Calls every handler of the message in registration order and returns 0; a message without a handler
    // goes to the default window procedure.
    platform::LRESULT HandleMessage(platform::WindowHandle window, uint32_t message, platform::WPARAM wParam,
                                    platform::LPARAM lParam);

    uint16_t RegisterMainWindowClass(platform::InstanceHandle instance);
    // 1 when the window exists, with an 800 x 600 client area at the screen's top-left corner; 0 otherwise.
    int CreateMainWindow(platform::InstanceHandle instance, int showCommand);

    void SetPaused(bool paused);
    bool IsPaused() const { return m_Paused; }
    void SetPauseCallback(const PauseCallback& callback) { m_PauseCallback = callback; }

    const std::string& GetApplicationName() const { return m_ApplicationName; }
    const std::string& GetWindowClassName() const { return m_WindowClassName; }
    platform::InstanceHandle GetInstanceHandle() const { return m_Instance; }
    platform::WindowHandle GetWindowHandle() const { return m_Window; }

    // Shader levels the effects may use: 0 none, 1 version 1.1, 2 version 1.4, 3 version 2.0.
    int32_t GetPixelShaderLevel() const { return m_PixelShaderLevel; }
    int32_t GetVertexShaderLevel() const { return m_VertexShaderLevel; }
    void SetPixelShaderLevel(int32_t level) { m_PixelShaderLevel = level; }
    void SetVertexShaderLevel(int32_t level) { m_VertexShaderLevel = level; }

    // The world being played or edited, not owned; null when there is none.
    void SetCurrentWorld(kaWorldBase* world) { m_pCurrentWorld = world; }
    kaWorldBase* GetCurrentWorld() const { return m_pCurrentWorld; }

    // Set while the map editor is open: worlds keep entities of unknown classes as editor models, spawn
    // points show and pinned entities get bodies.
    void SetEditor(bool editor) { m_Editor = editor ? 1 : 0; }
    bool IsEditor() const { return m_Editor != 0; }

    static constexpr int kClientWidth = 800;
    static constexpr int kClientHeight = 600;

private:
    struct MessageHandler
    {
        MessageCallback callback;
        uint32_t messageId;
    };

    std::string m_ApplicationName;
    std::string m_WindowClassName;
    platform::InstanceHandle m_Instance = nullptr;
    platform::WindowHandle m_Window = nullptr;
    bool m_Paused = false;
    PauseCallback m_PauseCallback;
    std::vector<MessageHandler> m_MessageHandlers;
    kaWorldBase* m_pCurrentWorld = nullptr;
    int32_t m_PixelShaderLevel = 0;
    int32_t m_VertexShaderLevel = 0;
    uint8_t m_Editor = 0;
};
