#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaRotationOnlyBillboard.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"
#include "engine/terrain/kaTerrain.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/TempDir.h"
#include "tools/terraingen/TerrainSamples.h"
#include "tools/worldgen/SampleWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

using namespace platform;

namespace
{

// The world's own render pass, as the game's frame runs it.
class WorldPass : public ka3DObject
{
public:
    void Render(uint32_t flag) override
    {
        if (m_pWorld)
            m_pWorld->Render(flag);
    }
    kaWorld* m_pWorld = nullptr;
};

struct CourseRgb
{
    int r, g, b;
};

// The generated map's ground at (x, z) of a terrain spanning the sample course, from the map's formula:
// flat between the three samples of the cell's triangle.
double GeneratedHeight(double x, double z)
{
    const uint32_t side = TerrainSamples::kMapSizes[0].side;
    const double cell = SampleWorld::kTerrainSide / double(side - 1);
    const auto sample = [side](int32_t col, int32_t row)
    {
        return 10.0 + double(TerrainSamples::HeightSample(uint32_t(col), uint32_t(row), side)) / 255.0 *
                          SampleWorld::kTerrainHeight;
    };
    const int32_t col = std::min(int32_t(x / cell), int32_t(side) - 2);
    const int32_t row = std::min(int32_t(z / cell), int32_t(side) - 2);
    const double dx = x / cell - col, dz = z / cell - row;
    if (dx + dz < 1.0)
        return sample(col, row) * (1.0 - dx - dz) + sample(col + 1, row) * dx + sample(col, row + 1) * dz;
    return sample(col + 1, row) * (1.0 - dz) + sample(col, row + 1) * (1.0 - dx) +
           sample(col + 1, row + 1) * (dx + dz - 1.0);
}

class TerrainCourseOpenGLTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    void SetUp() override
    {
        _ResetClockState();
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(kWidth, kHeight, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
        m_Manager->SetClearColor(0xFF000000);
        ASSERT_TRUE(m_Manager->AddSceneObject(&m_Pass, false));
    }

    void TearDown() override
    {
        m_Manager->DetachSceneObject(&m_Pass);
        m_World.reset();
        m_Graphics.Stop();
        _ResetClockState();
    }

    // Loads the course and draws one frame through the world from above the terrain's middle, looking
    // down at it with +Z up the screen.
    void LoadAndDraw(const char* course)
    {
        m_World = std::make_unique<kaWorld>();
        m_Pass.m_pWorld = m_World.get();
        m_World->LoadFile(course, false);
        ASSERT_NE(m_World->GetTerrain(), nullptr);
        kaCamera& camera = *m_World->GetCamera();
        camera.SetPosition(256.0f, 760.0f, 256.0f);
        camera.SetRotationAngles(1.5707964f, 0.0f, 0.0f);
        camera.Rotate();
        camera.SetAspect(float(kWidth) / float(kHeight));
        camera.UpdateProjection();
        m_Manager->Render(true, false);
        ASSERT_EQ(m_Manager->GetDevice()->CaptureFrame(&m_Frame), GFX_OK);
        ASSERT_EQ(m_Frame.Width, uint32_t(kWidth));
    }

    // The colour drawn at the ground sample (col, row).
    CourseRgb At(int32_t col, int32_t row)
    {
        const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
        const Vector3 screen = m_Manager->ProjectToScreen(terrain->GetVertexPosition(col, row));
        const size_t at = (size_t(screen.y) * kWidth + size_t(screen.x)) * 3;
        if (screen.x < 0 || screen.y < 0 || at + 2 >= m_Frame.Rows.size())
            return {-1, -1, -1};
        return {m_Frame.Rows[at + 2], m_Frame.Rows[at + 1], m_Frame.Rows[at]};
    }

