#pragma once

#include "engine/core/kaSmallVector.h"
#include "engine/render/kaTextureStage.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{
class GfxBaseTexture;
class GfxDevice;
} // namespace platform

class TiXmlElement;
class kaTexture;

// The material block of a mesh subset or a billboard: depth, blending, lighting, culling, fill mode, a
// material and an ordered list of texture stages, grouped into passes by the device's texture limit. The
// stages may also be the frames of a flip-book animation. Apply puts one pass on the device through the
// graphics manager's cached setters.
class kaRenderState
{
public:
    static constexpr const char* kInitDataType = "RenderState";
    static constexpr uint32_t kBlendNormal = 0;
    static constexpr uint32_t kBlendAdd = 1;
    static constexpr uint32_t kFillWireframe = 1;
    static constexpr uint32_t kForward = 0;
    static constexpr uint32_t kBackward = 1;
    static constexpr float kDefaultRate = 20.0f;
    // A record of this type or above uses no device stage.
    static constexpr uint32_t kFirstUnknownBlendType = 7;
    // More frames than one step of the flip-book counts; only reached after an absurd pause.
    static constexpr double kMaxSteps = 1.0e15;

    kaRenderState();
    kaRenderState(const kaRenderState& other);
    kaRenderState& operator=(const kaRenderState& other);
    virtual ~kaRenderState();

    void SetDiffuse(float r, float g, float b, float a);
    void SetAmbient(float r, float g, float b, float a);
    void SetSpecular(float r, float g, float b, float a);
    void SetPower(float power);
    const platform::Material& GetMaterial() const { return m_Material; }

    // Null when n is out of range.
    kaTexture* GetTexture(uint32_t n) const;
    // Releases every stage; the passes stay as they were grouped.
    void ClearTextures();
    // Appends a stage (a null texture is allowed) and groups every stage into passes afresh.
    void AddTexture(kaTexture* texture, uint32_t keepSampling, uint32_t blendType, uint32_t texCoordIndex,
                    bool clampU, bool clampV);
    // Loads through the graphics manager and appends a stage; null for an empty name or a failed load.
    kaTexture* AddTextureFromFile(const std::string& name, bool withoutMips, uint32_t keepSampling,
                                  uint32_t blendType, uint32_t texCoordIndex, bool clampU, bool clampV,
                                  uint32_t option);
    // Loads the texture and puts it into every existing stage, each holding a reference; null when loading
    // failed or there is no stage to hold it.
    kaTexture* SetTextureFromFile(const std::string& name);

    // The keys of one XML element; a missing key leaves its member as it is and every "image" appends a
    // stage. Malformed values throw ka::bad_lexical_cast, which the loader catches.
    virtual void ReadProperties(const TiXmlElement* element);
    // The init-data record of that id, after every record it includes; an unknown id changes nothing.
    void ApplyInitData(const std::string& uniqueId);

    // Steps the flip-book by the time since the last step. False when a non-looping animation has run
    // past its last frame.
    bool AdvanceAnimation();
    // Sets the device for one pass. False only when a finished non-looping animation has nothing to show.
    // Applying the same pass of an unchanged block again, with no state change sent since, sends nothing.
    bool Apply(platform::GfxDevice* device, int32_t pass);
    // Asks the cache for what Apply reads: level 0 the block itself, 1 its stage list, 2 the stages kept
    // outside the block. Each level follows only pointers the level before fetched.
    void Prefetch(int level) const;

    // Blocks drawn after the first pass multiply onto what the first drew.
    int32_t GetPassCount() const { return m_PassCount; }
    std::vector<uint32_t> GetPassFirstStages() const { return m_PassFirstStages.ToVector(); }
    std::vector<uint32_t> GetPassStageCounts() const { return m_PassStageCounts.ToVector(); }
    const std::vector<kaTextureStage*>& GetStages() const { return m_Stages; }

    // A renderer-wide switch that keeps specular highlights off whatever the material says.
    static void SetNoSpecular(bool noSpecular) { s_NoSpecular = noSpecular; }
    static bool IsNoSpecular() { return s_NoSpecular; }

    bool m_AlphaBlend = false;
    bool m_SortAlpha = false;
    bool m_AmbientFromVertexColor = false;
    bool m_Lighting = true;
    uint32_t m_BlendMode = kBlendNormal;
    uint32_t m_FillMode = 0;
    bool m_BackFaceCull = true;
    bool m_ZTest = true;
    bool m_ZWrite = true;
    uint32_t m_DepthFunction = platform::CMP_LESSEQUAL;
    // A sortAlpha block is drawn at once instead of being queued.
    bool m_NoDefer = false;

    bool m_Animated = false;
    int32_t m_Frame = 0;
    float m_Rate = kDefaultRate;
    uint32_t m_Direction = kForward;
    uint32_t m_Looping = 1;

private:
    // The texture side, kept apart so that a block holds textures only through these.
    static void _HoldTexture(kaTexture* texture);
    static void _DropTexture(kaTexture* texture);
    static platform::GfxBaseTexture* _DeviceTexture(const kaTexture* texture);
    static bool _HasMips(const kaTexture* texture);

    void _CopyFrom(const kaRenderState& other);
    // The record for the stage appended next: the first few live in the block itself.
    kaTextureStage* _NewStageRecord();
    void _ReleaseStages();
    void _GroupPasses();
    // Sets device stage `stage` from a record; false when the record uses no stage.
    bool _ApplyStage(const kaTextureStage& record, uint32_t stage, bool tempSupported);

    // Everything Apply reads for one pass, compared whole to tell whether applying it would change anything
    // after the last Apply of any block. Stage records are taken by value along with their textures'
    // device side, so blocks that differ only in where they live (a thousand billboards) compare equal.
    struct AppliedKey
    {
        static constexpr uint32_t kStages = 4;
        struct Stage
        {
            kaTextureStage value;
            platform::GfxBaseTexture* deviceTexture;
            bool mips;
        };
        int32_t pass;
        uint32_t flags;
        uint32_t blendMode;
        uint32_t fillMode;
        uint32_t depthFunction;
        platform::Material material;
        uint32_t stageCount;
        Stage stages[kStages];
    };
    // False when the pass has more stages than a key holds.
    bool _MakeAppliedKey(int32_t pass, AppliedKey& key) const;

    uint32_t m_Reference = 1;
    float m_Reserved[2] = {0.0f, 0.0f};
    float m_TimeCarry = 0.0f;
    float m_LastTime = 0.0f;
    int32_t m_PassCount = 1;
    // A block rarely has more than a few passes or stages: those it has live here rather than on the heap.
    static constexpr size_t kInlinePasses = 4;
    static constexpr size_t kInlineStages = 2;
    kaSmallVector<uint32_t, kInlinePasses> m_PassFirstStages;
    kaSmallVector<uint32_t, kInlinePasses> m_PassStageCounts;
    std::vector<kaTextureStage*> m_Stages;
    kaTextureStage m_InlineStages[kInlineStages];
    platform::Material m_Material;
    static bool s_NoSpecular;
    // The key of the last Apply of any block and the graphics manager's change count right after it; a
    // count of 0 for none.
    static AppliedKey s_AppliedKey;
    static uint64_t s_AppliedChanges;
};
