#pragma once

#include "engine/model/kaBoneTrack.h"

#include <cstddef>
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
    // Read-only records inside the animation's one block.
    template <typename T> class Run
    {
    public:
        Run(const T* first, size_t count) : m_First(first), m_Count(count) {}

        size_t size() const { return m_Count; }
        bool empty() const { return m_Count == 0; }
        const T& operator[](size_t index) const { return m_First[index]; }
        const T* begin() const { return m_First; }
        const T* end() const { return m_First + m_Count; }

    private:
        const T* m_First;
        size_t m_Count;
    };

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

    Run<kaBoneTrack> GetTracks() const { return {m_pTracks, m_TrackCount}; }
    Run<float> GetKeyTimes() const { return {m_pKeyTimes, m_KeyCount}; }
    int32_t GetBoneCount() const { return static_cast<int32_t>(m_TrackCount); }
    int32_t GetKeyCount() const { return static_cast<int32_t>(m_KeyCount); }
    float GetLength() const { return m_Length; }
    uint32_t GetFramesPerSecond() const { return m_FramesPerSecond; }
    const std::string& GetFileName() const { return m_FileName; }
    const std::string& GetName() const { return m_Name; }

private:
    // Ends the tracks' lives and gives the block back.
    void _Clear();

    // The tracks, then every track's keys track after track, then the shared time line: one allocation
    // per build instead of one per list.
    std::unique_ptr<unsigned char[]> m_Block;
    kaBoneTrack* m_pTracks = nullptr;
    size_t m_TrackCount = 0;
    float* m_pKeyTimes = nullptr;
    size_t m_KeyCount = 0;
    float m_Length = 0.0f;
    uint32_t m_FramesPerSecond = 0;
    std::string m_FileName;
    std::string m_Name;
};
