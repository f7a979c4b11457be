#pragma once

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

// Half the world size of one screen pixel at the point, for a viewport of the given width in pixels.
// Defined only for points in front of the camera: elsewhere, and for an empty viewport, the result is 0.
float ProjectedScaleAtPoint(const platform::Vector3& point, const platform::Matrix& view,
                            const platform::Matrix& projection, float viewportWidth);
