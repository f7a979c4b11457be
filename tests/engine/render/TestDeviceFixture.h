#pragma once

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A test device made from the scripted entry object's defaults, windowed, for code that needs a device
// but not the graphics manager.
class TestDeviceFixture : public ::testing::Test
{
protected:
    TestDeviceFixture()
    {
        platform::PresentParameters parameters;
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 64;
        parameters.Windowed = true;
        parameters.SwapEffect = platform::SWAPEFFECT_DISCARD;
        platform::GfxDevice* device = nullptr;
        m_D3D->CreateDevice(0, platform::DEVTYPE_HAL, nullptr, platform::CREATE_SOFTWARE_VERTEXPROCESSING,
                            &parameters, &device);
        m_Device = m_D3D->LastDevice();
    }

    ~TestDeviceFixture() override
    {
        if (m_Device)
            m_Device->Release();
        m_D3D->Release();
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
};
