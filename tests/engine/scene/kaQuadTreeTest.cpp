#include "engine/scene/kaQuadTree.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/scene/kaEntity.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <limits>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

// An entity with a box as the world keeps it (corners, centre and radius filled), logging its draws.
class BoxEntity : public kaEntity
{
public:
    BoxEntity(const std::string& name, const Vector3& min, const Vector3& max) : m_HasBox(true)
    {
        SetName(name);
        SetBox(min, max);
    }
    explicit BoxEntity(const std::string& name) { SetName(name); }

    void SetBox(const Vector3& min, const Vector3& max)
    {
        m_Box.m_Min = min;
        m_Box.m_Max = max;
        m_Box.ComputeCorners();
        m_Box.m_Centre = (min + max) * 0.5f;
        m_Box.m_Radius = platform::Vec3Length(max - min) * 0.5f;
    }

    kaBoundingBox* GetBoundingBox() override { return m_HasBox ? &m_Box : nullptr; }
    void Render() override
    {
        if (m_OnRender)
            m_OnRender(*this);
    }

    std::function<void(BoxEntity&)> m_OnRender;

private:
    bool m_HasBox = false;
    kaBoundingBox m_Box;
};

// Where a filed entity sits, as its node's rectangle: min x, min z, max x, max z.
using Rect = std::array<float, 4>;

Rect NodeRect(const kaQuadTree& tree, int32_t index)
{
    const kaQuadTree::Node& node = tree.GetNode(index);
    return {node.m_MinX, node.m_MinZ, node.m_MaxX, node.m_MaxZ};
}

