#include "engine/render/ka3DObject.h"

#include "engine/model/kaMesh.h"
#include "engine/render/kaLight.h"

#include "tests/support/engine/render/RecordingObject.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using platform::Matrix;

namespace
{

class ka3DObjectTest : public ::testing::Test
{
protected:
    ~ka3DObjectTest() override
    {
        for (ka3DObject* root : m_Roots)
            root->Release();
    }

    // A root object holding one reference of the test's own.
    RecordingObject* MakeRoot(const std::string& name)
    {
        auto* object = new RecordingObject(name, m_Log);
        object->AddRef();
        m_Roots.push_back(object);
        return object;
    }

    RecordingObject* MakeChild(ka3DObject* parent, const std::string& name)
    {
        auto* child = new RecordingObject(name, m_Log);
        parent->AddChild(child);
        return child;
    }

    std::vector<std::string> TakeLog()
    {
        std::vector<std::string> log;
        log.swap(m_Log);
        return log;
    }

    std::vector<std::string> m_Log;
    std::vector<ka3DObject*> m_Roots;
};

using Log = std::vector<std::string>;

TEST_F(ka3DObjectTest, InitializeHierarchyInitializesOnceButAlwaysVisitsChildren)
{
    RecordingObject* root = MakeRoot("root");
    MakeChild(root, "a");
    root->InitializeHierarchy();
    EXPECT_EQ(TakeLog(), (Log{"root.Initialize", "a.Initialize"}));

    MakeChild(root, "b");
    root->InitializeHierarchy();
    EXPECT_EQ(TakeLog(), (Log{"b.Initialize"}));
}

TEST_F(ka3DObjectTest, RestoreCreatesOnlyAfterInvalidation)
{
    RecordingObject* root = MakeRoot("root");
    MakeChild(root, "a");
    root->InitializeHierarchy();
    TakeLog();

    // The one flag serves both: initialised objects are not created again.
    root->RestoreDeviceObjects();
    EXPECT_TRUE(TakeLog().empty());

    root->InvalidateDeviceObjects();
    EXPECT_EQ(TakeLog(), (Log{"root.Release", "a.Release"}));
    EXPECT_FALSE(root->AreDeviceObjectsCreated());

    root->RestoreDeviceObjects();
    EXPECT_EQ(TakeLog(), (Log{"root.Create", "a.Create"}));
    EXPECT_TRUE(root->GetChildren()[0]->AreDeviceObjectsCreated());
}

TEST_F(ka3DObjectTest, InvalidateReleasesEvenWhenNothingWasCreated)
{
    RecordingObject* root = MakeRoot("root");
    root->InvalidateDeviceObjects();
    root->InvalidateDeviceObjects();
    EXPECT_EQ(TakeLog(), (Log{"root.Release", "root.Release"}));
}

TEST_F(ka3DObjectTest, InvisibleObjectRendersNoChild)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    MakeChild(a, "b");
    root->Render(7);
    EXPECT_EQ(TakeLog(), (Log{"root.Render(7)", "a.Render(0)", "b.Render(0)"}));

    a->SetVisible(false);
    root->Render(0);
    EXPECT_EQ(TakeLog(), (Log{"root.Render(0)", "a.Render(0)"}));
}

TEST_F(ka3DObjectTest, InactiveObjectUpdatesNoChild)
{
    RecordingObject* root = MakeRoot("root");
    MakeChild(root, "a");
    MakeChild(root, "b");
    root->Update(0.5f);
    EXPECT_EQ(TakeLog(), (Log{"root.Update(0.500000)", "a.Update(0.500000)", "b.Update(0.500000)"}));

    root->SetActive(false);
    root->Update(0.5f);
    EXPECT_EQ(TakeLog(), (Log{"root.Update(0.500000)"}));
}

TEST_F(ka3DObjectTest, RemoveChildReleasesAndForgetsTheParent)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    MakeChild(a, "b");
    RecordingObject* c = MakeChild(root, "c");
    c->AddRef(); // kept alive to look at its link
    root->RemoveChild(a);
    EXPECT_EQ(TakeLog(), (Log{"a.destroyed", "b.destroyed"}));
    root->RemoveChild(c);
    EXPECT_TRUE(root->GetChildren().empty());
    EXPECT_EQ(c->GetParent(), nullptr);
    EXPECT_EQ(c->Release(), 0);
    EXPECT_EQ(TakeLog(), (Log{"c.destroyed"}));
}

TEST_F(ka3DObjectTest, RemovingAStrangerChangesNothing)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    RecordingObject* other = MakeRoot("other");
    RecordingObject* b = MakeChild(other, "b");

    root->RemoveChild(b);
    root->DetachChild(b);
    root->RemoveChild(nullptr);
    EXPECT_EQ(root->GetChildren(), (std::vector<ka3DObject*>{a}));
    EXPECT_EQ(b->GetParent(), other);
    EXPECT_EQ(b->GetRefCount(), 1);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(ka3DObjectTest, RemovingOneOfTwoEqualEntriesRemovesOnlyTheFirst)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    RecordingObject* b = MakeChild(root, "b");
    root->AddChild(a);

    root->RemoveChild(a);
    EXPECT_EQ(root->GetChildren(), (std::vector<ka3DObject*>{b, a}));
    EXPECT_EQ(a->GetRefCount(), 1);
    // Still a child, so still linked.
    EXPECT_EQ(a->GetParent(), root);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(ka3DObjectTest, DetachKeepsTheReferenceAndClearsTheLink)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    root->DetachChild(a);
    EXPECT_TRUE(root->GetChildren().empty());
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->GetRefCount(), 1);
    a->Release();
    EXPECT_EQ(TakeLog(), (Log{"a.destroyed"}));
}

