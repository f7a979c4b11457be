#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace platform
{
class SafeFileWriter;
}

// The file stream every KMF object reads and writes through: binary (mode 0) or the indented text
// form (mode 1, written only). All numbers are little-endian.
class KM_Stream
{
public:
    static constexpr int kBinary = 0;
    static constexpr int kText = 1;
    static constexpr int kMaxIndent = 255;

    KM_Stream();
    ~KM_Stream();
    KM_Stream(const KM_Stream&) = delete;
    KM_Stream& operator=(const KM_Stream&) = delete;

    // Opens a file for reading, "rb" for mode 0 and "rt" for mode 1.
    bool Open(const char* path, int mode);
    // Opens the first candidate of the file system's search order for the name (GetPath names it).
    bool OpenFound(const std::string& name, int mode);
    // Reads bytes already in memory as the file of that name.
    bool OpenBytes(std::string bytes, const std::string& name, int mode);
    // Opens a file for writing. The bytes go to a temporary file beside the path, which Commit
    // renames over it, so a failed write never leaves a half-written file behind.
    bool OpenForWrite(const char* path, int mode);
    bool Commit();
    // Writes to a file the caller keeps open and owns, such as the standard output.
    bool AttachForWrite(FILE* file, int mode);
    void Close();

    bool ReadHeader();
    // Writes a header of version 3 with word A 1, no block and word B 0.
    bool WriteHeader();

    // Reads count elements. A read that cannot deliver all of them fails, so no object is ever
    // filled from bytes that are not in the file.
    bool Read(void* buffer, size_t elementSize, size_t count);
    bool Write(const void* buffer, size_t elementSize, size_t count);
    bool Seek(long offset, int origin);
    bool AtEnd() const;
    bool Print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void Indent();
    void Unindent();
    const char* IndentText() const { return m_IndentText; }
    int GetIndent() const { return m_Indent; }

    // Binary helpers over Read and Write.
    bool ReadU32(uint32_t& value) { return _ReadValue(value); }
    bool ReadI32(int32_t& value) { return _ReadValue(value); }
    bool ReadFloat(float& value) { return _ReadValue(value); }
    bool ReadByte(uint8_t& value) { return _ReadValue(value); }
    // Reads several plain values stored one after another, with one check of the bytes left when the file
    // is held in memory. A read that comes short fills and fails as the values read one by one would.
    template <typename... Values> bool ReadValues(Values&... values)
    {
        static_assert((std::is_trivially_copyable<Values>::value && ...), "values are read as bytes");
        constexpr size_t kBytes = (sizeof(Values) + ...);
        if (m_Buffered && m_ReadAt <= m_Bytes.size() && m_Bytes.size() - m_ReadAt >= kBytes)
        {
            _TakeValues(m_Bytes.data() + m_ReadAt, values...);
            m_ReadAt += kBytes;
            m_Position += kBytes;
            return true;
        }
        return _ReadEach(values...);
    }
    // A counted string: u32 length counting a stored NUL, 0 for none. The text ends at the first
    // NUL whether or not the file stores one.
    bool ReadString(std::string& text);
    // Reads count records of a plain type, refusing a count whose bytes exceed what remains.
    template <typename T, typename Allocator> bool ReadArray(std::vector<T, Allocator>& out, uint64_t count)
    {
        static_assert(std::is_trivially_copyable<T>::value, "records are read as bytes");
        out.clear();
        if (!Fits(count, sizeof(T)))
            return false;
        if (count == 0)
            return true;
        if (m_Buffered)
        {
            // Copied from the bytes held into room of the final size, without filling it with zeros first:
            // in one copy when the list's allocator can leave its room unfilled, else record by record.
            const char* const first = m_Bytes.data() + m_ReadAt;
            const size_t bytes = static_cast<size_t>(count) * sizeof(T);
            if constexpr (_LeavesRoomUnfilled<Allocator>(0))
            {
                using Unfilled = typename Allocator::Unfilled;
                std::vector<T, Allocator> filled(UnfilledIterator<Unfilled>(0),
                                                 UnfilledIterator<Unfilled>(static_cast<size_t>(count)),
                                                 out.get_allocator());
                std::memcpy(static_cast<void*>(filled.data()), first, bytes);
                out.swap(filled);
            }
            else
                out.assign(RecordIterator<T>(first), RecordIterator<T>(first + bytes));
            m_ReadAt += bytes;
            m_Position += bytes;
            return true;
        }
        out.resize(static_cast<size_t>(count));
        return Read(out.data(), sizeof(T), out.size());
    }

