#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/scene/PhysicsScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using physicstest::Scene;
using platform::Vector3;
using testsupport::RiffBuilder;

namespace
{

void ReadContactXml(kaEntity& entity, const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str());
    ASSERT_NE(document.RootElement(), nullptr) << text;
    entity.ReadXml(document.RootElement());
}

std::unique_ptr<kaMaterial> ContactMaterial(const std::string& keys)
{
    auto material = std::make_unique<kaMaterial>();
    TiXmlDocument document;
    document.Parse(("<m>" + keys + "</m>").c_str());
    material->ReadXml(document.RootElement());
    return material;
}

// Contact response heard through the sound system on a null output: the sounds it loads, their rate and
// volume, and the impact sounds it starts.
class ContactResponseTest : public ::testing::Test
{
protected:
    static constexpr int32_t kEffectsVolume = -300;

    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, true);
        SetSoundVolume(kEffectsVolume);
        m_Hit = Wave("hit.wav");
        m_Scrape = Wave("scrape.wav");
        m_Entity = m_Scene.Add(Vector3(0, 2, 0), {});
        m_Other = m_Scene.Add(Vector3(5, 2, 0), {});
        m_Entity->SetBodyEnabled(true);
    }
    void TearDown() override { SetSoundVolume(0); }

    std::string Wave(const std::string& name)
    {
        return m_Dir.Write(name, RiffBuilder::PcmWave(
                                     1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(22050, 100))));
    }

    // A contact of this step pushing with that force, between these materials.
    void Touch(float force, kaMaterial* own, kaMaterial* other)
    {
        m_Feedback.push_back(std::make_unique<dJointFeedback>());
        m_Feedback.back()->f1[1] = force;
        *m_Entity->NextContactRecord() =
            kaContactRecord{m_Feedback.back().get(), m_Other, nullptr, nullptr, own, other};
    }

    // The sound the last step started, if any: a fresh sound system gives the first load id 1.
    std::optional<kaSoundHandle> Played(int32_t id = 1) const
    {
        kaSoundHandle handle;
        handle.id = id;
        if (!m_Wizard.IsSoundLoaded(handle))
            return std::nullopt;
        return handle;
    }

    platform::NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    SoundManager m_Manager;
    Wizard m_Wizard;
    Scene m_Scene;
    std::string m_Hit;
    std::string m_Scrape;
    kaEntityPhysical* m_Entity = nullptr;
    kaEntityPhysical* m_Other = nullptr;
    std::vector<std::unique_ptr<dJointFeedback>> m_Feedback;
};

TEST_F(ContactResponseTest, TheSummedForcePlaysOneSoundWhosePitchAndVolumeFollowIt)
{
    struct Case
    {
        const char* keys;
        std::vector<float> forces;
        bool plays;
        uint32_t hertz;
        int32_t volume;
    };
    // Defaults: threshold 1000, maximum 6000. A sixth of the maximum: 14700 Hz and 500 * 5/6 below.
    const Case cases[] = {
        {"<e/>", {600.0f, 400.0f}, true, 14700, -716},
        {"<e/>", {999.0f}, false, 0, 0},
        {"<e/>", {12000.0f}, true, 88200, kEffectsVolume},
        {"<e/>", {3000.0f}, true, 44100, -250 + kEffectsVolume},
        {"<e><collisionMax>0</collisionMax></e>", {2000.0f}, true, 88200, kEffectsVolume},
        {"<e><collisionThreshold>10</collisionThreshold></e>", {20.0f}, true, 294, -498 + kEffectsVolume},
    };
    auto own = ContactMaterial("<soundFile>" + m_Hit + "</soundFile>");
    auto other = ContactMaterial("");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.keys + std::string(" ") + std::to_string(c.forces.front()));
        Wizard wizard;
        wizard.Init(&m_Manager, true);
        ReadContactXml(*m_Entity, c.keys);
        for (float force : c.forces)
            Touch(force, own.get(), other.get());
        m_Entity->Update(0.02f);
        EXPECT_EQ(m_Entity->GetContactRecordCount(), 0);
        kaSoundHandle handle;
        handle.id = 1;
        ASSERT_EQ(wizard.IsSoundLoaded(handle), c.plays);
        EXPECT_EQ(wizard.GetQueuedEventCount(), c.plays ? 1u : 0u);
        if (c.plays)
        {
            EXPECT_NEAR(wizard.GetSoundFrequency(handle), c.hertz, 1u);
            EXPECT_NEAR(wizard.GetSoundPlayVolume(handle), c.volume, 1);
        }
        // Back to the defaults for the next case.
        ReadContactXml(
            *m_Entity,
            "<e><collisionMax>6000</collisionMax><collisionThreshold>1000</collisionThreshold></e>");
    }
}

