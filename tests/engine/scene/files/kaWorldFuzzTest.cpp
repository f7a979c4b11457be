#include "engine/scene/kaWorld.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/DeepXml.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

namespace
{

const char* const kValues[] = {
    "1e38", "-1e38", "3.4e39", "nan", "inf", "-inf", "-1", "-2147483649", "99999999999999999999",
    "0x10", "",      " 1",     "1,5"};

// Damaged copies of a course, the same ones on every run.
class Mutator
{
public:
    Mutator(std::string text, unsigned seed) : m_Original(std::move(text)), m_Random(seed) {}

    std::string Next()
    {
        std::string text = m_Original;
        const int changes = 1 + static_cast<int>(m_Random() % 3);
        for (int i = 0; i < changes; ++i)
        {
            switch (m_Random() % 5)
            {
            case 0: // a byte flipped
                text[_Below(text.size())] ^= static_cast<char>(1 + m_Random() % 255);
                break;
            case 1: // an element doubled
            case 2: // an element dropped
            {
                const size_t open = text.find('<', _Below(text.size()));
                const size_t nameEnd = open == std::string::npos ? open : text.find_first_of(" />", open + 1);
                if (nameEnd == std::string::npos)
                    break;
                const std::string close = "</" + text.substr(open + 1, nameEnd - open - 1) + ">";
                const size_t end = text.find(close, open);
                if (end == std::string::npos)
                    break;
                const std::string element = text.substr(open, end + close.size() - open);
                if (m_Random() % 2)
                    text.insert(open, element);
                else
                    text.erase(open, element.size());
                break;
            }
            case 3: // a value replaced by an extreme or malformed one
            {
                const size_t close = text.find("</", _Below(text.size()));
                const size_t start = close == std::string::npos ? close : text.rfind('>', close);
                if (start == std::string::npos)
                    break;
                text.replace(start + 1, close - start - 1, kValues[m_Random() % std::size(kValues)]);
                break;
            }
            default: // deep nesting, within the guard or just past it
            {
                const int depth = (m_Random() % 2) ? 200 : 300;
                const size_t at = text.find('<', _Below(text.size()));
                if (at != std::string::npos)
                    text.insert(at, testsupport::DeepXml("Entity", depth));
                break;
            }
            }
        }
        return text;
    }

private:
    size_t _Below(size_t n) { return n == 0 ? 0 : m_Random() % n; }

    std::string m_Original;
    std::mt19937 m_Random;
};

class WorldFuzzTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        ASSERT_TRUE(m_InitData.LoadInitData("InitData"));
        std::ifstream in("Worlds/Editor/Sample Course.xml", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        m_Course = bytes.str();
        ASSERT_GT(m_Course.size(), 500u);
    }
    void TearDown() override { m_Models.DeleteAll(); }

    // Loads the text as the world loads a file, then runs what follows a load; false when anything threw.
    static bool Survives(const std::string& text)
    {
        try
        {
            TiXmlDocument document;
            kaWorld world;
            if (ParseXmlDocument(document, text, "fuzz"))
                world.ReadXml(document.FirstChildElement(kaWorld::kRootElement), true);
            world.InitializeEntities();
            world.Update(0.02f);
            kaCollideInfo hit;
            world.Pick(platform::Vector3(0, 10, -20), platform::Vector3(0, -1, 20), &hit,
                       kaWorld::kPickTerrain | kaWorld::kPickMeshes | kaWorld::kPickInvisible);
            TiXmlDocument saved;
            world.WriteXml(AppendElement(&saved, kaWorld::kRootElement), true);
            return true;
        }
        catch (...)
        {
            return false;
        }
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
    testsupport::DebugCapture m_Debug;
    std::string m_Course;
};

TEST_F(WorldFuzzTest, EveryTruncationLoads)
{
    // Far deeper than the stack allows a recursive parser: refused before parsing.
    EXPECT_TRUE(Survives(testsupport::DeepXml("World", 100000)));
    for (size_t length = 0; length < m_Course.size(); ++length)
        ASSERT_TRUE(Survives(m_Course.substr(0, length))) << length;
}

TEST_F(WorldFuzzTest, SeededMutationsLoad)
{
    Mutator mutator(m_Course, 24);
    // Under a memory ceiling where the platform allows one, so that a huge allocation fails the test.
    const auto run = [&mutator]()
    {
        for (int i = 0; i < 10000; ++i)
        {
            if (!Survives(mutator.Next()))
                return false;
        }
        return true;
    };
    if (testsupport::MemoryLimitsWork())
        EXPECT_TRUE(testsupport::RunWithMemoryLimit(size_t(512) << 20, run));
    else
        EXPECT_TRUE(run());
}

} // namespace
