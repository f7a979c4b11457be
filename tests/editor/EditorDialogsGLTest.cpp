#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddSunWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/EnvironmentCommands.h"
#include "editor/LayerListWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiWidget.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaSun.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/editor/EditorDialogHarness.h"
#include "tests/support/FrameReading.h"
#include "tools/guigen/ScreenLayouts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using testsupport::HeadlessGame;
using testsupport::Rgb;

namespace
{

// The edited world drawn under the interface, as the editor adds it to the renderer.
class WorldPass : public ka3DObject
{
public:
    void Render(uint32_t flag) override
    {
        if (m_pWorld == nullptr)
            return;
        if (m_Updating)
        {
            m_pWorld->Update(1.0f / 60.0f);
            // The world's update moves its camera; the test's view holds.
            if (m_PlaceCamera)
                m_PlaceCamera();
        }
        m_pWorld->Render(flag);
    }
    kaWorld* m_pWorld = nullptr;
    std::function<void()> m_PlaceCamera;
    // Off, the frame stays still: no cloud drift, no flare fading in.
    bool m_Updating = true;
};

// The dialog class the editor builds from each layout.
guiWindow* BuildDialog(const std::string& file)
{
    if (file == CreateTerrainWindow::kLayoutFile)
        return new CreateTerrainWindow(file);
    if (file == AddTerrainLayerWindow::kLayoutFile)
        return new AddTerrainLayerWindow(file);
    if (file == AddSkyboxWindow::kLayoutFile)
        return new AddSkyboxWindow(file);
    if (file == AddSunWindow::kLayoutFile)
        return new AddSunWindow(file);
    if (file == AddFlareLayerWindow::kLayoutFile)
        return new AddFlareLayerWindow(file);
    if (file == LayerListWindow::kLayoutFile)
        return new LayerListWindow(file);
    return nullptr;
}

bool Overlap(const platform::Rect& a, const platform::Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Pixels whose channels differ by more than the rasterisers' last bits.
int Changed(const platform::FrameCapture& a, const platform::FrameCapture& b)
{
    int changed = 0;
    for (uint32_t y = 0; y < a.Height; ++y)
        for (uint32_t x = 0; x < a.Width; ++x)
            changed += testsupport::Near(testsupport::FramePixel(a, int(x), int(y)),
                                         testsupport::FramePixel(b, int(x), int(y)))
                           ? 0
                           : 1;
    return changed;
}

class EditorDialogsGLTest : public ::testing::Test
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
        ASSERT_TRUE(m_Editor.Start());
        guiManager& gui = m_Editor.Gui();
        // The editor's other dialogs, as their first use makes them.
        for (guiWindow* dialog :
             {BuildDialog(AddTerrainLayerWindow::kLayoutFile), BuildDialog(AddSunWindow::kLayoutFile),
              BuildDialog(LayerListWindow::kLayoutFile)})
        {
            gui.AddWindow(dialog);
            gui.HideWindow(dialog, 1);
        }
        for (guiWindow* window : gui.GetWindows())
            if (window->IsVisible())
                gui.HideWindow(window, 1);
        // Ground drawn black still shows on this.
        g_pGraphicsManager->SetClearColor(0xFF304060);
        m_Pass.m_pWorld = &m_Editor.World();
        ASSERT_TRUE(g_pGraphicsManager->AddSceneObject(&m_Pass, true));
        m_Pass.AddRef();
    }

    void TearDown() override { g_pGraphicsManager->DetachSceneObject(&m_Pass); }

    guiWindow* ShowAlone(const std::string& name)
    {
        guiManager& gui = m_Editor.Gui();
        for (guiWindow* open : gui.GetWindows())
            if (open->IsVisible())
                gui.HideWindow(open, 1);
        guiWindow* window = gui.FindWindow(name);
        if (window == nullptr)
            return nullptr;
        gui.ShowWindow(window, false);
        for (int i = 0; i < 2; ++i)
            m_Editor.Game().Frame();
        return window;
    }

    // Places the world's camera at the eye looking along the direction, frame after frame.
    void Look(const platform::Vector3& eye, const platform::Vector3& direction)
    {
        m_Pass.m_PlaceCamera = [this, eye, direction] { _Place(eye, direction); };
        _Place(eye, direction);
    }

    void _Place(const platform::Vector3& eye, const platform::Vector3& direction)
    {
        kaCamera& camera = *m_Editor.World().GetCamera();
        const float length =
            std::sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
        camera.SetPosition(eye.x, eye.y, eye.z);
        camera.SetRotationAngles(std::asin(-direction.y / length), std::atan2(direction.x, direction.z),
                                 0.0f);
        camera.Rotate();
        camera.SetAspect(640.0f / 480.0f);
        camera.UpdateProjection();
    }

