#include "engine/model/kaModel.h"

#include "engine/model/kaAnimationChannel.h"
#include "engine/model/kaAnimationFade.h"
#include "engine/model/kaModelAttachment.h"
#include "engine/model/kaSkeleton.h"
#include "engine/render/kaRenderState.h"
#include "tests/support/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstring>
#include <memory>

using modeltest::Built;
using modeltest::Slide;
using platform::Matrix;
using platform::Vector3;

namespace
{

constexpr float kPi = 3.14159265f;

class ModelInstance : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        m_Mesh = modeltest::PlainMesh({{0, 0, 0}, {0, 2, 0}, {1, 1, 0}}, {0, 1, 2});
    }
    void TearDown() override
    {
        m_Models.clear();
        m_Mesh->Release();
    }

    kaModel* Make(kaMesh* mesh = nullptr)
    {
        m_Models.push_back(std::make_unique<kaModel>(mesh ? mesh : m_Mesh));
        return m_Models.back().get();
    }
    // A model posed by the two-bone skeleton without influences.
    kaModel* Rigged()
    {
        kaModel* model = Make();
        model->SetSkeleton(&m_Rigid);
        for (const auto& animation : m_Animations)
            model->AddAnimation(animation.get());
        return model;
    }
    void AddAnimation(const KM_Animation& file) { m_Animations.push_back(Built(file)); }
    float RootX(const kaModel* model) const { return model->GetBonePosition(0)->x; }
    const kaAnimationFade* Fade(const kaModel* model, size_t channel, size_t index) const
    {
        return model->GetChannels().at(channel)->m_Fades.at(index).get();
    }

    modeltest::TestClock m_Clock;
    kaMesh* m_Mesh = nullptr;
    kaSkeleton m_Rigid;
    std::vector<std::unique_ptr<kaAnimation>> m_Animations;
    std::vector<std::unique_ptr<kaModel>> m_Models;

    bool BuildRigid() { return m_Rigid.Build(modeltest::TwoBones(), "rig.kmf", nullptr); }

    // A model on the two-bone skeleton with these animations.
    kaModel* Animated(const std::vector<KM_Animation>& files)
    {
        EXPECT_TRUE(BuildRigid());
        for (const KM_Animation& file : files)
            AddAnimation(file);
        return Rigged();
    }
    // The usual one: a two-second walk sliding the root from 0 to 2.
    kaModel* Walking() { return Animated({Slide("Walk", "Root", 2000, 0, 2)}); }
};

// ---------------------------------------------------------------------------------------------------------
// Instances

TEST_F(ModelInstance, TheNameIsTheMeshNameFollowedByModel)
{
    m_Mesh->SetName("car");
    EXPECT_EQ(Make()->GetModelName(), "car Model");
    kaMesh* unnamed = modeltest::PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    EXPECT_EQ(Make(unnamed)->GetModelName(), "");
    m_Models.pop_back();
    unnamed->Release();
}

TEST_F(ModelInstance, TheInstanceHoldsAReferenceOnItsMesh)
{
    const int32_t before = m_Mesh->GetRefCount();
    Make();
    EXPECT_EQ(m_Mesh->GetRefCount(), before + 1);
    m_Models.clear();
    EXPECT_EQ(m_Mesh->GetRefCount(), before);
}

TEST_F(ModelInstance, AScaledDrawKeepsTheWorldTranslation)
{
    kaModel* model = Make();
    model->m_Scale = 2.0f;
    Matrix world;
    platform::MatrixTranslation(&world, 10, 0, 0);
    model->SetTransform(world);
    meshtest::DrawInScene(Device(), model);
    ASSERT_EQ(Device()->Draws().size(), 1u);
    const Vector3 vertex(1, 0, 0);
    Vector3 drawn;
    platform::Vec3TransformCoord(&drawn, &vertex, &Device()->Draws()[0].State.World);
    EXPECT_FLOAT_EQ(drawn.x, 12.0f);
    EXPECT_FLOAT_EQ(drawn.y, 0.0f);

    model->SetVisible(false);
    meshtest::DrawInScene(Device(), model);
    EXPECT_TRUE(Device()->Draws().empty());
}

TEST_F(ModelInstance, AlternativeBoundsReplaceTheMeshBoundsAndGiveHalfTheDiagonal)
{
    kaModel* model = Make();
    model->m_UseAltBounds = true;
    model->m_AltMin = {-1, -2, -2};
    model->m_AltMax = {1, 2, 2};
    Matrix world;
    platform::MatrixTranslation(&world, 5, 0, 0);
    model->SetTransform(world);
    const kaBoundingBox* box = model->GetBoundingBox();
    EXPECT_FLOAT_EQ(box->m_Min.x, 4.0f);
    EXPECT_FLOAT_EQ(box->m_Max.z, 2.0f);
    EXPECT_FLOAT_EQ(box->m_Radius, 3.0f);
    EXPECT_FLOAT_EQ(box->m_Centre.x, 5.0f);
    Vector3 min, max;
    model->GetBounds(min, max);
    EXPECT_EQ(max, Vector3(1, 2, 2));
    model->ResetAltBounds();
    EXPECT_EQ(model->m_AltMax, m_Mesh->GetMax());
}

