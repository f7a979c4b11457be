#include "engine/render/kaGraphicsManager.h"

#include "engine/render/kaFont.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaVertexBuffer.h"

#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

using namespace platform;

namespace
{

const char* const kFullScreenConfig = "[Begin Graphics Config]\n"
                                      "FSDisplayWidth=1024\n"
                                      "FSDisplayHeight=768\n"
                                      "[End Graphics Config]\n";

DisplayMode Mode(uint32_t width, uint32_t height, uint32_t format, uint32_t refresh = 60)
{
    return DisplayMode{width, height, refresh, format};
}

class GraphicsStartupTest : public GraphicsManagerFixture
{
protected:
    const kaD3DDeviceInfo& CurrentDevice() const
    {
        const kaD3DAdapterInfo& adapter = m_Manager->GetAdapterInfo(m_Manager->GetCurrentAdapter());
        return adapter.devices[adapter.currentDevice];
    }
};

TEST_F(GraphicsStartupTest, ListsEachLargeEnoughSizeAndFormatOnceInTheOrderMet)
{
    m_D3D->Adapters[0].Modes = {Mode(320, 200, FMT_X8R8G8B8),     Mode(800, 600, FMT_X8R8G8B8, 60),
                                Mode(800, 600, FMT_X8R8G8B8, 75), Mode(640, 399, FMT_X8R8G8B8),
                                Mode(639, 480, FMT_R5G6B5),       Mode(640, 480, FMT_X8R8G8B8),
                                Mode(1024, 768, FMT_R5G6B5)};
    ASSERT_TRUE(Start(kFullScreenConfig));

    std::vector<std::string> listed;
    for (const auto& mode : m_Manager->GetDisplayModes())
        listed.push_back(std::to_string(mode->width) + "x" + std::to_string(mode->height) + "/" +
                         std::to_string(mode->format) + "@" + std::to_string(mode->refreshRate));
    EXPECT_EQ(listed, (std::vector<std::string>{"800x600/22@60", "640x480/22@60", "1024x768/23@60"}));
    m_Manager->BuildDeviceList();
    EXPECT_EQ(m_Manager->GetDisplayModes().size(), 3u);

    // The device's modes: higher format first, then width, then height.
    const kaD3DDeviceInfo& device = CurrentDevice();
    ASSERT_EQ(device.numModes, 3u);
    EXPECT_EQ(device.modes[0].format, FMT_R5G6B5);
    EXPECT_EQ(device.modes[1].width, 640u);
    EXPECT_EQ(device.modes[2].width, 800u);
}

TEST_F(GraphicsStartupTest, CurrentModeIsTheConfiguredSizePreferringTheFirstFormat)
{
    m_D3D->Adapters[0].Modes = {Mode(1024, 768, FMT_X8R8G8B8), Mode(1024, 768, FMT_R5G6B5),
                                Mode(800, 600, FMT_R5G6B5)};
    ASSERT_TRUE(Start(kFullScreenConfig));
    const kaD3DDeviceInfo& device = CurrentDevice();
    const kaD3DModeInfo& mode = device.modes[device.currentMode];
    EXPECT_EQ(mode.width, 1024u);
    EXPECT_EQ(mode.format, FMT_X8R8G8B8);
    EXPECT_TRUE(device.canDoWindowed);
    EXPECT_TRUE(device.windowed);
}

// A size that no listed mode has (full screen) or that no listed mode holds (in a window) counts as
// absent: the device is made at the default size, and the default, not the bad value, is saved.
TEST_F(GraphicsStartupTest, SizeNoModeFitsIsTreatedAsAbsent)
{
    const struct
    {
        bool fullScreen;
        const char* width;
        const char* height;
        uint32_t madeWidth;
        uint32_t madeHeight;
    } cases[] = {{false, "0", "600", 800, 600},          {false, "100000", "600", 800, 600},
                 {false, "4294967295", "100", 800, 600}, {false, "16384", "16384", 800, 600},
                 {true, "700", "500", 800, 600},         {false, "700", "500", 700, 500},
                 {true, "1024", "768", 1024, 768}};
    for (const auto& c : cases)
    {
        const std::string size = std::string(c.width) + "x" + c.height;
        const std::string section = std::string("[Begin Graphics Config]\nFullScreen=") +
                                    (c.fullScreen ? "1" : "0") + "\nFSDisplayWidth=" + c.width +
                                    "\nFSDisplayHeight=" + c.height + "\nFS3DDisplayWidth=" + c.width +
                                    "\nFS3DDisplayHeight=" + c.height + "\n[End Graphics Config]\n";
        testsupport::DebugCapture debug;
        ASSERT_TRUE(Start(section.c_str())) << size;
        EXPECT_EQ(m_Manager->GetPresentParameters().BackBufferWidth, c.madeWidth) << size;
        EXPECT_EQ(m_Manager->GetPresentParameters().BackBufferHeight, c.madeHeight) << size;
        EXPECT_EQ(m_Manager->GetScreenWidth(), c.madeWidth) << size;
        EXPECT_EQ(m_Manager->GetScreenHeight(), c.madeHeight) << size;
        EXPECT_EQ(debug.Contains("no display mode fits " + size), c.madeWidth == 800) << size;
        m_Manager.reset();
        const std::string made =
            std::to_string(c.madeWidth) + "\nFSDisplayHeight=" + std::to_string(c.madeHeight);
        EXPECT_NE(m_Dir.Read("Tarvolin.cfg").find("FSDisplayWidth=" + made + "\n"), std::string::npos)
            << size;
    }
}

TEST_F(GraphicsStartupTest, DepthFormatIsTheFirstSupportedInOrder)
{
    m_D3D->DepthFormats = {FMT_D32, FMT_D24S8, FMT_D24X4S4};
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetPresentParameters().AutoDepthStencilFormat, FMT_D24S8);
    EXPECT_TRUE(m_Manager->GetPresentParameters().EnableAutoDepthStencil);

