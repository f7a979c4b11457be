#include "engine/scene/kaEntityModel.h"

#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/KM_Light.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityAttacher.h"
#include "engine/scene/kaEntityBillBoard.h"
#include "engine/scene/kaParticleEmitterMgr.h"
#include "engine/scene/kaWorld.h"
#include "engine/scene/kaXmlRotation.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityModel, "EntityModel")

namespace
{

const EntityFactory::Registration s_Registration(kaEntityModel::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityModel>);

Matrix Identity()
{
    Matrix identity;
    platform::MatrixIdentity(&identity);
    return identity;
}

using kaXmlValues::ReadFloatOrThrow;

// Where values stand within a few float steps of others, a step of the largest: the physics places a body's
// model back on its centre point through a turn and back.
bool AreNear(std::initializer_list<std::pair<float, float>> values)
{
    float largest = 1.0f;
    for (const auto& [a, b] : values)
        largest = std::max(largest, std::fabs(a));
    for (const auto& [a, b] : values)
        if (!(std::fabs(a - b) <= kaEntityModel::kPlacementTolerance * largest))
            return false;
    return true;
}

void AppendLine(std::vector<VERTEX_WORLDPOS_DIFFUSE>& vertices, const Vector3& from, const Vector3& to,
                uint32_t color)
{
    vertices.push_back({from.x, from.y, from.z, color});
    vertices.push_back({to.x, to.y, to.z, color});
}

} // namespace

kaEntityModel::kaEntityModel() = default;

kaEntityModel::~kaEntityModel()
{
    delete m_pBillboard;
    m_pBillboard = nullptr;
    delete m_pEmitterManager;
    m_pEmitterManager = nullptr;
    // An attacher outliving this entity must not move it afterwards.
    for (kaEntityAttacher* attacher : m_Attachments)
        attacher->OnEntityDestroyed(this);
    m_Attachments.clear();
    for (kaLight* light : m_Lights)
    {
        if (m_pWorld)
            m_pWorld->RemoveLight(light);
        delete light;
    }
    m_Lights.clear();
    if (m_pModel && g_pModelManager)
        g_pModelManager->ReleaseModel(m_pModel);
    m_pModel = nullptr;
}

void kaEntityModel::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element)
        return;
    if (!m_pModel)
    {
        // An entity saved without a model wrote an empty name: it reads back without one, instead of a
        // folder being taken for its model file.
        const TiXmlElement* file = element->FirstChildElement("kmfFilename");
        const std::string fileName = file != nullptr ? GetElementText(file) : std::string();
        if (!fileName.empty())
            _LoadModel(fileName);
    }
    // Not written from the field: a block's own switch is written back as it gave it.
    if (!IsReadingInitData())
        m_BlockKeys.Keep(element, {"noSortAlpha"});
    ReadKey(element, "snapToTerrain", m_SnapToTerrain);
    ReadKey(element, "noSortAlpha", m_NoSortAlpha);
    if (const TiXmlElement* rotation = element->FirstChildElement("rotation"))
        _ReadRotation(rotation);
    m_PositionRead = false;
    if (element->FirstChildElement("position"))
        _ReadPosition(element);
    if (!m_pModel)
        return;
    _ReadTextures(element);
    _ReadEmitters(element);
    _ReadBillboards(element);
}

std::vector<int32_t> kaEntityModel::_ReadBones(const TiXmlElement* element) const
{
    std::vector<int32_t> bones;
    for (const TiXmlElement* bone = element->FirstChildElement("bone"); bone;
         bone = bone->NextSiblingElement("bone"))
    {
        const int32_t index = GetBoneIndex(GetElementText(bone));
        if (index >= 0)
            bones.push_back(index);
    }
    return bones;
}

