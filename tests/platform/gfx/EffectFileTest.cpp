#include "platform/gfx/EffectFile.h"
#include "platform/gfx/GfxEffect.h"

#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "tests/support/TestDeviceFixture.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector4.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace platform;

namespace
{

const char* const kWater = "// the water plane\n"
                           "technique Water\n"
                           "pass Base\n"
                           "  renderstate 27 1\n"
                           "  samplerstate 0 5 0x2\n"
                           "  vertexshader\n"
                           "#version 120\n"
                           "uniform mat4 worldViewProj;\n"
                           "void main() { gl_Position = worldViewProj * gl_Vertex; }\n"
                           "  endshader\n"
                           "  fragmentshader\n"
                           "#version 120\n"
                           "void main() { gl_FragColor = vec4(1.0); }\n"
                           "endshader\n"
                           "pass Glint\n"
                           "  renderstate 27 0\n"
                           "technique Cheap\n"
                           "pass Only\n";

TEST(EffectFileTest, ReadsTechniquesPassesStatesAndSources)
{
    EffectFile file;
    std::string error;
    ASSERT_TRUE(file.Parse(kWater, error)) << error;
    const auto& techniques = file.GetTechniques();
    ASSERT_EQ(techniques.size(), 2u);
    EXPECT_EQ(techniques[0].name, "Water");
    ASSERT_EQ(techniques[0].passes.size(), 2u);
    const EffectFile::Pass& base = techniques[0].passes[0];
    EXPECT_EQ(base.name, "Base");
    ASSERT_EQ(base.renderStates.size(), 1u);
    EXPECT_EQ(base.renderStates[0].state, 27u);
    EXPECT_EQ(base.renderStates[0].value, 1u);
    ASSERT_EQ(base.samplerStates.size(), 1u);
    EXPECT_EQ(base.samplerStates[0].state, 5u);
    EXPECT_EQ(base.samplerStates[0].value, 2u);
    EXPECT_EQ(base.vertexSource.rfind("#version 120\nuniform mat4 worldViewProj;\n", 0), 0u);
    EXPECT_EQ(base.fragmentSource, "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    EXPECT_TRUE(techniques[0].passes[1].vertexSource.empty());
    EXPECT_EQ(techniques[1].passes[0].name, "Only");
}

TEST(EffectFileTest, RefusesMalformedFilesWithTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "no technique"},
        {"pass P\n", "line 1"},
        {"technique T\nrenderstate 1 2\n", "line 2"},
        {"technique T\npass P\nrenderstate 1\n", "line 3"},
        {"technique T\npass P\nrenderstate -1 2\n", "line 3"},
        {"technique T\npass P\nrenderstate 99999999999 2\n", "line 3"},
        {"technique T\npass P\nvertexshader\nvoid main() {}\n", "line 3"},
        {"technique T\npass P\nblend on\n", "unknown keyword"},
        {"technique T\n", "has no pass"},
        {"technique T\npass P\nvertexshader\nendshader\nvertexshader\n", "line 5"},
    };
    for (const auto& c : cases)
    {
        EffectFile file;
        std::string error;
        EXPECT_FALSE(file.Parse(c.first, error)) << c.first;
        EXPECT_NE(error.find(c.second), std::string::npos) << c.first << " -> " << error;
        EXPECT_TRUE(file.GetTechniques().empty());
    }
    EffectFile file;
    std::string error;
    EXPECT_FALSE(file.Parse(std::string(EffectFile::kMaxFileBytes + 1, '/'), error));
    EXPECT_FALSE(file.Load("/no/such/file.fx", error));
}

class EffectTest : public TestDeviceFixture
{
protected:
    EffectTest() : TestDeviceFixture(32, 32) {}

    void SetUp() override
    {
        TestDeviceFixture::SetUp();
        const std::string path = m_Dir.Write("water.fx", kWater);
        ASSERT_EQ(GfxEffect::CreateFromFile(m_Device, path, &m_Effect, nullptr), GFX_OK);
        m_Device->ClearLog();
    }

    void TearDown() override
    {
        if (m_Effect)
            m_Effect->Release();
        TestDeviceFixture::TearDown();
    }

    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        for (const auto& call : m_Device->Calls())
            lines.push_back(call.Method + (call.Args.empty() ? "" : " " + call.Args));
        return lines;
    }

    GfxEffect* m_Effect = nullptr;
    testsupport::TempDir m_Dir;
};

