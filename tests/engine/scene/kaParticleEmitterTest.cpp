#include "engine/scene/kaParticleEmitter.h"

#include "engine/core/kaRandom.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/kaWheelEmitter.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <string>
#include <vector>

using platform::Vector3;

namespace
{

void ReadEmitterXml(kaEntity& entity, const std::string& xml)
{
    TiXmlDocument document;
    document.Parse(("<Entity>" + xml + "</Entity>").c_str());
    ASSERT_NE(document.RootElement(), nullptr) << xml;
    entity.ReadXml(document.RootElement());
}

template <typename T, typename Buffer> std::vector<T> ReadBack(Buffer* buffer, size_t count)
{
    std::vector<T> values(count);
    void* data = nullptr;
    if (!buffer || platform::GfxFailed(buffer->Lock(0, static_cast<uint32_t>(count * sizeof(T)), &data, 0)))
        return {};
    std::memcpy(values.data(), data, count * sizeof(T));
    buffer->Unlock();
    return values;
}

void ExpectNearPoint(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

} // namespace

// Emission and particle life need no device.
TEST(ParticleEmitterTest, EmitsWhatIsDueIntoFreeSlotsOnly)
{
    const struct
    {
        float rate;
        int32_t pool;
        float dt;
        std::vector<int32_t> live;   // after each update
        std::vector<float> emitTime; // after each update
    } cases[] = {
        // 0.5 due after the first step, one after the second, and the clock restarts.
        {10.0f, 8, 0.05f, {0, 1, 1, 2}, {0.05f, 0.0f, 0.05f, 0.0f}},
        // No rate: the time never accumulates.
        {0.0f, 8, 0.5f, {0, 0}, {0.0f, 0.0f}},
        {-3.0f, 8, 0.5f, {0, 0}, {0.0f, 0.0f}},
        // Ten due, three free: three start, the rest is dropped with the time.
        {100.0f, 3, 0.1f, {3, 3}, {0.0f, 0.1f}},
        // A pause long enough to overflow an int32 count still fills only the pool.
        {1.0e9f, 4, 50.0f, {4}, {0.0f}},
    };
    for (const auto& c : cases)
    {
        kaParticleEmitter emitter;
        ReadEmitterXml(emitter,
                       "<lifeTime>100</lifeTime><maxParticles>" + std::to_string(c.pool) + "</maxParticles>");
        emitter.SetEmitRate(c.rate);
        for (size_t i = 0; i < c.live.size(); ++i)
        {
            emitter.Update(c.dt);
            EXPECT_EQ(emitter.GetLiveCount(), c.live[i]) << c.rate << " step " << i;
            EXPECT_NEAR(emitter.GetEmitTime(), c.emitTime[i], 1e-5f) << c.rate << " step " << i;
        }
    }
}

TEST(ParticleEmitterTest, SwapsADeadParticleOutAndLeavesTheMovedOneForTheNextUpdate)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(emitter, "<useGravity>0</useGravity><maxParticles>3</maxParticles><lifeTime>10</lifeTime>"
                            "<emitRate>1000</emitRate>");
    emitter.Update(0.01f);
    ASSERT_EQ(emitter.GetLiveCount(), 3);
    emitter.SetEmitRate(0.0f);
    for (int32_t i = 0; i < 3; ++i)
    {
        emitter.GetParticle(i).m_Position = Vector3(static_cast<float>(i), 0.0f, 0.0f);
        emitter.GetParticle(i).m_Velocity = Vector3(0.0f, 1.0f, 0.0f);
    }
    emitter.GetParticle(0).m_Life = 0.05f;

    emitter.Update(0.1f);
    ASSERT_EQ(emitter.GetLiveCount(), 2);
    // The last particle took slot 0 unmoved; slot 1 moved on.
    ExpectNearPoint(emitter.GetParticle(0).m_Position, Vector3(2.0f, 0.0f, 0.0f));
    ExpectNearPoint(emitter.GetParticle(1).m_Position, Vector3(1.0f, 0.1f, 0.0f));
    emitter.Update(0.1f);
    ExpectNearPoint(emitter.GetParticle(0).m_Position, Vector3(2.0f, 0.1f, 0.0f));
}

