#pragma once
// The saver's window: full screen over every monitor, drawing the figure
// until the user comes back, or the preview inside the Control Panel.

#include <windows.h>

#include <cstdint>

#include "saver/settings.h"

// Exit codes of the saver process.
constexpr int SAVER_EXIT_OK = 0;
constexpr int SAVER_EXIT_FAILED = 1;
constexpr int SAVER_EXIT_BAD_ARGUMENTS = 2;

// Runs the full-screen saver until a key, a button, the wheel, a deliberate
// mouse move or the loss of activation ends it. Returns the exit code; a
// failure has been shown to the user once the window was gone.
int run_full_screen(HINSTANCE instance, const SaverSettings& settings);

// Runs the preview inside the window parent_handle until Windows destroys
// it or the parent is gone. Returns the exit code: 2 for a handle that is no
// window, 1 quietly when the preview could not be made.
int run_preview(HINSTANCE instance, std::uint64_t parent_handle, const SaverSettings& settings);
