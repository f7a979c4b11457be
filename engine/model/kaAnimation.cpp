#include "engine/model/kaAnimation.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_Stream.h"

#include <algorithm>
#include <new>
#include <utility>

using platform::Quaternion;
using platform::Vector3;

namespace
{

constexpr float kSecondsPerMillisecond = 0.001f;

} // namespace

static_assert(alignof(kaBoneTrack) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__ &&
                  sizeof(kaBoneTrack) % alignof(kaBoneTrack::Key) == 0 &&
                  sizeof(kaBoneTrack::Key) % alignof(float) == 0,
              "each part of the block starts where its records may lie");

kaAnimation::kaAnimation() = default;

kaAnimation::~kaAnimation()
{
    _Clear();
}

void kaAnimation::_Clear()
{
    while (m_TrackCount > 0)
        m_pTracks[--m_TrackCount].~kaBoneTrack();
    m_pTracks = nullptr;
    m_pKeyTimes = nullptr;
    m_KeyCount = 0;
    m_Block.reset();
}

std::unique_ptr<KM_Animation> kaAnimation::ReadFile(const std::string& fileName)
{
    // Found by the look-up that reads it.
    KM_Stream stream;
    const bool opened = stream.OpenFound(fileName, KM_Stream::kBinary);
    if (stream.GetPath().empty())
        return nullptr;
    if (g_pFileSystem != nullptr)
        g_pFileSystem->RecordOpenedFile(fileName.c_str());
    return opened ? KM_FileReader::ReadAnimation(stream) : nullptr;
}

bool kaAnimation::Load(std::string fileName)
{
    const std::unique_ptr<KM_Animation> file = ReadFile(fileName);
    if (!file)
        return false;
    return Build(*file, std::move(fileName));
}

bool kaAnimation::Build(const KM_Animation& file, std::string fileName)
{
    _Clear();
    m_Name = file.m_AnimationName;
    m_FileName = std::move(fileName);
    m_Length = static_cast<float>(file.m_Length) * kSecondsPerMillisecond;
    m_FramesPerSecond = file.m_FramesPerSecond;

    // The tracks and keys held, not the counts the file states: the longest track sets the key count,
    // a shorter one holds its last key, one without keys is left out.
    size_t keyCount = 0;
    size_t trackCount = 0;
    for (const auto& entry : file.m_BoneAnims)
    {
        keyCount = std::max(keyCount, entry.second.keys.size());
        trackCount += entry.second.keys.empty() ? 0 : 1;
    }
    if (keyCount == 0)
        return false;
    using Key = kaBoneTrack::Key;
    const size_t keysAt = trackCount * sizeof(kaBoneTrack);
    const size_t timesAt = keysAt + trackCount * keyCount * sizeof(Key);
    m_Block.reset(new unsigned char[timesAt + keyCount * sizeof(float)]);
    unsigned char* const block = m_Block.get();
    m_pKeyTimes = reinterpret_cast<float*>(block + timesAt);
    for (size_t k = 0; k < keyCount; ++k)
        new (m_pKeyTimes + k) float(0.0f);
    m_KeyCount = keyCount;
    m_pTracks = reinterpret_cast<kaBoneTrack*>(block);
    Key* next = reinterpret_cast<Key*>(block + keysAt);
    for (const auto& entry : file.m_BoneAnims)
    {
        const auto& keys = entry.second.keys;
        if (keys.empty())
            continue;
        Key* const first = next;
        for (size_t k = 0; k < keyCount; ++k)
        {
            const KM_Animation::Key& key = keys[std::min(k, keys.size() - 1)];
            new (next++) Key{Vector3(key.position[0], key.position[1], key.position[2]),
                             Quaternion(key.rotation[0], key.rotation[1], key.rotation[2], key.rotation[3])};
            // Every track writes the shared time line; the last one holding key k sets its time.
            if (k < keys.size())
                m_pKeyTimes[k] = static_cast<float>(key.time) * kSecondsPerMillisecond;
        }
        // Counted once made, so that a name that cannot be copied leaves only whole tracks to end.
        new (m_pTracks + m_TrackCount) kaBoneTrack{kaBoneTrack::Keys(first, keyCount), entry.second.boneName};
        ++m_TrackCount;
    }
    return true;
}

int32_t kaAnimation::FindKey(float t) const
{
    for (size_t k = 0; k < m_KeyCount; ++k)
    {
        if (!(m_pKeyTimes[k] < t))
            return static_cast<int32_t>(k);
    }
    return static_cast<int32_t>(m_KeyCount);
}

void kaAnimation::Sample(const kaBoneTrack& track, int32_t k, float t, Vector3* position,
                         Quaternion* rotation) const
{
    const size_t count = std::min(track.keys.size(), m_KeyCount);
    if (count == 0)
        return;
    if (k <= 0)
    {
        *position = track.keys[0].position;
        *rotation = track.keys[0].rotation;
        return;
    }
    const size_t next = static_cast<size_t>(k);
    if (next >= count)
    {
        // Past the last key: its pose holds.
        *position = track.keys[count - 1].position;
        *rotation = track.keys[count - 1].rotation;
        return;
    }
    const kaBoneTrack::Key& a = track.keys[next - 1];
    const kaBoneTrack::Key& b = track.keys[next];
    const float span = m_pKeyTimes[next] - m_pKeyTimes[next - 1];
    const float f = span > 0.0f ? (t - m_pKeyTimes[next - 1]) / span : 1.0f;
    *position = platform::Vec3Lerp(a.position, b.position, f);
    platform::QuaternionSlerp(rotation, &a.rotation, &b.rotation, f);
}
