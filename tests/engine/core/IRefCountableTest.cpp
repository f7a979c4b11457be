#include "engine/core/IRefCountable.h"
#include "engine/core/kaCountedPtr.h"

#include <gtest/gtest.h>

namespace
{

// Records its own destruction.
class Tracked : public IRefCountable
{
public:
    explicit Tracked(int& destroyed) : m_Destroyed(destroyed) {}
    ~Tracked() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
};

class Base
{
public:
    virtual ~Base() = default;
};

class Derived : public Base
{
public:
    explicit Derived(int& destroyed) : m_Destroyed(destroyed) {}
    ~Derived() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
};

} // namespace

TEST(RefCountableTest, ReleaseWithoutAddRefDestroysAtOnce)
{
    int destroyed = 0;
    Tracked* object = new Tracked(destroyed);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCountableTest, ReleaseReturnsTheCountLeftUntilTheLastReference)
{
    int destroyed = 0;
    Tracked* object = new Tracked(destroyed);
    object->AddRef();
    object->AddRef();
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 0);
    object->AddRef();
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);
}

TEST(CountedPtrTest, LastCopyDeletesTheObjectThroughItsVirtualDestructor)
{
    int destroyed = 0;
    {
        kaCountedPtr<Base> first(new Derived(destroyed));
        {
            kaCountedPtr<Base> second(first);
            EXPECT_EQ(second.Get(), first.Get());
        }
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(CountedPtrTest, SelfAssignmentKeepsTheObject)
{
    int destroyed = 0;
    kaCountedPtr<Base> only(new Derived(destroyed));
    Base* object = only.Get();
    kaCountedPtr<Base>& alias = only;
    only = alias;
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(only.Get(), object);
}

TEST(CountedPtrTest, AssignmentReleasesTheOldObjectAndSharesTheNew)
{
    int firstDestroyed = 0;
    int secondDestroyed = 0;
    kaCountedPtr<Base> a(new Derived(firstDestroyed));
    {
        kaCountedPtr<Base> b(new Derived(secondDestroyed));
        a = b;
        EXPECT_EQ(firstDestroyed, 1);
    }
    EXPECT_EQ(secondDestroyed, 0);
    a = kaCountedPtr<Base>();
    EXPECT_EQ(secondDestroyed, 1);
    EXPECT_FALSE(a);
}

TEST(CountedPtrTest, CopiesOfANullPointerShareACount)
{
    kaCountedPtr<Base> empty;
    kaCountedPtr<Base> copy(empty);
    copy = empty;
    EXPECT_EQ(copy.Get(), nullptr);
}