TEST(ParticleEmitterTest, FadesScaleAndColourOverTheLifeUnderGravity)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(emitter,
                   "<maxParticles>1</maxParticles><lifeTime>2</lifeTime><emitRate>100</emitRate>"
                   "<gravity><y>-10</y></gravity><scaleXStart>1</scaleXStart><scaleXEnd>3</scaleXEnd>"
                   "<scaleYEnd>0</scaleYEnd><colorStart><r>255</r><g>0</g><b>0</b><a>255</a></colorStart>"
                   "<colorEnd><r>0</r><g>0</g><b>255</b><a>0</a></colorEnd>");
    emitter.Update(0.5f);
    ASSERT_EQ(emitter.GetLiveCount(), 1);
    const kaParticle& p = emitter.GetParticle(0);
    // A quarter of the life has passed.
    EXPECT_NEAR(p.m_ScaleX, 1.5f, 1e-5f);
    EXPECT_NEAR(p.m_ScaleY, 0.75f, 1e-5f);
    EXPECT_NEAR(p.m_Color[0], 0.75f, 1e-5f);
    EXPECT_NEAR(p.m_Color[2], 0.25f, 1e-5f);
    EXPECT_NEAR(p.m_Color[3], 0.75f, 1e-5f);
    ExpectNearPoint(p.m_Velocity, Vector3(0.0f, -5.0f, 0.0f));
    ExpectNearPoint(p.m_Position, Vector3(0.0f, -2.5f, 0.0f));
}

TEST(ParticleEmitterTest, AnEmitterCulledByItsBoxBoxesItsParticles)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(emitter,
                   "<alwaysVisible>0</alwaysVisible><useGravity>0</useGravity><maxParticles>2</maxParticles>"
                   "<lifeTime>10</lifeTime><emitRate>1000</emitRate><position><x>5</x></position>");
    emitter.Update(0.002f);
    emitter.SetEmitRate(0.0f);
    ASSERT_EQ(emitter.GetLiveCount(), 2);
    emitter.GetParticle(0).m_Position = Vector3(8.0f, 1.0f, 0.0f);
    emitter.GetParticle(1).m_Position = Vector3(5.0f, -3.0f, 2.0f);
    emitter.Update(0.001f);
    const kaBoundingBox* box = emitter.GetBoundingBox();
    ASSERT_NE(box, nullptr);
    // The emitter at (5, 0, 0) and two quads of half size 1.
    ExpectNearPoint(box->m_Min, Vector3(4.0f, -4.0f, -1.0f));
    ExpectNearPoint(box->m_Max, Vector3(9.0f, 2.0f, 3.0f));
    ExpectNearPoint(box->m_Centre, Vector3(6.5f, -1.0f, 1.0f));
    ExpectNearPoint(box->m_Corners[7], box->m_Max);
}

