// A window of 200 widgets, 100 textured images and 100 text lines of 20 characters, drawn each frame through
// the GUI manager and the graphics manager's render pass on the headless OpenGL device, beside plain GL
// drawing the same image quads and glyph quads with the same texels, one indexed draw per widget as the
// window draws them. Before timing, both frames are read back and the benchmark refuses to run when they
// differ by more than 2/255 anywhere. FrameRatio reports GUI time over plain GL time.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaVertexTypes.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace platform;

namespace
{

constexpr int kImages = 100;
constexpr int kLines = 100;
constexpr uint32_t kWidth = HeadlessGL::kWidth;
constexpr uint32_t kHeight = HeadlessGL::kHeight;
constexpr uint32_t kPicture = 24;
constexpr float kFrameTime = 0.016f;
constexpr GfxColor kClearColor = 0xFF202830;
const char* const kFontFile = TARVOLIN_CONTENT_DIR "/UI/fonts/barmeno10m.kaff";

// Opaque stripes, four bytes a texel (B, G, R, A).
std::vector<uint8_t> MakeTexels()
{
    std::vector<uint8_t> texels(kPicture * kPicture * 4);
    for (uint32_t y = 0; y < kPicture; ++y)
        for (uint32_t x = 0; x < kPicture; ++x)
        {
            uint8_t* texel = &texels[(y * kPicture + x) * 4];
            texel[0] = static_cast<uint8_t>(40 + x * 8);
            texel[1] = static_cast<uint8_t>(200 - y * 6);
            texel[2] = static_cast<uint8_t>((x + y) % 3 == 0 ? 230 : 90);
            texel[3] = 0xFF;
        }
    return texels;
}

// Twenty characters, different on every line.
std::string LineText(int i)
{
    char text[32];
    std::snprintf(text, sizeof text, "Lap %03d split %05.2fs", i, 17.0 + i * 0.37);
    return std::string(text).substr(0, 20);
}

// One widget's quads as plain GL draws them.
struct PlainBatch
{
    GLuint texture = 0;
    std::vector<VERTEX_SCREENPOS_DIFFUSE_UV> vertices;
    std::vector<uint16_t> indices;
};

// The texels of a texture's first level as 8-bit B, G, R, A.
bool ReadTexels(kaTexture* texture, std::vector<uint8_t>& texels, uint32_t& width, uint32_t& height)
{
    SurfaceDesc desc;
    if (texture == nullptr || texture->GetTexture() == nullptr ||
        GfxFailed(texture->GetTexture()->GetLevelDesc(0, &desc)))
        return false;
    width = desc.Width;
    height = desc.Height;
    LockedRect locked;
    if (GfxFailed(texture->LockRect(0, &locked, nullptr, LOCK_READONLY)))
        return false;
    texels.assign(std::size_t(width) * height * 4, 0);
    bool known = true;
    for (uint32_t y = 0; y < height && known; ++y)
    {
        const auto* row = static_cast<const uint8_t*>(locked.Bits) + std::size_t(y) * locked.Pitch;
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* out = &texels[(std::size_t(y) * width + x) * 4];
            if (desc.Format == FMT_A8R8G8B8)
                std::copy(row + x * 4, row + x * 4 + 4, out);
            else if (desc.Format == FMT_A4R4G4B4)
            {
                const uint16_t texel = static_cast<uint16_t>(row[x * 2] | row[x * 2 + 1] << 8);
                for (int c = 0; c < 4; ++c)
                    out[c] = static_cast<uint8_t>(((texel >> (4 * c)) & 0xF) * 17);
            }
            else
                known = false;
        }
    }
    texture->UnlockRect(0);
    return known;
}

