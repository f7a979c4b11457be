#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "tests/support/engine/terrain/DecalTestSupport.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cstdio>
#include <memory>
#include <string>

namespace
{

class RoadAndMarkerTest : public DecalFixture
{
protected:
    template <typename Decal> std::unique_ptr<Decal> Make()
    {
        auto decal = std::make_unique<Decal>();
        decal->SetWorld(&m_World);
        return decal;
    }

    template <typename Decal> std::unique_ptr<Decal> Read(const std::string& text)
    {
        TiXmlDocument document;
        document.Parse(text.c_str());
        auto decal = Make<Decal>();
        decal->ReadXml(document.RootElement());
        return decal;
    }

    static std::string Write(const kaDraggableDecal& decal) { return Written(decal, "entity"); }

    static kaPropertyList Rows(kaEntity& entity) { return entity.GetPropertyList(); }

    static void Change(kaPropertyList& rows, const std::string& label, const std::string& value)
    {
        for (auto& row : rows)
            if (row->m_Label == label)
                row->m_Value = value;
    }
};

TEST_F(RoadAndMarkerTest, ANewRoadIsOneTextureRepeatWideAndTurnsAlongItsLongerSide)
{
    auto road = Make<Road>();
    EXPECT_EQ(road->GetName(), "Road");
    EXPECT_EQ(road->GetPathType(), 4);
    road->SetRect(0, 0, 20, 20);
    EXPECT_EQ(road->GetEndX(), 4);
    EXPECT_EQ(road->GetEndZ(), 20);
    EXPECT_EQ(road->GetRotation(), 0);

    // Read back laid along X: the size read turns it, and the limit then holds Z, not X.
    auto alongX = Read<Road>("<entity><startCorner><x>2</x><z>3</z></startCorner><endCorner><x>22</x><z>7</z>"
                             "</endCorner><showDecal>1</showDecal><widthScale>0.25</widthScale>"
                             "<lengthScale>0.25</lengthScale></entity>");
    EXPECT_EQ(alongX->GetRotation(), 90);
    EXPECT_EQ(alongX->GetStartX(), 2);
    EXPECT_EQ(alongX->GetEndX(), 22);
    EXPECT_EQ(alongX->GetEndZ(), 7);
    EXPECT_EQ(alongX->GetTile(0)->GetRotation(), 90);
}

TEST_F(RoadAndMarkerTest, DecalBlocksRoundTripToTheSameBytesAndRectangles)
{
    const std::string blocks[] = {
        // Roads along X and along Z.
        "<entity><startCorner><x>2</x><z>3</z></startCorner><endCorner><x>22</x><z>7</z></endCorner>"
        "<showDecal>1</showDecal><rotation>90</rotation><widthScale>0.25</widthScale><lengthScale>0.25</"
        "lengthScale>"
        "</entity>",
        "<entity><startCorner><x>10</x><z>1</z></startCorner><endCorner><x>14</x><z>31</z></endCorner>"
        "<showDecal>1</showDecal><widthScale>0.25</widthScale><lengthScale>0.25</lengthScale></entity>",
        // Stretched once: written with the effective repeats.
        "<entity><startCorner><x>4</x><z>4</z></startCorner><endCorner><x>9</x><z>12</z></endCorner>"
        "<showDecal>1</showDecal><rotation>180</rotation></entity>",
    };
    for (const bool road : {true, false})
        for (const std::string& block : blocks)
        {
            SCOPED_TRACE(block);
            std::unique_ptr<kaDraggableDecal> first;
            if (road)
                first = Read<Road>(block);
            else
                first = Read<TerrainMarker>(block);
            const std::string once = Write(*first);
            std::unique_ptr<kaDraggableDecal> second;
            if (road)
                second = Read<Road>(once);
            else
                second = Read<TerrainMarker>(once);
            EXPECT_EQ(Write(*second), once);
            EXPECT_EQ(second->GetStartX(), first->GetStartX());
            EXPECT_EQ(second->GetStartZ(), first->GetStartZ());
            EXPECT_EQ(second->GetEndX(), first->GetEndX());
            EXPECT_EQ(second->GetEndZ(), first->GetEndZ());
            EXPECT_NE(once.find("<showDecal>1</showDecal>"), std::string::npos);
        }
    // Markers of each type keep their name.
    for (const char* type :
         {"Rough", "Smooth", "Forest", "Paved", "Blocked", "Landscaped", "Excavated", "Pipelaid", "Swamp"})
    {
        auto marker = Make<TerrainMarker>();
        marker->SetRect(1, 1, 5, 5);
        marker->SetTerrainType(type);
        const std::string once = Write(*marker);
        auto again = Read<TerrainMarker>(once);
        EXPECT_EQ(again->GetTerrainType(), TerrainMarker::TypeOf(type));
        EXPECT_EQ(Write(*again), once);
    }
}

TEST_F(RoadAndMarkerTest, MissingKeysHideTheDecalAndStretchItAndBadBoundsAreHeldInside)
{
    auto marker = Read<TerrainMarker>("<entity><startCorner><x>3</x><z>3</z></startCorner>"
                                      "<endCorner><x>8</x><z>11</z></endCorner></entity>");
    ASSERT_NE(marker->GetTile(15), nullptr);
    EXPECT_FALSE(marker->GetTile(15)->IsSwitchedOn());
    EXPECT_FLOAT_EQ(marker->GetTile(15)->GetScaleU(), 1.0f / 5.0f);
    EXPECT_FLOAT_EQ(marker->GetTile(15)->GetScaleV(), 1.0f / 8.0f);
    EXPECT_EQ(marker->GetTerrainType(), 0);
    EXPECT_EQ(marker->GetTerrainTypeName(), "");

    const struct
    {
        const char* corners;
        int32_t x1, z1, x2, z2;
    } cases[] = {
        {"<startCorner><x>-5</x><z>40</z></startCorner><endCorner><x>50</x><z>-3</z></endCorner>", 0, 0, 32,
         32},
        {"<startCorner><x>7</x><z>7</z></startCorner><endCorner><x>7</x><z>7</z></endCorner>", 7, 7, 8, 8},
        {"<startCorner><x>40</x><z>40</z></startCorner><endCorner><x>90</x><z>90</z></endCorner>", 31, 31, 32,
         32},
    };
    for (const auto& c : cases)
    {
        auto decal = Read<TerrainMarker>(std::string("<entity>") + c.corners +
                                         "<terrainType>Forest</terrainType></entity>");
        EXPECT_EQ(decal->GetStartX(), c.x1) << c.corners;
        EXPECT_EQ(decal->GetStartZ(), c.z1) << c.corners;
        EXPECT_EQ(decal->GetEndX(), c.x2) << c.corners;
        EXPECT_EQ(decal->GetEndZ(), c.z2) << c.corners;
        EXPECT_EQ(decal->GetTerrainType(), 3);
    }
}

TEST_F(RoadAndMarkerTest, TerrainTypesMatchExactlyAndRowsReportEitherChange)
{
    auto marker = Make<TerrainMarker>();
    marker->SetRect(2, 2, 10, 10);
    EXPECT_TRUE(marker->SetTerrainType("paved"));
    EXPECT_EQ(marker->GetTerrainType(), 0);
    EXPECT_EQ(marker->GetTerrainTypeName(), "paved");
    marker->SetTerrainType("Forest");
    EXPECT_EQ(marker->GetTerrainType(), 3);
    EXPECT_FALSE(marker->CheckTerrainType(3));
    EXPECT_EQ(marker->GetTerrainDescription(), "");

    kaPropertyList rows = Rows(*marker);
    const kaPropertyRecord& typeRow = *rows.back();
    EXPECT_EQ(typeRow.m_Label, "Terrain Type:");
    EXPECT_EQ(typeRow.m_Kind, kaPropertyRecord::kFromListFile);
    EXPECT_EQ(typeRow.m_ListFile, "InitData/TerrainTypes.xml");
    // The same type: nothing changed.
    EXPECT_FALSE(marker->SetPropertyList(rows));
    // Only the decal's rows changed: still a change to save.
    rows = Rows(*marker);
    Change(rows, "EndCornerX:", "14");
    EXPECT_TRUE(marker->SetPropertyList(rows));
    EXPECT_EQ(marker->GetEndX(), 14);
    rows = Rows(*marker);
    Change(rows, "Terrain Type:", "Paved");
    EXPECT_TRUE(marker->SetPropertyList(rows));
    EXPECT_EQ(marker->GetTerrainType(), 4);
    // Rotation and scales come from the first tile.
    rows = Rows(*marker);
    Change(rows, "DecalRotation:", "270");
    Change(rows, "WidthScale:", "0.5");
    EXPECT_TRUE(marker->SetPropertyList(rows));
    EXPECT_EQ(marker->GetTile(0)->GetRotation(), 270);
    EXPECT_FLOAT_EQ(marker->GetTile(0)->GetScaleU(), 0.5f);

    // A bound that is no number stops before anything is stored, the rows before it included.
    rows = Rows(*marker);
    Change(rows, "Texture:", "resources/worlds/decals/other.dds");
    Change(rows, "StartCornerX:", "3");
    Change(rows, "EndCornerZ:", "wide");
    EXPECT_THROW(marker->SetPropertyList(rows), std::exception);
    EXPECT_EQ(marker->GetTexture(), TerrainMarker::kTexturePath);
    EXPECT_EQ(marker->GetStartX(), 2);
}

// A course whose height map cannot be read still has its roads and markers: saved, they are what was read
// (a road one texture repeat wide, as it would be on any ground).
TEST_F(RoadAndMarkerTest, DecalsWithoutGroundToLieOnAreWrittenAsRead)
{
    const std::string block =
        "<entity><startCorner><x>2</x><z>3</z></startCorner><endCorner><x>22</x><z>7</z></endCorner>"
        "<showDecal>1</showDecal><rotation>270</rotation><widthScale>0.5</widthScale>"
        "<lengthScale>0.25</lengthScale></entity>";
    for (const bool unreadableMap : {true, false})
        for (const bool road : {true, false})
        {
            SCOPED_TRACE(std::string(unreadableMap ? "unreadable map" : "no terrain") +
                         (road ? ", road" : ", marker"));
            if (unreadableMap)
            {
                auto* terrain = new kaTerrain;
                TiXmlDocument document;
                document.Parse("<Terrain><heightmap>missing.bmp</heightmap><width>128</width>"
                               "<length>128</length><height>50</height></Terrain>");
                terrain->ReadXml(document.RootElement());
                ASSERT_EQ(terrain->GetColumns(), 0);
                m_World.SetTerrain(terrain);
            }
            else
                m_World.SetTerrain(nullptr);
            std::unique_ptr<kaDraggableDecal> first;
            if (road)
                first = Read<Road>(block);
            else
                first = Read<TerrainMarker>(block);
            TiXmlDocument written;
            written.Parse(Write(*first).c_str());
            const TiXmlElement* root = written.RootElement();
            ASSERT_NE(root, nullptr);
            const TiXmlElement* start = root->FirstChildElement("startCorner");
            const TiXmlElement* end = root->FirstChildElement("endCorner");
            ASSERT_TRUE(start && end);
            const auto at = [](const TiXmlElement* corner, const char* axis)
            { return GetElementText(corner->FirstChildElement(axis)); };
            EXPECT_EQ(at(start, "x") + "," + at(start, "z") + "-" + at(end, "x") + "," + at(end, "z"),
                      "2,3-22,7");
            EXPECT_EQ(GetChildElementText("showDecal", root), "1");
            EXPECT_EQ(GetChildElementText("rotation", root), "270");
            EXPECT_EQ(GetChildElementText("widthScale", root), "0.5");
            EXPECT_EQ(GetChildElementText("lengthScale", root), "0.25");

            std::unique_ptr<kaDraggableDecal> second;
            if (road)
                second = Read<Road>(Write(*first));
            else
                second = Read<TerrainMarker>(Write(*first));
            EXPECT_EQ(Write(*second), Write(*first));
        }
}

// A flag row that reshapes the decal is an edit the editor must know of, or the course stays marked saved.
TEST_F(RoadAndMarkerTest, FlagRowsThatReshapeTheDecalReportAChange)
{
    const struct
    {
        const char* name;
        const char* corners; // start x, z, end x, z
        bool limitWidthBefore;
        const char* label;
        const char* value;
        bool changed;
        int32_t endX, endZ;
    } cases[] = {
        {"width limit narrows", "2 2 9 20", false, "LimitToTextureWidth:", "true", true, 6, 20},
        {"length limit shortens", "2 2 9 20", false, "LimitToTextureLength:", "true", true, 9, 6},
        // One repeat wide along X and longer that way: turned, the width limit holds Z instead.
        {"auto-rotation turns the limit", "2 2 6 4", true, "AutoRotateTexture:", "true", true, 6, 6},
        {"a flag left off", "2 2 9 20", false, "LimitToTextureWidth:", "false", false, 9, 20},
        {"a limit already met", "2 2 6 20", false, "LimitToTextureWidth:", "true", false, 6, 20},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        int32_t x1 = 0, z1 = 0, x2 = 0, z2 = 0;
        std::sscanf(c.corners, "%d %d %d %d", &x1, &z1, &x2, &z2);
        auto marker = Read<TerrainMarker>(
            "<entity><startCorner><x>" + std::to_string(x1) + "</x><z>" + std::to_string(z1) +
            "</z></startCorner><endCorner><x>" + std::to_string(x2) + "</x><z>" + std::to_string(z2) +
            "</z></endCorner><showDecal>1</showDecal><widthScale>0.25</widthScale>"
            "<lengthScale>0.25</lengthScale></entity>");
        ASSERT_EQ(marker->GetEndX(), x2);
        marker->SetLimitToTextureWidth(c.limitWidthBefore);
        kaPropertyList rows = Rows(*marker);
        Change(rows, c.label, c.value);
        EXPECT_EQ(marker->SetPropertyList(rows), c.changed);
        EXPECT_EQ(marker->GetEndX(), c.endX);
        EXPECT_EQ(marker->GetEndZ(), c.endZ);
    }
}

TEST_F(RoadAndMarkerTest, TheFactoryMakesBothKindsByName)
{
    for (const char* name : {"Road", "TerrainMarker"})
    {
        const std::unique_ptr<kaEntity> entity = CreateEntity(name);
        ASSERT_NE(entity, nullptr) << name;
        EXPECT_EQ(entity->GetClassName(), name);
    }
    EXPECT_EQ(CreateEntity("kaDraggableDecal"), nullptr);
    // Each kind registers under its key.
    auto road = Make<Road>();
    auto marker = Make<TerrainMarker>();
    EXPECT_EQ(m_Decals.GetDecals().at(kaDraggableDecalManager::kRoadKey).front(), road.get());
    EXPECT_EQ(m_Decals.GetDecals().at(kaDraggableDecalManager::kMarkerKey).front(), marker.get());
}

} // namespace