    uint32_t format = 0;
    m_D3D->DepthFormats = {FMT_D32, FMT_D15S1};
    EXPECT_TRUE(m_Manager->FindDepthStencilFormat(0, DEVTYPE_HAL, FMT_X8R8G8B8, format));
    EXPECT_EQ(format, FMT_D15S1);
    m_D3D->DepthFormats = {};
    EXPECT_FALSE(m_Manager->FindDepthStencilFormat(0, DEVTYPE_HAL, FMT_X8R8G8B8, format));
}

TEST_F(GraphicsStartupTest, FormatsWithoutADepthBufferAreNotUsable)
{
    m_D3D->DepthFormats = {};
    EXPECT_FALSE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetAdapterCount(), 0u);
    EXPECT_EQ(m_Manager->GetDevice(), nullptr);
}

TEST_F(GraphicsStartupTest, VertexProcessingFollowsTheCapabilities)
{
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetBehaviorFlags(), uint32_t(CREATE_HARDWARE_VERTEXPROCESSING));
    m_Manager.reset();

    // A pure device is never confirmed; without directional lights neither hardware nor mixed is.
    m_D3D->Adapters[0].Caps.DevCaps |= DEVCAPS_PUREDEVICE;
    m_D3D->Adapters[0].Caps.VertexProcessingCaps &= ~uint32_t(VTXPCAPS_DIRECTIONALLIGHTS);
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetBehaviorFlags(), uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING));
}

TEST_F(GraphicsStartupTest, ThirtyTwoBitsWithoutSupportAreSavedAsSixteen)
{
    m_D3D->DisplayFormats = {FMT_R5G6B5, FMT_X1R5G5B5, FMT_X8R8G8B8};
    m_D3D->DisplayFormats.erase(FMT_X8R8G8B8);
    m_D3D->Adapters[0].Desktop.Format = FMT_R5G6B5;
    ASSERT_TRUE(Start("[Begin Graphics Config]\nBitsPerPixel=32\n[End Graphics Config]\n"));
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 16u);
    EXPECT_EQ(m_Manager->GetDisplayFormat(), FMT_R5G6B5);
    m_Manager.reset();
    EXPECT_NE(m_Dir.Read("Tarvolin.cfg").find("BitsPerPixel=16\n"), std::string::npos);
}

TEST_F(GraphicsStartupTest, WindowClientAreaIsTheConfiguredSizeCentredOnTheDesktop)
{
    ASSERT_TRUE(Start("[Begin Graphics Config]\nFSDisplayWidth=700\nFSDisplayHeight=500\n"
                      "[End Graphics Config]\n"));
    Rect client;
    Rect frame;
    ASSERT_TRUE(GetClientRect(m_Window, client));
    ASSERT_TRUE(GetWindowRect(m_Window, frame));
    EXPECT_EQ(client.right - client.left, 700);
    EXPECT_EQ(client.bottom - client.top, 500);
    EXPECT_EQ(frame.left, (1024 - 700) / 2);
    EXPECT_EQ(frame.top, (768 - 500) / 2);
    EXPECT_EQ(m_Backend.NativeWindows().at(m_Window).showCommand, SW_SHOW);
}

TEST_F(GraphicsStartupTest, FullScreenUsesTheChosenFormatAndLeavesTheWindowAlone)
{
    ASSERT_TRUE(Start("[Begin Graphics Config]\nFullScreen=1\nFSDisplayWidth=800\nFSDisplayHeight=600\n"
                      "BitsPerPixel=32\n[End Graphics Config]\n"));
    ASSERT_NE(m_Manager->GetDevice(), nullptr);
    EXPECT_FALSE(m_Manager->GetPresentParameters().Windowed);
    // ChooseBackBufferFormat tries A8R8G8B8 first for 32 bits.
    EXPECT_EQ(m_Manager->GetPresentParameters().BackBufferFormat, FMT_A8R8G8B8);
    EXPECT_EQ(m_Manager->GetDisplayFormat(), FMT_X8R8G8B8);
    Rect frame;
    GetWindowRect(m_Window, frame);
    EXPECT_EQ(frame.right - frame.left, 100);
}

