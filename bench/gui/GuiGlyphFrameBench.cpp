// A GUI frame of 1,000 glyphs (25 lines of 40 characters in an interface font, in one window of the GUI
// manager) through the graphics manager's render pass on the headless OpenGL device, beside plain GL
// drawing the same 1,000 textured quads (each character's rectangle and font-page coordinates, the page's
// texels copied) on the same context. Before timing each benchmark reads both frames back and refuses to
// run when they differ by more than 2/255. GlyphFrameRatio reports render-pass time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaTexture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
constexpr int kLines = 25;
constexpr int kColumns = 40;

// 25 lines of 40 printable characters, no blanks, so that every character is a quad.
std::string Text()
{
    std::string text;
    for (int line = 0; line < kLines; ++line)
    {
        for (int column = 0; column < kColumns; ++column)
            text += static_cast<char>('A' + (line * 7 + column) % 26 + ((column % 3 == 0) ? 32 : 0));
        if (line + 1 < kLines)
            text += '\n';
    }
    return text;
}

struct Quad
{
    float x, y, z;
    uint32_t colour;
    float u, v;
};

class Scene
{
public:
    Scene()
    {
        if (!m_GL.Start("GuiGlyphBench") || !m_GL.Manager()->GetDevice())
            return;
        m_GL.Manager()->SetClearColor(0xFF000000);
        m_Manager.SetFrameCallback([] { return true; });
        m_Font =
            m_GL.Manager()->LoadFont(std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/barmeno10m.kaff", "bar10m");
        if (!m_Font)
            return;
        m_Window =
            new guiWindow("glyphs", guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(kWidth, kHeight), 1 | 8);
        m_Text = new guiText("bar10m", Text(), guiCoordPair::Pixels(4, 4));
        m_Window->AddChild(m_Text);
        m_Manager.AddWindow(m_Window);
        DrawThroughRenderPass();
        m_Ready = m_Text->GetQuadCount() == kLines * kColumns && _BuildPlain();
    }

    ~Scene()
    {
        glDeleteBuffers(1, &m_Vertices);
        glDeleteBuffers(1, &m_Indices);
        glDeleteTextures(1, &m_Texture);
        if (m_Window)
            m_Manager.RemoveWindow(m_Window);
        m_GL.Stop();
    }

    bool IsReady() const { return m_Ready; }

    void DrawThroughRenderPass()
    {
        m_Manager.Update(0.0f);
        m_GL.Manager()->UpdateSceneObjects(0.0f);
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    // The same quads in pixels, textured by the font page and blended, in plain GL.
    void DrawPlain()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, kWidth, kHeight);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        // Pixel (x, y) half a pixel in, as the device places pre-transformed vertices.
        const float w = float(kWidth), h = float(kHeight);
        const float pixels[16] = {
            2.0f / w, 0, 0, 0, 0, -2.0f / h, 0, 0, 0, 0, 2.0f, 0, 1.0f / w - 1.0f, 1.0f - 1.0f / h, -1.0f, 1};
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(pixels);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, m_Texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glBindBuffer(GL_ARRAY_BUFFER, m_Vertices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(Quad), nullptr);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Quad), reinterpret_cast<const void*>(12));
        glTexCoordPointer(2, GL_FLOAT, sizeof(Quad), reinterpret_cast<const void*>(16));
        glDrawElements(GL_TRIANGLES, m_IndexCount, GL_UNSIGNED_SHORT, nullptr);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glEnable(GL_SCISSOR_TEST);
        m_GL.Manager()->GetDevice()->Present();
        glFinish();
    }

    // A plain frame, then the render pass and the plain frame again, the last two compared: the largest
    // difference of any channel, or 256 when a frame could not be read.
    int CompareFrames()
    {
        FrameCapture pass, plain;
        DrawPlain();
        DrawThroughRenderPass();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&pass)))
            return 256;
        DrawPlain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (pass.Rows.size() != plain.Rows.size() || pass.Rows.empty())
            return 256;
        int largest = 0;
        for (size_t i = 0; i < pass.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(pass.Rows[i]) - int(plain.Rows[i])));
        return largest;
    }