GLuint MakeGLTexture(const std::vector<uint8_t>& texels, uint32_t width, uint32_t height)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// The window registered with a GUI manager whose adapter the graphics manager draws; and the same quads in
// plain GL textures and arrays on the device's context.
class Desk
{
public:
    Desk()
    {
        m_GL.Start("GuiBench");
        if (m_GL.Manager() == nullptr || m_GL.Manager()->GetDevice() == nullptr)
            return;
        m_GL.Manager()->SetClearColor(kClearColor);
        m_Font = m_GL.Manager()->LoadFont(kFontFile, "bar10m");
        m_PictureFile = m_GL.Folder() + "/stripes.tga";
        const std::vector<uint8_t> texels = MakeTexels();
        kaTGAImage picture;
        picture.Create(kPicture, kPicture, 32, 8, texels.data());
        picture.Save(m_PictureFile, false);

        m_Manager.SetFrameCallback([] { return true; });
        m_Window =
            new guiWindow("bench", guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(kWidth, kHeight), 9);
        for (int i = 0; i < kImages; ++i)
        {
            auto* image = new guiImage(m_PictureFile, 10 + (i % 10) * 26, 10 + (i / 10) * 26, 0, 0);
            m_Images.push_back(image);
            m_Window->AddChild(image);
        }
        for (int i = 0; i < kLines; ++i)
        {
            auto* line =
                new guiText("bar10m", LineText(i),
                            guiCoordPair::Pixels(float(280 + (i / 34) * 120), float(2 + (i % 34) * 14)));
            line->SetColor(kaColor::kaColorClamped(1.0f, 0.9f - 0.004f * i, 0.5f, 1.0f));
            m_Lines.push_back(line);
            m_Window->AddChild(line);
        }
        m_Manager.AddWindow(m_Window);
        m_Manager.ShowWindow(m_Window, false);
        DrawThroughGui();
        _BuildPlain();
    }

    ~Desk()
    {
        for (const PlainBatch& batch : m_Plain)
            glDeleteTextures(1, &batch.texture);
        std::remove(m_PictureFile.c_str());
        m_Manager.RemoveWindow(m_Window);
        m_GL.Stop();
    }

    bool IsReady() const { return m_Font != nullptr && m_Plain.size() == std::size_t(kImages + kLines); }

    void DrawThroughGui()
    {
        m_Manager.Update(kFrameTime);
        m_GL.Manager()->UpdateSceneObjects(kFrameTime);
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    void DrawPlain()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(float((kClearColor >> 16) & 0xFF) / 255.0f, float((kClearColor >> 8) & 0xFF) / 255.0f,
                     float(kClearColor & 0xFF) / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        // Pixels to clip space, with the pixel centres where Direct3D 9 has them.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glTranslatef(1.0f / kWidth - 1.0f, 1.0f - 1.0f / kHeight, 0.0f);
        glScalef(2.0f / kWidth, -2.0f / kHeight, 1.0f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        const GLsizei stride = sizeof(VERTEX_SCREENPOS_DIFFUSE_UV);
        for (const PlainBatch& batch : m_Plain)
        {
            glBindTexture(GL_TEXTURE_2D, batch.texture);
            glVertexPointer(2, GL_FLOAT, stride, &batch.vertices[0].x);
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, &batch.vertices[0].diffuse);
            glTexCoordPointer(2, GL_FLOAT, stride, &batch.vertices[0].u);
            glDrawElements(GL_TRIANGLES, GLsizei(batch.indices.size()), GL_UNSIGNED_SHORT,
                           batch.indices.data());
        }
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_SCISSOR_TEST);
        m_GL.Manager()->GetDevice()->Present();
        glFinish();
    }

    // The largest difference of any channel between the two frames, or 256 when one could not be read.
    int CompareFrames()
    {
        FrameCapture gui, plain;
        DrawThroughGui();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&gui)))
            return 256;
        DrawPlain();
        if (GfxFailed(m_GL.Manager()->GetDevice()->CaptureFrame(&plain)))
            return 256;
        if (gui.Rows.size() != plain.Rows.size() || gui.Rows.empty())
            return 256;
        int largest = 0;
        for (std::size_t i = 0; i < gui.Rows.size(); ++i)
            largest = std::max(largest, std::abs(int(gui.Rows[i]) - int(plain.Rows[i])));
        return largest;
    }

