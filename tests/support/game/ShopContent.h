#pragma once

#include "tests/support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace testsupport
{

// Shop items and vehicle files a test adds to an install before the game starts, in the folders the
// generated content already has ("Data", as the generators spell it).
// Takes the generated files out of one of those folders, so that a test's own are the only ones.
inline void EmptyContentFolder(const TempDir& install, const std::string& folder)
{
    std::filesystem::remove_all(install.File(folder));
}

inline std::string WriteShopItem(const TempDir& install, const std::string& file, const std::string& name,
                                 const std::string& lockedEntity, int32_t price,
                                 const std::string& preview = "ui/vehicles/charger.bmp")
{
    return install.Write("Data/stuntshop/" + file, "<ShopItem><name>" + name + "</name><preview_image>" +
                                                       preview + "</preview_image><locked_entity>" +
                                                       lockedEntity + "</locked_entity><price>" +
                                                       std::to_string(price) + "</price></ShopItem>");
}

inline std::string WriteVehicle(const TempDir& install, const std::string& file, const std::string& id,
                                const std::string& picture = "ui/vehicles/charger.bmp")
{
    return install.Write("Data/vehicles/" + file, "<vehicles><initID>" + id + "</initID><imagefile>" +
                                                      picture + "</imagefile></vehicles>");
}

} // namespace testsupport
