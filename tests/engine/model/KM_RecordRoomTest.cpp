#include "engine/model/KM_RecordRoom.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Every request gets room of its own, aligned as asked and kept intact by the requests after it, whether it
// fits the block in hand, starts a new one or is larger than a block; after Release the room serves again.
TEST(RecordRoomTest, RoomIsAlignedDisjointAndKeptUntilReleased)
{
    const struct
    {
        size_t bytes, alignment;
    } requests[] = {{1, 1}, {24, 8},   {3, 1},   {128, 16}, {7, 4},   {1000, 8}, {40, 16},
                    {2, 2}, {5000, 8}, {16, 16}, {1, 1},    {900, 4}, {64, 8},   {0, 1}};
    KM_RecordRoom room;
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        std::vector<std::pair<unsigned char*, size_t>> given;
        for (size_t i = 0; i < std::size(requests); ++i)
        {
            auto* at = static_cast<unsigned char*>(room.allocate(requests[i].bytes, requests[i].alignment));
            ASSERT_NE(at, nullptr);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(at) % requests[i].alignment, 0u) << "request " << i;
            std::memset(at, static_cast<int>(i + 1), requests[i].bytes);
            given.emplace_back(at, requests[i].bytes);
        }
        for (size_t i = 0; i < given.size(); ++i)
            for (size_t b = 0; b < given[i].second; ++b)
                ASSERT_EQ(given[i].first[b], static_cast<unsigned char>(i + 1))
                    << "request " << i << " byte " << b;
        room.Release();
    }
    KM_RecordRoom other;
    EXPECT_TRUE(room.is_equal(room));
    EXPECT_FALSE(room.is_equal(other));
}

// Records placed in an object's room stay with it: a copy and a move hold their own, and a file read over
// an object holds only that file's records.
TEST(RecordRoomTest, CopiesMovesAndRereadsHoldTheirOwnRecords)
{
    auto skeleton = kmfsamples::Skeleton();
    for (uint32_t i = 2; i < 40; ++i)
        skeleton->m_Bones[i].name = "Extra" + std::to_string(i);
    KM_Skeleton copy(*skeleton);
    skeleton->m_Bones[0].name = "Changed";
    EXPECT_EQ(copy.m_Bones.at(0).name, "Hip");
    KM_Skeleton moved(std::move(copy));
    ASSERT_EQ(moved.m_Bones.size(), 40u);
    EXPECT_EQ(moved.m_Bones.at(39).name, "Extra39");
    EXPECT_EQ(moved.m_Bones.at(1).parentName, "Hip");

    auto animation = kmfsamples::Animation();
    KM_Animation animationCopy(*animation);
    animation.reset();
    ASSERT_EQ(animationCopy.m_BoneAnims.size(), 2u);
    EXPECT_EQ(animationCopy.m_BoneAnims.at(0).keys.size(), 2u);

    kmftest::Files files;
    const std::string small = files.Written(*kmfsamples::Skeleton("Small"));
    KM_Stream stream;
    ASSERT_TRUE(files.Open(stream, small));
    uint32_t typeId = 0;
    ASSERT_TRUE(stream.ReadU32(typeId));
    ASSERT_TRUE(moved.Read(&stream));
    EXPECT_EQ(moved.GetName(), "Small");
    ASSERT_EQ(moved.m_Bones.size(), 2u);
    EXPECT_EQ(moved.m_Bones.at(0).name, "Hip");
    EXPECT_EQ(moved.m_Bones.at(1).name, "Leg");
    EXPECT_EQ(moved.m_Bones.count(39), 0u);
}

