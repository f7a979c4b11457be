#include "engine/model/TriangleStrips.h"

#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <utility>

namespace
{

using Triangle = std::array<int, 3>;
using Indices = std::vector<uint16_t>;

// The same triangle with the same winding, whichever corner it is listed from.
Triangle Canonical(int a, int b, int c)
{
    if (b < a && b < c)
        return {b, c, a};
    if (c < a && c < b)
        return {c, a, b};
    return {a, b, c};
}

bool IsDegenerate(int a, int b, int c)
{
    return a == b || b == c || c == a;
}

// Every triangle the groups draw, in the orientation a strip gives it (odd places reversed).
std::vector<Triangle> Decode(const std::vector<StripGroup>& groups)
{
    std::vector<Triangle> triangles;
    for (const StripGroup& group : groups)
    {
        const std::vector<uint16_t>& s = group.m_Indices;
        if (group.m_Type == StripGroup::kTriangleList)
        {
            EXPECT_EQ(s.size() % 3, 0u);
            for (size_t i = 0; i + 2 < s.size(); i += 3)
            {
                if (!IsDegenerate(s[i], s[i + 1], s[i + 2]))
                    triangles.push_back(Canonical(s[i], s[i + 1], s[i + 2]));
            }
            continue;
        }
        EXPECT_EQ(group.m_Type, StripGroup::kTriangleStrip);
        for (size_t k = 0; k + 2 < s.size(); ++k)
        {
            int a = s[k], b = s[k + 1];
            if (k % 2 == 1)
                std::swap(a, b);
            if (!IsDegenerate(a, b, s[k + 2]))
                triangles.push_back(Canonical(a, b, s[k + 2]));
        }
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// What the groups must draw: each triangle once per distinct listing, without the degenerate ones.
std::vector<Triangle> Expected(const Indices& indices)
{
    std::vector<Triangle> listed;
    std::vector<Triangle> triangles;
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
    {
        const Triangle exact{indices[i], indices[i + 1], indices[i + 2]};
        if (IsDegenerate(exact[0], exact[1], exact[2]) ||
            std::find(listed.begin(), listed.end(), exact) != listed.end())
            continue;
        listed.push_back(exact);
        triangles.push_back(Canonical(exact[0], exact[1], exact[2]));
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

std::vector<StripGroup> Build(const Indices& indices)
{
    return BuildTriangleStrips(indices.data(), static_cast<uint32_t>(indices.size()));
}

void AddQuad(Indices& out, int a, int b, int c, int d)
{
    out.insert(out.end(), {uint16_t(a), uint16_t(b), uint16_t(c), uint16_t(a), uint16_t(c), uint16_t(d)});
}

Indices Grid(int width, int height)
{
    Indices out;
    const int row = width + 1;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
            AddQuad(out, y * row + x, (y + 1) * row + x, (y + 1) * row + x + 1, y * row + x + 1);
    }
    return out;
}

Indices Cube()
{
    Indices out;
    AddQuad(out, 0, 2, 3, 1);
    AddQuad(out, 4, 5, 7, 6);
    AddQuad(out, 0, 4, 6, 2);
    AddQuad(out, 1, 3, 7, 5);
    AddQuad(out, 0, 1, 5, 4);
    AddQuad(out, 2, 6, 7, 3);
    return out;
}

// Poles as single vertices, so the sphere is closed.
Indices UvSphere(int segments, int rings)
{
    Indices out;
    const int top = 0;
    const int bottom = 1 + (rings - 1) * segments;
    auto ring = [segments](int r, int s) { return 1 + (r - 1) * segments + s % segments; };
    for (int s = 0; s < segments; ++s)
    {
        out.insert(out.end(), {uint16_t(top), uint16_t(ring(1, s + 1)), uint16_t(ring(1, s))});
        for (int r = 1; r + 1 < rings; ++r)
            AddQuad(out, ring(r, s), ring(r, s + 1), ring(r + 1, s + 1), ring(r + 1, s));
        out.insert(out.end(),
                   {uint16_t(bottom), uint16_t(ring(rings - 1, s)), uint16_t(ring(rings - 1, s + 1))});
    }
    return out;
}

// Each directed edge used once; closed meshes also use every edge in both directions.
Indices Shuffled(Indices indices, unsigned seed)
{
    std::mt19937 random(seed);
    const size_t faces = indices.size() / 3;
    for (size_t i = faces - 1; i > 0; --i)
    {
        const size_t j = random() % (i + 1);
        for (int k = 0; k < 3; ++k)
            std::swap(indices[i * 3 + k], indices[j * 3 + k]);
    }
    return indices;
}

size_t DrawnTriangles(const StripGroup& group)
{
    return Decode({group}).size();
}

class TriangleStripsTest : public ::testing::Test
{
protected:
    void SetUp() override { Configure(16, true, false, 0); }
    void TearDown() override { Configure(16, true, false, 0); }

    static void Configure(unsigned cacheSize, bool stitch, bool listsOnly, unsigned minLength)
    {
        SetStripCacheSize(cacheSize);
        SetStripStitching(stitch);
        SetStripListsOnly(listsOnly);
        SetStripMinLength(minLength);
    }
};

TEST_F(TriangleStripsTest, StripsDrawExactlyTheInputTrianglesWithTheirWinding)
{
    const std::vector<std::pair<std::string, Indices>> meshes = {
        {"grid 7x5", Grid(7, 5)},
        {"grid 40x1", Grid(40, 1)},
        {"cube", Cube()},
        {"sphere 12x8", UvSphere(12, 8)},
        {"sphere 24x12", UvSphere(24, 12)},
        {"shuffled sphere", Shuffled(UvSphere(16, 9), 7)}};
    for (const auto& mesh : meshes)
    {
        const std::vector<Triangle> expected = Expected(mesh.second);
        for (unsigned cacheSize : {0u, 6u, 7u, 16u, 24u, 64u})
        {
            for (bool stitch : {true, false})
            {
                for (unsigned minLength : {0u, 2u, 5u})
                {
                    Configure(cacheSize, stitch, false, minLength);
                    const std::vector<StripGroup> groups = Build(mesh.second);
                    ASSERT_EQ(Decode(groups), expected)
                        << mesh.first << ", cache " << cacheSize << ", stitch " << stitch
                        << ", minimum length " << minLength;
                }
            }
        }
    }
}

TEST_F(TriangleStripsTest, AFaceWoundAgainstItsNeighboursKeepsItsOwnWinding)
{
    Indices indices = UvSphere(12, 8);
    std::swap(indices[31], indices[32]);
    std::swap(indices[100], indices[101]);
    for (bool stitch : {true, false})
    {
        Configure(24, stitch, false, 0);
        EXPECT_EQ(Decode(Build(indices)), Expected(indices));
    }
}

TEST_F(TriangleStripsTest, StitchedStripsAreOneGroupJoinedByDegenerateTriangles)
{
    Indices indices;
    AddQuad(indices, 0, 1, 2, 3);
    AddQuad(indices, 10, 11, 12, 13);
    AddQuad(indices, 20, 21, 22, 23);
    const std::vector<StripGroup> groups = Build(indices);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].m_Type, StripGroup::kTriangleStrip);
    // Only the six faces are drawn: every triangle across a join has a repeated index.
    EXPECT_EQ(Decode(groups), Expected(indices));
    const std::vector<uint16_t>& s = groups[0].m_Indices;
    size_t joins = 0;
    for (size_t k = 1; k < s.size(); ++k)
    {
        if (s[k] / 10 != s[k - 1] / 10)
        {
            ++joins;
            // The last index of one strip and the first of the next both appear twice.
            ASSERT_GE(k, 2u);
            EXPECT_EQ(s[k - 1], s[k - 2]);
            ASSERT_LT(k + 1, s.size());
            EXPECT_EQ(s[k], s[k + 1]);
        }
    }
    EXPECT_EQ(joins, 2u);
}

TEST_F(TriangleStripsTest, WithoutStitchingEachStripIsItsOwnGroup)
{
    Indices indices;
    AddQuad(indices, 0, 1, 2, 3);
    AddQuad(indices, 10, 11, 12, 13);
    Configure(16, false, false, 0);
    const std::vector<StripGroup> groups = Build(indices);
    ASSERT_EQ(groups.size(), 2u);
    for (const StripGroup& group : groups)
    {
        EXPECT_EQ(group.m_Type, StripGroup::kTriangleStrip);
        EXPECT_EQ(DrawnTriangles(group), 2u);
    }
    EXPECT_EQ(Decode(groups), Expected(indices));
}

TEST_F(TriangleStripsTest, StripsAreCutToTheCacheSizeLessSix)
{
    // One long band: a single strip before cutting.
    const Indices band = Grid(60, 1);
    for (unsigned cacheSize : {24u, 30u})
    {
        Configure(cacheSize, false, false, 0);
        const std::vector<StripGroup> groups = Build(band);
        size_t longest = 0;
        for (const StripGroup& group : groups)
            longest = std::max(longest, DrawnTriangles(group));
        EXPECT_EQ(longest, cacheSize - 6u);
        EXPECT_EQ(Decode(groups), Expected(band));
    }
}

TEST_F(TriangleStripsTest, ACacheOfSixOrLessLeavesOneFacePerStrip)
{
    const Indices grid = Grid(4, 3);
    for (unsigned cacheSize : {0u, 1u, 6u})
    {
        Configure(cacheSize, false, false, 0);
        const std::vector<StripGroup> groups = Build(grid);
        EXPECT_EQ(groups.size(), grid.size() / 3);
        for (const StripGroup& group : groups)
            EXPECT_EQ(DrawnTriangles(group), 1u);
    }
}

TEST_F(TriangleStripsTest, ExactRepeatsAreDroppedButRotationsKept)
{
    const Indices indices = {0, 1, 2, 0, 1, 2, 1, 2, 0, 2, 1, 3};
    Configure(16, true, true, 0);
    const std::vector<StripGroup> lists = Build(indices);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].GetIndexCount(), 9u);
    const std::vector<Triangle> expected = {{0, 1, 2}, {0, 1, 2}, {1, 3, 2}};
    EXPECT_EQ(Decode(lists), expected);

