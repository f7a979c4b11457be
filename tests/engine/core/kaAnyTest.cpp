#include "engine/core/kaAny.h"

#include <gtest/gtest.h>

#include <string>

TEST(AnyTest, HoldsAValueAndGivesItBackByItsType)
{
    ka::any value = 42;
    EXPECT_FALSE(value.empty());
    EXPECT_EQ(value.type(), typeid(int));
    EXPECT_EQ(ka::any_cast<int>(value), 42);

    value = std::string("text");
    EXPECT_EQ(ka::any_cast<std::string>(value), "text");
    EXPECT_EQ(ka::any_cast<const std::string&>(value), "text");
}

TEST(AnyTest, WrongTypeThrowsBadAnyCastWithItsMessage)
{
    const ka::any value = 1.5f;
    EXPECT_THROW(ka::any_cast<double>(value), ka::bad_any_cast);
    EXPECT_THROW(ka::any_cast<int>(ka::any()), ka::bad_any_cast);
    try
    {
        ka::any_cast<int>(value);
        FAIL() << "no exception";
    }
    catch (const std::bad_cast& error)
    {
        EXPECT_STREQ(error.what(), "ka::bad_any_cast: failed conversion using ka::any_cast");
    }
}

TEST(AnyTest, PointerCastGivesNullForTheWrongType)
{
    ka::any value = 3;
    EXPECT_EQ(ka::any_cast<float>(&value), nullptr);
    ASSERT_NE(ka::any_cast<int>(&value), nullptr);
    *ka::any_cast<int>(&value) = 4;
    EXPECT_EQ(ka::any_cast<int>(value), 4);
    EXPECT_EQ(ka::any_cast<int>(static_cast<ka::any*>(nullptr)), nullptr);
}

TEST(AnyTest, CopiesCloneTheHeldValue)
{
    ka::any original = std::string("one");
    ka::any copy = original;
    *ka::any_cast<std::string>(&copy) = "two";
    EXPECT_EQ(ka::any_cast<std::string>(original), "one");
    EXPECT_EQ(ka::any_cast<std::string>(copy), "two");

    ka::any assigned;
    EXPECT_TRUE(assigned.empty());
    EXPECT_EQ(assigned.type(), typeid(void));
    assigned = original;
    original = 5;
    EXPECT_EQ(ka::any_cast<std::string>(assigned), "one");
    assigned = ka::any();
    EXPECT_TRUE(assigned.empty());
}
