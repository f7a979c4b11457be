#include "platform/gfx/GLContext.h"

#include "platform/gfx/GLHeaders.h"
#include "platform/window/SdlWindowBackend.h"

#define EGL_NO_X11 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <cstring>
#include <vector>

namespace platform
{

namespace
{
GLContext* g_Current = nullptr;
}

GLContext::~GLContext()
{
    if (g_Current == this)
        g_Current = nullptr;
}

bool GLContext::Activate()
{
    if (g_Current == this)
        return true;
    if (!MakeCurrent())
        return false;
    g_Current = this;
    return true;
}

void GLContext::DeleteFramebuffers()
{
    if (m_DrawFramebuffer)
        glDeleteFramebuffers(1, &m_DrawFramebuffer);
    if (m_PresentedFramebuffer)
        glDeleteFramebuffers(1, &m_PresentedFramebuffer);
    const GLuint renderbuffers[] = {m_DrawColor, m_DrawDepth, m_PresentedColor};
    for (GLuint name : renderbuffers)
        if (name)
            glDeleteRenderbuffers(1, &name);
    m_DrawFramebuffer = m_PresentedFramebuffer = m_DrawColor = m_DrawDepth = m_PresentedColor = 0;
}

bool GLContext::SetBackBufferSize(uint32_t width, uint32_t height)
{
    DeleteFramebuffers();
    m_Width = width;
    m_Height = height;
    auto makeRenderbuffer = [&](GLenum format)
    {
        GLuint name = 0;
        glGenRenderbuffers(1, &name);
        glBindRenderbuffer(GL_RENDERBUFFER, name);
        glRenderbufferStorage(GL_RENDERBUFFER, format, static_cast<GLsizei>(width),
                              static_cast<GLsizei>(height));
        return name;
    };
    m_PresentedColor = makeRenderbuffer(GL_RGBA8);
    glGenFramebuffers(1, &m_PresentedFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_PresentedFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_PresentedColor);
    const bool presentedOk = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // Nothing shown yet reads back black.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    m_DrawColor = makeRenderbuffer(GL_RGBA8);
    m_DrawDepth = makeRenderbuffer(GL_DEPTH24_STENCIL8);
    glGenFramebuffers(1, &m_DrawFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_DrawFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_DrawColor);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_DrawDepth);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_DrawDepth);
    return presentedOk && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GLContext::BindDrawFramebuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_DrawFramebuffer);
}

void GLContext::KeepFrame()
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_DrawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_PresentedFramebuffer);
    const GLint w = static_cast<GLint>(m_Width), h = static_cast<GLint>(m_Height);
    // Blits obey the scissor, which the device leaves at the viewport.
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, m_DrawFramebuffer);
}

void GLContext::ReadPresented(uint8_t* rows) const
{
    std::vector<uint8_t> pixels(static_cast<size_t>(m_Width) * m_Height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_PresentedFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, static_cast<GLsizei>(m_Width), static_cast<GLsizei>(m_Height), GL_BGRA,
                 GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_DrawFramebuffer);
    // GL rows run bottom up.
    for (uint32_t y = 0; y < m_Height; ++y)
    {
        const uint8_t* in = &pixels[static_cast<size_t>(m_Height - 1 - y) * m_Width * 4];
        uint8_t* out = rows + static_cast<size_t>(y) * m_Width * 3;
        for (uint32_t x = 0; x < m_Width; ++x)
        {
            out[x * 3] = in[x * 4];
            out[x * 3 + 1] = in[x * 4 + 1];
            out[x * 3 + 2] = in[x * 4 + 2];
        }
    }
}

