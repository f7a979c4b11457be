#include "engine/model/kaModelManager.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSkeleton.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/DeepXml.h"
#include "tests/support/engine/model/ModelTestSupport.h"
#include "tests/support/engine/render/RecordingObject.h"

#include <gtest/gtest.h>

namespace
{

// Logs its own destruction under a name.
template <typename Base> class Logged : public Base
{
public:
    template <typename... Args>
    Logged(std::vector<std::string>& log, const char* name, Args... args) : Base(args...), m_Log(log), m_Name(name)
    {
    }
    ~Logged() override { m_Log.push_back(m_Name); }

private:
    std::vector<std::string>& m_Log;
    const char* m_Name;
};

class CountedMesh : public kaMesh
{
public:
    explicit CountedMesh(int& destroyed) : kaMesh(0x012, 1, 3, 1, false), m_Destroyed(destroyed) {}
    ~CountedMesh() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
};

class ModelManagerTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    kaModelManager m_Models;
    int m_Destroyed = 0;
};

TEST_F(ModelManagerTest, IsTheGlobalManagerWhileItExists)
{
    EXPECT_EQ(g_pModelManager, &m_Models);
    {
        kaModelManager inner;
        EXPECT_EQ(g_pModelManager, &inner);
    }
    EXPECT_EQ(g_pModelManager, &m_Models);
}

TEST_F(ModelManagerTest, AMeshHeldElsewhereSurvivesDeleteAllAndUnregistersItself)
{
    auto* kept = new CountedMesh(m_Destroyed);
    kept->AddRef();
    m_Models.AddMesh(kept);
    m_Models.AddMesh(new CountedMesh(m_Destroyed));
    m_Models.DeleteAll();
    EXPECT_EQ(m_Destroyed, 1);
    EXPECT_EQ(kept->GetRefCount(), 1);

    m_Models.AddMesh(kept);
    kept->Release();
    kept->Release();
    EXPECT_EQ(m_Destroyed, 2);
    EXPECT_TRUE(m_Models.GetMeshes().empty());
}

TEST_F(ModelManagerTest, UnregisteringAMeshNotInTheListChangesNothing)
{
    auto* cached = new CountedMesh(m_Destroyed);
    m_Models.AddMesh(cached);
    kaMesh stranger;
    m_Models.UnregisterMesh(&stranger);
    EXPECT_EQ(m_Models.GetMeshes().size(), 1u);
    m_Models.UnregisterMesh(cached);
    EXPECT_TRUE(m_Models.GetMeshes().empty());
    cached->Release();
}

TEST_F(ModelManagerTest, GraphicsShutdownEmptiesTheCacheBeforeTheBuffersGo)
{
    m_Models.AddMesh(new CountedMesh(m_Destroyed));
    m_Manager.reset();
    EXPECT_EQ(m_Destroyed, 1);
    EXPECT_TRUE(m_Models.GetMeshes().empty());
}

TEST_F(ModelManagerTest, AMeshOutlivingTheManagerDoesNotCallIt)
{
    auto* mesh = new CountedMesh(m_Destroyed);
    mesh->AddRef();
    {
        kaModelManager shortLived;
        shortLived.AddMesh(mesh);
        kaModelManager* const saved = g_pModelManager;
        g_pModelManager = nullptr;
        mesh->Release();
        mesh->Release();
        g_pModelManager = saved;
        // The mesh is gone; the list still names it, so it must not be walked.
        shortLived.UnregisterMesh(mesh);
    }
    EXPECT_EQ(m_Destroyed, 1);
}

// ---------------------------------------------------------------------------------------------------------
// Loading, caches and descriptors

class ModelLoading : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        KM_MaterialList materials;
        materials.Append(meshtest::Material("Paint"));
        KM_ObjectList objects;
        auto geo = meshtest::Geo("Quad", 0);
        geo->m_Mesh.m_Vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
        meshtest::AddFace(geo->m_Mesh, 0, 1, 2, 0);
        meshtest::AddFace(geo->m_Mesh, 0, 2, 3, 0);
        objects.Append(std::move(geo));
        m_Dir.Write("bike/dummy", "");
        ASSERT_FALSE(meshtest::WriteModelFile(m_Dir.File("bike/bike.kmf"), materials, objects).empty());

        KM_Skeleton skeleton;
        skeleton.m_Bones[0] = modeltest::Bone("Root", "", 0, 0, 0);
        for (int32_t v = 0; v < 4; ++v)
            skeleton.m_Bones[0].weights.push_back({v, 1.0f});
        ASSERT_TRUE(modeltest::WriteObject(m_Dir.File("bike/bike_skeleton.kmf"),
                                           std::make_unique<KM_Skeleton>(skeleton)));
        for (const char* name : {"Walk", "Jump"})
            ASSERT_TRUE(modeltest::WriteObject(
                m_Dir.File(std::string("bike/") + name + ".kmf"),
                std::make_unique<KM_Animation>(modeltest::Slide(name, "Root", 1000, 0, 1))));
    }
    void TearDown() override { m_Models.DeleteAll(); }

    std::string Descriptor(const std::string& name, const std::string& text)
    {
        return m_Dir.Write("bike/" + name, text);
    }

    kaFileSystem m_Files;
    kaModelManager m_Models;
    testsupport::DebugCapture m_Debug;
};

