#include "engine/core/kaDirectoryIterator.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

std::vector<std::string> ListAll(kaDirectoryIterator it)
{
    std::vector<std::string> names;
    const kaDirectoryIterator end;
    while (it != end)
        names.push_back(it.ReadNext());
    return names;
}

class DirectoryIteratorTest : public ::testing::Test
{
protected:
    DirectoryIteratorTest()
    {
        m_Dir.Write("Data/b.xml", "");
        m_Dir.Write("Data/A.xml", "");
        m_Dir.Write("Data/notes.txt", "");
        m_Dir.Write("Data/Levels/one.xml", "");
        m_Dir.Write("Data/Old.XML/keep", "");
    }

    std::string In(const std::string& pattern) const { return m_Dir.Path() + "\\data\\" + pattern; }

    testsupport::TempDir m_Dir;
};

TEST_F(DirectoryIteratorTest, PatternsAreListedInTurnAfterTrimming)
{
    EXPECT_EQ(ListAll(kaDirectoryIterator(In("*.xml") + ";  " + In("*.txt") + " ", 0)),
              (std::vector<std::string>{"A.xml", "b.xml", "Old.XML", "notes.txt"}));
}

TEST_F(DirectoryIteratorTest, PatternsWithoutMatchesAreSkipped)
{
    EXPECT_EQ(ListAll(kaDirectoryIterator(In("*.wav") + ";;" + In("*.txt") + ";" + In("*.ogg"), 0)),
              (std::vector<std::string>{"notes.txt"}));
}

TEST_F(DirectoryIteratorTest, NoMatchAtAllEqualsTheEndAtOnce)
{
    const kaDirectoryIterator it(In("*.wav") + ";" + m_Dir.Path() + "/missing/*", 0);
    EXPECT_FALSE(it != kaDirectoryIterator());
    EXPECT_EQ(*it, "");
    EXPECT_FALSE(kaDirectoryIterator("", 0) != kaDirectoryIterator());
}

TEST_F(DirectoryIteratorTest, EveryEntryModeListsDotEntriesAndFolders)
{
    EXPECT_EQ(ListAll(kaDirectoryIterator(In("*"), 0)),
              (std::vector<std::string>{".", "..", "A.xml", "b.xml", "Levels", "notes.txt", "Old.XML"}));
}

TEST_F(DirectoryIteratorTest, DirectoriesModeSkipsFiles)
{
    EXPECT_EQ(ListAll(kaDirectoryIterator(In("*"), 1)),
              (std::vector<std::string>{".", "..", "Levels", "Old.XML"}));
    EXPECT_EQ(ListAll(kaDirectoryIterator(In("*.txt"), 1)), std::vector<std::string>{});
}

TEST_F(DirectoryIteratorTest, CopiesShareOnePosition)
{
    kaDirectoryIterator first(In("*.xml"), 0);
    kaDirectoryIterator copy(first);
    EXPECT_EQ(first.ReadNext(), "A.xml");
    EXPECT_EQ(*copy, "b.xml");
    kaDirectoryIterator assigned;
    assigned = copy;
    ++assigned;
    EXPECT_EQ(*first, "Old.XML");
    ++first;
    EXPECT_FALSE(copy != kaDirectoryIterator());
    // Two live iterators compare equal however far each has gone.
    EXPECT_FALSE(kaDirectoryIterator(In("*.xml"), 0) != kaDirectoryIterator(In("*.txt"), 0));
}

} // namespace