TEST_F(GraphicsStartupTest, ReportsBufferSizesAfterReadingTheCapabilities)
{
    m_D3D->Adapters[0].Caps.MaxPrimitiveCount = 1000;
    m_D3D->Adapters[0].Caps.MaxActiveLights = 0xFFFFFFFF;
    testsupport::DebugCapture debug;
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetMaxVertexCount(), 3000u);
    EXPECT_TRUE(debug.Contains("MAXVERTS is = 3000\n"));
    EXPECT_TRUE(debug.Contains("MaxVertexBufferBytes is = 396000"));
    EXPECT_TRUE(debug.Contains("MaxIndexBufferBytes is = 131072"));
    EXPECT_EQ(m_Manager->GetCaps().MaxActiveLights, 64u);

    // The last buffer is the System font's.
    EXPECT_EQ(CallsOf("CreateVertexBuffer"),
              (std::vector<std::string>{"65520 0x208 0x152 0", "65520 0x208 0x152 0", "5600 0x208 0x144 0",
                                        "65536 0x208 0x42 0", "129536 0x208 0x0 0", "8400 0x208 0x0 0"}));
    EXPECT_EQ(CallsOf("CreateIndexBuffer"),
              (std::vector<std::string>{"65536 0x208 101 0", "65536 0x208 101 0"}));
    ASSERT_NE(m_Manager->GetLineBuffer(), nullptr);
    EXPECT_EQ(m_Manager->GetLineBuffer()->GetCapacity(), 4096u);
}

TEST_F(GraphicsStartupTest, DefaultDeviceStateGoesThroughTheCache)
{
    ASSERT_TRUE(Start(kFullScreenConfig));
    const auto states = CallsOf("SetRenderState");
    EXPECT_NE(std::find(states.begin(), states.end(), "137 0"), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), "142 0"), states.end());
    // 0.15 of 255 rounds to 38.
    EXPECT_NE(std::find(states.begin(), states.end(), "139 4280690214"), states.end());
    // Z-buffering is what the cache already believes in force. (The System font's state blocks record
    // their own depth test, off.)
    EXPECT_EQ(std::count(states.begin(), states.end(), "7 1"), 0);
    EXPECT_EQ(CallsOf("SetTransform").size(), 2u);
}

TEST_F(GraphicsStartupTest, FailsOnlyWithoutTheDeviceInterface)
{
    m_ProvideD3D = false;
    EXPECT_FALSE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetDevice(), nullptr);
}

// Start-up fails without a device, so that the game can say so and stop instead of running blind; the
// settings that made no device are not written back.
TEST_F(GraphicsStartupTest, FailedDeviceCreationFailsStartUpAndSavesNothing)
{
    m_D3D->Failures["CreateDevice"] = GFXERR_NOTAVAILABLE;
    EXPECT_FALSE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->GetDevice(), nullptr);
    EXPECT_FALSE(m_Manager->SetRenderState(RS_LIGHTING, 1));

    m_D3D->Failures["CreateDevice"] = GFXERR_NOTAVAILABLE;
    EXPECT_TRUE(GfxFailed(m_Manager->CreateDevice(m_Window)));
    m_Manager.reset();
    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), kFullScreenConfig);
}

TEST_F(GraphicsStartupTest, AdapterWithoutLargeEnoughModesEndsTheEnumeration)
{
    m_D3D->Adapters[0].Modes = {Mode(320, 240, FMT_X8R8G8B8)};
    EXPECT_FALSE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->BuildDeviceList(), GFX_E_FAIL);
    EXPECT_EQ(m_Manager->GetDevice(), nullptr);

    m_D3D->Adapters.clear();
    EXPECT_EQ(m_Manager->BuildDeviceList(), kaGraphicsManager::kNoUsableAdapter);
}

TEST_F(GraphicsStartupTest, WindowedUseNeedsTheFirstFormatConfirmed)
{
    // The first format met is X8R8G8B8; without it the device cannot run in a window.
    m_D3D->DisplayFormats.erase(FMT_X8R8G8B8);
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(m_Manager->BuildDeviceList(), GFXERR_INVALIDDEVICE);
}

class GraphicsConfigTest : public GraphicsManagerFixture
{
};

