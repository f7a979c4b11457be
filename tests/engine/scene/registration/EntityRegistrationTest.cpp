#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntity.h"

#include <gtest/gtest.h>

namespace
{

// This program names no entity class: only its link brings the registrations in.
TEST(EntityRegistrationTest, TheBaseClassIsCreatedByNameInAProgramThatNeverNamesIt)
{
    const std::unique_ptr<kaEntity> entity = CreateEntity("Entity");
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetClassName(), "Entity");
}

} // namespace
