#include "engine/scene/kaEntityBillBoard.h"

#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/kaEntityModel.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include "platform/gfx/GfxDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tinyxml.h>

using platform::Vector3;

namespace
{

// Seen by an unrotated camera: right is +x, up is +y, forward is +z.
class EntityBillBoardTest : public SceneModelFixture
{
protected:
    void SetUp() override
    {
        StartWith(
            "<initData><uniqueID>Glow</uniqueID><dataType>RenderState</dataType>"
            "<data><blendMode>Add</blendMode><image>resources/particles/spark.tga</image></data></initData>"
            "<initData><uniqueID>TwoLamps</uniqueID><data><classType>kaEntityBillBoard</classType>"
            "<renderStateID>Glow</renderStateID><scale>3</scale><positions><pos><x>7</x></pos>"
            "<pos><y>8</y></pos></positions></data></initData>");
        const platform::Matrix view;
        m_Manager->GetDevice()->SetTransform(platform::TS_VIEW, &view);
    }

    bool InSorter(const kaBillboard* billboard) const
    {
        const auto& items = m_World->GetAlphaSorter()->GetItems();
        return std::find(items.begin(), items.end(), billboard) != items.end();
    }
};

} // namespace

TEST_F(EntityBillBoardTest, ReadsOneBillboardPerPosWithMissingCoordinatesZero)
{
    const struct
    {
        std::string positions;
        std::vector<Vector3> placed;
    } cases[] = {
        {"<positions><pos><x>1</x><y>2</y><z>3</z><bone>Any</bone></pos><pos><x>4</x><z>5</z></pos></"
         "positions>",
         {{1, 2, 3}, {4, 0, 5}}},
        {"<positions></positions>", {}},
        {"", {}},
    };
    for (const auto& c : cases)
    {
        auto* entity = Make<kaEntityBillBoard>("<renderStateID>Glow</renderStateID><scale>2</scale>"
                                               "<setPosFromBottom>1</setPosFromBottom>" +
                                               c.positions);
        ASSERT_EQ(entity->GetBillboards().size(), c.placed.size()) << c.positions;
        for (size_t i = 0; i < c.placed.size(); ++i)
        {
            const kaBillboard* billboard = entity->GetBillboards()[i];
            ExpectNear(billboard->GetPosition(), c.placed[i]);
            EXPECT_EQ(entity->GetBones()[i], 0);
            EXPECT_FLOAT_EQ(billboard->GetBoundingRadius(), std::sqrt(8.0f));
            EXPECT_TRUE(InSorter(billboard));
            ASSERT_NE(billboard->GetRenderState(), nullptr);
            EXPECT_EQ(billboard->GetRenderState()->m_BlendMode, kaRenderState::kBlendAdd);
        }
    }
}

TEST_F(EntityBillBoardTest, BillboardsLeaveTheAlphaSorterWithTheEntity)
{
    auto* entity = Make<kaEntityBillBoard>("<scale>1</scale><positions><pos/><pos/></positions>");
    ASSERT_EQ(m_World->GetAlphaSorter()->GetItems().size(), 2u);
    m_World->DeleteEntity(entity, false);
    EXPECT_TRUE(m_World->GetAlphaSorter()->GetItems().empty());
}

TEST_F(EntityBillBoardTest, BillboardsReadBeforeTheWorldJoinItsSorterAtInitialisation)
{
    auto* post = new kaEntityModel;
    Read(*post, File(kRider) + "<billboard><scale>1</scale><bone>Head</bone></billboard>");
    ASSERT_TRUE(m_World->AddEntity(post, true, true));
    const kaBillboard* billboard = post->GetBillboardEntity()->GetBillboards().at(0);
    EXPECT_FALSE(InSorter(billboard));
    post->Initialize();
    post->Initialize();
    EXPECT_EQ(m_World->GetAlphaSorter()->GetItems().size(), 1u);
    m_World->DeleteEntity(post, false);
    EXPECT_TRUE(m_World->GetAlphaSorter()->GetItems().empty());
}

