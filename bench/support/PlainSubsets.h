#pragma once

#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"
#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

// The plain GL side of a frame benchmark: mesh subsets the engine built, copied into plain GL objects (their
// vertices and indices read back from the device buffers, their texture levels copied, their material and
// blending noted) and drawn by plain GL calls in the order they were added, under the light, ambient
// colour, filters and clear colour the device held after one engine frame. Subsets of one or two modulating
// texture stages, wrapped or clamped, lit or unlit, opaque, alpha-blended or added, depth-tested or not,
// placed in the world or centred on the camera; Add refuses anything else. Steps of the bench's own (a
// shader's draw) take their place among the subsets.
class PlainSubsets
{
public:
    PlainSubsets() = default;
    PlainSubsets(const PlainSubsets&) = delete;
    PlainSubsets& operator=(const PlainSubsets&) = delete;
    ~PlainSubsets()
    {
        for (const Subset& subset : m_Subsets)
        {
            if (subset.step)
                continue;
            glDeleteBuffers(1, &subset.vertices);
            glDeleteBuffers(1, &subset.indices);
        }
        for (const auto& entry : m_Textures)
            glDeleteTextures(1, &entry.second);
    }

    // What the frame takes from the device after the engine's first frame, whose presented picture is
    // given: framebuffer, clear colour (the top left pixel), projection with GL's depth range and D3D9's
    // half pixel, the first light if one is on, ambient colour and filters.
    void ReadFrameState(platform::GfxDevice& device, const platform::FrameCapture& frame, uint32_t width,
                        uint32_t height)
    {
        using namespace platform;
        m_Width = width;
        m_Height = height;
        GLint framebuffer = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        m_Framebuffer = static_cast<GLuint>(framebuffer);
        if (frame.Rows.size() >= 3)
            for (int c = 0; c < 3; ++c)
                m_Clear[c] = frame.Rows[2 - c] / 255.0f;
        Matrix projection;
        device.GetTransform(TS_PROJECTION, &projection);
        Matrix remap;
        remap(2, 2) = 2.0f;
        remap(3, 2) = -1.0f;
        remap(3, 0) = 1.0f / width;
        remap(3, 1) = -1.0f / height;
        m_Projection = projection * remap;
        Light light;
        bool enabled = false;
        m_Lit = GfxSucceeded(device.GetLight(0, &light)) &&
                GfxSucceeded(device.GetLightEnable(0, &enabled)) && enabled &&
                light.Type == LIGHT_DIRECTIONAL;
        if (m_Lit)
        {
            const ColorValue* colours[3] = {&light.Diffuse, &light.Specular, &light.Ambient};
            float* targets[3] = {m_LightDiffuse, m_LightSpecular, m_LightAmbient};
            for (int i = 0; i < 3; ++i)
            {
                targets[i][0] = colours[i]->r;
                targets[i][1] = colours[i]->g;
                targets[i][2] = colours[i]->b;
                targets[i][3] = colours[i]->a;
            }
            // GL takes the direction towards the light, in world space under the view.
            m_LightTowards[0] = -light.Direction.x;
            m_LightTowards[1] = -light.Direction.y;
            m_LightTowards[2] = -light.Direction.z;
        }
        uint32_t ambient = 0, specular = 0, normalize = 0;
        device.GetRenderState(RS_AMBIENT, &ambient);
        device.GetRenderState(RS_SPECULARENABLE, &specular);
        device.GetRenderState(RS_NORMALIZENORMALS, &normalize);
        const uint32_t shifts[4] = {16, 8, 0, 24};
        for (int c = 0; c < 4; ++c)
            m_Ambient[c] = ((ambient >> shifts[c]) & 0xFF) / 255.0f;
        m_Specular = specular != 0;
        m_Normalize = normalize != 0;
        device.GetSamplerState(0, SAMP_MINFILTER, &m_MinFilter);
        device.GetSamplerState(0, SAMP_MAGFILTER, &m_MagFilter);
        device.GetSamplerState(0, SAMP_MIPFILTER, &m_MipFilter);
    }