    // A few frames, then the last one read back.
    platform::FrameCapture Settle(int frames = 3)
    {
        for (int i = 0; i < frames; ++i)
            m_Editor.Game().Frame();
        return m_Editor.Game().Capture();
    }

    // Pixels of terrain samples that differ between two frames, over the columns from..to (exclusive).
    std::pair<int, int> ChangedSamples(const platform::FrameCapture& before,
                                       const platform::FrameCapture& after, int32_t fromCol, int32_t toCol)
    {
        const auto* terrain = dynamic_cast<const kaTerrain*>(m_Editor.World().GetTerrain());
        int changed = 0, total = 0;
        for (int32_t row = 8; row <= 120; row += 8)
            for (int32_t col = fromCol; col < toCol; col += 4)
            {
                const platform::Vector3 at =
                    g_pGraphicsManager->ProjectToScreen(terrain->GetVertexPosition(col, row));
                if (at.x < 0 || at.y < 0 || at.x >= 640 || at.y >= 480)
                    continue;
                ++total;
                changed += testsupport::Near(testsupport::FramePixel(before, int(at.x), int(at.y)),
                                             testsupport::FramePixel(after, int(at.x), int(at.y)))
                               ? 0
                               : 1;
            }
        return {changed, total};
    }

    EditorDialogHarness m_Editor{RealGraphics()};
    WorldPass m_Pass;
};

} // namespace

TEST_F(EditorDialogsGLTest, EveryRowOfTheEditorLayoutsIsFoundByItsDialogAndLiesInsideIt)
{
    int layouts = 0;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        if (!layout.editor)
            continue;
        ++layouts;
        SCOPED_TRACE(layout.file);
        guiWindow* built = BuildDialog(layout.file);
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(built->GetName(), layout.window);
        for (const guigen::ScreenWidget& row : layout.widgets)
            EXPECT_NE(guiWidgetLookup::Find(*built, row.name, row.record()), nullptr) << row.name;
        built->Release();

        guiWindow* window = ShowAlone(layout.window);
        ASSERT_NE(window, nullptr);
        // Open the chooser, so that its parts are measured too.
        if (auto* create = window->DynamicCast<CreateTerrainWindow>())
            create->Browse(CreateTerrainWindow::kListHeightMap);
        else if (auto* layer = window->DynamicCast<AddTerrainLayerWindow>())
            layer->Browse(AddTerrainLayerWindow::kListMask);
        else if (auto* flare = window->DynamicCast<AddFlareLayerWindow>())
            flare->ShowFileChooser(true);
        Settle(2);
        // Dialogs stand in the middle of the screen, whatever its size.
        const platform::Rect bounds = window->GetHitRect();
        const auto& screen = g_pGraphicsManager->GetPresentParameters();
        EXPECT_GE(bounds.left, 0);
        EXPECT_GE(bounds.top, 0);
        EXPECT_LE(bounds.right, int(screen.BackBufferWidth));
        EXPECT_LE(bounds.bottom, int(screen.BackBufferHeight));
        EXPECT_NEAR((bounds.left + bounds.right) / 2.0, screen.BackBufferWidth / 2.0, 1.0);
        EXPECT_NEAR((bounds.top + bounds.bottom) / 2.0, screen.BackBufferHeight / 2.0, 1.0);
        std::vector<std::pair<std::string, platform::Rect>> buttons;
        for (const guigen::ScreenWidget& row : layout.widgets)
        {
            guiGlyph* glyph = window->FindChild(row.name);
            ASSERT_NE(glyph, nullptr) << row.name;
            auto* widget = glyph->DynamicCast<guiWidget>();
            if (widget == nullptr)
            {
                // The preview: a picture, sized by the table.
                EXPECT_EQ(glyph->GetSize(), guiCoordPair::Pixels(row.width, row.height)) << row.name;
                continue;
            }
            const platform::Rect rect = widget->GetHitRect();
            // A list gives up the scroll bar's width when its rows outgrow it.
            if (widget->DynamicCast<guiListBox>() != nullptr)
                EXPECT_GE(rect.right - rect.left, int(row.width) - 20) << row.name;
            else
                EXPECT_EQ(rect.right - rect.left, int(row.width)) << row.name;
            EXPECT_EQ(rect.bottom - rect.top, int(row.height)) << row.name;
            EXPECT_TRUE(rect.left >= bounds.left && rect.top >= bounds.top && rect.right <= bounds.right &&
                        rect.bottom <= bounds.bottom)
                << row.name;
            if (widget->DynamicCast<guiButton>() == nullptr)
                continue;
            for (const auto& other : buttons)
                EXPECT_FALSE(Overlap(rect, other.second)) << row.name << " and " << other.first;
            buttons.push_back({row.name, rect});
        }
        m_Editor.Gui().HideWindow(window, 2);
    }
    EXPECT_EQ(layouts, 6);
}

