#pragma once
// polytree-xsaver's exit codes besides the signals' (platform/stop_signals.h):
// what each means, as -help and the manual say.

#include "core/exit_codes.h"

constexpr int EXIT_OK = 0;
constexpr int EXIT_CANNOT_DRAW = 1;
constexpr int EXIT_BAD_ARGUMENTS = 2;

constexpr ExitCode EXIT_CODES[] = {
    {EXIT_OK, "Its window went away, or its own window was closed; or -help or -version"},
    {EXIT_CANNOT_DRAW, "It cannot draw: no X display, no GLX, or no such window"},
    {EXIT_BAD_ARGUMENTS, "A malformed option: nothing drawn"},
};
