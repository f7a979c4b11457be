#include "engine/render/kaGraphicsObject.h"

#include <gtest/gtest.h>

namespace
{

class CountedObject : public kaGraphicsObject
{
public:
    explicit CountedObject(int& destroyed) : m_Destroyed(destroyed) {}
    ~CountedObject() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
};

TEST(kaGraphicsObjectTest, ReleaseAtZeroStillDestroys)
{
    int destroyed = 0;
    auto* object = new CountedObject(destroyed);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(kaGraphicsObjectTest, CountAtTheGuardIsStillReleased)
{
    int destroyed = 0;
    CountedObject object(destroyed);
    for (int i = 0; i < kaGraphicsObject::kMaxRefCount; ++i)
        object.AddRef();
    EXPECT_EQ(object.Release(), kaGraphicsObject::kMaxRefCount - 1);
}

} // namespace
