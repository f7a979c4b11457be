#include "engine/render/kaEffect.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxEffect.h"
#include "tests/support/DebugCapture.h"

using namespace platform;

namespace
{

const char* const kEffect = "technique Plain\npass P\nrenderstate 7 1\n";

class EffectTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }
};

TEST_F(EffectTest, LoadedEffectIsSharedByName)
{
    const std::string path = m_Dir.Write("plain.fx", kEffect);
    kaEffect* effect = m_Manager->LoadEffect(path);
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(effect->GetEffect(), nullptr);
    EXPECT_EQ(effect->GetName(), path);
    EXPECT_EQ(m_Manager->LoadEffect(path), effect);
    EXPECT_EQ(effect->GetRefCount(), 2);
    ASSERT_EQ(m_Manager->GetEffects().size(), 1u);
    EXPECT_EQ(m_Manager->GetEffects().begin()->first, 1u);
    effect->Release();
}

TEST_F(EffectTest, FailedEffectKeepsItsNameAndIsRegisteredOnce)
{
    testsupport::DebugCapture capture;
    const std::string path = m_Dir.Write("broken.fx", "technique\n");
    kaEffect* effect = m_Manager->LoadEffect(path);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetEffect(), nullptr);
    EXPECT_EQ(effect->GetName(), path);
    EXPECT_EQ(m_Manager->GetEffects().size(), 1u);
    EXPECT_TRUE(capture.Contains("broken.fx"));
    // Asked again, the same broken effect answers rather than a second one.
    EXPECT_EQ(m_Manager->LoadEffect(path), effect);
    EXPECT_EQ(m_Manager->GetEffects().size(), 1u);
    effect->Release();
}

TEST_F(EffectTest, DeviceResetDropsAndRemakesEffects)
{
    const std::string path = m_Dir.Write("plain.fx", kEffect);
    kaEffect* effect = m_Manager->LoadEffect(path);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->ReleaseEffect(), 0);
    EXPECT_EQ(effect->ReleaseEffect(), 0);
    EXPECT_EQ(effect->GetEffect(), nullptr);

    ASSERT_EQ(effect->RecreateEffect(), GFX_OK);
    ASSERT_NE(effect->GetEffect(), nullptr);
    m_Manager->InvalidateDeviceObjects();
    EXPECT_EQ(effect->GetEffect(), nullptr);
    m_Manager->RestoreDeviceObjects();
    EXPECT_NE(effect->GetEffect(), nullptr);

    // A file fixed in the meantime loads at the next reset.
    const std::string broken = m_Dir.Write("later.fx", "nonsense\n");
    kaEffect* later = m_Manager->LoadEffect(broken);
    ASSERT_EQ(later->GetEffect(), nullptr);
    m_Dir.Write("later.fx", kEffect);
    ASSERT_EQ(m_Manager->ResetDevice(), GFX_OK);
    EXPECT_NE(later->GetEffect(), nullptr);
}

TEST_F(EffectTest, NoDeviceNoEffect)
{
    m_Manager->ReleaseAll();
    EXPECT_EQ(m_Manager->LoadEffect(m_Dir.Write("plain.fx", kEffect)), nullptr);
    EXPECT_TRUE(m_Manager->GetEffects().empty());
}

} // namespace
