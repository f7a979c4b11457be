#include "platform/gfx/GLTextureObject.h"

#include "platform/gfx/GLDevice.h"
#include "platform/gfx/GLFormat.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/TextureStorage.h"

namespace platform
{

GLTextureObject::GLTextureObject(GLDevice* device, GLenum target, const TextureStorage& storage)
    : m_Device(device), m_Target(target)
{
    m_Device->Activate();
    glGenTextures(1, &m_Name);
    glBindTexture(m_Target, m_Name);
    glTexParameteri(m_Target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(m_Target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(storage.LevelCount()) - 1);
    // Levels are given their size now and their texels when first written or, for any never written, before
    // the first draw that samples them: a new texture is filled at once, and sending its cleared memory
    // first would send every texel twice. Compressed levels take their bytes now.
    GLFormat format;
    const bool deferred = GLFormat::For(storage.Format(), &format) && !format.Compressed;
    m_Unsent.assign(static_cast<size_t>(storage.FaceCount()) * storage.LevelCount(), false);
    for (uint32_t face = 0; face < storage.FaceCount(); ++face)
        for (uint32_t level = 0; level < storage.LevelCount(); ++level)
        {
            if (!deferred)
            {
                Upload(storage, face, level);
                continue;
            }
            _Specify(storage, face, level, nullptr);
            m_Unsent[static_cast<size_t>(face) * storage.LevelCount() + level] = true;
            ++m_UnsentCount;
        }
    m_Device->ForgetTextureBinding();
}

GLTextureObject::~GLTextureObject()
{
    if (m_Device)
    {
        m_Device->Activate();
        m_Device->ForgetTextureBinding();
        glDeleteTextures(1, &m_Name);
    }
}

void GLTextureObject::Upload(const TextureStorage& storage, uint32_t face, uint32_t level)
{
    if (!m_Device)
        return;
    const size_t slot = static_cast<size_t>(face) * storage.LevelCount() + level;
    if (slot < m_Unsent.size() && m_Unsent[slot])
    {
        m_Unsent[slot] = false;
        --m_UnsentCount;
    }
    _Specify(storage, face, level, storage.LevelData(face, level));
}

void GLTextureObject::UploadRect(const TextureStorage& storage, uint32_t level, const GfxRect& rect)
{
    if (!m_Device)
        return;
    // Until its first sending the GL level holds nothing defined: the rest of it must go too, and will.
    if (level < m_Unsent.size() && m_Unsent[level])
        return;
    GLFormat format;
    const TextureStorage::Level& info = storage.LevelInfo(level);
    const uint32_t texelBytes = GfxFormatInfo::BitsPerPixel(storage.Format()) / 8;
    if (m_Target != GL_TEXTURE_2D || !GLFormat::For(storage.Format(), &format) || format.Compressed ||
        texelBytes == 0 || info.RowPitch != info.Width * texelBytes)
    {
        Upload(storage, 0, level);
        return;
    }
    m_Device->Activate();
    m_Device->ForgetTextureBinding();
    glBindTexture(m_Target, m_Name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(info.Width));
    const uint8_t* first = storage.LevelData(0, level) + static_cast<size_t>(rect.Top) * info.RowPitch +
                           static_cast<size_t>(rect.Left) * texelBytes;
    glTexSubImage2D(m_Target, static_cast<GLint>(level), rect.Left, rect.Top, rect.Right - rect.Left,
                    rect.Bottom - rect.Top, format.Format, format.Type, first);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void GLTextureObject::SendUnsent(const TextureStorage& storage)
{
    if (m_UnsentCount == 0 || !m_Device)
        return;
    for (uint32_t face = 0; face < storage.FaceCount(); ++face)
        for (uint32_t level = 0; level < storage.LevelCount(); ++level)
        {
            const size_t slot = static_cast<size_t>(face) * storage.LevelCount() + level;
            if (slot < m_Unsent.size() && m_Unsent[slot])
                Upload(storage, face, level);
        }
    m_Device->ForgetTextureBinding();
}

void GLTextureObject::_Specify(const TextureStorage& storage, uint32_t face, uint32_t level, const void* data)
{
    GLFormat format;
    if (!GLFormat::For(storage.Format(), &format))
        return;
    m_Device->Activate();
    m_Device->ForgetTextureBinding();
    glBindTexture(m_Target, m_Name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const TextureStorage::Level& info = storage.LevelInfo(level);
    const GLint lvl = static_cast<GLint>(level);
    const GLsizei w = static_cast<GLsizei>(info.Width), h = static_cast<GLsizei>(info.Height);
    const GLsizei d = static_cast<GLsizei>(info.Depth);
    const GLsizei size = static_cast<GLsizei>(info.Size);
    if (m_Target == GL_TEXTURE_3D)
    {
        if (format.Compressed)
            glCompressedTexImage3D(m_Target, lvl, format.InternalFormat, w, h, d, 0, size, data);
        else
            glTexImage3D(m_Target, lvl, static_cast<GLint>(format.InternalFormat), w, h, d, 0, format.Format,
                         format.Type, data);
        return;
    }
    const GLenum target = m_Target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : m_Target;
    if (format.Compressed)
        glCompressedTexImage2D(target, lvl, format.InternalFormat, w, h, 0, size, data);
    else
        glTexImage2D(target, lvl, static_cast<GLint>(format.InternalFormat), w, h, 0, format.Format,
                     format.Type, data);
}

} // namespace platform
