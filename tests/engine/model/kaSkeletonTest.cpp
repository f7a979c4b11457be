#include "engine/model/kaSkeleton.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

using modeltest::Bone;
using modeltest::WriteObject;

// Vertices of six floats (position, normal); the source map names the file vertex of each.
struct Vertices
{
    std::vector<float> floats;
    std::vector<uint32_t> sourceMap;

    void Add(float x, float y, float z, uint32_t source)
    {
        floats.insert(floats.end(), {x, y, z, 0.0f, 1.0f, 0.0f});
        sourceMap.push_back(source);
    }
    kaSkeleton::MeshVertices View(bool withMap = true) const
    {
        kaSkeleton::MeshVertices view;
        view.meshName = "mesh.kmf";
        view.count = static_cast<uint32_t>(sourceMap.size());
        view.data = reinterpret_cast<const uint8_t*>(floats.data());
        view.stride = 6 * sizeof(float);
        view.hasNormals = true;
        view.sourceMap = withMap ? sourceMap.data() : nullptr;
        return view;
    }
};

KM_Skeleton Chain()
{
    KM_Skeleton file;
    file.m_Bones[0] = Bone("Hips", "", 0, 1, 0);
    file.m_Bones[1] = Bone("Spine", "Hips", 0, 2, 0);
    file.m_Bones[2] = Bone("Head", "Spine", 0, 3, 0);
    file.m_Bones[3] = Bone("Leg", "Hips", 1, 0, 0);
    file.m_BoneCount = 4;
    return file;
}

} // namespace

TEST(kaSkeletonBones, ParentsChildrenPositionsAndLookupsComeFromTheNames)
{
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(Chain(), "chain.kmf", nullptr));
    ASSERT_EQ(skeleton.GetBoneCount(), 4);
    const kaBone* hips = skeleton.GetBone(0);
    const kaBone* spine = skeleton.GetBone(1);
    EXPECT_EQ(hips->parent, nullptr);
    EXPECT_EQ(hips->parentIndex, -1);
    EXPECT_EQ(spine->parent, hips);
    EXPECT_EQ(skeleton.GetBone(3)->parentIndex, 0);
    EXPECT_EQ(hips->children, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(spine->children, (std::vector<int32_t>{2}));
    EXPECT_TRUE(skeleton.GetBone(2)->children.empty());
    // Bind origin (0,2,0) seen from the hips at (0,1,0).
    EXPECT_FLOAT_EQ(spine->positionInParent.y, 1.0f);
    EXPECT_FLOAT_EQ(skeleton.GetBone(3)->positionInParent.x, 1.0f);
    EXPECT_FLOAT_EQ(skeleton.GetBone(3)->positionInParent.y, -1.0f);
    // The bind matrix undoes the offset.
    EXPECT_FLOAT_EQ(spine->bind(3, 1), 2.0f);
    EXPECT_FALSE(skeleton.HasInfluences());
    // Lookups are exact and case-sensitive.
    EXPECT_EQ(skeleton.FindBoneIndex("Head"), 2);
    EXPECT_EQ(skeleton.FindBone("Head"), skeleton.GetBone(2));
    EXPECT_EQ(skeleton.FindBoneIndex("head"), -1);
    EXPECT_EQ(skeleton.FindBone("head"), nullptr);
    EXPECT_TRUE(skeleton.ContainsBone(skeleton.GetBone(3)));
    kaBone stranger;
    EXPECT_FALSE(skeleton.ContainsBone(&stranger));
    EXPECT_EQ(skeleton.GetBone(4), nullptr);
}

