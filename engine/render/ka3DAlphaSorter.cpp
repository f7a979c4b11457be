#include "engine/render/ka3DAlphaSorter.h"

#include "engine/render/kaGraphicsManager.h"

#include <algorithm>

ka3DAlphaSorter::ka3DAlphaSorter()
{
    m_RenderOrder = kSorterRenderOrder;
}

ka3DAlphaSorter::~ka3DAlphaSorter()
{
    Clear();
}

void ka3DAlphaSorter::Render(uint32_t /*flag*/)
{
    if (!g_pGraphicsManager)
        return;
    std::vector<ka3DObject*> visible;
    visible.reserve(m_Items.size());
    for (ka3DObject* item : m_Items)
    {
        const float radius = item->GetBoundingRadius();
        const platform::Vector3& p = item->GetPosition();
        if (g_pGraphicsManager->TestSphereInFrustum(p.x, p.y + radius / 2.0f, p.z, radius) ==
            kaGraphicsManager::kSphereOutside)
            continue;
        // The frustum query gives no depth, so every visible item gets the same key.
        const float depth = 1.0f;
        item->SetRenderOrder(static_cast<int32_t>(depth * kKeyScale));
        visible.push_back(item);
    }
    std::stable_sort(visible.begin(), visible.end(),
                     [](const ka3DObject* a, const ka3DObject* b)
                     { return a->GetRenderOrder() > b->GetRenderOrder(); });
    for (ka3DObject* item : visible)
        item->Render(0);
}

void ka3DAlphaSorter::Update(float dt)
{
    // A copy, so that an item's update may take items out.
    const std::vector<ka3DObject*> items = m_Items;
    for (ka3DObject* item : items)
        item->Update(dt);
}

void ka3DAlphaSorter::ReleaseDeviceObjects()
{
    for (ka3DObject* item : m_Items)
        item->InvalidateDeviceObjects();
}

void ka3DAlphaSorter::CreateDeviceObjects()
{
    for (ka3DObject* item : m_Items)
        item->RestoreDeviceObjects();
}

void ka3DAlphaSorter::Add(ka3DObject* object)
{
    if (!object)
        return;
    object->InitializeHierarchy();
    m_Items.push_back(object);
    object->AddRef();
    object->SetParent(this);
}

void ka3DAlphaSorter::Remove(ka3DObject* object)
{
    const auto found = std::find(m_Items.begin(), m_Items.end(), object);
    if (found == m_Items.end())
        return;
    m_Items.erase(found);
    if (std::find(m_Items.begin(), m_Items.end(), object) == m_Items.end())
        _Forget(object);
}

void ka3DAlphaSorter::Clear()
{
    std::vector<ka3DObject*> items;
    items.swap(m_Items);
    for (ka3DObject* item : items)
    {
        _Forget(item);
        item->Release();
    }
}

void ka3DAlphaSorter::_Forget(ka3DObject* object)
{
    // An item the sorter no longer holds must not point back at it: the sorter may go first.
    if (object->GetParent() == this)
        object->SetParent(nullptr);
}