TEST_F(GraphicsConfigTest, ReadsKeysWithoutCaseAndTextsWithBlanks)
{
    m_D3D->Adapters[0].Modes.push_back(Mode(1280, 1024, FMT_X8R8G8B8));
    ASSERT_TRUE(Start("[Begin Tarvolin Config]\nFullScreen=1\n[End Tarvolin Config]\n"
                      "[begin graphics config]\n"
                      "fullscreen = 0\n"
                      "3DHARDWARE=0\n"
                      "FS3DDisplayWidth=1280\n"
                      "FS3DDisplayHeight=1024\n"
                      "GfxDetail= 3\n"
                      "DepthStencilFormat=D24 S8\n"
                      "MagMinFiltering=Anisotropic\n"
                      "DisplayDriver=My Card\n"
                      "EnableDepthStencil=0\n"
                      "Unknown=5\n"
                      "BitsPerPixel\n"
                      "[End Graphics Config]\n"
                      "FullScreen=1\n"));
    EXPECT_FALSE(m_Manager->IsFullScreen());
    EXPECT_FALSE(m_Manager->IsHardware());
    EXPECT_EQ(m_Manager->GetScreenWidth(), 1280u);
    EXPECT_EQ(m_Manager->GetScreenHeight(), 1024u);
    EXPECT_EQ(m_Manager->GetDetailLevel(), 3u);
    EXPECT_EQ(m_Manager->GetDepthStencilFormatName(), "D24 S8");
    EXPECT_EQ(m_Manager->GetFilterName(), "Anisotropic");
    EXPECT_EQ(m_Manager->GetDisplayDriver(), "My Card");
    EXPECT_FALSE(m_Manager->IsDepthStencilEnabled());
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 16u);
    EXPECT_EQ(m_Manager->GetDisplayWidth(), 800u);
}

TEST_F(GraphicsConfigTest, FontSectionIsReadAfterTheDeviceWithTheSameKeys)
{
    ASSERT_TRUE(Start("[Begin Font Config]\n"
                      "LoadFont=big,fonts\\big font.kaff\n"
                      "LoadFont=lonely\n"
                      "GfxDetail=4\n"
                      "[End Font Config]\n"
                      "[Begin Graphics Config]\n"
                      "GfxDetail=2\n"
                      "[End Graphics Config]\n"));
    EXPECT_EQ(m_Manager->GetDetailLevel(), 4u);
    // A font file that cannot be read still makes a font of that name, with empty tables.
    const kaFont* big = m_Manager->GetFont("big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetName(), "fonts\\big font.kaff");
    EXPECT_EQ(m_Manager->GetFonts().count("lonely"), 0u);
    EXPECT_EQ(m_Manager->GetFont("lonely"), m_Manager->GetFont("System"));
}

TEST_F(GraphicsConfigTest, RewritesTheSectionAtDestructionKeepingTheRest)
{
    const std::string game = "[Begin Tarvolin Config]\nMusic=5\n[End Tarvolin Config]\n";
    const std::string fonts = "[Begin Font Config]\nLoadFont=big, fonts\\big.kaff\n[End Font Config]\n";
    ASSERT_TRUE(Start((game +
                       "[Begin Graphics Config]\nFSDisplayWidth=1024\nFSDisplayHeight=768\n"
                       "FS3DDisplayWidth=640\nGfxDetail=2\nMagMinFiltering=Point\n"
                       "[End Graphics Config]\n" +
                       fonts)
                          .c_str()));
    m_Manager.reset();
    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), game +
                                              "[Begin Graphics Config]\n"
                                              "3DHardware=1\n"
                                              "FullScreen=0\n"
                                              "FSDisplayWidth=1024\n"
                                              "FSDisplayHeight=768\n"
                                              "FS3DDisplayWidth=1024\n"
                                              "FS3DDisplayHeight=768\n"
                                              "BitsPerPixel=16\n"
                                              "GfxDetail=2\n"
                                              "MagMinFiltering=Point\n"
                                              "EnableDepthStencil=1\n"
                                              "DepthStencilFormat=D16\n"
                                              "DisplayDriver=Default\n"
                                              "[End Graphics Config]\n" +
                                              fonts);
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"Tarvolin.cfg"});
}

TEST_F(GraphicsConfigTest, MissingFileKeepsTheDefaultsAndGainsTheGraphicsSection)
{
    testsupport::DebugCapture debug;
    ASSERT_TRUE(Start(nullptr));
    EXPECT_TRUE(debug.Contains("[ kaGraphicsManager::Initialize ] : Unable to load settings from file"));
    EXPECT_EQ(m_Manager->GetDisplayWidth(), 800u);
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 16u);
    m_Manager.reset();
    const std::string written = m_Dir.Read("Tarvolin.cfg");
    EXPECT_EQ(written.rfind("[Begin Graphics Config]\n3DHardware=1\n", 0), 0u);
    EXPECT_NE(written.find("FSDisplayWidth=800\n"), std::string::npos);
}

