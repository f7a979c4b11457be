#pragma once

#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <iosfwd>
#include <string>

class guiButton;
class guiListBox;
class guiScroller;
class guiTextBox;

// A one-line text box with a down-arrow button that opens a list below it, drawn over the widgets
// beneath; picking an item closes the list, shows the item's text and fires a change event carrying the
// item's text and data.
class guiDropDown : public guiWidget
{
public:
    static constexpr int32_t kListId = 10;
    static constexpr int32_t kTextHeight = 18;
    static constexpr int32_t kListHeight = 100;
    static constexpr int32_t kOpenLayers = 10;
    static constexpr uint8_t kKeyDown = 40;
    static constexpr const char* kButtonName = "Down Button";
    static constexpr const char* kArrowNormal = "ui/common/UI_ScrollDownArrow_N.bmp";
    static constexpr const char* kArrowClicked = "ui/common/UI_ScrollDownArrow_C.bmp";
    static constexpr const char* kArrowRollover = "ui/common/UI_ScrollDownArrow_R.bmp";

    static const kaClassInfo& StaticClassInfo();

    guiDropDown(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiDropDown(std::istream& stream);
    explicit guiDropDown(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void Render(guiRenderContext& context) override;
    void OnFocusLost() override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    // Shift with the down-arrow key opens or closes the list.
    bool OnKey(const guiMsgKey& message) override;

    void AddItem(const std::string& text, const ka::any& data);
    void Clear(bool alsoColumns = false);
    std::string GetSelectedText() const;
    ka::any GetSelectedData() const;
    void SelectByText(const std::string& text);
    void Toggle();

    bool IsOpen() const { return m_Open; }
    guiButton* GetButton() const { return m_Button; }
    guiTextBox* GetTextBox() const { return m_TextBox; }
    guiScroller* GetDecoratedList() const { return m_DecoratedList; }
    guiListBox* GetList() const { return m_List; }
    int32_t GetItems() const { return m_Items; }

private:
    void _Build();
    void _Connect();
    void _Layout();
    void _Close();
    bool _OnListPick(const guiMsgEvent& message);
    // Takes the parts from the children read; a part of the wrong class, or none, stays missing.
    void _TakeParts(int32_t button, int32_t decorated, int32_t list, int32_t text);

    guiButton* m_Button = nullptr;
    guiTextBox* m_TextBox = nullptr;
    guiScroller* m_DecoratedList = nullptr;
    guiListBox* m_List = nullptr;
    bool m_Open = false;
    int32_t m_Items = 0;
    bool m_LaidOut = false;
};
