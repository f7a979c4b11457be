#include "engine/core/WaveFile.h"

#include "engine/core/kaFileSystem.h"
#include "engine/core/kaManagedStream.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cstring>

using platform::RiffReader;

namespace
{

constexpr uint32_t kRiffId = RiffReader::FourCC('R', 'I', 'F', 'F');
constexpr uint32_t kWaveForm = RiffReader::FourCC('W', 'A', 'V', 'E');
constexpr uint32_t kFmtId = RiffReader::FourCC('f', 'm', 't', ' ');
constexpr uint32_t kDataId = RiffReader::FourCC('d', 'a', 't', 'a');
constexpr uint32_t kPcmFormatBytes = 16;

// The whole file through the file system's search order; false when it is missing, unreadable or too big.
bool LoadFile(const std::string& name, std::vector<uint8_t>& bytes)
{
    kaManagedStream stream;
    OpenStream(stream, name, 1);
    std::istream* in = stream.Get();
    if (!in || !*in)
        return false;
    in->seekg(0, std::ios::end);
    const std::streamoff size = in->tellg();
    if (size < 0 || static_cast<uint64_t>(size) > WaveFile::kMaxFileBytes)
        return false;
    in->seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    in->read(reinterpret_cast<char*>(bytes.data()), size);
    return in->gcount() == size;
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(U16(p)) | (static_cast<uint32_t>(U16(p + 2)) << 16);
}

} // namespace

WaveFile::~WaveFile()
{
    Close();
    _FreeFormat();
}

void WaveFile::_FreeFormat()
{
    m_Format.reset();
    m_FormatExtra.clear();
}

platform::HResult WaveFile::Open(const char* name, const platform::WaveFormat* /*format*/, uint32_t mode)
{
    if (!name)
        return platform::kResultInvalidArg;
    _FreeFormat();
    Close();
    m_DataSize = 0;
    m_Mode = mode;
    if (mode != kModeRead)
        return platform::kResultInvalidArg;

    // Programs here carry no sound resources, so a file is the only source.
    std::vector<uint8_t> bytes;
    if (!LoadFile(name, bytes))
    {
        platform::DebugPrintf("[WaveFile::Open] : cannot read %s\n", name);
        return platform::kResultFail;
    }
    m_Reader = std::make_unique<RiffReader>(std::move(bytes));

    platform::HResult result = _ReadHeader();
    if (result != platform::kResultOk)
    {
        platform::DebugPrintf("[WaveFile::Open] : %s is not a readable WAVE file\n", name);
        Close();
        return result;
    }
    result = Rewind();
    if (result != platform::kResultOk)
    {
        platform::DebugPrintf("[WaveFile::Open] : %s has no sample data\n", name);
        Close();
        return result;
    }
    m_DataSize = m_Chunk.size;
    return platform::kResultOk;
}

platform::HResult WaveFile::_ReadHeader()
{
    if (m_Reader->Descend(m_Riff, nullptr, 0) != RiffReader::kNoError || m_Riff.id != kRiffId ||
        m_Riff.formType != kWaveForm)
        return platform::kResultFail;

    platform::RiffChunk fmt;
    fmt.id = kFmtId;
    if (m_Reader->Descend(fmt, &m_Riff, RiffReader::kFindChunk) != RiffReader::kNoError ||
        fmt.size < kPcmFormatBytes)
        return platform::kResultFail;

    uint8_t pcm[kPcmFormatBytes];
    if (m_Reader->Read(pcm, kPcmFormatBytes) != static_cast<int32_t>(kPcmFormatBytes))
        return platform::kResultFail;
    auto format = std::make_unique<platform::WaveFormat>();
    format->formatTag = U16(pcm);
    format->channels = U16(pcm + 2);
    format->samplesPerSec = U32(pcm + 4);
    format->avgBytesPerSec = U32(pcm + 8);
    format->blockAlign = U16(pcm + 12);
    format->bitsPerSample = U16(pcm + 14);

    if (format->formatTag != platform::kWaveFormatPcm)
    {
        uint8_t extraSize[2];
        if (m_Reader->Read(extraSize, 2) != 2)
            return platform::kResultFail;
        format->extraSize = U16(extraSize);
        std::vector<uint8_t> extra(format->extraSize);
        if (m_Reader->Read(extra.data(), static_cast<int32_t>(extra.size())) !=
            static_cast<int32_t>(extra.size()))
            return platform::kResultFail;
        m_FormatExtra = std::move(extra);
    }
    m_Format = std::move(format);
    m_Reader->Ascend(fmt);
    return platform::kResultOk;
}

platform::HResult WaveFile::Rewind()
{
    if (!m_Reader)
        return platform::kResultNotInitialized;
    if (m_Reader->Seek(static_cast<int64_t>(m_Riff.dataOffset) + 4, 0) < 0)
        return platform::kResultFail;
    m_Chunk = platform::RiffChunk();
    m_Chunk.id = kDataId;
    if (m_Reader->Descend(m_Chunk, &m_Riff, RiffReader::kFindChunk) != RiffReader::kNoError)
        return platform::kResultFail;
    // A truncated file holds fewer samples than its "data" chunk claims.
    m_Chunk.size = std::min(m_Chunk.size, m_Reader->Size() - m_Chunk.dataOffset);
    return platform::kResultOk;
}

platform::HResult WaveFile::Read(uint8_t* destination, uint32_t count, uint32_t* read)
{
    if (!m_Reader)
        return platform::kResultNotInitialized;
    if (!destination || !read)
        return platform::kResultInvalidArg;
    *read = 0;
    const uint32_t n = std::min(count, m_Chunk.size);
    if (m_Reader->Read(destination, static_cast<int32_t>(n)) != static_cast<int32_t>(n))
        return platform::kResultFail;
    m_Chunk.size -= n;
    *read = n;
    return platform::kResultOk;
}

void WaveFile::Close()
{
    m_Reader.reset();
}
