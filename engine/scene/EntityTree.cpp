#include "engine/scene/EntityTree.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBillboard.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(EntityTree, "EntityTree")

namespace
{

const EntityFactory::Registration s_Registration(EntityTree::StaticClassInfo(),
                                                 &EntityFactory::Create<EntityTree>);

} // namespace

EntityTree::EntityTree()
{
    m_Name = kName;
}

EntityTree::~EntityTree()
{
    _ReleaseBillboard();
}

void EntityTree::_ReleaseBillboard()
{
    if (!m_pBillboard)
        return;
    // The sorter holds a reference of its own, which removing it does not drop.
    ka3DAlphaSorter* sorter = m_pWorld ? m_pWorld->GetAlphaSorter() : nullptr;
    if (sorter && m_pBillboard->GetParent() == sorter)
    {
        m_pWorld->RemoveFromAlphaSorter(m_pBillboard);
        m_pBillboard->Release();
    }
    m_pBillboard->Release();
    m_pBillboard = nullptr;
}

void EntityTree::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element)
        return;
    const std::string texture = GetChildElementText("filename", element);
    float scale = 0.0f;
    ReadKey(element, "scale", scale);
    Vector3 position(0.0f, 0.0f, 0.0f);
    if (element->FirstChildElement("position"))
    {
        ReadPlacementKey(element, "position", position, false);
        position.y = m_pWorld ? m_pWorld->GetGroundHeight(position.x, position.z) : 0.0f;
    }
    CreateBillboard(texture, scale);
    SetPosition(position);
    m_PositionAsRead = position;
}

void EntityTree::WriteXml(TiXmlElement* element) const
{
    kaEntity::WriteXml(element);
    if (!element || !m_pBillboard)
        return;
    AppendTextElement(element, "filename", m_pBillboard->GetTextureName());
    if (!m_BlockKeys.Write(element, "scale"))
        AppendFloatElement(element, "scale", m_pBillboard->GetScale());
    const Vector3& position = m_pBillboard->GetPosition();
    // Kept as read until the tree is moved.
    if (position.x == m_PositionAsRead.x && position.z == m_PositionAsRead.z &&
        m_BlockKeys.Write(element, "position"))
        return;
    TiXmlElement* place = AppendElement(element, "position");
    AppendFloatElement(place, "x", position.x);
    AppendFloatElement(place, "z", position.z);
}

kaMesh* EntityTree::GetNextMesh(bool& more)
{
    more = false;
    return m_pBillboard ? m_pBillboard->GetMesh() : nullptr;
}

kaBoundingBox* EntityTree::GetBoundingBox()
{
    return &m_Bounds;
}

void EntityTree::SetPosition(const Vector3& position)
{
    if (!m_pBillboard)
        return;
    m_pBillboard->SetPosition(position.x, position.y, position.z);
    UpdateBounds();
    if (m_pWorld)
        m_pWorld->OnEntityMoved(this);
}

void EntityTree::CreateBillboard(const std::string& textureName, float scale)
{
    if (!m_pWorld)
        return;
    const Vector3 position = m_pBillboard ? m_pBillboard->GetPosition() : Vector3(0.0f, 0.0f, 0.0f);
    _ReleaseBillboard();
    m_pBillboard = new kaBillboard;
    m_pBillboard->AddRef();
    m_pBillboard->SetScale(scale);
    // A tree stands on its position and hides what lies behind it.
    m_pBillboard->SetBottomAnchored(true);
    m_pBillboard->SetTexture(textureName);
    m_pBillboard->SetZTest(true);
    m_pBillboard->SetPosition(position.x, position.y, position.z);
    UpdateBounds();
    m_pWorld->AddToAlphaSorter(m_pBillboard);
}

void EntityTree::UpdateBounds()
{
    m_Bounds.m_Min = m_Bounds.m_Max = Vector3(0.0f, 0.0f, 0.0f);
    kaMesh* mesh = m_pBillboard ? m_pBillboard->GetMesh() : nullptr;
    const kaMeshSubset* subset = mesh ? mesh->GetSubset(0) : nullptr;
    const kaResourceHandle handle =
        subset ? (subset->m_SysVertexBuffer ? subset->m_SysVertexBuffer : subset->m_VertexBuffer) : 0;
    const auto* data = handle && g_pGraphicsManager
                           ? static_cast<const uint8_t*>(g_pGraphicsManager->LockVertexBuffer(handle))
                           : nullptr;
    if (data)
    {
        const uint32_t stride = g_pGraphicsManager->GetVertexStride(handle);
        for (uint32_t i = 0; i < subset->m_VertexCount; ++i)
        {
            float p[3];
            std::memcpy(p, data + static_cast<size_t>(subset->m_FirstVertex + i) * stride, sizeof p);
            const Vector3 corner(p[0], p[1], p[2]);
            m_Bounds.m_Min =
                i == 0 ? corner
                       : Vector3(std::min(m_Bounds.m_Min.x, corner.x), std::min(m_Bounds.m_Min.y, corner.y),
                                 std::min(m_Bounds.m_Min.z, corner.z));
            m_Bounds.m_Max =
                i == 0 ? corner
                       : Vector3(std::max(m_Bounds.m_Max.x, corner.x), std::max(m_Bounds.m_Max.y, corner.y),
                                 std::max(m_Bounds.m_Max.z, corner.z));
        }
        g_pGraphicsManager->UnlockVertexBuffer(handle);
    }
    m_Bounds.m_Centre = (m_Bounds.m_Min + m_Bounds.m_Max) * 0.5f;
    const Vector3 half = m_Bounds.m_Max - m_Bounds.m_Centre;
    m_Bounds.m_Radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    m_Bounds.ComputeCorners();
    if (!m_pBillboard)
        return;
    // The sorter culls the billboard by a sphere about its position, which is the quad's foot.
    const Vector3 foot = m_pBillboard->GetPosition();
    float reach = 0.0f;
    for (const Vector3& corner : m_Bounds.m_Corners)
    {
        const Vector3 d = corner - foot;
        reach = std::max(reach, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
    }
    m_pBillboard->SetBoundingRadius(reach);
}
