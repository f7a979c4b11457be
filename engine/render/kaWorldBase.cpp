#include "engine/render/kaWorldBase.h"

kaWorldBase::~kaWorldBase() = default;
