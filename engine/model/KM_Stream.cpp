#include "engine/model/KM_Stream.h"

#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_MessageBox.h"
#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "KMF numbers are read as stored, little-endian");

namespace
{

const char* const kErrorCaption = "Error";
const char* const kHeaderError = "Error Reading Binary Header";
const uint32_t kMaxHeaderVersion = 3;
const uint32_t kWrittenHeaderVersion = 3;
// A file's room kept past this is given back rather than held for the next file.
const size_t kMaxSpareBytes = 4u << 20;

std::string& SpareBytes()
{
    thread_local std::string spare;
    return spare;
}

// A closed stream's path room, kept on the thread for the next stream's path: a model's path is too long
// for a short string. Marked gone with the thread's copy, so a stream closed after it frees its own.
thread_local bool t_SparePathGone = false;
struct SparePath
{
    std::string text;
    ~SparePath() { t_SparePathGone = true; }
};
thread_local SparePath t_SparePath;
const size_t kMaxSparePathBytes = 4096;

// The thread's kept room, when larger than what the path has; it always comes back empty.
void TakeSparePath(std::string& path)
{
    if (!t_SparePathGone && path.capacity() < t_SparePath.text.capacity())
        path.swap(t_SparePath.text);
}

// An emptied path's room, kept when it is larger than what the thread holds and not too large to keep.
void KeepSparePath(std::string& path)
{
    path.clear();
    if (!t_SparePathGone && path.capacity() <= kMaxSparePathBytes &&
        path.capacity() > t_SparePath.text.capacity())
        path.swap(t_SparePath.text);
}

} // namespace

std::string KM_Stream::TakeSpareBytes()
{
    std::string bytes;
    bytes.swap(SpareBytes());
    return bytes;
}

void KM_Stream::KeepSpareBytes(std::string&& bytes)
{
    std::string taken;
    taken.swap(bytes);
    std::string& spare = SpareBytes();
    if (taken.capacity() <= kMaxSpareBytes && taken.capacity() > spare.capacity())
        spare.swap(taken);
}

KM_Stream::KM_Stream()
    : m_File(nullptr), m_OwnsFile(false), m_Mode(kText), m_HeaderWordA(1), m_HeaderWordB(0),
      m_HeaderFailed(false), m_Position(0), m_FileSize(0), m_Indent(0)
{
    std::memset(m_IndentText, 0, sizeof m_IndentText);
}

KM_Stream::~KM_Stream()
{
    Close();
}

FILE* KM_Stream::_OpenFile(const char* path, const char* mode)
{
    // Only what is too large to read whole streams, so it is taken at any size.
    return ::OpenFile(path, mode, platform::kAnyFileSize);
}

bool KM_Stream::Open(const char* path, int mode)
{
    if (path == nullptr || *path == '\0' || (mode != kBinary && mode != kText))
        return false;
    Close();
    m_Mode = mode;
    m_Path = path;
    // A model is read in many small pieces: a regular file is read whole with one read, found by the
    // look-up that measures it, and served from memory. Anything else streams.
    std::string bytes = TakeSpareBytes();
    std::string native;
    if (platform::ReadFoundFile(path, bytes, kMaxWholeFile, native) == platform::FileRead::Read)
    {
        if (g_pFileSystem != nullptr)
            g_pFileSystem->RecordOpenedFile(path);
        _TakeBytes(std::move(bytes));
        return true;
    }
    KeepSpareBytes(std::move(bytes));
    return _OpenStreaming();
}

bool KM_Stream::OpenFound(const std::string& name, int mode)
{
    if (name.empty() || (mode != kBinary && mode != kText))
        return false;
    Close();
    m_Mode = mode;
    std::string bytes = TakeSpareBytes();
    bool read = false;
    TakeSparePath(m_Path);
    ResolveAndRead(name, bytes, read, m_Path);
    if (m_Path.empty() || !read)
    {
        KeepSpareBytes(std::move(bytes));
        return !m_Path.empty() && _OpenStreaming();
    }
    if (g_pFileSystem != nullptr)
        g_pFileSystem->RecordOpenedFile(m_Path.c_str());
    _TakeBytes(std::move(bytes));
    return true;
}

bool KM_Stream::OpenBytes(std::string bytes, const std::string& name, int mode)
{
    if (mode != kBinary && mode != kText)
        return false;
    Close();
    m_Mode = mode;
    if (m_Path.capacity() < name.size())
        TakeSparePath(m_Path);
    m_Path = name;
    _TakeBytes(std::move(bytes));
    return true;
}

void KM_Stream::_TakeBytes(std::string bytes)
{
    m_Bytes = std::move(bytes);
    m_FileSize = m_Bytes.size();
    m_Buffered = true;
    m_ReadAt = 0;
    m_PastEnd = false;
}