TEST_F(ModelLoading, TheSameNameSharesOneMeshAndAnotherSpellingLoadsAgain)
{
    const std::string path = m_Dir.File("bike/bike.kmf");
    kaModel* first = m_Models.CreateModel(path);
    kaModel* second = m_Models.CreateModel(path);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->GetMesh(), second->GetMesh());
    EXPECT_EQ(first->GetSourceName(), path);
    EXPECT_EQ(m_Models.GetMeshes().size(), 1u);
    EXPECT_EQ(m_Models.GetModels().size(), 2u);

    std::string upper = path;
    upper.replace(upper.size() - 8, 4, "BIKE");
    kaModel* third = m_Models.CreateModel(upper);
    EXPECT_NE(third->GetMesh(), first->GetMesh());
    EXPECT_EQ(third->GetMesh()->GetSubsetCount(), 1u);
    EXPECT_EQ(m_Models.GetMeshes().size(), 2u);
}

TEST_F(ModelLoading, AMeshFoundThroughASearchFolderIsCachedUnderTheNameAskedFor)
{
    m_Files.AddSearchPath(m_Dir.File("bike"));
    kaMesh* mesh = m_Models.LoadMesh("bike.kmf", false);
    ASSERT_EQ(mesh->GetSubsetCount(), 1u);
    EXPECT_EQ(m_Models.LoadMesh("bike.kmf", false), mesh);
    EXPECT_EQ(m_Models.GetMeshes().size(), 1u);
}

TEST_F(ModelLoading, AMissingModelFileIsCachedEmptyAndSaysSo)
{
    kaMesh* mesh = m_Models.LoadMesh(m_Dir.File("bike/none.kmf"), false);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetSubsetCount(), 0u);
    ASSERT_EQ(m_Backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Backend.MessageBoxes()[0].text, "Failed to load mesh " + m_Dir.File("bike/none.kmf"));
    EXPECT_EQ(m_Models.LoadMesh(m_Dir.File("bike/none.kmf"), false), mesh);
    EXPECT_EQ(m_Backend.MessageBoxes().size(), 1u);
}

TEST_F(ModelLoading, ARigidInstanceFirstLeavesTheMapsForALaterSkinnedOne)
{
    const std::string path = m_Dir.File("bike/bike.kmf");
    ASSERT_NE(m_Models.CreateModel(path), nullptr);
    kaModel* skinned = m_Models.CreateSkinnedModel(path, m_Dir.File("bike/bike_skeleton.kmf"));
    ASSERT_NE(skinned, nullptr);
    ASSERT_TRUE(skinned->GetSkeleton()->HasInfluences());
    EXPECT_EQ(skinned->GetSkeleton()->GetInfluences()[0].count, 1);
    EXPECT_TRUE(skinned->IsSkinned());
}

TEST_F(ModelLoading, SkeletonsAreSharedPerMeshAndAnimationsPerFile)
{
    const std::string skeletonPath = m_Dir.File("bike/bike_skeleton.kmf");
    kaMesh* mesh = m_Models.LoadMesh(m_Dir.File("bike/bike.kmf"), true);
    kaMesh* other = m_Models.LoadMesh(m_Dir.File("bike/BIKE.kmf"), true);
    kaSkeleton* skeleton = m_Models.LoadSkeleton(skeletonPath, mesh);
    ASSERT_NE(skeleton, nullptr);
    EXPECT_EQ(m_Models.LoadSkeleton(skeletonPath, mesh), skeleton);
    EXPECT_EQ(m_Models.LoadSkeleton(skeletonPath, nullptr), skeleton);
    kaSkeleton* second = m_Models.LoadSkeleton(skeletonPath, other);
    EXPECT_NE(second, skeleton);
    EXPECT_EQ(m_Models.GetSkeletons().size(), 2u);

    kaAnimation* walk = m_Models.LoadAnimation(m_Dir.File("bike/Walk.kmf"));
    ASSERT_NE(walk, nullptr);
    EXPECT_EQ(m_Models.LoadAnimation(m_Dir.File("bike/Walk.kmf")), walk);
    EXPECT_EQ(m_Models.LoadAnimation(m_Dir.File("bike/Run.kmf")), nullptr);
    EXPECT_EQ(m_Models.LoadSkeleton(m_Dir.File("bike/none.kmf"), mesh), nullptr);
    EXPECT_EQ(m_Models.GetAnimations().size(), 1u);
    EXPECT_EQ(m_Models.GetSkeletons().size(), 2u);
}

