#pragma once
// The saver's settings dialog: the stored settings shown, OK storing them.

#include <windows.h>

// Shows the dialog owned by owner (may be null) until OK or Cancel. Returns
// the exit code: 0 after either, 1 when the dialog could not be shown or the
// settings not stored.
int run_settings_dialog(HINSTANCE instance, HWND owner);
