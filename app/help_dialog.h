#pragma once

#include <windows.h>

#include "viewer/texts.h"

// Drives the help box: CLOSE or Enter ends it with 1, Esc or the close box with 2.
INT_PTR CALLBACK help_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
