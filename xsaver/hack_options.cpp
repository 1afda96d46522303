#include "xsaver/hack_options.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/flag_table.h"
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

enum Option { ROOT, WINDOW_ID, WINDOW, DISPLAY, DELAY, FPS, BRANCHES, LEVELS, SPEED, TWIST, HELP, VERSION, COMPLETION };

// Their help names the ranges by placeholder (xsaver/ranges.h).
const FlagRow OPTIONS[] = {
    {ROOT, "-root", nullptr, nullptr,
     "draw on the root window (or XScreenSaver's, as named by\n"
     "XSCREENSAVER_WINDOW)",
     FlagValue::none, nullptr},
    {WINDOW_ID, "-window-id", nullptr, "ID", "draw into that window (decimal or 0x hexadecimal)", FlagValue::text,
     nullptr},
    {WINDOW, "-window", nullptr, nullptr,
     "draw into a window of its own (the default without the\n"
     "above; Esc, Q or its close box end it)",
     FlagValue::none, nullptr},
    {DISPLAY, "-display", nullptr, "NAME", "the X display (default: $DISPLAY)", FlagValue::text, nullptr},
    {DELAY, "-delay", nullptr, "US",
     "microseconds between frames, @DELAY_LOWEST@ to @DELAY_HIGHEST@ (default @DELAY_DEFAULT@)", FlagValue::text,
     nullptr},
    {FPS, "-fps", nullptr, nullptr, "show the frame rate", FlagValue::none, nullptr},
    {BRANCHES, "-branches", nullptr, "N",
     "branches at every fork, @BRANCHES_LOWEST@ to @BRANCHES_HIGHEST@ (default @BRANCHES_DEFAULT@)", FlagValue::text,
     nullptr},
    {LEVELS, "-levels", nullptr, "N",
     "levels, @LEVELS_LOWEST@ to @LEVELS_HIGHEST@ (default @LEVELS_DEFAULT@), fewer\n"
     "where the work is too much",
     FlagValue::text, nullptr},
    {SPEED, "-speed", nullptr, "DEGREES",
     "turn in degrees per second, @SPEED_LOWEST@ to @SPEED_HIGHEST@ (default @SPEED_DEFAULT@),\n"
     "whatever the frame rate",
     FlagValue::text, nullptr},
    {TWIST, "-twist", nullptr, "DEGREES", "hold the figure still at that twist", FlagValue::text, nullptr},
    {HELP, "-help", "-h", nullptr, "show this and exit", FlagValue::none, nullptr},
    {VERSION, "-version", nullptr, nullptr, "show the version and exit", FlagValue::none, nullptr},
    {COMPLETION, "-completion", nullptr, "SHELL", "print the completion script for bash, zsh or fish",
     FlagValue::choice, COMPLETION_SHELLS},
};

constexpr std::size_t OPTION_COLUMN = 21;

const char SUMMARY[] =
    "Usage: polytree-xsaver [OPTION]...\n"
    "The PolyTree figure as an XScreenSaver hack. Options take one dash or two.\n";

const char EXAMPLES[] =
    "\n"
    "Examples:\n"
    "  polytree-xsaver                  in a window of its own, to try it\n"
    "  polytree-xsaver -branches 5 -levels 4 -speed 30\n"
    "  polytree-xsaver -root -fps       on the root window, with the frame rate\n"
    "XScreenSaver runs it as named in ~/.xscreensaver (see polytree-xsaver(6)).\n"
    "\n";

// The text with its ranges filled in. The texts are the program's own, and
// a unit test fills them all: this never fails.
std::string filled(const std::string& text) {
    std::string out;
    std::string error;
    return fill_ranges(text, out, error) ? out : text;
}

}  // namespace

std::string hack_usage() {
    std::string text = SUMMARY;
    for (const FlagRow& option : OPTIONS) text += flag_help_line(option, OPTION_COLUMN);
    return filled(text + EXAMPLES) + exit_status_help(EXIT_CODES, STOP_SIGNAL_EXITS);
}

std::vector<CompletedFlag> hack_flags() {
    std::vector<CompletedFlag> flags = completed_flags(OPTIONS);
    for (CompletedFlag& flag : flags) flag.help = filled(flag.help);
    return flags;
}

HackCommand read_hack_options(const std::vector<std::string>& arguments, const char* saver_window,
                              HackOptions& options, std::string& message) {
    options = HackOptions{
        {GlxTarget::Kind::own, 0}, DELAY_RANGE.standard, false, DEFAULT_SAVER_SETTINGS, false, 0.0, "", ""};
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
        // One dash or two: the table's names have one.
        const FlagRow* option = dashes > 0 ? flag_named(OPTIONS, "-" + name) : nullptr;
        if (option == nullptr) {
            message = "unknown option '" + word + "'";
            return HackCommand::bad;
        }
        std::string text;
        switch (static_cast<Option>(option->id)) {
            case HELP:
                return HackCommand::help;
            case VERSION:
                return HackCommand::version;
            case COMPLETION:
                if (!value(options.shell)) return HackCommand::bad;
                if (completion_script(options.shell, "polytree-xsaver", {}).empty()) {
                    message = "-completion takes bash, zsh or fish, not '" + options.shell + "'";
                    return HackCommand::bad;
                }
                return HackCommand::completion;
            case ROOT:
                root = true;
                break;
            case WINDOW:
                own = true;
                break;
            case FPS:
                options.show_fps = true;
                break;
            case WINDOW_ID:
                if (!value(text)) return HackCommand::bad;
                if (!read_window(text, options.target.window)) {
                    message = "-window-id takes a window id, not '" + text + "'";
                    return HackCommand::bad;
                }
                window_given = true;
                break;
            case DISPLAY:
                if (!value(options.display)) return HackCommand::bad;
                break;
            case DELAY: {
                unsigned long long delay = 0;
                if (!value(text)) return HackCommand::bad;
                if (!read_whole(text, 10, delay) || delay > static_cast<unsigned long long>(DELAY_RANGE.highest) ||
                    static_cast<int>(delay) < DELAY_RANGE.lowest) {
                    message = "-delay takes microseconds from " + std::to_string(DELAY_RANGE.lowest) + " to " +
                              std::to_string(DELAY_RANGE.highest) + ", not '" + text + "'";
                    return HackCommand::bad;
                }
                options.delay = static_cast<long>(delay);
                break;
            }
            case BRANCHES:
                if (!setting(BRANCHES_RANGE, options.settings.branches)) return HackCommand::bad;
                break;
            case LEVELS:
                if (!setting(LEVELS_RANGE, options.settings.levels)) return HackCommand::bad;
                break;
            case SPEED:
                if (!setting(SPEED_RANGE, options.settings.degrees_per_second)) return HackCommand::bad;
                break;
            case TWIST: {
                if (!value(text)) return HackCommand::bad;
                char* end = nullptr;
                options.frozen_degrees = std::strtod(text.c_str(), &end);
                if (text.empty() || *end != '\0' || !std::isfinite(options.frozen_degrees)) {
                    message = "-twist takes degrees, not '" + text + "'";
                    return HackCommand::bad;
                }
                options.frozen = true;
                break;
            }
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
