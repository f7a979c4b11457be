#pragma once

#include "engine/render/kaGraphicsObject.h"

#include "platform/files/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <vector>

// Decoded pixels of an image file held in memory: rows top to bottom, packed without gaps, each row
// GetRowBytes() long. The readers derive from it; the base reads nothing.
class kaImage : public kaGraphicsObject
{
public:
    kaImage() = default;
    ~kaImage() override;

    virtual bool LoadFromStream(std::istream& stream);
    virtual bool LoadFromFile(FILE* file);
    // The base only keeps the name.
    virtual bool Load(const std::string& fileName);
    // The bytes of the named file, already read whole, taken as Load would read that file. A reader whose
    // pixels lie in the file as they are held may keep the bytes (leaving `bytes` empty) rather than copy
    // them out; otherwise they stay with the caller for its next file. The base loads the file by name.
    virtual bool LoadFileBytes(std::string fileName, platform::FileBytes& bytes);
    virtual bool Save(const std::string& fileName, bool compress) const;

    virtual uint32_t GetHeight() const { return 0; }
    virtual uint32_t GetWidth() const { return 0; }
    virtual uint32_t GetAlphaBits() const { return 0; }
    virtual uint32_t GetBitsPerPixel() const { return m_BitsPerPixel; }

    // Turns the rows upside down.
    void FlipVertical();

    // Bytes of one row: whole bytes, so 1- and 4-bit rows round up.
    uint32_t GetRowBytes() const;
    // Null until an image is read.
    const uint8_t* GetPixels() const
    {
        return m_pHeldPixels ? m_pHeldPixels : m_Pixels.empty() ? nullptr : m_Pixels.data();
    }
    size_t GetPixelBytes() const { return m_pHeldPixels ? m_HeldPixelBytes : m_Pixels.size(); }
    const std::string& GetName() const { return m_Name; }

    uint32_t GetRedMask() const { return m_RedMask; }
    uint32_t GetGreenMask() const { return m_GreenMask; }
    uint32_t GetBlueMask() const { return m_BlueMask; }
    uint32_t GetAlphaMask() const { return m_AlphaMask; }

    // Hands the room of a held file to `room` (whose own room goes) and shows no pixels from it: for an
    // image about to go, so that the next file can be read into that room.
    void GiveUpFileRoom(platform::FileBytes& room);

protected:
    // A named file as OpenFile finds it: read whole into bytes when it is a regular file (a look-up, an
    // open, a read and a close), otherwise opened into file for the reader to stream and the caller to
    // close. False when there is nothing to read.
    static bool _ReadNamedFile(const std::string& fileName, platform::FileBytes& bytes, FILE*& file);
    void _SetMasks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha);
    // Takes the file's bytes and shows `count` of them from `offset` on as the pixels, instead of a copy in
    // m_Pixels (which is emptied). The caller has checked that they lie within the bytes.
    void _HoldFilePixels(platform::FileBytes& bytes, size_t offset, size_t count);
    // Drops held file bytes; m_Pixels is left as it is.
    void _DropHeldFile();

    bool m_Flag = false;
    int32_t m_Value = -1;
    // Decoded pixels, or empty while a file's bytes are held.
    std::vector<uint8_t> m_Pixels;
    std::string m_Name;
    uint32_t m_BitsPerPixel = 0;
    uint32_t m_RedMask = 0;
    uint32_t m_GreenMask = 0;
    uint32_t m_BlueMask = 0;
    uint32_t m_AlphaMask = 0;
    uint32_t m_Reserved[2] = {0, 0};

private:
    platform::FileBytes m_HeldFile;
    const uint8_t* m_pHeldPixels = nullptr;
    size_t m_HeldPixelBytes = 0;
};
