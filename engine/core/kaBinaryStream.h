#pragma once

#include <cstddef>
#include <cstdint>
#include <ios>
#include <streambuf>
#include <string>

// Raw little-endian binary reading and writing over a stream buffer it does not own. Integers and floats
// move as their 4 bytes in the machine's order. A read that finds too few bytes, or a string length
// longer than the bytes left, leaves its target unchanged and fails the stream; once failed, later reads
// change nothing. Callers check Failed() after a run of reads.
class kaBinaryStream
{
public:
    explicit kaBinaryStream(std::streambuf* buffer);

    kaBinaryStream& WriteUInt32(uint32_t value);
    kaBinaryStream& ReadUInt32(uint32_t& value);
    // Signed integers and floats travel as the same 4 bytes.
    kaBinaryStream& WriteInt32(int32_t value);
    kaBinaryStream& ReadInt32(int32_t& value);
    kaBinaryStream& WriteFloat(float value);
    kaBinaryStream& ReadFloat(float& value);

    // True when all n bytes were written.
    bool Write(const void* data, std::size_t n);
    kaBinaryStream& Read(void* data, std::size_t n);

    // One byte, 1 for true and 0 for false; only a byte of exactly 1 reads as true.
    kaBinaryStream& WriteBool(bool value);
    kaBinaryStream& ReadBool(bool& value);

    // A 4-byte length, then the characters without a terminator. Reading a length of 0 leaves the
    // text as it was; otherwise the text ends at the first NUL among the characters read.
    kaBinaryStream& WriteString(const std::string& text);
    kaBinaryStream& ReadString(std::string& text);

    std::streampos TellRead();
    kaBinaryStream& SeekRead(std::streamoff offset, std::ios_base::seekdir direction);

    bool Failed() const { return m_Failed; }
    // For readers that find a value they refuse: the stream counts as damaged from here on.
    void Fail() { m_Failed = true; }

private:
    // Reads exactly n bytes or fails the stream.
    bool _ReadExactly(void* data, std::size_t n);
    // Bytes between the input position and the end, or -1 when the buffer cannot tell.
    std::streamoff _BytesLeft();

    std::streambuf* m_Buffer;
    bool m_Failed;
};