private:
    static void AddQuad(PlainBatch& batch, const VERTEX_SCREENPOS_DIFFUSE_UV (&corners)[4])
    {
        const auto first = static_cast<uint16_t>(batch.vertices.size());
        batch.vertices.insert(batch.vertices.end(), corners, corners + 4);
        for (uint16_t index : {0, 1, 2, 0, 3, 1})
            batch.indices.push_back(static_cast<uint16_t>(first + index));
    }

    void _BuildPlain()
    {
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        std::vector<uint8_t> texels;
        uint32_t width = 0, height = 0;
        if (m_Images.empty() || !ReadTexels(m_Images.front()->GetTexture(), texels, width, height))
            return;
        const GLuint picture = MakeGLTexture(texels, width, height);
        if (m_Font == nullptr || !ReadTexels(m_Font->GetTexture(), texels, width, height))
            return;
        const GLuint page = MakeGLTexture(texels, width, height);
        for (const guiImage* image : m_Images)
        {
            PlainBatch batch;
            batch.texture = picture;
            AddQuad(batch, image->GetVertices());
            m_Plain.push_back(batch);
        }
        // Each character's quad as the text glyph writes it: its cell rounded to pixels, shifted half a
        // pixel.
        for (const guiText* line : m_Lines)
        {
            PlainBatch batch;
            batch.texture = page;
            const kaColor& c = line->GetColor();
            auto channel = [](float value) { return static_cast<uint32_t>(value * 255.0f) & 0xFF; };
            const uint32_t color = channel(c.a) << 24 | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
            for (const guiText::CharRecord& record : line->GetCharRecords())
            {
                if (record.width <= 0.0f)
                    continue;
                const float left = float(int32_t(record.left)) + 0.5f;
                const float top = float(int32_t(record.top)) + 0.5f;
                const float right = float(int32_t(record.left + record.width + 0.5f)) + 0.5f;
                const float bottom = float(int32_t(record.top + record.height + 0.5f)) + 0.5f;
                const float* t = record.tex;
                const VERTEX_SCREENPOS_DIFFUSE_UV corners[4] = {{left, top, 1, 1, color, t[0], t[1]},
                                                                {right, bottom, 1, 1, color, t[2], t[3]},
                                                                {left, bottom, 1, 1, color, t[0], t[3]},
                                                                {right, top, 1, 1, color, t[2], t[1]}};
                AddQuad(batch, corners);
            }
            m_Plain.push_back(batch);
        }
    }

    HeadlessGL m_GL;
    guiManager m_Manager;
    kaFont* m_Font = nullptr;
    std::string m_PictureFile;
    guiWindow* m_Window = nullptr;
    std::vector<guiImage*> m_Images;
    std::vector<guiText*> m_Lines;
    std::vector<PlainBatch> m_Plain;
    GLuint m_Framebuffer = 0;
};

bool Prepare(Desk& desk, benchmark::State& state)
{
    if (!desk.IsReady())
    {
        state.SkipWithError("no headless OpenGL device or no generated font");
        return false;
    }
    const int difference = desk.CompareFrames();
    state.counters["pixel_difference"] = difference;
    if (difference > 2)
    {
        state.SkipWithError("the GUI frame and the plain GL frame differ");
        return false;
    }
    return true;
}

void GuiFrame(benchmark::State& state)
{
    Desk desk;
    if (!Prepare(desk, state))
        return;
    for (auto _ : state)
        desk.DrawThroughGui();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(GuiFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void PlainGLGuiFrame(benchmark::State& state)
{
    Desk desk;
    if (!Prepare(desk, state))
        return;
    for (auto _ : state)
        desk.DrawPlain();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(PlainGLGuiFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both paths in each iteration; the counter is GUI time over plain GL time.
void FrameRatio(benchmark::State& state)
{
    Desk desk;
    if (!Prepare(desk, state))
        return;
    TimeRatio(
        state, [&] { desk.DrawThroughGui(); }, [&] { desk.DrawPlain(); });
}
BENCHMARK(FrameRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
