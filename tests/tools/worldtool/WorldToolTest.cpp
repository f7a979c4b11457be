#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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
        m_Course = m_Root.File("Worlds/Editor/Sample Course.xml");
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
    for (const char* file : {"Worlds/Editor/Sample Course.xml", "InitData/SampleWorld.xml"})
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

// A course that is a pipe, a link to /dev/zero or a file past any course's size is refused at once by each
// command, with a line naming it and what it is, and nothing is written: the tool neither waits for a writer
// nor reads without end. A time and a memory limit turn either into a failure instead of a hang.
TEST_F(WorldToolTest, RefusesWhatIsNoCourseFileAtOnceAndNamesIt)
{
    const testsupport::WaitingPipeWriter pipe(m_Root.File("Worlds/piped.xml"));
    ASSERT_TRUE(pipe.Made());
    fs::create_symlink("/dev/zero", m_Root.File("Worlds/zero.xml"));
    const std::string large = m_Root.Write("Worlds/large.xml", "<World><name>Large</name></World>");
    // Sparse: its size costs nothing on disk.
    fs::resize_file(large, (uintmax_t(64) << 20) + 1);
    const struct
    {
        const char* file;
        const char* said;
    } cases[] = {
        {"Worlds/piped.xml", "is not a regular file"},
        {"Worlds/zero.xml", "is not a regular file"},
        {"Worlds/large.xml", "is larger than 64 MB"},
    };
    for (const auto& c : cases)
    {
        for (const std::string command : {"info ", "resave "})
        {
            SCOPED_TRACE(command + c.file);
            const std::string out = m_Root.File("Worlds/out.xml");
            std::string output;
            EXPECT_EQ(RunCommand("ulimit -v 1000000; timeout 20 " + std::string(WORLDTOOL_PATH) + " " +
                                     command + Quote(m_Root.File(c.file)) +
                                     (command == "resave " ? " " + Quote(out) : ""),
                                 output),
                      1)
                << output;
            EXPECT_NE(output.find("worldtool: " + m_Root.File(c.file) +
                                  " is not a readable course: the file " + c.said),
                      std::string::npos)
                << output;
            EXPECT_FALSE(fs::exists(out));
        }
    }
    EXPECT_FALSE(pipe.Released()) << "the pipe was opened";
    EXPECT_TRUE(fs::is_symlink(m_Root.File("Worlds/zero.xml")));
}

namespace
{

struct Rgb
{
    double r = 0, g = 0, b = 0;
};

// Hue in degrees and saturation of a colour: lighting scales a texel and adds grey, which keeps its hue.
void HueAndSaturation(const Rgb& c, double& hue, double& saturation)
{
    const double high = std::max({c.r, c.g, c.b});
    const double low = std::min({c.r, c.g, c.b});
    saturation = high > 0 ? (high - low) / high : 0;
    hue = 0;
    if (high == low)
        return;
    if (high == c.r)
        hue = 60 * std::fmod((c.g - c.b) / (high - low) + 6, 6.0);
    else if (high == c.g)
        hue = 60 * ((c.b - c.r) / (high - low) + 2);
    else
        hue = 60 * ((c.r - c.g) / (high - low) + 4);
}

// The mean colour of an uncompressed true-colour Targa, as the model generator writes its textures.
Rgb MeanTargaColour(const std::string& bytes)
{
    EXPECT_GT(bytes.size(), 18u);
    EXPECT_EQ(bytes[2], 2);
    const int width = uint8_t(bytes[12]) | uint8_t(bytes[13]) << 8;
    const int height = uint8_t(bytes[14]) | uint8_t(bytes[15]) << 8;
    const int step = uint8_t(bytes[16]) / 8;
    const size_t start = 18 + uint8_t(bytes[0]);
    Rgb sum;
    const int count = width * height;
    EXPECT_GE(bytes.size(), start + size_t(count) * size_t(step));
    for (int i = 0; i < count && start + size_t(i + 1) * size_t(step) <= bytes.size(); ++i)
    {
        const size_t at = start + size_t(i) * size_t(step);
        sum.b += uint8_t(bytes[at]);
        sum.g += uint8_t(bytes[at + 1]);
        sum.r += uint8_t(bytes[at + 2]);
    }
    return {sum.r / count, sum.g / count, sum.b / count};
}

// The mean colour of a square of a bottom-up 24- or 32-bit bitmap around (x, y), counted from the top.
Rgb MeanBitmapColour(const std::string& bytes, int x, int y, int half)
{
    int32_t offset = 0;
    int32_t size[2] = {};
    uint16_t bits = 0;
    std::memcpy(&offset, bytes.data() + 10, sizeof offset);
    std::memcpy(size, bytes.data() + 18, sizeof size);
    std::memcpy(&bits, bytes.data() + 28, sizeof bits);
    const int step = bits / 8;
    const int stride = (size[0] * step + 3) & ~3;
    Rgb sum;
    int count = 0;
    for (int row = y - half; row <= y + half; ++row)
        for (int column = x - half; column <= x + half; ++column)
        {
            const size_t at =
                size_t(offset) + size_t(size[1] - 1 - row) * size_t(stride) + size_t(column * step);
            sum.b += uint8_t(bytes.at(at));
            sum.g += uint8_t(bytes.at(at + 1));
            sum.r += uint8_t(bytes.at(at + 2));
            ++count;
        }
    return {sum.r / count, sum.g / count, sum.b / count};
}

} // namespace

