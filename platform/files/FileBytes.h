#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform
{

// A file's bytes, read into room that is not cleared first: the read writes every byte that is shown, and
// Size() never reaches past what it wrote. The room stays for the next file until someone takes it, so a
// reader that goes from file to file allocates only when a file is larger than any before it.
class FileBytes
{
public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    const uint8_t* Data() const { return m_Room.get(); }
    size_t Size() const { return m_Size; }
    size_t Room() const { return m_RoomSize; }
    bool Empty() const { return m_Size == 0; }

    // Room for n bytes, their contents unknown until written; the bytes held before are dropped (Size() is
    // 0). Null only for n of 0 with no room yet.
    uint8_t* MakeRoom(size_t n);
    // Shows the first n bytes of the room, which the caller has written; never more than the room.
    void SetSize(size_t n) { m_Size = n < m_RoomSize ? n : m_RoomSize; }
    // Shows nothing; the room is kept.
    void Clear() { m_Size = 0; }
    // Shows nothing and gives the room back.
    void Release();

private:
    std::unique_ptr<uint8_t[]> m_Room;
    size_t m_RoomSize = 0;
    size_t m_Size = 0;
};

} // namespace platform