namespace
{

// The object read back from the written sample, or null when the stream refuses it.
template <typename Object, typename Sample> std::unique_ptr<Object> ReadSampleBack(Sample& sample)
{
    kmftest::Files files;
    KM_Stream stream;
    if (!files.Open(stream, files.Written(sample)))
        return nullptr;
    uint32_t typeId = 0;
    auto read = std::make_unique<Object>();
    if (!stream.ReadU32(typeId) || !read->Read(&stream))
        return nullptr;
    return read;
}

// The room the first record of each of read, copy and move places its values in: none is the default heap
// and no two are the same.
void ExpectRoomsOfTheirOwn(const std::pmr::memory_resource* const (&rooms)[3])
{
    for (size_t i = 0; i < std::size(rooms); ++i)
    {
        EXPECT_NE(rooms[i], std::pmr::get_default_resource()) << i;
        for (size_t j = i + 1; j < std::size(rooms); ++j)
            EXPECT_NE(rooms[i], rooms[j]) << i << " " << j;
    }
}

} // namespace

// A track's keys live where its animation places its records: read, copied or moved, each animation's keys
// are its own, and they outlive the animation they came from.
TEST(RecordRoomTest, AnimationKeysStayWithTheirOwnAnimation)
{
    auto read = ReadSampleBack<KM_Animation>(*kmfsamples::Animation());
    ASSERT_NE(read, nullptr);
    const auto expected = kmfsamples::Animation();
    const auto resourceOf = [](const KM_Animation& animation)
    { return animation.m_BoneAnims.at(0).keys.get_allocator().resource(); };

    auto copy = std::make_unique<KM_Animation>(*read);
    const std::pmr::memory_resource* readRoom = resourceOf(*read);
    KM_Animation moved(std::move(*read));
    const std::pmr::memory_resource* rooms[] = {readRoom, resourceOf(*copy), resourceOf(moved)};
    read.reset();
    ExpectRoomsOfTheirOwn(rooms);
    for (const KM_Animation* animation : {copy.get(), &moved})
    {
        ASSERT_EQ(animation->m_BoneAnims.size(), expected->m_BoneAnims.size());
        for (const auto& entry : expected->m_BoneAnims)
        {
            const KM_Animation::Track& track = animation->m_BoneAnims.at(entry.first);
            EXPECT_EQ(track.boneName, entry.second.boneName);
            ASSERT_EQ(track.keys.size(), entry.second.keys.size());
            for (size_t k = 0; k < track.keys.size(); ++k)
                EXPECT_EQ(std::memcmp(&track.keys[k], &entry.second.keys[k], sizeof(KM_Animation::Key)), 0);
        }
    }
}

// The same for a bone's weights.
TEST(RecordRoomTest, BoneWeightsStayWithTheirOwnSkeleton)
{
    auto read = ReadSampleBack<KM_Skeleton>(*kmfsamples::Skeleton());
    ASSERT_NE(read, nullptr);
    const auto expected = kmfsamples::Skeleton();
    const auto resourceOf = [](const KM_Skeleton& skeleton)
    { return skeleton.m_Bones.at(0).weights.get_allocator().resource(); };

    auto copy = std::make_unique<KM_Skeleton>(*read);
    const std::pmr::memory_resource* readRoom = resourceOf(*read);
    KM_Skeleton moved(std::move(*read));
    const std::pmr::memory_resource* rooms[] = {readRoom, resourceOf(*copy), resourceOf(moved)};
    read.reset();
    ExpectRoomsOfTheirOwn(rooms);
    for (const KM_Skeleton* skeleton : {copy.get(), &moved})
    {
        ASSERT_EQ(skeleton->m_Bones.size(), expected->m_Bones.size());
        for (const auto& entry : expected->m_Bones)
        {
            const KM_Skeleton::Bone& bone = skeleton->m_Bones.at(entry.first);
            EXPECT_EQ(bone.name, entry.second.name);
            EXPECT_EQ(bone.parentName, entry.second.parentName);
            EXPECT_EQ(std::memcmp(bone.orientation, entry.second.orientation, sizeof bone.orientation), 0);
            ASSERT_EQ(bone.weights.size(), entry.second.weights.size());
            for (size_t w = 0; w < bone.weights.size(); ++w)
            {
                EXPECT_EQ(bone.weights[w].vertex, entry.second.weights[w].vertex);
                EXPECT_EQ(bone.weights[w].weight, entry.second.weights[w].weight);
            }
        }
    }
}
