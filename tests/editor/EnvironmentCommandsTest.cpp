#include "editor/EnvironmentCommands.h"
#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddSunWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/LayerListWindow.h"
#include "engine/core/kaColor.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/editor/EditorDialogHarness.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{

constexpr const char* kMap = "resources\\worlds\\heightmap\\map129.tga";
constexpr const char* kFullMask = "resources\\worlds\\groundmasks\\full129.tga";
constexpr const char* kGrass = "resources\\worlds\\groundtiles\\grass.bmp";
constexpr const char* kSand = "resources\\worlds\\groundtiles\\sand.bmp";
constexpr const char* kSunDisc = "resources\\worlds\\billboards\\sun.dds";
constexpr const char* kGlow = "resources\\worlds\\billboards\\flare_glow.dds";
// flare_spot.bmp lists first, then this.
constexpr const char* kHalo = "resources\\worlds\\billboards\\flare_halo.tga";

using Command = void (EnvironmentCommands::*)();

class EnvironmentCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Editor.Start()); }

    kaTerrain* Terrain() { return dynamic_cast<kaTerrain*>(m_Editor.World().GetTerrain()); }
    kaSun* Sun() { return dynamic_cast<kaSun*>(m_Editor.World().GetSun()); }

    // A terrain of one layer, a sky box and a sun with one flare layer, made without the dialogs.
    void FurnishWorld()
    {
        kaWorld& world = m_Editor.World();
        world.NewTerrain(kMap, 128, 32, 128, false);
        world.AddTerrainLayer(kGrass, kFullMask, 1);
        world.RebuildTerrain();
        world.CreateSkyBox(
            "resources\\worlds\\skybox\\sky_left.dds", "resources\\worlds\\skybox\\sky_right.dds",
            "resources\\worlds\\skybox\\sky_forward.dds", "resources\\worlds\\skybox\\sky_back.dds",
            "resources\\worlds\\skybox\\sky_top.dds");
        world.CreateSun(kSunDisc, 0.375f, 0.5f, 0.5f, kaColor(), kaColor());
        world.AddSunFlareLayer(kGlow, 2, 1);
        ASSERT_NE(Terrain(), nullptr);
        ASSERT_NE(Sun(), nullptr);
    }

    // Runs the command; the script queued before answers its dialogs. True when the script ran out.
    bool Run(Command command)
    {
        (m_Editor.Commands().*command)();
        return m_Editor.Game().PendingSteps() == 0;
    }

    guiWindow* Window(const char* name) { return m_Editor.Gui().FindWindow(name); }

    // What a dialog's refused Ok shows: the message box's caption and text, and the field as the dialog
    // shows it again once the box is answered ("<hidden>" when the dialog closed instead).
    struct Refusal
    {
        std::string caption;
        std::string message;
        std::string shownAgain;
    };

    // Queues the click on the dialog's Ok, the reading of the box that refuses it, its answer and the reading
    // of the field; the steps run with the command, so the refusal must outlive that run.
    void QueueOkAndReadRefusal(const char* window, const char* field, Refusal& refusal)
    {
        m_Editor.Click(window, "ok");
        m_Editor.Step(
            [this, &refusal]
            {
                MessageBoxWindow* box = m_Editor.Gui().GetMessageBox();
                refusal.caption = box->GetCaptionBar()->GetText();
                refusal.message = box->GetTextArea()->GetText();
            });
        m_Editor.Click(MessageBoxWindow::kWindowName, MessageBoxWindow::kOkName);
        m_Editor.Step(
            [this, window, field, &refusal]
            {
                guiGlyph* box = m_Editor.Game().FindWidget(window, field);
                refusal.shownAgain =
                    Window(window)->IsVisible() ? box->DynamicCast<guiTextBox>()->GetText() : "<hidden>";
            });
    }

    EditorDialogHarness m_Editor;
};

} // namespace

