#include "xsaver/hack_options.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/numbers.h"
#include "platform/stop_signals.h"
#include "xsaver/exit_codes.h"
#include "xsaver/ranges.h"

namespace {

bool read_window(const std::string& text, unsigned long& window) {
    unsigned long long value = 0;
    // X's ids have 29 bits; decimal or 0x hexadecimal.
    if (!read_whole(text, 0, value) || value == 0 || value > 0x1FFFFFFF) return false;
    window = static_cast<unsigned long>(value);
    return true;
}

const char USAGE[] =
    "Usage: polytree-xsaver [OPTION]...\n"
    "The PolyTree figure as an XScreenSaver hack. Options take one dash or two.\n"
    "  -root              draw on the root window (or XScreenSaver's, as named by\n"
    "                     XSCREENSAVER_WINDOW)\n"
    "  -window-id ID      draw into that window (decimal or 0x hexadecimal)\n"
    "  -window            draw into a window of its own (the default without the\n"
    "                     above; Esc, Q or its close box end it)\n"
    "  -display NAME      the X display (default: $DISPLAY)\n"
    "  -delay US          microseconds between frames, "
    "@DELAY_LOWEST@ to @DELAY_HIGHEST@ (default @DELAY_DEFAULT@)\n"
    "  -fps               show the frame rate\n"
    "  -branches N        branches at every fork, "
    "@BRANCHES_LOWEST@ to @BRANCHES_HIGHEST@ (default @BRANCHES_DEFAULT@)\n"
    "  -levels N          levels, "
    "@LEVELS_LOWEST@ to @LEVELS_HIGHEST@ (default @LEVELS_DEFAULT@), fewer\n"
    "                     where the work is too much\n"
    "  -speed DEGREES     turn in degrees per second, "
    "@SPEED_LOWEST@ to @SPEED_HIGHEST@ (default @SPEED_DEFAULT@),\n"
    "                     whatever the frame rate\n"
    "  -twist DEGREES     hold the figure still at that twist\n"
    "  -help              show this and exit\n"
    "  -version           show the version and exit\n"
    "\n"
    "Examples:\n"
    "  polytree-xsaver                  in a window of its own, to try it\n"
    "  polytree-xsaver -branches 5 -levels 4 -speed 30\n"
    "  polytree-xsaver -root -fps       on the root window, with the frame rate\n"
    "XScreenSaver runs it as named in ~/.xscreensaver (see polytree-xsaver(6)).\n"
    "\n";

}  // namespace

std::string hack_usage() {
    std::string filled;
    std::string error;
    // The text is the program's own, and a unit test fills it: this never
    // fails.
    return (fill_ranges(USAGE, filled, error) ? filled : USAGE) + exit_status_help(EXIT_CODES, STOP_SIGNAL_EXITS);
}

HackCommand read_hack_options(const std::vector<std::string>& arguments, const char* saver_window,
                              HackOptions& options, std::string& message) {
    options = HackOptions{
        {GlxTarget::Kind::own, 0}, DELAY_RANGE.standard, false, DEFAULT_SAVER_SETTINGS, false, 0.0, ""};
    bool root = false;
    bool own = false;
    bool window_given = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        // XScreenSaver's own settings files pass --root and --delay; people type -root.
        const std::size_t dashes = word.compare(0, 2, "--") == 0 ? 2 : word.compare(0, 1, "-") == 0 ? 1 : 0;
        const std::string name = dashes > 0 ? word.substr(dashes) : "";
        const auto value = [&](std::string& text) {
            if (i + 1 >= arguments.size()) {
                message = word + " needs a value";
                return false;
            }
            text = arguments[++i];
            return true;
        };
        const auto setting = [&](const SettingRange& range, int& into) {
            std::string text;
            unsigned long long number = 0;
            if (!value(text)) return false;
            const bool negative = text.size() > 1 && text[0] == '-';
            if (!read_whole(negative ? text.substr(1) : text, 10, number) || number > LLONG_MAX) {
                message = word + " takes a whole number, not '" + text + "'";
                return false;
            }
            const auto signed_number = static_cast<long long>(number);
            into = clamp_setting(range, negative ? -signed_number : signed_number);
            return true;
        };
        std::string text;
        if (name == "help" || name == "h") return HackCommand::help;
        if (name == "version") return HackCommand::version;
        if (name == "root") {
            root = true;
        } else if (name == "window") {
            own = true;
        } else if (name == "fps") {
            options.show_fps = true;
        } else if (name == "window-id") {
            if (!value(text)) return HackCommand::bad;
            if (!read_window(text, options.target.window)) {
                message = "-window-id takes a window id, not '" + text + "'";
                return HackCommand::bad;
            }
            window_given = true;
        } else if (name == "display") {
            if (!value(options.display)) return HackCommand::bad;
        } else if (name == "delay") {
            unsigned long long delay = 0;
            if (!value(text)) return HackCommand::bad;
            if (!read_whole(text, 10, delay) || delay > static_cast<unsigned long long>(DELAY_RANGE.highest) ||
                static_cast<int>(delay) < DELAY_RANGE.lowest) {
                message = "-delay takes microseconds from " + std::to_string(DELAY_RANGE.lowest) + " to " +
                          std::to_string(DELAY_RANGE.highest) + ", not '" + text + "'";
                return HackCommand::bad;
            }
            options.delay = static_cast<long>(delay);
        } else if (name == "branches") {
            if (!setting(BRANCHES_RANGE, options.settings.branches)) return HackCommand::bad;
        } else if (name == "levels") {
            if (!setting(LEVELS_RANGE, options.settings.levels)) return HackCommand::bad;
        } else if (name == "speed") {
            if (!setting(SPEED_RANGE, options.settings.degrees_per_second)) return HackCommand::bad;
        } else if (name == "twist") {
            if (!value(text)) return HackCommand::bad;
            char* end = nullptr;
            options.frozen_degrees = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(options.frozen_degrees)) {
                message = "-twist takes degrees, not '" + text + "'";
                return HackCommand::bad;
            }
            options.frozen = true;
        } else {
            message = "unknown option '" + word + "'";
            return HackCommand::bad;
        }
    }
    if (window_given) {
        options.target.kind = GlxTarget::Kind::given;
    } else if (saver_window != nullptr && *saver_window != '\0' && !own) {
        if (!read_window(saver_window, options.target.window)) {
            message = std::string("XSCREENSAVER_WINDOW holds no window id: '") + saver_window + "'";
            return HackCommand::bad;
        }
        options.target.kind = GlxTarget::Kind::given;
    } else if (root) {
        options.target.kind = GlxTarget::Kind::root;
    }
    return HackCommand::run;
}