    Configure(16, true, false, 0);
    EXPECT_EQ(Decode(Build(indices)), expected);
}

TEST_F(TriangleStripsTest, AThirdTriangleOnAnEdgeIsReportedAndStillStripped)
{
    // A fin: three triangles share the edge 0-1.
    const Indices indices = {0, 1, 2, 1, 0, 3, 0, 1, 4, 2, 1, 5};
    testsupport::DebugCapture capture;
    const std::vector<StripGroup> groups = Build(indices);
    EXPECT_TRUE(capture.Contains("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences\n"));
    EXPECT_EQ(Decode(groups), Expected(indices));
}

TEST_F(TriangleStripsTest, MinimumLengthZeroKeepsEveryStrip)
{
    const Indices sphere = UvSphere(12, 8);
    Configure(24, false, false, 0);
    for (const StripGroup& group : Build(sphere))
        EXPECT_EQ(group.m_Type, StripGroup::kTriangleStrip);
}

TEST_F(TriangleStripsTest, StripsBelowTheMinimumLengthGoToOneTrailingList)
{
    const Indices sphere = UvSphere(12, 8);
    Configure(24, true, false, 1000);
    std::vector<StripGroup> groups = Build(sphere);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].m_Type, StripGroup::kTriangleList);
    EXPECT_EQ(groups[0].GetIndexCount(), sphere.size());

    // A band of ten faces stays a strip; a lone quad of two faces is too short.
    Configure(24, true, false, 4);
    Indices small;
    AddQuad(small, 0, 1, 2, 3);
    Indices both = Grid(5, 1);
    for (uint16_t index : small)
        both.push_back(static_cast<uint16_t>(index + 100));
    groups = Build(both);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].m_Type, StripGroup::kTriangleStrip);
    EXPECT_EQ(groups[1].m_Type, StripGroup::kTriangleList);
    EXPECT_EQ(groups[1].GetIndexCount(), 6u);
    EXPECT_EQ(Decode(groups), Expected(both));
}