TEST_F(EditorDialogsGLTest, EachDialogIsPhotographedAndTheCreateDialogWithItsChooserOpen)
{
    const std::pair<const char*, const char*> shots[] = {
        {CreateTerrainWindow::kWindowName, "editor_createterrain"},
        {AddTerrainLayerWindow::kWindowName, "editor_terrainlayer"},
        {AddSkyboxWindow::kWindowName, "editor_skybox"},
        {AddSunWindow::kWindowName, "editor_addsun"},
        {AddFlareLayerWindow::kWindowName, "editor_flarelayer"},
        {LayerListWindow::kWindowName, "editor_layerlist"},
    };
    auto* list = m_Editor.Gui().FindWindow(LayerListWindow::kWindowName)->DynamicCast<LayerListWindow>();
    ASSERT_NE(list, nullptr);
    list->SetTitle(EnvironmentCommands::kRemoveTerrainLayerCaption);
    list->SetItems({"resources\\worlds\\groundtiles\\grass.bmp", "resources\\worlds\\groundtiles\\sand.bmp"});
    for (const auto& shot : shots)
    {
        ASSERT_NE(ShowAlone(shot.first), nullptr) << shot.first;
        ASSERT_TRUE(m_Editor.Game().Screenshot(shot.second)) << shot.first;
    }
    auto* create = ShowAlone(CreateTerrainWindow::kWindowName)->DynamicCast<CreateTerrainWindow>();
    ASSERT_NE(create, nullptr);
    create->Browse(CreateTerrainWindow::kListMask);
    ASSERT_TRUE(m_Editor.Game().Screenshot("editor_createterrain_chooser"));
    const platform::FrameCapture open = m_Editor.Game().Capture();
    create->SetTitle(EnvironmentCommands::kImportCaption);
    create->SetImportMode(true);
    create->ShowFileChooser(false);
    ASSERT_TRUE(m_Editor.Game().Screenshot("editor_importheightmap"));
    EXPECT_GT(Changed(open, m_Editor.Game().Capture()), 1000);
    for (const auto& shot : shots)
        EXPECT_TRUE(std::filesystem::exists(HeadlessGame::ScreenshotFolder() + "/" + shot.second + ".tga"));
}

