#pragma once

#include <string>

namespace testsupport
{

// `depth` elements of that name nested in one another around `inner`: "<n><n>inner</n></n>".
std::string DeepXml(const std::string& name, int depth, const std::string& inner = "");

} // namespace testsupport