TEST(ParticleEmitterTest, PacksColoursClampedAndRounded)
{
    const struct
    {
        float color[4];
        uint32_t packed;
    } cases[] = {
        {{0.5f, 1.2f, -0.1f, 1.0f}, 0xFF80FF00u},
        {{0.0f, 0.0f, 0.0f, 0.5f}, 0x80000000u},
        {{1.0f, 0.999f, 0.002f, 0.0f}, 0x00FFFF01u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kaParticleEmitter::PackColor(c.color), c.packed) << std::hex << c.packed;
}

TEST(ParticleEmitterTest, ReadsTheKeysAndTakesEndsAgainstTheHeldStart)
{
    const struct
    {
        std::string xml;
        float scaleXStart, scaleXChange, scaleYStart, scaleYChange;
        Vector3 position;
        Vector3 gravity;
    } cases[] = {
        {"<scaleXEnd>3</scaleXEnd>", 1.0f, 2.0f, 1.0f, 0.0f, {0, 0, 0}, {0, -9.8f, 0}},
        {"<scaleXStart>2</scaleXStart><scaleXEnd>3</scaleXEnd><scaleYStart>4</scaleYStart>",
         2.0f,
         1.0f,
         4.0f,
         0.0f,
         {0, 0, 0},
         {0, -9.8f, 0}},
        // A missing coordinate of "position" is 0; one of "gravity" keeps its value.
        {"<position><x>5</x><z>-1</z></position><gravity><x>2</x></gravity>",
         1.0f,
         0.0f,
         1.0f,
         0.0f,
         {5, 0, -1},
         {2, -9.8f, 0}},
    };
    for (const auto& c : cases)
    {
        kaParticleEmitter emitter;
        ReadEmitterXml(emitter, c.xml);
        EXPECT_FLOAT_EQ(emitter.GetScaleXStart(), c.scaleXStart) << c.xml;
        EXPECT_FLOAT_EQ(emitter.GetScaleXChange(), c.scaleXChange) << c.xml;
        EXPECT_FLOAT_EQ(emitter.GetScaleYStart(), c.scaleYStart) << c.xml;
        EXPECT_FLOAT_EQ(emitter.GetScaleYChange(), c.scaleYChange) << c.xml;
        ExpectNearPoint(emitter.GetPosition(), c.position);
        ExpectNearPoint(emitter.GetGravity(), c.gravity);
    }
}

TEST(ParticleEmitterTest, RotationComposesOntoTheHeldOneAndKeepsThePosition)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(emitter,
                   "<position><x>1</x><y>2</y><z>3</z></position><rotation><y>1.5707963</y></rotation>");
    // A quarter turn about Y takes the first axis from +x to -z.
    ExpectNearPoint(
        Vector3(emitter.GetTransform()(0, 0), emitter.GetTransform()(0, 1), emitter.GetTransform()(0, 2)),
        Vector3(0.0f, 0.0f, -1.0f));
    ReadEmitterXml(emitter, "<rotation><y>1.5707963</y></rotation>");
    ExpectNearPoint(
        Vector3(emitter.GetTransform()(0, 0), emitter.GetTransform()(0, 1), emitter.GetTransform()(0, 2)),
        Vector3(-1.0f, 0.0f, 0.0f));
    ExpectNearPoint(emitter.GetPosition(), Vector3(1.0f, 2.0f, 3.0f));
}

TEST(ParticleEmitterTest, DrawsOneRandomNumberPerNonZeroSpread)
{
    const struct
    {
        float spreadX, spreadZ;
        int draws;
    } cases[] = {{0.0f, 0.0f, 0}, {2.0f, 0.0f, 1}, {0.0f, 2.0f, 1}, {2.0f, 2.0f, 2}};
    for (const auto& c : cases)
    {
        kaParticleEmitter emitter;
        ReadEmitterXml(
            emitter, "<maxParticles>1</maxParticles><startVelocityFor>3</startVelocityFor><startVelocityX>" +
                         std::to_string(c.spreadX) + "</startVelocityX><startVelocityZ>" +
                         std::to_string(c.spreadZ) + "</startVelocityZ>");
        SetRandomSeed(77);
        std::vector<float> expected;
        for (int i = 0; i <= c.draws; ++i)
            expected.push_back(RandomFloat());
        SetRandomSeed(77);
        emitter.InitParticle(0);
        EXPECT_EQ(RandomFloat(), expected.back()) << c.spreadX << " " << c.spreadZ;
        EXPECT_FLOAT_EQ(emitter.GetBaseStartVelocity(), 3.0f);
        // Along the first axis at the start speed, spread along the others by (r - 0.5) x spread.
        const Vector3& v = emitter.GetParticle(0).m_Velocity;
        EXPECT_FLOAT_EQ(v.x, 3.0f);
        EXPECT_FLOAT_EQ(v.y, c.spreadX > 0 ? (expected[0] - 0.5f) * c.spreadX : 0.0f);
        EXPECT_FLOAT_EQ(v.z, c.spreadZ > 0 ? (expected[c.draws - 1] - 0.5f) * c.spreadZ : 0.0f);
    }
}