TEST_F(ModelInstance, AttachingNeedsBothBonesAndReturnsTheFirstAttachmentAgain)
{
    ASSERT_TRUE(BuildRigid());
    kaModel* parent = Rigged();
    kaModel* child = Rigged();
    kaModel* rigid = Make();
    child->m_UseAltBounds = true;
    child->m_AutoTrackBounds = true;

    EXPECT_EQ(parent->AttachModel(child, "Missing", "Arm"), nullptr);
    EXPECT_EQ(parent->AttachModel(child, "Root", "Missing"), nullptr);
    EXPECT_EQ(parent->AttachModel(rigid, "Root", "Arm"), nullptr);
    EXPECT_TRUE(parent->GetAttachments().empty());
    // A failed attachment leaves the child's bounds alone.
    EXPECT_TRUE(child->m_UseAltBounds);
    EXPECT_TRUE(child->m_AutoTrackBounds);
    EXPECT_EQ(rigid->AttachModel(child, "Root", "Arm"), nullptr);

    kaModelAttachment* attachment = parent->AttachModel(child, "Root", "Arm");
    ASSERT_NE(attachment, nullptr);
    EXPECT_EQ(attachment->m_ParentBone, 1);
    EXPECT_EQ(attachment->m_ChildBone, 0);
    EXPECT_FALSE(child->m_UseAltBounds);
    EXPECT_FALSE(child->m_AutoTrackBounds);
    EXPECT_EQ(parent->AttachModel(child, "Arm", "Root"), attachment);
    EXPECT_EQ(attachment->m_ParentBone, 1);
    EXPECT_EQ(parent->GetAttachments().size(), 1u);
}

TEST_F(ModelInstance, AnAttachedChildSitsOnTheParentBone)
{
    ASSERT_TRUE(BuildRigid());
    kaModel* parent = Rigged();
    kaModel* child = Rigged();
    kaModelAttachment* attachment = parent->AttachModel(child, "Root", "Arm");
    ASSERT_NE(attachment, nullptr);
    attachment->m_Offset = {0, 0, 3};
    attachment->UpdateMatrix();
    Matrix world;
    platform::MatrixTranslation(&world, 10, 0, 0);
    parent->SetTransform(world);
    // Child root at the origin lands on the arm (0, 1, 0), moved by the offset, then by the world.
    EXPECT_FLOAT_EQ(child->GetWorldMatrix()(3, 0), 10.0f);
    EXPECT_FLOAT_EQ(child->GetWorldMatrix()(3, 1), 1.0f);
    EXPECT_FLOAT_EQ(child->GetWorldMatrix()(3, 2), 3.0f);
    // The parent's box covers the child: the child's top vertex is at y = 3.
    EXPECT_FLOAT_EQ(parent->GetBoundingBox()->m_Max.y, 3.0f);
    EXPECT_FLOAT_EQ(parent->GetBoundingBox()->m_Max.z, 3.0f);
}

TEST_F(ModelInstance, AttachmentRotationsTurnAfterTheOffset)
{
    kaModelAttachment attachment(nullptr);
    attachment.m_Offset = {1, 0, 0};
    attachment.SetRotation(0, 0, kPi / 2);
    const Vector3 origin;
    Vector3 moved;
    platform::Vec3TransformCoord(&moved, &origin, &attachment.m_Local);
    // Moved to (1, 0, 0) first, then turned a quarter about Z.
    EXPECT_NEAR(moved.x, 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(moved.y), 1.0f, 1e-6f);
}

TEST_F(ModelInstance, TheMeshWalkVisitsOwnThenChildrenAndStartsAgain)
{
    ASSERT_TRUE(BuildRigid());
    kaModel* parent = Rigged();
    kaMesh* first = modeltest::PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    kaMesh* second = modeltest::PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    kaModel* a = Make(first);
    a->SetSkeleton(&m_Rigid);
    kaModel* b = Make(second);
    b->SetSkeleton(&m_Rigid);
    ASSERT_NE(parent->AttachModel(a, "Root", "Root"), nullptr);
    ASSERT_NE(parent->AttachModel(b, "Root", "Arm"), nullptr);
    Matrix world;
    platform::MatrixTranslation(&world, 0, 0, 7);
    parent->SetTransform(world);

    for (int round = 0; round < 2; ++round)
    {
        bool more = false;
        EXPECT_EQ(parent->GetNextMesh(more), m_Mesh);
        EXPECT_TRUE(more);
        EXPECT_EQ(parent->GetNextMesh(more), first);
        EXPECT_TRUE(more);
        EXPECT_EQ(parent->GetNextMesh(more), second);
        EXPECT_FALSE(more);
    }
    // The matrix read before each step belongs to the mesh that step returns.
    bool more = false;
    EXPECT_EQ(&parent->GetCurrentMatrix(), &parent->GetWorldMatrix());
    parent->GetNextMesh(more);
    EXPECT_EQ(&parent->GetCurrentMatrix(), &a->GetWorldMatrix());
    parent->GetNextMesh(more);
    EXPECT_EQ(&parent->GetCurrentMatrix(), &b->GetWorldMatrix());
    parent->GetNextMesh(more);
    EXPECT_FALSE(more);
    m_Models.clear();
    first->Release();
    second->Release();
}