// Bones in a binary tree, named after their index: each lists exactly its two children in increasing order,
// however many bones there are.
TEST(kaSkeletonBones, EveryBoneListsItsChildrenAtAnySize)
{
    for (const uint32_t count : {1u, 2u, 63u, 64u, 65u, 200u})
    {
        KM_Skeleton file;
        for (uint32_t b = 0; b < count; ++b)
            file.m_Bones[b] =
                Bone("B" + std::to_string(b), b == 0 ? "" : "B" + std::to_string((b - 1) / 2), 0, 0, 0);
        file.m_BoneCount = count;
        kaSkeleton skeleton;
        ASSERT_TRUE(skeleton.Build(file, "tree.kmf", nullptr)) << count;
        ASSERT_EQ(skeleton.GetBoneCount(), int32_t(count));
        for (uint32_t b = 0; b < count; ++b)
        {
            const kaBone& bone = *skeleton.GetBone(int32_t(b));
            std::vector<int32_t> expected;
            for (uint32_t child = 2 * b + 1; child <= 2 * b + 2 && child < count; ++child)
                expected.push_back(int32_t(child));
            EXPECT_EQ(bone.children, expected) << count << " bones, bone " << b;
            EXPECT_EQ(bone.parentIndex, b == 0 ? -1 : int32_t((b - 1) / 2)) << count << " bones, bone " << b;
        }
    }
}

TEST(kaSkeletonBones, ABoneWithAMissingParentIsARootAndNoBonesFail)
{
    KM_Skeleton file = Chain();
    file.m_Bones[2].parentName = "Neck";
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(file, "chain.kmf", nullptr));
    EXPECT_EQ(skeleton.GetBone(2)->parent, nullptr);
    EXPECT_TRUE(skeleton.GetBone(1)->children.empty());
    // A skeleton without bone records fails whatever its count says.
    KM_Skeleton empty;
    empty.m_BoneCount = 5;
    EXPECT_FALSE(kaSkeleton().Build(empty, "empty.kmf", nullptr));
}

TEST(kaSkeletonBinding, ANinthInfluenceReplacesTheFirstOfTheSmallestWeights)
{
    KM_Skeleton file;
    const float weights[9] = {0.5f, 0.2f, 0.3f, 0.2f, 0.4f, 0.6f, 0.7f, 0.8f, 0.9f};
    for (uint32_t b = 0; b < 9; ++b)
    {
        file.m_Bones[b] = Bone("B" + std::to_string(b), "", 0, 0, 0);
        file.m_Bones[b].weights.push_back({0, weights[b]});
    }
    Vertices mesh;
    mesh.Add(1, 2, 3, 0);
    const kaSkeleton::MeshVertices view = mesh.View();
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(file, "nine.kmf", &view));
    const kaVertexInfluence& record = skeleton.GetInfluences().at(0);
    EXPECT_EQ(record.count, 8);
    // Slots 1 and 3 tie at 0.2: slot 1 gives way to bone 8.
    EXPECT_EQ(record.bones[1], 8);
    EXPECT_FLOAT_EQ(record.weights[1], 0.9f);
    EXPECT_EQ(record.bones[3], 3);
    EXPECT_FLOAT_EQ(record.weights[3], 0.2f);
}

TEST(kaSkeletonBinding, AFileVertexSplitIntoSeveralMeshVerticesGivesEachTheSameInfluences)
{
    KM_Skeleton file = Chain();
    file.m_Bones[1].weights = {{7, 0.25f}};
    file.m_Bones[3].weights = {{7, 0.75f}, {9, 1.0f}};
    Vertices mesh;
    mesh.Add(0, 0, 0, 7);
    mesh.Add(1, 0, 0, 3);
    mesh.Add(2, 0, 0, 7);
    const kaSkeleton::MeshVertices view = mesh.View();
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(file, "chain.kmf", &view));
    ASSERT_EQ(skeleton.GetVertexCount(), 3);
    for (int v : {0, 2})
    {
        const kaVertexInfluence& record = skeleton.GetInfluences()[static_cast<size_t>(v)];
        ASSERT_EQ(record.count, 2);
        EXPECT_EQ(record.bones[0], 1);
        EXPECT_FLOAT_EQ(record.weights[0], 0.25f);
        EXPECT_EQ(record.bones[1], 3);
        EXPECT_FLOAT_EQ(record.weights[1], 0.75f);
    }
    // File vertex 9 reaches no mesh vertex; vertex 1 keeps no influence.
    EXPECT_EQ(skeleton.GetInfluences()[1].count, 0);
    EXPECT_FLOAT_EQ(skeleton.GetInfluences()[2].bindPosition.x, 2.0f);
    EXPECT_FLOAT_EQ(skeleton.GetInfluences()[2].bindNormal.y, 1.0f);
    EXPECT_EQ(skeleton.GetMeshName(), "mesh.kmf");
}

