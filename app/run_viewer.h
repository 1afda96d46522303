#pragma once

#include <windows.h>

// The program: start-up question, window, message loop with drawing in idle
// time. Returns the process exit code: 0 after a normal quit, 1 when the
// window could not be opened.
int run_viewer(HINSTANCE instance, const char* option_text);
