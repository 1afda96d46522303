#pragma once

#include <windows.h>

// The procedure of the viewer's window class: turns messages into viewer
// state and leaves everything else to the system.
LRESULT CALLBACK view_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
