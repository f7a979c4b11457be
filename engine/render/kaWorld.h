#pragma once

class kaCamera;

// What the renderer needs of a world: the camera it is seen through. The camera is not owned and may be
// null.
class kaWorld
{
public:
    kaWorld() = default;
    virtual ~kaWorld();
    kaWorld(const kaWorld&) = delete;
    kaWorld& operator=(const kaWorld&) = delete;

    kaCamera* GetCamera() const { return m_pCamera; }
    void SetCamera(kaCamera* camera) { m_pCamera = camera; }

protected:
    kaCamera* m_pCamera = nullptr;
};
