#include "editor/EditorCamera.h"
#include "editor/SaveLoadWindow.h"

#include "engine/core/ModifierKeyState.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWindow.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>

using platform::Vector3;
using testsupport::HeadlessGame;

namespace
{

constexpr const char* kHeightMap = "resources/worlds/heightmap/map129.tga";
constexpr float kSide = 128.0f;
constexpr float kRise = 20.0f;

// Where a marker shows: the pixels that differ between a frame with it and one without.
struct Blot
{
    long count = 0;
    double x = 0.0;
    double y = 0.0;
    int width = 0;
    int height = 0;
};

Blot Difference(const platform::FrameCapture& with, const platform::FrameCapture& without)
{
    Blot blot;
    int left = int(with.Width), right = -1, top = int(with.Height), bottom = -1;
    for (int y = 0; y < int(with.Height); ++y)
        for (int x = 0; x < int(with.Width); ++x)
        {
            const testsupport::Rgb a = testsupport::FramePixel(with, x, y);
            const testsupport::Rgb b = testsupport::FramePixel(without, x, y);
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) < 24)
                continue;
            ++blot.count;
            blot.x += x;
            blot.y += y;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    if (blot.count > 0)
    {
        blot.x /= double(blot.count);
        blot.y /= double(blot.count);
        blot.width = right - left + 1;
        blot.height = bottom - top + 1;
    }
    return blot;
}

// The game started on the real OpenGL back end with no window showing, and an edited world of generated
// terrain drawn through the editor camera, a crate standing on the ground at the terrain's centre.
class EditorCameraGLTest : public ::testing::Test
{
protected:
    static HeadlessGame::Options RealGraphics()
    {
        HeadlessGame::Options options;
        options.realGraphics = true;
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        for (guiWindow* window : m_Game.Gui().GetWindows())
            if (window->IsVisible())
                m_Game.Gui().HideWindow(window, 1);
        // Away from every edge, so that nothing scrolls until a test asks.
        m_Game.Gui().SetCursorPosition(100, 100);

        m_World->NewTerrain(kHeightMap, kSide, kRise, kSide, false);
        ASSERT_NE(m_World->GetTerrain(), nullptr);
        m_World->AddTerrainLayer("resources/worlds/groundtiles/grass.bmp",
                                 "resources/worlds/groundmasks/full129.tga", 8.0f);
        m_World->RebuildTerrain();
        // Lit from above and behind, as a course's sun would.
        m_Light = std::make_unique<kaLight>(3, 0.0f, 0.0f, 0.0f, 0.3f, -1.0f, 0.6f, 1.0f, 1.0f, 1.0f, 1.0f,
                                            0.0f, 0.0f, 0.0f, 0.0f, 0.4f, 0.4f, 0.4f, 1.0f);
        m_World->SetCamera(&m_Camera);
        TiXmlDocument document;
        document.Parse("<Entity><kmfFilename>resources/models/crate/crate.kmf</kmfFilename></Entity>");
        m_Marker = new kaEntityModel;
        m_Marker->ReadXml(document.RootElement());
        ASSERT_TRUE(m_World->AddEntity(m_Marker, true, true));
        const kaBoundingBox* box = m_Marker->GetBoundingBox();
        ASSERT_NE(box, nullptr);
        const float middle = kSide * 0.5f;
        const float ground = m_World->GetTerrain()->GetHeightAt(middle, middle);
        m_Marker->SetPosition(
            Vector3(middle - box->m_Centre.x, ground - box->m_Min.y, middle - box->m_Centre.z));
        m_World->InitializeEntities();
        ASSERT_TRUE(m_Game.App().GetGraphicsManager()->AddSceneObject(m_World.get(), true));
        m_Camera.SetWorld(m_World.get());
    }

    void TearDown() override
    {
        g_ModifierKeyState = ModifierKeyState();
        m_Game.App().GetGraphicsManager()->DetachSceneObject(m_World.get());
        m_World.reset();
        m_Light.reset();
        m_Models.DeleteAll();
    }

    platform::FrameCapture Draw()
    {
        EXPECT_TRUE(m_Game.Frame());
        return m_Game.Capture();
    }

    // The marker as the current view shows it.
    Blot Marker()
    {
        const platform::FrameCapture with = Draw();
        m_Marker->SetVisible(false);
        const platform::FrameCapture without = Draw();
        m_Marker->SetVisible(true);
        EXPECT_GT(with.Width, 0u);
        return Difference(with, without);
    }

    void ExpectCentred(const Blot& blot)
    {
        const platform::FrameCapture frame = m_Game.Capture();
        EXPECT_GT(blot.count, 0);
        EXPECT_NEAR(blot.x, frame.Width / 2.0, 12.0);
        EXPECT_NEAR(blot.y, frame.Height / 2.0, 12.0);
    }

    HeadlessGame m_Game{RealGraphics()};
    kaModelManager m_Models;
    EditorCamera m_Camera;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
    kaEntityModel* m_Marker = nullptr;
    std::unique_ptr<kaLight> m_Light;
};

} // namespace

