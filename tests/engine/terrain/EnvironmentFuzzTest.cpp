#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"
#include "tests/support/engine/terrain/EnvironmentFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace
{

const char* const kElements[] = {
    "<Sun><position>0.3</position><axistilt>0.45</axistilt><texture>sun.dds</texture><scale>1.5</scale>"
    "<reddirectional>1</reddirectional><greendirectional>0.9</greendirectional><bluedirectional>0.8"
    "</bluedirectional><redambient>0.3</redambient><greenambient>0.3</greenambient><blueambient>0.4"
    "</blueambient><lensFlareLayers><FlareLayer><texture>a.dds</texture><length>2</length><scale>1</scale>"
    "</FlareLayer><FlareLayer><texture>b.dds</texture><length>-3</length><scale>0.5</scale></FlareLayer>"
    "</lensFlareLayers></Sun>",
    "<Skybox><left>l.dds</left><right>r.dds</right><forward>f.dds</forward><back>b.dds</back><top>t.dds</top>"
    "<Cloudplane><texture>c.dds</texture><height>90</height><speed>0.5</speed></Cloudplane></Skybox>",
    "<WaterPlane><effect>w.fx</effect><level>12.5</level><min_level>-4</min_level><max_level>40</max_level>"
    "</WaterPlane>",
};

// Reads the text as a world file's element would be read, writes it back and runs a frame's update.
void ReadWrite(const std::string& text, int kind)
{
    TiXmlDocument document;
    document.Parse(text.c_str());
    const TiXmlElement* root = document.RootElement();
    std::unique_ptr<kaEntity> object;
    if (kind == 0)
        object = std::make_unique<kaSun>();
    else if (kind == 1)
        object = std::make_unique<kaSkyBox>();
    else
        object = std::make_unique<kaEntityWaterPlane>();
    object->ReadXml(root);
    if (kind == 2)
        static_cast<kaEntityWaterPlane&>(*object).Build(1024.0f, 1024.0f);
    object->Update(0.1f);
    TiXmlElement out("out");
    object->WriteXml(&out);
}

class EnvironmentFuzzTest : public EnvironmentFixture
{
};

TEST_F(EnvironmentFuzzTest, TruncatedAndMutatedElementsNeitherCrashNorThrow)
{
    const std::string alphabet = "<>/ -.e0123456789abcdefghijklmnopqrstuvwxyzEINF+\"=&;";
    uint32_t seed = 12345;
    const auto next = [&seed]
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    for (int kind = 0; kind < 3; ++kind)
    {
        const std::string source = kElements[kind];
        for (size_t length = 0; length <= source.size(); ++length)
            EXPECT_NO_THROW(ReadWrite(source.substr(0, length), kind)) << length;
        for (int round = 0; round < 5000; ++round)
        {
            std::string text = source;
            const int edits = 1 + static_cast<int>(next() % 4);
            for (int e = 0; e < edits && !text.empty(); ++e)
            {
                const size_t at = next() % text.size();
                const char c = alphabet[next() % alphabet.size()];
                switch (next() % 3)
                {
                case 0:
                    text[at] = c;
                    break;
                case 1:
                    text.insert(at, 1, c);
                    break;
                default:
                    text.erase(at, 1 + next() % 8);
                    break;
                }
            }
            EXPECT_NO_THROW(ReadWrite(text, kind)) << text;
        }
    }
}

} // namespace
