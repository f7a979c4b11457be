#include "engine/render/kaWorld.h"

kaWorld::~kaWorld() = default;
