#include "engine/render/kaConfigFile.h"

#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

const char* const kBegin = "[Begin Graphics Config]\n";
const char* const kEnd = "[End Graphics Config]\n";

class ConfigFileTest : public ::testing::Test
{
protected:
    std::vector<std::string> Read(const std::string& contents, bool* found = nullptr)
    {
        const std::string path = m_Dir.Write("Tarvolin.cfg", contents);
        std::vector<std::string> lines;
        const bool result = kaConfigFile::ReadSection(
            path, kBegin, kEnd, [&](const std::string& line) { lines.push_back(line); });
        if (found)
            *found = result;
        return lines;
    }

    testsupport::TempDir m_Dir;
};

TEST_F(ConfigFileTest, ReadsTheLinesBetweenTheMarkers)
{
    using Lines = std::vector<std::string>;
    const std::string longLine(600, 'k');
    const struct
    {
        std::string contents;
        Lines lines;
    } cases[] = {
        {"a=1\n[Begin Graphics Config]\nx=1\ny=2\n[End Graphics Config]\nz=3\n", {"x=1\n", "y=2\n"}},
        // The begin marker matches without case, the end marker only exactly.
        {"[begin graphics CONFIG]\nx=1\n[end graphics config]\ny=2\n[End Graphics Config]\nz=3\n",
         {"x=1\n", "[end graphics config]\n", "y=2\n"}},
        // An end marker without its line feed does not end the section.
        {"[Begin Graphics Config]\nx=1\n[End Graphics Config]", {"x=1\n", "[End Graphics Config]"}},
        {"[Begin Graphics Config]\r\nx=1\r\n[End Graphics Config]\r\ny=2\r\n", {"x=1\n"}},
        // Long lines arrive in pieces of 255.
        {std::string(kBegin) + longLine + "\n" + kEnd,
         {std::string(255, 'k'), std::string(255, 'k'), std::string(90, 'k') + "\n"}},
    };
    for (const auto& c : cases)
    {
        bool found = false;
        EXPECT_EQ(Read(c.contents, &found), c.lines) << c.contents;
        EXPECT_TRUE(found);
    }
}

TEST_F(ConfigFileTest, MissingFileOrSectionIsReported)
{
    bool found = true;
    Read("x=1\n[Begin Font Config]\n", &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(kaConfigFile::ReadSection(m_Dir.File("none.cfg"), kBegin, kEnd, [](const std::string&) {}));
    EXPECT_FALSE(kaConfigFile::ReadSection("", kBegin, kEnd, [](const std::string&) {}));
}

TEST_F(ConfigFileTest, RewriteKeepsEveryLineOutsideTheSection)
{
    const std::string before = "[Begin Tarvolin Config]\nMusicVolume = 7\n[End Tarvolin Config]\n" +
                               std::string(400, 'x') + "\n" + std::string("odd\0byte\n", 9);
    const std::string after = "\n[Begin Font Config]\nLoadFont=a, b c.kaff\n[End Font Config]\ntail";
    const std::string path = m_Dir.Write(
        "Tarvolin.cfg", before + "[BEGIN graphics config]\nold=1\n[end GRAPHICS config]\n" + after);

    ASSERT_TRUE(kaConfigFile::WriteSection(path, kBegin, kEnd, "new=2\n"));

    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), before + kBegin + "new=2\n" + kEnd + after);
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"Tarvolin.cfg"});
}

TEST_F(ConfigFileTest, RewriteAppendsAMissingSectionAndCreatesAMissingFile)
{
    const std::string path = m_Dir.Write("Tarvolin.cfg", "keep\n");
    ASSERT_TRUE(kaConfigFile::WriteSection(path, kBegin, kEnd, "a=1\n"));
    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), std::string("keep\n") + kBegin + "a=1\n" + kEnd);

    ASSERT_TRUE(kaConfigFile::WriteSection(m_Dir.File("New.cfg"), kBegin, kEnd, "a=1\n"));
    EXPECT_EQ(m_Dir.Read("New.cfg"), std::string(kBegin) + "a=1\n" + kEnd);
}

// A file whose last line has no line feed gets the line ended before the section, and the next rewrite
// finds the section it wrote instead of adding another.
TEST_F(ConfigFileTest, RewriteEndsAnUnfinishedLastLineBeforeTheSection)
{
    const struct
    {
        std::string contents;
        std::string kept;
    } cases[] = {
        {"user=keep", "user=keep\n"},
        {"a=1\r\nuser=keep", "a=1\r\nuser=keep\n"},
        {std::string(300, 'k'), std::string(300, 'k') + "\n"},
        {std::string(255, 'k'), std::string(255, 'k') + "\n"},
        {std::string(255, 'k') + "\n", std::string(255, 'k') + "\n"},
    };
    for (const auto& c : cases)
    {
        const std::string path = m_Dir.Write("Tarvolin.cfg", c.contents);
        ASSERT_TRUE(kaConfigFile::WriteSection(path, kBegin, kEnd, "a=1\n"));
        const std::string expected = c.kept + kBegin + "a=1\n" + kEnd;
        EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), expected) << c.contents;
        ASSERT_TRUE(kaConfigFile::WriteSection(path, kBegin, kEnd, "a=1\n"));
        EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), expected) << c.contents;
    }
}

