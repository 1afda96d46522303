#include "native/viewer_args.h"

#include "core/numbers.h"
#include "native/exit_codes.h"
#include "platform/stop_signals.h"

namespace {

// Past any display made: a larger side is more likely a typing error.
constexpr unsigned long long LARGEST_SIDE = 16384;

enum FlagId { WINDOWED, FULLSCREEN, SIZE, NO_VSYNC, COMPLETION, HELP, VERSION };

const FlagRow FLAGS[] = {
    {WINDOWED, "--windowed", nullptr, nullptr, "open a window, without the start question (its No)", FlagValue::none,
     nullptr},
    {FULLSCREEN, "--fullscreen", nullptr, nullptr, "go full screen, without the start question (its Yes)",
     FlagValue::none, nullptr},
    {SIZE, "--size", nullptr, "WxH",
     "a window of that size, such as 1280x720, in place of the\n"
     "display mode's; full screen keeps the mode, + and - go on\n"
     "to the mode larger or smaller than the window",
     FlagValue::text, nullptr},
    {NO_VSYNC, "--no-vsync", nullptr, nullptr,
     "draw frames as fast as they come, not at the display's\n"
     "refresh rate (for timing the viewer)",
     FlagValue::none, nullptr},
    {COMPLETION, "--completion", nullptr, "SHELL", "print the completion script for bash, zsh or fish",
     FlagValue::choice, COMPLETION_SHELLS},
    {HELP, "--help", "-h", nullptr, "show this and exit", FlagValue::none, nullptr},
    {VERSION, "--version", nullptr, nullptr, "show the version and exit", FlagValue::none, nullptr},
};

constexpr std::size_t FLAG_COLUMN = 20;

// WxH, both sides from 1 to LARGEST_SIDE.
bool read_size(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    unsigned long long w = 0;
    unsigned long long h = 0;
    if (x == std::string::npos || !read_whole(text.substr(0, x), 10, w) || !read_whole(text.substr(x + 1), 10, h) ||
        w < 1 || h < 1 || w > LARGEST_SIDE || h > LARGEST_SIDE) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

const char SUMMARY[] =
    "Usage: polytree [FLAG]... [WORD]...\n"
    "Shows the polygon tree, a line-drawing fractal, turning in a window or full\n"
    "screen; the keys fly around it (F1 lists them, Ctrl+C copies the view, Esc\n"
    "quits). The view last on screen is printed when it ends.\n"
    "\n"
    "Words, in either case, a later one winning (others are passed over, with a\n"
    "warning):\n"
    "  B<n>              branches at every fork (default 3)\n"
    "  L<n>              levels (default 7), fewer where a frame would draw more\n"
    "                    than 1048576 line segments\n"
    "  G<n>              display mode 1 to 5: 128x128, 320x240, 640x480, 800x600\n"
    "                    or 1024x768 (default 3)\n"
    "or a view, as polytree prints it and copies it, which opens that frame.\n"
    "\n"
    "Flags:\n";

const char EXAMPLES[] =
    "Examples:\n"
    "  polytree B5 L4                       five branches, four levels\n"
    "  polytree --windowed --size 1280x720  a 1280x720 window, no question\n"
    "  polytree B5 L4 G3 v1 pitch:20 yaw:35 camera:0,0,-3.5 twist:0.5 paused\n"
    "                                       the view copied with Ctrl+C\n";

}  // namespace

ArgsCommand read_viewer_args(const std::vector<std::string>& arguments, ViewerArgs& args, std::string& message) {
    args = ViewerArgs{};
    bool help = false;
    bool version = false;
    bool flags_ended = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--" && !flags_ended) {
            flags_ended = true;
            continue;
        }
        if (flags_ended || word.empty() || word[0] != '-') {
            args.words += (args.words.empty() ? "" : " ") + word;
            continue;
        }
        // --size=WxH as well as --size WxH.
        const std::size_t equals = word.find('=');
        const FlagRow* flag = flag_named(FLAGS, word.substr(0, equals));
        if (flag == nullptr) {
            message = "unknown flag " + quoted(word) + " (see --help)";
            return ArgsCommand::bad;
        }
        std::string value;
        if (flag->value != nullptr) {
            if (equals != std::string::npos) {
                value = word.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                message = std::string(flag->name) + " needs a value, " + flag->value + " (see --help)";
                return ArgsCommand::bad;
            }
        } else if (equals != std::string::npos) {
            message = std::string(flag->name) + " takes no value: " + quoted(word) + " (see --help)";
            return ArgsCommand::bad;
        }
        switch (static_cast<FlagId>(flag->id)) {
            case WINDOWED:
                args.start = StartChoice::windowed;
                break;
            case FULLSCREEN:
                args.start = StartChoice::fullscreen;
                break;
            case SIZE:
                if (!read_size(value, args.width, args.height)) {
                    message = "--size takes WIDTHxHEIGHT, each from 1 to " + std::to_string(LARGEST_SIDE) +
                              ", such as 1280x720, not " + quoted(value);
                    return ArgsCommand::bad;
                }
                break;
            case NO_VSYNC:
                args.vsync = false;
                break;
            case HELP:
                help = true;
                break;
            case VERSION:
                version = true;
                break;
            case COMPLETION:
                if (completion_script(value, "polytree", {}).empty()) {
                    message = "--completion takes bash, zsh or fish, not " + quoted(value);
                    return ArgsCommand::bad;
                }
                args.shell = value;
                break;
        }
    }
    if (help) return ArgsCommand::help;
    if (version) return ArgsCommand::version;
    return args.shell.empty() ? ArgsCommand::run : ArgsCommand::completion;
}

std::string viewer_usage() {
    std::string text = SUMMARY;
    for (const FlagRow& flag : FLAGS) text += flag_help_line(flag, FLAG_COLUMN);
    return text + "\n" + EXAMPLES + "\n" + exit_status_help(EXIT_CODES, STOP_SIGNAL_EXITS);
}

std::vector<CompletedFlag> viewer_flags() { return completed_flags(FLAGS); }