TEST_F(EntityBillBoardTest, ARestoredDeviceDressesTheQuadsAgainOnce)
{
    kaEntityModel* rider =
        Make(File(kRider) + "<billboard><renderStateID>Glow</renderStateID><scale>1</scale>"
                            "<bone>Head</bone></billboard>");
    auto* listed = Make<kaEntityBillBoard>("<renderStateID>Glow</renderStateID><scale>0.5</scale>"
                                           "<positions><pos/></positions>");
    kaBillboard* carried = rider->GetBillboardEntity()->GetBillboards().at(0);
    kaBillboard* read = listed->GetBillboards().at(0);
    // The spark texture is 32 pixels wide.
    EXPECT_FLOAT_EQ(read->GetWidth(), 16.0f);
    // Restored before and after the sorter restores its items: one texture either way.
    for (const bool sorterFirst : {false, true})
    {
        m_World->GetAlphaSorter()->ReleaseDeviceObjects();
        m_World->ReleaseDeviceObjects();
        if (sorterFirst)
            m_World->GetAlphaSorter()->CreateDeviceObjects();
        m_World->CreateDeviceObjects();
        m_World->GetAlphaSorter()->CreateDeviceObjects();
        for (const kaBillboard* billboard : {carried, read})
        {
            ASSERT_NE(billboard->GetRenderState(), nullptr) << sorterFirst;
            EXPECT_EQ(billboard->GetRenderState()->m_BlendMode, kaRenderState::kBlendAdd) << sorterFirst;
            EXPECT_EQ(billboard->GetRenderState()->GetStages().size(), 1u) << sorterFirst;
        }
    }
}

TEST_F(EntityBillBoardTest, AddedBillboardsStandAsTheirModeSays)
{
    const float corner00[2] = {0.0f, 0.0f};
    const struct
    {
        int32_t mode;
        const float* anchor;
        float offset;
        Vector3 firstCorner; // left-bottom, for a billboard of size 2 at (10, 0, 0)
    } cases[] = {
        {kaEntityBillBoard::kCentred, nullptr, 0.0f, {9, -1, 0}},
        {kaEntityBillBoard::kFromBottom, nullptr, 0.0f, {9, 0, 0}},
        {kaEntityBillBoard::kAnchored, corner00, 0.0f, {10, 0, 0}},
        // Anchored without fractions: centred.
        {kaEntityBillBoard::kAnchored, nullptr, 0.0f, {9, -1, 0}},
        // Pulled towards the camera.
        {kaEntityBillBoard::kCentred, nullptr, 0.5f, {9, -1, -0.5f}},
    };
    for (const auto& c : cases)
    {
        auto* entity = Make<kaEntityBillBoard>("");
        kaBillboard* billboard =
            entity->AddBillboard("Glow", kaEntityBillBoard::kNoBone, 2.0f, c.mode, c.offset, c.anchor);
        EXPECT_FLOAT_EQ(billboard->GetBoundingRadius(), 2.0f * std::sqrt(2.0f));
        EXPECT_TRUE(InSorter(billboard));
        billboard->SetPosition(10.0f, 0.0f, 0.0f);
        ExpectNear(billboard->GetCorner(0), c.firstCorner);
    }
}

TEST_F(EntityBillBoardTest, ModelEntityBillboardsFollowTheirBonesAndLooseOnesStay)
{
    kaEntityModel* rider =
        Make(File(kRider) +
             "<billboard><renderStateID>Glow</renderStateID><scale>2</scale>"
             "<scaleMin>5</scaleMin><scaleMax>9</scaleMax><bone>Head</bone><bone>Nope</bone>"
             "<bone>Hips</bone></billboard>"
             "<billboard><scaleMin>1</scaleMin><scaleMax>3</scaleMax><posFromBottom>1</posFromBottom>"
             "<bone>Head</bone></billboard>");
    kaEntityBillBoard* billboards = rider->GetBillboardEntity();
    ASSERT_NE(billboards, nullptr);
    ASSERT_EQ(billboards->GetBillboards().size(), 3u);
    // "scale" overrides the range exactly; otherwise a size inside it.
    EXPECT_FLOAT_EQ(billboards->GetBillboards()[0]->GetWidth(), 2.0f);
    EXPECT_FLOAT_EQ(billboards->GetBillboards()[1]->GetWidth(), 2.0f);
    const float drawn = billboards->GetBillboards()[2]->GetWidth();
    EXPECT_TRUE(drawn >= 1.0f && drawn < 3.0f) << drawn;

    kaBillboard* loose = billboards->AddBillboard("Glow", kaEntityBillBoard::kNoBone, 1.0f, 0, 0.0f, nullptr);
    ExpectNear(loose->GetPosition(), Vector3(0.0f, 0.0f, 0.0f));
    rider->SetPosition(Vector3(5.0f, 1.0f, -3.0f));
    for (size_t i = 0; i < 3; ++i)
        ExpectNear(billboards->GetBillboards()[i]->GetPosition(),
                   rider->GetBoneWorldPosition(billboards->GetBones()[i]));
    ExpectNear(loose->GetPosition(), Vector3(0.0f, 0.0f, 0.0f));

    // The model entity takes them out of the sorter when it goes.
    m_World->DeleteEntity(rider, false);
    EXPECT_TRUE(m_World->GetAlphaSorter()->GetItems().empty());
}