TEST_F(ModelInstance, ASegmentMeetsTheNearestTriangleWithANormalFacingItsStart)
{
    kaModel* model = Make();
    Matrix world;
    platform::MatrixTranslation(&world, 0, 0, 5);
    model->SetTransform(world);
    Vector3 point, normal;
    ASSERT_TRUE(model->IntersectSegment({0.2f, 1, 0}, {0.2f, 1, 10}, &point, &normal));
    EXPECT_NEAR(point.z, 5.0f, 1e-5f);
    EXPECT_NEAR(point.x, 0.2f, 1e-5f);
    EXPECT_NEAR(normal.z, -1.0f, 1e-5f);
    ASSERT_TRUE(model->IntersectSegment({0.2f, 1, 10}, {0.2f, 1, 0}, &point, &normal));
    EXPECT_NEAR(normal.z, 1.0f, 1e-5f);
    // Too short, and beside the triangle.
    EXPECT_FALSE(model->IntersectSegment({0.2f, 1, 0}, {0.2f, 1, 4}, &point, &normal));
    EXPECT_FALSE(model->IntersectSegment({3, 1, 0}, {3, 1, 10}, &point, &normal));
}

TEST_F(ModelInstance, BoneQueriesAnswerOutOfRangeAndWithoutASkeleton)
{
    kaModel* rigid = Make();
    EXPECT_EQ(rigid->FindBoneIndex("Arm"), -1);
    EXPECT_EQ(rigid->GetBoneMatrix(0), nullptr);
    ASSERT_TRUE(BuildRigid());
    kaModel* model = Rigged();
    EXPECT_EQ(model->FindBoneIndex("Arm"), 1);
    EXPECT_EQ(model->FindBone("Arm"), m_Rigid.GetBone(1));
    EXPECT_EQ(model->GetBoneMatrix(2), nullptr);
    EXPECT_EQ(model->GetBoneMatrix(-1), nullptr);
    // The bind pose: the arm's matrix puts its origin one unit up.
    EXPECT_FLOAT_EQ((*model->GetBoneMatrix(1))(3, 1), 1.0f);
}

TEST_F(ModelInstance, ADecalTextureGoesOntoTheInstancesOwnCopyOfTheRegion)
{
    KM_MaterialList materials;
    materials.Append(meshtest::Material("Ground"));
    KM_ObjectList objects;
    auto geo = meshtest::Geo("Ground", 0);
    geo->m_Mesh.m_Vertices = {{0, 0, 0}, {5, 0, 0}, {0, 0, 5}};
    meshtest::AddFace(geo->m_Mesh, 0, 1, 2, 0);
    objects.Append(std::move(geo));
    auto door = meshtest::Primitive("PRIM_VERTBOX_door", 0);
    door->m_Width = 1.0f;
    door->m_Height = 1.0f;
    door->m_Length = 2.0f;
    door->m_Offset[1] = -1.0f;
    objects.Append(std::move(door));
    const std::string path = meshtest::WriteModelFile(m_Dir.File("decal.kmf"), materials, objects);
    auto* mesh = new kaMesh(path);
    mesh->AddRef();
    const kaMeshSubset* shared = mesh->GetDecalRegion("door");
    ASSERT_NE(shared, nullptr);
    kaModel* model = Make(mesh);
    kaModel* other = Make(mesh);

    EXPECT_FALSE(model->SetSubsetRenderState("window", "decal.tga"));
    EXPECT_EQ(model->GetDecalSubsetCount(), 0u);
    EXPECT_FALSE(Make()->SetSubsetRenderState("door", "decal.tga"));

    ASSERT_TRUE(model->SetSubsetRenderState("door", "decal.tga"));
    EXPECT_EQ(model->GetDecalSubsetCount(), 1u);
    EXPECT_EQ(other->GetDecalSubsetCount(), 0u);
    // The mesh's own region is as it was: not blended, coordinates not projected.
    EXPECT_FALSE(shared->GetRenderState()->m_AlphaBlend);
    const auto sharedCorners = meshtest::ReadVertices<meshtest::LitVertex>(shared->m_SysVertexBuffer, 3);
    for (const auto& corner : sharedCorners)
        EXPECT_EQ(corner.u, 0.0f);

    meshtest::DrawInScene(Device(), model, other);
    // The ground twice, the decal once, drawn where the surface already is.
    ASSERT_EQ(Device()->Draws().size(), 3u);
    EXPECT_EQ(Device()->Draws()[1].State.RenderStates[platform::RS_ZFUNC], platform::CMP_EQUAL);
    EXPECT_NE(Device()->Draws()[2].State.RenderStates[platform::RS_ZFUNC], platform::CMP_EQUAL);

    // Given twice, drawn twice.
    ASSERT_TRUE(model->SetSubsetRenderState("door", "decal.tga"));
    EXPECT_EQ(model->GetDecalSubsetCount(), 2u);
    m_Models.clear();
    mesh->Release();
}

