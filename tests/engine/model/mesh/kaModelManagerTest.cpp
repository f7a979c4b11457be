#include "engine/model/kaModelManager.h"

#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaSkeleton.h"
#include "tests/engine/model/mesh/MeshTestSupport.h"

#include <gtest/gtest.h>

namespace
{

// Each counts its own destruction.
class CountedSkeleton : public kaSkeleton
{
public:
    explicit CountedSkeleton(int& destroyed) : m_Destroyed(destroyed) {}
    ~CountedSkeleton() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
};

class CountedAnimation : public kaAnimation
{
public:
    explicit CountedAnimation(int& destroyed) : m_Destroyed(destroyed) {}
    ~CountedAnimation() override { ++m_Destroyed; }

private:
    int& m_Destroyed;
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

TEST_F(ModelManagerTest, DeleteAllDestroysMeshesThatOnlyTheCacheHolds)
{
    for (int i = 0; i < 3; ++i)
        m_Models.AddMesh(new CountedMesh(m_Destroyed));
    ASSERT_EQ(m_Models.GetMeshes().size(), 3u);
    m_Models.DeleteAll();
    EXPECT_EQ(m_Destroyed, 3);
    EXPECT_TRUE(m_Models.GetMeshes().empty());

    // Filled again afterwards.
    m_Models.AddMesh(new CountedMesh(m_Destroyed));
    EXPECT_EQ(m_Models.GetMeshes().size(), 1u);
    m_Models.DeleteAll();
    EXPECT_EQ(m_Destroyed, 4);
}

TEST_F(ModelManagerTest, DeleteAllDeletesSkeletonsAndAnimations)
{
    int skeletons = 0;
    int animations = 0;
    m_Models.AddSkeleton(new CountedSkeleton(skeletons));
    m_Models.AddSkeleton(new CountedSkeleton(skeletons));
    m_Models.AddAnimation(new CountedAnimation(animations));
    m_Models.DeleteAll();
    EXPECT_EQ(skeletons, 2);
    EXPECT_EQ(animations, 1);
    EXPECT_TRUE(m_Models.GetSkeletons().empty());
    EXPECT_TRUE(m_Models.GetAnimations().empty());
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

} // namespace
