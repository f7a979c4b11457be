#include "engine/model/KM_Animation.h"
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_Model.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Skeleton.h"
#include "platform/system/DebugOutput.h"
#include "tests/support/engine/model/KmfSamples.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

// The largest single allocation while tracking is on, to show that no count or length in a damaged
// file makes a reader allocate more than the file could hold.
namespace
{
std::atomic<bool> g_Tracking{false};
std::atomic<size_t> g_Largest{0};

void* Allocate(size_t size)
{
    if (g_Tracking.load(std::memory_order_relaxed) && size > g_Largest.load(std::memory_order_relaxed))
        g_Largest.store(size, std::memory_order_relaxed);
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}
} // namespace

void* operator new(size_t size)
{
    return Allocate(size);
}
void* operator new[](size_t size)
{
    return Allocate(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept
{
    std::free(memory);
}

namespace
{

class RobustnessTest : public ::testing::Test
{
protected:
    // Diagnostics are dropped, not collected, so that only the readers' own allocations count.
    void SetUp() override
    {
        m_PreviousSink = platform::SetDebugSink([](const std::string&) {});
        m_PreviousHook = KM_MessageBox::SetHook([](const std::string&, const std::string&) {});
        m_Model = m_Files.Written(kmfsamples::WriteModel, KM_Stream::kBinary, "model.kmf");
        ASSERT_GT(m_Model.size(), 1000u);
    }

    void TearDown() override
    {
        platform::SetDebugSink(std::move(m_PreviousSink));
        KM_MessageBox::SetHook(std::move(m_PreviousHook));
    }

    // Reads the bytes as a model, a skeleton and an animation file; returns the largest allocation.
    size_t ReadAll(const std::string& bytes)
    {
        const std::string path = m_Files.Put("damaged.kmf", bytes);
        g_Largest = 0;
        g_Tracking = true;
        {
            KM_Stream stream;
            if (stream.Open(path.c_str(), KM_Stream::kBinary))
            {
                stream.ReadHeader();
                KM_Model model(path.c_str());
                model.Read(&stream);
            }
            KM_FileReader::ReadSkeleton(path.c_str());
            KM_FileReader::ReadAnimation(path.c_str());
        }
        g_Tracking = false;
        return g_Largest;
    }

    // What the readers may allocate at once: the file's bytes, plus room for small fixed records.
    size_t Allowed(const std::string& bytes) const { return bytes.size() + 1024; }

    kmftest::Files m_Files;
    std::string m_Model;
    platform::DebugSink m_PreviousSink;
    KM_MessageBox::Hook m_PreviousHook;
};

} // namespace

TEST_F(RobustnessTest, EveryTruncationReadsWithoutFault)
{
    for (size_t length = 0; length <= m_Model.size(); ++length)
    {
        const std::string cut = m_Model.substr(0, length);
        ASSERT_LE(ReadAll(cut), Allowed(cut)) << "cut at " << length;
    }
}

TEST_F(RobustnessTest, MutatedFilesReadWithoutFault)
{
    std::mt19937 random(20261206);
    const uint32_t interesting[] = {0u,          1u,          2u,          3u,          4u,
                                    0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u, 1000000u};
    for (int round = 0; round < 3000; ++round)
    {
        std::string bytes = m_Model;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < changes; ++i)
        {
            const size_t at = random() % bytes.size();
            if (random() % 2 == 0 && at + 4 <= bytes.size())
            {
                // Counts, lengths and type ids are words: aim at them.
                const uint32_t value = interesting[random() % (sizeof interesting / sizeof interesting[0])];
                std::memcpy(&bytes[at & ~size_t(3)], &value, 4);
            }
            else
            {
                bytes[at] = static_cast<char>(random());
            }
        }
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        ASSERT_LE(ReadAll(bytes), Allowed(bytes)) << "round " << round;
    }
}

TEST_F(RobustnessTest, RandomBytesAfterAValidHeader)
{
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round)
    {
        std::string bytes = kmftest::Bytes().Header().Data();
        const size_t length = random() % 400;
        for (size_t i = 0; i < length; ++i)
            bytes.push_back(static_cast<char>(random() % 4 == 0 ? random() % 60 : random()));
        ASSERT_LE(ReadAll(bytes), Allowed(bytes)) << "round " << round;
    }
}

// Files of many records as small as records come (no names, keys or weights): however many, the records'
// room is taken a little at a time, never more at once than the file could hold.
TEST_F(RobustnessTest, ManySmallRecordsTakeRoomALittleAtATime)
{
    for (uint32_t records : {1u, 8u, 60u, 400u})
    {
        SCOPED_TRACE(records);
        auto animation = std::make_unique<KM_Animation>();
        auto skeleton = std::make_unique<KM_Skeleton>();
        for (uint32_t i = 0; i < records; ++i)
        {
            animation->m_BoneAnims[i].boneName.clear();
            skeleton->m_Bones[i].name.clear();
        }
        const std::string bytes = m_Files.Written(
            [&](KM_Stream* s)
            {
                KM_ObjectList list;
                list.Append(std::move(animation));
                list.Append(std::move(skeleton));
                return s->WriteHeader() && list.Write(s);
            },
            KM_Stream::kBinary, "records.kmf");
        ASSERT_FALSE(bytes.empty());
        EXPECT_LE(ReadAll(bytes), Allowed(bytes));
        const std::string path = m_Files.Put("records.kmf", bytes);
        const auto readAnimation = KM_FileReader::ReadAnimation(path.c_str());
        const auto readSkeleton = KM_FileReader::ReadSkeleton(path.c_str());
        ASSERT_TRUE(readAnimation && readSkeleton);
        EXPECT_EQ(readAnimation->m_BoneAnims.size(), records);
        EXPECT_EQ(readSkeleton->m_Bones.size(), records);
    }
}
