// The one way OpenGL and GLU come into the program. On Windows the GL headers
// need <windows.h> (WINGDIAPI, APIENTRY) before them; on Linux they stand alone.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
