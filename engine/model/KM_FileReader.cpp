#include "engine/model/KM_FileReader.h"

#include "engine/model/KM_Animation.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Scene.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

#include <utility>

KM_FileReader::TopLevel::TopLevel() = default;
KM_FileReader::TopLevel::~TopLevel() = default;

namespace
{

// Reads one top-level object into its slot: a second one, or one that fails to read, fails the file.
template <typename T>
bool ReadInto(KM_Stream* stream, std::unique_ptr<T>& slot, const char* duplicateText, const char* failedText)
{
    if (slot)
    {
        platform::OutputDebugString(duplicateText);
        return false;
    }
    auto object = std::make_unique<T>();
    if (!object->Read(stream))
    {
        platform::OutputDebugString(failedText);
        return false;
    }
    slot = std::move(object);
    return true;
}

template <typename T>
std::unique_ptr<T> ReadFirstOfType(KM_Stream& stream, uint32_t typeId, const char* erroneousText)
{
    if (!stream.IsOpen() || !stream.ReadHeader() || stream.Remaining() == 0)
        return nullptr;
    KM_FileReader::TopLevel top;
    if (!KM_FileReader::ReadTopLevel(&stream, false, erroneousText, top))
        return nullptr;
    stream.Close();
    top.scene.reset();
    if (!top.objects)
        return nullptr;
    for (KM_Object* object = top.objects->GetFirst(); object != nullptr; object = object->GetNext())
    {
        // The list goes with this call: its object is handed over whole rather than copied.
        if (object->GetTypeId() == typeId)
            return std::unique_ptr<T>(static_cast<T*>(top.objects->Detach(object).release()));
    }
    return nullptr;
}

} // namespace

bool KM_FileReader::ReadTopLevel(KM_Stream* stream, bool acceptMaterials, const char* erroneousText,
                                 TopLevel& out)
{
    // A refused header leaves the objects at an unknown offset.
    if (stream == nullptr || !stream->IsOpen() || !stream->HeaderUsable())
        return false;
    while (stream->Remaining() > 0)
    {
        uint32_t typeId;
        if (!stream->ReadU32(typeId))
            return false;
        bool ok = true;
        if (typeId == KM_Scene::kTypeId)
            ok = ReadInto(stream, out.scene, "Scene already generated\n", "ERROR READING KM_SCENE\n");
        else if (typeId == KM_MaterialList::kTypeId && acceptMaterials)
            ok = ReadInto(stream, out.materials, "Material List already generated\n",
                          "ERROR READING KM_MATERIALLIST\n");
        else if (typeId == KM_ObjectList::kTypeId)
            ok = ReadInto(stream, out.objects, "Object List already generated\n",
                          "ERROR READING KMOBJECTLIST\n");
        else
            platform::OutputDebugString(erroneousText);
        if (!ok)
            return false;
    }
    return true;
}

std::unique_ptr<KM_Skeleton> KM_FileReader::ReadSkeleton(const char* path)
{
    KM_Stream stream;
    if (!stream.Open(path, KM_Stream::kBinary))
        return nullptr;
    return ReadSkeleton(stream);
}

std::unique_ptr<KM_Animation> KM_FileReader::ReadAnimation(const char* path)
{
    KM_Stream stream;
    if (!stream.Open(path, KM_Stream::kBinary))
        return nullptr;
    return ReadAnimation(stream);
}

std::unique_ptr<KM_Skeleton> KM_FileReader::ReadSkeleton(KM_Stream& stream)
{
    return ReadFirstOfType<KM_Skeleton>(stream, KM_Skeleton::kTypeId, kErroneousModel);
}

std::unique_ptr<KM_Animation> KM_FileReader::ReadAnimation(KM_Stream& stream)
{
    return ReadFirstOfType<KM_Animation>(stream, KM_Animation::kTypeId, kErroneousAnimation);
}
