#include "engine/scene/EntityFactory.h"
#include "engine/scene/MaterialRegistry.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaMaterial.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// This program names no entity class: only its link brings the registrations in.
TEST(EntityRegistrationTest, ClassesAreCreatedByNameInAProgramThatNeverNamesThem)
{
    for (const char* name :
         {"Entity", "EntityModel", "kaParticleEmitter", "kaWheelEmitter", "kaParticleEmitterMgr",
          "kaSpawnPoint", "kaEntityBillBoard", "kaEntityAttacher", "kaEntityPhysical", "kaArena",
          "EntityEditorModel", "EntityTree", "kaVehicle", "kaWheel"})
    {
        const std::unique_ptr<kaEntity> entity = CreateEntity(name);
        ASSERT_NE(entity, nullptr) << name;
        EXPECT_EQ(entity->GetClassName(), name);
    }
}

// Nor does it name the material class, whose registration lives beside it.
TEST(EntityRegistrationTest, ThePlainMaterialIsCreatedByNameInAProgramThatNeverNamesIt)
{
    const std::unique_ptr<kaMaterial> material(MaterialRegistry::Create("kaMaterial"));
    ASSERT_NE(material, nullptr);
}

} // namespace
