#include "engine/scene/kaMaterial.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/scene/MaterialRegistry.h"
#include "engine/scene/kaGeomData.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

class IceMaterial : public kaMaterial
{
};

const bool s_IceRegistered = (MaterialRegistry::Register("IceMaterial") = &MaterialRegistry::Make<IceMaterial>,
                              true);

class MaterialTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir.Write("InitData/materials.xml",
                    "<?xml version=\"1.0\"?><root>"
                    "<initData><uniqueID>Grass</uniqueID><dataType>Material</dataType>"
                    "<data><friction>0.5</friction><type>3</type><soundFile>grass.wav</soundFile>"
                    "<soundPriority>2</soundPriority><damagePerSecond>1.5</damagePerSecond>"
                    "<rollParticle>Dust</rollParticle></data></initData>"
                    // Launch includes Grass: Grass applies first, Launch's own keys over it.
                    "<initData><uniqueID>Launch</uniqueID><dataType>Material</dataType><include>Grass</include>"
                    "<data><friction>0.25</friction><passThrough>1</passThrough><noImpactDamage>1</noImpactDamage>"
                    "<slipParticle>Sparks</slipParticle><altSoundFile>boost.wav</altSoundFile></data></initData>"
                    "<initData><uniqueID>Loop</uniqueID><dataType>Material</dataType><include>Back</include>"
                    "<data><type>7</type></data></initData>"
                    "<initData><uniqueID>Back</uniqueID><dataType>Material</dataType><include>Loop</include>"
                    "<data><friction>2</friction></data></initData>"
                    "<initData><uniqueID>Ice</uniqueID><dataType>Material</dataType>"
                    "<data><classType>IceMaterial</classType><friction>0.1</friction></data></initData>"
                    "<initData><uniqueID>Odd</uniqueID><dataType>Material</dataType>"
                    "<data><classType>NoSuchMaterial</classType><friction>0.75</friction></data></initData>"
                    // An entity record of the same name is not a material.
                    "<initData><uniqueID>Stone</uniqueID><data><friction>9</friction></data></initData>"
                    "</root>");
        m_Base.LoadInitData(m_Dir.File("InitData"));
    }

    testsupport::TempDir m_Dir;
    kaInitDataBase m_Base;
};

TEST_F(MaterialTest, LoadsIncludesFirstAndKeepsTheGivenName)
{
    struct Case
    {
        const char* id;
        float friction;
        int type;
        const char* sound;
        int priority;
        bool passThrough;
        const char* roll;
        const char* slip;
    };
    const Case cases[] = {
        {"Grass", 0.5f, 3, "grass.wav", 2, false, "Dust", ""},
        {"Launch", 0.25f, 3, "grass.wav", 2, true, "Dust", "Sparks"},
        {"Loop", 2.0f, 7, "", 0, false, "", ""},
        {"Stone", 1.0f, 0, "", 0, false, "", ""},
        {"Missing", 1.0f, 0, "", 0, false, "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.id);
        kaMaterial material;
        material.Load(c.id);
        EXPECT_EQ(material.GetName(), c.id);
        EXPECT_FLOAT_EQ(material.GetFriction(), c.friction);
        EXPECT_FLOAT_EQ(material.GetBaseFriction(), c.friction);
        EXPECT_EQ(material.GetType(), c.type);
        EXPECT_EQ(material.GetSoundFile(), c.sound);
        EXPECT_EQ(material.GetSoundPriority(), c.priority);
        EXPECT_EQ(material.GetPassThrough(), c.passThrough);
        EXPECT_EQ(material.GetNoImpactDamage(), c.passThrough);
        EXPECT_EQ(material.GetRollParticle(), c.roll);
        EXPECT_EQ(material.GetSlipParticle(), c.slip);
    }
}

TEST_F(MaterialTest, AlternateSoundReplacesTheSoundOnlyWhileSetAndPresent)
{
    kaMaterial launch;
    launch.Load("Launch");
    kaMaterial grass;
    grass.Load("Grass");
    for (kaMaterial* material : {&launch, &grass})
        material->SetUseAltSound(true);
    EXPECT_EQ(launch.GetActiveSoundFile(), "boost.wav");
    EXPECT_EQ(grass.GetActiveSoundFile(), "grass.wav");
    launch.SetUseAltSound(false);
    EXPECT_EQ(launch.GetActiveSoundFile(), "grass.wav");
}

TEST_F(MaterialTest, PrimitivesGetMaterialsOfTheRecordsClassOrPlainOnes)
{
    kaGeomData ice, odd, launch, unlisted;
    ice.m_Name = "hull";
    odd.m_Name = "wing";
    launch.m_Name = "pad";
    unlisted.m_Name = "tail";
    kaMaterial* kept = new kaMaterial();
    launch.SetMaterial(std::unique_ptr<kaMaterial>(kept));
    kaGeomData::AssignMaterials({&ice, &odd, &launch, &unlisted},
                                {{"hull", "Ice"}, {"wing", "Odd"}, {"pad", "Launch"}, {"nose", "Grass"}});

    EXPECT_NE(dynamic_cast<IceMaterial*>(ice.GetMaterial()), nullptr);
    EXPECT_FLOAT_EQ(ice.GetMaterial()->GetFriction(), 0.1f);
    // An unknown class still gives a material filled from the record.
    ASSERT_NE(odd.GetMaterial(), nullptr);
    EXPECT_EQ(dynamic_cast<IceMaterial*>(odd.GetMaterial()), nullptr);
    EXPECT_FLOAT_EQ(odd.GetMaterial()->GetFriction(), 0.75f);
    EXPECT_EQ(odd.GetMaterial()->GetName(), "Odd");
    // A record that has a material loads over it.
    EXPECT_EQ(launch.GetMaterial(), kept);
    EXPECT_EQ(kept->GetName(), "Launch");
    ASSERT_NE(unlisted.GetMaterial(), nullptr);
    EXPECT_FLOAT_EQ(unlisted.GetMaterial()->GetFriction(), 1.0f);
    EXPECT_EQ(unlisted.GetMaterial()->GetSoundFile(), "");
}

TEST(MaterialRegistryTest, CreatesRegisteredClassesOnly)
{
    std::unique_ptr<kaMaterial> plain(MaterialRegistry::Create("kaMaterial"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetClassName(), "kaMaterial");
    EXPECT_EQ(MaterialRegistry::Create("NoSuchMaterial"), nullptr);
    // Looking a name up to register it leaves an empty entry, which creates nothing.
    MaterialRegistry::Register("Unfilled");
    EXPECT_EQ(MaterialRegistry::Create("Unfilled"), nullptr);
}

} // namespace