void kaEntityModel::_ReadEmitters(const TiXmlElement* element)
{
    for (const TiXmlElement* emitter = element->FirstChildElement("emitter"); emitter;
         emitter = emitter->NextSiblingElement("emitter"))
    {
        const std::string id = GetChildElementText("emitterInitID", emitter);
        for (const int32_t bone : _ReadBones(emitter))
            MakeEmitterManager()->AddEmitter(id, bone);
    }
}

void kaEntityModel::_ReadBillboards(const TiXmlElement* element)
{
    for (const TiXmlElement* billboard = element->FirstChildElement("billboard"); billboard;
         billboard = billboard->NextSiblingElement("billboard"))
    {
        float scale = 0.0f;
        float scaleMin = kDefaultBillboardScale;
        float scaleMax = kDefaultBillboardScale;
        float offset = 0.0f;
        bool fromBottom = false;
        ReadFloatOrThrow(billboard, "scale", scale);
        ReadFloatOrThrow(billboard, "scaleMin", scaleMin);
        ReadFloatOrThrow(billboard, "scaleMax", scaleMax);
        ReadFloatOrThrow(billboard, "toCamOffset", offset);
        if (const TiXmlElement* bottom = billboard->FirstChildElement("posFromBottom"))
            fromBottom = GetElementBool(bottom);
        if (scale > 0.0f)
        {
            scaleMin = scale;
            scaleMax = scale;
        }
        int32_t mode = fromBottom ? kaEntityBillBoard::kFromBottom : kaEntityBillBoard::kCentred;
        float anchor[2] = {kDefaultBillboardAnchor, kDefaultBillboardAnchor};
        if (const TiXmlElement* texOffset = billboard->FirstChildElement("texOffset"))
        {
            mode = kaEntityBillBoard::kAnchored;
            ReadFloatOrThrow(texOffset, "x", anchor[0]);
            ReadFloatOrThrow(texOffset, "y", anchor[1]);
        }
        const std::string renderState = GetChildElementText("renderStateID", billboard);
        for (const int32_t bone : _ReadBones(billboard))
        {
            const float size = scaleMin + RandomFloat() * (scaleMax - scaleMin);
            MakeBillboardEntity()->AddBillboard(renderState, bone, size, mode, offset, anchor);
        }
    }
}

kaEntityBillBoard* kaEntityModel::MakeBillboardEntity()
{
    if (!m_pBillboard)
    {
        m_pBillboard = new kaEntityBillBoard;
        m_pBillboard->SetWorld(m_pWorld);
        m_pBillboard->SetOwner(this);
    }
    return m_pBillboard;
}

kaParticleEmitterMgr* kaEntityModel::MakeEmitterManager()
{
    if (!m_pEmitterManager)
    {
        m_pEmitterManager = new kaParticleEmitterMgr;
        m_pEmitterManager->SetOwner(this);
    }
    return m_pEmitterManager;
}

void kaEntityModel::_ReadRotation(const TiXmlElement* element)
{
    const char* const reader = "kaEntityModel::ReadXml";
    const Quaternion placed = GetPlacedRotation();
    Quaternion rotation = placed;
    bool usable = true;
    const auto read = [&]
    { usable = kaXmlRotation::Read(element, rotation, kaXmlValues::OnMalformed::Throw, reader); };
    if (!ReadKeyOf(element, "rotation", read, KeepText::kYes))
    {
        // An edited world keeps what reads of it.
        rotation = placed;
        usable = kaXmlRotation::Read(element, rotation, kaXmlValues::OnMalformed::KeepWithDebugLine, reader);
    }
    if (!usable)
        _NoteRotationReplaced(element);
    SetRotation(rotation);
    if (m_BlockKeys.Has("rotation"))
        m_RotationAsRead = GetPlacedRotation();
}

void kaEntityModel::_NoteRotationReplaced(const TiXmlElement* element) const
{
    // The editor lists it with the values it could not read; a run goes on with the identity.
    if (!m_pWorld || !IsInEditedWorld() || IsReadingInitData())
        return;
    m_pWorld->NoteMalformedValue("rotation", KeyText(element));
}

