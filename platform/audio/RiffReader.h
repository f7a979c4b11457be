#pragma once

#include <cstdint>
#include <vector>

namespace platform
{

// One RIFF chunk as the reader found it. dataOffset is where the chunk's data begins (just past its
// 8-byte header; a "RIFF" or "LIST" chunk's form type is the first 4 bytes of that data).
struct RiffChunk
{
    uint32_t id = 0;
    uint32_t size = 0;
    uint32_t formType = 0;
    uint32_t dataOffset = 0;
    uint32_t flags = 0;
};

// Reads RIFF chunks from bytes in memory the way the multimedia file functions do: descending into
// the next chunk or finding one by id within its parent, ascending past a chunk and its pad byte, and
// reads that come back short at the end. The bytes are untrusted: sizes past the end never read out
// of bounds.
class RiffReader
{
public:
    explicit RiffReader(std::vector<uint8_t> bytes);

    static constexpr uint32_t FourCC(char a, char b, char c, char d)
    {
        return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
               (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
               (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
               (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
    }

    // Descend flags: find the chunk with chunk.id; find a "RIFF" or "LIST" chunk with chunk.formType.
    static constexpr uint32_t kFindChunk = 0x10;
    static constexpr uint32_t kFindRiff = 0x20;
    static constexpr uint32_t kFindList = 0x40;

    static constexpr uint32_t kNoError = 0;
    static constexpr uint32_t kErrorCannotSeek = 263;
    static constexpr uint32_t kErrorChunkNotFound = 265;

    // Reads the chunk header at the current position (or, with a find flag, the first matching chunk
    // from there on, never past the parent's end) and leaves the position at the chunk's data, past
    // the form type of a "RIFF" or "LIST" chunk.
    uint32_t Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags);
    // Moves past the chunk's data and its pad byte when its size is odd.
    uint32_t Ascend(const RiffChunk& chunk);

    // Copies up to count bytes from the position; the number copied, short at the end, -1 for a negative
    // count.
    int32_t Read(void* destination, int32_t count);
    // Origins as fseek's: 0 from the start, 1 from the position, 2 from the end. The new position, or -1
    // (and the position unchanged) for a place outside the bytes.
    int64_t Seek(int64_t offset, int origin);

    uint32_t Position() const { return m_Position; }
    uint32_t Size() const { return static_cast<uint32_t>(m_Bytes.size()); }

private:
    bool _ReadHeader(RiffChunk& chunk, uint64_t limit);

    std::vector<uint8_t> m_Bytes;
    uint32_t m_Position = 0;
};

} // namespace platform
