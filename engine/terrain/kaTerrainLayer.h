#pragma once

#include "engine/scene/kaBlockKeys.h"

#include <memory>
#include <string>

class kaImage;

// One texture layer of a layered terrain: a grey mask on the height map's sample grid (0 absent, 255
// opaque) and the texture it lays where the mask is non-zero.
class kaTerrainLayer
{
public:
    kaTerrainLayer(std::unique_ptr<kaImage> mask, std::string maskPath, std::string texturePath,
                   float stretch, bool hardEdge);
    virtual ~kaTerrainLayer();
    kaTerrainLayer(const kaTerrainLayer&) = delete;
    kaTerrainLayer& operator=(const kaTerrainLayer&) = delete;

    const kaImage* GetMask() const { return m_pMask.get(); }
    const std::string& GetMaskPath() const { return m_MaskPath; }
    const std::string& GetTexturePath() const { return m_TexturePath; }
    // As stored and written back, whatever its value.
    float GetStretch() const { return m_Stretch; }
    // The reciprocal of the stretch used for texture coordinates: a stretch that is not positive and
    // finite (a missing key reads as 0) draws as 1.
    float GetInverseStretch() const { return m_InverseStretch; }
    bool IsHardEdge() const { return m_HardEdge; }

    // The editor's changes; a new mask replaces the old one whole.
    void SetMask(std::unique_ptr<kaImage> mask, const std::string& maskPath);
    void SetTexturePath(const std::string& texturePath) { m_TexturePath = texturePath; }
    void SetStretch(float stretch);
    // The layer's keys kept as the file gave them where they were no number.
    kaBlockKeys& Kept() { return m_Kept; }
    const kaBlockKeys& Kept() const { return m_Kept; }

private:
    std::unique_ptr<kaImage> m_pMask;
    std::string m_MaskPath;
    std::string m_TexturePath;
    float m_Stretch = 1.0f;
    float m_InverseStretch = 1.0f;
    bool m_HardEdge = false;
    kaBlockKeys m_Kept;
};