void kaEntityModel::_ReadPosition(const TiXmlElement* element)
{
    Vector3 position = GetPlacedPosition();
    // Read whole or, in an edited world, in part and within the bound.
    ReadPlacementKey(element, "position", position, !m_SnapToTerrain);
    if (m_SnapToTerrain)
        position.y = m_pWorld ? m_pWorld->GetGroundHeight(position.x, position.z) : 0.0f;
    m_ReadPosition = position;
    m_PositionRead = true;
    SetPosition(position);
    if (m_BlockKeys.Has("position"))
        m_PositionAsRead = GetPlacedPosition();
}

void kaEntityModel::_ReadTextures(const TiXmlElement* element)
{
    for (const TiXmlElement* texture = element->FirstChildElement("texture"); texture;
         texture = texture->NextSiblingElement("texture"))
    {
        kaMeshSubset* subset = m_pModel->FindSubset(GetChildElementText("subset", texture));
        if (subset && subset->GetRenderState())
            subset->GetRenderState()->ApplyInitData(GetChildElementText("renderStateID", texture));
    }
}

void kaEntityModel::WriteXml(TiXmlElement* element) const
{
    _WriteModelXml(element, false);
}

void kaEntityModel::_WriteModelXml(TiXmlElement* element, bool positionFirst) const
{
    kaEntity::WriteXml(element);
    if (!element)
        return;
    AppendTextElement(element, "kmfFilename", m_ModelFile);
    // Without a model the entity still has the place it was read or put at.
    const bool placed = m_pModel || m_Placed;
    if (!m_BlockKeys.Write(element, "snapToTerrain") && placed)
        AppendBoolElement(element, "snapToTerrain", m_SnapToTerrain);
    m_BlockKeys.Write(element, "noSortAlpha");
    if (!placed)
        return;
    if (positionFirst)
        _AppendPosition(element);
    _AppendRotation(element);
    if (!positionFirst)
        _AppendPosition(element);
}

bool kaEntityModel::_StandsAsRead(const char* key) const
{
    if (!m_BlockKeys.Has(key))
        return false;
    if (std::string(key) == "position")
    {
        const Vector3 placed = GetPlacedPosition();
        return AreNear(
            {{placed.x, m_PositionAsRead.x}, {placed.y, m_PositionAsRead.y}, {placed.z, m_PositionAsRead.z}});
    }
    const Quaternion placed = GetPlacedRotation();
    return AreNear({{placed.x, m_RotationAsRead.x},
                    {placed.y, m_RotationAsRead.y},
                    {placed.z, m_RotationAsRead.z},
                    {placed.w, m_RotationAsRead.w}});
}

void kaEntityModel::_AppendRotation(TiXmlElement* element) const
{
    // Kept as read until the entity is turned.
    if (_StandsAsRead("rotation") && m_BlockKeys.Write(element, "rotation"))
        return;
    const Quaternion rotation = GetPlacedRotation();
    TiXmlElement* quaternion = AppendElement(AppendElement(element, "rotation"), "quaternion");
    AppendFloatElement(quaternion, "x", rotation.x);
    AppendFloatElement(quaternion, "y", rotation.y);
    AppendFloatElement(quaternion, "z", rotation.z);
    AppendFloatElement(quaternion, "w", rotation.w);
}

void kaEntityModel::_AppendPosition(TiXmlElement* element) const
{
    // Kept as read until the entity is moved.
    if (_StandsAsRead("position") && m_BlockKeys.Write(element, "position"))
        return;
    const Vector3 position = GetPlacedPosition();
    TiXmlElement* place = AppendElement(element, "position");
    AppendFloatElement(place, "x", position.x);
    AppendFloatElement(place, "z", position.z);
    // A snapped entity takes its height from the ground when read again.
    if (!m_SnapToTerrain)
        AppendFloatElement(place, "y", position.y);
}

