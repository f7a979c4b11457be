#include "editor/WindowClassIds.h"

#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddSunWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "editor/LayerListWindow.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiWindow.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/DebugWindow.h"
#include "game/screens/MainWindow.h"
#include "game/screens/OptionsWindow.h"
#include "game/screens/StuntShopWindow.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

struct WindowClassRow
{
    const kaClassInfo& (*record)();
    WindowClassId id;
};

const WindowClassRow kWindowClassRows[] = {
    {&MainWindow::StaticClassInfo, kMainWindowClassId},
    {&CareerWindow::StaticClassInfo, kCareerWindowClassId},
    {&CSmenu::StaticClassInfo, kCSmenuClassId},
    {&CourseSelectWindow::StaticClassInfo, kCourseSelectClassId},
    {&StuntShopWindow::StaticClassInfo, kStuntShopClassId},
    {&CoursePreview::StaticClassInfo, kCoursePreviewClassId},
    {&DebugWindow::StaticClassInfo, kDebugWindowClassId},
    {&OptionsWindow::StaticClassInfo, kOptionsWindowClassId},
    {&CreateTerrainWindow::StaticClassInfo, kCreateTerrainWindowClassId},
    {&AddTerrainLayerWindow::StaticClassInfo, kAddTerrainLayerWindowClassId},
    {&AddFlareLayerWindow::StaticClassInfo, kAddFlareLayerWindowClassId},
    {&AddSkyboxWindow::StaticClassInfo, kAddSkyboxWindowClassId},
    {&AddSunWindow::StaticClassInfo, kAddSunWindowClassId},
    {&LayerListWindow::StaticClassInfo, kLayerListWindowClassId},
};

} // namespace

// A window class's record is told apart by its id alone, so none may share one with another window class
// or with a class of the toolkit.
TEST(WindowClassIdsTest, EveryWindowClassHasItsOwnListedIdThatNoToolkitClassHas)
{
    std::set<uint32_t> seen;
    for (const WindowClassRow& row : kWindowClassRows)
    {
        const kaClassInfo& record = row.record();
        EXPECT_EQ(record.GetId(), static_cast<uint32_t>(row.id)) << record.GetName();
        EXPECT_TRUE(IsWindowClassId(row.id)) << record.GetName();
        EXPECT_TRUE(seen.insert(record.GetId()).second) << record.GetName();
        EXPECT_EQ(gui::GetClassRecord(record.GetId()), nullptr) << record.GetName();
        EXPECT_TRUE(gui::IsA(record, guiWindow::StaticClassInfo())) << record.GetName();
    }
}
