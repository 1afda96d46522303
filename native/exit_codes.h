#pragma once
// polytree's exit codes besides the signals' (platform/stop_signals.h):
// what each means, as --help and the manual say.

#include "core/exit_codes.h"

constexpr int EXIT_OK = 0;
constexpr int EXIT_WINDOW_FAILED = 1;
constexpr int EXIT_BAD_ARGUMENTS = 2;

constexpr ExitCode EXIT_CODES[] = {
    {EXIT_OK, "Esc or the close box ended it, or --help or --version answered"},
    {EXIT_WINDOW_FAILED, "No window was opened: no display, no OpenGL, or full screen refused"},
    {EXIT_BAD_ARGUMENTS, "An unknown flag, a bad flag value or a malformed view: nothing opened"},
};
