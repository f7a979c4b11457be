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

// A list read again starts empty, and one that fails to read is left empty; a scene is read over whole.
void Empty(KM_ListBase& list)
{
    list.Reset();
}
void Empty(KM_Scene&) {}

// Reads one top-level object into its slot: a second one, or one that fails to read, fails the file.
template <typename T>
bool ReadInto(KM_Stream* stream, T& object, bool& read, const char* duplicateText, const char* failedText)
{
    if (read)
    {
        platform::OutputDebugString(duplicateText);
        return false;
    }
    Empty(object);
    if (!object.Read(stream))
    {
        Empty(object);
        platform::OutputDebugString(failedText);
        return false;
    }
    read = true;
    return true;
}

template <typename T>
std::unique_ptr<T> ReadFirstOfType(KM_Stream& stream, uint32_t typeId, const char* erroneousText)
{
    if (!stream.IsOpen() || !stream.ReadHeader() || stream.Remaining() == 0)
        return nullptr;
    KM_Scene scene;
    KM_ObjectList objects;
    KM_FileReader::Slots slots;
    slots.scene = &scene;
    slots.objects = &objects;
    if (!KM_FileReader::ReadTopLevel(&stream, false, erroneousText, slots))
        return nullptr;
    stream.Close();
    if (!slots.objectsRead)
        return nullptr;
    for (KM_Object* object = objects.GetFirst(); object != nullptr; object = object->GetNext())
    {
        // The list goes with this call: its object is handed over whole rather than copied.
        if (object->GetTypeId() == typeId)
            return std::unique_ptr<T>(static_cast<T*>(objects.Detach(object).release()));
    }
    return nullptr;
}

} // namespace

bool KM_FileReader::ReadTopLevel(KM_Stream* stream, bool acceptMaterials, const char* erroneousText,
                                 TopLevel& out)
{
    auto scene = std::make_unique<KM_Scene>();
    auto materials = std::make_unique<KM_MaterialList>();
    auto objects = std::make_unique<KM_ObjectList>();
    Slots slots;
    slots.scene = scene.get();
    slots.materials = materials.get();
    slots.objects = objects.get();
    const bool ok = ReadTopLevel(stream, acceptMaterials, erroneousText, slots);
    out.scene = slots.sceneRead ? std::move(scene) : nullptr;
    out.materials = slots.materialsRead ? std::move(materials) : nullptr;
    out.objects = slots.objectsRead ? std::move(objects) : nullptr;
    return ok;
}

bool KM_FileReader::ReadTopLevel(KM_Stream* stream, bool acceptMaterials, const char* erroneousText,
                                 Slots& out)
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
            ok = ReadInto(stream, *out.scene, out.sceneRead, "Scene already generated\n",
                          "ERROR READING KM_SCENE\n");
        else if (typeId == KM_MaterialList::kTypeId && acceptMaterials)
            ok = ReadInto(stream, *out.materials, out.materialsRead, "Material List already generated\n",
                          "ERROR READING KM_MATERIALLIST\n");
        else if (typeId == KM_ObjectList::kTypeId)
            ok = ReadInto(stream, *out.objects, out.objectsRead, "Object List already generated\n",
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
