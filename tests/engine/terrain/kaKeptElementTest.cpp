#include "engine/terrain/kaKeptElement.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaTerrain.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>
#include <memory>
#include <string>

namespace
{

std::string Print(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.Str();
}

TEST(EnvironmentElementTest, EachObjectWritesBackTheElementItRead)
{
    const struct
    {
        std::function<kaEntity*()> make;
        std::string className;
        std::string xml;
    } cases[] = {
        {[] { return new kaTerrain; }, "kaTerrain",
         // Files that cannot be loaded are kept as read: the course saves what it was given.
         "<Terrain><heightmap>hills.bmp</heightmap><width>512</width><length>256</length><height>80</height>"
         "<vertexLight>1</vertexLight><terrainLayers><layer><maskPath>m0.bmp</maskPath>"
         "<texturePath>grass.dds</texturePath><texStretch>4</texStretch><hardEdge>0</hardEdge></layer>"
         "<layer><maskPath>m1.tga</maskPath><texturePath>rock.dds</texturePath><texStretch>0.5</texStretch>"
         "<hardEdge>1</hardEdge></layer></terrainLayers><edgePanels></edgePanels></Terrain>"},
    };
    for (const auto& c : cases)
    {
        TiXmlDocument source;
        source.Parse(c.xml.c_str());
        const std::unique_ptr<kaEntity> object(c.make());
        object->ReadXml(source.RootElement());
        // The source may go; the object holds its own copy.
        source.Clear();
        TiXmlDocument target;
        TiXmlElement* element =
            target.InsertEndChild(TiXmlElement(c.xml.substr(1, c.xml.find_first_of(" >") - 1)))->ToElement();
        object->WriteXml(element);
        EXPECT_EQ(Print(target), c.xml) << c.className;
        EXPECT_EQ(object->GetClassName(), c.className);
        // Only the world makes them.
        EXPECT_EQ(CreateEntity(c.className), nullptr);
    }
}

TEST(EnvironmentElementTest, TheTerrainIsFlatAndEmptyUntilBuilt)
{
    kaWorld world;
    auto* terrain = new kaTerrain;
    world.SetTerrain(terrain);
    EXPECT_EQ(terrain->GetName(), "Terrain");
    EXPECT_EQ(world.GetGroundHeight(120.0f, -8.0f), 0.0f);
    EXPECT_EQ(terrain->GetWidth(), 0.0f);
    EXPECT_EQ(terrain->GetLength(), 0.0f);
}

} // namespace
