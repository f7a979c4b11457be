#include "engine/render/kaRenderState.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/render/kaTexture.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace platform;

namespace
{

// Every stage state a render state may set, in a fixed order for the sentinel fill.
const uint32_t kStageStates[] = {TSS_COLOROP,   TSS_COLORARG0,     TSS_COLORARG1,
                                 TSS_COLORARG2, TSS_ALPHAOP,       TSS_ALPHAARG1,
                                 TSS_RESULTARG, TSS_TEXCOORDINDEX, TSS_TEXTURETRANSFORMFLAGS};
const uint32_t kSentinel = 0xEE;

void ReadXml(kaRenderState& block, const std::string& xml)
{
    TiXmlDocument document;
    document.Parse(xml.c_str());
    ASSERT_NE(document.RootElement(), nullptr);
    block.ReadProperties(document.RootElement());
}

std::string Pair(uint32_t state, uint32_t value)
{
    return std::to_string(state) + " " + std::to_string(value);
}

class RenderStateTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        // The application clock starts at 0, where a float keeps a fraction of a second exactly.
        m_Clock = std::make_unique<ManualClock>();
    }

    void TearDown() override
    {
        m_Manager.reset();
        m_Clock.reset();
        _ResetClockState();
    }

    void StartWith(uint32_t maxTextures, bool temp)
    {
        GfxCaps& caps = m_D3D->Adapters[0].Caps;
        caps.MaxSimultaneousTextures = maxTextures;
        if (temp)
            caps.PrimitiveMiscCaps |= PMISCCAPS_TSSARGTEMP;
        else
            caps.PrimitiveMiscCaps &= ~static_cast<uint32_t>(PMISCCAPS_TSSARGTEMP);
        ASSERT_TRUE(Start(nullptr));
        ASSERT_NE(Device(), nullptr);
    }

    // Every stage state that a render state sets holds a value no render state sends, so that Apply's
    // every request reaches the device and the log shows all of them.
    void FillStagesWithSentinel()
    {
        for (uint32_t stage = 0; stage < 4; ++stage)
            for (uint32_t state : kStageStates)
                m_Manager->SetTextureStageState(stage, state, kSentinel);
        Device()->ClearLog();
    }

    // The same for the render states a block's first pass sets.
    void FillRenderStatesWithSentinel()
    {
        for (uint32_t state : {RS_ZFUNC, RS_ZWRITEENABLE, RS_ALPHABLENDENABLE, RS_ALPHATESTENABLE,
                               RS_LIGHTING, RS_AMBIENTMATERIALSOURCE, RS_DIFFUSEMATERIALSOURCE,
                               RS_SPECULARENABLE, RS_FILLMODE, RS_CULLMODE, RS_ZENABLE, RS_SRCBLEND,
                               RS_DESTBLEND})
            m_Manager->SetRenderState(state, kSentinel);
        Device()->ClearLog();
    }

    // The "state value" pairs sent to one stage, in order.
    std::vector<std::string> StageCalls(uint32_t stage) const
    {
        std::vector<std::string> calls;
        const std::string prefix = std::to_string(stage) + " ";
        for (const std::string& args : CallsOf("SetTextureStageState"))
            if (args.compare(0, prefix.size(), prefix) == 0)
                calls.push_back(args.substr(prefix.size()));
        return calls;
    }

    uint32_t RenderState(uint32_t state) const
    {
        uint32_t value = 0;
        Device()->GetRenderState(state, &value);
        return value;
    }

    uint32_t StageState(uint32_t stage, uint32_t state) const
    {
        uint32_t value = 0;
        Device()->GetTextureStageState(stage, state, &value);
        return value;
    }

    uint32_t SamplerState(uint32_t sampler, uint32_t state) const
    {
        uint32_t value = 0;
        Device()->GetSamplerState(sampler, state, &value);
        return value;
    }

    std::unique_ptr<ManualClock> m_Clock;
};

// --- First pass -----------------------------------------------------------------------------------------

