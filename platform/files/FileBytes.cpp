#include "platform/files/FileBytes.h"

#include <utility>

namespace platform
{

FileBytes::FileBytes(FileBytes&& other) noexcept
    : m_Room(std::move(other.m_Room)), m_RoomSize(other.m_RoomSize), m_Size(other.m_Size)
{
    other.m_RoomSize = 0;
    other.m_Size = 0;
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other)
    {
        m_Room = std::move(other.m_Room);
        m_RoomSize = other.m_RoomSize;
        m_Size = other.m_Size;
        other.m_RoomSize = 0;
        other.m_Size = 0;
    }
    return *this;
}

uint8_t* FileBytes::MakeRoom(size_t n)
{
    m_Size = 0;
    if (n > m_RoomSize)
    {
        // Left uncleared: whoever fills the room writes the bytes it then shows.
        m_Room.reset();
        m_RoomSize = 0;
        m_Room.reset(new uint8_t[n]);
        m_RoomSize = n;
    }
    return m_Room.get();
}

void FileBytes::Release()
{
    m_Room.reset();
    m_RoomSize = 0;
    m_Size = 0;
}

} // namespace platform