// The course is drawn with its models' own textures (found in each model's "maps" folder), not the
// missing-texture checker: the ramp ahead of the start point shows its texture's hue.
TEST_F(WorldToolTest, RendersTheCourseWithItsModelsTextures)
{
    const std::string bitmap = m_Root.File("shot.bmp");
    const std::string output = Tool("render " + Quote(m_Course) + " " + Quote(bitmap), 0);
    EXPECT_EQ(output.find("does not exist"), std::string::npos) << output;

    // The top of the ramp, ahead and a little left of the centre of the view.
    const Rgb drawn = MeanBitmapColour(ReadFile(bitmap), 300, 145, 2);
    const Rgb texture = MeanTargaColour(ReadFile(m_Root.File("resources/models/ramp/maps/ramp.tga")));
    double drawnHue = 0, drawnSaturation = 0, textureHue = 0, textureSaturation = 0;
    HueAndSaturation(drawn, drawnHue, drawnSaturation);
    HueAndSaturation(texture, textureHue, textureSaturation);
    ASSERT_GT(textureSaturation, 0.2);
    EXPECT_GT(drawnSaturation, 0.05) << drawn.r << " " << drawn.g << " " << drawn.b;
    EXPECT_NEAR(drawnHue, textureHue, 12.0) << drawn.r << " " << drawn.g << " " << drawn.b;
}

namespace
{

// The text of each top-level key of a course, and each entity as its identifier and class, in file order.
struct CourseParts
{
    std::map<std::string, std::string> keys;
    std::vector<std::string> entities;
};

CourseParts ReadCourseParts(const std::string& file)
{
    CourseParts parts;
    TiXmlDocument document;
    EXPECT_TRUE(document.LoadFile(file.c_str())) << file;
    const TiXmlElement* root = document.RootElement();
    if (!root)
        return parts;
    for (const TiXmlElement* key = root->FirstChildElement(); key; key = key->NextSiblingElement())
        parts.keys[key->ValueStr()] = key->GetText() ? key->GetText() : "";
    const TiXmlElement* entities = root->FirstChildElement("Entities");
    for (const TiXmlElement* entity = entities ? entities->FirstChildElement("Entity") : nullptr; entity;
         entity = entity->NextSiblingElement("Entity"))
    {
        const TiXmlElement* id = entity->FirstChildElement("entityID");
        const TiXmlElement* type = entity->FirstChildElement("type");
        parts.entities.push_back(std::string(id && id->GetText() ? id->GetText() : "?") + " " +
                                 (type && type->GetText() ? type->GetText() : "?"));
    }
    return parts;
}

} // namespace