TEST_F(EffectTest, BeginCountsThePassesAndAPassSetsItsStates)
{
    uint32_t passes = 0;
    ASSERT_EQ(m_Effect->Begin(&passes, 0), GFX_OK);
    EXPECT_EQ(passes, 2u);
    ASSERT_EQ(m_Effect->BeginPass(0), GFX_OK);
    const std::vector<std::string> log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "SetRenderState 27 1"), log.end());
    ASSERT_EQ(m_Effect->EndPass(), GFX_OK);
    ASSERT_EQ(m_Effect->End(), GFX_OK);
}

TEST_F(EffectTest, EndRestoresTheStatesThePassesSet)
{
    m_Device->SetRenderState(27, 5);
    uint32_t passes = 0;
    ASSERT_EQ(m_Effect->Begin(&passes, 0), GFX_OK);
    ASSERT_EQ(m_Effect->BeginPass(1), GFX_OK);
    uint32_t value = 0;
    m_Device->GetRenderState(27, &value);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(m_Effect->End(), GFX_OK);
    m_Device->GetRenderState(27, &value);
    EXPECT_EQ(value, 5u);

    ASSERT_EQ(m_Effect->Begin(&passes, GfxEffect::kDoNotSaveState), GFX_OK);
    ASSERT_EQ(m_Effect->BeginPass(0), GFX_OK);
    ASSERT_EQ(m_Effect->End(), GFX_OK);
    m_Device->GetRenderState(27, &value);
    EXPECT_EQ(value, 1u);
}

TEST_F(EffectTest, CallsOutOfOrderAreRefused)
{
    EXPECT_EQ(m_Effect->BeginPass(0), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Effect->EndPass(), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Effect->End(), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Effect->SetTechnique("Nothing"), GFXERR_INVALIDCALL);
    ASSERT_EQ(m_Effect->SetTechnique("Cheap"), GFX_OK);
    uint32_t passes = 0;
    ASSERT_EQ(m_Effect->Begin(&passes, 0), GFX_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(m_Effect->BeginPass(1), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Effect->Begin(&passes, 0), GFXERR_INVALIDCALL);
    ASSERT_EQ(m_Effect->BeginPass(0), GFX_OK);
    EXPECT_EQ(m_Effect->BeginPass(0), GFXERR_INVALIDCALL);
    EXPECT_EQ(m_Effect->End(), GFX_OK);
}

TEST_F(EffectTest, TextureParametersHoldAReferenceAndTakeUnitsByName)
{
    GfxTexture* waves = nullptr;
    GfxTexture* foam = nullptr;
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &waves), GFX_OK);
    ASSERT_EQ(m_Device->CreateTexture(4, 4, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &foam), GFX_OK);
    ASSERT_EQ(m_Effect->SetTexture("waves", waves), GFX_OK);
    ASSERT_EQ(m_Effect->SetTexture("foam", foam), GFX_OK);
    EXPECT_EQ(waves->GetRefCount(), 2u);
    uint32_t passes = 0;
    ASSERT_EQ(m_Effect->Begin(&passes, 0), GFX_OK);
    ASSERT_EQ(m_Effect->BeginPass(0), GFX_OK);
    GfxBaseTexture* bound = nullptr;
    m_Device->GetTexture(0, &bound);
    EXPECT_EQ(bound, foam);
    m_Device->GetTexture(1, &bound);
    EXPECT_EQ(bound, waves);
    m_Effect->End();
    // Replacing the texture by a number lets it go.
    ASSERT_EQ(m_Effect->SetFloat("waves", 2.0f), GFX_OK);
    EXPECT_EQ(waves->GetRefCount(), 1u);
    waves->Release();
    m_Effect->Release();
    m_Effect = nullptr;
    EXPECT_EQ(foam->Release(), 0u);
}

using EffectFileErrorTest = TestDeviceFixture;

TEST_F(EffectFileErrorTest, UnreadableFileGivesNoEffectAndADebuggerLine)
{
    testsupport::DebugCapture capture;
    testsupport::TempDir dir;
    GfxEffect* effect = reinterpret_cast<GfxEffect*>(8);
    std::string errors;
    EXPECT_TRUE(
        GfxFailed(GfxEffect::CreateFromFile(m_Device, dir.Write("bad.fx", "technique\n"), &effect, &errors)));
    EXPECT_EQ(effect, nullptr);
    EXPECT_NE(errors.find("line 1"), std::string::npos);
    EXPECT_TRUE(capture.Contains("[GfxEffect::CreateFromFile]"));
}

} // namespace