namespace
{

class SurfacelessContext : public GLContext
{
public:
    ~SurfacelessContext() override
    {
        if (m_Display == EGL_NO_DISPLAY)
            return;
        if (m_Context != EGL_NO_CONTEXT)
        {
            eglMakeCurrent(m_Display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_Context);
            DeleteFramebuffers();
            eglMakeCurrent(m_Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(m_Display, m_Context);
        }
        // The display stays initialised: EGL counts no references, and other contexts may still use it.
    }

    bool Start(std::string& error)
    {
        auto getPlatformDisplay =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay)
        {
            error = "EGL has no platform displays";
            return false;
        }
        m_Display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (m_Display == EGL_NO_DISPLAY || !eglInitialize(m_Display, nullptr, nullptr))
        {
            m_Display = EGL_NO_DISPLAY;
            error = "no surfaceless EGL display";
            return false;
        }
        if (!eglBindAPI(EGL_OPENGL_API))
        {
            error = "EGL cannot bind desktop OpenGL";
            return false;
        }
        const EGLint attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        const bool chosen = eglChooseConfig(m_Display, attributes, &config, 1, &count) && count > 0;
        m_Context = eglCreateContext(m_Display, chosen ? config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
        if (m_Context == EGL_NO_CONTEXT)
        {
            error = "no EGL OpenGL context";
            return false;
        }
        return MakeCurrent();
    }

    bool MakeCurrent() override
    {
        return eglMakeCurrent(m_Display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_Context) == EGL_TRUE;
    }

    void Swap(uint32_t, uint32_t) override { glFlush(); }
    bool IsWindowed() const override { return false; }

private:
    EGLDisplay m_Display = EGL_NO_DISPLAY;
    EGLContext m_Context = EGL_NO_CONTEXT;
};

class WindowContext : public GLContext
{
public:
    explicit WindowContext(SDL_Window* window) : m_Window(window) {}

    // Once the window is gone with SDL, or its display is lost, the context went with them: nothing is
    // left to release, and calling SDL or GL then would wait on a dead display.
    ~WindowContext() override
    {
        if (m_Context && WindowLive())
        {
            SDL_GL_MakeCurrent(m_Window, m_Context);
            DeleteFramebuffers();
            SDL_GL_MakeCurrent(m_Window, nullptr);
            SDL_GL_DeleteContext(m_Context);
        }
    }

    bool Start(std::string& error)
    {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        m_Context = SDL_GL_CreateContext(m_Window);
        if (!m_Context)
        {
            error = SDL_GetError();
            return false;
        }
        return MakeCurrent();
    }

    bool MakeCurrent() override { return WindowLive() && SDL_GL_MakeCurrent(m_Window, m_Context) == 0; }

    void Swap(uint32_t width, uint32_t height) override
    {
        if (!WindowLive())
            return;
        int windowWidth = 0, windowHeight = 0;
        SDL_GL_GetDrawableSize(m_Window, &windowWidth, &windowHeight);
        // The back buffer is stretched over the window, as a full-screen or resized window shows it.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_PresentedFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glBlitFramebuffer(0, 0, static_cast<GLint>(width), static_cast<GLint>(height), 0, 0, windowWidth,
                          windowHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glEnable(GL_SCISSOR_TEST);
        SDL_GL_SwapWindow(m_Window);
        glBindFramebuffer(GL_FRAMEBUFFER, m_DrawFramebuffer);
    }

    bool IsWindowed() const override { return true; }

    void SetFullScreen(bool fullScreen) override
    {
        if (WindowLive())
            SDL_SetWindowFullscreen(m_Window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }

private:
    bool WindowLive() const { return GetSdlWindowBackend().IsLive(m_Window); }

    SDL_Window* m_Window;
    SDL_GLContext m_Context = nullptr;
};

} // namespace

std::unique_ptr<GLContext> GLContext::CreateSurfaceless(std::string& error)
{
    auto context = std::make_unique<SurfacelessContext>();
    if (!context->Start(error))
        return nullptr;
    return context;
}

std::unique_ptr<GLContext> GLContext::CreateForWindow(void* sdlWindow, std::string& error)
{
    if (!sdlWindow)
    {
        error = "no window";
        return nullptr;
    }
    auto context = std::make_unique<WindowContext>(static_cast<SDL_Window*>(sdlWindow));
    if (!context->Start(error))
        return nullptr;
    return context;
}

} // namespace platform