    // The subset copied, to be drawn placed by the world matrix; false when it is of a kind not copied here.
    bool Add(kaGraphicsManager& manager, const kaMeshSubset& source, const platform::Matrix& world)
    {
        using namespace platform;
        const kaRenderState* state = source.GetRenderState();
        kaVertexBuffer* vertexBuffer = manager.GetVertexBuffer(source.m_VertexBuffer);
        kaIndexBuffer* indexBuffer = manager.GetIndexBuffer(source.m_IndexBuffer);
        if (!state || source.m_pEffect || !vertexBuffer || !indexBuffer || state->GetPassCount() > 1 ||
            state->m_FillMode != 0 ||
            (state->m_BlendMode != kaRenderState::kBlendNormal &&
             state->m_BlendMode != kaRenderState::kBlendAdd) ||
            state->m_DepthFunction != platform::CMP_LESSEQUAL)
            return false;
        Subset subset;
        subset.world = world;
        subset.material = state->GetMaterial();
        subset.lighting = state->m_Lighting;
        subset.blend = state->m_AlphaBlend;
        subset.additive = state->m_BlendMode == kaRenderState::kBlendAdd;
        subset.zTest = state->m_ZTest;
        subset.zWrite = state->m_ZWrite;
        subset.cull = state->m_BackFaceCull;
        const uint32_t fvf = vertexBuffer->GetFVF();
        if ((fvf & FVF_POSITION_MASK) != FVF_XYZ)
            return false;
        subset.stride = static_cast<GLsizei>(vertexBuffer->GetStride());
        int offset = 12;
        if (fvf & FVF_NORMAL)
        {
            subset.normal = offset;
            offset += 12;
        }
        if (fvf & FVF_DIFFUSE)
        {
            subset.colour = offset;
            offset += 4;
        }
        offset += (fvf & FVF_SPECULAR) ? 4 : 0;
        const uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
        for (uint32_t set = 0; set < sets && set < 2; ++set)
            subset.texCoords[set] = offset + static_cast<int>(set) * 8;

        const std::vector<kaTextureStage*>& stages = state->GetStages();
        if (stages.size() > 2)
            return false;
        for (size_t i = 0; i < stages.size(); ++i)
        {
            const kaTextureStage& stage = *stages[i];
            if (stage.blendType != kaTextureStage::kModulate || stage.texCoordIndex >= sets)
                return false;
            subset.stages[i].texture = stage.texture ? _Texture(*stage.texture) : 0;
            if (stage.texture && !subset.stages[i].texture)
                return false;
            // Kept with the copied texture, as GL 2.1 keeps sampling: one texture is not used both ways here.
            if (subset.stages[i].texture)
            {
                glBindTexture(GL_TEXTURE_2D, subset.stages[i].texture);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                                stage.clampU ? GL_CLAMP_TO_EDGE : GL_REPEAT);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                                stage.clampV ? GL_CLAMP_TO_EDGE : GL_REPEAT);
                glBindTexture(GL_TEXTURE_2D, 0);
            }
            subset.stages[i].texCoordSet = static_cast<int>(stage.texCoordIndex);
            subset.stages[i].used = true;
        }

        // The subset's vertices from its base on, and its indices, read back from the device buffers.
        const uint32_t base = manager.GetVertexBufferStart(source.m_VertexBuffer);
        const uint32_t vertexBytes = (source.m_FirstVertex + source.m_VertexCount) * uint32_t(subset.stride);
        const bool strip = source.GetPrimitiveType() == PT_TRIANGLESTRIP;
        subset.primitive = strip ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
        subset.indexCount =
            static_cast<GLsizei>(strip ? source.m_PrimitiveCount + 2 : source.m_PrimitiveCount * 3);
        const uint32_t first = manager.GetIndexBufferStart(source.m_IndexBuffer);
        void* data = nullptr;
        if (GfxFailed(vertexBuffer->GetD3DBuffer()->Lock(base * uint32_t(subset.stride), vertexBytes, &data,
                                                         LOCK_READONLY)))
            return false;
        glGenBuffers(1, &subset.vertices);
        glBindBuffer(GL_ARRAY_BUFFER, subset.vertices);
        glBufferData(GL_ARRAY_BUFFER, vertexBytes, data, GL_STATIC_DRAW);
        vertexBuffer->GetD3DBuffer()->Unlock();
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        if (GfxFailed(indexBuffer->GetD3DBuffer()->Lock(first * 2, uint32_t(subset.indexCount) * 2, &data,
                                                        LOCK_READONLY)))
        {
            glDeleteBuffers(1, &subset.vertices);
            return false;
        }
        glGenBuffers(1, &subset.indices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, subset.indices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, subset.indexCount * 2, data, GL_STATIC_DRAW);
        indexBuffer->GetD3DBuffer()->Unlock();
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        m_Subsets.push_back(subset);
        return true;
    }

    // As Add, drawn under the view without its translation, as the sky is drawn.
    bool AddCentred(kaGraphicsManager& manager, const kaMeshSubset& source, const platform::Matrix& world)
    {
        if (!Add(manager, source, world))
            return false;
        m_Subsets.back().centred = true;
        return true;
    }

    // A draw of the bench's own at this place in the order, given the frame's view; it leaves the fixed
    // pipeline, texture units and buffers as it found them.
    void AddStep(std::function<void(const platform::Matrix&)> step)
    {
        Subset subset;
        subset.step = std::move(step);
        m_Subsets.push_back(std::move(subset));
    }

    // New vertices for the subset added as number index (counting steps), as a frame that moves them sends.
    void WriteVertices(size_t index, const void* vertices, size_t bytes)
    {
        glBindBuffer(GL_ARRAY_BUFFER, m_Subsets.at(index).vertices);
        glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(bytes), vertices);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    // The clear colour the engine clears with, where the first frame's corner does not show it.
    void SetClearColour(uint32_t argb)
    {
        for (int c = 0; c < 3; ++c)
            m_Clear[c] = ((argb >> (16 - 8 * c)) & 0xFF) / 255.0f;
    }

    size_t Count() const { return m_Subsets.size(); }

    // The whole frame under the view: clear, every subset in order, present through the device.
    void Draw(platform::GfxDevice& device, const platform::Matrix& view)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(m_Clear[0], m_Clear[1], m_Clear[2], 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, GLsizei(m_Width), GLsizei(m_Height));
        glDepthRange(0.0, 1.0);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_FOG);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m_Projection.Data());
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(view.Data());
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, m_Ambient);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
        m_Normalize ? glEnable(GL_NORMALIZE) : glDisable(GL_NORMALIZE);
        if (m_Lit)
        {
            glEnable(GL_LIGHT0);
            glLightfv(GL_LIGHT0, GL_DIFFUSE, m_LightDiffuse);
            glLightfv(GL_LIGHT0, GL_SPECULAR, m_LightSpecular);
            glLightfv(GL_LIGHT0, GL_AMBIENT, m_LightAmbient);
            glLightfv(GL_LIGHT0, GL_POSITION, m_LightTowards);
        }
        else
        {
            glDisable(GL_LIGHT0);
        }
        for (GLenum unit : {GLenum(GL_TEXTURE0), GLenum(GL_TEXTURE1)})
        {
            glActiveTexture(unit);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            glDisable(GL_TEXTURE_CUBE_MAP);
            glDisable(GL_TEXTURE_3D);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        platform::Matrix centred = view;
        centred(3, 0) = centred(3, 1) = centred(3, 2) = 0.0f;
        for (const Subset& subset : m_Subsets)
        {
            if (subset.step)
                subset.step(view);
            else
                _DrawSubset(subset, subset.centred ? centred : view);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        for (GLenum unit : {GLenum(GL_TEXTURE1), GLenum(GL_TEXTURE0)})
        {
            glActiveTexture(unit);
            glClientActiveTexture(unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisable(GL_TEXTURE_2D);
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_BLEND);
        // Left as they were before subsets could change them.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        // Presented as the engine presents its frame.
        device.Present();
        glFinish();
    }

private:
    struct Stage
    {
        bool used = false;
        GLuint texture = 0;
        int texCoordSet = 0;
    };
    struct Subset
    {
        GLuint vertices = 0;
        GLuint indices = 0;
        GLenum primitive = GL_TRIANGLES;
        GLsizei indexCount = 0;
        GLsizei stride = 0;
        // Byte offsets in a vertex; -1 when absent.
        int normal = -1;
        int colour = -1;
        int texCoords[2] = {-1, -1};
        Stage stages[2];
        platform::Material material;
        bool lighting = true;
        bool blend = false;
        bool additive = false;
        bool zTest = true;
        bool centred = false;
        bool zWrite = true;
        bool cull = true;
        platform::Matrix world;
        std::function<void(const platform::Matrix&)> step;
    };

    static GLint MinFilter(uint32_t filter, uint32_t mip)
    {
        const bool linear = filter != platform::TEXF_POINT;
        if (mip == platform::TEXF_NONE)
            return linear ? GL_LINEAR : GL_NEAREST;
        if (mip == platform::TEXF_POINT)
            return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }

    void _DrawSubset(const Subset& subset, const platform::Matrix& view)
    {
        glLoadMatrixf(view.Data());
        glMultMatrixf(subset.world.Data());
        subset.cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        subset.blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        glBlendFunc(subset.additive ? GL_ONE : GL_SRC_ALPHA,
                    subset.additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
        subset.zTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        glDepthMask(subset.zWrite ? GL_TRUE : GL_FALSE);
        if (subset.lighting)
        {
            glEnable(GL_LIGHTING);
            const platform::Material& m = subset.material;
            const float diffuse[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
            const float ambient[4] = {m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a};
            const float emissive[4] = {m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a};
            const float on = m_Specular ? 1.0f : 0.0f;
            const float specular[4] = {on * m.Specular.r, on * m.Specular.g, on * m.Specular.b,
                                       on * m.Specular.a};
            glDisable(GL_COLOR_MATERIAL);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
            glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(128.0f, std::max(0.0f, m.Power)));
            // A vertex colour stands for the diffuse material, as the device's defaults have it.
            if (subset.colour >= 0)
            {
                glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
                glEnable(GL_COLOR_MATERIAL);
            }
        }
        else
        {
            glDisable(GL_LIGHTING);
            glDisable(GL_COLOR_MATERIAL);
            // Without a vertex colour an unlit vertex is white.
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        }
        glBindBuffer(GL_ARRAY_BUFFER, subset.vertices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, subset.indices);
        glVertexPointer(3, GL_FLOAT, subset.stride, nullptr);
        if (subset.normal >= 0)
        {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, subset.stride, Offset(subset.normal));
        }
        else
        {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
        if (subset.colour >= 0)
        {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, subset.stride, Offset(subset.colour));
        }
        else
        {
            glDisableClientState(GL_COLOR_ARRAY);
        }
        for (int unit = 0; unit < 2; ++unit)
        {
            const Stage& stage = subset.stages[unit];
            glActiveTexture(GL_TEXTURE0 + unit);
            glClientActiveTexture(GL_TEXTURE0 + unit);
            if (!stage.used)
            {
                glDisable(GL_TEXTURE_2D);
                glDisableClientState(GL_TEXTURE_COORD_ARRAY);
                continue;
            }
            glEnable(GL_TEXTURE_2D);
            // A stage without a texture samples white.
            glBindTexture(GL_TEXTURE_2D, stage.texture ? stage.texture : _White());
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, subset.stride, Offset(subset.texCoords[stage.texCoordSet]));
        }
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
        glDrawElements(subset.primitive, subset.indexCount, GL_UNSIGNED_SHORT, nullptr);
    }

    static const void* Offset(int bytes) { return reinterpret_cast<const void*>(intptr_t(bytes)); }

    GLuint _White()
    {
        if (!m_White)
        {
            const uint32_t white = 0xFFFFFFFFu;
            glGenTextures(1, &m_White);
            glBindTexture(GL_TEXTURE_2D, m_White);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            m_Textures[nullptr] = m_White;
        }
        return m_White;
    }

    // The texture's levels read back into a GL texture of the same texels, once per texture; 0 for a
    // format not copied here.
    GLuint _Texture(kaTexture& texture)
    {
        using namespace platform;
        const auto known = m_Textures.find(&texture);
        if (known != m_Textures.end())
            return known->second;
        GfxTexture* device = texture.GetTexture();
        const uint32_t format = device ? device->GetFormat() : 0;
        if (texture.IsInAtlas() || (format != FMT_A8R8G8B8 && format != FMT_X8R8G8B8))
            return 0;
        GLuint name = 0;
        glGenTextures(1, &name);
        const uint32_t levels = device->GetLevelCount();
        for (uint32_t level = 0; level < levels; ++level)
        {
            SurfaceDesc desc;
            LockedRect locked;
            if (GfxFailed(device->GetLevelDesc(level, &desc)) ||
                GfxFailed(device->LockRect(level, &locked, nullptr, LOCK_READONLY)))
                break;
            // Locking may bind the device's own texture: ours is bound again for each level.
            glBindTexture(GL_TEXTURE_2D, name);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, locked.Pitch / 4);
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level),
                         format == FMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8, static_cast<GLsizei>(desc.Width),
                         static_cast<GLsizei>(desc.Height), 0, GL_BGRA, GL_UNSIGNED_BYTE, locked.Bits);
            device->UnlockRect(level);
        }
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        MinFilter(m_MinFilter, levels > 1 ? m_MipFilter : TEXF_NONE));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        m_MagFilter == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
        m_Textures[&texture] = name;
        return name;
    }

    std::vector<Subset> m_Subsets;
    std::map<const kaTexture*, GLuint> m_Textures;
    GLuint m_White = 0;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    GLuint m_Framebuffer = 0;
    float m_Clear[3] = {0, 0, 0};
    platform::Matrix m_Projection;
    bool m_Lit = false;
    float m_Ambient[4] = {0, 0, 0, 1};
    float m_LightDiffuse[4] = {0, 0, 0, 1};
    float m_LightSpecular[4] = {0, 0, 0, 1};
    float m_LightAmbient[4] = {0, 0, 0, 1};
    float m_LightTowards[4] = {0, 0, 0, 0};
    bool m_Specular = false;
    bool m_Normalize = false;
    uint32_t m_MinFilter = platform::TEXF_LINEAR;
    uint32_t m_MagFilter = platform::TEXF_LINEAR;
    uint32_t m_MipFilter = platform::TEXF_NONE;
};
