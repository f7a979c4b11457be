#define GL_GLEXT_PROTOTYPES 1
#include "platform/gfx/GLDirect3D.h"
#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/MemoryVertexBuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace platform;

namespace
{

struct RhwVertex
{
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
constexpr uint32_t kRhwFvf = FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1;
constexpr uint32_t kBackBufferSide = 64;

// The bytes GL holds for a buffer, read back with the binding put back as the device left it.
std::vector<uint8_t> GLCopy(GLuint name, size_t size)
{
    GLint previous = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previous);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    std::vector<uint8_t> bytes(size, 0xCD);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(size), bytes.data());
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previous));
    return bytes;
}

// A device on Mesa's surfaceless EGL display, or null when there is none.
GfxDevice* MakeDevice(GLDirect3D* direct3D)
{
    if (!direct3D->IsAvailable())
        return nullptr;
    PresentParameters parameters;
    parameters.BackBufferWidth = kBackBufferSide;
    parameters.BackBufferHeight = kBackBufferSide;
    parameters.BackBufferFormat = FMT_X8R8G8B8;
    parameters.Windowed = true;
    parameters.SwapEffect = SWAPEFFECT_DISCARD;
    GfxDevice* device = nullptr;
    if (direct3D->CreateDevice(0, DEVTYPE_HAL, nullptr, CREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                               &device) != GFX_OK)
        return nullptr;
    return device;
}

// A pool-sized buffer whose second run alone is written: drawn in the frame of the write (from the CPU
// copy) and in the next (from the GL copy), it shows the run both times, and the GL copy then holds the
// run and zeros where nothing was written, as the CPU copy does.
TEST(GLUploadTest, AFreshBufferReachesGLAsWrittenWithZerosElsewhere)
{
    GLDirect3D* direct3D = new GLDirect3D(true);
    ASSERT_TRUE(direct3D->IsAvailable()) << "no EGL surfaceless OpenGL context";
    GfxDevice* device = MakeDevice(direct3D);
    ASSERT_NE(device, nullptr);
    device->SetRenderState(RS_LIGHTING, 0);

    const RhwVertex quad[4] = {{31.5f, -0.5f, 0.5f, 1, 0xFF00FF00, 0, 0},
                               {63.5f, -0.5f, 0.5f, 1, 0xFF00FF00, 1, 0},
                               {31.5f, 63.5f, 0.5f, 1, 0xFF00FF00, 0, 1},
                               {63.5f, 63.5f, 0.5f, 1, 0xFF00FF00, 1, 1}};
    const uint32_t run = sizeof quad;
    GfxVertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * run, USAGE_WRITEONLY, kRhwFvf, POOL_MANAGED, &buffer), GFX_OK);
    auto* memory = dynamic_cast<MemoryVertexBuffer*>(buffer);
    ASSERT_NE(memory, nullptr);
    ASSERT_NE(memory->DeviceName(), 0u);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(run, run, &data, 0), GFX_OK);
    std::memcpy(data, quad, run);
    buffer->Unlock();

    device->SetFVF(kRhwFvf);
    device->SetStreamSource(0, buffer, 0, sizeof(RhwVertex));
    for (int frame = 0; frame < 2; ++frame)
    {
        SCOPED_TRACE(frame);
        ASSERT_EQ(device->Clear(0, nullptr, CLEAR_TARGET, 0xFF000000, 1.0f, 0), GFX_OK);
        ASSERT_EQ(device->BeginScene(), GFX_OK);
        EXPECT_EQ(device->DrawPrimitive(PT_TRIANGLESTRIP, 4, 2), GFX_OK);
        ASSERT_EQ(device->EndScene(), GFX_OK);
        ASSERT_EQ(device->Present(), GFX_OK);
        FrameCapture captured;
        ASSERT_EQ(device->CaptureFrame(&captured), GFX_OK);
        const auto green = [&](uint32_t x)
        { return captured.Rows[(10 * size_t(kBackBufferSide) + x) * 3 + 1]; };
        EXPECT_EQ(green(10), 0);
        EXPECT_EQ(green(50), 255);
    }

    std::vector<uint8_t> expected(4 * run, 0);
    std::memcpy(expected.data() + run, quad, run);
    EXPECT_EQ(std::vector<uint8_t>(memory->Data(), memory->Data() + memory->Size()), expected);
    EXPECT_EQ(GLCopy(memory->DeviceName(), 4 * run), expected);

    buffer->Release();
    EXPECT_EQ(device->Release(), 0u);
    direct3D->Release();
}

