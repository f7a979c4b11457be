#include "editor/LayerListWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiWidgetLookup.h"

const kaClassInfo& LayerListWindow::StaticClassInfo()
{
    static const kaClassInfo record("[LayerListWindow]", kLayerListWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

LayerListWindow::LayerListWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTitle});
    m_List = guiWidgetLookup::Find<guiListBox>(*this, kLayerList);
    m_Remove = guiWidgetLookup::Find<guiButton>(*this, kRemove);
    EditorDialogButtons::Wire(*this, kRemove, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
    if (m_List == nullptr)
        return;
    m_List->SetMaxChars(kMaxChars);
    m_List->AddHandler(gui::kEventCellSelected,
                       [this](const guiMsgEvent&)
                       {
                           if (m_Remove != nullptr)
                               m_Remove->SetEnabled(true);
                           return true;
                       });
    m_List->AddHandler(gui::kEventSelectionCleared,
                       [this](const guiMsgEvent&)
                       {
                           if (m_Remove != nullptr)
                               m_Remove->SetEnabled(false);
                           return true;
                       });
    m_List->AddHandler(gui::kEventDoubleClick,
                       [this](const guiMsgEvent&)
                       {
                           EditorDialogButtons::Close(*this, gui::kModalDone);
                           return true;
                       });
}

void LayerListWindow::SetItems(const std::vector<std::string>& items)
{
    if (m_List != nullptr)
    {
        m_List->Clear(false);
        for (const std::string& item : items)
            m_List->AddRow(item, ka::any());
    }
    if (items.empty() && m_Remove != nullptr)
        m_Remove->SetEnabled(false);
}

int32_t LayerListWindow::GetSelectedRow() const
{
    return m_List != nullptr ? m_List->GetSelectedRow() : -1;
}