// Scattered, repeated and missing file vertices, in no order, against the influences worked out by
// scanning every mesh vertex for each weight: bones in file order, each bone's weights in list order,
// the mesh vertices of one file vertex in increasing order.
TEST(kaSkeletonBinding, InfluencesMatchAScanOfEveryMeshVertexForEachWeight)
{
    struct Case
    {
        uint32_t vertices;
        uint32_t sources;
        uint32_t seed;
    };
    for (const Case& c : {Case{1, 1, 3}, Case{40, 7, 11}, Case{300, 120, 29}, Case{64, 500, 5}})
    {
        uint32_t seed = c.seed;
        const auto next = [&seed](uint32_t range)
        { return (seed = seed * 1103515245u + 12345u) / 65536u % range; };
        Vertices mesh;
        for (uint32_t v = 0; v < c.vertices; ++v)
            mesh.Add(float(v), 0, 0, next(c.sources));
        KM_Skeleton file;
        for (uint32_t b = 0; b < 4; ++b)
        {
            file.m_Bones[b] = Bone("B" + std::to_string(b), "", 0, 0, 0);
            // At most two weights a bone, so no vertex passes eight influences; some name no mesh vertex,
            // one is negative.
            for (uint32_t w = 0; w < 2; ++w)
                file.m_Bones[b].weights.push_back({int(next(c.sources + 3)), 0.125f * float(b * 2 + w + 1)});
        }
        file.m_Bones[2].weights.push_back({-1, 0.5f});
        const kaSkeleton::MeshVertices view = mesh.View();
        kaSkeleton skeleton;
        ASSERT_TRUE(skeleton.Build(file, "scatter.kmf", &view));
        std::vector<kaVertexInfluence> expected(c.vertices);
        for (const auto& [bone, entry] : file.m_Bones)
            for (const KM_Skeleton::Weight& weight : entry.weights)
                for (uint32_t v = 0; v < c.vertices; ++v)
                    if (weight.vertex >= 0 && mesh.sourceMap[v] == uint32_t(weight.vertex))
                    {
                        kaVertexInfluence& record = expected[v];
                        record.bones[record.count] = uint8_t(bone);
                        record.weights[record.count++] = weight.weight;
                    }
        ASSERT_EQ(skeleton.GetInfluences().size(), expected.size());
        for (uint32_t v = 0; v < c.vertices; ++v)
        {
            const kaVertexInfluence& record = skeleton.GetInfluences()[v];
            ASSERT_EQ(record.count, expected[v].count) << "case " << c.seed << ", vertex " << v;
            for (int i = 0; i < record.count; ++i)
            {
                EXPECT_EQ(record.bones[i], expected[v].bones[i]) << "case " << c.seed << ", vertex " << v;
                EXPECT_EQ(record.weights[i], expected[v].weights[i]) << "case " << c.seed << ", vertex " << v;
            }
        }
    }
}

TEST(kaSkeletonBinding, NormalsAreReadOnlyWhenTheFormatHasThem)
{
    KM_Skeleton file = Chain();
    file.m_Bones[0].weights = {{0, 1.0f}};
    // Position then a texture coordinate pair: no normal.
    const std::vector<float> floats = {1, 2, 3, 0.5f, 0.5f};
    const uint32_t map[] = {0};
    kaSkeleton::MeshVertices view;
    view.count = 1;
    view.data = reinterpret_cast<const uint8_t*>(floats.data());
    view.stride = 5 * sizeof(float);
    view.sourceMap = map;
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(file, "chain.kmf", &view));
    const kaVertexInfluence& record = skeleton.GetInfluences()[0];
    EXPECT_FLOAT_EQ(record.bindPosition.z, 3.0f);
    EXPECT_EQ(record.bindNormal, platform::Vector3());
}