std::vector<std::string> Names(const std::vector<kaEntity*>& entities)
{
    std::vector<std::string> names;
    for (const kaEntity* entity : entities)
        names.push_back(entity->GetName());
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<kaEntity*>& Listed(const kaQuadTree& tree, const kaEntity& entity)
{
    return tree.GetNode(entity.GetQuadTreeNode()).m_Entities;
}

TEST(kaQuadTree, InitializeBuildsACompleteTreeDownToTheLeafSize)
{
    struct Case
    {
        float width, length, leaf;
        int32_t nodes;
        float leafWidth, leafLength;
        int32_t acrossX, acrossZ;
        const char* line;
    } const cases[] = {
        {256, 256, 32, 85, 32, 32, 8, 8, "[kaQuadTree::Initialize] Quadtree nodes are using 5780 bytes"},
        {256, 128, 32, 21, 64, 32, 4, 4, "using 1428 bytes"},
        {100, 100, 60, 1, 100, 100, 1, 1, "using 68 bytes"}, // halves of 50 fall below 60
        {100, 40, 0, 1, 100, 40, 1, 1, "using 68 bytes"},    // a venue without depth
        {100, 100, -3, 1, 100, 100, 1, 1, "using 68 bytes"},
    };
    for (const Case& c : cases)
    {
        testsupport::DebugCapture capture;
        kaQuadTree tree;
        tree.Initialize(c.width, c.length, c.leaf);
        EXPECT_EQ(tree.GetNodeCount(), c.nodes) << c.width << " " << c.leaf;
        EXPECT_EQ(tree.GetLeafWidth(), c.leafWidth);
        EXPECT_EQ(tree.GetLeafLength(), c.leafLength);
        EXPECT_EQ(tree.GetLeavesAcrossX(), c.acrossX);
        EXPECT_EQ(tree.GetLeavesAcrossZ(), c.acrossZ);
        EXPECT_TRUE(capture.Contains(c.line));
        EXPECT_TRUE(capture.Contains("Quadtree inited in: "));
        EXPECT_EQ(NodeRect(tree, 0), (Rect{0, 0, c.width, c.length}));
    }
}

TEST(kaQuadTree, ChildrenCoverTheQuartersInOrder)
{
    kaQuadTree tree;
    tree.Initialize(256, 256, 32);
    const int32_t* children = tree.GetNode(0).m_Children;
    const Rect quarters[4] = {{0, 0, 128, 128}, {128, 0, 256, 128}, {0, 128, 128, 256}, {128, 128, 256, 256}};
    for (int k = 0; k < 4; ++k)
    {
        EXPECT_EQ(NodeRect(tree, children[k]), quarters[k]) << k;
        EXPECT_EQ(tree.GetNode(children[k]).m_Parent, 0);
    }
}

TEST(kaQuadTree, EntitiesSitInTheSmallestNodeHoldingTheirBox)
{
    kaQuadTree tree;
    tree.Initialize(256, 256, 32);
    struct Case
    {
        const char* name;
        Vector3 min, max;
        Rect node;
    } const cases[] = {
        {"leaf", {1, -2, 1}, {10, 5, 10}, {0, 0, 32, 32}},
        {"on leaf borders", {32, 0, 0}, {64, 1, 32}, {32, 0, 64, 32}},
        {"across a middle line", {60, 0, 10}, {70, 1, 20}, {0, 0, 128, 128}},
        {"across the centre", {120, 0, 120}, {136, 1, 136}, {0, 0, 256, 256}},
        {"partly outside", {250, 0, 250}, {260, 7, 260}, {0, 0, 256, 256}},
        {"wholly outside", {-50, 0, -50}, {-40, 1, -40}, {0, 0, 256, 256}},
    };
    std::vector<std::unique_ptr<BoxEntity>> entities;
    for (const Case& c : cases)
    {
        entities.push_back(std::make_unique<BoxEntity>(c.name, c.min, c.max));
        tree.Insert(entities.back().get());
        EXPECT_EQ(NodeRect(tree, entities.back()->GetQuadTreeNode()), c.node) << c.name;
        EXPECT_EQ(Listed(tree, *entities.back()).back(), entities.back().get());
    }
    BoxEntity boxless("no box");
    tree.Insert(&boxless);
    EXPECT_EQ(boxless.GetQuadTreeNode(), 0);
    EXPECT_EQ(tree.GetMinY(), -2.0f);
    EXPECT_EQ(tree.GetMaxY(), 7.0f);
}

TEST(kaQuadTree, MoveRefilesRemoveForgetsAndUnfiledEntitiesAreIgnored)
{
    kaQuadTree tree;
    tree.Initialize(256, 256, 32);
    BoxEntity a("a", {1, 0, 1}, {2, 1, 2});
    BoxEntity b("b", {3, 0, 3}, {4, 1, 4});
    tree.Insert(&a);
    tree.Insert(&b);
    tree.Insert(&a); // a second insert must not list it twice
    const int32_t leaf = a.GetQuadTreeNode();
    EXPECT_EQ(Listed(tree, a), (std::vector<kaEntity*>{&a, &b}));

    // Within the node: the lists stay, the y range still widens.
    a.SetBox({5, -4, 5}, {6, 9, 6});
    tree.Move(&a);
    EXPECT_EQ(a.GetQuadTreeNode(), leaf);
    EXPECT_EQ(Listed(tree, a), (std::vector<kaEntity*>{&a, &b}));
    EXPECT_EQ(tree.GetMinY(), -4.0f);
    EXPECT_EQ(tree.GetMaxY(), 9.0f);

    // Into another node; the range never shrinks.
    a.SetBox({200, 0, 200}, {201, 1, 201});
    tree.Move(&a);
    EXPECT_EQ(NodeRect(tree, a.GetQuadTreeNode()), (Rect{192, 192, 224, 224}));
    EXPECT_EQ(Listed(tree, a), std::vector<kaEntity*>{&a});
    EXPECT_EQ(tree.GetNode(leaf).m_Entities, std::vector<kaEntity*>{&b});
    EXPECT_EQ(tree.GetMinY(), -4.0f);

    BoxEntity stranger("stranger", {1, 0, 1}, {2, 50, 2});
    tree.Move(&stranger);
    tree.Remove(&stranger);
    EXPECT_EQ(stranger.GetQuadTreeNode(), -1);
    EXPECT_EQ(tree.GetMaxY(), 9.0f);
    EXPECT_EQ(tree.GetNode(leaf).m_Entities, std::vector<kaEntity*>{&b});

    tree.Remove(&b);
    tree.Remove(&b);
    EXPECT_EQ(b.GetQuadTreeNode(), -1);
    EXPECT_TRUE(tree.GetNode(leaf).m_Entities.empty());
    EXPECT_EQ(Listed(tree, a), std::vector<kaEntity*>{&a});
}

TEST(kaQuadTree, AnUninitialisedTreeIsARootTakingEverythingUntilInitializeRefilesIt)
{
    kaQuadTree tree;
    ASSERT_EQ(tree.GetNodeCount(), 1);
    BoxEntity a("a", {1, 0, 1}, {2, 1, 2});
    BoxEntity b("b", {100, 0, 200}, {101, 1, 201});
    BoxEntity c("c");
    for (kaEntity* entity : std::vector<kaEntity*>{&a, &b, &c})
    {
        tree.Insert(entity);
        EXPECT_EQ(entity->GetQuadTreeNode(), 0);
    }
    std::vector<kaEntity*> found;
    tree.QuerySegment({1.5f, 0.5f, 0}, {1.5f, 0.5f, 3}, found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"a", "b", "c"}));

    tree.Initialize(0, 256, 32); // no extent: nothing changes
    EXPECT_EQ(tree.GetNodeCount(), 1);

    tree.Initialize(256, 256, 32);
    EXPECT_EQ(NodeRect(tree, a.GetQuadTreeNode()), (Rect{0, 0, 32, 32}));
    EXPECT_EQ(NodeRect(tree, b.GetQuadTreeNode()), (Rect{96, 192, 128, 224}));
    EXPECT_EQ(tree.GetNode(0).m_Entities, std::vector<kaEntity*>{&c});
    EXPECT_EQ(Listed(tree, a), std::vector<kaEntity*>{&a});

    tree.Initialize(128, 128, 64); // again, smaller: b now leaves the extent
    EXPECT_EQ(NodeRect(tree, a.GetQuadTreeNode()), (Rect{0, 0, 64, 64}));
    EXPECT_EQ(b.GetQuadTreeNode(), 0);
    found.clear();
    EXPECT_TRUE(tree.QueryRect(nullptr, 0, 0, 300, 300, &found, 0));
    EXPECT_EQ(Names(found), (std::vector<std::string>{"a", "b"}));
}

