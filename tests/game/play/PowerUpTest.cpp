#include "game/gear/PowerUp.h"

#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaPropertyRecord.h"
#include "game/records/tvPlayer.h"
#include "game/world/tvArena.h"
#include "tests/support/engine/model/ModelTestSupport.h"
#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

class PowerUpTest : public geartest::GearScene
{
public:
    void SetUp() override
    {
        geartest::GearScene::SetUp();
        m_Player.SetRunPoints(0);
        m_App.SetCurrentPlayer(&m_Player);
    }
    void TearDown() override
    {
        m_App.SetCurrentPlayer(nullptr);
        geartest::GearScene::TearDown();
    }

    // A token whose box, and so its pick-up sphere, is centred 2 above its model's origin: the body sits
    // where the token is placed, the model 2 lower.
    kaModel* Token()
    {
        kaMesh* mesh = modeltest::PlainMesh({{-1, 1, 0}, {1, 1, 0}, {0, 3, 0}}, {0, 1, 2});
        m_Scene.models.push_back(std::make_unique<kaModel>(mesh));
        mesh->Release();
        return m_Scene.models.back().get();
    }

    PowerUp* Token(const std::string& xml, const Vector3& at = {0, 0, 10})
    {
        auto* token = new PowerUp;
        m_World.AddEntity(token, true, true);
        token->SetPosition(at);
        token->SetModel(Token());
        Read(*token, xml);
        token->Initialize();
        return token;
    }

    // Steps until the token has risen and hidden; false when it never does.
    static bool RiseAway(PowerUp& token)
    {
        for (int step = 0; step < 100 && token.IsRising(); ++step)
            token.Update(0.25f);
        return !token.IsRising() && !token.IsVisible();
    }

    tvPlayer m_Player;
};

TEST_F(PowerUpTest, ThePickUpSphereAloneGivesTheBodyItsMassCentredOnTheBody)
{
    PowerUp* token = Token("");
    ASSERT_NE(token->GetBody(), nullptr);
    dMass mass;
    dBodyGetMass(token->GetBody(), &mass);
    const kaBoundingBox* box = token->GetBoundingBox();
    const double radius = box->m_Radius;
    EXPECT_NEAR(mass.mass, 4.0 / 3.0 * M_PI * radius * radius * radius, 1e-3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mass.c[i], 0.0);
    physicstest::ExpectNear(token->GetBodyPosition(), box->m_Centre);
    EXPECT_FALSE(dBodyIsEnabled(token->GetBody()));
    ASSERT_FALSE(token->GetGeomData().empty());
    EXPECT_TRUE(token->GetGeomData().back()->GetMaterial()->GetPassThrough());
}

