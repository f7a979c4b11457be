#pragma once

// OpenGL for the back end's sources only; never included by a header outside platform/gfx.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
