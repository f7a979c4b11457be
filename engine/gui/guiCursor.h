#pragma once

#include "engine/core/kaPoint.h"
#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <string>

class guiImage;

// The mouse pointer: a picture whose hot spot lands on the position it is given. The picture is an
// image glyph of its own, not one of its children.
class guiCursor : public guiWidget
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiCursor(const std::string& fileName, int32_t hotspotX, int32_t hotspotY);
    // Position and size are not used: no picture, hot spot 0, 0.
    guiCursor(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiCursor(std::istream& stream);
    explicit guiCursor(kaBinaryStream& stream);
    ~guiCursor() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    // The pointer's position: the picture's top-left goes to it plus the hot-spot offset.
    void SetPosition(const guiCoordPair& position) override;
    void SetDirty(bool dirty) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    void CreateDeviceObjects() override;
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    bool PreRender(guiRenderContext& context) override;

    const std::string& GetFilename() const { return m_Filename; }
    // Minus the hot spot's pixel within the picture.
    const kaPoint& GetHotspot() const { return m_Hotspot; }
    guiImage* GetImage() const { return m_Image; }

private:
    void _MakeImage();

    guiImage* m_Image = nullptr;
    std::string m_Filename;
    kaPoint m_Hotspot;
};