TEST_F(EditorDialogsGLTest, ANewCourseGetsItsTerrainLayersSkySunAndFlareThroughTheDialogs)
{
    // Through the commands the editor's "New" and tools menu call; its window comes later.
    Look({64.0f, 200.0f, 64.0f}, {0.0f, -1.0f, 0.0001f});
    const platform::FrameCapture empty = Settle();
    const char* create = CreateTerrainWindow::kWindowName;
    m_Editor.Click(create, CreateTerrainWindow::kBrowseHeightMap);
    m_Editor.ClickRow(create, "list", 0);
    m_Editor.Click(create, "list select button");
    // A mask of the height map's size.
    m_Editor.Click(create, CreateTerrainWindow::kBrowseMask);
    m_Editor.ClickRow(create, "list", 0);
    m_Editor.Click(create, "list select button");
    m_Editor.Click(create, CreateTerrainWindow::kBrowseTexture);
    m_Editor.ClickRow(create, "list", 3);
    m_Editor.Click(create, "list select button");
    m_Editor.Step([this] { m_Editor.Game().SaveCapture("editor_new_course_dialog"); });
    m_Editor.Click(create, CreateTerrainWindow::kOk);
    m_Editor.Commands().CreateNewTerrain();
    ASSERT_EQ(m_Editor.Game().PendingSteps(), 0u);
    auto* terrain = dynamic_cast<kaTerrain*>(m_Editor.World().GetTerrain());
    ASSERT_NE(terrain, nullptr);
    EXPECT_EQ(terrain->GetHeightMapPath(), "resources\\worlds\\heightmap\\map128.bmp");
    ASSERT_EQ(terrain->GetLayerCount(), 1);
    // The map rises from one corner to the other, and so does the ground.
    EXPECT_LT(terrain->GetHeightAt(8, 8) + 10.0f, terrain->GetHeightAt(120, 120));
    const platform::FrameCapture ground = Settle();
    ASSERT_TRUE(m_Editor.Game().SaveCapture("editor_new_course_terrain"));
    const auto drawn = ChangedSamples(empty, ground, 4, 125);
    EXPECT_GT(drawn.second, 100);
    EXPECT_GT(drawn.first, drawn.second * 9 / 10);

    // A layer white on the low columns (the dialog's tile is sand): that half changes, the other stays.
    m_Editor.Retype(AddTerrainLayerWindow::kWindowName, AddTerrainLayerWindow::kMaskPath,
                    "resources\\worlds\\groundmasks\\half128.bmp");
    m_Editor.Click(AddTerrainLayerWindow::kWindowName, AddTerrainLayerWindow::kOk);
    m_Editor.Commands().AddTerrainLayer();
    ASSERT_EQ(terrain->GetLayerCount(), 2);
    const platform::FrameCapture layered = Settle();
    ASSERT_TRUE(m_Editor.Game().SaveCapture("editor_new_course_layer"));
    const auto covered = ChangedSamples(ground, layered, 4, 56);
    const auto bare = ChangedSamples(ground, layered, 72, 125);
    EXPECT_GT(covered.first, covered.second * 8 / 10) << covered.first << " of " << covered.second;
    EXPECT_LE(bare.first, bare.second / 20) << bare.first << " of " << bare.second;

    // Toward the sun, from the terrain's edge: the sky, the sun's light and its flare each show.
    const platform::Vector3 light = kaSun::Direction(0.375f, 0.5f);
    Look({64.0f, 60.0f, 64.0f}, {-light.x, -light.y, -light.z});
    const platform::FrameCapture before = Settle();
    m_Editor.Click(AddSkyboxWindow::kWindowName, AddSkyboxWindow::kOk);
    m_Editor.Commands().AddSkybox();
    const platform::FrameCapture sky = Settle();
    ASSERT_TRUE(m_Editor.Game().SaveCapture("editor_new_course_sky"));
    EXPECT_GT(Changed(before, sky), 20000);
    m_Editor.Click(AddSunWindow::kWindowName, AddSunWindow::kOk);
    m_Editor.Commands().AddSun();
    const platform::FrameCapture sun = Settle(10);
    ASSERT_TRUE(m_Editor.Game().SaveCapture("editor_new_course_sun"));
    EXPECT_GT(Changed(sky, sun), 200);
    m_Editor.Click(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kOk);
    m_Editor.Commands().AddFlareLayer();
    const platform::FrameCapture flare = Settle(30);
    ASSERT_TRUE(m_Editor.Game().SaveCapture("editor_new_course_flare"));
    EXPECT_GT(Changed(sun, flare), 200);

    // Held still, a cancelled dialog leaves the frame and the saved state as they were.
    m_Pass.m_Updating = false;
    const platform::FrameCapture still = Settle();
    const kaPoint pointer = m_Editor.Gui().GetCursorPosition();
    const size_t saves = m_Editor.savedCalls.size();
    for (const char* window : {AddSkyboxWindow::kWindowName, AddSunWindow::kWindowName,
                               AddFlareLayerWindow::kWindowName, AddTerrainLayerWindow::kWindowName})
        m_Editor.Click(window, "cancel");
    m_Editor.Commands().AddSkybox();
    m_Editor.Commands().AddSun();
    m_Editor.Commands().AddFlareLayer();
    m_Editor.Commands().AddTerrainLayer();
    // The pointer that clicked goes back where it was.
    m_Editor.Gui().SetCursorPosition(pointer.x, pointer.y);
    EXPECT_EQ(Changed(still, Settle()), 0);
    EXPECT_EQ(m_Editor.savedCalls.size(), saves);

    // The layer list's selected row goes; one layer is left.
    m_Editor.ClickRow(LayerListWindow::kWindowName, LayerListWindow::kLayerList, 1);
    m_Editor.Click(LayerListWindow::kWindowName, LayerListWindow::kRemove);
    m_Editor.Commands().RemoveTerrainLayer();
    ASSERT_EQ(terrain->GetLayerCount(), 1);
    EXPECT_EQ(terrain->GetLayer(0)->GetTexturePath(), "resources\\worlds\\groundtiles\\grass.bmp");
    EXPECT_EQ(m_Editor.savedCalls, std::vector<bool>(6, false));
}
