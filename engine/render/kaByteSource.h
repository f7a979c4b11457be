#pragma once

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <vector>

class kaBinaryStream;

// One way for the image readers to take bytes from a C file, a standard stream, a binary stream or a file
// already read into memory, and to ask how many are left before trusting a size read from the data.
class kaByteSource
{
public:
    explicit kaByteSource(FILE* file);
    explicit kaByteSource(std::istream& stream);
    explicit kaByteSource(kaBinaryStream& stream);
    // Bytes the caller keeps alive for the source's life.
    kaByteSource(const uint8_t* data, size_t size);

    // Reads exactly n bytes, or fails.
    bool Read(void* data, size_t n);
    bool ReadUInt32(uint32_t& value);
    // Reads exactly n bytes into out (resized to n), growing it only as bytes arrive, so that a size
    // taken on trust from a source that cannot tell its length (a pipe) is never allocated up front.
    bool ReadInto(std::vector<uint8_t>& out, uint64_t n);
    // Moves n bytes on; fails when fewer are left.
    bool Skip(uint64_t n);
    // Bytes between the read position and the end; -1 when the source cannot tell.
    int64_t Remaining();
    // True when at least n bytes are left, or when the source cannot tell.
    bool HasAtLeast(uint64_t n);

private:
    int64_t _Tell();
    bool _SeekAbsolute(int64_t position);
    int64_t _End();

    FILE* m_pFile = nullptr;
    std::istream* m_pStream = nullptr;
    kaBinaryStream* m_pBinary = nullptr;
    const uint8_t* m_pBytes = nullptr;
    size_t m_Size = 0;
    size_t m_At = 0;
};
