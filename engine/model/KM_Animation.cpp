#include "engine/model/KM_Animation.h"

#include "engine/model/KM_Stream.h"

namespace
{
// Name and parent lengths and the key count.
const uint64_t kMinTrackBytes = 4 + 4 + 4;
} // namespace

KM_Animation::KM_Animation() : KM_Object(kTypeId, 2), m_BoneAnims(&m_RecordRoom) {}

KM_Animation::KM_Animation(const KM_Animation& other)
    : KM_Object(other), m_AnimationName(other.m_AnimationName), m_BoneCount(other.m_BoneCount),
      m_Length(other.m_Length), m_FramesPerSecond(other.m_FramesPerSecond), m_KeyCount(other.m_KeyCount),
      m_BoneAnims(other.m_BoneAnims, &m_RecordRoom)
{
}

KM_Animation::KM_Animation(KM_Animation&& other)
    : KM_Object(other), m_AnimationName(std::move(other.m_AnimationName)), m_BoneCount(other.m_BoneCount),
      m_Length(other.m_Length), m_FramesPerSecond(other.m_FramesPerSecond), m_KeyCount(other.m_KeyCount),
      m_BoneAnims(std::move(other.m_BoneAnims), &m_RecordRoom)
{
}

uint32_t KM_Animation::ComputeSize()
{
    uint64_t size = KM_Stream::StringBytes(m_Name) + 4 + KM_Stream::StringBytes(m_AnimationName) + 16 + 4;
    for (const auto& entry : m_BoneAnims)
    {
        const Track& track = entry.second;
        size += KM_Stream::StringBytes(track.boneName) + KM_Stream::StringBytes(track.parentName) + 4 +
                track.keys.size() * 32;
    }
    m_Size = static_cast<uint32_t>(size);
    return m_Size;
}

bool KM_Animation::_ReadBody(KM_Stream* stream)
{
    uint32_t animationVersion, trackCount;
    if (!ReadVersionAndSize(stream) || !stream->ReadString(m_Name) || !stream->ReadU32(animationVersion) ||
        !stream->ReadString(m_AnimationName) ||
        !stream->ReadValues(m_BoneCount, m_Length, m_FramesPerSecond, m_KeyCount, trackCount))
        return false;
    // Nothing else lives in the room: emptied, its blocks go back before this file's records are placed.
    m_BoneAnims.clear();
    m_RecordRoom.Release();
    if (!stream->Fits(trackCount, kMinTrackBytes))
        return false;
    for (uint32_t index = 0; index < trackCount; ++index)
    {
        // Made in the map and read in place, so its keys go straight into the room; a track that does not
        // read whole is taken out again.
        const auto at = m_BoneAnims.emplace_hint(m_BoneAnims.end(), std::piecewise_construct,
                                                 std::forward_as_tuple(index), std::forward_as_tuple());
        Track& track = at->second;
        uint32_t keyCount;
        if (!stream->ReadString(track.boneName) || !stream->ReadString(track.parentName) ||
            !stream->ReadU32(keyCount) || !stream->ReadArray(track.keys, keyCount))
        {
            m_BoneAnims.erase(at);
            return false;
        }
    }
    return true;
}

bool KM_Animation::Read(KM_Stream* stream)
{
    return ReadBodyOrReport(stream, "Error Reading KM_Animation Data", [&] { return _ReadBody(stream); });
}

bool KM_Animation::_WriteBody(KM_Stream* stream)
{
    if (!KM_Object::Write(stream) || !stream->WriteString(m_Name) || !stream->WriteU32(0) ||
        !stream->WriteString(m_AnimationName) || !stream->WriteU32(m_BoneCount) ||
        !stream->WriteU32(m_Length) || !stream->WriteU32(m_FramesPerSecond) ||
        !stream->WriteU32(m_KeyCount) || !stream->WriteU32(static_cast<uint32_t>(m_BoneAnims.size())))
        return false;
    for (const auto& entry : m_BoneAnims)
    {
        const Track& track = entry.second;
        if (!stream->WriteString(track.boneName) || !stream->WriteString(track.parentName) ||
            !stream->WriteU32(static_cast<uint32_t>(track.keys.size())) || !stream->WriteArray(track.keys))
            return false;
    }
    return true;
}

void KM_Animation::_WriteText(KM_Stream* stream)
{
    OpenObjectText(stream);
    PrintText(stream, "*NODE_NAME", m_Name);
    PrintInt(stream, "Animation Version:", 0);
    PrintText(stream, "Animation Name", m_AnimationName);
    PrintInt(stream, "*ANIM_BONECNT", m_BoneCount);
    PrintInt(stream, "*ANIM_ANIMLENGTH", m_Length);
    PrintInt(stream, "*ANIM_ANIMFPS", m_FramesPerSecond);
    PrintInt(stream, "*ANIM_KEYCNT", m_KeyCount);
    PrintTag(stream, "*ANIM_BONEANIMDATA");
    OpenBlock(stream);
    PrintInt(stream, "m_BoneAnims.size()", static_cast<int64_t>(m_BoneAnims.size()));
    for (const auto& entry : m_BoneAnims)
    {
        const Track& track = entry.second;
        PrintText(stream, "*ANIM_BONEANIMDATA_BONENAME", track.boneName);
        PrintText(stream, "*ANIM_BONEANIMDATA_PARENTBONE", track.parentName);
        PrintTag(stream, "*ANIM_BONEANIMDATA_BONEKEYS");
        OpenBlock(stream);
        for (const Key& key : track.keys)
        {
            PrintInt(stream, "*ANIM_BONEANIMDATA_BONEKEYS_TIME", key.time);
            stream->Print("%s%s\t\t%f\t%f\t%f\n", stream->IndentText(), "*ANIM_BONEANIMDATA_BONEKEYS_POS",
                          static_cast<double>(key.position[0]), static_cast<double>(key.position[1]),
                          static_cast<double>(key.position[2]));
            stream->Print("%s%s\t%f\t%f\t%f\t%f\n", stream->IndentText(), "*ANIM_BONEANIMDATA_BONEKEYS_QUAT",
                          static_cast<double>(key.rotation[0]), static_cast<double>(key.rotation[1]),
                          static_cast<double>(key.rotation[2]), static_cast<double>(key.rotation[3]));
        }
        CloseBlock(stream);
    }
    CloseBlock(stream);
    CloseBlock(stream);
}

bool KM_Animation::Write(KM_Stream* stream)
{
    return WriteOrReport(
        stream, "Error Writing KM_Animation Data", [&] { _WriteText(stream); },
        [&] { return _WriteBody(stream); });
}
