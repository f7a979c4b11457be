#pragma once

#include "engine/render/kaRenderState.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaParticle.h"

#include "platform/gfx/math/Matrix.h"

#include <cstdint>
#include <memory>
#include <string>

class kaIndexBuffer;
class kaVertexBuffer;

// A fixed pool of camera-facing textured quads: particles are emitted at a rate from the emitter's
// position along its axes, fall under an optional gravity, grow or shrink and change colour from start to
// end values over a fixed life, and are all drawn by one indexed draw. The pool is allocated once by
// Create; the frame allocates nothing and removes a dead particle by moving the last live one into its
// slot.
class kaParticleEmitter : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    // 16-bit indices reach four corners of this many quads.
    static constexpr int32_t kMaxParticles = 16384;
    static constexpr uint32_t kCornersPerParticle = 4;
    static constexpr uint32_t kIndicesPerParticle = 6;
    static constexpr float kDefaultGravityY = -9.8f;
    static constexpr float kDefaultLifeTime = 5.0f;
    // XML colour channels are bytes.
    static constexpr float kColorScale = 0.003921569f;

    kaParticleEmitter();
    ~kaParticleEmitter() override;

    // After the base block the emitter's own keys, each only when present; ends in Create.
    void ReadXml(const TiXmlElement* element) override;
    // The base block, then the keys a world file needs; the rest comes from the init-data record.
    void WriteXml(TiXmlElement* element) const override;
    void Render() override;
    void Update(float dt) override;
    // Null while the emitter is always visible; otherwise it follows the particles at each update.
    kaBoundingBox* GetBoundingBox() override;
    // The buffers, for a pool of at least one particle.
    void CreateDeviceObjects() override;
    void ReleaseDeviceObjects() override;

    // Sizes the pool (cut to 0 .. kMaxParticles) and remakes every particle and the buffers. A rotation
    // replaces the transform (position 0) before a position is set; either may be null.
    virtual void Create(int32_t maxParticles, bool alwaysVisible, const float* position,
                        const float* rotation);
    // Starts the particle at the emitter with the start velocity, its spreads and the start scales.
    virtual void InitParticle(int32_t index);
    virtual void SetPosition(float x, float y, float z);
    // The transform becomes the rotation; the position stays.
    virtual void SetRotation(float qx, float qy, float qz, float qw);
    virtual void SetPositionRotation(float x, float y, float z, float qx, float qy, float qz, float qw);

    // Accumulates time and starts as many particles as are due and fit; a leftover fraction is dropped.
    void Emit(float dt);
    // The last live particle takes the slot.
    void RemoveParticle(int32_t index);
    // The render state's only texture.
    void SetTexture(const std::string& fileName);

    // A colour as packed ARGB, each channel clamped to 0 .. 1 and rounded.
    static uint32_t PackColor(const float color[4]);

    int32_t GetMaxParticles() const { return m_MaxParticles; }
    int32_t GetLiveCount() const { return m_LiveCount; }
    const kaParticle& GetParticle(int32_t index) const { return m_Particles[static_cast<size_t>(index)]; }
    kaParticle& GetParticle(int32_t index) { return m_Particles[static_cast<size_t>(index)]; }
    float GetEmitTime() const { return m_EmitTime; }
    float GetEmitRate() const { return m_EmitRate; }
    void SetEmitRate(float rate) { m_EmitRate = rate; }
    float GetBaseEmitRate() const { return m_BaseEmitRate; }
    float GetStartVelocity() const { return m_StartVelocityFor; }
    void SetStartVelocity(float speed) { m_StartVelocityFor = speed; }
    float GetBaseStartVelocity() const { return m_BaseStartVelocityFor; }
    float GetLifeTime() const { return m_LifeTime; }
    bool GetAlignToVelocity() const { return m_AlignToVelocity; }
    bool GetUseGravity() const { return m_UseGravity; }
    const platform::Vector3& GetGravity() const { return m_Gravity; }
    bool IsAlwaysVisible() const { return !m_pBoundingBox; }
    const platform::Matrix& GetTransform() const { return m_Transform; }
    platform::Vector3 GetPosition() const;
    float GetScaleXStart() const { return m_ScaleXStart; }
    float GetScaleXChange() const { return m_ScaleXChange; }
    float GetScaleYStart() const { return m_ScaleYStart; }
    float GetScaleYChange() const { return m_ScaleYChange; }
    const float* GetColorStart() const { return m_ColorStart; }
    const float* GetColorEnd() const { return m_ColorEnd; }
    kaRenderState& GetRenderState() { return m_RenderState; }
    kaVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer.get(); }
    kaIndexBuffer* GetIndexBuffer() const { return m_pIndexBuffer.get(); }

protected:
    void _ReadRotation(const TiXmlElement* element);
    // The entity's step, the emission, then every particle moves, ages, grows and fades, or dies.
    void _UpdateParticles(float dt, bool useGravity);
    // The box spans the emitter and its live quads, and the world files the emitter by it.
    void _FitBoundingBox();
    // Writes every live particle's quad; false when the buffer would not lock.
    bool _WriteQuads(const platform::Matrix& view, uint32_t& startVertex);

    bool m_AlignToVelocity = false;
    // Seconds since the last emission.
    float m_EmitTime = 0.0f;
    platform::Vector3 m_Gravity{0.0f, kDefaultGravityY, 0.0f};
    bool m_UseGravity = true;
    int32_t m_MaxParticles = 0;
    // The live particles are the first this many of the pool.
    int32_t m_LiveCount = 0;
    float m_LifeTime = kDefaultLifeTime;
    // The rate in force, and the one read, which derived emitters scale.
    float m_EmitRate = 1.0f;
    float m_BaseEmitRate = 1.0f;
    // Present exactly while the emitter is not always visible.
    std::unique_ptr<kaBoundingBox> m_pBoundingBox;
    std::unique_ptr<kaParticle[]> m_Particles;
    kaRenderState m_RenderState;
    std::unique_ptr<kaVertexBuffer> m_pVertexBuffer;
    std::unique_ptr<kaIndexBuffer> m_pIndexBuffer;
    // Start speed along the first axis, and random spreads along the second and third.
    float m_StartVelocityFor = 0.0f;
    float m_StartVelocityX = 0.0f;
    float m_StartVelocityZ = 0.0f;
    // The start speed read, which the game scales as it scales the rate.
    float m_BaseStartVelocityFor = 0.0f;
    // Rows 0 to 2 are the emitter's axes, row 3 its position.
    platform::Matrix m_Transform;
    float m_ScaleYStart = 1.0f;
    float m_ScaleYChange = 0.0f;
    float m_ScaleXStart = 1.0f;
    float m_ScaleXChange = 0.0f;
    float m_ColorStart[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_ColorEnd[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
