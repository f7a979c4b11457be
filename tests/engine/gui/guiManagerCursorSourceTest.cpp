#include "engine/gui/guiManager.h"

#include "engine/render/kaCamera.h"
#include "engine/render/kaDebugPrimitive.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using platform::Vector3;

namespace
{

class GuiCursorPickRay : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        kaCamera* camera = m_World->GetOwnCamera();
        camera->SetPosition(-10.0f, 2.0f, 3.0f);
        camera->SetRotationAngles(0.0f, 1.5707964f, 0.0f);
        camera->Rotate();
        m_World->SetShowPickRay(true);
    }

    // The grey ray the world's pick-ray display queued this update, if any.
    bool QueuedRay(Vector3& start, Vector3& end)
    {
        m_Manager->DrawDebugPrimitives();
        m_World->Update(0.0f);
        const auto& lines = m_Manager->GetDebugPrimitives();
        if (lines.empty())
            return false;
        start = Vector3(lines[0].vertices[0].x, lines[0].vertices[0].y, lines[0].vertices[0].z);
        end = Vector3(lines[0].vertices[1].x, lines[0].vertices[1].y, lines[0].vertices[1].z);
        m_Manager->DrawDebugPrimitives();
        return true;
    }

    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
};

// The world's pick-ray display aims through wherever the GUI cursor is, for as long as the manager lives.
TEST_F(GuiCursorPickRay, ThePickRayFollowsTheGuiCursorWhileTheManagerLives)
{
    uint32_t width = 0;
    uint32_t height = 0;
    m_Manager->GetViewportSize(width, height);
    auto gui = std::make_unique<guiManager>();
    gui->SetCursorBounds(platform::Rect{0, 0, int32_t(width), int32_t(height)});
    const struct
    {
        int32_t x, y;
    } cursors[] = {{int32_t(width / 2), int32_t(height / 2)}, {0, 0}, {int32_t(width) - 1, 5}};
    for (const auto& c : cursors)
    {
        gui->SetCursorPosition(c.x, c.y);
        ASSERT_EQ(gui->GetCursorPosition().x, c.x);
        Vector3 origin, direction;
        ASSERT_TRUE(m_World->GetPickRay(float(c.x), float(c.y), origin, direction));
        Vector3 start, end;
        ASSERT_TRUE(QueuedRay(start, end)) << c.x << " " << c.y;
        const Vector3 expected = origin + direction * kaWorld::kPickRayLength;
        EXPECT_NEAR(start.x, origin.x, 1e-3f);
        EXPECT_NEAR(end.x, expected.x, 1e-2f) << c.x << " " << c.y;
        EXPECT_NEAR(end.y, expected.y, 1e-2f) << c.x << " " << c.y;
        EXPECT_NEAR(end.z, expected.z, 1e-2f) << c.x << " " << c.y;
    }
    gui.reset();
    Vector3 start, end;
    EXPECT_FALSE(QueuedRay(start, end)) << "no manager, no cursor to aim through";
}

} // namespace
