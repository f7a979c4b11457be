#pragma once

#include "engine/model/kaBoneTrack.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class KM_Animation;

// Shared, read-only key tracks of one skeletal animation: per bone, positions and rotations on one
// time line in seconds.
class kaAnimation
{
public:
    kaAnimation();
    virtual ~kaAnimation();
    kaAnimation(const kaAnimation&) = delete;
    kaAnimation& operator=(const kaAnimation&) = delete;

    bool Load(std::string fileName);
    bool Build(const KM_Animation& file, std::string fileName);

    // A copy of the file's first animation; null when the file cannot be read or holds none.
    static std::unique_ptr<KM_Animation> ReadFile(const std::string& fileName);

    // The index of the first key time not below t; the key count when all are below.
    int32_t FindKey(float t) const;
    // The track's pose at time t, k being FindKey(t).
    void Sample(const kaBoneTrack& track, int32_t k, float t, platform::Vector3* position,
                platform::Quaternion* rotation) const;

    const std::vector<kaBoneTrack>& GetTracks() const { return m_Tracks; }
    const std::vector<float>& GetKeyTimes() const { return m_KeyTimes; }
    int32_t GetBoneCount() const { return static_cast<int32_t>(m_Tracks.size()); }
    int32_t GetKeyCount() const { return static_cast<int32_t>(m_KeyTimes.size()); }
    float GetLength() const { return m_Length; }
    uint32_t GetFramesPerSecond() const { return m_FramesPerSecond; }
    const std::string& GetFileName() const { return m_FileName; }
    const std::string& GetName() const { return m_Name; }

private:
    std::vector<kaBoneTrack> m_Tracks;
    // Every track's keys, track after track, in one block the tracks look into.
    std::vector<kaBoneTrack::Key> m_Keys;
    std::vector<float> m_KeyTimes;
    float m_Length = 0.0f;
    uint32_t m_FramesPerSecond = 0;
    std::string m_FileName;
    std::string m_Name;
};