TEST_F(ModelInstance, NoSortAlphaDrawsBlendedSubsetsAtOnce)
{
    kaModel* model = Make();
    m_Mesh->GetSubset(0)->GetRenderState()->m_AlphaBlend = true;
    m_Mesh->GetSubset(0)->GetRenderState()->m_SortAlpha = true;
    meshtest::DrawInScene(Device(), model);
    EXPECT_TRUE(Device()->Draws().empty());
    model->SetNoSortAlpha();
    EXPECT_TRUE(m_Mesh->GetSubset(0)->GetRenderState()->m_NoDefer);
    Device()->BeginScene();
    model->Render(0);
    Device()->EndScene();
    EXPECT_EQ(Device()->Draws().size(), 1u);
}

TEST_F(ModelInstance, BoxesAreFoundByExactName)
{
    kaModel* model = Make();
    auto box = std::make_unique<kaModel::Box>();
    box->name = "Wheelie";
    box->max = {1, 1, 1};
    model->AddBox(std::move(box));
    model->AddBox(nullptr);
    EXPECT_NE(model->FindBox("Wheelie"), nullptr);
    EXPECT_EQ(model->FindBox("wheelie"), nullptr);
}

// ---------------------------------------------------------------------------------------------------------
// Playback

TEST_F(ModelInstance, TheFirstPlayShowsAtOnceAndALaterOneFadesIn)
{
    kaModel* model = Animated({Slide("Walk", "Root", 2000, 0, 2), Slide("Wave", "Arm", 2000, 0, 2)});
    model->PlayAnimation("Walk", true, 5.0f, 0.5f, 0);
    EXPECT_FLOAT_EQ(Fade(model, 0, 0)->m_Current, 1.0f);
    model->PlayAnimation("Wave", true, 1.0f, 1.0f, 1);
    EXPECT_FLOAT_EQ(Fade(model, 1, 0)->m_Current, 0.0f);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    EXPECT_NEAR(Fade(model, 1, 0)->m_Current, 0.5f, 1e-4f);
    // Unknown names play nothing.
    model->PlayAnimation("Run", true, 1.0f, 1.0f, 0);
    EXPECT_EQ(model->GetChannels()[0]->m_Fades.size(), 1u);
}

TEST_F(ModelInstance, FadesTakeTheirTimeDividedByTheSpeed)
{
    kaModel* model = Animated({Slide("Walk", "Root", 2000, 0, 2), Slide("Run", "Root", 2000, 0, 2)});
    model->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    model->SetAnimationSpeed(0.5f);
    model->PlayAnimation("Run", true, 1.0f, 1.0f, 0);
    m_Clock.Advance(1.0);
    model->UpdateAnimation();
    EXPECT_NEAR(Fade(model, 0, 1)->m_Current, 0.5f, 1e-4f);
    m_Clock.Advance(1.0);
    model->UpdateAnimation();
    EXPECT_FLOAT_EQ(Fade(model, 0, 1)->m_Current, 1.0f);
}

TEST_F(ModelInstance, ASpeedChangeKeepsThePositionReached)
{
    kaModel* model = Walking();
    model->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    m_Clock.Advance(1.0);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 1.0f, 1e-4f);
    model->SetAnimationSpeed(2.0f);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 1.0f, 1e-4f);
    m_Clock.Advance(0.25);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 1.5f, 1e-4f);
    model->SetAnimationSpeed(0.0f);
    EXPECT_FLOAT_EQ(model->GetAnimationSpeed(), 2.0f);
}

TEST_F(ModelInstance, ALoopingAnimationWrapsAndAnotherHoldsItsLastPose)
{
    kaModel* looping = Walking();
    kaModel* holding = Rigged();
    looping->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    holding->PlayAnimation("Walk", false, 0.0f, 1.0f, 0);
    m_Clock.Advance(5.0);
    looping->UpdateAnimation();
    holding->UpdateAnimation();
    EXPECT_NEAR(RootX(looping), 1.0f, 1e-4f);
    EXPECT_NEAR(looping->GetCurrentAnimationTime(), 1.0f, 1e-4f);
    EXPECT_FLOAT_EQ(RootX(holding), 2.0f);
}

