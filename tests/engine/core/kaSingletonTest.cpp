#include "engine/core/kaSingleton.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

class Polymorphic
{
public:
    virtual ~Polymorphic() = default;
    int value = 7;
};

// The singleton base is not the first base, so the stored pointer must be the whole object's.
class Service : public Polymorphic, public kaSingleton<Service>
{
public:
    Service() : kaSingleton<Service>(this) { seenDuringConstruction = GetSingleton(); }
    Service* seenDuringConstruction = nullptr;
};

} // namespace

TEST(SingletonTest, InstanceLivesWithTheObject)
{
    EXPECT_EQ(Service::GetSingleton(), nullptr);
    {
        Service service;
        EXPECT_EQ(Service::GetSingleton(), &service);
        EXPECT_EQ(service.seenDuringConstruction, &service);
        EXPECT_EQ(Service::GetSingleton()->value, 7);
    }
    EXPECT_EQ(Service::GetSingleton(), nullptr);
}

TEST(SingletonTest, AnOlderInstanceGoingLeavesTheNewerOne)
{
    auto older = std::make_unique<Service>();
    {
        Service newer;
        older.reset();
        EXPECT_EQ(Service::GetSingleton(), &newer);
    }
    EXPECT_EQ(Service::GetSingleton(), nullptr);
}