// An extent that is not a finite positive size (a venue whose box overflowed, say) leaves the tree as it
// was, with its entities where they were filed.
TEST(kaQuadTree, InitializeIgnoresExtentsThatAreNotFinite)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        float width;
        float length;
    } cases[] = {{inf, inf}, {inf, 256}, {256, inf}, {-inf, 256}, {nan, 256}, {256, nan}, {inf, nan}};
    for (const auto& c : cases)
    {
        kaQuadTree tree;
        tree.Initialize(256, 256, 32);
        BoxEntity a("a", {1, 0, 1}, {2, 1, 2});
        tree.Insert(&a);
        const int32_t filed = a.GetQuadTreeNode();
        tree.Initialize(c.width, c.length, 32);
        EXPECT_EQ(tree.GetNodeCount(), 85) << c.width << " " << c.length;
        EXPECT_EQ(a.GetQuadTreeNode(), filed);
        EXPECT_EQ(NodeRect(tree, a.GetQuadTreeNode()), (Rect{0, 0, 32, 32}));
        tree.Remove(&a);
    }
}

// A finite but huge extent over a small leaf (a venue's box near the float range, say) stops at the depth
// limit with a debugger line, instead of asking for more nodes than an index can count.
TEST(kaQuadTree, InitializeStopsSplittingAtTheDepthLimit)
{
    const int32_t fullDepthNodes = 87381; // 1 + 4 + ... + 4^8
    const struct
    {
        float width, length, leaf;
        int32_t nodes;
        int32_t acrossX, acrossZ;
        bool limited;
    } cases[] = {
        {256, 256, 1, fullDepthNodes, 256, 256, false}, // exactly the deepest tree the leaf size asks for
        {512, 512, 1, fullDepthNodes, 256, 256, true},
        {1e30f, 1e30f, 1e-3f, fullDepthNodes, 256, 256, true},
        {3e38f, 3e38f, 1, fullDepthNodes, 256, 256, true},
        {1e30f, 2e29f, 1e-3f, fullDepthNodes, 256, 256, true},
        {256, 256, 32, 85, 8, 8, false},
    };
    for (const auto& c : cases)
    {
        testsupport::DebugCapture capture;
        kaQuadTree tree;
        BoxEntity a("a", {0, 0, 0}, {c.width / 1024, 1, c.length / 1024});
        tree.Insert(&a);
        tree.Initialize(c.width, c.length, c.leaf);
        EXPECT_EQ(tree.GetNodeCount(), c.nodes) << c.width << " " << c.leaf;
        EXPECT_EQ(tree.GetLeavesAcrossX(), c.acrossX) << c.width;
        EXPECT_EQ(tree.GetLeavesAcrossZ(), c.acrossZ) << c.width;
        EXPECT_EQ(capture.Contains("[kaQuadTree::Initialize] Leaves stop at"), c.limited) << c.width;
        EXPECT_TRUE(capture.Contains("Quadtree nodes are using " + std::to_string(c.nodes * 68) + " bytes"));
        // The entity still reaches a leaf of the shallower tree.
        const kaQuadTree::Node& node = tree.GetNode(a.GetQuadTreeNode());
        EXPECT_EQ(node.m_Children[0], -1) << c.width;
        tree.Remove(&a);
    }
}