TEST_F(ModelInstance, ALoopingAnimationOfNoLengthStaysAtTimeZero)
{
    kaModel* model = Animated({Slide("Still", "Root", 0, 3, 3)});
    model->PlayAnimation("Still", true, 0.0f, 1.0f, 0);
    m_Clock.Advance(3.0);
    model->UpdateAnimation();
    EXPECT_FLOAT_EQ(model->GetCurrentAnimationTime(), 0.0f);
    EXPECT_FLOAT_EQ(RootX(model), 3.0f);
}

TEST_F(ModelInstance, AStoppedAnimationFadesOutAndIsRemovedOnTheNextUpdate)
{
    kaModel* model = Walking();
    model->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    model->StopAnimation("Walk", 0.5f, 0);
    m_Clock.Advance(0.25);
    model->UpdateAnimation();
    EXPECT_NEAR(Fade(model, 0, 0)->m_Current, 0.5f, 1e-4f);
    m_Clock.Advance(0.25);
    model->UpdateAnimation();
    EXPECT_FLOAT_EQ(Fade(model, 0, 0)->m_Current, 0.0f);
    model->UpdateAnimation();
    EXPECT_TRUE(model->GetChannels()[0]->m_Fades.empty());
}

TEST_F(ModelInstance, ACrossFadeTurnsTheChannelOverToTheNewAnimation)
{
    kaModel* model = Animated({Slide("Left", "Root", 1000, -1, -1), Slide("Right", "Root", 1000, 1, 1)});
    model->CrossFadeAnimation("Left", true, 1.0f, 1.0f, 0);
    model->UpdateAnimation();
    EXPECT_FLOAT_EQ(RootX(model), -1.0f);
    model->CrossFadeAnimation("Right", true, 1.0f, 1.0f, 0);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 0.0f, 1e-4f);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    model->UpdateAnimation();
    EXPECT_FLOAT_EQ(RootX(model), 1.0f);
    ASSERT_EQ(model->GetChannels()[0]->m_Fades.size(), 1u);
}

TEST_F(ModelInstance, ATrackOfAnUnknownBoneLeavesTheBonesAsTheyWere)
{
    kaModel* model = Animated({Slide("Tail", "Tail", 1000, 5, 5)});
    const Matrix before = *model->GetBoneMatrix(1);
    model->PlayAnimation("Tail", true, 0.0f, 1.0f, 0);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    EXPECT_EQ(*model->GetBonePosition(1), Vector3(0, 1, 0));
    EXPECT_EQ((*model->GetBoneMatrix(1))(3, 1), before(3, 1));
}

TEST_F(ModelInstance, WhilePausedThePoseDoesNotChange)
{
    kaModel* model = Walking();
    model->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    PauseControl(1);
    m_Clock.Advance(0.5);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 0.5f, 1e-4f);
    PauseControl(0);
    model->UpdateAnimation();
    EXPECT_NEAR(RootX(model), 1.0f, 1e-4f);
}

TEST_F(ModelInstance, ChildBonesArePlacedFromTheirParents)
{
    ASSERT_TRUE(BuildRigid());
    KM_Animation file;
    file.m_AnimationName = "Turn";
    file.m_Length = 1000;
    file.m_BoneAnims[0].boneName = "Root";
    // A quarter turn about Z at (5, 0, 0): the arm, one unit up, swings to (4, 0, 0).
    file.m_BoneAnims[0].keys = {modeltest::Key(0, 5, 0, kPi / 2)};
    AddAnimation(file);
    kaModel* model = Rigged();
    model->PlayAnimation("Turn", true, 0.0f, 1.0f, 0);
    model->UpdateAnimation();
    EXPECT_NEAR((*model->GetBoneMatrix(1))(3, 0), 4.0f, 1e-5f);
    EXPECT_NEAR((*model->GetBoneMatrix(1))(3, 1), 0.0f, 1e-5f);
}

TEST_F(ModelInstance, ARagDollKeepsTheBonesWrittenFromOutsideAndTheirChildrenHangFromThem)
{
    ASSERT_TRUE(BuildRigid());
    KM_Animation file;
    file.m_AnimationName = "Turn";
    file.m_Length = 1000;
    file.m_BoneAnims[0].boneName = "Root";
    file.m_BoneAnims[0].keys = {modeltest::Key(0, 5, 0, kPi / 2)};
    AddAnimation(file);
    Matrix written;
    platform::MatrixTranslation(&written, 0.0f, 7.0f, 0.0f);
    for (bool ragDoll : {false, true})
    {
        SCOPED_TRACE(ragDoll);
        kaModel* model = Rigged();
        model->m_RagDoll = ragDoll;
        model->SetBoneMatrix(0, written);
        EXPECT_TRUE(model->IsBoneControlled(0));
        EXPECT_FALSE(model->IsBoneControlled(1));
        EXPECT_NEAR((*model->GetBoneMatrix(0))(3, 1), 7.0f, 1e-6f);
        model->PlayAnimation("Turn", true, 0.0f, 1.0f, 0);
        model->UpdateAnimation();
        // Animated, the root goes to (5, 0, 0); as a rag doll it stays where it was written and the arm,
        // one unit up in the root's frame, hangs from it.
        EXPECT_NEAR((*model->GetBoneMatrix(0))(3, 0), ragDoll ? 0.0f : 5.0f, 1e-5f);
        EXPECT_NEAR((*model->GetBoneMatrix(0))(3, 1), ragDoll ? 7.0f : 0.0f, 1e-5f);
        EXPECT_NEAR((*model->GetBoneMatrix(1))(3, 0), ragDoll ? 0.0f : 4.0f, 1e-5f);
        EXPECT_NEAR((*model->GetBoneMatrix(1))(3, 1), ragDoll ? 8.0f : 0.0f, 1e-5f);
    }
    // Out of range, nothing is written or marked.
    kaModel* model = Rigged();
    model->SetBoneMatrix(2, written);
    model->SetBoneMatrix(-1, written);
    EXPECT_FALSE(model->IsBoneControlled(2));
    EXPECT_FALSE(model->IsBoneControlled(-1));
}