TEST_F(GraphicsConfigTest, SettingsRecordStandsInForAFile)
{
    kaGraphicsSettings settings;
    settings.displayWidth = 1024;
    settings.displayHeight = 768;
    settings.bitsPerPixel = 32;
    settings.depthStencilFormat = "D24S8";
    m_Manager = std::make_unique<kaGraphicsManager>();
    ASSERT_TRUE(m_Manager->Initialize(m_Window, nullptr, &settings, true));
    EXPECT_TRUE(m_Manager->IsFullScreen());
    EXPECT_EQ(m_Manager->GetCurrentWidth(), 1024u);
    EXPECT_EQ(m_Manager->GetBitsPerPixel(), 32u);
    EXPECT_EQ(m_Manager->GetDepthStencilFormatName(), "D24S8");
    EXPECT_TRUE(m_Manager->GetConfigFileName().empty());
}

int g_ModelShutdowns = 0;

TEST_F(GraphicsConfigTest, ShutdownEmptiesTheModelsAndReleasesTheDevice)
{
    g_ModelShutdowns = 0;
    kaGraphicsManager::SetModelShutdownHook([] { ++g_ModelShutdowns; });
    ASSERT_TRUE(Start(kFullScreenConfig));
    EXPECT_EQ(g_pGraphicsManager, m_Manager.get());
    m_D3D->AddRef();
    m_Manager.reset();
    kaGraphicsManager::SetModelShutdownHook(nullptr);
    EXPECT_EQ(g_ModelShutdowns, 1);
    EXPECT_EQ(g_pGraphicsManager, nullptr);
    // Only the fixture's references are left.
    EXPECT_EQ(m_D3D->Release(), 1u);
}

// Without a device: lower-case "fullscreen" with blanks sets the flag, the circle tables hold sixteenth
// turns, and the graphics path ends in a backslash unless empty.
TEST_F(GraphicsConfigTest, BareManagerReadsItsFlagTablesAndPath)
{
    kaGraphicsManager manager;
    manager.ReadGraphicsConfig("fullscreen = 1\n");
    EXPECT_TRUE(manager.IsFullScreen());
    EXPECT_FLOAT_EQ(manager.GetSine(4), 1.0f);
    EXPECT_NEAR(manager.GetCosine(8), -1.0f, 1e-6);
    EXPECT_NEAR(manager.GetSine(16), 0.0f, 1e-6);
    EXPECT_EQ(manager.GetGraphicsPath(), "Graphics\\");
    manager.SetGraphicsPath("Textures");
    EXPECT_EQ(manager.GetGraphicsPath(), "Textures\\");
    manager.SetGraphicsPath("Art\\");
    EXPECT_EQ(manager.GetGraphicsPath(), "Art\\");
    manager.SetGraphicsPath("");
    EXPECT_EQ(manager.GetGraphicsPath(), "");
}

class GraphicsHandleTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(kFullScreenConfig)); }

    // The handle of a new run of vertices.
    kaResourceHandle Vertices(uint32_t count, uint32_t fvf = 0x42, uint32_t pool = POOL_MANAGED)
    {
        kaResourceHandle handle = 0;
        m_Manager->CreateVertexBuffer(handle, count, fvf, pool);
        return handle;
    }
};

TEST_F(GraphicsHandleTest, FirstHandlesOfEachKindHaveKeyZeroAndShareAPoolWhileItHasRoom)
{
    kaResourceHandle vertices = 99;
    kaResourceHandle indices = 99;
    EXPECT_EQ(m_Manager->CreateVertexBuffer(vertices, 100, 0x142, POOL_MANAGED), vertices);
    m_Manager->CreateIndexBuffer(indices, 300, POOL_MANAGED);
    EXPECT_EQ(vertices, 0x00000001u);
    EXPECT_EQ(indices, 0x00000001u);

    const kaResourceHandle second = Vertices(50, 0x142);
    EXPECT_EQ(second, 0x00000002u);
    EXPECT_EQ(m_Manager->GetVertexBufferStart(second), 100u);
    EXPECT_EQ(m_Manager->GetVertexStride(second), 24u);
    EXPECT_EQ(m_Manager->GetVertexFVF(second), 0x142u);
    EXPECT_EQ(m_Manager->GetIndexSize(indices), 2u);

    // Another format or memory pool opens another pool.
    EXPECT_EQ(Vertices(10, 0x142, POOL_DEFAULT), 0x00010001u);
    EXPECT_EQ(Vertices(10, 0x152), 0x00020001u);
    // Pools of the default size hold 65536 bytes.
    EXPECT_EQ(m_Manager->GetVertexBuffer(vertices)->GetCapacity(), 65536u / 24);
    EXPECT_EQ(m_Manager->GetIndexBuffer(indices)->GetCapacity(), 32768u);
}

TEST_F(GraphicsHandleTest, LargeRequestGetsAnExactSizePool)
{
    const uint32_t large = 65536 / 24 + 100;
    const kaResourceHandle first = Vertices(large, 0x142);
    const kaResourceHandle next = Vertices(1, 0x142);
    EXPECT_EQ(m_Manager->GetVertexBuffer(first)->GetCapacity(), large);
    EXPECT_EQ(next >> 16, 1u);
    const auto created = CallsOf("CreateVertexBuffer");
    EXPECT_NE(std::find(created.begin(), created.end(), std::to_string(large * 24) + " 0x8 0x142 1"),
              created.end());
}

