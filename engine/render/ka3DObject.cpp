#include "engine/render/ka3DObject.h"

#include "engine/render/kaPrefetch.h"

#include <algorithm>

using namespace platform;

namespace
{

const uint32_t kClassData1 = 0x4F566441;
const uint16_t kClassData2 = 0xA138;
const uint16_t kClassData3 = 0x11D5;
const uint8_t kClassData4[8] = {0x9C, 0xF6, 0x00, 0x01, 0x02, 0x3E, 0x55, 0x10};

} // namespace

ka3DObject::ka3DObject() = default;

ka3DObject::~ka3DObject()
{
    ReleaseChildren();
}

void ka3DObject::RestoreDeviceObjects()
{
    if (!m_DeviceObjectsCreated)
        CreateDeviceObjects();
    m_DeviceObjectsCreated = true;
    for (ka3DObject* child : m_Children)
        child->RestoreDeviceObjects();
}

void ka3DObject::InvalidateDeviceObjects()
{
    ReleaseDeviceObjects();
    m_DeviceObjectsCreated = false;
    for (ka3DObject* child : m_Children)
        child->InvalidateDeviceObjects();
}

uint8_t* ka3DObject::GetClassId(uint8_t* buffer) const
{
    return WriteClassId(buffer, kClassData1, kClassData2, kClassData3, kClassData4);
}

uint8_t* ka3DObject::WriteClassId(uint8_t* buffer, uint32_t data1, uint16_t data2, uint16_t data3,
                                  const uint8_t (&data4)[8])
{
    for (int i = 0; i < 4; ++i)
        buffer[i] = static_cast<uint8_t>(data1 >> (8 * i));
    for (int i = 0; i < 2; ++i)
    {
        buffer[4 + i] = static_cast<uint8_t>(data2 >> (8 * i));
        buffer[6 + i] = static_cast<uint8_t>(data3 >> (8 * i));
    }
    std::copy(std::begin(data4), std::end(data4), buffer + 8);
    return buffer;
}

void ka3DObject::Render(uint32_t /*flag*/)
{
    if (!m_Visible)
        return;
    for (ka3DObject* child : m_Children)
        child->Render(0);
}

void ka3DObject::PrefetchForRender(int level) const
{
    if (level == 1)
        kaPrefetch(&m_Visible);
}

void ka3DObject::Update(float dt)
{
    if (!m_Active)
        return;
    for (ka3DObject* child : m_Children)
        child->Update(dt);
}

void ka3DObject::SetPositionRotation(float x, float y, float z, float qx, float qy, float qz, float qw)
{
    m_Position = Vector3(x, y, z);
    m_Rotation = Quaternion(qx, qy, qz, qw);
    UpdateTransform();
}

void ka3DObject::SetPosition(float x, float y, float z)
{
    m_Position = Vector3(x, y, z);
    UpdateTransform();
}

void ka3DObject::SetRotation(float qx, float qy, float qz, float qw)
{
    m_Rotation = Quaternion(qx, qy, qz, qw);
    UpdateTransform();
}

void ka3DObject::SetTransform(const Matrix& matrix)
{
    m_World = matrix;
}

kaBoundingBox* ka3DObject::GetBoundingBox()
{
    return nullptr;
}

void ka3DObject::Initialize() {}

void ka3DObject::ReleaseDeviceObjects() {}

void ka3DObject::CreateDeviceObjects() {}

void ka3DObject::UpdateTransform()
{
    MatrixRotationQuaternion(&m_World, &m_Rotation);
    m_World(3, 0) = m_Position.x;
    m_World(3, 1) = m_Position.y;
    m_World(3, 2) = m_Position.z;
    for (ka3DObject* child : m_Children)
        child->SetTransform(m_World);
}

bool ka3DObject::InitializeHierarchy()
{
    if (!m_DeviceObjectsCreated)
        Initialize();
    m_DeviceObjectsCreated = true;
    for (ka3DObject* child : m_Children)
        child->InitializeHierarchy();
    return true;
}

void ka3DObject::AddChild(ka3DObject* child)
{
    if (!child)
        return;
    m_Children.push_back(child);
    child->AddRef();
    child->m_pParent = this;
}

bool ka3DObject::_EraseChild(ka3DObject* child)
{
    const auto found = std::find(m_Children.begin(), m_Children.end(), child);
    if (found == m_Children.end())
        return false;
    m_Children.erase(found);
    return true;
}

void ka3DObject::_ForgetParentOf(ka3DObject* child) const
{
    // A second entry of the same child keeps it here, and with it the link.
    if (child->m_pParent == this &&
        std::find(m_Children.begin(), m_Children.end(), child) == m_Children.end())
        child->m_pParent = nullptr;
}

void ka3DObject::RemoveChild(ka3DObject* child)
{
    if (!child || !_EraseChild(child))
        return;
    // The link goes first: the release may destroy the child.
    _ForgetParentOf(child);
    child->Release();
}

void ka3DObject::DetachChild(ka3DObject* child)
{
    if (!child || !_EraseChild(child))
        return;
    _ForgetParentOf(child);
}

void ka3DObject::ReleaseChildren()
{
    std::vector<ka3DObject*> children;
    children.swap(m_Children);
    for (ka3DObject* child : children)
    {
        if (child->m_pParent == this)
            child->m_pParent = nullptr;
        child->Release();
    }
}

bool ReleaseGraphicsObject(kaGraphicsObject* object)
{
    if (object)
        object->Release();
    return true;
}
