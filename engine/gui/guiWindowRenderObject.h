#pragma once

#include "engine/render/ka3DObject.h"

#include <cstdint>

class guiWindow;

// A window as one of the renderer's root scene objects: the window order is the render order, so
// windows further in front draw later. The adapter owns the window.
class guiWindowRenderObject : public ka3DObject
{
public:
    // The foreground window's order; other windows stay below it.
    static constexpr int32_t kForegroundOrder = 100;

    explicit guiWindowRenderObject(guiWindow* window);
    ~guiWindowRenderObject() override;

    // Walks the window's tree, which fills its hit list.
    void Update(float dt) override;
    void Render(uint32_t flag) override;
    void Initialize() override;
    void ReleaseDeviceObjects() override;
    void CreateDeviceObjects() override;

    guiWindow* GetWindow() const { return m_Window; }
    int32_t GetWindowOrder() const { return GetRenderOrder(); }
    void SetWindowOrder(int32_t order) { SetRenderOrder(order); }

private:
    guiWindow* m_Window;
};
