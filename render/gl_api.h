#pragma once
// OpenGL 1.1 and GLU for the renderer. Windows' GL headers need the Win32
// calling-convention macros first; elsewhere the headers stand alone.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <GL/gl.h>
#include <GL/glu.h>
