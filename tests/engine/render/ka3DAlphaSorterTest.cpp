#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/render/RecordingObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

using namespace platform;

namespace
{

using Log = std::vector<std::string>;

// The camera at the origin looking along +z, its frustum active.
class AlphaSorterTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        m_Camera.SetPosition(0.0f, 0.0f, 0.0f);
        m_Camera.Update(0.0f);
        m_Manager->SetCamera(&m_Camera);
        m_Manager->UseViewFrustum();
    }

    RecordingObject* AddItem(const std::string& name, float x, float y, float z, float radius)
    {
        auto* item = new RecordingObject(name, m_Log);
        item->SetPosition(x, y, z);
        item->SetBoundingRadius(radius);
        m_Sorter.Add(item);
        return item;
    }

    Log RenderedItems()
    {
        m_Log.clear();
        m_Sorter.Render(0);
        Log rendered;
        for (const std::string& line : m_Log)
            if (line.find(".Render") != std::string::npos)
                rendered.push_back(line.substr(0, line.find('.')));
        return rendered;
    }

    Log m_Log;
    kaCamera m_Camera;
    ka3DAlphaSorter m_Sorter;
};

} // namespace

TEST_F(AlphaSorterTest, AddingInitialisesTakesAReferenceAndBecomesTheParent)
{
    RecordingObject* item = AddItem("a", 0.0f, 0.0f, 10.0f, 1.0f);
    EXPECT_EQ(m_Log.front(), "a.Initialize");
    EXPECT_EQ(item->GetRefCount(), 1);
    EXPECT_EQ(item->GetParent(), &m_Sorter);
    EXPECT_TRUE(m_Sorter.GetChildren().empty());
    // The sorter draws after the opaque roots.
    EXPECT_EQ(m_Sorter.GetRenderOrder(), 50);
}

// Items wholly outside the view are skipped and keep their keys. The sphere tested is raised by half its
// radius; an item without radius is tested as a point.
TEST_F(AlphaSorterTest, SkipsItemsWhollyOutsideTheViewAndKeepsTheirKeys)
{
    AddItem("front", 0.0f, 0.0f, 10.0f, 1.0f);
    RecordingObject* behind = AddItem("behind", 0.0f, 0.0f, -10.0f, 1.0f);
    behind->SetRenderOrder(7);
    AddItem("edge", 0.0f, 0.0f, -0.5f, 1.0f);
    // Just below the view's lower edge at depth 10, reached only by the raised sphere.
    const float lowerEdge = -10.0f * std::tan(0.7853982f / 2.0f);
    AddItem("low", 0.0f, lowerEdge - 1.2f, 10.0f, 1.0f);
    AddItem("inside", 0.0f, 0.0f, 10.0f, 0.0f);
    AddItem("outside", 0.0f, 0.0f, -0.01f, 0.0f);
    EXPECT_EQ(RenderedItems(), (Log{"front", "edge", "low", "inside"}));
    EXPECT_EQ(behind->GetRenderOrder(), 7);
}

TEST_F(AlphaSorterTest, VisibleItemsShareOneKeyAndKeepTheirOrder)
{
    RecordingObject* a = AddItem("a", 0.0f, 0.0f, 30.0f, 1.0f);
    AddItem("b", 0.0f, 0.0f, 10.0f, 1.0f);
    AddItem("c", 0.0f, 0.0f, 20.0f, 1.0f);
    EXPECT_EQ(RenderedItems(), (Log{"a", "b", "c"}));
    EXPECT_EQ(a->GetRenderOrder(), 10000);
}

TEST_F(AlphaSorterTest, RemoveErasesWithoutReleasingAndIgnoresStrangers)
{
    RecordingObject* a = AddItem("a", 0.0f, 0.0f, 10.0f, 1.0f);
    AddItem("b", 0.0f, 0.0f, 10.0f, 1.0f);
    RecordingObject stranger("stranger", m_Log);
    m_Sorter.Remove(&stranger);
    EXPECT_EQ(m_Sorter.GetItems().size(), 2u);

    a->AddRef();
    m_Sorter.Remove(a);
    EXPECT_EQ(m_Sorter.GetItems().size(), 1u);
    EXPECT_EQ(a->GetRefCount(), 2);
    // Not held any more, so it must not point back at the sorter.
    EXPECT_EQ(a->GetParent(), nullptr);
    a->Release();
    a->Release();
}

TEST_F(AlphaSorterTest, ClearReleasesEveryItem)
{
    AddItem("a", 0.0f, 0.0f, 10.0f, 1.0f);
    RecordingObject* kept = AddItem("b", 0.0f, 0.0f, 10.0f, 1.0f);
    kept->AddRef();
    m_Sorter.Clear();
    EXPECT_TRUE(m_Sorter.GetItems().empty());
    EXPECT_EQ(std::count(m_Log.begin(), m_Log.end(), "a.destroyed"), 1);
    EXPECT_EQ(kept->GetRefCount(), 1);
    EXPECT_EQ(kept->GetParent(), nullptr);
    kept->Release();
}

TEST_F(AlphaSorterTest, UpdatesAndDeviceCallsReachTheItemsWhateverTheSortersFlags)
{
    AddItem("a", 0.0f, 0.0f, 10.0f, 1.0f);
    m_Sorter.SetActive(false);
    m_Log.clear();
    m_Sorter.Update(0.5f);
    m_Sorter.InvalidateDeviceObjects();
    m_Sorter.RestoreDeviceObjects();
    EXPECT_EQ(m_Log, (Log{"a.Update(0.500000)", "a.Release", "a.Create"}));
}
