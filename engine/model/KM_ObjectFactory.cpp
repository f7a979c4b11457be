#include "engine/model/KM_ObjectFactory.h"

#include "engine/model/KM_Animation.h"
#include "engine/model/KM_AttachmentPt.h"
#include "engine/model/KM_Camera.h"
#include "engine/model/KM_CollisionBox.h"
#include "engine/model/KM_CollisionCylinder.h"
#include "engine/model/KM_CollisionMesh.h"
#include "engine/model/KM_CollisionPlane.h"
#include "engine/model/KM_CollisionSphere.h"
#include "engine/model/KM_DataTag.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

#include <cstdio>

std::unique_ptr<KM_Object> CreateKMObject(KM_Stream* stream)
{
    uint32_t typeId;
    if (stream == nullptr || !stream->ReadU32(typeId))
        return nullptr;
    switch (typeId)
    {
    case KM_GeoObject::kTypeId:
        return std::make_unique<KM_GeoObject>();
    case KM_Camera::kTypeId:
        return std::make_unique<KM_Camera>();
    case KM_Light::kTypeId:
        return std::make_unique<KM_Light>();
    case KM_AttachmentPt::kTypeId:
        return std::make_unique<KM_AttachmentPt>();
    case KM_CollisionMesh::kTypeId:
        return std::make_unique<KM_CollisionMesh>();
    case KM_CollisionBox::kTypeId:
        return std::make_unique<KM_CollisionBox>();
    case KM_CollisionSphere::kTypeId:
        return std::make_unique<KM_CollisionSphere>();
    case KM_CollisionCylinder::kTypeId:
        return std::make_unique<KM_CollisionCylinder>();
    case KM_CollisionPlane::kTypeId:
        return std::make_unique<KM_CollisionPlane>();
    case KM_DataTag::kTypeId:
        return std::make_unique<KM_DataTag>();
    case KM_Animation::kTypeId:
        return std::make_unique<KM_Animation>();
    case KM_Skeleton::kTypeId:
        return std::make_unique<KM_Skeleton>();
    case KM_Primitive::kTypeId:
        return std::make_unique<KM_Primitive>();
    default:
        break;
    }
    platform::OutputDebugString("**** WARNING **** Encountered Unknown KMF Object Type\n");
    // The size is read whatever the version: an unknown object can only be skipped by it.
    uint32_t version, size;
    if (!stream->ReadU32(version) || !stream->ReadU32(size))
        return nullptr;
    if (size > stream->Remaining())
        stream->Seek(0, SEEK_END);
    else
        stream->Seek(static_cast<long>(size), SEEK_CUR);
    return nullptr;
}
