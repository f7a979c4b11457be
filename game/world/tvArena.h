#pragma once

#include "editor/WindowNames.h"
#include "engine/scene/kaArena.h"

#include <string>

class guiImage;

// The game's venue: the arena plus two course switches from the venue's data, and the respawn that puts
// the player's vehicle back on the "SpawnPoint" when anything touches one of the venue's respawn triggers,
// behind a fade to white and back in a full-screen image of the HUD window.
class tvArena : public kaArena
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kWhiteImage = "Resources/White.bmp";
    static constexpr const char* kHudWindow = windowNames::kHud;
    // Own primitives whose names start with this are respawn triggers.
    static constexpr const char* kRespawnPrefix = "PRIM_TRIGGER_Respawn";
    static constexpr float kTokenTime = 10.0f;
    // Alpha per second: 0.4 s to white, 1 s back.
    static constexpr float kFadeInRate = 2.5f;
    static constexpr float kFadeOutRate = 1.0f;

    tvArena();
    // Takes the white image out of the HUD window: each course makes its own.
    ~tvArena() override;

    void ReadXml(const TiXmlElement* element) override;
    void Update(float dt) override;
    void OnTrigger(kaEntityPhysical* other, const std::string& ownPrimitive,
                   const std::string& otherPrimitive) override;

    // Points power-ups may reappear: always, or with the limit on only while token time is left.
    bool AllowsTokenRespawn() const;
    float GetTokenTime() const { return m_TokenTime; }
    void SetTokenTime(float seconds) { m_TokenTime = seconds; }
    bool IsTokenRespawnLimited() const { return m_LimitTokenRespawn; }
    bool AllowsRagdoll() const { return m_AllowRagdoll; }
    bool IsFadingIn() const { return m_FadingIn; }
    bool IsFadingOut() const { return m_FadingOut; }
    bool IsRespawnPending() const { return m_RespawnPending; }
    float GetFadeAlpha() const { return m_FadeAlpha; }
    guiImage* GetWhiteImage() const { return m_pWhiteImage; }

private:
    void _Respawn();
    void _ShowWhite(float alpha);
    void _ShowWhiteImage();

    float m_TokenTime = kTokenTime;
    bool m_LimitTokenRespawn = false;
    bool m_FadingOut = false;
    bool m_FadingIn = false;
    bool m_RespawnPending = false;
    float m_FadeAlpha = 0.0f;
    // One reference is the arena's own, so the image outlives a HUD window that goes first.
    guiImage* m_pWhiteImage = nullptr;
    bool m_AllowRagdoll = true;
};
