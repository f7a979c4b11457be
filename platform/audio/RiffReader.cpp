#include "platform/audio/RiffReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform
{

namespace
{

constexpr uint32_t kRiff = RiffReader::FourCC('R', 'I', 'F', 'F');
constexpr uint32_t kList = RiffReader::FourCC('L', 'I', 'S', 'T');

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

RiffReader::RiffReader(std::vector<uint8_t> bytes) : m_Bytes(std::move(bytes))
{
    // Offsets are 32-bit; bytes past that are out of reach.
    if (m_Bytes.size() > std::numeric_limits<uint32_t>::max())
        m_Bytes.resize(std::numeric_limits<uint32_t>::max());
}

bool RiffReader::_ReadHeader(RiffChunk& chunk, uint64_t limit)
{
    const uint64_t start = m_Position;
    if (start + 8 > limit)
        return false;
    chunk.id = ReadU32(&m_Bytes[start]);
    chunk.size = ReadU32(&m_Bytes[start + 4]);
    chunk.dataOffset = static_cast<uint32_t>(start + 8);
    chunk.formType = 0;
    m_Position = static_cast<uint32_t>(start + 8);
    if (chunk.id == kRiff || chunk.id == kList)
    {
        if (start + 12 > limit)
            return false;
        chunk.formType = ReadU32(&m_Bytes[start + 8]);
        m_Position = static_cast<uint32_t>(start + 12);
    }
    return true;
}

uint32_t RiffReader::Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags)
{
    uint64_t limit = m_Bytes.size();
    if (parent)
        limit = std::min<uint64_t>(limit, static_cast<uint64_t>(parent->dataOffset) + parent->size);

    const uint32_t wantedId = chunk.id;
    const uint32_t wantedForm = chunk.formType;
    const uint32_t start = m_Position;
    RiffChunk found;
    for (;;)
    {
        const uint32_t headerAt = m_Position;
        if (!_ReadHeader(found, limit))
        {
            m_Position = start;
            return kErrorChunkNotFound;
        }
        bool match = true;
        if (flags & kFindChunk)
            match = found.id == wantedId;
        else if (flags & kFindRiff)
            match = found.id == kRiff && found.formType == wantedForm;
        else if (flags & kFindList)
            match = found.id == kList && found.formType == wantedForm;
        if (match)
        {
            chunk = found;
            return kNoError;
        }
        // Skip the chunk and its pad byte; each step moves forward, so the walk ends.
        const uint64_t next = static_cast<uint64_t>(found.dataOffset) + found.size + (found.size & 1u);
        if (next >= limit || next <= headerAt)
        {
            m_Position = start;
            return kErrorChunkNotFound;
        }
        m_Position = static_cast<uint32_t>(next);
    }
}

uint32_t RiffReader::Ascend(const RiffChunk& chunk)
{
    const uint64_t end = static_cast<uint64_t>(chunk.dataOffset) + chunk.size + (chunk.size & 1u);
    if (end > m_Bytes.size())
    {
        // A chunk that claims more than is there ends with the bytes.
        m_Position = static_cast<uint32_t>(m_Bytes.size());
        return kErrorCannotSeek;
    }
    m_Position = static_cast<uint32_t>(end);
    return kNoError;
}

int32_t RiffReader::Read(void* destination, int32_t count)
{
    if (count < 0)
        return -1;
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(count), Size() - m_Position);
    if (n > 0)
        std::memcpy(destination, m_Bytes.data() + m_Position, n);
    m_Position += n;
    return static_cast<int32_t>(n);
}

int64_t RiffReader::Seek(int64_t offset, int origin)
{
    int64_t base = 0;
    if (origin == 1)
        base = m_Position;
    else if (origin == 2)
        base = Size();
    else if (origin != 0)
        return -1;
    const int64_t target = base + offset;
    if (target < 0 || target > static_cast<int64_t>(Size()))
        return -1;
    m_Position = static_cast<uint32_t>(target);
    return target;
}

} // namespace platform