TEST(ParticleEmitterTest, WrittenKeysReadBack)
{
    kaParticleEmitter original;
    ReadEmitterXml(
        original,
        "<alignToVelocity>1</alignToVelocity><useGravity>0</useGravity><maxParticles>7</maxParticles>"
        "<lifeTime>2.5</lifeTime><emitRate>4</emitRate><alwaysVisible>0</alwaysVisible>"
        "<position><x>1</x><y>-2</y><z>3</z></position>");
    TiXmlElement written("Entity");
    original.WriteXml(&written);
    kaParticleEmitter copy;
    copy.ReadXml(&written);
    EXPECT_TRUE(copy.GetAlignToVelocity());
    EXPECT_FALSE(copy.GetUseGravity());
    EXPECT_EQ(copy.GetMaxParticles(), 7);
    EXPECT_FLOAT_EQ(copy.GetLifeTime(), 2.5f);
    EXPECT_FLOAT_EQ(copy.GetEmitRate(), 4.0f);
    EXPECT_FALSE(copy.IsAlwaysVisible());
    EXPECT_NE(copy.GetBoundingBox(), nullptr);
    ExpectNearPoint(copy.GetPosition(), Vector3(1.0f, -2.0f, 3.0f));
}

TEST(WheelEmitterTest, RateFollowsRollSpeedBetweenTheThresholds)
{
    const struct
    {
        float min, max, speed, rate;
    } cases[] = {
        {2, 6, 1, 0},
        {2, 6, 4, 5},
        {2, 6, 6, 10},
        {2, 6, 8, 10},
        // Equal thresholds: all or nothing.
        {3, 3, 2, 0},
        {3, 3, 3, 0},
        {3, 3, 4, 10},
    };
    for (const auto& c : cases)
    {
        kaWheelEmitter emitter;
        ReadEmitterXml(emitter, "<emitRate>10</emitRate><rollThresholdMin>" + std::to_string(c.min) +
                                    "</rollThresholdMin><rollThresholdMax>" + std::to_string(c.max) +
                                    "</rollThresholdMax><slipIntensity>0.3</slipIntensity>");
        emitter.SetRollSpeed(c.speed);
        EXPECT_FLOAT_EQ(emitter.GetEmitRate(), c.rate) << c.min << ".." << c.max << " at " << c.speed;
        EXPECT_FLOAT_EQ(emitter.GetBaseEmitRate(), 10.0f);
        EXPECT_FLOAT_EQ(emitter.GetSlipIntensity(), 0.3f);
    }
}

// Buffers and drawing through the recording device.
class ParticleEmitterDrawTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        m_Manager->GetDevice()->BeginScene();
    }
    void TearDown() override { m_Manager->GetDevice()->EndScene(); }
};

TEST_F(ParticleEmitterDrawTest, SizesBuffersToTheBoundedPoolAndIndexesTwoTrianglesAQuad)
{
    const struct
    {
        int32_t asked;
        int32_t pool;
    } cases[] = {{0, 0}, {-4, 0}, {3, 3}, {20000, 16384}};
    for (const auto& c : cases)
    {
        kaParticleEmitter emitter;
        ReadEmitterXml(emitter, "<maxParticles>" + std::to_string(c.asked) + "</maxParticles>");
        EXPECT_EQ(emitter.GetMaxParticles(), c.pool);
        ASSERT_EQ(emitter.GetIndexBuffer() != nullptr, c.pool > 0) << c.asked;
        if (c.pool == 0)
            continue;
        EXPECT_EQ(emitter.GetVertexBuffer()->GetCapacity(), 4u * static_cast<uint32_t>(c.pool));
        EXPECT_EQ(emitter.GetVertexBuffer()->GetFVF(), 322u);
        EXPECT_EQ(emitter.GetVertexBuffer()->GetStride(), 24u);
        const std::vector<uint16_t> indices =
            ReadBack<uint16_t>(emitter.GetIndexBuffer()->GetD3DBuffer(), 6u * static_cast<size_t>(c.pool));
        ASSERT_EQ(indices.size(), 6u * static_cast<size_t>(c.pool));
        for (int32_t k : {0, c.pool - 1})
        {
            const uint16_t* quad = &indices[6u * static_cast<size_t>(k)];
            const auto first = static_cast<uint16_t>(4 * k);
            const std::vector<uint16_t> expected = {first, uint16_t(first + 1), uint16_t(first + 2),
                                                    first, uint16_t(first + 2), uint16_t(first + 3)};
            EXPECT_EQ(std::vector<uint16_t>(quad, quad + 6), expected) << "quad " << k;
        }
    }
}