// Every course the game lists comes back from a resave with its rules and every entity, the game's
// classes among them.
TEST_F(WorldToolTest, ResavesEveryListedCourseWithItsRulesAndEveryEntity)
{
    std::vector<fs::path> courses;
    for (const auto& entry : fs::directory_iterator(m_Root.File("Worlds")))
        if (entry.is_regular_file() && entry.path().extension() == ".xml")
            courses.push_back(entry.path());
    ASSERT_GE(courses.size(), 3u);
    fs::create_directories(m_Root.File("Resaved"));
    for (const fs::path& course : courses)
    {
        SCOPED_TRACE(course.filename().string());
        const std::string resaved = m_Root.File("Resaved/" + course.filename().string());
        EXPECT_EQ(Tool("resave " + Quote(course.string()) + " " + Quote(resaved), 0), "");
        const CourseParts before = ReadCourseParts(course.string());
        const CourseParts after = ReadCourseParts(resaved);
        for (const char* key : {"timeLimit", "scoreLimit", "levelName", "repPointFactor"})
        {
            ASSERT_EQ(before.keys.count(key), 1u) << key;
            ASSERT_EQ(after.keys.count(key), 1u) << key;
            EXPECT_EQ(after.keys.at(key), before.keys.at(key)) << key;
        }
        EXPECT_FALSE(before.entities.empty());
        EXPECT_EQ(after.entities, before.entities);
    }
    EXPECT_EQ(ReadCourseParts(m_Root.File("Worlds/stunt_yard.xml")).entities.size(), 21u);
}

// A course it cannot read whole is refused with a line naming what it could not read, and nothing is
// written: a class it does not know, or an entity the world turned away (an identifier given twice).
TEST_F(WorldToolTest, RefusesACourseItCannotReadWholeAndWritesNothing)
{
    const std::string head = "<World><timeLimit>40</timeLimit><arena>SampleArena</arena><name>Odd</name>"
                             "<Entities><Entity><type>kaSpawnPoint</type><entityID>1</entityID>"
                             "<name>SpawnPoint</name></Entity>";
    // What follows the course: where TinyXML stops without an error, a resave would lose the rest.
    const std::string pasted = "<World><name>Pasted</name></World>\n";
    const struct
    {
        std::string entity;
        std::string tail;
        std::string said;
    } cases[] = {
        {"<Entity><type>NoSuchThing</type><entityID>2</entityID></Entity>", "", "\"NoSuchThing\""},
        {"<Entity><type>PowerUp</type><entityID>1</entityID><initUniqueID>PointsToken</initUniqueID></"
         "Entity>",
         "", "entity PowerUp (id 1)"},
        {"", "\n" + pasted + "a note\n" + pasted, "text outside the elements at row 3, column 1"},
        {"", std::string(1, '\0') + pasted,
         "a NUL byte at row 1, column " + std::to_string(head.size() + 20)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.said);
        const std::string course =
            m_Root.Write("Worlds/odd.xml", head + c.entity + "</Entities></World>" + c.tail);
        const std::string out = m_Root.File("Worlds/odd-out.xml");
        const std::string said = Tool("resave " + Quote(course) + " " + Quote(out), 1);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Every entity a course loses on the way in is named, by its place in the file when it has no id, and
// nothing is written: also where its id repeats one of its own class or reads as a number only in part,
// so that looking the id up would find the other entity. The course's path is named as it was given.
TEST_F(WorldToolTest, NamesEveryEntityItCannotReadAndWritesNothing)
{
    const std::string head = "<World><arena>SampleArena</arena><name>Odd</name><Entities>"
                             "<Entity><type>kaSpawnPoint</type><entityID>1</entityID>"
                             "<name>SpawnPoint</name></Entity>";
    const auto token = [](const std::string& id, const std::string& name)
    {
        return "<Entity><type>PowerUp</type>" + (id.empty() ? "" : "<entityID>" + id + "</entityID>") +
               "<name>" + name + "</name><initUniqueID>PointsToken</initUniqueID></Entity>";
    };
    const struct
    {
        std::string entities;
        std::vector<std::string> named;
    } cases[] = {
        {token("2", "First") + token("2", "Second"), {"PowerUp \"Second\" (id 2)"}},
        {token("3", "Whole") + token("3abc", "Trailing"), {"PowerUp \"Trailing\" (id 3abc)"}},
        {token("", "NoId"), {"PowerUp \"NoId\" (entity 2 of the file)"}},
        {"<Entity><type>PowerUp</type><entityID></entityID><name>Empty</name></Entity>",
         {"PowerUp \"Empty\" (entity 2 of the file)"}},
        {token("4", "Kept") + token("4", "Again") + token("", "Bare") + token("4x", "Part"),
         {"PowerUp \"Again\" (id 4)", "PowerUp \"Bare\" (entity 4 of the file)", "PowerUp \"Part\" (id 4x)"}},
    };
    // Run from the folder above the install, with the paths relative to it.
    const fs::path install(m_Root.Path());
    const std::string given = install.filename().string() + "/Worlds/odd.xml";
    const std::string out = install.filename().string() + "/Worlds/odd-out.xml";
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.entities);
        m_Root.Write("Worlds/odd.xml", head + c.entities + "</Entities></World>");
        std::string said;
        EXPECT_EQ(RunCommand("cd " + Quote(install.parent_path().string()) + " && " + WORLDTOOL_PATH +
                                 " resave " + Quote(given) + " " + Quote(out),
                             said),
                  1);
        for (const std::string& entity : c.named)
            EXPECT_NE(said.find("worldtool: entity " + entity + " of " + given + " could not be read\n"),
                      std::string::npos)
                << said;
        EXPECT_NE(said.find("nothing written"), std::string::npos) << said;
        EXPECT_FALSE(fs::exists(m_Root.File("Worlds/odd-out.xml")));
    }
}

