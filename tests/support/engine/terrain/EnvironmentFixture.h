#pragma once

#include "engine/render/kaGraphicsManager.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <tinyxml.h>

#include <string>

// The sun, sky and water on the scripted device: a started manager, a camera at the origin looking
// along +X, and the XML round trip the world file makes of an element.
class EnvironmentFixture : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start("[Begin Graphics Config]\nFullScreen=0\n[End Graphics Config]\n"));
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
    }

    // A view from the eye towards the target, a 90-degree projection, and the frustum from both.
    void Look(const platform::Vector3& eye, const platform::Vector3& at)
    {
        platform::Matrix view;
        platform::Matrix projection;
        const platform::Vector3 up(0.0f, 1.0f, 0.0f);
        platform::MatrixLookAtLH(&view, &eye, &at, &up);
        platform::MatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 5000.0f);
        m_Manager->GetDevice()->SetTransform(platform::TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(platform::TS_PROJECTION, &projection);
        m_Manager->UpdateFrustum();
    }

    // The element's block as a world file writes it.
    template <typename Object> static std::string Written(const Object& object, const char* name)
    {
        TiXmlElement element(name);
        object.WriteXml(&element);
        TiXmlPrinter printer;
        printer.SetStreamPrinting();
        element.Accept(&printer);
        return printer.CStr();
    }
};
