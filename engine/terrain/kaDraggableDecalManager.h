#pragma once

#include "engine/core/kaSingleton.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <map>
#include <vector>

class kaDraggableDecal;
class kaWorld;

// Ties the draggable decals to the map editor: the decals registered by kind, the selected decal, the
// decal and corner of a corner drag, the editor's decal mode and the world the editor works on. It owns no
// decal: the world does.
class kaDraggableDecalManager : public kaSingleton<kaDraggableDecalManager>
{
public:
    static constexpr int32_t kModeIdle = 0;
    static constexpr int32_t kModeLay = 1;
    static constexpr int32_t kModeCorner = 2;
    static constexpr int32_t kModeMove = 3;
    // Registry keys of the two kinds.
    static constexpr int32_t kRoadKey = 1;
    static constexpr int32_t kMarkerKey = 3;

    kaDraggableDecalManager();
    virtual ~kaDraggableDecalManager();

    virtual void SetMode(int32_t mode) { m_Mode = mode; }
    int32_t GetMode() const { return m_Mode; }

    // The previous decal's handles hide, the new one's show.
    void SetSelectedDecal(kaDraggableDecal* decal);
    kaDraggableDecal* GetSelectedDecal() const { return m_pSelected; }
    // A decal with a corner of 0 or more starts a corner drag (mode 2); a negative corner keeps the mode.
    void SetDragTarget(kaDraggableDecal* decal, int32_t corner);
    kaDraggableDecal* GetDragDecal() const { return m_pDragDecal; }
    int32_t GetDragCorner() const { return m_DragCorner; }

    // Every decal of a kind is registered, so that a flatten re-lays all of them.
    void Register(int32_t key, kaDraggableDecal* decal);
    // Takes this decal out of the key's list; a null decal empties the key.
    void Unregister(int32_t key, kaDraggableDecal* decal);
    // A decal being destroyed: out of every list, and no longer selected or dragged.
    void Forget(kaDraggableDecal* decal);
    const std::map<int32_t, std::vector<kaDraggableDecal*>>& GetDecals() const { return m_Decals; }

    void SetWorld(kaWorld* world) { m_pWorld = world; }
    kaWorld* GetWorld() const { return m_pWorld; }

    // The world's terrain changed inside the box (world units): every registered decal overlapping its
    // cells lays itself on the new heights. Nothing without a world with a terrain.
    void OnTerrainChanged(const platform::Vector3* boxMin, const platform::Vector3* boxMax);

private:
    int32_t m_Mode = kModeIdle;
    std::map<int32_t, std::vector<kaDraggableDecal*>> m_Decals;
    kaWorld* m_pWorld = nullptr;
    kaDraggableDecal* m_pSelected = nullptr;
    kaDraggableDecal* m_pDragDecal = nullptr;
    int32_t m_DragCorner = 0;
};