namespace
{

std::string Printed(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.Str();
}

// The element printed as given, anywhere in the tree.
const TiXmlElement* FindPrinted(const TiXmlNode& parent, const std::string& printed)
{
    for (const TiXmlElement* child = parent.FirstChildElement(); child; child = child->NextSiblingElement())
    {
        if (Printed(*child) == printed)
            return child;
        if (const TiXmlElement* found = FindPrinted(*child, printed))
            return found;
    }
    return nullptr;
}

// What stands before the element: an entity by its name, another element by its own; "" when it comes first.
std::string Before(const TiXmlElement& element)
{
    const TiXmlNode* node = element.PreviousSibling();
    while (node && !node->ToElement())
        node = node->PreviousSibling();
    if (!node)
        return "";
    const TiXmlElement* before = node->ToElement();
    const TiXmlElement* name = before->FirstChildElement("name");
    return before->ValueStr() == "Entity" && name && name->GetText()
               ? std::string("Entity ") + name->GetText()
               : before->ValueStr();
}

} // namespace

// An element no reader of the world takes (pasted among the entities under another name, a second entity
// list, an element beside the root) is written back by a resave as it was read and where it stood, and a
// resave of that writes the same bytes.
TEST_F(WorldToolTest, WritesBackEveryElementItDoesNotReadWhereItStood)
{
    const std::string head = "<World><arena>SampleArena</arena><name>Odd</name>";
    const std::string spawn =
        "<Entity><type>kaSpawnPoint</type><entityID>1</entityID><name>SpawnPoint</name></Entity>";
    const std::string token = "<Entity><type>PowerUp</type><entityID>2</entityID><name>Token</name>"
                              "<initUniqueID>PointsToken</initUniqueID></Entity>";
    const std::string pasted = "<type>PowerUp</type><entityID>1</entityID><name>Pasted</name>";
    const struct
    {
        const char* what;
        std::string before;
        std::string kept;
        std::string after;
        // What must stand before it in the saved course.
        const char* standsAfter;
    } cases[] = {
        {"an entity block in lower case", head + "<Entities>" + spawn, "<entity>" + pasted + "</entity>",
         token + "</Entities></World>", "Entity SpawnPoint"},
        {"an entity block misspelt at the end", head + "<Entities>" + spawn + token,
         "<Entiti>" + pasted + "</Entiti>", "</Entities></World>", "Entity Token"},
        {"a note opening the list", head + "<Entities>", "<note>from another course</note>",
         spawn + token + "</Entities></World>", ""},
        {"a second entity list", head + "<Entities>" + spawn + token + "</Entities>",
         "<Entities><Entity>" + pasted + "</Entity></Entities>", "</World>", "Entities"},
        {"a second course after the root", head + "<Entities>" + spawn + "</Entities></World>",
         "<World><name>Pasted</name><Entities><Entity>" + pasted + "</Entity></Entities></World>", "",
         "World"},
        {"notes before the root", "", "<notes>kept</notes>",
         head + "<Entities>" + spawn + "</Entities></World>", ""},
        {"a key of the root given twice", head, "<name>Again</name>",
         "<Entities>" + spawn + "</Entities></World>", "name"},
        {"a note in an entity's block", head + "<Entities>" + spawn + token.substr(0, token.size() - 9),
         "<pastedNote>kept</pastedNote>", "</Entity></Entities></World>", "position"},
        {"a key of an entity's block given twice",
         head + "<Entities>" + spawn + token.substr(0, token.size() - 9) + "<pastedNote>kept</pastedNote>",
         "<name>Twice</name>", "</Entity></Entities></World>", "pastedNote"},
    };
    const std::string out = m_Root.File("Worlds/odd-out.xml");
    const std::string again = m_Root.File("Worlds/odd-again.xml");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string course = m_Root.Write("Worlds/odd.xml", c.before + c.kept + c.after);
        const std::string said = Tool("resave " + Quote(course) + " " + Quote(out), 0);
        EXPECT_NE(said.find("not read: <"), std::string::npos) << said;
        TiXmlDocument saved;
        ASSERT_TRUE(saved.LoadFile(out.c_str())) << ReadFile(out);
        const TiXmlElement* kept = FindPrinted(saved, c.kept);
        ASSERT_NE(kept, nullptr) << ReadFile(out);
        EXPECT_EQ(Before(*kept), c.standsAfter) << ReadFile(out);
        Tool("resave " + Quote(out) + " " + Quote(again), 0);
        EXPECT_EQ(ReadFile(again), ReadFile(out));
    }
}