TEST_F(EnvironmentCommandsTest, CreateNewTerrainPicksThroughTheChooserAndBuildsOneLayerFromItsOwnMask)
{
    bool debugDrawingDuringShow = true;
    const char* window = CreateTerrainWindow::kWindowName;
    m_Editor.Click(window, CreateTerrainWindow::kBrowseHeightMap);
    // map128.bmp, map257.bmp, then map129.tga: patterns before names.
    m_Editor.ClickRow(window, "list", 2);
    m_Editor.Click(window, "list select button");
    m_Editor.Click(window, CreateTerrainWindow::kBrowseMask);
    // full128.bmp, full257.bmp, then half128.bmp.
    m_Editor.DoubleClickRow(window, "list", 2);
    m_Editor.Click(window, CreateTerrainWindow::kBrowseTexture);
    m_Editor.ClickRow(window, "list", 5);
    m_Editor.Click(window, "list select button");
    m_Editor.Retype(window, CreateTerrainWindow::kTexStretch, "4");
    m_Editor.Step([&] { debugDrawingDuringShow = g_pGraphicsManager->IsDebugDrawing(); });
    m_Editor.Click(window, CreateTerrainWindow::kOk);
    ASSERT_TRUE(Run(&EnvironmentCommands::CreateNewTerrain));

    auto* dialog = Window(window)->DynamicCast<CreateTerrainWindow>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetField(CreateTerrainWindow::kTitle), EnvironmentCommands::kCreateTerrainCaption);
    EXPECT_EQ(dialog->GetField(CreateTerrainWindow::kHeightMap), kMap);
    ASSERT_NE(Terrain(), nullptr);
    EXPECT_EQ(Terrain()->GetHeightMapPath(), kMap);
    EXPECT_FLOAT_EQ(Terrain()->GetWidth(), 128.0f);
    ASSERT_EQ(Terrain()->GetLayerCount(), 1);
    // The chooser's rows: half128.bmp is the mask, sand.bmp the tile; neither stands for the other.
    EXPECT_EQ(Terrain()->GetLayer(0)->GetMaskPath(), "resources\\worlds\\groundmasks\\half128.bmp");
    EXPECT_EQ(Terrain()->GetLayer(0)->GetTexturePath(), kSand);
    EXPECT_EQ(m_Editor.madeCurrent, &m_Editor.World());
    EXPECT_EQ(m_Editor.refreshes, std::vector<int32_t>{1});
    EXPECT_EQ(m_Editor.savedCalls, std::vector<bool>{false});
    EXPECT_FALSE(debugDrawingDuringShow);
    EXPECT_TRUE(g_pGraphicsManager->IsDebugDrawing());
}

TEST_F(EnvironmentCommandsTest, EachLayerAddedThroughItsDialogKeepsItsOwnMaskAndTile)
{
    FurnishWorld();
    const char* window = AddTerrainLayerWindow::kWindowName;
    m_Editor.Click(window, AddTerrainLayerWindow::kBrowseMask);
    m_Editor.DoubleClickRow(window, "list", 2);
    m_Editor.Retype(window, AddTerrainLayerWindow::kTexturePath, "resources\\worlds\\groundtiles\\rock.bmp");
    m_Editor.Retype(window, AddTerrainLayerWindow::kTexStretch, "2.5");
    m_Editor.Click(window, AddTerrainLayerWindow::kOk);
    ASSERT_TRUE(Run(&EnvironmentCommands::AddTerrainLayer));

    ASSERT_EQ(Terrain()->GetLayerCount(), 2);
    EXPECT_EQ(Terrain()->GetLayer(0)->GetMaskPath(), kFullMask);
    // Row 2 follows full128.bmp and full257.bmp.
    EXPECT_EQ(Terrain()->GetLayer(1)->GetMaskPath(), "resources\\worlds\\groundmasks\\half128.bmp");
    EXPECT_EQ(Terrain()->GetLayer(1)->GetTexturePath(), "resources\\worlds\\groundtiles\\rock.bmp");
    EXPECT_EQ(m_Editor.savedCalls, std::vector<bool>{false});
}

