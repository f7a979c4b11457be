#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CarInfo;
class Tarvolin;
class guiButton;
class guiImage;
class guiTextBox;

// Vehicle select: steps through the vehicle catalogue read at start-up, shows each vehicle's name,
// picture and lock, and confirms one. In the career's next level, and for a course the hub's retry chose,
// confirming starts the course at once.
class CSmenu : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kCarSelect;
    static constexpr const char* kNameBox = "carname";
    static constexpr const char* kPreviewName = "Car Preview";
    static constexpr const char* kContinueName = "Continue";
    static constexpr const char* kLockedName = "Locked";
    static constexpr const char* kPrevName = "Prev";
    static constexpr const char* kNextName = "Next";
    static constexpr const char* kBackName = "Back";
    static constexpr const char* kVehicleFolder = "data/vehicles";
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr const char* kCourseSelect = windowNames::kCourseSelect;

    static const kaClassInfo& StaticClassInfo();

    CSmenu(const std::string& layoutFile, Tarvolin* app);
    ~CSmenu() override;
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Shows the current vehicle, chooses it, and plays the select sound.
    void OnShow() override;
    bool OnNext();
    bool OnPrev();
    bool OnBack();
    bool OnContinue();

    uint32_t GetVehicleCount() const { return uint32_t(m_Vehicles.size()); }
    uint32_t GetIndex() const { return m_Index; }
    const CarInfo* GetVehicle(uint32_t index) const;

private:
    void _LoadVehicles(const std::string& folder);
    void _ShowCurrent();

    Tarvolin* m_App;
    guiTextBox* m_Name = nullptr;
    guiImage* m_Preview = nullptr;
    guiButton* m_Continue = nullptr;
    guiImage* m_Locked = nullptr;
    std::string m_Folder;
    std::vector<std::unique_ptr<CarInfo>> m_Vehicles;
    uint32_t m_Index = 0;
};