// A course saved and read again keeps its billboards: what the entity reads, it writes, and the copy
// writes the same again.
TEST_F(EntityBillBoardTest, WritesWhatItReadsSoACopyMatches)
{
    const struct
    {
        std::string xml;
        std::vector<Vector3> placed;
    } cases[] = {
        {"<renderStateID>Glow</renderStateID><scale>2.5</scale><setPosFromBottom>1</setPosFromBottom>"
         "<positions><pos><x>1</x><y>2</y><z>3</z></pos><pos><x>-4.25</x><z>0.1</z></pos></positions>",
         {{1, 2, 3}, {-4.25f, 0, 0.1f}}},
        {"<scale>0.5</scale><positions><pos/></positions>", {{0, 0, 0}}},
        {"<renderStateID>Glow</renderStateID>", {}},
    };
    for (const auto& c : cases)
    {
        auto* original = Make<kaEntityBillBoard>(c.xml);
        TiXmlElement written("Entity");
        original->WriteXml(&written);
        EXPECT_EQ(GetChildElementText("type", &written), "kaEntityBillBoard");

        auto* copy = new kaEntityBillBoard;
        copy->SetWorld(m_World.get());
        copy->ReadXml(&written);
        ASSERT_TRUE(m_World->AddEntity(copy, true, true));
        ASSERT_EQ(copy->GetBillboards().size(), c.placed.size()) << c.xml;
        for (size_t i = 0; i < c.placed.size(); ++i)
        {
            const kaBillboard* billboard = copy->GetBillboards()[i];
            const kaBillboard* source = original->GetBillboards()[i];
            ExpectNear(billboard->GetPosition(), c.placed[i]);
            EXPECT_FLOAT_EQ(billboard->GetScale(), source->GetScale());
            EXPECT_FLOAT_EQ(billboard->GetBoundingRadius(), source->GetBoundingRadius());
            for (int corner = 0; corner < 4; ++corner)
                ExpectNear(billboard->GetCorner(corner), source->GetCorner(corner));
            ASSERT_NE(billboard->GetRenderState(), nullptr);
            EXPECT_EQ(billboard->GetRenderState()->m_BlendMode, source->GetRenderState()->m_BlendMode);
        }

        TiXmlElement rewritten("Entity");
        copy->WriteXml(&rewritten);
        TiXmlPrinter first;
        TiXmlPrinter second;
        written.Accept(&first);
        rewritten.Accept(&second);
        // The entity IDs differ; everything else is the same.
        std::string a = first.Str();
        std::string b = second.Str();
        const auto dropId = [](std::string& text)
        {
            const size_t start = text.find("<entityID>");
            text.erase(start, text.find("</entityID>") - start);
        };
        dropId(a);
        dropId(b);
        EXPECT_EQ(a, b);
    }
}

// The billboards of an entity's init-data record come from the record at every load: a course saved and
// read again, over and over, keeps the same billboards as it was first read with.
TEST_F(EntityBillBoardTest, ACourseWithARecordKeepsItsBillboardsThroughSaves)
{
    const struct
    {
        std::string own;
        std::vector<Vector3> placed; // the block's first, then the record's
    } cases[] = {
        {"", {{7, 0, 0}, {0, 8, 0}}},
        {"<scale>1</scale><positions><pos><z>-2</z></pos></positions>", {{0, 0, -2}, {7, 0, 0}, {0, 8, 0}}},
    };
    for (const auto& c : cases)
    {
        std::string course = "<World><Entities><Entity><type>kaEntityBillBoard</type>"
                             "<initUniqueID>TwoLamps</initUniqueID><entityID>4</entityID>" +
                             c.own + "</Entity></Entities></World>";
        for (int save = 0; save < 3; ++save)
        {
            TiXmlDocument document;
            document.Parse(course.c_str());
            ASSERT_NE(document.RootElement(), nullptr) << course;
            kaWorld world;
            world.ReadXml(document.RootElement(), false);
            const auto* entity = dynamic_cast<const kaEntityBillBoard*>(world.FindEntityById(4));
            ASSERT_NE(entity, nullptr) << course;
            ASSERT_EQ(entity->GetBillboards().size(), c.placed.size()) << "save " << save << ": " << course;
            for (size_t i = 0; i < c.placed.size(); ++i)
                ExpectNear(entity->GetBillboards()[i]->GetPosition(), c.placed[i]);

            TiXmlElement root("World");
            world.WriteXml(&root, false);
            TiXmlPrinter printer;
            root.Accept(&printer);
            course = printer.Str();
        }
    }
}
