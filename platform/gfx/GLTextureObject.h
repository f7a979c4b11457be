#pragma once

#include "platform/gfx/GLHeaders.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace platform
{

class GLDevice;
class TextureStorage;

// The GL side of a texture: its name, target and the sampling parameters last set on it (GL 2.1 keeps
// sampling with the texture, so the device sets them per draw only when they change).
class GLTextureObject
{
public:
    GLTextureObject(GLDevice* device, GLenum target, const TextureStorage& storage);
    ~GLTextureObject();
    GLTextureObject(const GLTextureObject&) = delete;
    GLTextureObject& operator=(const GLTextureObject&) = delete;

    // Copies one face and level of the storage to GL.
    void Upload(const TextureStorage& storage, uint32_t face, uint32_t level);
    // Copies a rectangle of a 2D texture's level to GL. A level never sent keeps waiting to go whole.
    void UploadRect(const TextureStorage& storage, uint32_t level, const GfxRect& rect);
    // Copies the faces and levels no write has sent yet (their cleared texels); drawing needs them.
    void SendUnsent(const TextureStorage& storage);
    uint32_t UnsentCount() const { return m_UnsentCount; }
    void Orphan() { m_Device = nullptr; }

    GLuint Name() const { return m_Name; }
    GLenum Target() const { return m_Target; }

    // Last values set; 0 means not yet.
    GLint WrapS = 0, WrapT = 0, WrapR = 0;
    GLint MinFilter = 0, MagFilter = 0;
    GLint BaseLevel = -1;
    uint32_t BorderColor = 0;

private:
    void _Specify(const TextureStorage& storage, uint32_t face, uint32_t level, const void* data);

    GLDevice* m_Device;
    GLenum m_Target;
    GLuint m_Name = 0;
    std::vector<bool> m_Unsent;
    uint32_t m_UnsentCount = 0;
};

// Implemented by the back end's textures so the device finds the GL object behind an interface pointer.
class GLTextureSource
{
public:
    virtual GLTextureObject& GLObject() = 0;
    virtual uint32_t SamplingLod() const = 0;

protected:
    ~GLTextureSource() = default;
};

} // namespace platform