    // Picks the ground along the ray through the pixel: the ground's generated height there, and the hit
    // back on that pixel.
    void ExpectPickedAtTheGeneratedHeight(float x, float y)
    {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        Vector3 far;
        m_World->GetCamera()->GetPickRay(far, Vector3(x, y, 1.0f));
        kaCollideInfo hit;
        ASSERT_TRUE(m_World->Pick(m_World->GetCamera()->GetPosition(), far, &hit, kaWorld::kPickTerrain));
        EXPECT_NEAR(hit.m_Point.y, GeneratedHeight(hit.m_Point.x, hit.m_Point.z), 0.05);
        const Vector3 back = m_Manager->ProjectToScreen(hit.m_Point);
        EXPECT_NEAR(back.x, x, 1.0f);
        EXPECT_NEAR(back.y, y, 1.0f);
    }

    // Turns the camera (pitch down, then turn about Y) and draws a frame.
    FrameCapture Turned(const Vector3& eye, float pitch, float turn)
    {
        kaCamera& camera = *m_World->GetCamera();
        camera.SetPosition(eye.x, eye.y, eye.z);
        camera.SetRotationAngles(pitch, turn, 0.0f);
        camera.Rotate();
        camera.UpdateProjection();
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        return frame;
    }

    static CourseRgb Pixel(const FrameCapture& frame, float x, float y)
    {
        const size_t at = (size_t(y) * frame.Width + size_t(x)) * 3;
        return {frame.Rows[at + 2], frame.Rows[at + 1], frame.Rows[at]};
    }

    // Pixels that differ between two frames in the square of half side `r` around (x, y).
    static int ChangedAround(const FrameCapture& a, const FrameCapture& b, float x, float y, int r)
    {
        int changed = 0;
        for (int py = int(y) - r; py <= int(y) + r; ++py)
            for (int px = int(x) - r; px <= int(x) + r; ++px)
            {
                if (px < 0 || py < 0 || px >= kWidth || py >= kHeight)
                    continue;
                const size_t at = (size_t(py) * kWidth + size_t(px)) * 3;
                changed += a.Rows[at] != b.Rows[at] || a.Rows[at + 1] != b.Rows[at + 1] ||
                           a.Rows[at + 2] != b.Rows[at + 2];
            }
        return changed;
    }