    bool WriteU32(uint32_t value) { return Write(&value, sizeof value, 1); }
    bool WriteI32(int32_t value) { return Write(&value, sizeof value, 1); }
    bool WriteFloat(float value) { return Write(&value, sizeof value, 1); }
    bool WriteByte(uint8_t value) { return Write(&value, sizeof value, 1); }
    // Writes length + 1 and the text with its NUL; an empty text is written as length 0.
    bool WriteString(const std::string& text);
    template <typename T, typename Allocator> bool WriteArray(const std::vector<T, Allocator>& records)
    {
        static_assert(std::is_trivially_copyable<T>::value, "records are written as bytes");
        return records.empty() || Write(records.data(), sizeof(T), records.size());
    }

    // Bytes between the read position and the end of the file. Asked before every string and list, so the
    // answer for a file held in memory is worked out in place.
    uint64_t Remaining() const
    {
        if (m_Buffered)
            return m_ReadAt < m_Bytes.size() ? m_Bytes.size() - m_ReadAt : 0;
        return _RemainingInFile();
    }
    // True when count records of bytesEach bytes can still be in the file.
    bool Fits(uint64_t count, uint64_t bytesEach) const
    {
        if (bytesEach != 0 && count > std::numeric_limits<uint64_t>::max() / bytesEach)
            return false;
        return count * bytesEach <= Remaining();
    }

    bool IsOpen() const { return m_File != nullptr || m_Buffered; }
    int GetMode() const { return m_Mode; }
    const std::string& GetPath() const { return m_Path; }
    uint64_t GetPosition() const { return m_Position; }
    // False only after a header read that failed.
    bool HeaderUsable() const { return !m_HeaderFailed; }
    uint32_t GetHeaderWordA() const { return m_HeaderWordA; }
    uint32_t GetHeaderWordB() const { return m_HeaderWordB; }
    const std::vector<uint8_t>& GetHeaderBlock() const { return m_HeaderBlock; }

    // Size of a counted string as written by WriteString.
    static uint32_t StringBytes(const std::string& text);
    // The room of the last file read whole on this thread, to read the next one over without a new
    // allocation; Keep takes a string's room back (the larger is kept, none past a few megabytes).
    static std::string TakeSpareBytes();
    static void KeepSpareBytes(std::string&& bytes);

private:
    // Records laid end to end in bytes of any alignment, each taken out by copy.
    template <typename T> class RecordIterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = T;

        explicit RecordIterator(const char* at) : m_At(at) {}
        T operator*() const
        {
            T record;
            std::memcpy(&record, m_At, sizeof record);
            return record;
        }
        RecordIterator& operator++()
        {
            m_At += sizeof(T);
            return *this;
        }
        RecordIterator operator++(int)
        {
            RecordIterator before = *this;
            m_At += sizeof(T);
            return before;
        }
        RecordIterator& operator--()
        {
            m_At -= sizeof(T);
            return *this;
        }
        RecordIterator& operator+=(difference_type n)
        {
            m_At += n * static_cast<difference_type>(sizeof(T));
            return *this;
        }
        RecordIterator& operator-=(difference_type n) { return *this += -n; }
        RecordIterator operator+(difference_type n) const { return RecordIterator(*this) += n; }
        RecordIterator operator-(difference_type n) const { return RecordIterator(*this) += -n; }
        difference_type operator-(const RecordIterator& other) const
        {
            return (m_At - other.m_At) / static_cast<difference_type>(sizeof(T));
        }
        T operator[](difference_type n) const { return *(*this + n); }
        bool operator==(const RecordIterator& other) const { return m_At == other.m_At; }
        bool operator!=(const RecordIterator& other) const { return m_At != other.m_At; }
        bool operator<(const RecordIterator& other) const { return m_At < other.m_At; }