TEST_F(EditorCameraGLTest, TheFramedWorldShowsTheCentreMarkerInTheMiddleLargerAfterTheWheelAndFromAbove)
{
    const Blot framed = Marker();
    ExpectCentred(framed);
    ASSERT_TRUE(m_Game.Screenshot("editor_camera_framed"));

    for (int notch = 0; notch < 3; ++notch)
        m_Camera.HandleInput(0.0f, 0.0f, 120.0f, false, false);
    const Blot closer = Marker();
    ExpectCentred(closer);
    EXPECT_GT(closer.count, framed.count * 3 / 2);

    m_Camera.SetMode(EditorCamera::kTopView);
    const Blot above = Marker();
    ExpectCentred(above);
    // Straight down on a box whose sides are alike: as wide as it is tall.
    EXPECT_NEAR(double(above.width) / double(above.height), 1.0, 0.15);
    EXPECT_GT(above.count, closer.count);
    ASSERT_TRUE(m_Game.Screenshot("editor_camera_top"));
}

TEST_F(EditorCameraGLTest, HoldingTheCursorAtTheRightEdgeForASecondMovesTheTargetByTheEdgeSpeed)
{
    for (int notch = 0; notch < 3; ++notch)
        m_Camera.HandleInput(0.0f, 0.0f, 120.0f, false, false);
    const Vector3 start = m_Camera.GetTarget();
    const float speed = m_Camera.GetEdgeSpeed();
    m_Game.SetClockStep(0.0);
    ASSERT_TRUE(m_Game.Frame());

    uint32_t width = 0;
    uint32_t height = 0;
    m_Game.App().GetGraphicsManager()->GetViewportSize(width, height);
    m_Game.Gui().SetCursorPosition(int32_t(width) - 1, int32_t(height) / 2);
    float elapsed = 0.0f;
    for (int frame = 0; frame < 4; ++frame)
    {
        m_Game.Clock().AdvanceSeconds(0.25);
        ASSERT_TRUE(m_Game.Frame());
        elapsed += m_Game.App().GetFrameTime();
    }
    EXPECT_NEAR(elapsed, 1.0f, 1e-3f);
    const Vector3 target = m_Camera.GetTarget();
    // The framing looks along +Z, so the right edge moves along +X.
    EXPECT_NEAR(target.x - start.x, speed * elapsed, 0.05f);
    EXPECT_NEAR(target.z, start.z, 1e-3f);
    EXPECT_NEAR(target.y, m_World->GetTerrain()->GetHeightAt(target.x, target.z), 1e-3f);
}

namespace
{

// Pixels of the name field's frame colour (a warm yellow) around a rectangle.
int FramePixels(const platform::FrameCapture& frame, const platform::Rect& rect)
{
    int count = 0;
    for (int y = rect.top - 3; y < rect.bottom + 3; ++y)
        for (int x = rect.left - 3; x < rect.right + 3; ++x)
        {
            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
            count += pixel.r > 200 && pixel.g > 150 && pixel.b < 110 ? 1 : 0;
        }
    return count;
}

// The summed channel differences inside a rectangle of two frames.
long Change(const platform::FrameCapture& a, const platform::FrameCapture& b, const platform::Rect& rect)
{
    long sum = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
        {
            const testsupport::Rgb p = testsupport::FramePixel(a, x, y);
            const testsupport::Rgb q = testsupport::FramePixel(b, x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return sum;
}

} // namespace

TEST(SaveLoadWindowGLTest, TheDialogIsPhotographedInLoadAndInSaveMode)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto* dialog = game.Gui().FindWindow(SaveLoadWindow::kWindowName)->DynamicCast<SaveLoadWindow>();
    ASSERT_NE(dialog, nullptr);
    dialog->SetFolder("Worlds");

    dialog->SetBackground("Load World");
    dialog->SetRowsWithFolder(true);
    dialog->SetMode(SaveLoadWindow::kLoad);
    game.Gui().ShowWindow(dialog, false);
    ASSERT_TRUE(game.Screenshot("savegame_load"));
    const platform::FrameCapture loading = game.Capture();
    game.Gui().HideWindow(dialog, 2);

    dialog->SetBackground(SaveLoadWindow::kSaveCaption);
    dialog->GetFileNameBox()->SetText("my course");
    dialog->SetMode(SaveLoadWindow::kSave);
    game.Gui().ShowWindow(dialog, false);
    ASSERT_TRUE(game.Screenshot("savegame_save"));
    const platform::FrameCapture saving = game.Capture();
    ASSERT_GT(saving.Width, 0u);

    // The name field shows with its frame when saving only.
    const platform::Rect field = dialog->GetFileNameBox()->GetHitRect();
    EXPECT_GT(FramePixels(saving, field), 100);
    EXPECT_EQ(FramePixels(loading, field), 0);
    // The caption above the list tells the two apart.
    const platform::Rect list = dialog->GetFileList()->GetHitRect();
    const platform::Rect caption{list.left, list.top - 50, list.right, list.top - 8};
    EXPECT_GT(Change(loading, saving, caption), 200000);
    EXPECT_GT(FramePixels(loading, caption), 1000);
    EXPECT_GT(FramePixels(saving, caption), 1000);
}
