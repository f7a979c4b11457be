#pragma once

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A windowed test device made from the scripted entry object's defaults, for code that needs a device
// but not the graphics manager. At the end the device's own reference must be its last: everything
// made on it was released.
class TestDeviceFixture : public ::testing::Test
{
protected:
    explicit TestDeviceFixture(uint32_t width = 64, uint32_t height = 64,
                               uint32_t behavior = platform::CREATE_SOFTWARE_VERTEXPROCESSING,
                               bool depthBuffer = false)
        : m_Width(width), m_Height(height), m_Behavior(behavior), m_DepthBuffer(depthBuffer)
    {
    }

    ~TestDeviceFixture() override { m_D3D->Release(); }

    void SetUp() override { MakeDevice(); }

    void TearDown() override { ReleaseDevice(); }

    // A fresh device, as after a change to the entry object's script.
    void MakeDevice()
    {
        platform::PresentParameters parameters;
        parameters.BackBufferWidth = m_Width;
        parameters.BackBufferHeight = m_Height;
        parameters.BackBufferFormat = platform::FMT_X8R8G8B8;
        parameters.Windowed = true;
        parameters.SwapEffect = platform::SWAPEFFECT_DISCARD;
        parameters.EnableAutoDepthStencil = m_DepthBuffer;
        parameters.AutoDepthStencilFormat = m_DepthBuffer ? uint32_t(platform::FMT_D16) : 0u;
        platform::GfxDevice* device = nullptr;
        ASSERT_EQ(m_D3D->CreateDevice(0, platform::DEVTYPE_HAL, nullptr, m_Behavior, &parameters, &device),
                  platform::GFX_OK);
        m_Device = m_D3D->LastDevice();
    }

    void ReleaseDevice()
    {
        if (m_Device)
        {
            EXPECT_EQ(m_Device->Release(), 0u);
        }
        m_Device = nullptr;
    }

    // The arguments of every logged call of the method, in order.
    std::vector<std::string> CallsOf(const std::string& method) const
    {
        std::vector<std::string> args;
        for (const auto& call : m_Device->Calls())
            if (call.Method == method)
                args.push_back(call.Args);
        return args;
    }

    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::TestDevice* m_Device = nullptr;

private:
    uint32_t m_Width;
    uint32_t m_Height;
    uint32_t m_Behavior;
    bool m_DepthBuffer;
};
