#include "engine/model/kaCollisionPrimitive.h"

kaCollisionPrimitive::~kaCollisionPrimitive() = default;