private:
    // Each character's rectangle in whole pixels with its page coordinates, as quads of four corners,
    // and the font page's texels.
    bool _BuildPlain()
    {
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        std::vector<Quad> quads;
        std::vector<uint16_t> indices;
        for (const guiText::CharRecord& record : m_Text->GetCharRecords())
        {
            if (record.width <= 0.0f)
                continue;
            const float left = float(int32_t(record.left)) + 0.5f, top = float(int32_t(record.top)) + 0.5f;
            const float right = float(int32_t(record.left + record.width + 0.5f)) + 0.5f;
            const float bottom = float(int32_t(record.top + record.height + 0.5f)) + 0.5f;
            const float u0 = record.tex[0], v0 = record.tex[1], u1 = record.tex[2], v1 = record.tex[3];
            const auto first = static_cast<uint16_t>(quads.size());
            quads.push_back({left, top, 1.0f, 0xFFFFFFFFu, u0, v0});
            quads.push_back({right, bottom, 1.0f, 0xFFFFFFFFu, u1, v1});
            quads.push_back({left, bottom, 1.0f, 0xFFFFFFFFu, u0, v1});
            quads.push_back({right, top, 1.0f, 0xFFFFFFFFu, u1, v0});
            for (uint16_t index : {0, 1, 2, 0, 3, 1})
                indices.push_back(static_cast<uint16_t>(first + index));
        }
        m_IndexCount = static_cast<GLsizei>(indices.size());
        glGenBuffers(1, &m_Vertices);
        glBindBuffer(GL_ARRAY_BUFFER, m_Vertices);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(quads.size() * sizeof(Quad)), quads.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glGenBuffers(1, &m_Indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * 2), indices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

        kaTexture* page = m_Text->GetFont();
        GfxTexture* device = page ? page->GetTexture() : nullptr;
        if (!device || page->IsInAtlas() || device->GetFormat() != FMT_A8R8G8B8)
            return false;
        SurfaceDesc desc;
        LockedRect locked;
        if (GfxFailed(device->GetLevelDesc(0, &desc)) ||
            GfxFailed(device->LockRect(0, &locked, nullptr, LOCK_READONLY)))
            return false;
        glGenTextures(1, &m_Texture);
        // Locking and unlocking may bind the device's own texture: ours is bound after each.
        glBindTexture(GL_TEXTURE_2D, m_Texture);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, locked.Pitch / 4);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(desc.Width), GLsizei(desc.Height), 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, locked.Bits);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        device->UnlockRect(0);
        glBindTexture(GL_TEXTURE_2D, m_Texture);
        uint32_t minFilter = TEXF_POINT, magFilter = TEXF_POINT;
        m_GL.Manager()->GetDevice()->GetSamplerState(0, SAMP_MINFILTER, &minFilter);
        m_GL.Manager()->GetDevice()->GetSamplerState(0, SAMP_MAGFILTER, &magFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        minFilter == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        magFilter == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
        return true;
    }

    HeadlessGL m_GL;
    guiManager m_Manager;
    kaFont* m_Font = nullptr;
    guiWindow* m_Window = nullptr;
    guiText* m_Text = nullptr;
    GLuint m_Framebuffer = 0;
    GLuint m_Vertices = 0;
    GLuint m_Indices = 0;
    GLsizei m_IndexCount = 0;
    GLuint m_Texture = 0;
    bool m_Ready = false;
};

bool Prepare(Scene& scene, benchmark::State& state)
{
    if (!scene.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no generated font");
        return false;
    }
    const int difference = scene.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the render pass and the plain GL frame differ");
        return false;
    }
    return true;
}

void GlyphFrame(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawThroughRenderPass();
}
BENCHMARK(GlyphFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void PlainGLGlyphFrame(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    for (auto _ : state)
        scene.DrawPlain();
}
BENCHMARK(PlainGLGlyphFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both in each iteration; the counter is render-pass time over plain GL time.
void GlyphFrameRatio(benchmark::State& state)
{
    Scene scene;
    if (!Prepare(scene, state))
        return;
    TimeRatio(
        state, [&] { scene.DrawThroughRenderPass(); }, [&] { scene.DrawPlain(); });
}
BENCHMARK(GlyphFrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