    private:
        const char* m_At;
    };

    // Counts out records to be constructed unfilled, each handing over the allocator's tag.
    template <typename Unfilled> class UnfilledIterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Unfilled;
        using difference_type = std::ptrdiff_t;
        using pointer = const Unfilled*;
        using reference = Unfilled;

        explicit UnfilledIterator(size_t at) : m_At(at) {}
        Unfilled operator*() const { return Unfilled(); }
        UnfilledIterator& operator++()
        {
            ++m_At;
            return *this;
        }
        UnfilledIterator operator++(int)
        {
            UnfilledIterator before = *this;
            ++m_At;
            return before;
        }
        bool operator==(const UnfilledIterator& other) const { return m_At == other.m_At; }
        bool operator!=(const UnfilledIterator& other) const { return m_At != other.m_At; }

    private:
        size_t m_At;
    };
    template <typename Allocator>
    static constexpr auto _LeavesRoomUnfilled(int) -> decltype(typename Allocator::Unfilled(), true)
    {
        return true;
    }
    template <typename Allocator> static constexpr bool _LeavesRoomUnfilled(long) { return false; }

    // A file is read mostly a word at a time: one held in memory hands over a whole word in place, and
    // anything else (a short read, a streamed file) goes through Read.
    template <typename T> __attribute__((always_inline)) bool _ReadValue(T& value)
    {
        if (m_Buffered && m_ReadAt <= m_Bytes.size() && m_Bytes.size() - m_ReadAt >= sizeof value)
        {
            std::memcpy(&value, m_Bytes.data() + m_ReadAt, sizeof value);
            m_ReadAt += sizeof value;
            m_Position += sizeof value;
            return true;
        }
        return Read(&value, sizeof value, 1);
    }
    // Copies the values in order from bytes known to be there.
    template <typename T, typename... Rest>
    __attribute__((always_inline)) void _TakeValues(const char* at, T& value, Rest&... rest)
    {
        std::memcpy(&value, at, sizeof value);
        if constexpr (sizeof...(Rest) > 0)
            _TakeValues(at + sizeof value, rest...);
    }
    // One value at a time, stopping at the first that cannot be read.
    template <typename... Values> bool _ReadEach(Values&... values)
    {
        return (Read(&values, sizeof values, 1) && ...);
    }
    uint64_t _RemainingInFile() const;
    static FILE* _OpenFile(const char* path, const char* mode);
    bool _ReadHeaderFields();
    void _TakeBytes(std::string bytes);
    bool _OpenStreaming();

    // Files up to this size are read whole when opened; larger ones stream.
    static constexpr uint64_t kMaxWholeFile = 256ull * 1024 * 1024;

    FILE* m_File;
    bool m_OwnsFile;
    int m_Mode;
    std::string m_Path;
    std::unique_ptr<platform::SafeFileWriter> m_Writer;
    std::vector<uint8_t> m_HeaderBlock;
    uint32_t m_HeaderWordA;
    uint32_t m_HeaderWordB;
    bool m_HeaderFailed;
    uint64_t m_Position;
    uint64_t m_FileSize;
    // Where the file stands, kept alongside reads and seeks: asking the file costs a system call, and
    // every bounds check asks.
    // The whole file's bytes when it was read at once, and the read position in them.
    std::string m_Bytes;
    bool m_Buffered = false;
    size_t m_ReadAt = 0;
    // A read came short: what feof would say.
    bool m_PastEnd = false;
    uint64_t m_FileOffset = 0;
    bool m_FileOffsetKnown = false;
    int m_Indent;
    char m_IndentText[kMaxIndent + 1];
};
