#pragma once

#include "game/app/Tarvolin.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"

#include <string>

namespace testsupport
{

// The course started as course select starts an exhibition run with the vehicle; null when no course world
// came of it.
inline tvWorld* StartExhibition(Tarvolin& app, const WorldInfo& course, const std::string& vehicle)
{
    app.SetGameMode(1);
    app.SetLevelPathCopy(course.GetFilePath());
    app.SetLevelPath(course.GetFilePath());
    app.SetVehicleName(vehicle);
    app.StartCourse();
    return dynamic_cast<tvWorld*>(app.GetCurrentWorld());
}

} // namespace testsupport
