#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform
{

// An OpenGL 2.1 compatibility context and the framebuffer the device draws into: an offscreen
// framebuffer object on an EGL surfaceless display (headless runs and tests), or an SDL window.
// Either way frames are drawn into a framebuffer object of the back-buffer size, which Present copies
// into a second one (kept for capture) and, for a window, onto the screen.
class GLContext
{
public:
    virtual ~GLContext();

    // Null with the reason in `error` when no context can be made.
    static std::unique_ptr<GLContext> CreateSurfaceless(std::string& error);
    // sdlWindow is an SDL_Window made with OpenGL support.
    static std::unique_ptr<GLContext> CreateForWindow(void* sdlWindow, std::string& error);

    // Makes the context current unless it already is.
    bool Activate();
    virtual bool MakeCurrent() = 0;
    // Shows the presented framebuffer in the window; nothing for a surfaceless context.
    virtual void Swap(uint32_t width, uint32_t height) = 0;
    virtual bool IsWindowed() const = 0;
    // Full screen shows the back buffer over the whole display; nothing for a surfaceless context.
    virtual void SetFullScreen(bool fullScreen) { (void)fullScreen; }

    // (Re)creates the draw and presented framebuffers at the size; leaves the draw one bound.
    bool SetBackBufferSize(uint32_t width, uint32_t height);
    void BindDrawFramebuffer();
    // Copies the draw framebuffer into the presented one.
    void KeepFrame();
    // Reads the presented framebuffer: rows top first, blue-green-red bytes.
    void ReadPresented(uint8_t* rows) const;
    uint32_t Width() const { return m_Width; }
    uint32_t Height() const { return m_Height; }

protected:
    GLContext() = default;
    void DeleteFramebuffers();

    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    uint32_t m_DrawFramebuffer = 0;
    uint32_t m_DrawColor = 0;
    uint32_t m_DrawDepth = 0;
    uint32_t m_PresentedFramebuffer = 0;
    uint32_t m_PresentedColor = 0;
};

} // namespace platform
