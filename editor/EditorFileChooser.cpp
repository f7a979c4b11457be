#include "editor/EditorFileChooser.h"

#include "editor/EditorResourceList.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/gui/guiWindow.h"

void EditorFileChooser::Attach(guiWindow& window, const std::function<void(const std::string&)>& pick)
{
    m_Pick = pick;
    m_List = guiWidgetLookup::Find<guiListBox>(window, kListName);
    m_Preview = guiWidgetLookup::Find<guiImage>(window, kPreviewName);
    m_ListGroup = guiWidgetLookup::Find<guiGroup>(window, kListGroupName);
    m_PreviewGroup = guiWidgetLookup::Find<guiGroup>(window, kPreviewGroupName);
    m_ButtonGroup = guiWidgetLookup::Find<guiGroup>(window, kButtonGroupName);
    if (m_List != nullptr)
    {
        m_List->SetMaxChars(kMaxChars);
        m_List->AddHandler(gui::kEventCellSelected,
                           [this](const guiMsgEvent&)
                           {
                               UpdatePreview();
                               return true;
                           });
        m_List->AddHandler(gui::kEventDoubleClick,
                           [this](const guiMsgEvent&)
                           {
                               Pick();
                               return true;
                           });
    }
    if (auto* select = guiWidgetLookup::Find<guiButton>(window, kSelectName))
        select->SetOnClick(
            [this](int)
            {
                Pick();
                return true;
            });
    if (auto* cancel = guiWidgetLookup::Find<guiButton>(window, kCancelName))
        cancel->SetOnClick(
            [this](int)
            {
                _ShowParts(false);
                return true;
            });
}

void EditorFileChooser::Show(const std::string& folder, bool show)
{
    if (show && m_List != nullptr)
    {
        EditorResourceList::Fill(*m_List, folder);
        UpdatePreview();
    }
    _ShowParts(show);
}

void EditorFileChooser::UpdatePreview()
{
    if (m_Preview == nullptr || m_List == nullptr)
        return;
    m_Preview->SetFilename(m_List->GetSelectedText(), true);
    m_Preview->SetFiltering(kPreviewFilter);
}

void EditorFileChooser::Pick()
{
    if (m_List == nullptr || m_List->GetSelectedRow() < 0)
        return;
    const std::string chosen = m_List->GetSelectedText();
    _ShowParts(false);
    if (m_Pick)
        m_Pick(chosen);
}

bool EditorFileChooser::IsOpen() const
{
    return m_ListGroup != nullptr && m_ListGroup->IsVisible();
}

void EditorFileChooser::_ShowParts(bool show)
{
    for (guiGroup* part : {m_ListGroup, m_PreviewGroup, m_ButtonGroup})
        if (part != nullptr)
            part->SetVisible(show);
}
