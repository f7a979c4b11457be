#include "engine/terrain/kaSun.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaFlareLayer.h"
#include "engine/terrain/kaRotationOnlyView.h"
#include "tests/support/engine/terrain/EnvironmentFixture.h"

#include "platform/gfx/math/Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using platform::Vector3;

namespace
{

const char* const kSunXml = "<Sun><position>0.25</position><axistilt>0.5</axistilt><texture>sun.dds</texture>"
                            "<scale>2</scale><reddirectional>0.5</reddirectional><greendirectional>0.25"
                            "</greendirectional><bluedirectional>1</bluedirectional><redambient>0.125"
                            "</redambient><greenambient>0.5</greenambient><blueambient>0.75</blueambient>"
                            "<lensFlareLayers><FlareLayer><texture>ring.dds</texture><length>2</length>"
                            "<scale>0.75</scale></FlareLayer><FlareLayer><texture>glow.dds</texture>"
                            "<length>-1</length><scale>3</scale></FlareLayer></lensFlareLayers></Sun>";

std::unique_ptr<kaSun> ReadSun(const char* xml)
{
    TiXmlDocument document;
    document.Parse(xml);
    auto sun = std::make_unique<kaSun>();
    sun->ReadXml(document.RootElement());
    return sun;
}

kaColor Grey(float value)
{
    return kaColor::kaColorClamped(value, value, value, 1.0f);
}

class SunTest : public EnvironmentFixture
{
protected:
    // The point's screen position as the flare sees it: the view without its translation.
    Vector3 Screen(const Vector3& point)
    {
        platform::Viewport viewport;
        platform::Matrix view;
        platform::Matrix projection;
        Device()->GetViewport(&viewport);
        Device()->GetTransform(platform::TS_VIEW, &view);
        Device()->GetTransform(platform::TS_PROJECTION, &projection);
        const platform::Matrix relative = kaRotationOnlyView::WithoutTranslation(view);
        Vector3 out;
        platform::Vec3Project(&out, &point, &viewport, &projection, &relative, nullptr);
        return out;
    }
};

TEST_F(SunTest, AnglesPlaceTheDiscAndAimTheLight)
{
    struct Case
    {
        float position, axisTilt;
        Vector3 disc;
    } cases[] = {
        {0.25f, 0.5f, {500.0f, 0.0f, 0.0f}},
        {0.5f, 0.5f, {0.0f, 500.0f, 0.0f}},
        {0.5f, 0.75f, {0.0f, 500.0f, 500.0f}},
        {0.0f, 0.5f, {0.0f, -500.0f, 0.0f}},
    };
    for (const Case& c : cases)
    {
        kaSun sun;
        sun.Initialize(c.position, c.axisTilt, "", 1.0f, Grey(0.5f), Grey(0.25f));
        SCOPED_TRACE(c.position);
        const Vector3& disc = sun.GetDisc()->GetPosition();
        EXPECT_NEAR(disc.x, c.disc.x, 1e-3f);
        EXPECT_NEAR(disc.y, c.disc.y, 1e-3f);
        EXPECT_NEAR(disc.z, c.disc.z, 1e-3f);
        const platform::Light& light = sun.GetLight()->GetLight();
        EXPECT_EQ(light.Type, platform::LIGHT_DIRECTIONAL);
        // The light shines from the disc towards the camera.
        const float length = std::sqrt(c.disc.x * c.disc.x + c.disc.y * c.disc.y + c.disc.z * c.disc.z);
        EXPECT_NEAR(light.Direction.x, -c.disc.x / length, 1e-5f);
        EXPECT_NEAR(light.Direction.y, -c.disc.y / length, 1e-5f);
        EXPECT_NEAR(light.Direction.z, -c.disc.z / length, 1e-5f);
        EXPECT_FLOAT_EQ(light.Diffuse.r, 0.5f);
        EXPECT_FLOAT_EQ(light.Specular.g, 0.5f);
        EXPECT_FLOAT_EQ(light.Ambient.r, 0.0f);
        EXPECT_FLOAT_EQ(light.Ambient.a, 1.0f);
        // Drawn at once over everything: no depth, not left to the alpha sorter.
        const kaRenderState* state = sun.GetDisc()->GetRenderState();
        ASSERT_NE(state, nullptr);
        EXPECT_FALSE(state->m_ZWrite);
        EXPECT_FALSE(state->m_ZTest);
        EXPECT_TRUE(state->m_NoDefer);
        EXPECT_EQ(state->m_BlendMode, kaRenderState::kBlendNormal);
    }
}

TEST_F(SunTest, TheWorldHoldsOneLightWhichEachInitializeReplaces)
{
    kaWorld world;
    auto* sun = new kaSun;
    sun->Initialize(0.25f, 0.5f, "", 1.0f, Grey(0.5f), Grey(0.5f));
    world.SetSun(sun);
    // Put into the world after its Initialize: the world's own initialisation lets the light in.
    EXPECT_TRUE(world.GetLights().empty());
    sun->Initialize();
    ASSERT_EQ(world.GetLights().size(), 1u);
    EXPECT_EQ(world.GetLights()[0], sun->GetLight());

    const size_t deviceLights = m_Manager->GetLights().size();
    sun->Initialize(0.5f, 0.5f, "", 1.0f, Grey(0.5f), Grey(0.5f));
    ASSERT_EQ(world.GetLights().size(), 1u);
    EXPECT_EQ(world.GetLights()[0], sun->GetLight());
    EXPECT_EQ(m_Manager->GetLights().size(), deviceLights);

    world.SetSun(nullptr);
    EXPECT_TRUE(world.GetLights().empty());
}

TEST_F(SunTest, UpdateScalesTheLightAndFadesTheFlare)
{
    struct Case
    {
        float intensity, target, dt, expected;
        bool layersRecoloured;
    } cases[] = {
        {1.0f, 0.0f, 0.1f, 0.4f, true},    // diff x dt x 6
        {0.0f, 1.0f, 0.05f, 0.3f, true},   // fading in
        {0.995f, 1.0f, 0.1f, 1.0f, false}, // within 0.01: snaps, colours as they were
        {0.005f, 0.0f, 0.1f, 0.0f, false}, // fading out stops at 0
        {0.5f, 0.5f, 0.1f, 0.5f, false},   // at the target: nothing
        {0.5f, 0.0f, 0.5f, -1.0f, true},   // overshoot: the colour is clamped
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.intensity);
        kaSun sun;
        sun.Initialize(0.25f, 0.5f, "", 1.0f, kaColor::kaColorClamped(0.5f, 1.0f, 0.25f, 1.0f), Grey(0.5f));
        sun.AddFlareLayer("", 2.0f, 1.0f);
        sun.SetLightFactor(0.5f);
        sun.SetFlareState(c.intensity, c.target);
        sun.Update(c.dt);
        EXPECT_NEAR(sun.GetFlareIntensity(), c.expected, 1e-5f);
        const platform::Light& light = sun.GetLight()->GetLight();
        EXPECT_FLOAT_EQ(light.Diffuse.r, 0.25f);
        EXPECT_FLOAT_EQ(light.Diffuse.g, 0.5f);
        EXPECT_FLOAT_EQ(light.Specular.b, 0.125f);
        EXPECT_FLOAT_EQ(light.Diffuse.a, 0.0f);
        // Layers start white; a fade step greys them.
        sun.GetFlareLayers()[0]->RebuildQuad();
        const float shade = c.layersRecoloured ? std::min(std::max(c.expected, 0.0f), 1.0f) : 1.0f;
        const auto* vertices = static_cast<const kaBillboard::Vertex*>(
            m_Manager->LockVertexBuffer(sun.GetFlareLayers()[0]->GetMesh()->GetSubset(0)->m_SysVertexBuffer));
        ASSERT_NE(vertices, nullptr);
        EXPECT_NEAR(static_cast<float>(vertices[0].diffuse & 0xFF), shade * 255.0f, 1.0f);
        m_Manager->UnlockVertexBuffer(sun.GetFlareLayers()[0]->GetMesh()->GetSubset(0)->m_SysVertexBuffer);
    }
}