TEST_F(RenderStateTest, DefaultBlockDrawsOpaqueLitDepthTestedAndUntextured)
{
    StartWith(4, false);
    kaRenderState block;
    FillRenderStatesWithSentinel();
    FillStagesWithSentinel();
    ASSERT_TRUE(block.Apply(Device(), 0));

    EXPECT_EQ(RenderState(RS_ZFUNC), static_cast<uint32_t>(CMP_LESSEQUAL));
    EXPECT_EQ(RenderState(RS_ZWRITEENABLE), 1u);
    EXPECT_EQ(RenderState(RS_ZENABLE), static_cast<uint32_t>(ZB_TRUE));
    EXPECT_EQ(RenderState(RS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(RenderState(RS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(RenderState(RS_LIGHTING), 1u);
    EXPECT_EQ(RenderState(RS_AMBIENTMATERIALSOURCE), static_cast<uint32_t>(MCS_COLOR2));
    EXPECT_EQ(RenderState(RS_DIFFUSEMATERIALSOURCE), static_cast<uint32_t>(MCS_COLOR1));
    EXPECT_EQ(RenderState(RS_SPECULARENABLE), 0u);
    EXPECT_EQ(RenderState(RS_FILLMODE), static_cast<uint32_t>(FILL_SOLID));
    EXPECT_EQ(RenderState(RS_CULLMODE), static_cast<uint32_t>(CULL_CCW));
    EXPECT_EQ(StageState(0, TSS_ALPHAOP), static_cast<uint32_t>(TOP_SELECTARG1));
    EXPECT_EQ(StageState(0, TSS_COLORARG1), static_cast<uint32_t>(TA_DIFFUSE));
    EXPECT_EQ(StageState(0, TSS_COLOROP), static_cast<uint32_t>(TOP_SELECTARG1));
    EXPECT_EQ(StageState(0, TSS_RESULTARG), static_cast<uint32_t>(TA_CURRENT));
    for (uint32_t stage = 1; stage < 4; ++stage)
    {
        EXPECT_EQ(StageState(stage, TSS_COLOROP), static_cast<uint32_t>(TOP_DISABLE)) << stage;
        EXPECT_EQ(StageState(stage, TSS_ALPHAOP), static_cast<uint32_t>(TOP_DISABLE)) << stage;
        EXPECT_EQ(StageState(stage, TSS_TEXCOORDINDEX), stage);
    }

    Material material;
    Device()->GetMaterial(&material);
    EXPECT_EQ(material.Diffuse.r, 1.0f);
    EXPECT_EQ(material.Diffuse.a, 1.0f);
    EXPECT_EQ(material.Emissive.a, 0.0f);
}

struct FirstPassCase
{
    const char* name;
    std::function<void(kaRenderState&)> set;
    int pass;
    std::vector<std::pair<uint32_t, uint32_t>> states; // render states, or kStage0 | stage-0 state
};
const uint32_t kStage0 = 0x10000;

TEST_F(RenderStateTest, FirstPassFollowsTheBlock)
{
    StartWith(4, false);
    const FirstPassCase cases[] = {
        {"blend", [](kaRenderState& b) { b.m_AlphaBlend = true; }, 0,
         {{RS_SRCBLEND, BLEND_SRCALPHA}, {RS_DESTBLEND, BLEND_INVSRCALPHA}, {RS_ALPHABLENDENABLE, 1},
          {kStage0 | TSS_ALPHAOP, TOP_MODULATE}}},
        {"add", [](kaRenderState& b) { b.m_AlphaBlend = true; b.m_BlendMode = kaRenderState::kBlendAdd; }, 0,
         {{RS_SRCBLEND, BLEND_ONE}, {RS_DESTBLEND, BLEND_ONE}}},
        // Only a diffuse alpha of exactly one takes the vertex colour.
        {"diffuse", [](kaRenderState& b) { b.SetDiffuse(1.0f, 1.0f, 1.0f, 0.999f); }, 0,
         {{RS_DIFFUSEMATERIALSOURCE, MCS_MATERIAL}}},
        {"ambient", [](kaRenderState& b) { b.m_AmbientFromVertexColor = true; }, 0,
         {{RS_AMBIENTMATERIALSOURCE, MCS_COLOR1}}},
        {"specular", [](kaRenderState& b) { b.SetSpecular(0.5f, 0.25f, 0.125f, 1.0f); b.SetPower(8.0f); }, 0,
         {{RS_SPECULARENABLE, 1}}},
        {"no specular anywhere",
         [](kaRenderState& b) { b.SetPower(8.0f); kaRenderState::SetNoSpecular(true); }, 0,
         {{RS_SPECULARENABLE, 0}}},
        {"depth off",
         [](kaRenderState& b)
         {
             b.m_ZTest = false;
             b.m_ZWrite = false;
             b.m_BackFaceCull = false;
             b.m_FillMode = kaRenderState::kFillWireframe;
         },
         0, {{RS_ZENABLE, ZB_FALSE}, {RS_ZWRITEENABLE, 0}, {RS_CULLMODE, CULL_NONE}, {RS_FILLMODE, FILL_WIREFRAME}}},
        // Later passes multiply onto the first whatever the block.
        {"later pass",
         [](kaRenderState& b)
         {
             b.m_AlphaBlend = true;
             b.m_BlendMode = kaRenderState::kBlendAdd;
             b.m_Lighting = true;
         },
         1,
         {{RS_ZWRITEENABLE, 0}, {RS_ZFUNC, CMP_EQUAL}, {RS_SRCBLEND, BLEND_DESTCOLOR}, {RS_DESTBLEND, BLEND_ZERO},
          {RS_ALPHABLENDENABLE, 1}, {RS_LIGHTING, 0}}},
        // The depth test follows the configured buffer kind.
        {"w buffer", [this](kaRenderState&) { m_Manager->SetDepthMode(2); }, 0, {{RS_ZENABLE, ZB_USEW}}},
    };
    for (const FirstPassCase& c : cases)
    {
        kaRenderState block;
        c.set(block);
        FillRenderStatesWithSentinel();
        FillStagesWithSentinel();
        ASSERT_TRUE(block.Apply(Device(), c.pass)) << c.name;
        kaRenderState::SetNoSpecular(false);
        for (const auto& [state, value] : c.states)
            EXPECT_EQ((state & kStage0) ? StageState(0, state & ~kStage0) : RenderState(state), value)
                << c.name << " " << (state & ~kStage0);
    }
}

TEST_F(RenderStateTest, AnUnknownBlendModeKeepsTheFactorsInForce)
{
    StartWith(4, false);
    kaRenderState block;
    block.m_AlphaBlend = true;
    block.m_BlendMode = kaRenderState::kBlendAdd;
    ASSERT_TRUE(block.Apply(Device(), 0));
    block.m_BlendMode = 2;
    Device()->ClearLog();
    ASSERT_TRUE(block.Apply(Device(), 0));
    EXPECT_EQ(RenderState(RS_SRCBLEND), static_cast<uint32_t>(BLEND_ONE));
    for (const std::string& args : CallsOf("SetRenderState"))
        EXPECT_NE(args.substr(0, args.find(' ')), std::to_string(RS_SRCBLEND));
}

// --- Texture stages -------------------------------------------------------------------------------------

using StageCase = std::tuple<uint32_t, bool>;

class RenderStateStageTest : public RenderStateTest, public ::testing::WithParamInterface<StageCase>
{
};

// The stage-state pairs a record of the blend type sends to its stage (texture-coordinate set 1).
std::vector<std::string> ExpectedStageCalls(uint32_t type, bool temp)
{
    switch (type)
    {
    case 0:
    case 1:
        return {Pair(TSS_COLORARG1, TA_CURRENT), Pair(TSS_COLORARG2, TA_TEXTURE),
                Pair(TSS_COLOROP, TOP_MODULATE), Pair(TSS_RESULTARG, TA_CURRENT),
                Pair(TSS_TEXCOORDINDEX, 1),      Pair(TSS_TEXTURETRANSFORMFLAGS, 0)};
    case 2:
        return {Pair(TSS_COLORARG1, TA_CURRENT), Pair(TSS_COLORARG2, TA_TEXTURE),
                Pair(TSS_COLOROP, TOP_BLENDTEXTUREALPHA), Pair(TSS_RESULTARG, TA_CURRENT),
                Pair(TSS_TEXCOORDINDEX, TSS_TCI_SPHEREMAP)};
    case 3:
        return {Pair(TSS_COLORARG1, TA_CURRENT), Pair(TSS_COLORARG2, TA_TEXTURE),
                Pair(TSS_COLOROP, TOP_MODULATE2X), Pair(TSS_RESULTARG, TA_CURRENT),
                Pair(TSS_TEXCOORDINDEX, 1)};
    case 4:
        return {Pair(TSS_COLORARG1, TA_DIFFUSE), Pair(TSS_COLORARG2, TA_TEXTURE),
                Pair(TSS_COLOROP, TOP_MODULATE), Pair(TSS_RESULTARG, temp ? TA_TEMP : TA_CURRENT),
                Pair(TSS_TEXCOORDINDEX, 1)};
    case 5:
    {
        std::vector<std::string> calls = {Pair(TSS_COLORARG1, TA_DIFFUSE), Pair(TSS_COLORARG2, TA_TEXTURE),
                                          Pair(TSS_COLOROP, TOP_MODULATE), Pair(TSS_RESULTARG, TA_CURRENT)};
        if (temp)
            calls.push_back(Pair(TSS_TEXCOORDINDEX, 1));
        return calls;
    }
    case 6:
        if (temp)
            return {Pair(TSS_COLOROP, TOP_LERP), Pair(TSS_COLORARG0, TA_TEXTURE),
                    Pair(TSS_COLORARG1, TA_CURRENT), Pair(TSS_COLORARG2, TA_TEMP),
                    Pair(TSS_TEXCOORDINDEX, 1)};
        return {Pair(TSS_ALPHAARG1, TA_TEXTURE), Pair(TSS_ALPHAOP, TOP_SELECTARG1),
                Pair(TSS_COLORARG2, TA_CURRENT), Pair(TSS_COLOROP, TOP_SELECTARG2),
                Pair(TSS_RESULTARG, TA_CURRENT), Pair(TSS_TEXCOORDINDEX, 1)};
    default:
        return {};
    }
}

TEST_P(RenderStateStageTest, EachBlendTypeSendsItsStageStatesInOrder)
{
    const uint32_t type = std::get<0>(GetParam());
    const bool temp = std::get<1>(GetParam());
    StartWith(4, temp);
    kaRenderState block;
    block.m_Lighting = false;
    // Where the record under test lands: pass, device stage, and the stages its pass uses.
    int32_t pass = 0;
    uint32_t stage = 1;
    uint32_t used = 2;
    if (type < kaTextureStage::kMixFirst)
    {
        block.AddTexture(nullptr, 0, 0, 0, false, false);
        block.AddTexture(nullptr, 0, type, 1, false, false);
    }
    else
    {
        // The mix stages only draw as the three of a mix.
        for (uint32_t mix : {4u, 5u, 6u})
            block.AddTexture(nullptr, 0, mix, 1, false, false);
        if (temp)
        {
            stage = type - 4;
            used = 3;
        }
        else
        {
            // The first texture ends pass 0; the other two draw as pass 1.
            pass = type == 4 ? 0 : 1;
            stage = type == 6 ? 1 : 0;
            used = type == 4 ? 1 : 2;
        }
    }
    FillStagesWithSentinel();

    ASSERT_TRUE(block.Apply(Device(), pass));
    std::vector<std::string> expected = ExpectedStageCalls(type, temp);
    // An opaque first pass selects stage 0's alpha before any texture stage is set.
    if (pass == 0 && stage == 0)
        expected.insert(expected.begin(), Pair(TSS_ALPHAOP, TOP_SELECTARG1));
    EXPECT_EQ(StageCalls(stage), expected);
    // The mix stages without the temporary register light the pass themselves.
    const bool mixedWithoutTemp = !temp && (type == 5 || type == 6);
    EXPECT_EQ(RenderState(RS_LIGHTING), mixedWithoutTemp ? 1u : 0u);
    if (type == 6 && !temp)
    {
        EXPECT_EQ(RenderState(RS_SRCBLEND), static_cast<uint32_t>(BLEND_SRCALPHA));
        EXPECT_EQ(RenderState(RS_DESTBLEND), static_cast<uint32_t>(BLEND_INVSRCALPHA));
    }
    EXPECT_EQ(StageState(used, TSS_COLOROP), static_cast<uint32_t>(TOP_DISABLE));
    EXPECT_EQ(StageState(used, TSS_TEXCOORDINDEX), used);
}

INSTANTIATE_TEST_SUITE_P(BlendTypes, RenderStateStageTest,
                         ::testing::Combine(::testing::Values(0u, 1u, 2u, 3u, 4u, 5u, 6u),
                                            ::testing::Bool()));

TEST_F(RenderStateTest, SamplingFollowsTheRecordUnlessItKeepsItsOwn)
{
    StartWith(4, false);
    kaRenderState block;
    block.AddTexture(nullptr, 0, 0, 0, true, false);
    m_Manager->SetSamplerState(0, SAMP_MIPFILTER, TEXF_POINT);
    ASSERT_TRUE(block.Apply(Device(), 0));
    EXPECT_EQ(SamplerState(0, SAMP_ADDRESSU), static_cast<uint32_t>(TADDRESS_CLAMP));
    EXPECT_EQ(SamplerState(0, SAMP_ADDRESSV), static_cast<uint32_t>(TADDRESS_WRAP));
    EXPECT_EQ(SamplerState(0, SAMP_MINFILTER), static_cast<uint32_t>(TEXF_LINEAR));
    EXPECT_EQ(SamplerState(0, SAMP_MAGFILTER), static_cast<uint32_t>(TEXF_LINEAR));
    // A stage without a texture has no mip levels to filter between.
    EXPECT_EQ(SamplerState(0, SAMP_MIPFILTER), static_cast<uint32_t>(TEXF_NONE));

    kaRenderState keeping;
    keeping.AddTexture(nullptr, 1, 0, 0, false, true);
    m_Manager->SetSamplerState(0, SAMP_MINFILTER, TEXF_POINT);
    Device()->ClearLog();
    ASSERT_TRUE(keeping.Apply(Device(), 0));
    EXPECT_EQ(SamplerState(0, SAMP_MINFILTER), static_cast<uint32_t>(TEXF_POINT));
    EXPECT_EQ(SamplerState(0, SAMP_ADDRESSV), static_cast<uint32_t>(TADDRESS_CLAMP));
}

TEST_F(RenderStateTest, RecordsOfUnknownTypeUseNoDeviceStage)
{
    StartWith(4, false);
    kaRenderState block;
    block.AddTexture(nullptr, 0, 3, 0, false, false);
    block.AddTexture(nullptr, 0, 9, 0, false, false);
    EXPECT_EQ(block.GetPassStageCounts(), (std::vector<uint32_t>{1}));
    FillStagesWithSentinel();
    ASSERT_TRUE(block.Apply(Device(), 0));
    EXPECT_EQ(StageState(0, TSS_COLOROP), static_cast<uint32_t>(TOP_MODULATE2X));
    EXPECT_EQ(StageState(1, TSS_COLOROP), static_cast<uint32_t>(TOP_DISABLE));
    EXPECT_EQ(StageState(1, TSS_TEXCOORDINDEX), 1u);
}

// --- Stage textures -------------------------------------------------------------------------------------

class RenderStateTextureTest : public RenderStateTest
{
protected:
    void SetUp() override
    {
        RenderStateTest::SetUp();
        StartWith(4, false);
    }

    // A square 24-bit BMP of the given side in the temporary folder.
    std::string Image(const std::string& name, int side)
    {
        imagebytes::Bmp bmp;
        bmp.width = side;
        bmp.height = side;
        for (int y = 0; y < side; ++y)
            bmp.topFirstRows.push_back(imagebytes::Bytes(static_cast<size_t>(side) * 3, 0x80));
        return m_Dir.Write(name, imagebytes::AsString(imagebytes::BmpBytes(bmp)));
    }

};

TEST_F(RenderStateTextureTest, ImagesAppendStagesAndHoldOneReferenceEach)
{
    const std::string wall = Image("wall.bmp", 16);
    auto block = std::make_unique<kaRenderState>();
    ReadXml(*block, "<rs><image>" + wall + "</image><image></image><image>" + m_Dir.File("none.bmp") +
                        "</image><image>" + wall + "</image></rs>");
    ASSERT_EQ(block->GetStages().size(), 2u);
    kaTexture* texture = block->GetTexture(0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(block->GetTexture(1), texture);
    EXPECT_EQ(block->GetStages()[0]->blendType, 0u);
    // One reference for each stage; the loads' own were dropped.
    EXPECT_EQ(texture->GetRefCount(), 2);
    {
        kaRenderState copy(*block);
        EXPECT_EQ(texture->GetRefCount(), 4);
    }
    EXPECT_EQ(texture->GetRefCount(), 2);

    ASSERT_TRUE(block->Apply(Device(), 0));
    GfxBaseTexture* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture->GetBaseTexture());
    EXPECT_EQ(SamplerState(0, SAMP_MIPFILTER), static_cast<uint32_t>(TEXF_NONE));

    const uint32_t number = texture->GetNumber();
    block.reset();
    EXPECT_EQ(m_Manager->GetTextures().count(number), 0u);
}

// An image that loads but cannot become a device texture (wider than an atlas page) keeps its stage,
// drawing nothing: the stages after it stay in their slots with their blending.
TEST_F(RenderStateTextureTest, ATextureWithoutADeviceTextureKeepsItsStage)
{
    imagebytes::Bmp wide;
    wide.width = 1100;
    wide.height = 2;
    wide.topFirstRows.assign(2, imagebytes::Bytes(1100 * 3, 0x40));
    const std::string strip = m_Dir.Write("strip.bmp", imagebytes::AsString(imagebytes::BmpBytes(wide)));
    kaRenderState block;
    ASSERT_NE(block.AddTextureFromFile(strip, true, 0, 0, 0, false, false, 1), nullptr);
    kaTexture* second = block.AddTextureFromFile(Image("detail.bmp", 8), true, 0, 1, 0, false, false, 1);
    ASSERT_EQ(block.GetStages().size(), 2u);
    EXPECT_EQ(block.GetTexture(0)->GetBaseTexture(), nullptr);
    EXPECT_EQ(block.GetTexture(1), second);
    EXPECT_EQ(block.GetStages()[1]->blendType, 1u);
}

TEST_F(RenderStateTextureTest, LoadedTexturesWithMipLevelsFilterBetweenThem)
{
    kaRenderState block;
    kaTexture* texture = block.AddTextureFromFile(Image("mips.bmp", 32), false, 0, 0, 0, false, false, 0);
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->HasMips());
    EXPECT_EQ(texture->GetRefCount(), 1);
    m_Manager->SetSamplerState(0, SAMP_MIPFILTER, TEXF_POINT);
    ASSERT_TRUE(block.Apply(Device(), 0));
    EXPECT_EQ(SamplerState(0, SAMP_MIPFILTER), static_cast<uint32_t>(TEXF_LINEAR));
    EXPECT_EQ(block.AddTextureFromFile("", true, 0, 0, 0, false, false, 1), nullptr);
    EXPECT_EQ(block.GetStages().size(), 1u);
}

TEST_F(RenderStateTextureTest, SetTextureFromFileReplacesEveryStagesTexture)
{
    auto block = std::make_unique<kaRenderState>();
    kaTexture* old = block->AddTextureFromFile(Image("old.bmp", 8), true, 0, 0, 0, false, false, 1);
    ASSERT_NE(old, nullptr);
    const uint32_t oldNumber = old->GetNumber();
    block->AddTexture(nullptr, 0, 3, 1, false, false);
    kaTexture* texture = block->SetTextureFromFile(Image("sky.bmp", 8));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(block->GetTexture(0), texture);
    EXPECT_EQ(block->GetTexture(1), texture);
    EXPECT_EQ(texture->GetRefCount(), 2);
    // The replaced texture lost the stage's reference, its last.
    EXPECT_EQ(m_Manager->GetTextures().count(oldNumber), 0u);
    EXPECT_EQ(block->SetTextureFromFile(m_Dir.File("missing.bmp")), nullptr);
    EXPECT_EQ(block->GetTexture(1), texture);

    const uint32_t number = texture->GetNumber();
    block.reset();
    EXPECT_EQ(m_Manager->GetTextures().count(number), 0u);
    // With no stage to hold it the texture is not kept.
    const size_t textures = m_Manager->GetTextures().size();
    kaRenderState empty;
    EXPECT_EQ(empty.SetTextureFromFile(Image("alone.bmp", 8)), nullptr);
    EXPECT_EQ(m_Manager->GetTextures().size(), textures);
}

TEST_F(RenderStateTextureTest, AnimationFramesShowTheirOwnTextures)
{
    kaRenderState block;
    kaTexture* first = block.AddTextureFromFile(Image("f0.bmp", 8), true, 0, 0, 0, false, false, 1);
    kaTexture* second = block.AddTextureFromFile(Image("f1.bmp", 8), true, 0, 0, 0, false, false, 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, first);
    block.m_Animated = true;
    m_Clock->AdvanceSeconds(0.06);
    ASSERT_TRUE(block.Apply(Device(), 0));
    GfxBaseTexture* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, second->GetBaseTexture());
}

// --- Pass grouping --------------------------------------------------------------------------------------

TEST_F(RenderStateTest, ThreeStagesOnATwoTextureDeviceMakeTwoPasses)
{
    StartWith(2, false);
    kaRenderState block;
    for (int i = 0; i < 3; ++i)
        block.AddTexture(nullptr, 0, 0, static_cast<uint32_t>(i), false, false);
    EXPECT_EQ(block.GetPassCount(), 2);
    EXPECT_EQ(block.GetPassFirstStages(), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(block.GetPassStageCounts(), (std::vector<uint32_t>{2, 1}));

    FillStagesWithSentinel();
    ASSERT_TRUE(block.Apply(Device(), 1));
    // Pass 1 draws the third record on device stage 0 and switches stage 1 off.
    EXPECT_EQ(StageState(0, TSS_TEXCOORDINDEX), 2u);
    EXPECT_EQ(StageState(1, TSS_COLOROP), static_cast<uint32_t>(TOP_DISABLE));
}

TEST_F(RenderStateTest, ThreeStageMixFitsOnePassOnlyWithTheTemporaryRegister)
{
    for (bool temp : {true, false})
    {
        m_Manager.reset();
        StartWith(4, temp);
        kaRenderState mixed;
        for (uint32_t type : {0u, 4u, 5u, 6u})
            mixed.AddTexture(nullptr, 0, type, 0, false, false);
        using Stages = std::vector<uint32_t>;
        EXPECT_EQ(mixed.GetPassStageCounts(), (temp ? Stages{4} : Stages{2, 2}));
        EXPECT_EQ(mixed.GetPassFirstStages(), (temp ? Stages{0} : Stages{0, 2}));
    }
    // Without it the mix splits after its first texture.
    kaRenderState mixed;
    for (uint32_t type : {0u, 4u, 5u, 6u})
        mixed.AddTexture(nullptr, 0, type, 0, false, false);
    FillStagesWithSentinel();
    ASSERT_TRUE(mixed.Apply(Device(), 1));
    EXPECT_EQ(StageState(0, TSS_COLORARG1), static_cast<uint32_t>(TA_DIFFUSE));
    EXPECT_EQ(StageState(1, TSS_COLOROP), static_cast<uint32_t>(TOP_SELECTARG2));
}

TEST_F(RenderStateTest, DeviceWithoutStagesStillGroupsOneStageAPass)
{
    StartWith(0, false);
    kaRenderState block;
    block.AddTexture(nullptr, 0, 0, 0, false, false);
    block.AddTexture(nullptr, 0, 0, 0, false, false);
    EXPECT_EQ(block.GetPassStageCounts(), (std::vector<uint32_t>{1, 1}));
    EXPECT_TRUE(block.Apply(Device(), 5));
}

TEST_F(RenderStateTest, ManyStagesAndPassesSurviveCopiesAndClearing)
{
    // One texture a pass: six stages make six passes, past what a block keeps in itself.
    StartWith(1, false);
    kaRenderState block;
    for (uint32_t i = 0; i < 6; ++i)
        block.AddTexture(nullptr, 0, kaTextureStage::kModulate, i, false, i % 2 == 1);
    const std::vector<uint32_t> firsts{0, 1, 2, 3, 4, 5};
    const std::vector<uint32_t> counts(6, 1);
    EXPECT_EQ(block.GetPassCount(), 6);
    EXPECT_EQ(block.GetPassFirstStages(), firsts);
    EXPECT_EQ(block.GetPassStageCounts(), counts);

    kaRenderState copy(block);
    kaRenderState assigned;
    assigned.AddTexture(nullptr, 0, 0, 0, false, false);
    assigned = block;
    for (const kaRenderState* made : {&copy, &assigned})
    {
        ASSERT_EQ(made->GetStages().size(), 6u);
        for (uint32_t i = 0; i < 6; ++i)
        {
            EXPECT_NE(made->GetStages()[i], block.GetStages()[i]);
            EXPECT_EQ(made->GetStages()[i]->texCoordIndex, i);
            EXPECT_EQ(made->GetStages()[i]->clampV, i % 2 == 1);
        }
        EXPECT_EQ(made->GetPassFirstStages(), firsts);
        EXPECT_EQ(made->GetPassStageCounts(), counts);
    }
    // Changing a copy's record leaves the source's alone.
    copy.GetStages()[0]->texCoordIndex = 7;
    EXPECT_EQ(block.GetStages()[0]->texCoordIndex, 0u);

    FillStagesWithSentinel();
    ASSERT_TRUE(copy.Apply(Device(), 4));
    EXPECT_EQ(StageState(0, TSS_TEXCOORDINDEX), 4u);

    // Stages added after clearing start from the first slot again, with fresh records.
    block.ClearTextures();
    block.AddTexture(nullptr, 0, kaTextureStage::kModulate2x, 0, false, false);
    ASSERT_EQ(block.GetStages().size(), 1u);
    EXPECT_EQ(block.GetStages()[0]->blendType, kaTextureStage::kModulate2x);
    EXPECT_FALSE(block.GetStages()[0]->clampV);
    EXPECT_EQ(block.GetPassStageCounts(), std::vector<uint32_t>{1});
}

TEST_F(RenderStateTest, CopiesKeepStagesAndPasses)
{
    StartWith(2, false);
    kaRenderState block;
    for (int i = 0; i < 3; ++i)
        block.AddTexture(nullptr, 1, 3, 0, true, true);
    block.m_AlphaBlend = true;
    block.SetDiffuse(0.5f, 0.5f, 0.5f, 0.5f);
    kaRenderState copy(block);
    EXPECT_EQ(copy.GetStages().size(), 3u);
    EXPECT_NE(copy.GetStages()[0], block.GetStages()[0]);
    EXPECT_EQ(copy.GetStages()[0]->blendType, 3u);
    EXPECT_TRUE(copy.GetStages()[0]->clampV);
    EXPECT_EQ(copy.GetPassStageCounts(), block.GetPassStageCounts());
    EXPECT_TRUE(copy.m_AlphaBlend);
    EXPECT_EQ(copy.GetMaterial().Diffuse.a, 0.5f);

    kaRenderState assigned;
    assigned.AddTexture(nullptr, 0, 0, 0, false, false);
    assigned = copy;
    EXPECT_EQ(assigned.GetStages().size(), 3u);
    assigned.ClearTextures();
    EXPECT_TRUE(assigned.GetStages().empty());
    EXPECT_EQ(assigned.GetTexture(0), nullptr);
    EXPECT_EQ(assigned.GetPassCount(), 2);
}

// --- Animation ------------------------------------------------------------------------------------------

class RenderStateAnimationTest : public RenderStateTest
{
protected:
    void SetUp() override
    {
        RenderStateTest::SetUp();
        StartWith(4, false);
    }

    std::unique_ptr<kaRenderState> Flipbook(int frames, uint32_t looping, uint32_t direction, float rate)
    {
        auto block = std::make_unique<kaRenderState>();
        for (int i = 0; i < frames; ++i)
            block->AddTexture(nullptr, 0, 0, 0, false, false);
        block->m_Animated = true;
        block->m_Looping = looping;
        block->m_Direction = direction;
        block->m_Rate = rate;
        return block;
    }
};

TEST_F(RenderStateAnimationTest, PeriodEqualToTheRemainderStaysInTheCarry)
{
    auto block = Flipbook(4, 0, kaRenderState::kForward, 20.0f);
    m_Clock->AdvanceSeconds(0.2);
    EXPECT_TRUE(block->Apply(Device(), 0));
    EXPECT_EQ(block->m_Frame, 3);
    // The carried period steps on the next tick.
    m_Clock->AdvanceSeconds(0.01);
    EXPECT_FALSE(block->AdvanceAnimation());
    EXPECT_EQ(block->m_Frame, 4);
}

struct FlipCase
{
    int frames;
    uint32_t looping;
    uint32_t direction;
    float rate;
    double seconds;
    bool shows;
    int frame;
};

TEST_F(RenderStateAnimationTest, FramesFollowTheClock)
{
    const uint32_t F = kaRenderState::kForward, B = kaRenderState::kBackward;
    const FlipCase cases[] = {
        {4, 0, F, 20.0f, 0.25, false, 4},   // finished, nothing to show
        {4, 1, F, 20.0f, 0.56, true, 3},    // 11 periods and a fraction wrap forwards
        {4, 1, B, 20.0f, 0.56, true, 1},    // and backwards
        {3, 0, B, 20.0f, 1.56, true, 0},    // a finished backward run rests on frame 0
        {0, 1, F, 20.0f, 2.0, true, 0},     // no frames
        {3, 1, F, 0.0f, 2.0, true, 0},      // no rate
        {3, 1, F, -5.0f, 2.0, true, 0},     // a rate that runs backwards
        {3, 0, F, 1.0e30f, 1.0e6, false, 3} // a long pause at a huge rate steps at once
    };
    for (const FlipCase& c : cases)
    {
        m_Clock.reset();
        _ResetClockState();
        m_Clock = std::make_unique<ManualClock>();
        auto block = Flipbook(c.frames, c.looping, c.direction, c.rate);
        m_Clock->AdvanceSeconds(c.seconds);
        EXPECT_EQ(block->Apply(Device(), 0), c.shows) << c.frames << " " << c.rate << " " << c.seconds;
        EXPECT_EQ(block->m_Frame, c.frame) << c.frames << " " << c.rate << " " << c.seconds;
        if (c.frames == 0)
        {
            EXPECT_EQ(StageState(0, TSS_COLORARG1), static_cast<uint32_t>(TA_DIFFUSE));
        }
    }
    auto looping = Flipbook(3, 1, F, 1.0e6f);
    m_Clock->AdvanceSeconds(1.0e6);
    EXPECT_TRUE(looping->AdvanceAnimation());
    EXPECT_GE(looping->m_Frame, 0);
    EXPECT_LT(looping->m_Frame, 3);
}

TEST_F(RenderStateAnimationTest, AnimatedBlockShowsTheCurrentFrameOnStageZero)
{
    auto block = Flipbook(4, 1, kaRenderState::kForward, 20.0f);
    block->GetStages()[2]->texCoordIndex = 3;
    FillStagesWithSentinel();
    m_Clock->AdvanceSeconds(0.11);
    ASSERT_TRUE(block->Apply(Device(), 0));
    EXPECT_EQ(block->m_Frame, 2);
    // The frame's own coordinate set is not used: frames always read set 0.
    EXPECT_EQ(StageCalls(0),
              (std::vector<std::string>{Pair(TSS_ALPHAOP, TOP_SELECTARG1), Pair(TSS_COLORARG1, TA_CURRENT),
                                        Pair(TSS_COLORARG2, TA_TEXTURE), Pair(TSS_COLOROP, TOP_MODULATE),
                                        Pair(TSS_RESULTARG, TA_CURRENT), Pair(TSS_TEXTURETRANSFORMFLAGS, 0),
                                        Pair(TSS_TEXCOORDINDEX, 0)}));
}

// --- Properties and init data ---------------------------------------------------------------------------

class RenderStatePropertiesTest : public ::testing::Test
{
protected:
    static void Read(kaRenderState& block, const std::string& xml) { ReadXml(block, xml); }
};

TEST_F(RenderStatePropertiesTest, ReadsEveryKeyAndLeavesMissingOnesAlone)
{
    kaRenderState block;
    Read(block, "<rs><ZTest>0</ZTest><ZWrite>0</ZWrite><sortAlpha>1</sortAlpha><alphaBlend>1</alphaBlend>"
                "<blendMode>Add</blendMode><backFaceCull>0</backFaceCull><lighting>0</lighting></rs>");
    EXPECT_FALSE(block.m_ZTest);
    EXPECT_FALSE(block.m_ZWrite);
    EXPECT_TRUE(block.m_SortAlpha);
    EXPECT_TRUE(block.m_AlphaBlend);
    EXPECT_EQ(block.m_BlendMode, kaRenderState::kBlendAdd);
    EXPECT_FALSE(block.m_BackFaceCull);
    EXPECT_FALSE(block.m_Lighting);
    EXPECT_FALSE(block.m_Animated);

    Read(block, "<rs><blendMode>add</blendMode><ZTest>1</ZTest></rs>");
    EXPECT_EQ(block.m_BlendMode, kaRenderState::kBlendAdd);
    EXPECT_TRUE(block.m_ZTest);
    EXPECT_FALSE(block.m_ZWrite);
    Read(block, "<rs><blendMode>Normal</blendMode></rs>");
    EXPECT_EQ(block.m_BlendMode, kaRenderState::kBlendNormal);
}

TEST_F(RenderStatePropertiesTest, OnlyMinusOneRunsBackwards)
{
    for (const char* value : {"0", "1", "2"})
    {
        kaRenderState block;
        block.m_Direction = kaRenderState::kBackward;
        Read(block, std::string("<rs><direction>") + value + "</direction></rs>");
        EXPECT_EQ(block.m_Direction, kaRenderState::kForward) << value;
        EXPECT_TRUE(block.m_Animated);
    }
    kaRenderState block;
    Read(block, "<rs><direction>-1</direction></rs>");
    EXPECT_EQ(block.m_Direction, kaRenderState::kBackward);
}

TEST_F(RenderStatePropertiesTest, EachAnimationKeyTurnsAnimationOnEvenAtItsDefault)
{
    for (const char* key : {"<rate>20</rate>", "<looping>1</looping>", "<direction>0</direction>"})
    {
        kaRenderState block;
        Read(block, std::string("<rs>") + key + "</rs>");
        EXPECT_TRUE(block.m_Animated) << key;
    }
    kaRenderState block;
    Read(block, "<rs><rate>12.5</rate><looping>7</looping></rs>");
    EXPECT_EQ(block.m_Rate, 12.5f);
    EXPECT_EQ(block.m_Looping, 1u);
    Read(block, "<rs><looping>0</looping></rs>");
    EXPECT_EQ(block.m_Looping, 0u);
}

TEST_F(RenderStatePropertiesTest, ImagesWithoutAGraphicsManagerAddNothing)
{
    kaRenderState block;
    Read(block, "<rs><image>Graphics\\a.tga</image><image></image></rs>");
    EXPECT_TRUE(block.GetStages().empty());
}

TEST_F(RenderStatePropertiesTest, InitDataAppliesIncludedRecordsFirst)
{
    testsupport::TempDir dir;
    dir.Write("InitData/states.xml",
              "<?xml version=\"1.0\"?><root>"
              "<initData><uniqueID>glass</uniqueID><dataType>RenderState</dataType><include>base</include>"
              "<data><lighting>1</lighting><alphaBlend>1</alphaBlend></data></initData>"
              "<initData><uniqueID>base</uniqueID><dataType>RenderState</dataType>"
              "<data><lighting>0</lighting><ZWrite>0</ZWrite></data></initData>"
              "<initData><uniqueID>glass</uniqueID><data><lighting>0</lighting></data></initData>"
              "</root>");
    kaInitDataBase base;
    base.LoadInitData(dir.File("InitData"));

    kaRenderState block;
    block.ApplyInitData("glass");
    EXPECT_TRUE(block.m_Lighting);
    EXPECT_FALSE(block.m_ZWrite);
    EXPECT_TRUE(block.m_AlphaBlend);

    kaRenderState untouched;
    untouched.ApplyInitData("nothing");
    EXPECT_TRUE(untouched.m_ZWrite);
    EXPECT_FALSE(untouched.m_AlphaBlend);
}

} // namespace

// --- Repeated Apply -------------------------------------------------------------------------------------

// Applying a block again sends nothing while nothing has changed; any change in between, to the device
// through the manager or to the block itself, makes it set the device fully again.
TEST_F(RenderStateTest, ApplyingAgainSendsNothingUntilSomethingChanged)
{
    StartWith(4, false);
    kaRenderState twin;
    kaRenderState blended;
    blended.m_AlphaBlend = true;
    kaRenderState shiny;
    shiny.SetDiffuse(0.2f, 0.4f, 0.6f, 1.0f);
    const struct
    {
        const char* between;
        std::function<void(kaRenderState&)> change;
        bool sends;
    } cases[] = {
        {"nothing", [](kaRenderState&) {}, false},
        {"an identical block", [&](kaRenderState&) { twin.Apply(Device(), 0); }, false},
        {"a blended block", [&](kaRenderState&) { blended.Apply(Device(), 0); }, true},
        {"another material", [&](kaRenderState&) { shiny.Apply(Device(), 0); }, true},
        {"a cached setter", [&](kaRenderState&) { m_Manager->SetRenderState(RS_CULLMODE, CULL_NONE); }, true},
        {"a cache reset", [&](kaRenderState&) { m_Manager->ResetStateCache(); }, true},
        {"the block's own depth writes", [](kaRenderState& block) { block.m_ZWrite = false; }, true},
        {"the other pass", [](kaRenderState& block) { block.Apply(nullptr, 1); }, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.between);
        kaRenderState block;
        ASSERT_TRUE(block.Apply(Device(), 0));
        c.change(block);
        Device()->ClearLog();
        ASSERT_TRUE(block.Apply(Device(), 0));
        EXPECT_EQ(!Device()->Calls().empty(), c.sends);
        EXPECT_EQ(RenderState(RS_ALPHABLENDENABLE), 0u);
        EXPECT_EQ(RenderState(RS_CULLMODE), static_cast<uint32_t>(CULL_CCW));
        EXPECT_EQ(RenderState(RS_ZWRITEENABLE), block.m_ZWrite ? 1u : 0u);
        EXPECT_EQ(RenderState(RS_ZFUNC), static_cast<uint32_t>(CMP_LESSEQUAL));
        Material material;
        Device()->GetMaterial(&material);
        EXPECT_EQ(material.Diffuse.r, block.GetMaterial().Diffuse.r);
    }
}
