#include "engine/scene/EntityTree.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/scene/kaTerrainBase.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include "platform/gfx/GfxDevice.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <string>

using platform::Vector3;

namespace
{

constexpr const char* kTexture = "resources/particles/spark.tga";

// Ground sloping up along x: height x / 2.
class SlopedGround : public kaTerrainBase
{
public:
    float GetHeightAt(float x, float) const override { return x * 0.5f; }
    float GetWidth() const override { return 100.0f; }
    float GetLength() const override { return 100.0f; }
};

class EntityTreeTest : public SceneModelFixture
{
protected:
    void SetUp() override
    {
        StartWith("");
        const platform::Matrix view;
        m_Manager->GetDevice()->SetTransform(platform::TS_VIEW, &view);
    }

    size_t InSorter(const kaBillboard* billboard) const
    {
        const auto& items = m_World->GetAlphaSorter()->GetItems();
        return static_cast<size_t>(std::count(items.begin(), items.end(), billboard));
    }

    static std::string Saved(const kaEntity& entity)
    {
        TiXmlDocument document;
        TiXmlElement* root = AppendElement(&document, "Entity");
        entity.WriteXml(root);
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        root->Accept(&printer);
        return printer.CStr();
    }
};

} // namespace

TEST_F(EntityTreeTest, StandsOnTheGroundAtTheSameSpotWhenSavedAndReadAgain)
{
    const struct
    {
        bool terrain;
        std::string block;
        Vector3 foot;
    } cases[] = {
        // Whatever height the file gives, the ground decides.
        {true, "<position><x>4</x><y>30</y><z>-3</z></position>", {4.0f, 2.0f, -3.0f}},
        {false, "<position><x>4</x><y>30</y><z>-3</z></position>", {4.0f, 0.0f, -3.0f}},
        {true, "<position><z>-3</z></position>", {0.0f, 0.0f, -3.0f}},
        {true, "", {0.0f, 0.0f, 0.0f}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.block);
        m_World = std::make_unique<kaWorld>();
        if (c.terrain)
            m_World->SetTerrain(new SlopedGround);
        auto* tree = Make<EntityTree>("<name>Oak</name><filename>" + std::string(kTexture) +
                                      "</filename><scale>0.25</scale>" + c.block);
        ASSERT_NE(tree->GetBillboard(), nullptr);
        ExpectNear(tree->GetBillboard()->GetPosition(), c.foot);
        const std::string saved = Saved(*tree);
        EXPECT_EQ(saved.find("<y>"), std::string::npos) << saved;

        auto* again = Make<EntityTree>(saved.substr(8, saved.size() - 17));
        ASSERT_NE(again->GetBillboard(), nullptr);
        ExpectNear(again->GetBillboard()->GetPosition(), c.foot);
        EXPECT_EQ(again->GetName(), "Oak");
        EXPECT_EQ(again->GetBillboard()->GetTextureName(), kTexture);
        EXPECT_FLOAT_EQ(again->GetBillboard()->GetScale(), 0.25f);
        EXPECT_EQ(Saved(*again).substr(Saved(*again).find("<filename>")), saved.substr(saved.find("<filename>")));
    }
}

TEST_F(EntityTreeTest, ItsBoxSpansTheQuadStandingOnItsFoot)
{
    auto* tree = Make<EntityTree>("<filename>" + std::string(kTexture) +
                                  "</filename><scale>0.25</scale><position><x>2</x><z>5</z></position>");
    EXPECT_EQ(tree->GetName(), "EntityTree");
    const kaBillboard* billboard = tree->GetBillboard();
    ASSERT_NE(billboard, nullptr);
    // The spark picture is 32 pixels square: a quad 8 wide and 8 high, facing an unrotated view.
    const kaBoundingBox* box = tree->GetBoundingBox();
    ExpectNear(box->m_Min, Vector3(-2.0f, 0.0f, 5.0f));
    ExpectNear(box->m_Max, Vector3(6.0f, 8.0f, 5.0f));
    for (int i = 0; i < 4; ++i)
    {
        const Vector3 corner = billboard->GetCorner(i);
        EXPECT_TRUE(corner.x >= box->m_Min.x && corner.x <= box->m_Max.x && corner.y >= box->m_Min.y &&
                    corner.y <= box->m_Max.y)
            << i;
    }
    // The sorter's sphere about the foot reaches the top corners.
    EXPECT_NEAR(billboard->GetBoundingRadius(), std::sqrt(4.0f * 4.0f + 8.0f * 8.0f), 1e-4f);
    bool more = true;
    EXPECT_EQ(tree->GetNextMesh(more), billboard->GetMesh());
    EXPECT_FALSE(more);

    tree->SetPosition(Vector3(-1.0f, 1.0f, 0.0f));
    ExpectNear(box->m_Min, Vector3(-5.0f, 1.0f, 0.0f));
    ExpectNear(box->m_Max, Vector3(3.0f, 9.0f, 0.0f));
}

TEST_F(EntityTreeTest, ItsBillboardLeavesTheAlphaSorterWhenReplacedAndWhenTheTreeDies)
{
    auto* tree = Make<EntityTree>("<filename>" + std::string(kTexture) + "</filename><scale>0.1</scale>");
    kaBillboard* first = tree->GetBillboard();
    EXPECT_EQ(InSorter(first), 1u);
    tree->CreateBillboard(kTexture, 0.2f);
    kaBillboard* second = tree->GetBillboard();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(m_World->GetAlphaSorter()->GetItems().size(), 1u);
    EXPECT_EQ(InSorter(second), 1u);
    m_World->DeleteEntity(tree, false);
    EXPECT_TRUE(m_World->GetAlphaSorter()->GetItems().empty());
}

TEST_F(EntityTreeTest, OutsideAWorldItMakesNoBillboard)
{
    EntityTree tree;
    Read(tree, "<name>Lone</name><filename>" + std::string(kTexture) + "</filename><scale>1</scale>");
    EXPECT_EQ(tree.GetBillboard(), nullptr);
    EXPECT_EQ(Saved(tree), "<Entity><name>Lone</name><type>EntityTree</type><entityID>-1</entityID>"
                           "<visible>1</visible><selectable>1</selectable></Entity>");
}