void kaEntityModel::_LoadModel(const std::string& fileName)
{
    if (!g_pModelManager)
        return;
    const bool descriptor = fileName.find(".xml") != std::string::npos;
    kaModel* model =
        descriptor ? g_pModelManager->LoadModelDescriptor(fileName) : g_pModelManager->CreateModel(fileName);
    // A file that is missing or damaged leaves an instance of an empty mesh.
    if (model && (!model->GetMesh() || model->GetMesh()->GetSubsetCount() == 0))
    {
        g_pModelManager->ReleaseModel(model);
        model = nullptr;
    }
    if (!model)
    {
        model = g_pModelManager->CreateModel(kDefaultModelFile);
        // The world file keeps the name that was asked for.
        if (model)
            model->SetSourceName(fileName);
    }
    SetModel(model);
}

void kaEntityModel::SetModel(kaModel* model)
{
    if (m_pModel && m_pModel != model && g_pModelManager)
        g_pModelManager->ReleaseModel(m_pModel);
    if (model)
    {
        m_ModelFile = model->GetSourceName();
        model->UpdateBounds();
    }
    m_pModel = model;
}

void kaEntityModel::Initialize()
{
    kaEntity::Initialize();
    if (!m_pWorld || !m_pModel || !m_pModel->GetMesh())
        return;
    // Once: a second initialisation must not list the emitters twice.
    if (m_pEmitterManager && !m_pEmitterManager->GetWorld())
        m_pEmitterManager->AddEmittersToWorld(m_pWorld);
    // Read before it had a world (made from init data), the entity shows its billboards only now.
    if (m_pBillboard)
        m_pBillboard->JoinWorld(m_pWorld);
    if (m_NoSortAlpha)
        m_pModel->SetNoSortAlpha();
    // Made once: the lights belong to the model's lifetime in this world, not to each initialisation.
    if (!m_Lights.empty())
        return;
    for (int i = 0; i < m_pModel->GetLightNodeCount(); ++i)
    {
        const KM_Light* node = m_pModel->GetLightNode(i);
        if (!node)
            continue;
        auto* light = new kaLight(*node);
        m_pWorld->AddLight(light);
        m_Lights.push_back(light);
    }
    _PlaceLights();
}

void kaEntityModel::Render()
{
    kaEntity::Render();
    if (!m_pModel)
        return;
    m_pModel->Render(0);
    if (!g_pGraphicsManager)
        return;
    if (m_DebugAxes)
        _DrawAxes();
    if (m_Selected)
    {
        if (kaBoundingBox* box = m_pModel->GetBoundingBox())
        {
            box->ComputeCorners();
            g_pGraphicsManager->DebugDrawBox(box->m_Corners, 1.0f, 1.0f, 1.0f, 1.0f, true);
        }
    }
}

void kaEntityModel::CreateDeviceObjects()
{
    kaEntity::CreateDeviceObjects();
    if (m_pBillboard)
        m_pBillboard->CreateDeviceObjects();
}

void kaEntityModel::_DrawAxes() const
{
    const Vector3 origin = GetPosition();
    std::vector<VERTEX_WORLDPOS_DIFFUSE> vertices;
    vertices.reserve(6);
    AppendLine(vertices, origin, origin + Vector3(kAxisLength, 0.0f, 0.0f), kAxisXColor);
    AppendLine(vertices, origin, origin + Vector3(0.0f, kAxisLength, 0.0f), kAxisYColor);
    AppendLine(vertices, origin, origin + Vector3(0.0f, 0.0f, kAxisLength), kAxisZColor);
    g_pGraphicsManager->QueueDebugPrimitive(std::move(vertices), false);
}

kaMesh* kaEntityModel::GetNextMesh(bool& more)
{
    if (!m_pModel)
    {
        more = false;
        return nullptr;
    }
    return m_pModel->GetNextMesh(more);
}

