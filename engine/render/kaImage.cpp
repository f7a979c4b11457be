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

bool kaImage::LoadFileBytes(const std::string& fileName, const std::string&)
{
    return Load(fileName);
}

bool kaImage::_ReadNamedFile(const std::string& fileName, std::string& bytes, FILE*& file)
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
    file = OpenFile(fileName, "rb");
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
    if (height < 1 || rowBytes == 0 || m_Pixels.size() < rowBytes * height)
    {
        m_Pixels.clear();
        return;
    }
    std::vector<uint8_t> flipped(rowBytes * height);
    for (uint32_t row = 0; row < height; ++row)
        std::memcpy(&flipped[(height - 1 - row) * rowBytes], &m_Pixels[row * rowBytes], rowBytes);
    m_Pixels.swap(flipped);
}

void kaImage::_SetMasks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    m_RedMask = red;
    m_GreenMask = green;
    m_BlueMask = blue;
    m_AlphaMask = alpha;
}