TEST_F(GraphicsHandleTest, RunsOfALaterPoolAreReleasedByTheirSlot)
{
    const kaResourceHandle managed = Vertices(10);
    const kaResourceHandle system = Vertices(10, 0x42, POOL_SYSTEMMEM);
    ASSERT_EQ(system >> 16, 1u);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(system), 0u);
    EXPECT_EQ(m_Manager->GetVertexBuffer(system), nullptr);
    EXPECT_NE(m_Manager->GetVertexBuffer(managed), nullptr);
}

TEST_F(GraphicsHandleTest, ReleasingTheLastRunFreesThePoolAndItsKeyIsNeverReused)
{
    const kaResourceHandle a = Vertices(10);
    const kaResourceHandle b = Vertices(10);
    EXPECT_TRUE(m_Manager->AddRefVertexBuffer(a));
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(a), 2u);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(a), 1u);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(b), 0u);
    EXPECT_EQ(m_Manager->GetVertexBuffer(b), nullptr);

    const kaResourceHandle c = Vertices(10);
    EXPECT_EQ(c, 0x00010001u);

    kaResourceHandle i = 0;
    m_Manager->CreateIndexBuffer(i, 6, POOL_MANAGED);
    EXPECT_EQ(m_Manager->ReleaseIndexBuffer(i), 0u);
    m_Manager->CreateIndexBuffer(i, 6, POOL_MANAGED);
    EXPECT_EQ(i, 0x00010001u);
}

TEST_F(GraphicsHandleTest, LocksReachTheRunOfTheHandle)
{
    Vertices(10);
    const kaResourceHandle b = Vertices(5);
    Device()->ClearLog();
    ASSERT_NE(m_Manager->LockVertexBuffer(b), nullptr);
    m_Manager->UnlockVertexBuffer(b);
    kaVertexBuffer* buffer = m_Manager->BeginVertexWrite(b);
    ASSERT_NE(buffer, nullptr);
    buffer->WriteDiffuse(0xFFFFFFFF);
    buffer->WritePosition(1, 2, 3);
    m_Manager->EndVertexWrite(b);

    kaResourceHandle i = 0;
    m_Manager->CreateIndexBuffer(i, 6, POOL_MANAGED);
    m_Manager->CreateIndexBuffer(i, 6, POOL_MANAGED);
    ASSERT_NE(m_Manager->BeginIndexWrite(i), nullptr);
    m_Manager->EndIndexWrite(i);
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"), (std::vector<std::string>{"160 80 0", "160 80 0"}));
    EXPECT_EQ(CallsOf("IndexBuffer::Lock"), (std::vector<std::string>{"12 12 0"}));
    EXPECT_EQ(CallsOf("VertexBuffer::Unlock").size(), 2u);
}

TEST_F(GraphicsHandleTest, UnknownHandlesAndFormatsAreRefusedWithADebuggerLine)
{
    testsupport::DebugCapture debug;
    kaResourceHandle handle = 5;
    EXPECT_EQ(m_Manager->CreateVertexBuffer(handle, 10, 0x002, POOL_MANAGED), 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(m_Manager->CreateVertexBuffer(handle, 0, 0x042, POOL_MANAGED), 0u);
    EXPECT_TRUE(debug.Contains("Vertex format 0x2 has no buffer class"));

    Device()->ClearLog();
    EXPECT_EQ(m_Manager->LockVertexBuffer(0x00070001), nullptr);
    EXPECT_EQ(m_Manager->BeginIndexWrite(0x00070001), nullptr);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(0x00070001), 0u);
    EXPECT_FALSE(m_Manager->AddRefIndexBuffer(0x00070001));
    m_Manager->UnlockVertexBuffer(0x00070001);
    EXPECT_TRUE(debug.Contains("[kaGraphicsManager::LockVertexBuffer] : Unknown handle 0x00070001"));

    // A known pool with an unknown slot locks nothing either.
    const kaResourceHandle a = Vertices(10, 0x042);
    EXPECT_EQ(m_Manager->LockVertexBuffer(a + 1), nullptr);
    EXPECT_TRUE(CallsOf("VertexBuffer::Lock").empty());
    EXPECT_TRUE(CallsOf("IndexBuffer::Lock").empty());
}

TEST_F(GraphicsHandleTest, DefaultPoolRunsGoBeforeADeviceReset)
{
    const kaResourceHandle managed = Vertices(10, 0x042);
    const kaResourceHandle lost = Vertices(10, 0x042, POOL_DEFAULT);
    m_Manager->ReleaseDefaultPoolBuffers();
    EXPECT_NE(m_Manager->GetVertexBuffer(managed), nullptr);
    EXPECT_EQ(m_Manager->GetVertexBuffer(lost), nullptr);
}

