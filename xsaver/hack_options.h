#pragma once
// polytree-xsaver's command line: XScreenSaver's conventions for a hack
// (every option with one dash or two; -root, -window-id, -delay, -fps) and
// the Windows saver's settings.

#include <string>
#include <vector>

#include "core/completions.h"
#include "core/saver_settings.h"
#include "platform/glx_window.h"

// The pause between frames, in microseconds: the hacks' 30000 by default,
// ten seconds at most (a longer pause would leave the screen still).
constexpr SettingRange DELAY_RANGE = {0, 10000000, 30000};

struct HackOptions {
    GlxTarget target;
    long delay;  // microseconds after each frame
    bool show_fps;
    SaverSettings settings;
    bool frozen;           // drawn still at frozen_degrees of twist
    double frozen_degrees;
    std::string display;  // -display, empty for $DISPLAY
    std::string shell;    // -completion's
};

enum class HackCommand { run, help, version, completion, bad };

// Reads the arguments after the program's name. saver_window is
// $XSCREENSAVER_WINDOW (null when unset): the daemon's window, drawn into
// unless -window-id names another. Settings out of their range are brought
// to the nearest bound, as the Windows saver's dialog does. For bad, message
// says what is wrong.
HackCommand read_hack_options(const std::vector<std::string>& arguments, const char* saver_window,
                              HackOptions& options, std::string& message);

// The help text, its exit codes from their table (xsaver/exit_codes.h).
std::string hack_usage();

// Its options as a shell completes them.
std::vector<CompletedFlag> hack_flags();
