#include "engine/model/KM_Skeleton.h"

#include "engine/model/KM_Stream.h"

namespace
{
// Name and parent lengths, the bone word, the transform and the weight count.
const uint64_t kMinBoneBytes = 4 + 4 + 4 + 64 + 4;
} // namespace

KM_Skeleton::KM_Skeleton() : KM_Object(kTypeId, 2), m_Bones(&m_RecordRoom) {}

KM_Skeleton::KM_Skeleton(const KM_Skeleton& other)
    : KM_Object(other), m_BoneCount(other.m_BoneCount), m_Bones(other.m_Bones, &m_RecordRoom)
{
}

KM_Skeleton::KM_Skeleton(KM_Skeleton&& other)
    : KM_Object(other), m_BoneCount(other.m_BoneCount), m_Bones(std::move(other.m_Bones), &m_RecordRoom)
{
}

uint32_t KM_Skeleton::ComputeSize()
{
    uint64_t size = KM_Stream::StringBytes(m_Name) + 4 + 4 + 4;
    for (const auto& entry : m_Bones)
    {
        const Bone& bone = entry.second;
        size += KM_Stream::StringBytes(bone.name) + KM_Stream::StringBytes(bone.parentName) + 4 + 64 + 4 +
                bone.weights.size() * 8;
    }
    m_Size = static_cast<uint32_t>(size);
    return m_Size;
}

bool KM_Skeleton::_ReadBody(KM_Stream* stream)
{
    uint32_t skeletonVersion, recordCount;
    if (!ReadVersionAndSize(stream) || !stream->ReadString(m_Name) ||
        !stream->ReadValues(skeletonVersion, m_BoneCount, recordCount))
        return false;
    // Nothing else lives in the room: emptied, its blocks go back before this file's records are placed.
    m_Bones.clear();
    m_RecordRoom.Release();
    if (!stream->Fits(recordCount, kMinBoneBytes))
        return false;
    for (uint32_t index = 0; index < recordCount; ++index)
    {
        // Made in the map and read in place, so its weights go straight into the room; a bone that does not
        // read whole is taken out again.
        const auto at = m_Bones.emplace_hint(m_Bones.end(), std::piecewise_construct,
                                             std::forward_as_tuple(index), std::forward_as_tuple());
        Bone& bone = at->second;
        uint32_t weightCount;
        if (!stream->ReadString(bone.name) || !stream->ReadString(bone.parentName) ||
            !stream->ReadValues(bone.word, bone.orientation, weightCount) ||
            !stream->ReadArray(bone.weights, weightCount))
        {
            m_Bones.erase(at);
            return false;
        }
    }
    return true;
}

bool KM_Skeleton::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, "Error Reading KM_Skeleton Data", [&] { return _ReadBody(stream); });
}

bool KM_Skeleton::_WriteBody(KM_Stream* stream)
{
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name) || !stream->WriteU32(0) ||
        !stream->WriteU32(m_BoneCount) || !stream->WriteU32(static_cast<uint32_t>(m_Bones.size())))
        return false;
    for (const auto& entry : m_Bones)
    {
        const Bone& bone = entry.second;
        if (!stream->WriteString(bone.name) || !stream->WriteString(bone.parentName) ||
            !stream->WriteU32(bone.word) || !stream->Write(bone.orientation, 4, 16) ||
            !stream->WriteU32(static_cast<uint32_t>(bone.weights.size())) ||
            !stream->WriteArray(bone.weights))
            return false;
    }
    return true;
}

void KM_Skeleton::_WriteText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    PrintInt(stream, "Skeleton Version:", 0);
    PrintInt(stream, "*SKEL_BONECNT", m_BoneCount);
    PrintTag(stream, "*SKEL_BONEDATA");
    OpenBlock(stream);
    PrintInt(stream, "m_Bones.size()", static_cast<int64_t>(m_Bones.size()));
    for (const auto& entry : m_Bones)
    {
        const Bone& bone = entry.second;
        PrintText(stream, "*ANIM_BONEANIMDATA_BONENAME", bone.name);
        PrintText(stream, "*ANIM_BONEANIMDATA_PARENTBONE", bone.parentName);
        PrintInt(stream, "*SKEL_BONEDATA_VERTEXCNT", static_cast<int64_t>(bone.weights.size()));
        PrintTag(stream, "*SKEL_BONEDATA_ORIENT_TM");
        OpenBlock(stream);
        static const char* const kRows[4] = {"Row0", "Row1", "Row2", "Row3"};
        for (int row = 0; row < 4; ++row)
            stream->Print(
                "%s%s\t%f\t%f\t%f\t%f\n", stream->IndentText(), kRows[row],
                static_cast<double>(bone.orientation[row][0]), static_cast<double>(bone.orientation[row][1]),
                static_cast<double>(bone.orientation[row][2]), static_cast<double>(bone.orientation[row][3]));
        CloseBlock(stream);
        PrintTag(stream, "*SKEL_BONEDATA_WEIGHTS");
        OpenBlock(stream);
        for (const Weight& weight : bone.weights)
        {
            PrintInt(stream, "*SKEL_BONEDATA_WEIGHTS_VERTEXIDX", weight.vertex);
            stream->Print("%s%s\t\t%f\n", stream->IndentText(), "*SKEL_BONEDATA_WEIGHTS_WEIGHT",
                          static_cast<double>(weight.weight));
        }
        CloseBlock(stream);
    }
    CloseBlock(stream);
    CloseBlock(stream);
}

bool KM_Skeleton::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, "Error Writing KM_Skeleton Data", [&] { _WriteText(stream); },
        [&] { return _WriteBody(stream); });
}