// ---------------------------------------------------------------------------------------------------------
// Skinning

class SkinnedModel : public ModelInstance
{
protected:
    // "Bend": the root stays, the arm turns a quarter about Z.
    void AddBendAnimation()
    {
        KM_Animation file;
        file.m_AnimationName = "Bend";
        file.m_Length = 1000;
        file.m_BoneAnims[0].boneName = "Root";
        file.m_BoneAnims[0].keys = {modeltest::Key(0, 0)};
        file.m_BoneAnims[1].boneName = "Arm";
        file.m_BoneAnims[1].keys = {modeltest::Key(0, 0, 1, kPi / 2)};
        AddAnimation(file);
    }
    // Vertex 0 follows the root, vertex 1 the arm, vertex 2 both by half.
    kaModel* Skinned()
    {
        KM_Skeleton file = modeltest::TwoBones();
        file.m_Bones[0].weights = {{0, 1.0f}, {2, 0.5f}};
        file.m_Bones[1].weights = {{1, 1.0f}, {2, 0.5f}};
        const std::string path = m_Dir.File("skin.kmf");
        EXPECT_TRUE(modeltest::WriteObject(path, std::make_unique<KM_Skeleton>(file)));
        EXPECT_TRUE(m_Skin.Load(path, m_Mesh));
        kaModel* model = Make();
        model->SetSkeleton(&m_Skin);
        return model;
    }
    std::vector<meshtest::PlainVertex> Drawn(const kaModel* model) const
    {
        return meshtest::ReadVertices<meshtest::PlainVertex>(
            model->GetSkinnedMesh()->GetSubset(0)->m_VertexBuffer, 3);
    }
    kaSkeleton m_Skin;
};

TEST_F(SkinnedModel, BindingReadsTheCpuCopyOfTheMesh)
{
    Skinned();
    ASSERT_TRUE(m_Skin.HasInfluences());
    EXPECT_EQ(m_Skin.GetInfluences()[1].bindPosition, Vector3(0, 2, 0));
    EXPECT_EQ(m_Skin.GetInfluences()[1].bindNormal, Vector3(0, 0, 1));
    EXPECT_EQ(m_Skin.GetInfluences()[2].count, 2);
    EXPECT_EQ(m_Skin.GetMeshName(), m_Mesh->GetName());
}

TEST_F(SkinnedModel, AnUnanimatedSkinLeavesTheMeshWhereItWas)
{
    kaModel* model = Skinned();
    ASSERT_TRUE(model->IsSkinned());
    model->UpdateSkin();
    const auto vertices = Drawn(model);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_NEAR(vertices[1].y, 2.0f, 1e-5f);
    EXPECT_NEAR(vertices[2].x, 1.0f, 1e-5f);
    EXPECT_NEAR(vertices[2].y, 1.0f, 1e-5f);
    EXPECT_NEAR(vertices[1].nz, 1.0f, 1e-5f);
}

TEST_F(SkinnedModel, ATurnedArmMovesItsVerticesAndHalfOfTheShared)
{
    AddBendAnimation();
    kaModel* model = Skinned();
    model->AddAnimation(m_Animations.back().get());
    model->PlayAnimation("Bend", true, 0.0f, 1.0f, 0);
    model->Render(0);
    const auto vertices = Drawn(model);
    // The arm turns a quarter about Z at (0, 1, 0): (0, 2, 0) goes to (-1, 1, 0).
    EXPECT_NEAR(vertices[0].x, 0.0f, 1e-5f);
    EXPECT_NEAR(vertices[1].x, -1.0f, 1e-5f);
    EXPECT_NEAR(vertices[1].y, 1.0f, 1e-5f);
    // (1, 1, 0): the root keeps it, the arm takes it to (0, 2, 0).
    EXPECT_NEAR(vertices[2].x, 0.5f, 1e-5f);
    EXPECT_NEAR(vertices[2].y, 1.5f, 1e-5f);
    // The shared mesh is untouched.
    const auto shared =
        meshtest::ReadVertices<meshtest::PlainVertex>(m_Mesh->GetSubset(0)->m_VertexBuffer, 3);
    EXPECT_FLOAT_EQ(shared[1].y, 2.0f);
}

