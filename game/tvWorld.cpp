#include "game/tvWorld.h"

tvWorld::tvWorld() = default;

tvWorld::~tvWorld() = default;
