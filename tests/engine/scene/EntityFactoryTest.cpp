#include "engine/scene/EntityFactory.h"

#include "engine/scene/kaEntity.h"

#include <gtest/gtest.h>

namespace
{

// Two classes registered under one name, to see which creator the factory keeps.
class FirstTwin : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()
};
class SecondTwin : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()
};
KA_ENTITY_CLASS_RECORD_DEFINITION(FirstTwin, "Twin")
KA_ENTITY_CLASS_RECORD_DEFINITION(SecondTwin, "Twin")

TEST(EntityFactoryTest, CreatesOnlyByTheExactRegisteredName)
{
    // A class record alone, as the classes that only their owners build have.
    static const kaClassInfo recordOnly("RecordOnly", 0, nullptr);
    const size_t registered = EntityFactory::Instance().size();

    const struct
    {
        std::string name;
        bool created;
    } cases[] = {
        {"Entity", true}, {"entity", false}, {"Entity ", false}, {recordOnly.GetName(), false}, {"", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<kaEntity> entity = CreateEntity(c.name);
        ASSERT_EQ(entity != nullptr, c.created);
        if (entity)
        {
            EXPECT_EQ(typeid(*entity), typeid(kaEntity));
            EXPECT_EQ(entity->GetClassName(), "Entity");
            EXPECT_EQ(&entity->GetClassInfo(), &kaEntity::StaticClassInfo());
        }
    }
    // Looking up never inserts a name.
    EXPECT_EQ(EntityFactory::Instance().size(), registered);
}

TEST(EntityFactoryTest, ANameRegisteredTwiceKeepsTheLastCreator)
{
    EntityFactory::Registration first(FirstTwin::StaticClassInfo(), &EntityFactory::Create<FirstTwin>);
    EXPECT_NE(dynamic_cast<FirstTwin*>(CreateEntity("Twin").get()), nullptr);
    EntityFactory::Registration second(SecondTwin::StaticClassInfo(), &EntityFactory::Create<SecondTwin>);
    const std::unique_ptr<kaEntity> entity = CreateEntity("Twin");
    EXPECT_NE(dynamic_cast<SecondTwin*>(entity.get()), nullptr);
    EXPECT_EQ(entity->GetClassInfo().GetId(), 0u);
    EXPECT_EQ(entity->GetClassInfo().GetParent(), nullptr);
    EntityFactory::Instance().erase("Twin");
}

} // namespace
