#include "game/screens/StuntShopWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/XmlFileList.h"

#include <algorithm>

const kaClassInfo& StuntShopWindow::StaticClassInfo()
{
    static const kaClassInfo record("[StuntShopWindow]", kStuntShopClassId, &guiWindow::StaticClassInfo());
    return record;
}

StuntShopWindow::StuntShopWindow(const std::string& layoutFile, Tarvolin* app)
    : guiWindow(layoutFile), m_App(app)
{
    for (int i = 0; i < kSlotCount; ++i)
    {
        const std::string number = std::to_string(i + 1);
        m_Slots[i] = std::make_unique<Slot>();
        m_Slots[i]->price = guiWidgetLookup::Find<guiTextBox>(*this, "price_" + number);
        m_Slots[i]->preview = guiWidgetLookup::Find<guiImage>(*this, "preview_" + number);
        m_Slots[i]->status = guiWidgetLookup::Find<guiImage>(*this, "status_" + number);
    }
    m_Unlock = guiWidgetLookup::Find<guiButton>(*this, kUnlockName);
    m_ItemName = guiWidgetLookup::Find<guiTextBox>(*this, kItemName);
    m_Points = guiWidgetLookup::Find<guiTextBox>(*this, kPointsName);
    const struct
    {
        const char* name;
        bool (StuntShopWindow::*handler)();
    } buttons[] = {
        {kLeftName, &StuntShopWindow::OnLeft},
        {kRightName, &StuntShopWindow::OnRight},
        {kFinishName, &StuntShopWindow::OnFinish},
    };
    for (const auto& entry : buttons)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, entry.name))
        {
            const auto handler = entry.handler;
            button->SetOnClick([this, handler](int) { return (this->*handler)(); });
        }
    if (m_Unlock != nullptr)
        m_Unlock->SetOnClick([this](int) { return OnUnlock(); });
    if (m_App != nullptr)
    {
        m_Player = m_App->GetCurrentPlayer();
        for (const std::string& path : XmlFileList::List(kItemFolder))
        {
            auto item = std::make_unique<ShopItem>();
            if (item->Load(path))
                m_App->GetShopItems().push_back(std::move(item));
        }
    }
}

StuntShopWindow::~StuntShopWindow() = default;

int32_t StuntShopWindow::_ItemCount() const
{
    return m_App != nullptr ? int32_t(m_App->GetShopItems().size()) : 0;
}

ShopItem* StuntShopWindow::_Item(int32_t index) const
{
    return index >= 0 && index < _ItemCount() ? m_App->GetShopItems()[index].get() : nullptr;
}

bool StuntShopWindow::_Owns(const ShopItem& item) const
{
    const std::vector<std::string>& owned = m_Player->GetUnlocked();
    return std::find(owned.begin(), owned.end(), item.GetLockedEntity()) != owned.end();
}

void StuntShopWindow::_FillSlot(Slot& slot, const ShopItem& item)
{
    if (slot.preview != nullptr)
        slot.preview->SetFilename(item.GetPreviewImage(), true);
    if (slot.price != nullptr)
        slot.price->SetText(std::to_string(item.GetPrice()));
    // Without a driver nothing is owned.
    if (slot.status != nullptr)
        slot.status->SetFilename(m_Player != nullptr && _Owns(item) ? kUnlockedImage : kLockedImage, true);
}

void StuntShopWindow::OnShow()
{
    m_Player = m_App != nullptr ? m_App->GetCurrentPlayer() : nullptr;
    const int32_t count = _ItemCount();
    if (count > 0)
    {
        m_Index = std::clamp(m_Index, 0, count - 1);
        const int32_t previous = m_Index == 0 ? count - 1 : m_Index - 1;
        const int32_t next = m_Index == count - 1 ? 0 : m_Index + 1;
        const ShopItem& current = *_Item(m_Index);
        if (m_ItemName != nullptr)
            m_ItemName->SetText(current.GetName());
        _FillSlot(*m_Slots[0], *_Item(previous));
        _FillSlot(*m_Slots[1], current);
        _FillSlot(*m_Slots[2], *_Item(next));
    }
    if (m_Unlock != nullptr)
        m_Unlock->SetEnabled(CanUnlock());
    if (m_Points != nullptr)
        m_Points->SetText(m_Player != nullptr ? std::to_string(m_Player->GetUnspentRepPoints())
                                              : std::string());
    guiWindow::OnShow();
}

bool StuntShopWindow::CanUnlock() const
{
    const ShopItem* item = _Item(m_Index);
    return item != nullptr && m_Player != nullptr && !_Owns(*item) &&
           item->GetPrice() <= m_Player->GetUnspentRepPoints();
}

bool StuntShopWindow::OnLeft()
{
    const int32_t count = _ItemCount();
    m_Index = m_Index - 1 < 0 ? std::max(count - 1, 0) : m_Index - 1;
    OnShow();
    return true;
}

bool StuntShopWindow::OnRight()
{
    const int32_t count = _ItemCount();
    m_Index = m_Index + 1 > count - 1 ? 0 : m_Index + 1;
    OnShow();
    return true;
}

bool StuntShopWindow::OnUnlock()
{
    // The button's state is not trusted: a click may arrive for an item that cannot be bought.
    m_Player = m_App != nullptr ? m_App->GetCurrentPlayer() : nullptr;
    if (!CanUnlock())
        return true;
    const ShopItem& item = *_Item(m_Index);
    m_Player->SetUnspentRepPoints(m_Player->GetUnspentRepPoints() - item.GetPrice());
    m_Player->Unlock(item.GetLockedEntity());
    OnShow();
    return true;
}

bool StuntShopWindow::OnFinish()
{
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalDone);
        if (guiWindow* career = g_pGuiManager->FindWindow(kCareerWindow))
            g_pGuiManager->SwitchWindow(career, this, gui::kModalDone, true);
    }
    OnShow();
    return true;
}
