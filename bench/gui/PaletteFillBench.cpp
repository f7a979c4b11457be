// The course editor's palette filled as a category change fills it: the grid emptied, one picture cell a
// record of the "Stunts" category made from its picture file, and the next frame drawn, on the headless
// OpenGL device. The pictures are the editor's own, 110 by 82 and so placed in the shared texture atlas,
// beside the same drawings cut to 64 by 64, which get textures of their own as the palette's pictures did
// when they were that size.
// In the game the interface's own odd-sized pictures (its buttons) hold the first atlas page, already on
// the device, and a fill's pictures join it while it has room: FillRatio, where that page is put back
// untimed whenever it is full. Once it is full, every fill opens a page of its own, which goes to the device
// whole: FreshPageFillRatio. Each ratio is the named pictures' fill time over the square pictures'.

#include "bench/support/HeadlessGL.h"
#include "bench/support/TimeRatio.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGridParams.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTextureAtlas.h"
#include "tools/guigen/PalettePictures.h"
#include "tools/worldgen/EditorContent.h"

#include "platform/gfx/GfxDevice.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr uint32_t kSquare = 64;
// An interface picture of the atlas's first page, as large as the game's widest button.
constexpr uint32_t kResidentWidth = 180;
constexpr uint32_t kResidentHeight = 28;
constexpr float kFrameTime = 0.016f;
constexpr const char* kCategory = "Stunts";

class Palette
{
public:
    // With a shared page, an interface picture holds the atlas's first page the whole time.
    explicit Palette(bool sharedPage)
    {
        m_GL.Start("PaletteFillBench");
        if (m_GL.Manager() == nullptr || m_GL.Manager()->GetDevice() == nullptr)
            return;
        for (const EditorContent::PaletteEntry& entry : EditorContent::PaletteEntries())
        {
            if (std::string(entry.category) != kCategory)
                continue;
            const std::vector<uint8_t> texels = guigen::PaletteTexels(entry.id);
            std::vector<uint8_t> square(std::size_t(kSquare) * kSquare * 4);
            for (uint32_t y = 0; y < kSquare; ++y)
                for (uint32_t x = 0; x < kSquare * 4; ++x)
                    square[std::size_t(y) * kSquare * 4 + x] =
                        texels[std::size_t(y) * guigen::kPaletteWidth * 4 + x];
            if (!_Write(m_Named, std::string(entry.id) + ".tga", guigen::kPaletteWidth,
                        guigen::kPaletteHeight, texels) ||
                !_Write(m_Squares, std::string(entry.id) + "-square.tga", kSquare, kSquare, square))
                return;
        }
        m_Manager.SetFrameCallback([] { return true; });
        m_Window = new guiWindow("palette bench", guiCoordPair::Pixels(0, 0),
                                 guiCoordPair::Pixels(HeadlessGL::kWidth, HeadlessGL::kHeight), 9);
        float left = 4.0f;
        for (guiGrid** grid : {&m_NamedGrid, &m_SquareGrid})
        {
            const int32_t width = guigen::kPaletteWidth + 2 * guigen::kPaletteCellBorder;
            guiGridParams params(1, guigen::kPaletteHeight + guigen::kPaletteCellBorder, 1, {width});
            params.borderWidth = guigen::kPaletteCellBorder;
            params.position = guiCoordPair::Pixels(left, 4.0f);
            *grid = new guiGrid(params);
            (*grid)->SetSize(guiCoordPair::Pixels(float(width), float(HeadlessGL::kHeight - 8)));
            m_Window->AddChild(*grid);
            left += 200.0f;
        }
        if (sharedPage)
        {
            std::vector<uint8_t> button(std::size_t(kResidentWidth) * kResidentHeight * 4, 0xA0);
            if (!_Write(m_Resident, "button.tga", kResidentWidth, kResidentHeight, button))
                return;
            m_Button = new guiImage(m_Resident.front(), int32_t(left), 4, 0, 0);
            m_Window->AddChild(m_Button);
        }
        m_Manager.AddWindow(m_Window);
        m_Manager.ShowWindow(m_Window, false);
        // The files are read once, as the game's image cache keeps them after the first fill.
        FillNamed();
        FillSquares();
        m_Ready = m_NamedGrid->GetCell(int32_t(m_Named.size()) - 1, 0) != nullptr &&
                  m_SquareGrid->GetCell(int32_t(m_Squares.size()) - 1, 0) != nullptr &&
                  (!sharedPage || m_Button->GetTexture() != nullptr);
    }

