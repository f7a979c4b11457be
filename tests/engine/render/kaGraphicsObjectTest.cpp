#include "engine/render/kaGraphicsObject.h"

#include <gtest/gtest.h>

namespace
{

class CountedObject : public kaGraphicsObject
{
public:
    explicit CountedObject(int& destroyed) : m_Destroyed(destroyed) {}
    ~CountedObject() override { ++m_Destroyed; }
    void ForceCount(int32_t count) { m_RefCount = count; }

private:
    int& m_Destroyed;
};

TEST(kaGraphicsObjectTest, ReleaseOfTheLastReferenceDestroysTheObject)
{
    int destroyed = 0;
    auto* object = new CountedObject(destroyed);
    EXPECT_EQ(object->AddRef(), 1);
    EXPECT_EQ(object->AddRef(), 2);
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);

    // A release at 0 still destroys.
    object = new CountedObject(destroyed);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 2);
}

TEST(kaGraphicsObjectTest, CountsOutsideTheGuardRangeAreLeftAlone)
{
    int destroyed = 0;
    CountedObject object(destroyed);
    object.ForceCount(kaGraphicsObject::kMaxRefCount);
    EXPECT_EQ(object.Release(), kaGraphicsObject::kMaxRefCount - 1);
    object.ForceCount(10001);
    EXPECT_EQ(object.Release(), 10001);
    EXPECT_EQ(object.Release(), 10001);
    object.ForceCount(-1);
    EXPECT_EQ(object.Release(), -1);
    EXPECT_EQ(destroyed, 0);
}

} // namespace
