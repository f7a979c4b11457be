#include "engine/render/kaImage.h"

#include "engine/core/kaFileSystem.h"
#include "platform/files/Files.h"

#include <cstring>

namespace
{
// Larger files stream from the open file instead of being held whole.
constexpr size_t kMaxWholeFile = 256u << 20;
} // namespace

kaImage::~kaImage() = default;

bool kaImage::LoadFromStream(std::istream&)
{
    return false;
}

bool kaImage::LoadFromFile(FILE*)
{
    return false;
}

bool kaImage::Load(const std::string& fileName)
{
    m_Name = fileName;
    return true;
}

bool kaImage::LoadFileBytes(std::string fileName, platform::FileBytes&)
{
    return Load(fileName);
}

bool kaImage::_ReadNamedFile(const std::string& fileName, platform::FileBytes& bytes, FILE*& file)
{
    file = nullptr;
    if (fileName.empty())
        return false;
    std::string native;
    switch (platform::ReadFoundFile(fileName, bytes, kMaxWholeFile, native))
    {
    case platform::FileRead::Read:
        if (g_pFileSystem)
            g_pFileSystem->RecordOpenedFile(fileName.c_str());
        return true;
    case platform::FileRead::Missing:
        return false;
    case platform::FileRead::NotWhole:
        break;
    }
    // Streamed, so at any size; only a regular file.
    file = OpenFile(fileName, "rb", platform::kAnyFileSize);
    return file != nullptr;
}

bool kaImage::Save(const std::string&, bool) const
{
    return false;
}

uint32_t kaImage::GetRowBytes() const
{
    return static_cast<uint32_t>((uint64_t(GetWidth()) * GetBitsPerPixel() + 7) / 8);
}

void kaImage::FlipVertical()
{
    const uint32_t height = GetHeight();
    const size_t rowBytes = GetRowBytes();
    const uint8_t* const pixels = GetPixels();
    if (height < 1 || rowBytes == 0 || GetPixelBytes() < rowBytes * height)
    {
        _DropHeldFile();
        m_Pixels.clear();
        return;
    }
    std::vector<uint8_t> flipped(rowBytes * height);
    for (uint32_t row = 0; row < height; ++row)
        std::memcpy(&flipped[(height - 1 - row) * rowBytes], pixels + row * rowBytes, rowBytes);
    _DropHeldFile();
    m_Pixels.swap(flipped);
}

void kaImage::_HoldFilePixels(platform::FileBytes& bytes, size_t offset, size_t count)
{
    m_Pixels.clear();
    m_Pixels.shrink_to_fit();
    _DropHeldFile();
    // No pixels read as none, as an empty m_Pixels does.
    if (count == 0 || offset + count > bytes.Size())
        return;
    m_HeldFile = std::move(bytes);
    m_pHeldPixels = m_HeldFile.Data() + offset;
    m_HeldPixelBytes = count;
}

void kaImage::GiveUpFileRoom(platform::FileBytes& room)
{
    if (!m_pHeldPixels)
        return;
    room = std::move(m_HeldFile);
    room.Clear();
    m_pHeldPixels = nullptr;
    m_HeldPixelBytes = 0;
}

void kaImage::_DropHeldFile()
{
    m_HeldFile.Release();
    m_pHeldPixels = nullptr;
    m_HeldPixelBytes = 0;
}

void kaImage::_SetMasks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    m_RedMask = red;
    m_GreenMask = green;
    m_BlueMask = blue;
    m_AlphaMask = alpha;
}