// Skinning works in space kept between calls: two instances skinned in turn, one bent and one at rest, each
// draws only its own pose, whichever went before it.
TEST_F(SkinnedModel, InstancesSkinnedInTurnEachDrawTheirOwnPose)
{
    AddBendAnimation();
    kaModel* bent = Skinned();
    bent->AddAnimation(m_Animations.back().get());
    bent->PlayAnimation("Bend", true, 0.0f, 1.0f, 0);
    kaModel* still = Skinned();
    for (int round = 0; round < 2; ++round)
    {
        bent->Render(0);
        still->UpdateSkin();
        const auto atRest = Drawn(still);
        EXPECT_NEAR(atRest[1].x, 0.0f, 1e-5f) << round;
        EXPECT_NEAR(atRest[1].y, 2.0f, 1e-5f) << round;
        bent->Render(0);
        const auto turned = Drawn(bent);
        EXPECT_NEAR(turned[1].x, -1.0f, 1e-5f) << round;
        EXPECT_NEAR(turned[1].y, 1.0f, 1e-5f) << round;
    }
}

// Every vertex comes out bit for bit as the plain sums give it, in the order the influences were bound:
// none, one, several, a full record, a bone that is not affine (divided by w) and a turned bind pose, over an
// odd number of vertices.
TEST_F(SkinnedModel, SkinnedVerticesMatchThePlainSumsBitForBit)
{
    kaMesh* mesh = modeltest::PlainMesh({{0.0f, 0.0f, 0.0f},
                                         {-0.0f, 1.5f, 2.25f},
                                         {1.0f, -1.0f, 0.5f},
                                         {0.3f, 0.7f, -1.1f},
                                         {-2.0f, 3.0f, 0.125f},
                                         {5.5f, -0.25f, 1.75f},
                                         {0.1f, 0.2f, 0.3f}},
                                        {0, 1, 2, 3, 4, 5, 6, 0, 1}, Vector3(0.48f, 0.6f, 0.64f));
    KM_Skeleton file = modeltest::TwoBones();
    file.m_Bones[2] = modeltest::Bone("Hand", "Arm", 0.5f, 2.0f, -1.0f);
    // A turned bind pose: a quarter about Z, so its inverse is the general one.
    file.m_Bones[2].orientation[0][0] = 0.0f;
    file.m_Bones[2].orientation[0][1] = 1.0f;
    file.m_Bones[2].orientation[1][0] = -1.0f;
    file.m_Bones[2].orientation[1][1] = 0.0f;
    file.m_BoneCount = 3;
    file.m_Bones[0].weights = {{1, 1.0f}, {2, 0.25f}, {3, 0.5f}, {4, 0.1f}, {4, 0.1f}, {4, 0.1f}, {6, 0.3f}};
    file.m_Bones[1].weights = {{2, 0.5f}, {4, 0.2f}, {4, 0.2f}, {4, 0.05f}, {5, 0.7f}, {6, 0.3f}};
    file.m_Bones[2].weights = {{2, 0.25f}, {3, 0.5f}, {4, 0.3f}, {4, 0.15f}, {4, 0.4f}, {5, 0.3f}, {6, 0.4f}};
    const std::string path = m_Dir.File("many.kmf");
    ASSERT_TRUE(modeltest::WriteObject(path, std::make_unique<KM_Skeleton>(file)));
    kaSkeleton skeleton;
    ASSERT_TRUE(skeleton.Load(path, mesh));
    ASSERT_EQ(skeleton.GetInfluences().size(), 7u);
    EXPECT_EQ(skeleton.GetInfluences()[4].count, kaVertexInfluence::kMaxInfluences);
    kaModel* model = Make(mesh);
    model->SetSkeleton(&skeleton);
    Matrix turned;
    platform::MatrixRotationYawPitchRoll(&turned, 0.7f, -0.4f, 1.1f);
    turned(3, 0) = 0.5f;
    turned(3, 1) = -1.25f;
    model->SetBoneMatrix(1, turned);
    Matrix projective = turned;
    projective(0, 3) = 0.25f;
    projective(3, 3) = 1.5f;
    model->SetBoneMatrix(2, projective);
    model->UpdateSkin();

    const auto drawn = meshtest::ReadVertices<meshtest::PlainVertex>(
        model->GetSkinnedMesh()->GetSubset(0)->m_VertexBuffer, 7);
    ASSERT_EQ(drawn.size(), 7u);
    for (size_t v = 0; v < drawn.size(); ++v)
    {
        const kaVertexInfluence& record = skeleton.GetInfluences()[v];
        Vector3 position = record.bindPosition;
        Vector3 normal = record.bindNormal;
        if (record.count > 0)
        {
            position = Vector3();
            normal = Vector3();
        }
        for (int i = 0; i < record.count; ++i)
        {
            const Matrix skin =
                skeleton.GetBones()[record.bones[i]].offset * *model->GetBoneMatrix(record.bones[i]);
            Vector3 moved;
            platform::Vec3TransformCoord(&moved, &record.bindPosition, &skin);
            position += moved * record.weights[i];
            platform::Vec3TransformNormal(&moved, &record.bindNormal, &skin);
            normal += moved * record.weights[i];
        }
        const float expected[6] = {position.x, position.y, position.z, normal.x, normal.y, normal.z};
        EXPECT_EQ(std::memcmp(&drawn[v], expected, sizeof expected), 0) << "vertex " << v;
    }
    m_Models.clear();
    mesh->Release();
}

