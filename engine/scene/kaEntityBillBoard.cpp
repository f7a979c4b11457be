#include "engine/scene/kaEntityBillBoard.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/ka3DAlphaSorter.h"
#include "engine/render/kaRenderState.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

#include <cmath>

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityBillBoard, "kaEntityBillBoard")

namespace
{

const EntityFactory::Registration s_Registration(kaEntityBillBoard::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityBillBoard>);

using kaXmlValues::ReadFloatOrThrow;

} // namespace

kaEntityBillBoard::kaEntityBillBoard() = default;

kaEntityBillBoard::~kaEntityBillBoard()
{
    ka3DAlphaSorter* sorter = m_pWorld ? m_pWorld->GetAlphaSorter() : nullptr;
    for (kaBillboard* billboard : m_Billboards)
    {
        // The sorter keeps the reference it took until it lets the billboard go.
        if (sorter && billboard->GetParent() == sorter)
        {
            sorter->Remove(billboard);
            billboard->Release();
        }
        billboard->Release();
    }
    m_Billboards.clear();
    m_Bones.clear();
    m_RenderStateIds.clear();
}

void kaEntityBillBoard::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element)
        return;
    const std::string renderStateId = GetChildElementText("renderStateID", element);
    float scale = 0.0f;
    ReadFloatOrThrow(element, "scale", scale);
    bool fromBottom = false;
    if (const TiXmlElement* bottom = element->FirstChildElement("setPosFromBottom"))
        fromBottom = GetElementBool(bottom);
    // A record's billboards are made again from the record at each load: only the file's are written.
    const bool fromFile = !IsReadingInitData();
    if (fromFile)
    {
        m_FileRenderStateId = renderStateId;
        m_FileScale = scale;
        m_FileFromBottom = fromBottom;
    }
    const TiXmlElement* positions = element->FirstChildElement("positions");
    if (!positions)
        return;
    const float radius = std::sqrt(2.0f * scale * scale);
    for (const TiXmlElement* pos = positions->FirstChildElement("pos"); pos;
         pos = pos->NextSiblingElement("pos"))
    {
        // Each position starts at the origin: a missing coordinate is 0, not the previous one's.
        Vector3 position(0.0f, 0.0f, 0.0f);
        ReadFloatOrThrow(pos, "x", position.x);
        ReadFloatOrThrow(pos, "y", position.y);
        ReadFloatOrThrow(pos, "z", position.z);
        auto* billboard = new kaBillboard;
        billboard->AddRef();
        billboard->SetScale(scale);
        billboard->SetBottomAnchored(fromBottom);
        billboard->SetTexCoords(0.0f, 0.0f, 1.0f, 1.0f);
        billboard->CreateDeviceObjects();
        _ApplyRenderState(billboard, renderStateId);
        // Sized again now that the render state may have brought a texture to scale.
        billboard->SetScale(scale);
        if (m_pWorld)
            m_pWorld->AddToAlphaSorter(billboard);
        billboard->SetBoundingRadius(radius);
        billboard->SetPosition(position.x, position.y, position.z);
        _Append(billboard, 0, renderStateId);
        if (fromFile)
            m_FilePositions.push_back(position);
    }
}

void kaEntityBillBoard::WriteXml(TiXmlElement* element) const
{
    kaEntity::WriteXml(element);
    if (!element)
        return;
    AppendTextElement(element, "renderStateID", m_FileRenderStateId);
    AppendFloatElement(element, "scale", m_FileScale);
    AppendBoolElement(element, "setPosFromBottom", m_FileFromBottom);
    TiXmlElement* positions = AppendElement(element, "positions");
    for (const Vector3& position : m_FilePositions)
    {
        TiXmlElement* pos = AppendElement(positions, "pos");
        AppendFloatElement(pos, "x", position.x);
        AppendFloatElement(pos, "y", position.y);
        AppendFloatElement(pos, "z", position.z);
    }
}

kaBillboard* kaEntityBillBoard::AddBillboard(const std::string& renderStateId, int32_t bone, float size,
                                             int32_t mode, float offset, const float* anchor)
{
    auto* billboard = new kaBillboard;
    billboard->AddRef();
    if (mode == kFromBottom)
        billboard->SetBottomAnchored(true);
    else if (mode == kAnchored && anchor)
        billboard->SetAnchor(anchor[0], anchor[1]);
    billboard->SetTexCoords(0.0f, 0.0f, 1.0f, 1.0f);
    billboard->SetSize(size, size);
    billboard->SetOffset(offset);
    billboard->CreateDeviceObjects();
    _ApplyRenderState(billboard, renderStateId);
    if (m_pWorld)
        m_pWorld->AddToAlphaSorter(billboard);
    billboard->SetBoundingRadius(std::sqrt(2.0f) * size);
    if (m_pOwner)
    {
        const Vector3 position = m_pOwner->GetBoneWorldPosition(bone);
        billboard->SetPosition(position.x, position.y, position.z);
    }
    _Append(billboard, bone, renderStateId);
    return billboard;
}

void kaEntityBillBoard::_Append(kaBillboard* billboard, int32_t bone, const std::string& renderStateId)
{
    m_Billboards.push_back(billboard);
    m_Bones.push_back(bone);
    m_RenderStateIds.push_back(renderStateId);
}

void kaEntityBillBoard::_ApplyRenderState(kaBillboard* billboard, const std::string& renderStateId)
{
    if (kaRenderState* state = billboard->GetRenderState())
        state->ApplyInitData(renderStateId);
}

void kaEntityBillBoard::JoinWorld(kaWorld* world)
{
    if (m_pWorld || !world)
        return;
    m_pWorld = world;
    for (kaBillboard* billboard : m_Billboards)
        world->AddToAlphaSorter(billboard);
}

void kaEntityBillBoard::CreateDeviceObjects()
{
    kaEntity::CreateDeviceObjects();
    // The alpha sorter may have restored the quads already, or not yet: either way they are dressed again,
    // from no texture, as when they were made.
    for (size_t i = 0; i < m_Billboards.size(); ++i)
    {
        kaBillboard* billboard = m_Billboards[i];
        billboard->CreateDeviceObjects();
        if (kaRenderState* state = billboard->GetRenderState())
            state->ClearTextures();
        _ApplyRenderState(billboard, m_RenderStateIds[i]);
        const platform::Vector3 position = billboard->GetPosition();
        billboard->SetPosition(position.x, position.y, position.z);
    }
}

void kaEntityBillBoard::PlaceBillboards()
{
    if (!m_pOwner)
        return;
    for (size_t i = 0; i < m_Billboards.size(); ++i)
    {
        if (m_Bones[i] <= kNoBone)
            continue;
        const Vector3 position = m_pOwner->GetBoneWorldPosition(m_Bones[i]);
        m_Billboards[i]->SetPosition(position.x, position.y, position.z);
    }
}