    testsupport::HeadlessGraphics m_Graphics{"TerrainCourseGL", 100, 100};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaGraphicsManager* m_Manager = nullptr;
    WorldPass m_Pass;
    std::unique_ptr<kaWorld> m_World;
    FrameCapture m_Frame;
};

TEST_F(TerrainCourseOpenGLTest, TheLayeredCourseShowsSandOnItsLowColumnsAndRockOnTheHighest)
{
    LoadAndDraw(SampleWorld::kLayeredCourseFile);
    const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
    ASSERT_NE(terrain, nullptr);
    ASSERT_EQ(terrain->GetLayerCount(), 3);
    ASSERT_NE(terrain->GetEdgeMesh(), nullptr);
    for (const auto& [col, row] : {std::pair{40, 60}, {100, 200}, {20, 240}})
    {
        const CourseRgb c = At(col, row);
        SCOPED_TRACE(std::to_string(col) + ", " + std::to_string(row) + ": " + std::to_string(c.r) + " " +
                     std::to_string(c.g) + " " + std::to_string(c.b));
        // Sand: red over green over blue.
        EXPECT_GT(c.r, c.g);
        EXPECT_GT(c.g, c.b + 30);
    }
    for (const auto& [col, row] : {std::pair{250, 60}, {245, 200}})
    {
        const CourseRgb c = At(col, row);
        SCOPED_TRACE(std::to_string(col) + ", " + std::to_string(row) + ": " + std::to_string(c.r) + " " +
                     std::to_string(c.g) + " " + std::to_string(c.b));
        // Rock: grey, well lit.
        EXPECT_GT(c.g, 60);
        EXPECT_LT(std::abs(c.r - c.g), 25);
        EXPECT_LT(std::abs(c.g - c.b), 25);
    }
    ExpectPickedAtTheGeneratedHeight(320.0f, 240.0f);
    ExpectPickedAtTheGeneratedHeight(200.0f, 100.0f);
}

TEST_F(TerrainCourseOpenGLTest, TheLayeredCourseHasItsSkySunAndWater)
{
    LoadAndDraw(SampleWorld::kLayeredCourseFile);
    auto* sky = dynamic_cast<kaSkyBox*>(m_World->GetSkyBox());
    auto* sun = dynamic_cast<kaSun*>(m_World->GetSun());
    auto* water = dynamic_cast<kaEntityWaterPlane*>(m_World->GetWaterPlane());
    ASSERT_NE(sky, nullptr);
    ASSERT_NE(sun, nullptr);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(sky->GetCloudPlanes().size(), 1u);
    ASSERT_EQ(sun->GetFlareLayers().size(), 2u);
    // The sun lights the course: its one light is in the world's list.
    const auto& lights = m_World->GetLights();
    EXPECT_EQ(std::count(lights.begin(), lights.end(), sun->GetLight()), 1);
    // Saved again, the course is the same bytes: the water's level, the cloud plane and the layers' scales
    // come back as written.
    testsupport::TempDir folder;
    ASSERT_TRUE(m_World->SaveFile(folder.File("again.xml"), false));
    std::string original;
    ASSERT_TRUE(platform::ReadWholeFile(SampleWorld::kLayeredCourseFile, original, 1 << 20));
    EXPECT_EQ(folder.Read("again.xml"), original);

    // From above: water over the lowest corner, blue over red, built as wide as the terrain.
    EXPECT_EQ(water->GetLevelInUse(), 1);
    EXPECT_FLOAT_EQ(water->GetWidth(), SampleWorld::kTerrainSide);
    const Vector3 wet = m_Manager->ProjectToScreen(Vector3(24.0f, SampleWorld::kWaterLevel, 24.0f));
    ASSERT_GE(wet.x, 0.0f);
    ASSERT_GE(wet.y, 0.0f);
    const CourseRgb shown = Pixel(m_Frame, wet.x, wet.y);
    EXPECT_GT(shown.b, shown.r + 20) << shown.r << " " << shown.g << " " << shown.b;
    // Capped to no shaders the plain texture still draws there.
    auto& caps = const_cast<GfxCaps&>(m_Manager->GetCaps());
    caps.VertexShaderVersion = 0;
    caps.PixelShaderVersion = 0;
    water->Build(water->GetWidth(), water->GetLength());
    EXPECT_EQ(water->GetLevelInUse(), 0);
    const FrameCapture plain = Turned(Vector3(256.0f, 760.0f, 256.0f), 1.5707964f, 0.0f);
    const CourseRgb fallback = Pixel(plain, wet.x, wet.y);
    EXPECT_GT(fallback.b, fallback.r + 20) << fallback.r << " " << fallback.g << " " << fallback.b;

    // Looking up, the sky stays put however far the camera goes; the clouds drift with time.
    const FrameCapture here = Turned(Vector3(256.0f, 200.0f, 256.0f), -1.5707964f, 0.0f);
    const FrameCapture there = Turned(Vector3(1256.0f, 200.0f, -744.0f), -1.5707964f, 0.0f);
    EXPECT_EQ(here.Rows, there.Rows);
    sky->Update(0.6f);
    sky->Update(0.6f);
    const FrameCapture later = Turned(Vector3(1256.0f, 200.0f, -744.0f), -1.5707964f, 0.0f);
    EXPECT_GT(ChangedAround(here, later, kWidth / 2, kHeight / 2, kHeight / 2), kWidth * kHeight / 20);

    // Turned towards the sun, a little to its left: the disc where it projects, the first layer half-way
    // to the centre and the second mirrored through it. Without the sun those places show only sky.
    const Vector3 eye(256.0f, 200.0f, 256.0f);
    const FrameCapture lit = Turned(eye, -0.7853982f, 1.3f);
    const Vector3 disc = m_Manager->ProjectToScreen(eye + sun->GetDisc()->GetPosition());
    ASSERT_GT(disc.x, kWidth / 2 + 20.0f);
    ASSERT_LT(disc.x, kWidth - 10.0f);
    EXPECT_EQ(sun->GetFlareTarget(), 1.0f);
    m_World->SetSun(nullptr);
    const FrameCapture unlit = Turned(eye, -0.7853982f, 1.3f);
    const float cx = kWidth / 2, cy = kHeight / 2;
    const struct
    {
        float x, y;
        bool changed;
    } places[] = {{disc.x, disc.y, true},
                  {(disc.x + cx) / 2, (disc.y + cy) / 2, true},
                  {2 * cx - disc.x, 2 * cy - disc.y, true},
                  {10.0f, 10.0f, false},
                  {10.0f, kHeight - 10.0f, false}};
    for (const auto& place : places)
        EXPECT_EQ(ChangedAround(lit, unlit, place.x, place.y, 6) > 0, place.changed)
            << place.x << ", " << place.y;
}

int32_t s_CursorX = 0;
int32_t s_CursorY = 0;

bool Cursor(int32_t& x, int32_t& y)
{
    x = s_CursorX;
    y = s_CursorY;
    return true;
}

TEST_F(TerrainCourseOpenGLTest, TheLayeredCoursesRoadsLieOnTheirCellsAndFollowTheEditorsSteps)
{
    kaDraggableDecalManager decals;
    LoadAndDraw(SampleWorld::kLayeredCourseFile);
    decals.SetWorld(m_World.get());
    kaWorld::SetCursorSource(&Cursor);
    auto* road = dynamic_cast<Road*>(m_World->FindEntityById(2));
    ASSERT_NE(road, nullptr);
    ASSERT_NE(dynamic_cast<TerrainMarker*>(m_World->FindEntityById(3)), nullptr);
    EXPECT_EQ(dynamic_cast<TerrainMarker*>(m_World->FindEntityById(3))->GetTerrainType(), 3);
    const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
    // Loading makes no grid: make it, and lay the road again to mark it.
    m_World->ResetPathGrid();
    auto& grid = dynamic_cast<kaAStarPathManager&>(*m_World->GetPathManager());
    ASSERT_TRUE(grid.HasGrid());
    road->Rebuild();
    const float cell = terrain->GetCellSize();
    // The cell's middle on the ground, on the screen.
    const auto screen = [&](float cx, float cz)
    {
        const float x = (cx + 0.5f) * cell, z = (cz + 0.5f) * cell;
        return m_Manager->ProjectToScreen(Vector3(x, terrain->GetHeightAt(x, z), z));
    };
    const auto redraw = [&]()
    {
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        return frame;
    };
    const auto drawnAt = [&](const FrameCapture& a, const FrameCapture& b, float cx, float cz)
    {
        const Vector3 p = screen(cx, cz);
        return ChangedAround(a, b, p.x, p.y, 1) > 0;
    };
    const auto gridAt = [&](float cx, float cz)
    { return grid.GetNode(uint32_t(cx * cell / 4.0f), uint32_t(cz * cell / 4.0f))->layers[0]; };

    // The road's texels lie on its cells and nowhere beside them.
    const FrameCapture shown = m_Frame;
    road->ShowDecal(false);
    const FrameCapture hidden = redraw();
    road->ShowDecal(true);
    EXPECT_TRUE(drawnAt(shown, hidden, 162.0f, 80.0f));
    EXPECT_TRUE(drawnAt(shown, hidden, 160.2f, 31.0f));
    EXPECT_FALSE(drawnAt(shown, hidden, 170.0f, 80.0f));
    EXPECT_FALSE(drawnAt(shown, hidden, 162.0f, 135.0f));
    EXPECT_EQ(gridAt(162.0f, 80.0f), 4);

    // Picked from the screen at its middle: a move; the cursor five cells on moves it five cells.
    const Vector3 middle = screen(162.0f, 80.0f);
    s_CursorX = int32_t(middle.x);
    s_CursorY = int32_t(middle.y);
    Vector3 far;
    m_World->GetCamera()->GetPickRay(far, Vector3(middle.x, middle.y, 1.0f));
    kaCollideInfo hit;
    ASSERT_TRUE(m_World->Pick(m_World->GetCamera()->GetPosition(), far, &hit, kaWorld::kPickMeshes));
    ASSERT_EQ(hit.m_pObject, road);
    road->SetSelected(true, &hit);
    EXPECT_EQ(decals.GetMode(), kaDraggableDecalManager::kModeMove);
    const Vector3 along = screen(167.0f, 80.0f);
    s_CursorX = int32_t(along.x);
    s_CursorY = int32_t(along.y);
    road->DragMove(nullptr);
    road->EndDrag();
    EXPECT_EQ(road->GetStartX(), 165);
    EXPECT_EQ(road->GetEndX(), 169);
    const FrameCapture moved = redraw();
    EXPECT_TRUE(drawnAt(moved, shown, 167.0f, 80.0f));
    EXPECT_TRUE(drawnAt(moved, shown, 162.0f, 80.0f));
    EXPECT_EQ(gridAt(162.0f, 80.0f), 1);
    EXPECT_EQ(gridAt(167.0f, 80.0f), 4);

    // Its last corner dragged ten cells further along Z.
    const Vector3 corner = screen(168.0f, 139.0f);
    s_CursorX = int32_t(corner.x);
    s_CursorY = int32_t(corner.y);
    road->DragCorner(nullptr, 3);
    EXPECT_EQ(road->GetEndZ(), 140);
    EXPECT_EQ(road->GetEndX(), 169);
    EXPECT_GT(road->GetBoundingBox()->m_Max.z, 139.0f * cell);

    // Flattened to its own height, then raised by one.
    const float height = road->GetPosition().y;
    for (const float expected : {height, height + 1.0f})
    {
        road->SetPositionHeight(expected);
        road->FlattenTerrain(kaDraggableDecal::kOwnHeight);
        EXPECT_NEAR(terrain->GetVertexPosition(167, 100).y, expected, 0.01f);
        EXPECT_NEAR(terrain->GetVertexPosition(165, 40).y, expected, 0.01f);
    }
    EXPECT_EQ(gridAt(167.0f, 80.0f), 4);
    kaWorld::SetCursorSource(nullptr);
}

TEST_F(TerrainCourseOpenGLTest, TheSingleLayerCourseShowsTheBaseQuadrantsFramedByItsPanels)
{
    LoadAndDraw(SampleWorld::kSingleLayerCourseFile);
    const auto* terrain = dynamic_cast<const kaTerrain*>(m_World->GetTerrain());
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->GetKind(), kaTerrain::Kind::SingleLayer);
    ASSERT_NE(terrain->GetEdgeMesh(), nullptr);
    // Quadrants by first-stored rows then columns: red, green / blue, yellow.
    const struct
    {
        int32_t col, row;
        bool red, green, blue;
    } cases[] = {{64, 64, true, false, false},
                 {192, 64, false, true, false},
                 {64, 192, false, false, true},
                 {192, 192, true, true, false}};
    for (const auto& c : cases)
    {
        const CourseRgb colour = At(c.col, c.row);
        SCOPED_TRACE(std::to_string(c.col) + ", " + std::to_string(c.row) + ": " + std::to_string(colour.r) +
                     " " + std::to_string(colour.g) + " " + std::to_string(colour.b));
        EXPECT_EQ(colour.r > 100, c.red);
        EXPECT_EQ(colour.g > 100, c.green);
        EXPECT_EQ(colour.b > 100, c.blue);
    }
    // Beyond the terrain's side the panels show (lit, and the course has no light: dimly), not the black
    // clear colour.
    const Vector3 panel = m_Manager->ProjectToScreen(Vector3(-60.0f, terrain->GetEdgeBaseHeight(), 256.0f));
    ASSERT_GE(panel.x, 0.0f);
    const size_t at = (size_t(panel.y) * kWidth + size_t(panel.x)) * 3;
    EXPECT_GT(int(m_Frame.Rows[at]) + m_Frame.Rows[at + 1] + m_Frame.Rows[at + 2], 20);
    ExpectPickedAtTheGeneratedHeight(330.0f, 250.0f);
}

} // namespace