TEST_F(SunTest, RemovingALayerOutsideTheListDoesNothing)
{
    struct Case
    {
        int index;
        std::vector<float> lengthsLeft;
    } cases[] = {{-1, {1, 2, 3}}, {3, {1, 2, 3}}, {0, {2, 3}}, {1, {1, 3}}, {2, {1, 2}}};
    for (const Case& c : cases)
    {
        kaSun sun;
        for (float length : {1.0f, 2.0f, 3.0f})
            sun.AddFlareLayer("", length, 1.0f);
        sun.RemoveFlareLayer(c.index);
        std::vector<float> lengths;
        for (const kaFlareLayer* layer : sun.GetFlareLayers())
            lengths.push_back(layer->m_Length);
        EXPECT_EQ(lengths, c.lengthsLeft) << c.index;
    }
}

TEST_F(SunTest, FlareLayersLieAlongTheLineThroughTheCentreAndFadeOutOfView)
{
    kaSun sun;
    // The sun up and to the right of the view's centre.
    sun.Initialize(0.25f, 0.5f, "", 1.0f, Grey(1.0f), Grey(1.0f));
    for (float length : {1.0f, 2.0f, -1.0f, 0.0f})
        sun.AddFlareLayer("", length, 1.0f);
    sun.GetFlareLayers()[3]->SetPosition(7.0f, 7.0f, 7.0f);
    // Far from the origin: only the view's direction counts.
    Look(Vector3(1000.0f, 0.0f, 0.0f), Vector3(1100.0f, -20.0f, 30.0f));
    sun.SetFlareState(0.5f, 0.0f);
    sun.RenderLensFlare();
    EXPECT_EQ(sun.GetFlareTarget(), 1.0f);

    platform::Viewport viewport;
    Device()->GetViewport(&viewport);
    const float cx = static_cast<float>(viewport.Width / 2);
    const float cy = static_cast<float>(viewport.Height / 2);
    const Vector3 disc = Screen(sun.GetDisc()->GetPosition());
    ASSERT_GT(disc.x, cx + 1.0f);
    struct Case
    {
        int layer;
        float fraction; // of the way from the centre to the sun
    } cases[] = {{0, 1.0f}, {1, 0.5f}, {2, -1.0f}};
    for (const Case& c : cases)
    {
        const Vector3 at = Screen(sun.GetFlareLayers()[c.layer]->GetPosition());
        EXPECT_NEAR(at.x, cx + (disc.x - cx) * c.fraction, 0.05f) << c.layer;
        EXPECT_NEAR(at.y, cy + (disc.y - cy) * c.fraction, 0.05f) << c.layer;
    }
    // A layer of length 0 is not drawn.
    EXPECT_EQ(sun.GetFlareLayers()[3]->GetPosition().x, 7.0f);

    // Turned away: the flare keeps drawing while it fades, then stops.
    Look(Vector3(0.0f, 0.0f, 0.0f), Vector3(-1.0f, 0.0f, 0.0f));
    const Vector3 before = sun.GetFlareLayers()[0]->GetPosition();
    sun.RenderLensFlare();
    EXPECT_EQ(sun.GetFlareTarget(), 0.0f);
    sun.Update(0.1f);
    EXPECT_LT(sun.GetFlareIntensity(), 0.5f);
    sun.SetFlareState(0.0f, 1.0f);
    sun.GetFlareLayers()[0]->SetPosition(before.x, before.y, before.z);
    sun.RenderLensFlare();
    EXPECT_EQ(sun.GetFlareTarget(), 0.0f);
    EXPECT_EQ(sun.GetFlareLayers()[0]->GetPosition().x, before.x);
}

