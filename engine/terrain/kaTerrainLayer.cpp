#include "engine/terrain/kaTerrainLayer.h"

#include "engine/render/kaImage.h"

#include <cmath>
#include <utility>

kaTerrainLayer::kaTerrainLayer(std::unique_ptr<kaImage> mask, std::string maskPath, std::string texturePath,
                               float stretch, bool hardEdge)
    : m_pMask(std::move(mask)), m_MaskPath(std::move(maskPath)), m_TexturePath(std::move(texturePath)),
      m_HardEdge(hardEdge)
{
    SetStretch(stretch);
}

void kaTerrainLayer::SetMask(std::unique_ptr<kaImage> mask, const std::string& maskPath)
{
    m_pMask = std::move(mask);
    m_MaskPath = maskPath;
}

void kaTerrainLayer::SetStretch(float stretch)
{
    m_Stretch = stretch;
    const float inverse = 1.0f / stretch;
    m_InverseStretch = std::isfinite(stretch) && stretch > 0.0f && std::isfinite(inverse) ? inverse : 1.0f;
}

kaTerrainLayer::~kaTerrainLayer() = default;
