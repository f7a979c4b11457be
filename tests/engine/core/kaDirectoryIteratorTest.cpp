#include "engine/core/kaDirectoryIterator.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <utility>
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

// Patterns are listed in turn after trimming, those without matches skipped; mode 1 lists folders only.
TEST_F(DirectoryIteratorTest, ListsEachPatternInTurn)
{
    using Names = std::vector<std::string>;
    const std::pair<kaDirectoryIterator, Names> cases[] = {
        {{In("*.xml") + ";  " + In("*.txt") + " ", 0}, {"A.xml", "b.xml", "Old.XML", "notes.txt"}},
        {{In("*.wav") + ";;" + In("*.txt") + ";" + In("*.ogg"), 0}, {"notes.txt"}},
        {{In("*"), 0}, {".", "..", "A.xml", "b.xml", "Levels", "notes.txt", "Old.XML"}},
        {{In("*"), 1}, {".", "..", "Levels", "Old.XML"}},
        {{In("*.txt"), 1}, {}},
    };
    for (const auto& [it, names] : cases)
        EXPECT_EQ(ListAll(it), names);
}

TEST_F(DirectoryIteratorTest, NoMatchAtAllEqualsTheEndAtOnce)
{
    const kaDirectoryIterator it(In("*.wav") + ";" + m_Dir.Path() + "/missing/*", 0);
    EXPECT_FALSE(it != kaDirectoryIterator());
    EXPECT_EQ(*it, "");
    EXPECT_FALSE(kaDirectoryIterator("", 0) != kaDirectoryIterator());
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