TEST_F(ConfigFileTest, SectionWithoutEndMarkerEndsWhereTheNextSectionBegins)
{
    const std::string next = "[begin Font Config]\nLoadFont=a,b\n[End Font Config]\n";
    const struct
    {
        std::string after;
        std::string kept;
    } cases[] = {{"x=1\nrest\n", ""}, {"x=1\n" + next + "tail\n", next + "tail\n"}};
    for (const auto& c : cases)
    {
        const std::string path = m_Dir.Write("Tarvolin.cfg", std::string("a\n") + kBegin + c.after);
        ASSERT_TRUE(kaConfigFile::WriteSection(path, kBegin, kEnd, "y=2\n"));
        EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), std::string("a\n") + kBegin + "y=2\n" + kEnd + c.kept);
    }
}

TEST_F(ConfigFileTest, FailedRewriteKeepsTheOldFile)
{
    const std::string path = m_Dir.Write("Tarvolin.cfg", "precious\n");
    // A full disk: the new contents cannot be written.
    EXPECT_FALSE(testsupport::RunWithFileSizeLimit(
        4, [&] { return kaConfigFile::WriteSection(path, kBegin, kEnd, "a=1\n"); }));
    EXPECT_EQ(m_Dir.Read("Tarvolin.cfg"), "precious\n");
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"Tarvolin.cfg"});
    EXPECT_FALSE(kaConfigFile::WriteSection("", kBegin, kEnd, "a=1\n"));
}

// Owners of different sections rewriting at once, one of them killed in the middle: every section
// stays in the file exactly once and whole.
TEST_F(ConfigFileTest, ConcurrentRewritesAndKillsNeverDamageASection)
{
    const int kWriters = 4;
    const int kLines = 200;
    const auto marker = [](const char* edge, int owner) { return "[" + std::string(edge) + " S" +
                                                                 std::to_string(owner) + " Config]\n"; };
    const auto body = [&](int round)
    {
        std::string text;
        for (int i = 0; i < kLines; ++i)
            text += "Round=" + std::to_string(round) + "\n";
        return text;
    };
    std::string initial = "head\n";
    for (int owner = 0; owner < kWriters; ++owner)
        initial += marker("Begin", owner) + body(0) + marker("End", owner);
    const std::string path = m_Dir.Write("Tarvolin.cfg", initial + "tail\n");

    std::vector<pid_t> children;
    for (int owner = 0; owner < kWriters; ++owner)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            for (int round = 1; round <= 40; ++round)
                kaConfigFile::WriteSection(path, marker("Begin", owner), marker("End", owner), body(round));
            _exit(0);
        }
        children.push_back(child);
    }
    usleep(20000);
    kill(children.back(), SIGKILL);
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);

    const std::string text = m_Dir.Read("Tarvolin.cfg");
    EXPECT_EQ(text.compare(0, 5, "head\n"), 0);
    EXPECT_EQ(text.compare(text.size() - 5, 5, "tail\n"), 0);
    for (int owner = 0; owner < kWriters; ++owner)
    {
        const size_t begin = text.find(marker("Begin", owner));
        ASSERT_NE(begin, std::string::npos) << owner;
        EXPECT_EQ(text.find(marker("Begin", owner), begin + 1), std::string::npos) << owner;
        const size_t start = begin + marker("Begin", owner).size();
        const size_t end = text.find(marker("End", owner), start);
        ASSERT_NE(end, std::string::npos) << owner;
        const std::string section = text.substr(start, end - start);
        const std::string round = section.substr(6, section.find('\n') - 6);
        EXPECT_EQ(section, body(std::stoi(round))) << owner;
    }
}

TEST(ConfigTokensTest, SplitsLikeStrtok)
{
    const std::string line = "  DepthStencilFormat = D24 S8\n";
    size_t pos = 0;
    std::string token;
    ASSERT_TRUE(kaConfigFile::NextToken(line, pos, kaConfigFile::kNumberDelimiters, token));
    EXPECT_EQ(token, "DepthStencilFormat");
    ASSERT_TRUE(kaConfigFile::NextToken(line, pos, kaConfigFile::kTextDelimiters, token));
    EXPECT_EQ(token, " D24 S8");
    EXPECT_FALSE(kaConfigFile::NextToken(line, pos, kaConfigFile::kTextDelimiters, token));

    pos = 0;
    EXPECT_FALSE(kaConfigFile::NextToken(" ,=\n", pos, kaConfigFile::kNumberDelimiters, token));
}

TEST(ConfigTokensTest, NumbersStopAtTheFirstNonDigit)
{
    EXPECT_EQ(kaConfigFile::ParseNumber("  1024x"), 1024u);
    EXPECT_EQ(kaConfigFile::ParseNumber("-5"), 0u);
    EXPECT_EQ(kaConfigFile::ParseNumber("abc"), 0u);
    EXPECT_EQ(kaConfigFile::ParseNumber(""), 0u);
    EXPECT_EQ(kaConfigFile::ParseNumber("99999999999999"), 4294967295u);
}

} // namespace