kaBoundingBox* kaEntityModel::GetBoundingBox()
{
    return m_pModel ? m_pModel->GetBoundingBox() : nullptr;
}

bool kaEntityModel::GetWorldMatrix(Matrix& matrix) const
{
    if (!m_pModel)
        return false;
    matrix = m_pModel->GetWorldMatrix();
    return true;
}

void kaEntityModel::SetPositionRotation(const Vector3& position, const Quaternion& rotation)
{
    if (!m_pModel)
    {
        if (!m_Animating)
            _KeepPlacement(&position, &rotation);
        return;
    }
    if (m_MatrixPlacement)
    {
        // The caller has set the matrix; rebuilding it would drop what the parts cannot express.
        const Matrix placed = m_pModel->GetWorldMatrix();
        m_pModel->SetPositionRotation(position.x, position.y, position.z, rotation.x, rotation.y, rotation.z,
                                      rotation.w);
        m_pModel->SetTransform(placed);
    }
    else
        m_pModel->SetPositionRotation(position.x, position.y, position.z, rotation.x, rotation.y, rotation.z,
                                      rotation.w);
    _AfterPlacement();
}

void kaEntityModel::SetPosition(const Vector3& position)
{
    if (!m_pModel)
    {
        if (!m_Animating)
            _KeepPlacement(&position, nullptr);
        return;
    }
    m_pModel->SetPosition(position.x, position.y, position.z);
    _AfterPlacement();
}

void kaEntityModel::SetRotation(const Quaternion& rotation)
{
    if (!m_pModel)
    {
        if (!m_Animating)
            _KeepPlacement(nullptr, &rotation);
        return;
    }
    m_pModel->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    _AfterPlacement();
}

void kaEntityModel::AnimatePositionRotation(const Vector3& position, const Quaternion& rotation)
{
    const bool was = m_Animating;
    m_Animating = true;
    SetPositionRotation(position, rotation);
    m_Animating = was;
}

Vector3 kaEntityModel::GetPlacedPosition() const
{
    return m_Placed || !m_pModel ? m_PlacedPosition : GetPosition();
}

Quaternion kaEntityModel::GetPlacedRotation() const
{
    return m_Placed || !m_pModel ? m_PlacedRotation : GetRotation();
}

void kaEntityModel::_KeepPlacement(const Vector3* position, const Quaternion* rotation)
{
    if (position && std::isfinite(position->x) && std::isfinite(position->y) && std::isfinite(position->z))
    {
        m_PlacedPosition = *position;
        m_Placed = true;
    }
    if (rotation && std::isfinite(rotation->x) && std::isfinite(rotation->y) && std::isfinite(rotation->z) &&
        std::isfinite(rotation->w))
    {
        m_PlacedRotation = *rotation;
        m_Placed = true;
    }
}

void kaEntityModel::_AfterPlacement()
{
    if (!m_Animating)
    {
        // Taken from the model: a subclass may have placed it off the point it was given.
        const Vector3 position = m_pModel->GetPosition();
        const Quaternion rotation = m_pModel->GetRotation();
        _KeepPlacement(&position, &rotation);
    }
    if (m_pWorld)
        m_pWorld->OnEntityMoved(this);
    _PlaceLights();
    if (m_pBillboard)
        m_pBillboard->PlaceBillboards();
    if (m_pEmitterManager)
        m_pEmitterManager->PlaceEmitters();
    // By index: a follower may attach or detach while it moves.
    for (size_t i = 0; i < m_Attachments.size(); ++i)
    {
        kaEntityAttacher* attacher = m_Attachments[i];
        // The entity that moved this one is already where it should be.
        if (m_pMover && attacher->GetOtherEntity(this) == m_pMover)
            continue;
        attacher->OnEntityMoved(this);
    }
}