TEST_F(EnvironmentCommandsTest, SkyboxSunAndFlareDialogsBuildWhatTheirFieldsSay)
{
    FurnishWorld();
    m_Editor.Retype(AddSkyboxWindow::kWindowName, AddSkyboxWindow::kHeight, "75");
    m_Editor.Click(AddSkyboxWindow::kWindowName, AddSkyboxWindow::kOk);
    ASSERT_TRUE(Run(&EnvironmentCommands::AddSkybox));
    auto* sky = dynamic_cast<kaSkyBox*>(m_Editor.World().GetSkyBox());
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->GetCloudPlanes().size(), 1u);

    m_Editor.Retype(AddSunWindow::kWindowName, AddSunWindow::kGreen, "0.25");
    m_Editor.Retype(AddSunWindow::kWindowName, AddSunWindow::kBlueAmbient, "0.75");
    m_Editor.Click(AddSunWindow::kWindowName, AddSunWindow::kOk);
    ASSERT_TRUE(Run(&EnvironmentCommands::AddSun));
    ASSERT_NE(Sun(), nullptr);
    // A new sun: the old one's flare layer went with it.
    EXPECT_TRUE(Sun()->GetFlareLayers().empty());
    EXPECT_FLOAT_EQ(Sun()->GetDirectional().g, 0.25f);
    EXPECT_FLOAT_EQ(Sun()->GetAmbient().b, 0.75f);
    // Opaque whatever the fields say.
    EXPECT_FLOAT_EQ(Sun()->GetDirectional().a, 1.0f);
    EXPECT_FLOAT_EQ(Sun()->GetAmbient().a, 1.0f);

    m_Editor.Click(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kBrowse);
    m_Editor.DoubleClickRow(AddFlareLayerWindow::kWindowName, "list", 1);
    m_Editor.Retype(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kLength, "-1");
    m_Editor.Click(AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kOk);
    ASSERT_TRUE(Run(&EnvironmentCommands::AddFlareLayer));
    ASSERT_EQ(Sun()->GetFlareLayers().size(), 1u);
    EXPECT_EQ(Sun()->GetFlareLayers()[0]->m_Texture, kHalo);
    EXPECT_FLOAT_EQ(Sun()->GetFlareLayers()[0]->m_Length, -1.0f);
    EXPECT_EQ(m_Editor.savedCalls, (std::vector<bool>{false, false, false}));
}

TEST_F(EnvironmentCommandsTest, CancelInAnyDialogChangesNothingAndLeavesTheSavedState)
{
    FurnishWorld();
    const struct
    {
        Command command;
        const char* window;
        const char* field;
    } cases[] = {
        {&EnvironmentCommands::CreateNewTerrain, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kWidth},
        {&EnvironmentCommands::ImportHeightMap, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kHeight},
        {&EnvironmentCommands::AddTerrainLayer, AddTerrainLayerWindow::kWindowName,
         AddTerrainLayerWindow::kTexStretch},
        {&EnvironmentCommands::AddSkybox, AddSkyboxWindow::kWindowName, AddSkyboxWindow::kSpeed},
        {&EnvironmentCommands::AddSun, AddSunWindow::kWindowName, AddSunWindow::kScale},
        {&EnvironmentCommands::AddFlareLayer, AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kScale},
        {&EnvironmentCommands::RemoveTerrainLayer, LayerListWindow::kWindowName, nullptr},
        {&EnvironmentCommands::RemoveFlareLayer, LayerListWindow::kWindowName, nullptr},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.window);
        kaTerrainBase* terrain = m_Editor.World().GetTerrain();
        const std::vector<uint16_t> heights = Terrain()->GetHeights();
        kaSkyBoxBase* sky = m_Editor.World().GetSkyBox();
        kaSunBase* sun = m_Editor.World().GetSun();
        if (test.field != nullptr)
            m_Editor.Retype(test.window, test.field, "3");
        else
            m_Editor.ClickRow(test.window, LayerListWindow::kLayerList, 0);
        m_Editor.Click(test.window, "cancel");
        ASSERT_TRUE(Run(test.command));
        EXPECT_EQ(m_Editor.World().GetTerrain(), terrain);
        EXPECT_EQ(Terrain()->GetHeights(), heights);
        EXPECT_EQ(Terrain()->GetLayerCount(), 1);
        EXPECT_EQ(m_Editor.World().GetSkyBox(), sky);
        EXPECT_EQ(m_Editor.World().GetSun(), sun);
        EXPECT_EQ(Sun()->GetFlareLayers().size(), 1u);
        EXPECT_TRUE(m_Editor.savedCalls.empty());
        EXPECT_FALSE(Window(test.window)->IsVisible());
        EXPECT_TRUE(g_pGraphicsManager->IsDebugDrawing());
    }
}