TEST_F(TriangleStripsTest, ListsOnlyGivesThreeIndicesPerDistinctFaceInOneList)
{
    for (const Indices& mesh : {Grid(7, 5), Cube(), UvSphere(12, 8)})
    {
        Configure(24, true, true, 0);
        const std::vector<StripGroup> groups = Build(mesh);
        ASSERT_EQ(groups.size(), 1u);
        EXPECT_EQ(groups[0].m_Type, StripGroup::kTriangleList);
        EXPECT_EQ(groups[0].GetIndexCount(), mesh.size());
        EXPECT_EQ(Decode(groups), Expected(mesh));
    }
}

TEST_F(TriangleStripsTest, DegenerateTrianglesAreLeftOutBeforeStripping)
{
    Indices indices = {5, 5, 6, 7, 8, 8, 9, 10, 9};
    const Indices cube = Cube();
    indices.insert(indices.end(), cube.begin(), cube.end());
    indices.insert(indices.end(), {3, 3, 3, 1, 2, 1});
    testsupport::DebugCapture capture;
    for (bool listsOnly : {true, false})
    {
        Configure(16, true, listsOnly, 0);
        const std::vector<StripGroup> groups = Build(indices);
        EXPECT_EQ(Decode(groups), Expected(cube));
        size_t total = 0;
        for (const StripGroup& group : groups)
        {
            total += group.GetIndexCount();
            for (uint16_t index : group.m_Indices)
                EXPECT_LT(index, 8u);
        }
        if (listsOnly)
        {
            EXPECT_EQ(total, cube.size());
        }
    }
    EXPECT_FALSE(capture.Contains("GetNextIndex"));
}

