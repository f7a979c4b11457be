#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaModelManager.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

// This program links the game's library and nothing else, as the game does: a course it loads gets every
// environment object the terrain library makes.
class TarvolinEnvironmentTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    kaFileSystem m_Files;
    kaInitDataBase m_InitData;
    kaModelManager m_Models;
};

TEST_F(TarvolinEnvironmentTest, ACourseGetsItsTerrainWaterSkySunAndPathGrid)
{
    const std::string course = m_Dir.Write(
        "course.xml", "<World><name>Lake</name>"
                      "<Terrain><heightmap>map129.tga</heightmap></Terrain>"
                      "<WaterPlane><level>2.5</level></WaterPlane>"
                      "<Skybox><left>sky_left.dds</left></Skybox>"
                      "<Sun><position>0.3</position><texture>sun.dds</texture></Sun>"
                      "</World>");
    testsupport::DebugCapture debug;
    kaWorld world;
    world.LoadFile(course, false);
    EXPECT_EQ(world.GetName(), "Lake");

    const struct
    {
        const kaEntity* object;
        const char* className;
    } built[] = {
        {world.GetTerrain(), "kaTerrain"},
        {world.GetWaterPlane(), "kaEntityWaterPlane"},
        {world.GetSkyBox(), "kaSkyBox"},
        {world.GetSun(), "kaSun"},
    };
    for (const auto& b : built)
    {
        ASSERT_NE(b.object, nullptr) << b.className;
        EXPECT_EQ(b.object->GetClassName(), b.className);
        EXPECT_EQ(b.object->GetWorld(), &world) << b.className;
    }
    // The path grid has no class record of its own: its type tells.
    ASSERT_NE(world.GetPathManager(), nullptr);
    EXPECT_NE(std::string(typeid(*world.GetPathManager()).name()).find("kaAStarPathManager"), std::string::npos);
    EXPECT_FALSE(debug.Contains("nothing makes"));
}