TEST_F(PowerUpTest, EachKindGivesItsEffect)
{
    struct Case
    {
        int32_t kind;
        std::function<bool(PowerUpTest&)> given;
    } cases[] = {
        {1,
         [](PowerUpTest& t)
         {
             return t.m_Player.GetRunPoints() == 25 && t.m_Hud.GetPointsText() == "25" &&
                    !t.m_Hud.IsPowerUpIconVisible(1); // points have no icon of their own
         }},
        {2, [](PowerUpTest& t)
         { return t.m_Vehicle->GetBoostTime() > 0.0f && t.m_Vehicle->GetBoostForce() == 90.0f; }},
        {3, [](PowerUpTest& t)
         { return t.m_Vehicle->GetSecondBoostTime() > 0.0f && t.m_Vehicle->GetSecondBoostForce() == 90.0f; }},
        {4,
         [](PowerUpTest& t) { return t.m_Vehicle->GetDamage() == 0.0f && t.m_Hud.IsPowerUpIconVisible(4); }},
        {5, [](PowerUpTest& t)
         { return t.m_Vehicle->GetJumpTime() == 10.0f && t.m_Vehicle->GetJumpStrength() == 5.0f; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.kind);
        m_Vehicle->SetDamage(40.0f);
        PowerUp* token = Token("<powerupType>" + std::to_string(c.kind) +
                               "</powerupType><value>25</value><turboForce>90</turboForce>");
        EXPECT_FALSE(c.given(*this));
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        EXPECT_TRUE(c.given(*this));
        EXPECT_TRUE(token->IsRising());
        EXPECT_FALSE(token->IsCollidable());
        m_World.DeleteEntity(token, false);
        m_Player.SetRunPoints(0);
        m_Hud.HidePowerUpIcon(1);
        m_Hud.HidePowerUpIcon(4);
        m_Vehicle->Update(30.0f);
    }
}

TEST_F(PowerUpTest, AHiddenTokenOrAnotherEntityTakesNothing)
{
    PowerUp* token = Token("<powerupType>2</powerupType>");
    token->OnCollide(m_Wheels[0], nullptr, nullptr);
    EXPECT_FALSE(token->IsRising());
    token->SetVisible(false);
    token->OnCollide(m_Vehicle, nullptr, nullptr);
    EXPECT_FALSE(token->IsRising());
    EXPECT_EQ(m_Vehicle->GetBoostTime(), 0.0f);
}

TEST_F(PowerUpTest, ATokenComesBackOnlyWithARespawnTimeAndAfterItsWholeSecondsHavePassed)
{
    struct Case
    {
        int32_t hideTime;
        double wait;
        bool back;
    } cases[] = {{0, 100.0, false}, {5, 5.5, false}, {5, 6.0, true}, {2, 2.9, false}, {2, 3.0, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.hideTime << " after " << c.wait);
        PowerUp* token = Token("<hideTime>" + std::to_string(c.hideTime) + "</hideTime>");
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        ASSERT_TRUE(RiseAway(*token));
        // Hidden where it was picked up, and touchable again when it shows.
        physicstest::ExpectNear(token->GetBodyPosition(), {0, 0, 10});
        EXPECT_TRUE(token->IsCollidable());
        m_Clock.AdvanceSeconds(c.wait);
        token->Update(0.01f);
        EXPECT_EQ(token->IsVisible(), c.back);
        m_World.DeleteEntity(token, false);
    }
}

TEST_F(PowerUpTest, PointsComeBackOnlyWhileTheVenueLeavesTokenTime)
{
    struct Case
    {
        const char* name;
        const char* venue;
        int32_t kind;
        float tokenTime;
        bool back;
    } cases[] = {{"no venue", nullptr, PowerUp::kPoints, 0.0f, true},
                 {"unlimited", "<Entity/>", PowerUp::kPoints, 0.0f, true},
                 {"limited, time out", "<Entity><limitTokenRespawn>1</limitTokenRespawn></Entity>",
                  PowerUp::kPoints, 0.0f, false},
                 {"limited, time left", "<Entity><limitTokenRespawn>1</limitTokenRespawn></Entity>",
                  PowerUp::kPoints, 3.0f, true},
                 {"limited, a turbo", "<Entity><limitTokenRespawn>1</limitTokenRespawn></Entity>",
                  PowerUp::kTurbo, 0.0f, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::unique_ptr<tvArena> arena;
        if (c.venue)
        {
            arena = std::make_unique<tvArena>();
            TiXmlDocument document;
            document.Parse(c.venue);
            arena->ReadXml(document.RootElement());
            arena->SetTokenTime(c.tokenTime);
        }
        m_World.SetVenueEntity(arena.get());
        PowerUp* token =
            Token("<powerupType>" + std::to_string(c.kind) + "</powerupType><hideTime>2</hideTime>");
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        ASSERT_TRUE(RiseAway(*token));
        m_Clock.AdvanceSeconds(3.0);
        token->Update(0.01f);
        EXPECT_EQ(token->IsVisible(), c.back);
        if (arena && !c.back)
        {
            // A respawn gives the venue token time again: the held-back token shows at its next step.
            arena->SetTokenTime(tvArena::kTokenTime);
            token->Update(0.01f);
            EXPECT_TRUE(token->IsVisible());
        }
        m_World.SetVenueEntity(nullptr);
        m_World.DeleteEntity(token, false);
        m_Hud.HidePowerUpIcon(1);
    }
}

TEST_F(PowerUpTest, TheRiseEndsAtWorldHeightFive)
{
    struct Case
    {
        float bodyY;
        int steps;
    } cases[] = {{6.0f, 1}, {4.5f, 2}, {1.0f, 6}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.bodyY);
        PowerUp* token = Token("<hideTime>3</hideTime>", {0, c.bodyY, 10});
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        int steps = 0;
        while (token->IsRising() && steps < 100)
        {
            token->Update(0.5f);
            ++steps;
        }
        EXPECT_EQ(steps, c.steps);
        EXPECT_FALSE(token->IsVisible());
        m_World.DeleteEntity(token, false);
    }
}

TEST_F(PowerUpTest, APointsPickUpHighAboveTheGroundIsAnnouncedAsAJump)
{
    Loose({0, 0, 10});
    struct Case
    {
        float bodyY;
        const char* cue;
        const char* silent;
    } cases[] = {{7.0f, "Jump", "Point"}, {3.0f, "Point", "Jump"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.bodyY);
        Hush();
        m_Clock.AdvanceSeconds(20.0);
        PowerUp* token = Token("<powerupType>1</powerupType>", {0, c.bodyY, 10});
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        EXPECT_TRUE(Playing(c.cue));
        EXPECT_FALSE(Playing(c.silent));
        EXPECT_TRUE(Playing("Crowd"));
        // The pick's own flags come back.
        EXPECT_TRUE(m_Vehicle->IsCollidable());
        m_World.DeleteEntity(token, false);
    }
}

TEST_F(PowerUpTest, TurbosWithinTenSecondsAreAnnouncedOnce)
{
    struct Step
    {
        double wait;
        int32_t kind;
        bool announced;
    } steps[] = {{0.0, 2, true}, {5.0, 2, false}, {4.0, 3, false}, {11.0, 3, true}};
    for (const Step& step : steps)
    {
        m_Clock.AdvanceSeconds(step.wait);
        Hush();
        PowerUp* token = Token("<powerupType>" + std::to_string(step.kind) + "</powerupType>");
        token->OnCollide(m_Vehicle, nullptr, nullptr);
        EXPECT_EQ(Playing("Turbo"), step.announced) << step.wait;
        m_World.DeleteEntity(token, false);
    }
}

TEST_F(PowerUpTest, TheVehicleDrivesThroughAVisibleToken)
{
    PowerUp* token = Token("<powerupType>2</powerupType>", {0, -2, 10});
    m_Vehicle->SetPosition({0, 0, 7});
    m_Vehicle->SetBodyEnabled(true);
    for (tvWheel* wheel : m_Wheels)
        wheel->SetBodyEnabled(true);
    m_Vehicle->SetLinearVelocity(0.0f, 0.0f, 20.0f);
    for (int step = 0; step < 12 && m_Vehicle->GetBodyPosition().z < 12.0f; ++step)
        m_World.Update(0.02f);
    EXPECT_TRUE(token->IsRising() || !token->IsVisible());
    EXPECT_GT(m_Vehicle->GetBoostTime(), 0.0f);
    EXPECT_GT(m_Vehicle->GetBodyPosition().z, 11.0f);
    EXPECT_GT(dBodyGetLinearVel(m_Vehicle->GetBody())[2], 15.0);
}

TEST_F(PowerUpTest, TheEditorShowsTurboRowsOnlyForTheTwoTurbos)
{
    for (int32_t kind = 0; kind <= 6; ++kind)
    {
        SCOPED_TRACE(kind);
        PowerUp* token =
            Token("<powerupType>" + std::to_string(kind) + "</powerupType><hideTime>4</hideTime>");
        std::vector<std::string> labels;
        std::string respawn;
        for (const auto& row : token->GetPropertyList())
        {
            labels.push_back(row->m_Label);
            if (row->m_Label == PowerUp::kRespawnLabel)
                respawn = row->m_Value;
        }
        EXPECT_EQ(respawn, "4");
        const bool turbo = kind == 2 || kind == 3;
        EXPECT_EQ(std::count(labels.begin(), labels.end(), PowerUp::kTurboForceLabel), turbo ? 1 : 0);
        EXPECT_EQ(std::count(labels.begin(), labels.end(), PowerUp::kTurboTimeLabel), turbo ? 1 : 0);
        m_World.DeleteEntity(token, false);
    }
}

TEST_F(PowerUpTest, EditedRowsChangeOnlyWhatDiffers)
{
    PowerUp* token = Token("<powerupType>2</powerupType><hideTime>4</hideTime>");
    kaPropertyList rows = token->GetPropertyList();
    EXPECT_FALSE(token->SetPropertyList(rows));
    for (const auto& row : rows)
    {
        if (row->m_Label == PowerUp::kRespawnLabel)
            row->m_Value = "9";
        if (row->m_Label == PowerUp::kTurboTimeLabel)
            row->m_Value = "1.5";
    }
    EXPECT_TRUE(token->SetPropertyList(rows));
    EXPECT_EQ(token->GetHideTime(), 9);
    EXPECT_EQ(token->GetTurboTime(), 1.5f);
    EXPECT_EQ(token->GetTurboForce(), PowerUp::kDefaultTurboForce);
}

TEST_F(PowerUpTest, WritesItsKindRespawnAndTurboFirstAndKeepsTheRest)
{
    PowerUp* token = Token("<powerupType>3</powerupType><value>40</value><hideTime>6</hideTime>"
                           "<turboForce>70</turboForce><turboTime>2</turboTime><gravity>9</gravity>");
    TiXmlElement element("Entity");
    token->WriteXml(&element);
    std::vector<std::string> written;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement())
        written.push_back(child->Value());
    const auto kind = std::find(written.begin(), written.end(), "powerupType");
    ASSERT_GE(std::distance(kind, written.end()), 4);
    EXPECT_EQ(std::vector<std::string>(kind, kind + 4),
              (std::vector<std::string>{"powerupType", "hideTime", "turboForce", "turboTime"}));
    PowerUp* copy = Token("");
    copy->ReadXml(&element);
    EXPECT_EQ(copy->GetPowerupType(), 3);
    EXPECT_EQ(copy->GetHideTime(), 6);
    EXPECT_EQ(copy->GetTurboForce(), 70.0f);
    EXPECT_EQ(copy->GetTurboTime(), 2.0f);
    EXPECT_EQ(copy->GetValue(), 40);
    EXPECT_EQ(copy->GetGravity(), 9.0f);
}

TEST_F(PowerUpTest, ItsSoundsComeFromTheInstallAndGoWithIt)
{
    PowerUp* token = Token("");
    const kaSoundHandle repair = token->GetRepairSound();
    const kaSoundHandle jump = token->GetJumpSound();
    ASSERT_TRUE(m_Wizard.IsSoundLoaded(repair));
    ASSERT_TRUE(m_Wizard.IsSoundLoaded(jump));
    // Initialised again, the token keeps two sounds, not four.
    token->Initialize();
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(repair));
    const kaSoundHandle second = token->GetRepairSound();
    EXPECT_TRUE(m_Wizard.IsSoundLoaded(second));
    m_World.DeleteEntity(token, false);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(second));
}

} // namespace