TEST_F(TriangleStripsTest, NoTriangleGivesNoGroups)
{
    const Indices degenerate = {1, 1, 2, 4, 4, 4};
    const Indices tooShort = {0, 1};
    for (bool listsOnly : {true, false})
    {
        Configure(16, true, listsOnly, 0);
        EXPECT_TRUE(BuildTriangleStrips(nullptr, 0).empty());
        EXPECT_TRUE(Build(tooShort).empty());
        EXPECT_TRUE(Build(degenerate).empty());
    }
}

TEST_F(TriangleStripsTest, TrailingIndicesShortOfATriangleAreIgnored)
{
    const Indices indices = {0, 1, 2, 2, 1, 3, 4, 5};
    Configure(16, true, true, 0);
    const std::vector<StripGroup> groups = Build(indices);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].GetIndexCount(), 6u);
}

TEST_F(TriangleStripsTest, TheHighestSixteenBitIndexIsUsable)
{
    const Indices indices = {65535, 0, 1, 1, 0, 65534};
    for (bool listsOnly : {true, false})
    {
        Configure(16, true, listsOnly, 0);
        EXPECT_EQ(Decode(Build(indices)), Expected(indices));
    }
}

TEST_F(TriangleStripsTest, RemapNumbersVerticesInOrderOfFirstUse)
{
    std::vector<StripGroup> groups(2);
    groups[0].m_Indices = {7, 3, 9, 3, 7, 9};
    groups[1].m_Type = StripGroup::kTriangleList;
    groups[1].m_Indices = {9, 2, 3};
    std::vector<int> oldToNew;
    const std::vector<StripGroup> remapped = RemapStripIndices(groups, 12, &oldToNew);
    ASSERT_EQ(remapped.size(), 2u);
    EXPECT_EQ(remapped[0].m_Type, StripGroup::kTriangleStrip);
    EXPECT_EQ(remapped[1].m_Type, StripGroup::kTriangleList);
    EXPECT_EQ(remapped[0].m_Indices, (std::vector<uint16_t>{0, 1, 2, 1, 0, 2}));
    EXPECT_EQ(remapped[1].m_Indices, (std::vector<uint16_t>{2, 3, 1}));
    EXPECT_EQ(oldToNew, (std::vector<int>{-1, -1, 3, 1, -1, -1, -1, 0, -1, 2, -1, -1}));
}

TEST_F(TriangleStripsTest, RemappedStripsDrawTheSameTrianglesThroughTheMap)
{
    const Indices sphere = Shuffled(UvSphere(12, 8), 3);
    const std::vector<StripGroup> groups = Build(sphere);
    std::vector<int> oldToNew;
    const std::vector<StripGroup> remapped = RemapStripIndices(groups, 1 + 7 * 12 + 1, &oldToNew);
    std::vector<int> newToOld(oldToNew.size(), -1);
    for (size_t old = 0; old < oldToNew.size(); ++old)
    {
        ASSERT_GE(oldToNew[old], 0);
        newToOld[oldToNew[old]] = static_cast<int>(old);
    }
    std::vector<StripGroup> back = remapped;
    for (StripGroup& group : back)
    {
        for (uint16_t& index : group.m_Indices)
            index = static_cast<uint16_t>(newToOld[index]);
    }
    EXPECT_EQ(Decode(back), Expected(sphere));
    EXPECT_EQ(remapped[0].m_Indices[0], 0);
}

TEST_F(TriangleStripsTest, RemapRefusesAnIndexPastTheVertexCount)
{
    std::vector<StripGroup> groups(1);
    groups[0].m_Indices = {0, 1, 4};
    std::vector<int> oldToNew{5};
    testsupport::DebugCapture capture;
    EXPECT_TRUE(RemapStripIndices(groups, 4, &oldToNew).empty());
    EXPECT_TRUE(oldToNew.empty());
    EXPECT_TRUE(capture.Contains("[RemapStripIndices] : index 4 is past the 4 vertices"));
}

} // namespace
