#pragma once

#include "engine/render/ka3DObject.h"

#include <vector>

// Holds a world's see-through objects and draws those in view in the order of their draw-order keys,
// larger keys first. The items are kept outside the child list, so the root's child walks do not reach
// them; the sorter passes updates and device-object calls on itself.
class ka3DAlphaSorter : public ka3DObject
{
public:
    static constexpr int32_t kSorterRenderOrder = 50;
    static constexpr float kKeyScale = 10000.0f;

    ka3DAlphaSorter();
    ~ka3DAlphaSorter() override;

    void Render(uint32_t flag) override;
    // Updates every item, whatever the sorter's own active flag says.
    void Update(float dt) override;
    void ReleaseDeviceObjects() override;
    void CreateDeviceObjects() override;

    // Initialises the object's hierarchy and takes a reference on it.
    void Add(ka3DObject* object);
    // Erases the first entry of the object without releasing it.
    void Remove(ka3DObject* object);
    // Releases every item.
    void Clear();

    const std::vector<ka3DObject*>& GetItems() const { return m_Items; }

private:
    void _Forget(ka3DObject* object);

    std::vector<ka3DObject*> m_Items;
};