TEST_F(SunTest, SunAtTheCentrePutsEveryLayerThere)
{
    kaSun sun;
    sun.Initialize(0.25f, 0.5f, "", 1.0f, Grey(1.0f), Grey(1.0f));
    sun.AddFlareLayer("", 3.0f, 1.0f);
    sun.AddFlareLayer("", -2.0f, 1.0f);
    Look(Vector3(0.0f, 0.0f, 0.0f), Vector3(1.0f, 0.0f, 0.0f));
    sun.RenderLensFlare();
    const Vector3 disc = Screen(sun.GetDisc()->GetPosition());
    for (const kaFlareLayer* layer : sun.GetFlareLayers())
    {
        const Vector3 at = Screen(layer->GetPosition());
        EXPECT_NEAR(at.x, disc.x, 0.05f);
        EXPECT_NEAR(at.y, disc.y, 0.05f);
    }
}

TEST_F(SunTest, ElementRoundTripsWithItsKeysInOrder)
{
    std::unique_ptr<kaSun> sun = ReadSun(kSunXml);
    EXPECT_EQ(sun->GetName(), "Sun");
    ASSERT_EQ(sun->GetFlareLayers().size(), 2u);
    EXPECT_FLOAT_EQ(sun->GetFlareLayers()[1]->m_LayerScale, 3.0f);
    EXPECT_FLOAT_EQ(sun->GetFlareLayers()[1]->GetScale(), 1.0f);
    EXPECT_EQ(sun->GetFlareLayers()[0]->GetRenderState()->m_BlendMode, kaRenderState::kBlendAdd);

    const std::string first = Written(*sun, "Sun");
    EXPECT_EQ(first, std::string(kSunXml));
    std::unique_ptr<kaSun> again = ReadSun(first.c_str());
    EXPECT_EQ(Written(*again, "Sun"), first);

    // No layer list: no layers; values that are no numbers read as missing.
    std::unique_ptr<kaSun> bare = ReadSun("<Sun><position>east</position><scale>4</scale></Sun>");
    EXPECT_TRUE(bare->GetFlareLayers().empty());
    EXPECT_EQ(bare->GetName(), "Sun");
    EXPECT_EQ(bare->GetPosition(), 0.0f);
    EXPECT_EQ(bare->GetScale(), 4.0f);
    EXPECT_EQ(bare->GetDirectional().r, 0.0f);
}

