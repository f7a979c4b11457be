#include "game/screens/CourseSummary.h"

CourseSummary::CourseSummary(const std::string& layoutFile) : guiWindow(layoutFile) {}
