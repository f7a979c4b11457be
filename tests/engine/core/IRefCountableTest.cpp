#include "engine/core/IRefCountable.h"
#include "engine/core/kaCountedPtr.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

TEST(RefCountableTest, ReleaseDestroysOnTheLastReference)
{
    int destroyed = 0;
    Tracked* object = new Tracked(destroyed);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 1);

    // With references taken, Release returns the count left until the last one.
    object = new Tracked(destroyed);
    object->AddRef();
    object->AddRef();
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(destroyed, 1);
    object->AddRef();
    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(object->Release(), 0);
    EXPECT_EQ(destroyed, 2);
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
    // Assigning a pointer to itself keeps the object.
    Base* object = a.Get();
    kaCountedPtr<Base>& alias = a;
    a = alias;
    EXPECT_EQ(secondDestroyed, 0);
    EXPECT_EQ(a.Get(), object);
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

TEST(CountedPtrTest, MadeObjectsGoOnceWithTheLastOfTheirCopies)
{
    // Which holder lets go last: the made pointer, a copy of it, or a pointer assigned from it.
    enum class Last
    {
        Made,
        Copy,
        Assigned
    };
    for (Last last : {Last::Made, Last::Copy, Last::Assigned})
    {
        SCOPED_TRACE(static_cast<int>(last));
        int destroyed = 0;
        int separateDestroyed = 0;
        auto made = std::make_unique<kaCountedPtr<Derived>>(kaCountedPtr<Derived>::Make(destroyed));
        auto copy = std::make_unique<kaCountedPtr<Derived>>(*made);
        auto assigned = std::make_unique<kaCountedPtr<Derived>>(new Derived(separateDestroyed));
        *assigned = *made;
        EXPECT_EQ(separateDestroyed, 1);
        EXPECT_EQ(assigned->Get(), made->Get());
        EXPECT_EQ(copy->Get(), made->Get());
        std::unique_ptr<kaCountedPtr<Derived>>* order[3] = {&made, &copy, &assigned};
        std::swap(order[static_cast<int>(last)], order[2]);
        order[0]->reset();
        order[1]->reset();
        EXPECT_EQ(destroyed, 0);
        EXPECT_TRUE(**order[2]);
        order[2]->reset();
        EXPECT_EQ(destroyed, 1);
    }
}

TEST(CountedPtrTest, MakeCopiesItsArgumentIntoTheNewObject)
{
    kaCountedPtr<std::string> text = kaCountedPtr<std::string>::Make(3, 'x');
    kaCountedPtr<std::string> copy = kaCountedPtr<std::string>::Make(*text);
    text->append("y");
    EXPECT_EQ(*text, "xxxy");
    EXPECT_EQ(*copy, "xxx");
}
