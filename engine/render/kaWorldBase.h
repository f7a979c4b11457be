#pragma once

#include "engine/render/ka3DObject.h"

class kaCamera;

// What the renderer knows of a world: a root scene object seen through a camera. The scene's world
// derives from it, so the draw queue reaches the current camera without knowing entities. The camera is
// not owned here and may be null.
class kaWorldBase : public ka3DObject
{
public:
    kaWorldBase() = default;
    ~kaWorldBase() override;
    kaWorldBase(const kaWorldBase&) = delete;
    kaWorldBase& operator=(const kaWorldBase&) = delete;

    kaCamera* GetCamera() const { return m_pCamera; }
    void SetCamera(kaCamera* camera) { m_pCamera = camera; }

protected:
    kaCamera* m_pCamera = nullptr;
};
