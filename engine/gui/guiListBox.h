#pragma once

#include "engine/gui/guiGrid.h"
#include "engine/gui/guiTextParams.h"

#include <cstdint>
#include <iosfwd>
#include <string>

// A one-column list of text rows on the grid, with a user value per row: filled row by row, selected by
// index or by text, read back as the selected text or value.
class guiListBox : public guiGrid
{
public:
    static constexpr float kTextParamsVersion = 1.09f;
    static constexpr int32_t kDefaultMaxChars = 32;
    static constexpr int32_t kInitialWidth = 100;

    static const kaClassInfo& StaticClassInfo();

    guiListBox(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiListBox(std::istream& stream);
    explicit guiListBox(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    // Every move notifies, so that keys pick rows as clicks do.
    bool OnKey(const guiMsgKey& message) override;
    // The row's text takes the selectable or the disabled colour.
    void SetCellSelectable(int32_t row, int32_t column, bool selectable) override;
    // The column always stays.
    void Clear(bool alsoColumns = false) override;

    using guiGrid::AddRow;
    // The first row added while nothing is current becomes current, without notification.
    void AddRow(const std::string& text, const ka::any& value);
    // -1 when no used row holds the text in that column.
    int32_t FindRow(const std::string& text, int32_t column) const;
    // An empty text clears the selection and answers true; an unknown text answers false and keeps it.
    bool SelectByText(const std::string& text);
    std::string GetSelectedText() const;

    int32_t GetUsedRows() const { return m_UsedRows; }
    int32_t GetMaxChars() const { return m_MaxChars; }
    void SetMaxChars(int32_t count) { m_MaxChars = count; }
    const kaColor& GetForeColor() const { return m_ForeColor; }
    void SetForeColor(const kaColor& color) { m_ForeColor = color; }
    const kaColor& GetDisabledColor() const { return m_DisabledColor; }
    void SetDisabledColor(const kaColor& color) { m_DisabledColor = color; }
    guiTextParams& GetTextParams() { return m_TextParams; }

private:
    int32_t m_UsedRows = 0;
    int32_t m_MaxChars = kDefaultMaxChars;
    kaColor m_ForeColor;
    kaColor m_DisabledColor;
    guiTextParams m_TextParams;
};