bool KM_Stream::_OpenStreaming()
{
    m_File = _OpenFile(m_Path.c_str(), m_Mode == kBinary ? "rb" : "rt");
    if (m_File == nullptr)
        return false;
    m_OwnsFile = true;
    struct stat info;
    if (fstat(fileno(m_File), &info) == 0 && S_ISREG(info.st_mode))
        m_FileSize = static_cast<uint64_t>(info.st_size);
    else
        m_FileSize = std::numeric_limits<uint64_t>::max();
    m_FileOffset = 0;
    m_FileOffsetKnown = true;
    return true;
}

bool KM_Stream::OpenForWrite(const char* path, int mode)
{
    if (path == nullptr || *path == '\0' || (mode != kBinary && mode != kText))
        return false;
    Close();
    m_Mode = mode;
    m_Path = path;
    m_Writer = std::make_unique<platform::SafeFileWriter>(m_Path);
    m_File = m_Writer->File();
    if (m_File == nullptr)
    {
        m_Writer.reset();
        return false;
    }
    m_OwnsFile = true;
    return true;
}

bool KM_Stream::AttachForWrite(FILE* file, int mode)
{
    if (file == nullptr || (mode != kBinary && mode != kText))
        return false;
    Close();
    m_Mode = mode;
    m_File = file;
    m_OwnsFile = false;
    return true;
}

bool KM_Stream::Commit()
{
    if (m_File == nullptr || !m_Writer)
        return false;
    const bool committed = m_Writer->Commit();
    m_Writer.reset();
    m_File = nullptr;
    m_OwnsFile = false;
    if (!committed)
    {
        KM_MessageBox::Show("Error Writing Data", kErrorCaption);
        return false;
    }
    return true;
}

void KM_Stream::Close()
{
    // A write that was never committed leaves nothing behind.
    if (m_Writer)
        m_Writer.reset();
    else if (m_File != nullptr && m_OwnsFile)
        std::fclose(m_File);
    else if (m_File != nullptr)
        std::fflush(m_File);
    m_File = nullptr;
    m_OwnsFile = false;
    KeepSparePath(m_Path);
    m_HeaderBlock.clear();
    m_HeaderWordA = 1;
    m_HeaderWordB = 0;
    m_HeaderFailed = false;
    m_Position = 0;
    m_FileSize = 0;
    m_FileOffsetKnown = false;
    KeepSpareBytes(std::move(m_Bytes));
    m_Buffered = false;
    m_ReadAt = 0;
    m_PastEnd = false;
}

bool KM_Stream::_ReadHeaderFields()
{
    char magic[2];
    if (!Read(magic, 1, 2) || magic[0] != 'K' || magic[1] != 'M')
        return false;
    char third;
    if (!Read(&third, 1, 1) || third != 'I')
        return false;
    uint32_t version;
    if (!ReadU32(version) || version > kMaxHeaderVersion)
        return false;
    if (version > 1 && !ReadU32(m_HeaderWordA))
        return false;
    uint32_t length;
    if (!ReadU32(length))
        return false;
    if (length != 0)
    {
        std::vector<uint8_t> block;
        if (!ReadArray(block, length))
            return false;
        m_HeaderBlock = std::move(block);
    }
    return ReadU32(m_HeaderWordB);
}

bool KM_Stream::ReadHeader()
{
    if (!IsOpen())
        return false;
    const uint64_t start = m_Position;
    if (!_ReadHeaderFields())
    {
        platform::OutputDebugString(kHeaderError);
        m_HeaderFailed = true;
        return false;
    }
    // The counter grows by 3 + n + 16 whatever the version, as every header has always counted.
    m_Position = start + 3 + m_HeaderBlock.size() + 16;
    m_HeaderFailed = false;
    return true;
}

bool KM_Stream::WriteHeader()
{
    return Write("KM", 1, 2) && Write("I", 1, 1) && WriteU32(kWrittenHeaderVersion) && WriteU32(1) &&
           WriteU32(0) && WriteU32(0);
}

bool KM_Stream::Read(void* buffer, size_t elementSize, size_t count)
{
    if (!IsOpen())
        return false;
    if (elementSize != 0 && count > std::numeric_limits<size_t>::max() / elementSize)
        return false;
    m_Position += static_cast<uint64_t>(elementSize) * count;
    if (m_Buffered)
    {
        // As a stdio read: the bytes there are taken (a part of an element too) and only whole elements
        // count; a read that comes short leaves the stream at the end.
        const size_t wanted = elementSize * count;
        const size_t left = m_ReadAt < m_Bytes.size() ? m_Bytes.size() - m_ReadAt : 0;
        const size_t taken = std::min(wanted, left);
        if (taken > 0)
            std::memcpy(buffer, m_Bytes.data() + m_ReadAt, taken);
        m_ReadAt += taken;
        if (taken < wanted)
            m_PastEnd = true;
        return taken == wanted;
    }
    const size_t got = std::fread(buffer, elementSize, count, m_File);
    // A short read may have taken part of an element: the file is asked again when it matters.
    if (got == count)
        m_FileOffset += static_cast<uint64_t>(elementSize) * count;
    else
        m_FileOffsetKnown = false;
    if (std::ferror(m_File))
    {
        KM_MessageBox::Show("Error Reading Data", kErrorCaption);
        return false;
    }
    return got == count;
}

