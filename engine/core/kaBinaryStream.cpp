#include "engine/core/kaBinaryStream.h"

#include <algorithm>

namespace
{

// A string whose length the buffer cannot check is read in pieces, so memory grows only with bytes
// that are really there.
constexpr std::size_t kStringChunk = 64 * 1024;

} // namespace

kaBinaryStream::kaBinaryStream(std::streambuf* buffer) : m_Buffer(buffer), m_Failed(buffer == nullptr) {}

kaBinaryStream& kaBinaryStream::WriteUInt32(uint32_t value)
{
    Write(&value, sizeof(value));
    return *this;
}

kaBinaryStream& kaBinaryStream::ReadUInt32(uint32_t& value)
{
    uint32_t read;
    if (_ReadExactly(&read, sizeof(read)))
        value = read;
    return *this;
}

kaBinaryStream& kaBinaryStream::WriteInt32(int32_t value)
{
    Write(&value, sizeof(value));
    return *this;
}

kaBinaryStream& kaBinaryStream::ReadInt32(int32_t& value)
{
    int32_t read;
    if (_ReadExactly(&read, sizeof(read)))
        value = read;
    return *this;
}

kaBinaryStream& kaBinaryStream::WriteFloat(float value)
{
    Write(&value, sizeof(value));
    return *this;
}

kaBinaryStream& kaBinaryStream::ReadFloat(float& value)
{
    float read;
    if (_ReadExactly(&read, sizeof(read)))
        value = read;
    return *this;
}

bool kaBinaryStream::Write(const void* data, std::size_t n)
{
    if (m_Buffer == nullptr)
        return false;
    const std::streamsize written =
        m_Buffer->sputn(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    if (written != static_cast<std::streamsize>(n))
    {
        m_Failed = true;
        return false;
    }
    return true;
}

kaBinaryStream& kaBinaryStream::Read(void* data, std::size_t n)
{
    // A short read keeps the bytes it got, as a raw read through the buffer would.
    if (m_Failed || n == 0)
        return *this;
    const std::streamsize got = m_Buffer->sgetn(static_cast<char*>(data), static_cast<std::streamsize>(n));
    if (got != static_cast<std::streamsize>(n))
        m_Failed = true;
    return *this;
}

kaBinaryStream& kaBinaryStream::WriteBool(bool value)
{
    const unsigned char byte = value ? 1 : 0;
    Write(&byte, 1);
    return *this;
}

kaBinaryStream& kaBinaryStream::ReadBool(bool& value)
{
    unsigned char byte;
    if (_ReadExactly(&byte, 1))
        value = (byte == 1);
    return *this;
}

kaBinaryStream& kaBinaryStream::WriteString(const std::string& text)
{
    WriteUInt32(static_cast<uint32_t>(text.size()));
    if (!text.empty())
        Write(text.data(), text.size());
    return *this;
}

kaBinaryStream& kaBinaryStream::ReadString(std::string& text)
{
    uint32_t length;
    if (!_ReadExactly(&length, sizeof(length)) || length == 0)
        return *this;

    const std::streamoff left = _BytesLeft();
    if (left >= 0 && static_cast<std::streamoff>(length) > left)
    {
        m_Failed = true;
        return *this;
    }

    std::string read;
    while (read.size() < length)
    {
        const std::size_t piece = std::min<std::size_t>(kStringChunk, length - read.size());
        const std::size_t at = read.size();
        read.resize(at + piece);
        if (!_ReadExactly(&read[at], piece))
            return *this;
    }
    const std::string::size_type nul = read.find('\0');
    if (nul != std::string::npos)
        read.resize(nul);
    text = read;
    return *this;
}

std::streampos kaBinaryStream::TellRead()
{
    if (m_Buffer == nullptr)
        return std::streampos(std::streamoff(-1));
    return m_Buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
}

kaBinaryStream& kaBinaryStream::SeekRead(std::streamoff offset, std::ios_base::seekdir direction)
{
    if (m_Buffer != nullptr)
        m_Buffer->pubseekoff(offset, direction, std::ios_base::in);
    return *this;
}

bool kaBinaryStream::_ReadExactly(void* data, std::size_t n)
{
    if (m_Failed)
        return false;
    const std::streamsize got = m_Buffer->sgetn(static_cast<char*>(data), static_cast<std::streamsize>(n));
    if (got != static_cast<std::streamsize>(n))
    {
        m_Failed = true;
        return false;
    }
    return true;
}

std::streamoff kaBinaryStream::_BytesLeft()
{
    const std::streampos here = m_Buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (here == std::streampos(std::streamoff(-1)))
        return -1;
    const std::streampos end = m_Buffer->pubseekoff(0, std::ios_base::end, std::ios_base::in);
    m_Buffer->pubseekpos(here, std::ios_base::in);
    if (end == std::streampos(std::streamoff(-1)))
        return -1;
    return std::streamoff(end) - std::streamoff(here);
}
