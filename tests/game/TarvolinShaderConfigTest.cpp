#include "game/Tarvolin.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/game/ScriptedInput.h"

#include <gtest/gtest.h>

// The shader keys of the configuration section against the levels the device offers.
class TarvolinShaderConfigTest : public ::testing::Test
{
protected:
    // Starts the application on a scripted device offering these shader versions.
    void Start(uint32_t pixel, uint32_t vertex)
    {
        m_D3D->Adapters[0].Caps.PixelShaderVersion = pixel;
        m_D3D->Adapters[0].Caps.VertexShaderVersion = vertex;
        m_App.RegisterMainWindowClass(nullptr);
        ASSERT_EQ(m_App.CreateMainWindow(nullptr, platform::SW_SHOWDEFAULT), 1);
        ASSERT_TRUE(m_App.Init(""));
    }

    ~TarvolinShaderConfigTest() override
    {
        m_App.Shutdown();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
    }

    gametest::InstallFolder m_Install;
    platform::ScriptedWindowBackend m_Backend;
    gametest::AttachedDevices m_Devices{{}};
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous = platform::SetDirect3DFactory([this]() -> platform::GfxDirect3D* {
        m_D3D->AddRef();
        return m_D3D;
    });
    Tarvolin m_App;
};

TEST_F(TarvolinShaderConfigTest, StartsAtTheDevicesLevels)
{
    Start(platform::PS_VERSION(1, 4), platform::VS_VERSION(1, 1));
    EXPECT_EQ(m_App.GetPixelShaderLevel(), 2);
    EXPECT_EQ(m_App.GetVertexShaderLevel(), 1);
}

TEST_F(TarvolinShaderConfigTest, RequestedLevelsAreClampedToTheDevice)
{
    Start(platform::PS_VERSION(1, 4), platform::VS_VERSION(1, 1));
    struct Case
    {
        const char* line;
        int32_t pixel;
        int32_t vertex;
    };
    const Case cases[] = {
        {"PixelShaderEffects=3", 2, 1},  {"PixelShaderEffects=5", 0, 1},  {"PixelShaderEffects=1", 1, 1},
        {"PixelShaderEffects=-1", 0, 1}, {"PixelShaderEffects", 0, 1},    {"VertexShaderEffects=3", 2, 1},
        {"VertexShaderEffects=0", 2, 0}, {"VertexShaderEffects=2", 2, 1},
    };
    for (const Case& c : cases)
    {
        m_App.SetPixelShaderLevel(2);
        m_App.SetVertexShaderLevel(1);
        m_App.ParseConfigLine(c.line);
        EXPECT_EQ(m_App.GetPixelShaderLevel(), c.pixel) << c.line;
        EXPECT_EQ(m_App.GetVertexShaderLevel(), c.vertex) << c.line;
    }
}