bool KM_Stream::Write(const void* buffer, size_t elementSize, size_t count)
{
    if (m_File == nullptr)
    {
        // A stream read from memory refuses writes as a file opened for reading does.
        if (m_Buffered)
            KM_MessageBox::Show("Error Writing Data", kErrorCaption);
        return false;
    }
    if (std::fwrite(buffer, elementSize, count, m_File) < count)
    {
        KM_MessageBox::Show("Error Writing Data", kErrorCaption);
        return false;
    }
    return true;
}

bool KM_Stream::Seek(long offset, int origin)
{
    if (m_Buffered)
    {
        const int64_t base = origin == SEEK_SET   ? 0
                             : origin == SEEK_CUR ? static_cast<int64_t>(m_ReadAt)
                             : origin == SEEK_END ? static_cast<int64_t>(m_Bytes.size())
                                                  : -1;
        // Past the end is allowed, as fseek allows it; before the start or from nowhere is not.
        if (base < 0 || base + offset < 0)
        {
            KM_MessageBox::Show("Error Seeking to Position", kErrorCaption);
            return false;
        }
        m_ReadAt = static_cast<size_t>(base + offset);
        m_PastEnd = false;
        return true;
    }
    if (m_File == nullptr || std::fseek(m_File, offset, origin) != 0)
    {
        KM_MessageBox::Show("Error Seeking to Position", kErrorCaption);
        return false;
    }
    const int64_t target = origin == SEEK_SET   ? offset
                           : origin == SEEK_CUR ? static_cast<int64_t>(m_FileOffset) + offset
                                                : -1;
    if (target >= 0)
        m_FileOffset = static_cast<uint64_t>(target);
    else
        m_FileOffsetKnown = false;
    return true;
}

bool KM_Stream::AtEnd() const
{
    if (m_Buffered)
        return m_PastEnd;
    return m_File != nullptr && std::feof(m_File);
}

bool KM_Stream::Print(const char* format, ...)
{
    if (m_File == nullptr || format == nullptr)
        return false;
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(m_File, format, args);
    va_end(args);
    return written >= 0;
}

void KM_Stream::Indent()
{
    if (m_Indent < kMaxIndent)
        m_IndentText[m_Indent++] = '\t';
}

void KM_Stream::Unindent()
{
    if (m_Indent > 0)
        m_IndentText[--m_Indent] = '\0';
}

bool KM_Stream::ReadString(std::string& text)
{
    text.clear();
    uint32_t length;
    if (!ReadU32(length))
        return false;
    if (length == 0)
        return true;
    if (!Fits(length, 1))
        return false;
    if (m_Buffered)
    {
        // Taken in place from the bytes held, up to the first NUL. A short name or one longer than the text's
        // room is built as a new string and moved in (a short one is copied into the room the text has),
        // which costs less than the library's general replace; a longer one that fits reuses the text's room.
        const char* at = m_Bytes.data() + m_ReadAt;
        const size_t size = strnlen(at, length);
        if (size < 16 || size > text.capacity())
            text = std::string(at, size);
        else
            text.assign(at, size);
        m_ReadAt += length;
        m_Position += length;
        return true;
    }
    // Read straight into the text: names fit its own room, so most strings cost no allocation.
    text.resize(length);
    if (!Read(&text[0], 1, length))
    {
        text.clear();
        return false;
    }
    text.resize(strnlen(text.data(), length));
    return true;
}

bool KM_Stream::WriteString(const std::string& text)
{
    const std::string stored(text.c_str());
    if (stored.empty())
        return WriteU32(0);
    return WriteU32(static_cast<uint32_t>(stored.size() + 1)) && Write(stored.c_str(), 1, stored.size() + 1);
}

uint32_t KM_Stream::StringBytes(const std::string& text)
{
    const size_t length = std::strlen(text.c_str());
    return 4 + (length == 0 ? 0 : static_cast<uint32_t>(length + 1));
}

uint64_t KM_Stream::_RemainingInFile() const
{
    if (m_File == nullptr)
        return 0;
    if (m_FileSize == std::numeric_limits<uint64_t>::max())
        return m_FileSize;
    const long at = m_FileOffsetKnown ? static_cast<long>(m_FileOffset) : std::ftell(m_File);
    if (at < 0 || static_cast<uint64_t>(at) >= m_FileSize)
        return 0;
    return m_FileSize - static_cast<uint64_t>(at);
}
