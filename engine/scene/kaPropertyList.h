#pragma once

#include "engine/core/kaCountedPtr.h"

#include <vector>

class kaPropertyRecord;

// The editor's rows in display order. Copies share the records, so an owner and the editor can hold
// the same rows until both let go.
using kaPropertyList = std::vector<kaCountedPtr<kaPropertyRecord>>;