namespace
{

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace

// A course in a folder of the user's own: worldtool finds the install the registry names, as the game does.
// Without one no venue loads and the course keeps the one it names, which stderr says once, also with the
// debugger output on stderr; so is text typed among the entities, which goes back where it stood.
TEST_F(WorldToolTest, ACourseOutsideAnInstallKeepsTheVenueItNames)
{
    std::string yard = ReadFile(m_Root.File("Worlds/stunt_yard.xml"));
    const size_t list = yard.find("<Entities>") + std::strlen("<Entities>");
    yard.insert(list, "a note<![CDATA[x < y]]>");
    const std::string course = m_Root.Write("mine/yard.xml", yard);
    const std::string registry = m_Root.Write(
        "registry.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=" + m_Root.Path() + "/\n");
    const std::string noVenue = "venue \"StuntYard\": no venue of that name.";
    const struct
    {
        std::string environment;
        bool installFound;
    } cases[] = {
        {"TARVOLIN_REGISTRY=" + registry, true},
        {"TARVOLIN_REGISTRY=" + m_Root.File("none.cfg"), false},
        {"TARVOLIN_REGISTRY=" + m_Root.File("none.cfg") + " TARVOLIN_DEBUG_OUTPUT=1", false},
    };
    const std::string out = m_Root.File("mine/out.xml");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.environment);
        std::string said;
        ASSERT_EQ(RunCommand("cd " + Quote(m_Root.File("mine")) + " && env " + c.environment + " " +
                                 WORLDTOOL_PATH + " resave yard.xml out.xml",
                             said),
                  0)
            << said;
        const std::string saved = ReadFile(out);
        for (const char* kept : {"<arena>StuntYard</arena>", "a note", "<![CDATA[x < y]]>"})
            EXPECT_EQ(CountOf(saved, kept), 1u) << kept << "\n" << saved;
        EXPECT_EQ(CountOf(said, noVenue), c.installFound ? 0u : 1u) << said;
        EXPECT_EQ(CountOf(said, "no install folder found for yard.xml"), c.installFound ? 0u : 1u) << said;
        EXPECT_EQ(CountOf(said, "element not read: text \"a note\""), 1u) << said;
        std::string info;
        ASSERT_EQ(RunCommand("env " + c.environment + " " + WORLDTOOL_PATH + " info " + Quote(course), info),
                  0);
        EXPECT_NE(info.find(c.installFound ? "venue: StuntYard" : "venue: (none)"), std::string::npos)
            << info;
    }

    // In its install, a venue no record makes is kept and named as well.
    std::string typo = yard;
    typo.replace(typo.find("<arena>StuntYard</arena>"), std::strlen("<arena>StuntYard</arena>"),
                 "<arena>StuntYrad</arena>");
    const std::string inside = m_Root.Write("Worlds/typo.xml", typo);
    const std::string said =
        Tool("resave " + Quote(inside) + " " + Quote(m_Root.File("Worlds/typo-out.xml")), 0);
    EXPECT_EQ(CountOf(said, "venue \"StuntYrad\": no venue of that name."), 1u) << said;
    EXPECT_EQ(CountOf(said, "no install folder found"), 0u) << said;
    EXPECT_EQ(CountOf(ReadFile(m_Root.File("Worlds/typo-out.xml")), "<arena>StuntYrad</arena>"), 1u);
}

