#include "engine/render/kaByteSource.h"

#include "engine/core/kaBinaryStream.h"

#include <algorithm>
#include <cstring>
#include <istream>

kaByteSource::kaByteSource(FILE* file) : m_pFile(file) {}

kaByteSource::kaByteSource(std::istream& stream) : m_pStream(&stream) {}

kaByteSource::kaByteSource(kaBinaryStream& stream) : m_pBinary(&stream) {}

kaByteSource::kaByteSource(const uint8_t* data, size_t size) : m_pBytes(data), m_Size(data ? size : 0) {}

bool kaByteSource::Read(void* data, size_t n)
{
    if (n == 0)
        return true;
    if (m_pBytes)
    {
        // A read that comes short takes what is there and leaves the source at its end, as fread does.
        const size_t taken = std::min(n, m_Size - m_At);
        std::memcpy(data, m_pBytes + m_At, taken);
        m_At += taken;
        return taken == n;
    }
    if (m_pFile)
        return std::fread(data, 1, n, m_pFile) == n;
    if (m_pStream)
    {
        m_pStream->read(static_cast<char*>(data), static_cast<std::streamsize>(n));
        return !m_pStream->fail();
    }
    if (m_pBinary)
    {
        if (m_pBinary->Failed())
            return false;
        m_pBinary->Read(data, n);
        return !m_pBinary->Failed();
    }
    return false;
}

bool kaByteSource::ReadUInt32(uint32_t& value)
{
    uint8_t bytes[4];
    if (!Read(bytes, sizeof(bytes)))
        return false;
    value =
        uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

bool kaByteSource::Skip(uint64_t n)
{
    if (n == 0)
        return true;
    const int64_t left = Remaining();
    if (left >= 0)
        return uint64_t(left) >= n && _SeekAbsolute(_Tell() + int64_t(n));
    // A source that cannot seek is read through.
    char scrap[4096];
    while (n > 0)
    {
        const size_t piece = n < sizeof(scrap) ? size_t(n) : sizeof(scrap);
        if (!Read(scrap, piece))
            return false;
        n -= piece;
    }
    return true;
}

int64_t kaByteSource::Remaining()
{
    const int64_t here = _Tell();
    if (here < 0)
        return -1;
    const int64_t end = _End();
    _SeekAbsolute(here);
    if (end < here)
        return -1;
    return end - here;
}

bool kaByteSource::ReadInto(std::vector<uint8_t>& out, uint64_t n)
{
    constexpr uint64_t kStep = 1u << 20;
    // Bytes in memory are copied once, not cleared first and then copied over.
    if (m_pBytes)
    {
        if (n > m_Size - m_At)
            return false;
        out.assign(m_pBytes + m_At, m_pBytes + m_At + size_t(n));
        m_At += size_t(n);
        return true;
    }
    if (Remaining() >= 0)
    {
        if (!HasAtLeast(n))
            return false;
        out.resize(size_t(n));
        return Read(out.data(), out.size());
    }
    out.clear();
    while (out.size() < n)
    {
        const size_t start = out.size();
        const size_t step = size_t(std::min<uint64_t>(kStep, n - start));
        out.resize(start + step);
        if (!Read(out.data() + start, step))
            return false;
    }
    return true;
}

bool kaByteSource::HasAtLeast(uint64_t n)
{
    const int64_t left = Remaining();
    return left < 0 || uint64_t(left) >= n;
}

int64_t kaByteSource::_Tell()
{
    if (m_pBytes)
        return int64_t(m_At);
    if (m_pFile)
        return std::ftell(m_pFile);
    if (m_pStream)
        return m_pStream->fail() ? -1 : int64_t(m_pStream->tellg());
    if (m_pBinary)
        return m_pBinary->Failed() ? -1 : int64_t(m_pBinary->TellRead());
    return -1;
}

bool kaByteSource::_SeekAbsolute(int64_t position)
{
    if (position < 0)
        return false;
    if (m_pBytes)
    {
        if (uint64_t(position) > m_Size)
            return false;
        m_At = size_t(position);
        return true;
    }
    if (m_pFile)
        return std::fseek(m_pFile, long(position), SEEK_SET) == 0;
    if (m_pStream)
    {
        if (m_pStream->fail())
            return false;
        m_pStream->clear(m_pStream->rdstate() & ~std::ios_base::eofbit);
        m_pStream->seekg(std::streampos(position));
        return !m_pStream->fail();
    }
    if (m_pBinary)
    {
        m_pBinary->SeekRead(std::streamoff(position), std::ios_base::beg);
        return int64_t(m_pBinary->TellRead()) == position;
    }
    return false;
}

int64_t kaByteSource::_End()
{
    if (m_pBytes)
        return int64_t(m_Size);
    if (m_pFile)
    {
        if (std::fseek(m_pFile, 0, SEEK_END) != 0)
            return -1;
        return std::ftell(m_pFile);
    }
    if (m_pStream)
    {
        if (m_pStream->fail())
            return -1;
        m_pStream->clear(m_pStream->rdstate() & ~std::ios_base::eofbit);
        m_pStream->seekg(0, std::ios_base::end);
        if (m_pStream->fail())
        {
            m_pStream->clear();
            return -1;
        }
        return int64_t(m_pStream->tellg());
    }
    if (m_pBinary)
    {
        m_pBinary->SeekRead(0, std::ios_base::end);
        return int64_t(m_pBinary->TellRead());
    }
    return -1;
}
