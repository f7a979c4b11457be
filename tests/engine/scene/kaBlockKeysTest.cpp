#include "engine/scene/kaBlockKeys.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

namespace
{

// The element parsed from the text; the document holds it.
const TiXmlElement* Parsed(TiXmlDocument& document, const std::string& xml)
{
    document.Parse(xml.c_str());
    return document.RootElement();
}

// What the keys write, each child as printed on one line, after the block's own children.
std::string Written(const std::function<void(TiXmlElement&)>& write)
{
    TiXmlElement block("Entity");
    write(block);
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    block.Accept(&printer);
    return printer.Str();
}

} // namespace

// Single keys are the first child of their name, list keys every child, all in the block's order; a later
// block replaces only the names it holds, and what is written is what was read, byte for byte.
TEST(BlockKeysTest, SingleAndListKeysComeBackInTheBlocksOrderAsRead)
{
    const std::vector<std::string> singles = {"mass", "pinned"};
    const std::vector<std::string> lists = {"joint", "decal"};
    const struct
    {
        const char* name;
        std::vector<std::string> blocks;
        std::string written;
    } cases[] = {
        {"one block",
         {"<e><joint><a>1</a></joint><mass>5x</mass><other>9</other><decal>d</decal><joint><a>2</a></joint>"
          "<mass>6</mass><pinned>1</pinned></e>"},
         "<Entity><joint><a>1</a></joint><mass>5x</mass><decal>d</decal><joint><a>2</a></joint>"
         "<pinned>1</pinned></Entity>"},
        {"a later block replaces the names it holds",
         {"<e><mass>5</mass><joint>j1</joint><joint>j2</joint><pinned>0</pinned></e>",
          "<e><joint>j3</joint><mass>7</mass></e>"},
         "<Entity><pinned>0</pinned><joint>j3</joint><mass>7</mass></Entity>"},
        {"a block without the keys keeps them",
         {"<e><mass>5</mass></e>", "<e><other>1</other></e>"},
         "<Entity><mass>5</mass></Entity>"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        kaBlockKeys keys;
        for (const std::string& xml : c.blocks)
        {
            TiXmlDocument document;
            keys.Keep(Parsed(document, xml), singles, lists);
        }
        EXPECT_EQ(Written([&keys](TiXmlElement& block) { keys.WriteAll(&block); }), c.written);
        // The names asked for, in the order kept: the same here, as every kept key is one of them.
        std::vector<std::string> all = singles;
        all.insert(all.end(), lists.begin(), lists.end());
        EXPECT_EQ(Written([&keys, &all](TiXmlElement& block) { keys.Write(&block, all); }), c.written);
    }
}

// A key kept from a value the reader could not take stands in the place of what was kept under its name, a
// value set replaces it, and a forgotten key is written by its owner again.
TEST(BlockKeysTest, KeptSetAndForgottenKeysWriteWhatTheyHoldWhereTheyStood)
{
    TiXmlDocument document;
    kaBlockKeys keys;
    keys.Keep(Parsed(document, "<e><joint>j1</joint><mass>1</mass><joint>j2</joint></e>"), {"mass"},
              {"joint"});
    TiXmlDocument bad;
    keys.KeepElement(*Parsed(bad, "<joint>broken</joint>"));
    EXPECT_EQ(Written([&keys](TiXmlElement& block) { keys.WriteAll(&block); }),
              "<Entity><joint>broken</joint><mass>1</mass></Entity>");
    keys.Set("mass", "2.5");
    keys.Set("visible", "-1e39");
    EXPECT_TRUE(keys.Has("visible"));
    EXPECT_EQ(Written([&keys](TiXmlElement& block) { keys.WriteAll(&block); }),
              "<Entity><joint>broken</joint><mass>2.5</mass><visible>-1e39</visible></Entity>");
    EXPECT_EQ(Written(
                  [&keys](TiXmlElement& block)
                  {
                      EXPECT_TRUE(keys.Write(&block, "visible"));
                      EXPECT_FALSE(keys.Write(&block, "selectable"));
                  }),
              "<Entity><visible>-1e39</visible></Entity>");
    keys.Forget("visible");
    EXPECT_FALSE(keys.Has("visible"));
    EXPECT_EQ(Written([&keys](TiXmlElement& block)
                      { keys.WriteAll(&block, [](const std::string& name) { return name == "joint"; }); }),
              "<Entity><mass>2.5</mass></Entity>");
}

// Every child but those the reader takes, in the file's order; a later block's keys replace all of them.
TEST(BlockKeysTest, AllButTheReadKeysAreKeptAndALaterBlockReplacesThem)
{
    kaBlockKeys keys;
    TiXmlDocument first;
    keys.KeepAllBut(Parsed(first, "<World><timeLimit>60</timeLimit><name>A</name><Designer>Kim</Designer>"
                                  "<Designer>Lee</Designer></World>"),
                    {"name"});
    EXPECT_EQ(Written([&keys](TiXmlElement& block) { keys.WriteAll(&block); }),
              "<Entity><timeLimit>60</timeLimit><Designer>Kim</Designer><Designer>Lee</Designer></Entity>");
    TiXmlDocument second;
    keys.KeepAllBut(Parsed(second, "<World><name>B</name><rules>3</rules></World>"), {"name"});
    EXPECT_EQ(Written([&keys](TiXmlElement& block) { keys.WriteAll(&block); }),
              "<Entity><rules>3</rules></Entity>");
}
