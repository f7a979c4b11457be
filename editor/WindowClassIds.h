#pragma once

#include <cstdint>

// The record ids of the window classes the editor and the game add to the toolkit's own (gui::ClassId).
// They are listed here together so that no two classes share one.
enum WindowClassId : uint32_t
{
    // The game's screens.
    kMainWindowClassId = 1001,
    kCareerWindowClassId = 1002,
    kCSmenuClassId = 1003,
    kCourseSelectClassId = 1004,
    kStuntShopClassId = 1005,
    kCoursePreviewClassId = 1006,
    kDebugWindowClassId = 1009,
    kOptionsWindowClassId = 1030,
    // The editor's dialogs.
    kCreateTerrainWindowClassId = 2101,
    kAddTerrainLayerWindowClassId = 2102,
    kAddFlareLayerWindowClassId = 2103,
    kAddSkyboxWindowClassId = 2104,
    kAddSunWindowClassId = 2105,
    kLayerListWindowClassId = 2106,
};

// A switch takes no two cases of one value, so an id given twice does not compile; -Wswitch names an id
// missing here.
constexpr bool IsWindowClassId(WindowClassId id)
{
    switch (id)
    {
    case kMainWindowClassId:
    case kCareerWindowClassId:
    case kCSmenuClassId:
    case kCourseSelectClassId:
    case kStuntShopClassId:
    case kCoursePreviewClassId:
    case kDebugWindowClassId:
    case kOptionsWindowClassId:
    case kCreateTerrainWindowClassId:
    case kAddTerrainLayerWindowClassId:
    case kAddFlareLayerWindowClassId:
    case kAddSkyboxWindowClassId:
    case kAddSunWindowClassId:
    case kLayerListWindowClassId:
        return true;
    }
    return false;
}