TEST(kaSkeletonBinding, BonesWithoutWeightsBindNoInfluences)
{
    Vertices mesh;
    mesh.Add(0, 0, 0, 0);
    const kaSkeleton::MeshVertices view = mesh.View();
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(Chain(), "chain.kmf", &view));
    EXPECT_FALSE(skeleton.HasInfluences());
    EXPECT_EQ(skeleton.GetVertexCount(), 1);
    // A mesh without vertices fails the load.
    const kaSkeleton::MeshVertices none;
    EXPECT_FALSE(kaSkeleton().Build(Chain(), "chain.kmf", &none));
}

TEST(kaSkeletonFile, LoadsFromAFileAndRefusesAMissingOne)
{
    testsupport::TempDir dir;
    KM_Skeleton file = Chain();
    file.m_Bones[2].weights = {{0, 1.0f}};
    const std::string path = dir.File("rider_skeleton.kmf");
    ASSERT_TRUE(WriteObject(path, std::make_unique<KM_Skeleton>(file)));
    Vertices mesh;
    mesh.Add(5, 5, 5, 0);
    const kaSkeleton::MeshVertices view = mesh.View();
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.LoadWithVertices(path, &view));
    EXPECT_EQ(skeleton.GetFileName(), path);
    EXPECT_EQ(skeleton.FindBoneIndex("Leg"), 3);
    EXPECT_EQ(skeleton.GetInfluences()[0].bones[0], 2);

    kaSkeleton missing;
    EXPECT_FALSE(missing.LoadWithVertices(dir.File("nothing.kmf"), nullptr));
    dir.Write("garbage.kmf", "not a model file");
    EXPECT_FALSE(missing.LoadWithVertices(dir.File("garbage.kmf"), nullptr));
}

// Bind matrices are the inverses of the file's orientations exactly as the general inverse gives them, bit
// for bit, whatever shape the orientation has: translations of every kind of value, and the matrices that
// are not translations or that the inverse refuses (which keep the identity).
TEST(kaSkeletonBones, BindMatricesAreTheGeneralInverseBitForBit)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<platform::Matrix> orientations;
    const float values[] = {0.0f,  -0.0f, 1.0f,   -1.0f, 0.1f,   -52.78f, 1e-30f, -1e-45f,
                            1e30f, 3e38f, -3e38f, 99.8f, -8.12f, inf,     -inf,   nan};
    for (const float x : values)
        for (const float y : values)
        {
            platform::Matrix translation;
            translation.m[3][0] = x;
            translation.m[3][1] = y;
            translation.m[3][2] = values[(orientations.size() * 7) % std::size(values)];
            orientations.push_back(translation);
        }
    platform::Matrix turned;
    platform::MatrixRotationY(&turned, 0.7f);
    turned.m[3][0] = 4.0f;
    orientations.push_back(turned);
    platform::Matrix scaled;
    platform::MatrixScaling(&scaled, 2.0f, 1.0f, 1.0f);
    orientations.push_back(scaled);
    platform::Matrix negativeZero;
    negativeZero.m[0][1] = -0.0f;
    negativeZero.m[3][0] = 3.0f;
    orientations.push_back(negativeZero);
    platform::Matrix projective;
    projective.m[3][3] = 2.0f;
    projective.m[3][1] = 1.0f;
    orientations.push_back(projective);
    platform::Matrix singular;
    singular.m[1][1] = 0.0f;
    orientations.push_back(singular);

    KM_Skeleton file;
    for (size_t i = 0; i < orientations.size(); ++i)
    {
        KM_Skeleton::Bone bone = Bone("B" + std::to_string(i), "", 0, 0, 0);
        std::memcpy(bone.orientation, orientations[i].m, sizeof(bone.orientation));
        file.m_Bones[static_cast<uint32_t>(i)] = bone;
    }
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Build(file, "shapes.kmf", nullptr));
    ASSERT_EQ(skeleton.GetBones().size(), orientations.size());
    for (size_t i = 0; i < orientations.size(); ++i)
    {
        platform::Matrix expected;
        if (platform::MatrixInverse(&expected, nullptr, &orientations[i]) == nullptr)
            expected = platform::Matrix();
        EXPECT_EQ(std::memcmp(&skeleton.GetBones()[i].bind, &expected, sizeof(expected)), 0)
            << "orientation " << i << " translation " << orientations[i].m[3][0] << " "
            << orientations[i].m[3][1] << " " << orientations[i].m[3][2];
    }
}