// Sample Course lies with the editor's worlds; a rerun over an older install takes its old copy out of the
// course list: each version an earlier generator wrote there goes.
TEST_F(WorldToolTest, TheSampleCourseLiesWithTheEditorsWorldsAndAnOldCopyGoes)
{
    EXPECT_TRUE(fs::exists(m_Root.File("Worlds/Editor/Sample Course.xml")));
    EXPECT_FALSE(fs::exists(m_Root.File("Worlds/Sample Course.xml")));
    for (const char* version : {"FormerSampleCourse1.xml", "FormerSampleCourse2.xml",
                                "FormerSampleCourse3.xml", "FormerSampleCourse4.xml"})
    {
        SCOPED_TRACE(version);
        const std::string former = ReadFile(fs::path(WORLDTOOL_TEST_DATA) / version);
        ASSERT_FALSE(former.empty());
        m_Root.Write("Worlds/Sample Course.xml", former);
        std::string output;
        ASSERT_EQ(RunCommand(std::string(WORLDGEN_PATH) + " " + Quote(m_Root.Path()), output), 0) << output;
        EXPECT_FALSE(fs::exists(m_Root.File("Worlds/Sample Course.xml")));
        EXPECT_TRUE(fs::exists(m_Course));
    }
}

// A course of the user's own under the old name stays, whatever it holds: the generator takes away only
// the exact bytes it once wrote there.
TEST_F(WorldToolTest, AUsersOwnCourseUnderTheOldSampleNameStays)
{
    const std::string former = ReadFile(fs::path(WORLDTOOL_TEST_DATA) / "FormerSampleCourse4.xml");
    ASSERT_FALSE(former.empty());
    std::string renamed = former;
    const size_t name = renamed.find("<name>Sample Course</name>");
    ASSERT_NE(name, std::string::npos);
    renamed.replace(name, std::string("<name>Sample Course</name>").size(), "<name>My Course</name>");
    const struct
    {
        const char* what;
        std::string bytes;
        // Made as a link to a former version elsewhere.
        bool link;
    } cases[] = {
        {"a former version renamed", renamed, false},
        {"a former version with a line added", former + "\n", false},
        {"a former version cut short", former.substr(0, former.size() - 1), false},
        {"a course of the user's own", "<World><name>Sample Course</name></World>\n", false},
        {"an empty file", "", false},
        {"a link to a former version", former, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::string path = m_Root.File("Worlds/Sample Course.xml");
        fs::remove(path);
        if (c.link)
            fs::create_symlink(m_Root.Write("Mine/former.xml", c.bytes), path);
        else
            m_Root.Write("Worlds/Sample Course.xml", c.bytes);
        std::string output;
        ASSERT_EQ(RunCommand(std::string(WORLDGEN_PATH) + " " + Quote(m_Root.Path()), output), 0) << output;
        ASSERT_TRUE(fs::exists(fs::symlink_status(path)));
        EXPECT_EQ(fs::is_symlink(fs::symlink_status(path)), c.link);
        EXPECT_EQ(ReadFile(path), c.bytes);
    }
}