TEST_F(GraphicsHandleTest, PoolsOpenedAndFreedFarPastTheKeySpaceKeepComingWithoutMeetingLiveOnes)
{
    // Runs kept now and then stand in for buffers that outlive many course loads. Each fills a pool of its
    // own, so no later run joins it, and holds a byte pattern that a run handed the same key would spoil.
    struct Run
    {
        kaResourceHandle handle;
        bool vertices;
        uint32_t bytes;
    };
    const uint32_t kSmall = 10;
    const uint32_t kFullVertexPool = 65536 / 16 + 1;
    const uint32_t kFullIndexPool = 32768 + 1;
    auto open = [&](bool vertices, uint32_t count)
    {
        kaResourceHandle handle = 0;
        if (vertices)
            m_Manager->CreateVertexBuffer(handle, count, 0x042, POOL_SYSTEMMEM);
        else
            m_Manager->CreateIndexBuffer(handle, count, POOL_SYSTEMMEM);
        return Run{handle, vertices, count * (vertices ? 16u : 2u)};
    };
    auto data = [&](const Run& run)
    {
        return static_cast<uint8_t*>(run.vertices ? m_Manager->LockVertexBuffer(run.handle)
                                                  : m_Manager->LockIndexBuffer(run.handle));
    };
    auto unlock = [&](const Run& run)
    { run.vertices ? m_Manager->UnlockVertexBuffer(run.handle) : m_Manager->UnlockIndexBuffer(run.handle); };
    auto release = [&](const Run& run)
    {
        return run.vertices ? m_Manager->ReleaseVertexBuffer(run.handle)
                            : m_Manager->ReleaseIndexBuffer(run.handle);
    };

    // The device's own work only: a call log of this many buffers would cost more than the buffers.
    Device()->SetLogging(false);
    std::vector<std::pair<Run, uint8_t>> kept;
    std::map<uint16_t, bool> liveKeys[2];
    uint32_t wraps[2] = {0, 0};
    uint16_t lastKey[2] = {0, 0};
    for (uint32_t turn = 0; turn < 70000; ++turn)
    {
        for (const bool vertices : {true, false})
        {
            const Run run = open(vertices, kSmall);
            ASSERT_NE(run.handle, 0u) << "turn " << turn;
            const uint16_t key = GetHandlePoolKey(run.handle);
            ASSERT_EQ(liveKeys[vertices].count(key), 0u) << "turn " << turn;
            wraps[vertices] += key < lastKey[vertices];
            lastKey[vertices] = key;
            uint8_t* bytes = data(run);
            ASSERT_NE(bytes, nullptr);
            std::fill_n(bytes, run.bytes, uint8_t(0xEE));
            unlock(run);
            ASSERT_EQ(release(run), 0u) << "turn " << turn;

            if (turn % 997 == 0)
            {
                const Run full = open(vertices, vertices ? kFullVertexPool : kFullIndexPool);
                ASSERT_NE(full.handle, 0u);
                ASSERT_TRUE(liveKeys[vertices].emplace(GetHandlePoolKey(full.handle), true).second);
                const uint8_t pattern = static_cast<uint8_t>(kept.size() + 1);
                std::fill_n(data(full), full.bytes, pattern);
                unlock(full);
                kept.emplace_back(full, pattern);
            }
        }
    }
    EXPECT_GE(wraps[true], 1u);
    EXPECT_GE(wraps[false], 1u);

    for (const auto& [run, pattern] : kept)
    {
        const uint8_t* bytes = data(run);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::count(bytes, bytes + run.bytes, pattern), std::ptrdiff_t(run.bytes))
            << (run.vertices ? "vertex" : "index") << " run 0x" << std::hex << run.handle;
        unlock(run);
        EXPECT_EQ(release(run), 0u);
    }
}

// A pool opened after the keys wrapped has a lower key than one opened before: runs still go to the lowest
// key with room, whichever pool came first.
TEST_F(GraphicsHandleTest, RunsGoToTheLowestKeyWithRoomAcrossTheKeyWrap)
{
    Device()->SetLogging(false);
    // Pools of another format move the key counter on without taking any 0x42 runs.
    const auto passKeys = [&](uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            ASSERT_EQ(m_Manager->ReleaseVertexBuffer(Vertices(10, 0x142)), 0u);
    };
    passKeys(65530);
    // A default 0x42 pool holds 4096 vertices, one of them never handed out.
    const kaResourceHandle early = Vertices(10);
    ASSERT_EQ(GetHandlePoolKey(early), 65530u);
    passKeys(5);
    const kaResourceHandle late = Vertices(4090);
    ASSERT_EQ(GetHandlePoolKey(late), 0u);

    const struct
    {
        uint32_t count;
        uint16_t key;
    } cases[] = {
        {3, 0},        // both pools hold it: the lower key
        {2, 0},        // the late pool's last room
        {1, 65530},    // the late pool is full
        {4000, 65530}, // 84 left
        {85, 1},       // neither holds it: a new pool at the next key
        {84, 1},       // the early pool holds it too, but its key is higher
        {3, 1},
    };
    for (const auto& c : cases)
    {
        const kaResourceHandle run = Vertices(c.count);
        EXPECT_EQ(GetHandlePoolKey(run), c.key) << c.count;
    }
    // Once the late pool goes, its key no longer wins.
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(late), 2u);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(late + 1), 1u);
    EXPECT_EQ(m_Manager->ReleaseVertexBuffer(late + 2), 0u);
    EXPECT_EQ(GetHandlePoolKey(Vertices(3)), 1u);
}

