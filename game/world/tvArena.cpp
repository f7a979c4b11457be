#include "game/world/tvArena.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/EntityFactory.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/RaceDisplay.h"
#include "game/world/SpawnPlacement.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

KA_ENTITY_CLASS_RECORD_DEFINITION(tvArena, "tvArena")

namespace
{

const EntityFactory::Registration s_Registration(tvArena::StaticClassInfo(), &EntityFactory::Create<tvArena>);

// A venue switch; a value that is no bool keeps the switch as it was, with a debugger line.
void ReadSwitch(const TiXmlElement* element, bool& value, bool negate)
{
    try
    {
        value = GetElementBool(element) != negate;
    }
    catch (const std::exception&)
    {
        platform::OutputDebugString(std::string("tvArena::ReadXml - bad value for ") + element->Value() +
                                    ", kept.\n");
    }
}

} // namespace

tvArena::tvArena()
{
    m_pWhiteImage = new guiImage(kWhiteImage, 0, 0, kaApp::kClientWidth, kaApp::kClientHeight);
    m_pWhiteImage->AddRef();
    m_pWhiteImage->SetAlpha(true);
    m_pWhiteImage->SetVisible(false);
    if (g_pGuiManager)
    {
        if (guiWindow* hud = g_pGuiManager->FindWindow(kHudWindow))
            hud->AddChild(m_pWhiteImage);
    }
}

tvArena::~tvArena()
{
    if (guiGlyph* parent = m_pWhiteImage->GetParent())
        parent->RemoveChild(m_pWhiteImage);
    m_pWhiteImage->Release();
    m_pWhiteImage = nullptr;
}

void tvArena::ReadXml(const TiXmlElement* element)
{
    kaEntityPhysical::ReadXml(element);
    if (!element)
        return;
    if (const TiXmlElement* noRagdoll = element->FirstChildElement("forceNoRagDoll"))
        ReadSwitch(noRagdoll, m_AllowRagdoll, true);
    if (const TiXmlElement* limit = element->FirstChildElement("limitTokenRespawn"))
        ReadSwitch(limit, m_LimitTokenRespawn, false);
}

bool tvArena::AllowsTokenRespawn() const
{
    return !m_LimitTokenRespawn || m_TokenTime > 0.0f;
}

void tvArena::OnTrigger(kaEntityPhysical* other, const std::string& ownPrimitive,
                        const std::string& otherPrimitive)
{
    kaEntityPhysical::OnTrigger(other, ownPrimitive, otherPrimitive);
    if (m_FadingIn || m_FadingOut)
        return;
    const size_t length = std::strlen(kRespawnPrefix);
    if (ownPrimitive.size() < length || ownPrimitive.compare(0, length, kRespawnPrefix) != 0)
        return;
    m_FadeAlpha = 0.0f;
    m_FadingIn = true;
    m_FadingOut = false;
    _ShowWhiteImage();
}

void tvArena::_ShowWhite(float alpha)
{
    m_pWhiteImage->SetColor(1.0f, 1.0f, 1.0f, alpha);
    _ShowWhiteImage();
}

void tvArena::_ShowWhiteImage()
{
    // The fade is part of the HUD's view of the run: a car that drives off after the run has ended must
    // not bring the hidden HUD back over the summary.
    if (auto* hud = dynamic_cast<RaceDisplay*>(m_pWhiteImage->GetParent()))
        hud->ShowWidget(m_pWhiteImage, true);
    else
        m_pWhiteImage->SetVisible(true);
}

void tvArena::_Respawn()
{
    m_TokenTime = kTokenTime;
    m_RespawnPending = false;
    auto* game = Tarvolin::Instance();
    tvVehicle* vehicle = game ? game->GetPlayerVehicle() : nullptr;
    if (!vehicle)
        return;
    vehicle->SpawnRagdoll();
    if (m_pWorld)
        SpawnPlacement::PlaceAtSpawnPoint(*m_pWorld, *vehicle);
    vehicle->StopMotion();
}

void tvArena::Update(float dt)
{
    kaEntityPhysical::Update(dt);
    m_TokenTime = std::max(0.0f, m_TokenTime - dt);
    if (m_RespawnPending)
        _Respawn();
    if (m_FadingOut)
    {
        m_FadeAlpha -= dt * kFadeOutRate;
        if (m_FadeAlpha >= 0.0f)
        {
            _ShowWhite(m_FadeAlpha);
        }
        else
        {
            m_pWhiteImage->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            m_FadingOut = false;
            m_FadingIn = false;
            m_FadeAlpha = 0.0f;
            m_pWhiteImage->SetVisible(false);
        }
    }
    if (m_FadingIn)
    {
        m_FadeAlpha += dt * kFadeInRate;
        if (m_FadeAlpha <= 1.0f)
        {
            _ShowWhite(m_FadeAlpha);
        }
        else
        {
            m_pWhiteImage->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            m_RespawnPending = true;
            m_FadingIn = false;
            m_FadingOut = true;
            m_FadeAlpha = 1.0f;
        }
    }
}
