#pragma once

// The one door to OpenGL. Only drawing and texture or font upload include this
// header; storage, geometry, the world step and every loader stay free of it so
// that they run headless, without a window or GL context.
#include <GL/gl.h>
#include <GL/glu.h>
