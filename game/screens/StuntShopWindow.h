#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <memory>
#include <string>

class ShopItem;
class Tarvolin;
class guiButton;
class guiImage;
class guiTextBox;
class tvPlayer;

// The stunt shop: a carousel of three shop items (previous, current, next) with their previews, prices
// and locks, the driver's reputation points, and "unlock" to buy the current item.
class StuntShopWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kStuntShop;
    static constexpr const char* kItemFolder = "data/stuntshop";
    static constexpr const char* kLockedImage = "ui/stuntshop/locked.tga";
    static constexpr const char* kUnlockedImage = "ui/stuntshop/unlocked.tga";
    static constexpr const char* kLeftName = "left";
    static constexpr const char* kRightName = "right";
    static constexpr const char* kFinishName = "finish";
    static constexpr const char* kUnlockName = "unlock";
    static constexpr const char* kItemName = "item name";
    static constexpr const char* kPointsName = "RPL";
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr int kSlotCount = 3;

    struct Slot
    {
        guiTextBox* price = nullptr;
        guiImage* preview = nullptr;
        guiImage* status = nullptr;
    };

    static const kaClassInfo& StaticClassInfo();

    // Reads the shop's items into the application's list.
    StuntShopWindow(const std::string& layoutFile, Tarvolin* app);
    ~StuntShopWindow() override;
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Fills the three slots around the current item and the driver's points.
    void OnShow() override;
    bool OnLeft();
    bool OnRight();
    // Buys the current item when the driver can: it is locked and its price within the points.
    bool OnUnlock();
    bool OnFinish();
    // Whether "unlock" may buy: an item, a driver, not owned yet, and no dearer than the points.
    bool CanUnlock() const;

    int32_t GetIndex() const { return m_Index; }
    const Slot& GetSlot(int index) const { return *m_Slots[index]; }

private:
    int32_t _ItemCount() const;
    ShopItem* _Item(int32_t index) const;
    bool _Owns(const ShopItem& item) const;
    void _FillSlot(Slot& slot, const ShopItem& item);

    Tarvolin* m_App;
    tvPlayer* m_Player = nullptr;
    std::unique_ptr<Slot> m_Slots[kSlotCount];
    int32_t m_Index = 0;
    guiButton* m_Unlock = nullptr;
    guiTextBox* m_ItemName = nullptr;
    guiTextBox* m_Points = nullptr;
};
