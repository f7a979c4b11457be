#pragma once

#include "engine/render/kaGraphicsObject.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

class kaBoundingBox;

// Root of everything in the 3D scene. Holds a world transform made from a position and a rotation,
// and a list of children on each of which it holds one reference. The virtual operations walk the
// children; the parent link is a plain back pointer.
class ka3DObject : public kaGraphicsObject
{
public:
    static constexpr size_t kClassIdSize = 16;

    ka3DObject();
    ~ka3DObject() override;

    // Builds the device objects once after every invalidation, then restores the children.
    void RestoreDeviceObjects() override;
    // Frees the device objects (whatever the flag says), then invalidates the children.
    void InvalidateDeviceObjects() override;
    // Writes the 16-byte class identifier into buffer and returns buffer.
    virtual uint8_t* GetClassId(uint8_t* buffer) const;
    // Renders the children while visible; the flag is not read by the root class.
    virtual void Render(uint32_t flag);
    // Asks the cache for what Render will read, one level of pointers at a time, so that the render pass
    // can start a root's loads some draws before its turn instead of waiting on each of them in the draw.
    // The pass fetches the object's first line itself (level 0); level 1 is the object's own fields, and
    // each later level follows only pointers that the level before it fetched. Nothing is changed.
    virtual void PrefetchForRender(int level) const;
    static constexpr int kPrefetchLevels = 7;
    // Updates the children while active.
    virtual void Update(float dt);
    virtual void SetPositionRotation(float x, float y, float z, float qx, float qy, float qz, float qw);
    virtual void SetPosition(float x, float y, float z);
    virtual void SetRotation(float qx, float qy, float qz, float qw);
    // Replaces the world matrix whole; the root class keeps no local offset.
    virtual void SetTransform(const platform::Matrix& matrix);
    virtual kaBoundingBox* GetBoundingBox();
    virtual void Initialize();
    virtual void ReleaseDeviceObjects();
    virtual void CreateDeviceObjects();
    // World matrix := rotation with the position as translation; every child receives it.
    virtual void UpdateTransform();

    // Runs Initialize once until the next invalidation, and visits every child.
    bool InitializeHierarchy();
    // Appends the child, takes a reference on it and becomes its parent.
    void AddChild(ka3DObject* child);
    // Erases the first entry of the child and releases it; an object that is not a child is left alone.
    void RemoveChild(ka3DObject* child);
    // As RemoveChild, without releasing.
    void DetachChild(ka3DObject* child);
    void ReleaseChildren();

    const std::vector<ka3DObject*>& GetChildren() const { return m_Children; }
    ka3DObject* GetParent() const { return m_pParent; }
    // For holders that keep objects outside the child list.
    void SetParent(ka3DObject* parent) { m_pParent = parent; }
    bool AreDeviceObjectsCreated() const { return m_DeviceObjectsCreated; }

    const platform::Matrix& GetWorldMatrix() const { return m_World; }
    platform::Matrix& GetSecondMatrix() { return m_Second; }
    const platform::Vector3& GetPosition() const { return m_Position; }
    const platform::Quaternion& GetRotation() const { return m_Rotation; }

    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    float GetBoundingRadius() const { return m_BoundingRadius; }
    void SetBoundingRadius(float radius) { m_BoundingRadius = radius; }
    bool IsVisible() const { return m_Visible; }
    void SetVisible(bool visible) { m_Visible = visible; }
    bool IsActive() const { return m_Active; }
    void SetActive(bool active) { m_Active = active; }
    int32_t GetRenderOrder() const { return m_RenderOrder; }
    void SetRenderOrder(int32_t order) { m_RenderOrder = order; }

    // Writes a class identifier in its binary layout: data1 little-endian, data2, data3, then data4.
    static uint8_t* WriteClassId(uint8_t* buffer, uint32_t data1, uint16_t data2, uint16_t data3,
                                 const uint8_t (&data4)[8]);

protected:
    platform::Matrix m_World;
    platform::Matrix m_Second;
    platform::Vector3 m_Position;
    platform::Quaternion m_Rotation;
    std::vector<ka3DObject*> m_Children;
    bool m_DeviceObjectsCreated = false;
    std::string m_Name;
    float m_BoundingRadius = 0.0f;
    bool m_Visible = true;
    bool m_Active = true;
    ka3DObject* m_pParent = nullptr;
    int32_t m_RenderOrder = 0;

private:
    // Erases the first entry of the child; false when it is not a child.
    bool _EraseChild(ka3DObject* child);
    // A child that has left this object for good no longer points back at it.
    void _ForgetParentOf(ka3DObject* child) const;
};

// Releases one object; the per-element action when a list of objects is cleared.
bool ReleaseGraphicsObject(kaGraphicsObject* object);