TEST_F(ParticleEmitterDrawTest, DrawsLiveQuadsFacingTheViewOrAlongTheirVelocity)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(
        emitter,
        "<maxParticles>4</maxParticles><useGravity>0</useGravity><alignToVelocity>1</alignToVelocity>"
        "<lifeTime>100</lifeTime><emitRate>0</emitRate>");
    emitter.Render();
    EXPECT_TRUE(Device()->Draws().empty()) << "nothing live, nothing drawn";

    emitter.SetEmitRate(1000.0f);
    emitter.Update(0.002f);
    emitter.SetEmitRate(0.0f);
    ASSERT_EQ(emitter.GetLiveCount(), 2);
    kaParticle& moving = emitter.GetParticle(0);
    moving.m_Position = Vector3(10.0f, 0.0f, 0.0f);
    moving.m_Velocity = Vector3(3.0f, 0.0f, 0.0f);
    moving.m_ScaleX = 2.0f;
    kaParticle& resting = emitter.GetParticle(1);
    resting.m_Position = Vector3(0.0f, 5.0f, 0.0f);
    resting.m_Velocity = Vector3(0.0f, 0.0f, 0.0f);
    const float half[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    std::copy(half, half + 4, resting.m_Color);

    emitter.Render();
    ASSERT_EQ(Device()->Draws().size(), 1u);
    const platform::TestDevice::Draw& draw = Device()->Draws().back();
    EXPECT_TRUE(draw.Indexed);
    EXPECT_EQ(draw.NumVertices, 8u);
    EXPECT_EQ(draw.PrimitiveCount, 4u);
    EXPECT_EQ(draw.Start, 0u);

    const auto vertices = ReadBack<VERTEX_WORLDPOS_DIFFUSE_UV>(emitter.GetVertexBuffer()->GetD3DBuffer(), 8);
    ASSERT_EQ(vertices.size(), 8u);
    // Identity view: right is +x, up is +y. The moving quad's up is against its velocity.
    const struct
    {
        Vector3 corner;
        float u, v;
    } expected[8] = {
        {{11, 0, 0}, 1, 0}, {{13, 0, 0}, 1, 1}, {{9, 0, 0}, 0, 1},  {{7, 0, 0}, 0, 0},
        {{1, 6, 0}, 1, 0},  {{1, 4, 0}, 1, 1},  {{-1, 4, 0}, 0, 1}, {{-1, 6, 0}, 0, 0},
    };
    for (size_t i = 0; i < 8; ++i)
    {
        ExpectNearPoint(Vector3(vertices[i].x, vertices[i].y, vertices[i].z), expected[i].corner);
        EXPECT_EQ(vertices[i].tex.uv[0][0], expected[i].u) << i;
        EXPECT_EQ(vertices[i].tex.uv[0][1], expected[i].v) << i;
    }
    EXPECT_EQ(vertices[4].diffuse, 0x80808080u);
}

TEST_F(ParticleEmitterDrawTest, ARestoredDeviceGetsFreshBuffers)
{
    kaParticleEmitter emitter;
    ReadEmitterXml(emitter, "<maxParticles>2</maxParticles>");
    emitter.ReleaseDeviceObjects();
    EXPECT_EQ(emitter.GetVertexBuffer(), nullptr);
    EXPECT_EQ(emitter.GetIndexBuffer(), nullptr);
    emitter.CreateDeviceObjects();
    ASSERT_NE(emitter.GetIndexBuffer(), nullptr);
    const std::vector<uint16_t> indices = ReadBack<uint16_t>(emitter.GetIndexBuffer()->GetD3DBuffer(), 12);
    EXPECT_EQ(indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7}));
}
