#include "engine/core/kaStringUtils.h"

#include <gtest/gtest.h>

TEST(StringUtilsTest, ToLowerLowersLettersOnly)
{
    EXPECT_EQ(ToLower("Data\\Worlds\\Canyon_01.XML"), "data\\worlds\\canyon_01.xml");
    EXPECT_EQ(ToLower(""), "");
}

TEST(StringUtilsTest, TrimRemovesBlanksButKeepsTabs)
{
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim(" \t x"), "\t x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
}

TEST(StringUtilsTest, FileNameIsThePartAfterTheLastSeparator)
{
    EXPECT_EQ(GetFileName("ui\\fonts/barmeno10m.kaff"), "barmeno10m.kaff");
    EXPECT_EQ(GetFileName("ui/fonts\\barmeno10m.kaff"), "barmeno10m.kaff");
    EXPECT_EQ(GetFileName("plain.txt"), "plain.txt");
    EXPECT_EQ(GetFileName("Worlds\\"), "");
}

TEST(StringUtilsTest, FolderKeepsTheLastSeparator)
{
    EXPECT_EQ(GetFolder("Data\\Sounds/Sounds.xml"), "Data\\Sounds/");
    EXPECT_EQ(GetFolder("a/b\\c.txt"), "a/b\\");
    EXPECT_EQ(GetFolder("plain.txt"), ".\\");
}

TEST(StringUtilsTest, CollapseRemovesFolderAndParentPairsOnly)
{
    EXPECT_EQ(CollapseParentDirs("a\\b\\..\\c"), "a\\c");
    EXPECT_EQ(CollapseParentDirs("a/b/../c"), "a/c");
    EXPECT_EQ(CollapseParentDirs("a\\b\\c\\..\\..\\d"), "a\\d");
    EXPECT_EQ(CollapseParentDirs("x\\a\\..\\b\\..\\c"), "x\\c");
    EXPECT_EQ(CollapseParentDirs("models\\car.kmf"), "models\\car.kmf");
    // Never turning a relative path into a rooted one.
    EXPECT_EQ(CollapseParentDirs("b\\..\\c"), "c");
    EXPECT_EQ(CollapseParentDirs("b/../c"), "c");
    EXPECT_EQ(CollapseParentDirs("a\\b\\..\\..\\c"), "c");
    EXPECT_EQ(CollapseParentDirs("b\\.."), "");
    // Parents it cannot resolve stay.
    EXPECT_EQ(CollapseParentDirs("..\\c"), "..\\c");
    EXPECT_EQ(CollapseParentDirs("a\\..\\..\\c"), "..\\c");
    EXPECT_EQ(CollapseParentDirs("\\..\\c"), "\\..\\c");
}
