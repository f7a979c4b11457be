#include "engine/terrain/kaDraggableDecalManager.h"

#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaDraggableDecal.h"
#include "engine/terrain/kaTerrain.h"

#include <algorithm>
#include <cmath>

kaDraggableDecalManager::kaDraggableDecalManager() : kaSingleton<kaDraggableDecalManager>(this) {}

kaDraggableDecalManager::~kaDraggableDecalManager()
{
    m_Decals.clear();
}

void kaDraggableDecalManager::SetSelectedDecal(kaDraggableDecal* decal)
{
    if (m_pSelected)
        m_pSelected->ShowHandles(false);
    m_pSelected = decal;
    if (decal)
        decal->ShowHandles(true);
}

void kaDraggableDecalManager::SetDragTarget(kaDraggableDecal* decal, int32_t corner)
{
    m_pDragDecal = decal;
    m_DragCorner = corner;
    if (decal && corner >= 0)
        SetMode(kModeCorner);
}

void kaDraggableDecalManager::Register(int32_t key, kaDraggableDecal* decal)
{
    if (!decal)
        return;
    std::vector<kaDraggableDecal*>& list = m_Decals[key];
    if (std::find(list.begin(), list.end(), decal) == list.end())
        list.push_back(decal);
}

void kaDraggableDecalManager::Unregister(int32_t key, kaDraggableDecal* decal)
{
    const auto found = m_Decals.find(key);
    if (found == m_Decals.end())
        return;
    std::vector<kaDraggableDecal*>& list = found->second;
    if (decal)
        list.erase(std::remove(list.begin(), list.end(), decal), list.end());
    if (!decal || list.empty())
        m_Decals.erase(found);
}

void kaDraggableDecalManager::Forget(kaDraggableDecal* decal)
{
    for (auto entry = m_Decals.begin(); entry != m_Decals.end();)
    {
        std::vector<kaDraggableDecal*>& list = entry->second;
        list.erase(std::remove(list.begin(), list.end(), decal), list.end());
        entry = list.empty() ? m_Decals.erase(entry) : std::next(entry);
    }
    if (m_pSelected == decal)
        m_pSelected = nullptr;
    if (m_pDragDecal == decal)
        m_pDragDecal = nullptr;
}

void kaDraggableDecalManager::OnTerrainChanged(const platform::Vector3* boxMin,
                                               const platform::Vector3* boxMax)
{
    const auto* terrain = m_pWorld ? dynamic_cast<const kaTerrain*>(m_pWorld->GetTerrain()) : nullptr;
    if (!terrain || !boxMin || !boxMax || !(terrain->GetCellSize() > 0.0f))
        return;
    const float cell = terrain->GetCellSize();
    const auto toCell = [cell](float value)
    {
        const double cells = std::trunc(double(value) / cell);
        return std::isfinite(cells) ? int32_t(std::clamp(cells, -1.0e9, 1.0e9)) : 0;
    };
    const int32_t x1 = toCell(boxMin->x), z1 = toCell(boxMin->z);
    const int32_t x2 = toCell(boxMax->x), z2 = toCell(boxMax->z);
    // A decal re-laid may not leave the lists, but copy them so that nothing re-entrant can upset the walk.
    const auto decals = m_Decals;
    for (const auto& entry : decals)
        for (kaDraggableDecal* decal : entry.second)
            decal->OverlapsRect(x1, z1, x2, z2);
}
