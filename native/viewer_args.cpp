#include "native/viewer_args.h"

#include "core/numbers.h"
#include "native/exit_codes.h"
#include "platform/stop_signals.h"

namespace {

// Past any display made: a larger side is more likely a typing error.
constexpr unsigned long long LARGEST_SIDE = 16384;

enum class FlagId { windowed, fullscreen, size, no_vsync, help, version };

struct Flag {
    FlagId id;
    const char* name;
    const char* alias;  // a short name, or null
    const char* value;  // its value's name, or null for none
    const char* help;   // lines after the first are indented as the first
};

const Flag FLAGS[] = {
    {FlagId::windowed, "--windowed", nullptr, nullptr, "open a window, without the start question (its No)"},
    {FlagId::fullscreen, "--fullscreen", nullptr, nullptr, "go full screen, without the start question (its Yes)"},
    {FlagId::size, "--size", nullptr, "WxH",
     "a window of that size, such as 1280x720, in place of the\n"
     "display mode's; full screen keeps the mode, + and - go on\n"
     "to the mode larger or smaller than the window"},
    {FlagId::no_vsync, "--no-vsync", nullptr, nullptr,
     "draw frames as fast as they come, not at the display's\n"
     "refresh rate (for timing the viewer)"},
    {FlagId::help, "--help", "-h", nullptr, "show this and exit"},
    {FlagId::version, "--version", nullptr, nullptr, "show the version and exit"},
};

constexpr std::size_t FLAG_COLUMN = 20;

const Flag* flag_named(const std::string& name) {
    for (const Flag& flag : FLAGS) {
        if (name == flag.name || (flag.alias != nullptr && name == flag.alias)) return &flag;
    }
    return nullptr;
}

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
        const Flag* flag = flag_named(word.substr(0, equals));
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
        switch (flag->id) {
            case FlagId::windowed:
                args.start = StartChoice::windowed;
                break;
            case FlagId::fullscreen:
                args.start = StartChoice::fullscreen;
                break;
            case FlagId::size:
                if (!read_size(value, args.width, args.height)) {
                    message = "--size takes WIDTHxHEIGHT, each from 1 to " + std::to_string(LARGEST_SIDE) +
                              ", such as 1280x720, not " + quoted(value);
                    return ArgsCommand::bad;
                }
                break;
            case FlagId::no_vsync:
                args.vsync = false;
                break;
            case FlagId::help:
                help = true;
                break;
            case FlagId::version:
                version = true;
                break;
        }
    }
    return help ? ArgsCommand::help : version ? ArgsCommand::version : ArgsCommand::run;
}

std::string viewer_usage() {
    std::string text = SUMMARY;
    for (const Flag& flag : FLAGS) {
        std::string first = std::string("  ") + (flag.alias ? std::string(flag.alias) + ", " : "") + flag.name +
                            (flag.value ? std::string(" ") + flag.value : "");
        first.resize(FLAG_COLUMN, ' ');
        text += first;
        for (const char* c = flag.help; *c != '\0'; ++c) {
            text += *c;
            if (*c == '\n') text += std::string(FLAG_COLUMN, ' ');
        }
        text += '\n';
    }
    return text + "\n" + EXAMPLES + "\n" + exit_status_help(EXIT_CODES, STOP_SIGNAL_EXITS);
}