TEST(kaQuadTree, QueryRectCountsVisibleOverlapsAndInvisibleOnesOnlyInTheRootOnRequest)
{
    kaQuadTree tree;
    tree.Initialize(256, 256, 32);
    BoxEntity deep("deep", {10, 0, 10}, {20, 1, 20});
    BoxEntity hiddenDeep("hidden deep", {12, 0, 12}, {14, 1, 14});
    BoxEntity hiddenRoot("hidden root", {120, 0, 120}, {136, 1, 136});
    BoxEntity rootTouching("root touching", {110, 0, 0}, {140, 1, 5});
    BoxEntity far("far", {200, 0, 200}, {210, 1, 210});
    BoxEntity boxless("no box");
    hiddenDeep.SetVisible(false);
    hiddenRoot.SetVisible(false);
    for (kaEntity* entity :
         std::vector<kaEntity*>{&deep, &hiddenDeep, &hiddenRoot, &rootTouching, &far, &boxless})
        tree.Insert(entity);
    ASSERT_EQ(hiddenRoot.GetQuadTreeNode(), 0);
    ASSERT_EQ(rootTouching.GetQuadTreeNode(), 0);

    struct Case
    {
        const kaEntity* excluded;
        float x1, z1, x2, z2;
        uint32_t flags;
        std::vector<std::string> names;
    } const cases[] = {
        {nullptr, 0, 0, 130, 130, 0, {"deep", "root touching"}},
        {nullptr, 0, 0, 130, 130, 1, {"deep", "hidden root", "root touching"}},
        {&deep, 130, 130, 0, 0, 1, {"hidden root", "root touching"}}, // corners given the other way round
        {nullptr, 20, 20, 30, 30, 0, {"deep"}},                       // touching edges count
        {nullptr, 21, 21, 30, 30, 1, {}},
        {nullptr, 205, 205, 205, 205, 0, {"far"}},
    };
    for (const Case& c : cases)
    {
        std::vector<kaEntity*> found;
        EXPECT_EQ(tree.QueryRect(c.excluded, c.x1, c.z1, c.x2, c.z2, &found, c.flags), !c.names.empty());
        EXPECT_EQ(Names(found), c.names) << c.x1 << " " << c.x2 << " " << c.flags;
        EXPECT_EQ(tree.IsRectOccupied(c.excluded, c.x1, c.z1, c.x2, c.z2, c.flags), !c.names.empty());
    }
}

TEST(kaQuadTree, QuerySegmentGathersTheNodesItReachesAndMarksThem)
{
    kaQuadTree tree;
    tree.Initialize(256, 256, 32);
    BoxEntity near("near", {10, 0, 10}, {20, 4, 20});
    BoxEntity along("along", {40, 0, 10}, {50, 4, 20});
    BoxEntity root("root", {120, 0, 120}, {136, 4, 136});
    BoxEntity far("far", {200, 0, 10}, {210, 4, 20});
    BoxEntity otherSide("other side", {10, 0, 200}, {20, 4, 210});
    for (kaEntity* entity : std::vector<kaEntity*>{&near, &along, &root, &far, &otherSide})
        tree.Insert(entity);

    std::vector<kaEntity*> found;
    // Down from high above the first leaf into the second: nodes reach only as high as the boxes filed.
    tree.QuerySegment({15, 50, 15}, {45, 1, 15}, found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"along", "root"}));

    const float red[4] = {1, 0, 0, 1}, green[4] = {0, 1, 0, 1};
    auto colourOf = [&](const kaEntity& entity) { return tree.GetNode(entity.GetQuadTreeNode()).m_Color; };
    EXPECT_TRUE(std::equal(red, red + 4, colourOf(along)));
    EXPECT_TRUE(std::equal(green, green + 4, colourOf(near)));
    EXPECT_TRUE(std::equal(green, green + 4, colourOf(far)));
    EXPECT_TRUE(std::equal(green, green + 4, colourOf(root))); // the root is always searched, never marked

    found.clear();
    tree.QuerySegment({5, 2, 5}, {45, 2, 15}, found); // low through both leaves
    EXPECT_EQ(Names(found), (std::vector<std::string>{"along", "near", "root"}));
    found.clear();
    tree.QuerySegment({200, 2, 250}, {210, 2, 250}, found); // inside the extent, beside every box
    EXPECT_EQ(Names(found), std::vector<std::string>{"root"});
}