TEST_F(ka3DObjectTest, ReleaseChildrenEmptiesTheListInOrder)
{
    RecordingObject* root = MakeRoot("root");
    MakeChild(root, "a");
    RecordingObject* b = MakeChild(root, "b");
    MakeChild(root, "c");
    b->AddRef();

    root->ReleaseChildren();
    EXPECT_TRUE(root->GetChildren().empty());
    EXPECT_EQ(TakeLog(), (Log{"a.destroyed", "c.destroyed"}));
    EXPECT_EQ(b->GetParent(), nullptr);
    b->Release();
}

TEST_F(ka3DObjectTest, DestroyingAParentReleasesItsChildren)
{
    auto* root = new RecordingObject("root", m_Log);
    root->AddRef();
    RecordingObject* a = MakeChild(root, "a");
    a->AddRef();
    EXPECT_EQ(root->Release(), 0);
    EXPECT_EQ(TakeLog(), (Log{"root.destroyed"}));
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->Release(), 0);
}

TEST_F(ka3DObjectTest, UpdateTransformRotatesThenPlacesAtThePosition)
{
    RecordingObject* root = MakeRoot("root");
    // A quarter turn about Y: +X goes to -Z in the left-handed row-vector convention.
    const float half = 0.70710678f;
    root->SetPositionRotation(1.0f, 2.0f, 3.0f, 0.0f, half, 0.0f, half);
    const Matrix& world = root->GetWorldMatrix();
    EXPECT_NEAR(world(0, 0), 0.0f, 1e-6f);
    EXPECT_NEAR(world(0, 2), -1.0f, 1e-6f);
    EXPECT_NEAR(world(2, 0), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(world(3, 0), 1.0f);
    EXPECT_FLOAT_EQ(world(3, 1), 2.0f);
    EXPECT_FLOAT_EQ(world(3, 2), 3.0f);
    EXPECT_FLOAT_EQ(world(3, 3), 1.0f);
    EXPECT_FLOAT_EQ(world(0, 3), 0.0f);

    root->SetPosition(-4.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(root->GetWorldMatrix()(3, 0), -4.0f);
    EXPECT_NEAR(root->GetWorldMatrix()(0, 2), -1.0f, 1e-6f);

    root->SetRotation(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(root->GetWorldMatrix(), Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -4, 0, 0, 1));
}

TEST_F(ka3DObjectTest, ChildrenTakeTheParentMatrixOnTheSameCall)
{
    RecordingObject* root = MakeRoot("root");
    RecordingObject* a = MakeChild(root, "a");
    RecordingObject* b = MakeChild(a, "b");
    a->SetPosition(9.0f, 9.0f, 9.0f);

    root->SetPosition(5.0f, 6.0f, 7.0f);
    EXPECT_EQ(a->GetWorldMatrix(), root->GetWorldMatrix());
    // The root SetTransform hands nothing further down.
    EXPECT_FLOAT_EQ(b->GetWorldMatrix()(3, 0), 9.0f);
}

TEST_F(ka3DObjectTest, SetTransformReplacesTheWholeMatrix)
{
    RecordingObject* root = MakeRoot("root");
    root->SetPosition(1.0f, 1.0f, 1.0f);
    const Matrix scaled(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1);
    root->SetTransform(scaled);
    EXPECT_EQ(root->GetWorldMatrix(), scaled);
}

// Each class writes its own id, in GUID byte order, into the caller's buffer and nothing past it.
TEST_F(ka3DObjectTest, ClassIdIsWrittenInGuidByteOrderIntoTheCallersBuffer)
{
    kaLight light(platform::LIGHT_POINT, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    kaMesh mesh;
    EXPECT_TRUE(mesh.IsMesh());
    const std::pair<const ka3DObject*, uint8_t> cases[] = {{MakeRoot("root"), 0x41}, {&light, 0x40}, {&mesh, 0x42}};
    for (const auto& [object, first] : cases)
    {
        uint8_t buffer[ka3DObject::kClassIdSize + 1] = {};
        buffer[16] = 0xEE;
        EXPECT_EQ(object->GetClassId(buffer), buffer);
        const uint8_t expected[17] = {first, 0x64, 0x56, 0x4F, 0x38, 0xA1, 0xD5, 0x11, 0x9C,
                                      0xF6,  0x00, 0x01, 0x02, 0x3E, 0x55, 0x10, 0xEE};
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 17), std::vector<uint8_t>(expected, expected + 17))
            << int(first);
    }
}

TEST_F(ka3DObjectTest, ReleaseGraphicsObjectReleasesOneReference)
{
    RecordingObject* root = MakeRoot("root");
    root->AddRef();
    EXPECT_TRUE(ReleaseGraphicsObject(root));
    EXPECT_EQ(root->GetRefCount(), 1);
    EXPECT_TRUE(ReleaseGraphicsObject(nullptr));
}

} // namespace