// A texture's levels reach GL when written, and those never written (cleared, as the CPU copy holds them)
// once something asks for the GL texture to draw with; GL then holds what the CPU copy holds, level by level.
TEST(GLUploadTest, TextureLevelsReachGLWhenWrittenAndTheRestBeforeDrawing)
{
    GLDirect3D* direct3D = new GLDirect3D(true);
    GfxDevice* device = MakeDevice(direct3D);
    ASSERT_NE(device, nullptr) << "no EGL surfaceless OpenGL context";
    GfxTexture* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 4, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    auto* source = dynamic_cast<GLTextureSource*>(texture);
    ASSERT_NE(source, nullptr);
    const uint32_t written[] = {0, 2};
    for (uint32_t level : written)
    {
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), GFX_OK);
        SurfaceDesc desc;
        texture->GetLevelDesc(level, &desc);
        for (uint32_t y = 0; y < desc.Height; ++y)
            for (uint32_t x = 0; x < desc.Width; ++x)
            {
                const uint32_t texel = 0xFF000000u | (level << 16) | (y << 8) | x;
                std::memcpy(static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch + x * 4, &texel, 4);
            }
        texture->UnlockRect(level);
    }
    GLTextureObject& object = source->GLObject();
    EXPECT_EQ(object.UnsentCount(), 0u);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, object.Name());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (uint32_t level = 0; level < 4; ++level)
    {
        SCOPED_TRACE(level);
        SurfaceDesc desc;
        texture->GetLevelDesc(level, &desc);
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, LOCK_READONLY), GFX_OK);
        std::vector<uint8_t> cpu;
        for (uint32_t y = 0; y < desc.Height; ++y)
        {
            const auto* row = static_cast<const uint8_t*>(locked.Bits) + y * locked.Pitch;
            cpu.insert(cpu.end(), row, row + desc.Width * 4);
        }
        // Read back as the device sends it: bytes in memory order.
        std::vector<uint8_t> gl(cpu.size(), 0xCD);
        glGetTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), GL_BGRA, GL_UNSIGNED_BYTE, gl.data());
        EXPECT_EQ(gl, cpu);
        const bool isWritten = level == 0 || level == 2;
        EXPECT_EQ(cpu[1] != 0 || cpu[3] != 0, isWritten);
        texture->UnlockRect(level);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    texture->Release();
    EXPECT_EQ(device->Release(), 0u);
    direct3D->Release();
}

// A rectangle written into a level GL holds already goes alone, as an atlas page takes one picture after
// another: a texel GL holds outside it (changed here behind the device's back) stays. A level never sent
// waits and goes whole, the rectangle with it, before drawing; a lock of the whole level sends it all again.
TEST(GLUploadTest, ARectangleWrittenIntoASentLevelGoesAloneAndAnUnsentLevelWhole)
{
    GLDirect3D* direct3D = new GLDirect3D(true);
    GfxDevice* device = MakeDevice(direct3D);
    ASSERT_NE(device, nullptr) << "no EGL surfaceless OpenGL context";
    constexpr uint32_t kWidth = 16;
    constexpr uint32_t kHeight = 8;
    constexpr uint32_t kMarker = 0xFF123456u;
    const GfxRect rect{5, 2, 9, 6};
    const struct
    {
        const char* name;
        bool sentFirst;
        bool wholeAfter;
        bool markerKept;
    } cases[] = {
        {"a rectangle into a sent level", true, false, true},
        {"a rectangle, then the whole level", true, true, false},
        {"a rectangle into a level never sent", false, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        GfxTexture* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(kWidth, kHeight, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &texture), GFX_OK);
        auto* source = dynamic_cast<GLTextureSource*>(texture);
        ASSERT_NE(source, nullptr);
        LockedRect locked;
        if (c.sentFirst)
        {
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
            for (uint32_t y = 0; y < kHeight; ++y)
                std::memset(static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch, 0x40, kWidth * 4);
            texture->UnlockRect(0);
        }
        GLint previous = 0;
        if (c.sentFirst)
        {
            // The corner texel, outside the rectangle, as GL alone holds it. (Asking for the GL texture
            // would send a level never sent.)
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
            glBindTexture(GL_TEXTURE_2D, source->GLObject().Name());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &kMarker);
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        }

        ASSERT_EQ(texture->LockRect(0, &locked, &rect, 0), GFX_OK);
        for (int32_t y = 0; y < rect.Bottom - rect.Top; ++y)
            for (int32_t x = 0; x < rect.Right - rect.Left; ++x)
            {
                const uint32_t texel = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
                std::memcpy(static_cast<uint8_t*>(locked.Bits) + y * locked.Pitch + x * 4, &texel, 4);
            }
        texture->UnlockRect(0);
        if (c.wholeAfter)
        {
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), GFX_OK);
            texture->UnlockRect(0);
        }

        GLTextureObject& object = source->GLObject();
        EXPECT_EQ(object.UnsentCount(), 0u);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(GL_TEXTURE_2D, object.Name());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        std::vector<uint32_t> gl(kWidth * kHeight, 0xCDCDCDCDu);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, gl.data());
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, LOCK_READONLY), GFX_OK);
        std::vector<uint32_t> expected(kWidth * kHeight);
        for (uint32_t y = 0; y < kHeight; ++y)
            std::memcpy(&expected[y * kWidth], static_cast<const uint8_t*>(locked.Bits) + y * locked.Pitch,
                        kWidth * 4);
        EXPECT_EQ(expected[(3 * kWidth) + 6], 0xFF000101u);
        if (c.markerKept)
            expected[0] = kMarker;
        EXPECT_EQ(gl, expected);
        texture->UnlockRect(0);
        texture->Release();
    }
    EXPECT_EQ(device->Release(), 0u);
    direct3D->Release();
}

} // namespace