// ---------------------------------------------------------------------------------------------------------
// Saved state

TEST_F(ModelInstance, TheAnimationStateRoundTripsThroughXml)
{
    kaModel* saved = Animated({Slide("Walk", "Root", 2000, 0, 2), Slide("Wave", "Arm", 2000, 0, 2)});
    saved->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    saved->PlayAnimation("Wave", false, 2.0f, 0.8f, 3);
    saved->SetAnimationSpeed(1.5f);
    saved->m_AutoTrackBounds = true;
    saved->m_AltMax = {4, 5, 6};
    m_Clock.Advance(0.5);
    saved->UpdateAnimation();
    TiXmlElement root("model");
    saved->WriteState(&root);
    ASSERT_NE(root.FirstChildElement("animData"), nullptr);
    ASSERT_NE(root.FirstChildElement("altBounds"), nullptr);

    m_Clock.Advance(10.0);
    kaModel* loaded = Rigged();
    loaded->ReadState(&root);
    EXPECT_FLOAT_EQ(loaded->GetAnimationSpeed(), 1.5f);
    EXPECT_TRUE(loaded->m_AutoTrackBounds);
    EXPECT_FALSE(loaded->m_UseAltBounds);
    EXPECT_EQ(loaded->m_AltMax, Vector3(4, 5, 6));
    ASSERT_EQ(loaded->GetChannels().size(), 2u);
    EXPECT_EQ(loaded->GetChannels()[1]->m_Number, 3);
    const kaAnimationFade* wave = Fade(loaded, 1, 0);
    const kaAnimationFade* original = Fade(saved, 1, 0);
    EXPECT_EQ(wave->m_pAnimation->GetName(), "Wave");
    EXPECT_FALSE(wave->m_Looping);
    EXPECT_FLOAT_EQ(wave->m_FadeFinal, 0.8f);
    EXPECT_FLOAT_EQ(wave->m_FadeTime, 2.0f);
    EXPECT_FLOAT_EQ(wave->m_Current, original->m_Current);
    // The loaded animation continues where it was saved, ten seconds later.
    const float now = static_cast<float>(GetTime(5));
    EXPECT_NEAR(now - wave->m_AnimStartTime, 0.5f, 1e-3f);
    EXPECT_NEAR(now - wave->m_FadeStartTime, 0.5f, 1e-3f);
}

TEST_F(ModelInstance, ReadingSkipsUnknownAnimationsAndKeepsValuesMissingOrMalformed)
{
    kaModel* model = Walking();
    TiXmlDocument document;
    document.Parse("<model><animData><animSpeed>fast</animSpeed>"
                   "<activeAnim><channel>2</channel><animName>Fly</animName></activeAnim>"
                   "<activeAnim><animName>Walk</animName></activeAnim></animData>"
                   "<altBounds><max_y>7</max_y></altBounds></model>");
    model->ReadState(document.RootElement());
    EXPECT_FLOAT_EQ(model->GetAnimationSpeed(), 1.0f);
    ASSERT_EQ(model->GetChannels().size(), 1u);
    EXPECT_EQ(model->GetChannels()[0]->m_Number, 0);
    EXPECT_TRUE(Fade(model, 0, 0)->m_Looping);
    EXPECT_FLOAT_EQ(model->m_AltMax.y, 7.0f);
    EXPECT_FLOAT_EQ(model->m_AltMax.x, 0.0f);
}

TEST_F(ModelInstance, PlayingTracksTheNamedBoxesOfItsAnimations)
{
    kaModel* model = Walking();
    auto box = std::make_unique<kaModel::Box>();
    box->name = "Walk";
    box->min = {-3, 0, 0};
    box->max = {3, 4, 1};
    model->AddBox(std::move(box));
    model->m_AutoTrackBounds = true;
    model->m_UseAltBounds = true;
    model->PlayAnimation("Walk", true, 0.0f, 1.0f, 0);
    EXPECT_EQ(model->m_AltMin, Vector3(-3, 0, 0));
    EXPECT_FLOAT_EQ(model->GetBoundingBox()->m_Max.y, 4.0f);
}

} // namespace