TEST_F(SunTest, RowsListTheSunThenEachLayer)
{
    std::unique_ptr<kaSun> sun = ReadSun(kSunXml);
    const kaPropertyList& rows = sun->GetPropertyList();
    std::vector<std::string> labels;
    for (const auto& row : rows)
        labels.push_back(row->m_Label);
    const std::vector<std::string> expected = {"Name:",
                                               "Collidable:",
                                               "Visible:",
                                               "Selectable:",
                                               "Texture:",
                                               "Position:",
                                               "Axis Tilt:",
                                               "Scale:",
                                               "Red Directional:",
                                               "Green Directional:",
                                               "Blue Directional:",
                                               "Red Ambient:",
                                               "Green Ambient:",
                                               "Blue Ambient:",
                                               "Layer 0 ",
                                               "Texture:",
                                               "Length:",
                                               "Scale:",
                                               "Layer 1 ",
                                               "Texture:",
                                               "Length:",
                                               "Scale:"};
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(rows[4]->m_Folder, "resources/worlds/billboards/");
    EXPECT_TRUE(rows[19]->m_Browse);
    EXPECT_EQ(rows[21]->m_Value, "3");
}

TEST_F(SunTest, EditedRowsStoreAndInitializeOnceWhenTheSunChanged)
{
    struct Case
    {
        const char* label;
        int occurrence; // which row of that label
        const char* value;
        bool relit;
        float position, layerLength, layerScale;
    } cases[] = {
        {"Position:", 0, "0.5", true, 0.5f, 2.0f, 0.75f}, {"Position:", 0, "0.25", false, 0.25f, 2.0f, 0.75f},
        {"Length:", 0, "4", false, 0.25f, 4.0f, 0.75f},   {"Scale:", 1, "6", false, 0.25f, 2.0f, 6.0f},
        {"Scale:", 0, "9", true, 0.25f, 2.0f, 0.75f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.label) + c.value);
        std::unique_ptr<kaSun> sun = ReadSun(kSunXml);
        // A light made afresh has the directional colour again.
        sun->GetLight()->GetLight().Diffuse.r = 0.0625f;
        kaPropertyList rows = sun->GetPropertyList();
        int seen = 0;
        for (auto& row : rows)
            if (row->m_Label == c.label && seen++ == c.occurrence)
                row->m_Value = c.value;
        EXPECT_TRUE(sun->SetPropertyList(rows) || !c.relit);
        EXPECT_EQ(sun->GetLight()->GetLight().Diffuse.r != 0.0625f, c.relit);
        EXPECT_FLOAT_EQ(sun->GetPosition(), c.position);
        EXPECT_FLOAT_EQ(sun->GetFlareLayers()[0]->m_Length, c.layerLength);
        EXPECT_FLOAT_EQ(sun->GetFlareLayers()[0]->m_LayerScale, c.layerScale);
    }
}

TEST_F(SunTest, BadRowsChangeNothing)
{
    std::unique_ptr<kaSun> sun = ReadSun(kSunXml);
    const std::string before = Written(*sun, "Sun");
    sun->GetLight()->GetLight().Diffuse.r = 0.0625f;

    // A layer number outside the list selects nothing: its rows are not the sun's either.
    kaPropertyList rows = sun->GetPropertyList();
    kaPropertyRecord::Append(rows, "Layer 7 ", "");
    kaPropertyRecord::Append(rows, "Length:", "99");
    kaPropertyRecord::Append(rows, "Texture:", "other.dds");
    EXPECT_FALSE(sun->SetPropertyList(rows));
    EXPECT_EQ(Written(*sun, "Sun"), before);

    // A number that does not convert stops before anything is stored, the rows before it included.
    rows = sun->GetPropertyList();
    rows[5]->m_Value = "0.75";
    rows[16]->m_Value = "long";
    EXPECT_THROW(sun->SetPropertyList(rows), ka::bad_lexical_cast);
    EXPECT_EQ(Written(*sun, "Sun"), before);
    EXPECT_EQ(sun->GetLight()->GetLight().Diffuse.r, 0.0625f);
}

} // namespace