TEST(kaQuadTree, DebugDrawCyclesThroughNodesThenEntities)
{
    kaQuadTree tree;
    const std::pair<bool, bool> states[] = {{true, false}, {false, true}, {false, false}, {true, false}};
    for (const auto& state : states)
    {
        tree.CycleDebugDraw();
        EXPECT_EQ(tree.IsShowingNodes(), state.first);
        EXPECT_EQ(tree.IsShowingEntities(), state.second);
    }
}

class QuadTreeFrustum : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        // The camera at the origin looking along z sees the box x 0..2, y -1..1, z 0..2.
        platform::Matrix view, projection;
        platform::MatrixIdentity(&view);
        platform::MatrixOrthoOffCenterLH(&projection, 0, 2, -1, 1, 0, 2);
        Device()->SetTransform(platform::TS_VIEW, &view);
        Device()->SetTransform(platform::TS_PROJECTION, &projection);
        m_Manager->UpdateFrustum();
        m_Manager->UseViewFrustum();
    }
};

TEST_F(QuadTreeFrustum, WalkDrawsWhatIsInsideAndLateDrawsAfterTheQueuedMeshes)
{
    kaQuadTree tree;
    tree.Initialize(8, 8, 1);
    kaMesh mesh(0x012, 1, 3, 1, false);
    std::vector<std::string> drawn;
    std::vector<size_t> queuedAtLateDraw;

    BoxEntity inside("inside", {0.2f, 0, 0.2f}, {0.4f, 0.5f, 0.4f});
    BoxEntity crossing("crossing", {1.5f, 0, 0.5f}, {2.5f, 0.5f, 0.9f});
    // Its bounding sphere reaches into the view; its corners all lie beyond the right side.
    BoxEntity cornersOut("corners out", {2.05f, -0.9f, 0.05f}, {2.2f, 0.9f, 0.95f});
    BoxEntity filedInRoot("root, outside", {3.5f, 0, 3.5f}, {4.5f, 0.5f, 4.5f});
    BoxEntity far("far", {5, 0, 5}, {5.5f, 0.5f, 5.5f});
    BoxEntity hidden("hidden", {0.5f, 0, 0.5f}, {0.6f, 0.1f, 0.6f});
    BoxEntity late("late", {0.1f, 0, 1.1f}, {0.3f, 0.2f, 1.3f});
    BoxEntity boxless("no box");
    hidden.SetVisible(false);
    late.SetLateDraw(true);
    filedInRoot.SetDrawn(true);
    hidden.SetDrawn(true);
    std::vector<BoxEntity*> all{&inside, &crossing, &cornersOut, &filedInRoot,
                                &far,    &hidden,   &late,       &boxless};
    for (BoxEntity* entity : all)
    {
        entity->m_OnRender = [&](BoxEntity& self) { drawn.push_back(self.GetName()); };
        tree.Insert(entity);
    }
    ASSERT_EQ(filedInRoot.GetQuadTreeNode(), 0);
    inside.m_OnRender = [&](BoxEntity& self)
    {
        drawn.push_back(self.GetName());
        m_Manager->QueueMeshDraw(platform::Matrix(), mesh.GetSubset(0)->GetDrawRecord(), false, 0);
    };
    late.m_OnRender = [&](BoxEntity& self)
    {
        drawn.push_back(self.GetName());
        queuedAtLateDraw.push_back(m_Manager->GetQueuedMeshDraws().size());
    };

    Device()->BeginScene();
    tree.Render();
    Device()->EndScene();

    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.back(), "late");
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, (std::vector<std::string>{"crossing", "inside", "late", "no box"}));
    EXPECT_EQ(queuedAtLateDraw, std::vector<size_t>{0});
    for (BoxEntity* entity : all)
    {
        const bool shown = std::binary_search(drawn.begin(), drawn.end(), entity->GetName());
        if (entity == &far) // its node is never walked
            continue;
        EXPECT_EQ(entity->IsDrawn(), shown) << entity->GetName();
    }

    // The late list empties with each walk.
    drawn.clear();
    tree.Render();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), "late"), 1);
}

} // namespace
