#pragma once

// What the source files of MapEditorWindow share; no other class includes it.

#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"

namespace map_editor
{

inline kaDraggableDecalManager* Decals()
{
    return kaDraggableDecalManager::GetSingleton();
}

// Keeps the debug lines off the screen while a dialog is up.
class DebugDrawingPause
{
public:
    DebugDrawingPause()
    {
        if (g_pGraphicsManager != nullptr)
        {
            g_pGraphicsManager->SetDebugDrawing(false);
        }
    }
    ~DebugDrawingPause()
    {
        if (g_pGraphicsManager != nullptr)
            g_pGraphicsManager->SetDebugDrawing(true);
    }
};

} // namespace map_editor