TEST_F(ModelLoading, ADescriptorWithAFolderLoadsItsSkeletonAnimationsAndBoxes)
{
    Descriptor("bike.xml", "<Model>bike.kmf</Model>\n<Skeleton>bike_skeleton.kmf</Skeleton>\n"
                           "<Animation>Walk.kmf</Animation>\n<Animation>Run.kmf</Animation>\n"
                           "<Animation>Jump.kmf</Animation>\n"
                           "<Box><Name>Walk</Name><MinX>-5</MinX><MaxY>9</MaxY></Box>\n"
                           "<Box><Name>Jump</Name><MaxZ>oops</MaxZ><MinY>-1</MinY></Box>\n");
    const std::string folder = m_Dir.File("bike") + "/";
    kaModel* model = m_Models.LoadModelDescriptor(folder + "bike.xml", folder);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetSourceName(), folder + "bike.xml");
    ASSERT_NE(model->GetSkeleton(), nullptr);
    ASSERT_EQ(model->GetAnimations().size(), 2u);
    EXPECT_EQ(model->GetAnimations()[0]->GetName(), "Walk");
    EXPECT_EQ(model->GetAnimations()[1]->GetName(), "Jump");
    ASSERT_NE(model->FindBox("Walk"), nullptr);
    EXPECT_FLOAT_EQ(model->FindBox("Walk")->min.x, -5.0f);
    EXPECT_FLOAT_EQ(model->FindBox("Walk")->max.y, 9.0f);
    // A malformed number reads as 0.
    EXPECT_FLOAT_EQ(model->FindBox("Jump")->max.z, 0.0f);
    EXPECT_FLOAT_EQ(model->FindBox("Jump")->min.y, -1.0f);
    // The alternative bounds are the mesh's, not a box's.
    EXPECT_TRUE(model->m_UseAltBounds);
    EXPECT_TRUE(model->m_AutoTrackBounds);
    EXPECT_EQ(model->m_AltMax, model->GetMesh()->GetMax());
    EXPECT_EQ(model->m_AltMin, model->GetMesh()->GetMin());
}

// Descriptors read one after another, longest first: each is read as its own file, never with what a
// longer one before it left behind.
TEST_F(ModelLoading, EachDescriptorIsReadOnItsOwnWhateverCameBefore)
{
    const std::string folder = m_Dir.File("bike") + "/";
    const std::string model = "<Model>bike.kmf</Model><Skeleton>bike_skeleton.kmf</Skeleton>";
    const std::string boxes = "<Box><Name>Walk</Name><MinX>-5</MinX></Box>";
    const struct
    {
        std::string text;
        bool loads;
        size_t animations;
        bool box;
    } cases[] = {
        {model + "<Animation>Walk.kmf</Animation><Animation>Jump.kmf</Animation>" + boxes + "<!-- " +
             std::string(3000, 'x') + " -->",
         true, 2, true},
        {model, true, 0, false},
        {"<Model>bike.kmf</Mo", false, 0, false},
        {model + "<Animation>Jump.kmf</Animation>", true, 1, false},
        {"", false, 0, false},
        {model + "\r\n" + boxes + "\r", true, 0, true},
    };
    for (const auto& c : cases)
    {
        Descriptor("seq.xml", c.text);
        kaModel* loaded = m_Models.LoadModelDescriptor(folder + "seq.xml", folder);
        ASSERT_EQ(loaded != nullptr, c.loads) << c.text;
        if (loaded == nullptr)
            continue;
        EXPECT_EQ(loaded->GetAnimations().size(), c.animations) << c.text;
        EXPECT_EQ(loaded->FindBox("Walk") != nullptr, c.box) << c.text;
        m_Models.ReleaseModel(loaded);
    }
}