    ~Palette()
    {
        if (m_Window != nullptr)
            m_Manager.RemoveWindow(m_Window);
        for (const auto* files : {&m_Named, &m_Squares, &m_Resident})
            for (const std::string& file : *files)
                std::remove(file.c_str());
        m_GL.Stop();
    }

    bool IsReady() const { return m_Ready; }

    void FillNamed() { _Fill(*m_NamedGrid, m_Named); }
    void FillSquares() { _Fill(*m_SquareGrid, m_Squares); }

    // The shared page made again, and drawn, when the next fill would not fit on it.
    void KeepRoomOnTheSharedPage()
    {
        if (m_Button == nullptr || _SharedPageTakesAFill())
            return;
        m_NamedGrid->Clear(false);
        m_Button->SetFilename("", false);
        m_Button->SetFilename(m_Resident.front(), false);
        _Draw();
    }

private:
    bool _Write(std::vector<std::string>& files, const std::string& name, uint32_t width, uint32_t height,
                const std::vector<uint8_t>& texels)
    {
        kaTGAImage picture;
        files.push_back(m_GL.Folder() + "/" + name);
        return picture.Create(width, height, 32, 8, texels.data()) && picture.Save(files.back(), false);
    }

    bool _SharedPageTakesAFill()
    {
        const std::vector<kaTextureAtlas::Page>& pages = m_GL.Manager()->GetTextureAtlas().GetPages();
        if (pages.empty())
            return false;
        kaTextureAtlas::Page page = pages.front();
        uint32_t x = 0;
        uint32_t y = 0;
        for (std::size_t i = 0; i < m_Named.size(); ++i)
            if (!kaTextureAtlas::Fit(page, guigen::kPaletteWidth, guigen::kPaletteHeight, x, y))
                return false;
        return true;
    }

    // What a category change does: the old cells go, a cell for each picture, and the frame that shows them.
    void _Fill(guiGrid& grid, const std::vector<std::string>& files)
    {
        grid.Clear(false);
        int32_t row = 0;
        for (const std::string& file : files)
        {
            guiImageParams picture;
            picture.filename = file;
            grid.SetCell(row++, 0, new guiImage(picture));
        }
        _Draw();
    }

    void _Draw()
    {
        m_Manager.Update(kFrameTime);
        m_GL.Manager()->UpdateSceneObjects(kFrameTime);
        m_GL.Manager()->Render(false, false);
        glFinish();
    }

    HeadlessGL m_GL;
    guiManager m_Manager;
    guiWindow* m_Window = nullptr;
    guiGrid* m_NamedGrid = nullptr;
    guiGrid* m_SquareGrid = nullptr;
    guiImage* m_Button = nullptr;
    std::vector<std::string> m_Named;
    std::vector<std::string> m_Squares;
    std::vector<std::string> m_Resident;
    bool m_Ready = false;
};

bool Prepare(const Palette& palette, benchmark::State& state)
{
    if (palette.IsReady())
        return true;
    state.SkipWithError("no headless OpenGL device, or the pictures did not load");
    return false;
}

void NamedPictureFill(benchmark::State& state)
{
    Palette palette(true);
    if (!Prepare(palette, state))
        return;
    for (auto _ : state)
    {
        state.PauseTiming();
        palette.KeepRoomOnTheSharedPage();
        state.ResumeTiming();
        palette.FillNamed();
    }
}
BENCHMARK(NamedPictureFill)->Unit(benchmark::kMillisecond)->UseRealTime();

void NamedPictureFillOnAFreshPage(benchmark::State& state)
{
    Palette palette(false);
    if (!Prepare(palette, state))
        return;
    for (auto _ : state)
        palette.FillNamed();
}
BENCHMARK(NamedPictureFillOnAFreshPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void SquarePictureFill(benchmark::State& state)
{
    Palette palette(false);
    if (!Prepare(palette, state))
        return;
    for (auto _ : state)
        palette.FillSquares();
}
BENCHMARK(SquarePictureFill)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both fills in each iteration; the counter is the named pictures' time over the square pictures' time.
void FillRatio(benchmark::State& state)
{
    Palette palette(true);
    if (!Prepare(palette, state))
        return;
    TimeRatio(
        state, [&] { palette.KeepRoomOnTheSharedPage(); }, [&] { palette.FillNamed(); },
        [&] { palette.FillSquares(); });
}
BENCHMARK(FillRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

void FreshPageFillRatio(benchmark::State& state)
{
    Palette palette(false);
    if (!Prepare(palette, state))
        return;
    TimeRatio(
        state, [&] { palette.FillNamed(); }, [&] { palette.FillSquares(); });
}
BENCHMARK(FreshPageFillRatio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
