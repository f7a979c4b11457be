#include "engine/scene/kaSpawnPoint.h"

#include "engine/core/kaApp.h"

#include "tests/support/engine/scene/SceneModelFixture.h"

#include <gtest/gtest.h>

using platform::Quaternion;
using platform::Vector3;

namespace
{

class SpawnPointTest : public SceneModelFixture
{
protected:
    void SetUp() override { StartWith(""); }
    kaApp m_App{"SpawnTest", "SpawnTest"};
};

} // namespace

TEST_F(SpawnPointTest, OnlyTheEditorShowsItAndNobodySelectsIt)
{
    for (const bool editor : {false, true})
    {
        m_App.SetEditor(editor);
        auto* spawn = Make<kaSpawnPoint>(File(kCrate) + "<selectable>1</selectable>");
        EXPECT_EQ(spawn->GetName(), "SpawnPoint");
        EXPECT_EQ(m_World->FindEntityByName("SpawnPoint") != nullptr, true);
        spawn->Initialize();
        EXPECT_EQ(spawn->IsVisible(), editor);
        EXPECT_FALSE(spawn->IsSelectable());
        m_World->DeleteEntity(spawn, false);
    }
}

TEST_F(SpawnPointTest, KeepsThePlacementGivenWithOrWithoutAModel)
{
    for (const bool withModel : {false, true})
    {
        auto* spawn = Make<kaSpawnPoint>(withModel ? File(kCrate) : "");
        // Never given a rotation: the identity, which a vehicle can start with.
        const Quaternion start = spawn->GetSpawnRotation();
        EXPECT_EQ(start.w, 1.0f);
        EXPECT_EQ(start.x + start.y + start.z, 0.0f);

        const Quaternion turn(0.0f, 0.70710677f, 0.0f, 0.70710677f);
        spawn->SetPositionRotation(Vector3(4.0f, 5.0f, 6.0f), turn);
        spawn->SetPosition(Vector3(1.0f, 2.0f, 3.0f));
        ExpectNear(spawn->GetSpawnPosition(), Vector3(1.0f, 2.0f, 3.0f));
        EXPECT_EQ(spawn->GetSpawnRotation().y, turn.y);
        ExpectNear(spawn->GetPosition(), withModel ? Vector3(1.0f, 2.0f, 3.0f) : Vector3(0.0f, 0.0f, 0.0f));
    }
}