TEST_F(ContactResponseTest, TheFirstRecordWithBothMaterialsAndTheRightToPlaySoundsOnce)
{
    // Only the sound the right record names exists: any other choice loads nothing.
    const std::string missing = m_Dir.File("missing.wav");
    auto low = ContactMaterial("<soundFile>" + m_Hit + "</soundFile>");
    auto lowMissing = ContactMaterial("<soundFile>" + missing + "</soundFile>");
    auto high = ContactMaterial("<soundFile>" + m_Scrape + "</soundFile><soundPriority>2</soundPriority>");
    auto highMissing =
        ContactMaterial("<soundFile>" + missing + "</soundFile><soundPriority>2</soundPriority>");
    auto quiet = ContactMaterial("<soundPriority>1</soundPriority>");
    auto alternate = ContactMaterial("<soundFile>" + missing + "</soundFile><altSoundFile>" + m_Scrape +
                                     "</altSoundFile>");
    alternate->SetUseAltSound(true);
    struct Case
    {
        const char* what;
        std::vector<std::pair<kaMaterial*, kaMaterial*>> contacts;
        bool plays;
    };
    const Case cases[] = {
        {"a lower priority than the other's is quiet", {{low.get(), highMissing.get()}}, false},
        {"a higher priority plays", {{high.get(), lowMissing.get()}}, true},
        {"equal priorities play", {{low.get(), lowMissing.get()}}, true},
        {"without a sound the next record plays",
         {{quiet.get(), lowMissing.get()}, {high.get(), lowMissing.get()}},
         true},
        {"a missing material is passed over",
         {{nullptr, lowMissing.get()}, {lowMissing.get(), nullptr}, {low.get(), lowMissing.get()}},
         true},
        {"the alternate sound while its flag is set", {{alternate.get(), lowMissing.get()}}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Wizard wizard;
        wizard.Init(&m_Manager, true);
        for (const auto& [own, other] : c.contacts)
            Touch(2000.0f, own, other);
        m_Entity->Update(0.02f);
        kaSoundHandle first;
        first.id = 1;
        kaSoundHandle second;
        second.id = 2;
        EXPECT_EQ(wizard.IsSoundLoaded(first), c.plays);
        // At most one sound for the step.
        EXPECT_FALSE(wizard.IsSoundLoaded(second));
    }
}

TEST_F(ContactResponseTest, NoSoundWithFiveImpactsRunningOrABodyAtRest)
{
    auto own = ContactMaterial("<soundFile>" + m_Hit + "</soundFile>");
    for (int i = 0; i < Wizard::kMaxImpactSounds; ++i)
    {
        const kaSoundHandle running = m_Wizard.LoadSound(m_Hit, false, false, 0, 0, 0, 100, 4);
        m_Wizard.PlayImpactSound(running, 0);
        m_Sink.Advance(10);
        m_Wizard.Update(0.0f);
    }
    ASSERT_FALSE(m_Wizard.HasFreeImpactSlot());
    Touch(5000.0f, own.get(), own.get());
    m_Entity->Update(0.02f);
    EXPECT_FALSE(Played(Wizard::kMaxImpactSounds + 1).has_value());
    EXPECT_NEAR(m_Entity->GetCollisionForceLength(), 5000.0f, 1e-3f);

    // A resting body reads nothing, even with records collected.
    Wizard fresh;
    fresh.Init(&m_Manager, true);
    m_Entity->SetBodyEnabled(false);
    Touch(5000.0f, own.get(), own.get());
    m_Entity->Update(0.02f);
    EXPECT_EQ(fresh.GetQueuedEventCount(), 0u);
    EXPECT_EQ(m_Entity->GetCollisionForceLength(), 0.0f);
    EXPECT_EQ(m_Entity->GetContactRecordCount(), 0);
}

TEST_F(ContactResponseTest, ADecalFiresOnceOnItsPrimitiveWhenTheLastForceReachesItsThreshold)
{
    ReadContactXml(*m_Entity,
                   "<e><decal><vertBox>door</vertBox><texture>dent.tga</texture><trigger>PRIM_Ball</trigger>"
                   "</decal><decal><vertBox>door</vertBox><texture>crack.tga</texture><threshold>1500"
                   "</threshold><trigger>PRIM_Ball</trigger></decal></e>");
    ASSERT_EQ(m_Entity->GetImpactDecalCount(), 2u);
    m_Entity->OnTrigger(m_Other, "PRIM_Other", "PRIM_Ball");
    EXPECT_EQ(m_Entity->GetImpactDecalCount(), 2u);
    // After a step without contacts the force is 0: only the decal of threshold 0 fires.
    m_Entity->OnTrigger(m_Other, "PRIM_Ball", "PRIM_Other");
    EXPECT_EQ(m_Entity->GetImpactDecalCount(), 1u);
    m_Entity->OnTrigger(m_Other, "PRIM_Ball", "PRIM_Other");
    EXPECT_EQ(m_Entity->GetImpactDecalCount(), 1u);
    auto material = ContactMaterial("");
    Touch(1500.0f, material.get(), material.get());
    m_Entity->Update(0.02f);
    m_Entity->OnTrigger(m_Other, "PRIM_Ball", "PRIM_Other");
    EXPECT_EQ(m_Entity->GetImpactDecalCount(), 0u);
}

TEST_F(ContactResponseTest, AnAlternateSoundLastsTenStepsPastTheLastTouch)
{
    ReadContactXml(*m_Entity, "<e><altSoundTrigger><trigger>PRIM_Switch</trigger><prim>PRIM_Ball</prim>"
                              "<prim>PRIM_Missing</prim></altSoundTrigger></e>");
    m_Entity->Initialize();
    kaMaterial* material = m_Entity->FindGeomData("PRIM_Ball")->GetMaterial();
    ASSERT_NE(material, nullptr);
    m_Entity->OnTrigger(m_Other, "PRIM_Ball", "PRIM_Switch");
    EXPECT_FALSE(material->GetUseAltSound());
    // Touched on three steps in a row: on from the first touch.
    for (int step = 0; step < 3; ++step)
    {
        m_Entity->OnTrigger(m_Other, "PRIM_Switch", "PRIM_Other");
        EXPECT_TRUE(material->GetUseAltSound());
        m_Entity->Update(0.02f);
    }
    EXPECT_EQ(m_Entity->GetAltSoundTriggers().front()->m_Countdown, kaAltSoundTrigger::kStepsAfterTouch - 1);
    for (int step = 2; step <= kaAltSoundTrigger::kStepsAfterTouch; ++step)
    {
        EXPECT_TRUE(material->GetUseAltSound()) << step;
        m_Entity->Update(0.02f);
    }
    EXPECT_FALSE(material->GetUseAltSound());
    m_Entity->Update(0.02f);
    EXPECT_FALSE(material->GetUseAltSound());
}

} // namespace