void kaEntityModel::_PlaceLights()
{
    if (!m_pModel || m_Lights.empty())
        return;
    Matrix rotation;
    const Quaternion turn = m_pModel->GetRotation();
    platform::MatrixRotationQuaternion(&rotation, &turn);
    const Vector3& position = m_pModel->GetPosition();
    for (kaLight* light : m_Lights)
    {
        Vector3 offset;
        platform::Vec3TransformCoord(&offset, &light->GetOrigin(), &rotation);
        light->SetPosition(position.x + offset.x, position.y + offset.y, position.z + offset.z);
    }
}

bool kaEntityModel::HasBone(const std::string& name) const
{
    return m_pModel && m_pModel->GetSkeleton() && m_pModel->FindBoneIndex(name) >= 0;
}

int32_t kaEntityModel::GetBoneIndex(const std::string& name) const
{
    return m_pModel ? m_pModel->FindBoneIndex(name) : -1;
}

const kaBone* kaEntityModel::FindBone(const std::string& name) const
{
    return m_pModel ? m_pModel->FindBone(name) : nullptr;
}

Vector3 kaEntityModel::GetPosition() const
{
    return m_pModel ? m_pModel->GetPosition() : Vector3(0.0f, 0.0f, 0.0f);
}

Quaternion kaEntityModel::GetRotation() const
{
    return m_pModel ? m_pModel->GetRotation() : Quaternion(0.0f, 0.0f, 0.0f, 0.0f);
}

const Matrix& kaEntityModel::GetWorldMatrixPtr() const
{
    static const Matrix identity = Identity();
    return m_pModel ? m_pModel->GetWorldMatrix() : identity;
}

Vector3 kaEntityModel::GetBoneWorldPosition(int32_t index) const
{
    const Matrix* bone = (m_pModel && index >= 0) ? m_pModel->GetBoneMatrix(index) : nullptr;
    if (!bone)
        return Vector3(0.0f, 0.0f, 0.0f);
    const Matrix world = *bone * m_pModel->GetWorldMatrix();
    return Vector3(world(3, 0), world(3, 1), world(3, 2));
}

Quaternion kaEntityModel::GetBoneWorldRotation(int32_t index) const
{
    const Matrix* bone = (m_pModel && index >= 0) ? m_pModel->GetBoneMatrix(index) : nullptr;
    if (!bone)
        return Quaternion(0.0f, 0.0f, 0.0f, 0.0f);
    const Matrix world = *bone * m_pModel->GetWorldMatrix();
    Quaternion rotation;
    platform::QuaternionRotationMatrix(&rotation, &world);
    return rotation;
}

Vector3 kaEntityModel::GetBonePositionByName(const std::string& name) const
{
    return GetBoneWorldPosition(GetBoneIndex(name));
}

void kaEntityModel::SetTransformFromMatrix(const Matrix& matrix, kaEntityModel* mover)
{
    // Already following another attacher's move: attachers linked in a ring would go round for ever.
    if (!m_pModel || (mover && m_pMover))
        return;
    kaEntityModel* const previousMover = m_pMover;
    m_pMover = mover;
    m_MatrixPlacement = true;
    m_pModel->SetTransform(matrix);
    const Vector3 position(matrix(3, 0), matrix(3, 1), matrix(3, 2));
    Quaternion rotation;
    platform::QuaternionRotationMatrix(&rotation, &matrix);
    SetPositionRotation(position, rotation);
    m_MatrixPlacement = false;
    m_pMover = previousMover;
}

void kaEntityModel::AddAttachment(kaEntityAttacher* attacher)
{
    // Listed once: a second entry would move the other entity twice.
    if (attacher && std::find(m_Attachments.begin(), m_Attachments.end(), attacher) == m_Attachments.end())
        m_Attachments.push_back(attacher);
}

void kaEntityModel::RemoveAttachment(kaEntityAttacher* attacher)
{
    m_Attachments.erase(std::remove(m_Attachments.begin(), m_Attachments.end(), attacher),
                        m_Attachments.end());
}