TEST_F(EnvironmentCommandsTest, AFieldThatDoesNotConvertIsNamedAndTheDialogComesBackAsTyped)
{
    FurnishWorld();
    const struct
    {
        Command command;
        const char* window;
        const char* field;
        const char* text;
    } cases[] = {
        {&EnvironmentCommands::CreateNewTerrain, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kWidth, "12x"},
        {&EnvironmentCommands::CreateNewTerrain, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kVertexLight, "yes"},
        {&EnvironmentCommands::CreateNewTerrain, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kTexStretch, ""},
        {&EnvironmentCommands::ImportHeightMap, CreateTerrainWindow::kWindowName,
         CreateTerrainWindow::kLength, "long"},
        {&EnvironmentCommands::AddTerrainLayer, AddTerrainLayerWindow::kWindowName,
         AddTerrainLayerWindow::kTexStretch, "two"},
        {&EnvironmentCommands::AddSkybox, AddSkyboxWindow::kWindowName, AddSkyboxWindow::kHeight, "1e"},
        {&EnvironmentCommands::AddSun, AddSunWindow::kWindowName, AddSunWindow::kRedAmbient, "0.5.5"},
        {&EnvironmentCommands::AddFlareLayer, AddFlareLayerWindow::kWindowName, AddFlareLayerWindow::kScale,
         "1,5"},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(std::string(test.window) + " " + test.field + " '" + test.text + "'");
        kaTerrainBase* terrain = m_Editor.World().GetTerrain();
        const std::vector<uint16_t> heights = Terrain()->GetHeights();
        kaSkyBoxBase* sky = m_Editor.World().GetSkyBox();
        kaSunBase* sun = m_Editor.World().GetSun();
        m_Editor.Retype(test.window, test.field, test.text);
        Refusal refusal;
        QueueOkAndReadRefusal(test.window, test.field, refusal);
        m_Editor.Click(test.window, "cancel");
        ASSERT_TRUE(Run(test.command));
        EXPECT_EQ(refusal.caption, EnvironmentCommands::kMessageCaption);
        EXPECT_NE(refusal.message.find(std::string("\"") + test.field + "\""), std::string::npos)
            << refusal.message;
        EXPECT_NE(refusal.message.find(std::string("\"") + test.text + "\""), std::string::npos)
            << refusal.message;
        EXPECT_EQ(refusal.shownAgain, test.text);
        EXPECT_EQ(m_Editor.World().GetTerrain(), terrain);
        EXPECT_EQ(Terrain()->GetHeights(), heights);
        EXPECT_EQ(Terrain()->GetLayerCount(), 1);
        EXPECT_EQ(m_Editor.World().GetSkyBox(), sky);
        EXPECT_EQ(m_Editor.World().GetSun(), sun);
        EXPECT_EQ(Sun()->GetFlareLayers().size(), 1u);
        EXPECT_TRUE(m_Editor.savedCalls.empty());
        EXPECT_TRUE(g_pGraphicsManager->IsDebugDrawing());
        // Put the field back for the next case that shows this dialog.
        m_Editor.Retype(test.window, test.field,
                        test.field == std::string(CreateTerrainWindow::kVertexLight) ? "0" : "1");
        m_Editor.Click(test.window, "cancel");
        ASSERT_TRUE(Run(test.command));
    }
}

// With the process held to a budget a 1025-sample map's build does not fit in, both terrain dialogs refuse
// the map in a "Map Editor" box that says what it needs, come back as typed, and leave the terrain as it
// was.
TEST_F(EnvironmentCommandsTest, AHeightMapTooLargeForTheFreeMemoryIsRefusedWithWhatItNeeds)
{
    if (!testsupport::MemoryLimitsWork())
        GTEST_SKIP() << "memory limits do not hold under the address sanitizer";
    FurnishWorld();
    testsupport::TempDir dir;
    imagebytes::Bmp bmp;
    bmp.width = 1025;
    bmp.height = 1025;
    bmp.bitCount = 8;
    for (uint32_t grey = 0; grey < 256; ++grey)
        bmp.palette.push_back(grey * 0x010101u);
    bmp.topFirstRows.assign(1025, imagebytes::Bytes(1025, 90));
    const std::string large = dir.File("large.bmp");
    {
        const imagebytes::Bytes bytes = imagebytes::BmpBytes(bmp);
        std::ofstream(large, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const bool refused = testsupport::RunWithMemoryLimit(
        size_t(160) << 20,
        [&]
        {
            const std::vector<uint16_t> heights = Terrain()->GetHeights();
            for (Command command :
                 {&EnvironmentCommands::CreateNewTerrain, &EnvironmentCommands::ImportHeightMap})
            {
                const char* window = CreateTerrainWindow::kWindowName;
                m_Editor.Retype(window, CreateTerrainWindow::kHeightMap, large);
                Refusal refusal;
                QueueOkAndReadRefusal(window, CreateTerrainWindow::kHeightMap, refusal);
                m_Editor.Click(window, CreateTerrainWindow::kCancel);
                if (!Run(command) || refusal.caption != EnvironmentCommands::kMessageCaption ||
                    refusal.message.find("needs about 240 MB") == std::string::npos ||
                    refusal.shownAgain != large)
                    return false;
            }
            return Terrain()->GetHeightMapPath() == kMap && Terrain()->GetHeights() == heights &&
                   m_Editor.savedCalls.empty();
        });
    EXPECT_TRUE(refused);
}
