#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace
{

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

// Runs the command, keeping what it printed; its exit status.
int RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A sample install tree of its own: the generated models, and the init data and course from worldgen.
class WorldToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::copy(fs::path(TARVOLIN_CONTENT_DIR) / "resources", m_Root.File("resources"),
                 fs::copy_options::recursive);
        std::string output;
        ASSERT_EQ(RunCommand(std::string(WORLDGEN_PATH) + " " + Quote(m_Root.Path()), output), 0) << output;
        m_Course = m_Root.File("Worlds/Sample Course.xml");
    }

    // The environment, when given, is a list of NAME=value words set for the one run.
    std::string Tool(const std::string& arguments, int expected, const std::string& environment = "")
    {
        std::string output;
        const std::string prefix = environment.empty() ? "" : "env " + environment + " ";
        EXPECT_EQ(RunCommand(prefix + std::string(WORLDTOOL_PATH) + " " + arguments, output), expected)
            << arguments << output;
        return output;
    }

    testsupport::TempDir m_Root;
    std::string m_Course;
};

} // namespace

TEST_F(WorldToolTest, GeneratesTheSameBytesAndResavesThemUnchanged)
{
    testsupport::TempDir second;
    std::string output;
    ASSERT_EQ(RunCommand(std::string(WORLDGEN_PATH) + " " + Quote(second.Path()), output), 0) << output;
    for (const char* file : {"Worlds/Sample Course.xml", "InitData/SampleWorld.xml"})
        EXPECT_EQ(ReadFile(second.File(file)), ReadFile(m_Root.File(file))) << file;

    const std::string resaved = m_Root.File("Worlds/Resaved.xml");
    Tool("resave " + Quote(m_Course) + " " + Quote(resaved), 0);
    EXPECT_EQ(ReadFile(resaved), ReadFile(m_Course));
}

const char* const kSampleCourseInfo =
    "name: Sample Course\nvenue: SampleArena\nentities: 8\n  EntityModel: 2\n  EntityTree: 1\n  "
    "kaEntityAttacher: 1\n  kaEntityPhysical: 3\n  kaSpawnPoint: 1\n";

TEST_F(WorldToolTest, InfoNamesTheVenueAndCountsEntitiesByType)
{
    EXPECT_EQ(Tool("info " + Quote(m_Course), 0), kSampleCourseInfo);
}

TEST_F(WorldToolTest, RendersABitmapOfTheCourse)
{
    const std::string bitmap = m_Root.File("shot.bmp");
    Tool("render " + Quote(m_Course) + " " + Quote(bitmap), 0);
    const std::string bytes = ReadFile(bitmap);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    int32_t size[2] = {};
    std::memcpy(size, bytes.data() + 18, sizeof size);
    EXPECT_EQ(size[0], 640);
    EXPECT_EQ(size[1], 480);
    // No part file is left beside it.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_Root.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

// Only drawing needs OpenGL: with no EGL vendor to load, render fails cleanly while info and resave give
// their usual results.
TEST_F(WorldToolTest, InfoAndResaveNeedNoOpenGL)
{
    const std::string noGL = "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/vendor.json";
    EXPECT_EQ(Tool("info " + Quote(m_Course), 0, noGL), kSampleCourseInfo);
    const std::string resaved = m_Root.File("Worlds/Resaved.xml");
    Tool("resave " + Quote(m_Course) + " " + Quote(resaved), 0, noGL);
    EXPECT_EQ(ReadFile(resaved), ReadFile(m_Course));
    EXPECT_NE(Tool("render " + Quote(m_Course) + " " + Quote(m_Root.File("shot.bmp")), 1, noGL)
                  .find("could not be started"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(m_Root.File("shot.bmp")));
}

TEST_F(WorldToolTest, RefusesBadFilesAndArguments)
{
    const std::string broken = m_Root.Write("Worlds/Broken.xml", "<World><name>x</World>");
    const std::string other = m_Root.Write("Worlds/Other.xml", "<Course/>");
    for (const std::string& file : {broken, other, m_Root.File("Worlds/Missing.xml")})
    {
        EXPECT_NE(Tool("info " + Quote(file), 1).find("is not a readable course"), std::string::npos) << file;
        Tool("resave " + Quote(file) + " " + Quote(m_Root.File("out.xml")), 1);
        EXPECT_FALSE(fs::exists(m_Root.File("out.xml"))) << file;
    }
    Tool("resave " + Quote(m_Course) + " " + Quote(m_Root.File("no/such/folder/out.xml")), 1);
    EXPECT_NE(Tool("", 2).find("usage"), std::string::npos);
    Tool("info", 2);
}