TEST_F(ModelLoading, ADescriptorWithoutAModelOrASkeletonGivesNothing)
{
    Descriptor("noskeleton.xml", "<Model>" + m_Dir.File("bike/bike.kmf") + "</Model>");
    EXPECT_EQ(m_Models.LoadModelDescriptor(m_Dir.File("bike/noskeleton.xml")), nullptr);
    Descriptor("nomodel.xml", "<Skeleton>bike_skeleton.kmf</Skeleton>");
    EXPECT_EQ(m_Models.LoadModelDescriptor(m_Dir.File("bike/nomodel.xml")), nullptr);
    EXPECT_EQ(m_Models.LoadModelDescriptor(m_Dir.File("bike/missing.xml")), nullptr);
    Descriptor("broken.xml", "<Model>bike.kmf</Mo");
    EXPECT_EQ(m_Models.LoadModelDescriptor(m_Dir.File("bike/broken.xml")), nullptr);
    Descriptor("deep.xml", "<Model>" + m_Dir.File("bike/bike.kmf") + "</Model><Skeleton>bike_skeleton.kmf</Skeleton>" +
                               testsupport::DeepXml("Box", 40000));
    EXPECT_EQ(m_Models.LoadModelDescriptor(m_Dir.File("bike/deep.xml")), nullptr);
    EXPECT_TRUE(m_Models.GetModels().empty());
}

TEST_F(ModelLoading, EveryLoadLeavesTheSearchFoldersAsTheyWere)
{
    const std::string folder = m_Dir.File("bike") + "/";
    // A caller's own entry equal to the loader's must survive the load.
    m_Files.AddSearchPath(folder);
    m_Files.AddSearchPath(folder + "maps");
    const std::list<std::string> before = m_Files.GetSearchPaths();
    Descriptor("bike.xml", "<Model>bike.kmf</Model><Skeleton>bike_skeleton.kmf</Skeleton>"
                           "<Animation>Walk.kmf</Animation><Animation>Run.kmf</Animation>");
    ASSERT_NE(m_Models.LoadModelDescriptor(folder + "bike.xml", folder), nullptr);
    EXPECT_EQ(m_Files.GetSearchPaths(), before);
    m_Models.LoadMesh(folder + "none.kmf", false);
    m_Models.LoadMesh(folder + "bike.kmf", false);
    m_Models.LoadSkeleton(folder + "none.kmf", nullptr);
    m_Models.LoadAnimation(folder + "none.kmf");
    EXPECT_EQ(m_Files.GetSearchPaths(), before);
}

TEST_F(ModelLoading, ReleasingAnInstanceReleasesItsAttachedChildren)
{
    const std::string path = m_Dir.File("bike/bike.kmf");
    const std::string skeleton = m_Dir.File("bike/bike_skeleton.kmf");
    kaModel* bike = m_Models.CreateSkinnedModel(path, skeleton);
    kaModel* front = m_Models.CreateSkinnedModel(path, skeleton);
    kaModel* back = m_Models.CreateSkinnedModel(path, skeleton);
    kaModel* other = m_Models.CreateModel(path);
    ASSERT_NE(bike->AttachModel(front, "Root", "Root"), nullptr);
    ASSERT_NE(bike->AttachModel(back, "Root", "Root"), nullptr);
    ASSERT_EQ(m_Models.GetModels().size(), 4u);
    m_Models.ReleaseModel(bike);
    ASSERT_EQ(m_Models.GetModels().size(), 1u);
    EXPECT_EQ(m_Models.GetModels()[0], other);
    kaModel stranger(nullptr);
    m_Models.ReleaseModel(&stranger);
    EXPECT_EQ(m_Models.GetModels().size(), 1u);
}

TEST_F(ModelLoading, DeleteAllGoesSkeletonsAnimationsInstancesThenMeshes)
{
    std::vector<std::string> log;
    m_Models.AddMesh(new Logged<kaMesh>(log, "mesh", 0x012, 1, 3, 1, false));
    m_Models.AddAnimation(new Logged<kaAnimation>(log, "animation"));
    m_Models.AddSkeleton(new Logged<kaSkeleton>(log, "skeleton"));
    kaModel* model = m_Models.CreateModel(m_Dir.File("bike/bike.kmf"));
    ASSERT_NE(model, nullptr);
    // A scene child goes with the instance and tells when.
    model->AddChild(new RecordingObject("instance", log));
    m_Models.DeleteAll();
    EXPECT_EQ(log, (std::vector<std::string>{"skeleton", "animation", "instance.destroyed", "mesh"}));
    EXPECT_TRUE(m_Models.GetMeshes().empty());
    EXPECT_TRUE(m_Models.GetModels().empty());
    EXPECT_TRUE(m_Models.GetSkeletons().empty());
    EXPECT_TRUE(m_Models.GetAnimations().empty());
    // And it fills again.
    EXPECT_NE(m_Models.CreateModel(m_Dir.File("bike/bike.kmf")), nullptr);
}

} // namespace