// A pool just looked up and then gone, by its last release or a device reset, is gone for every later
// look-up too: its handles lock nothing and say so.
TEST_F(GraphicsHandleTest, HandlesOfAPoolThatWentFindNothingThoughJustLookedUp)
{
    const struct
    {
        const char* name;
        uint32_t pool;
        bool reset;
    } cases[] = {{"last run released", POOL_MANAGED, false}, {"device reset", POOL_DEFAULT, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const kaResourceHandle vertices = Vertices(10, 0x042, c.pool);
        kaResourceHandle indices = 0;
        m_Manager->CreateIndexBuffer(indices, 6, c.pool);
        ASSERT_NE(m_Manager->LockVertexBuffer(vertices), nullptr);
        m_Manager->UnlockVertexBuffer(vertices);
        ASSERT_NE(m_Manager->LockIndexBuffer(indices), nullptr);
        m_Manager->UnlockIndexBuffer(indices);
        if (c.reset)
            m_Manager->ReleaseDefaultPoolBuffers();
        else
        {
            ASSERT_EQ(m_Manager->ReleaseVertexBuffer(vertices), 0u);
            ASSERT_EQ(m_Manager->ReleaseIndexBuffer(indices), 0u);
        }
        testsupport::DebugCapture debug;
        EXPECT_EQ(m_Manager->LockVertexBuffer(vertices), nullptr);
        EXPECT_EQ(m_Manager->GetVertexBuffer(vertices), nullptr);
        EXPECT_EQ(m_Manager->LockIndexBuffer(indices), nullptr);
        EXPECT_EQ(m_Manager->GetIndexBuffer(indices), nullptr);
        EXPECT_TRUE(debug.Contains("[kaGraphicsManager::LockVertexBuffer] : Unknown handle"));
        EXPECT_TRUE(debug.Contains("[kaGraphicsManager::LockIndexBuffer] : Unknown handle"));
    }
}

// Many pools in use at once, looked up in turn and out of turn: each handle reaches its own run.
TEST_F(GraphicsHandleTest, ManyPoolsLookedUpInAnyOrderEachReachTheirOwnRun)
{
    // Each run fills a pool of its own.
    const uint32_t count = 65536 / 16 + 1;
    std::vector<kaResourceHandle> runs;
    for (uint32_t i = 0; i < 20; ++i)
        runs.push_back(Vertices(count, 0x042, i % 2 ? POOL_SYSTEMMEM : POOL_MANAGED));
    std::set<uint16_t> keys;
    for (kaResourceHandle run : runs)
        keys.insert(GetHandlePoolKey(run));
    ASSERT_EQ(keys.size(), runs.size());
    const auto fill = [&](size_t i)
    {
        auto* bytes = static_cast<uint8_t*>(m_Manager->LockVertexBuffer(runs[i]));
        ASSERT_NE(bytes, nullptr);
        std::fill_n(bytes, count * 16, static_cast<uint8_t>(i + 1));
        m_Manager->UnlockVertexBuffer(runs[i]);
    };
    // Forwards, then every eighth, then backwards: look-ups of keys apart by any step.
    for (size_t i = 0; i < runs.size(); ++i)
        fill(i);
    for (size_t step : {8u, 16u})
        for (size_t i = 0; i + step < runs.size(); ++i)
        {
            fill(i + step);
            fill(i);
        }
    for (size_t i = runs.size(); i-- > 0;)
    {
        const auto* bytes = static_cast<const uint8_t*>(m_Manager->LockVertexBuffer(runs[i]));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::count(bytes, bytes + count * 16, static_cast<uint8_t>(i + 1)),
                  std::ptrdiff_t(count * 16))
            << "run " << i;
        m_Manager->UnlockVertexBuffer(runs[i]);
        EXPECT_EQ(m_Manager->GetVertexStride(runs[i]), 16u);
    }
}

TEST_F(GraphicsHandleTest, NoRunsWithoutADevice)
{
    kaGraphicsManager manager;
    kaResourceHandle handle = 3;
    EXPECT_EQ(manager.CreateVertexBuffer(handle, 10, 0x042, POOL_MANAGED), 0u);
    EXPECT_EQ(manager.CreateIndexBuffer(handle, 10, POOL_MANAGED), 0u);
}

} // namespace
