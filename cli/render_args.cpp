#include "cli/render_args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int MAX_DELAY_MS = 655350;  // a GIF delay is 16 bits of 10 ms
constexpr int MAX_FRAMES = 100000;

// A whole decimal number and nothing else, within [low, high].
bool read_int(const std::string& text, long low, long high, long& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) != 0) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = v;
    return true;
}

bool read_double(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) != 0) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool ends_with_nocase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i]) return false;
    }
    return true;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// Reads the flags' values into the request; returns an error text or "".
std::string apply_flag(const std::string& flag, const std::string& value, RenderRequest& r) {
    long n = 0;
    if (flag == "--size") {
        const std::size_t x = value.find_first_of("xX");
        long w = 0, h = 0;
        if (x == std::string::npos || !read_int(value.substr(0, x), 1, INT_MAX, w) ||
            !read_int(value.substr(x + 1), 1, INT_MAX, h)) {
            return "--size " + quoted(value) + ": expected WIDTHxHEIGHT, both at least 1, such as 800x600";
        }
        r.width = static_cast<int>(w);
        r.height = static_cast<int>(h);
    } else if (flag == "--frame") {
        if (!read_int(value, LONG_MIN, LONG_MAX, n) || n < 0 || n > INT_MAX) {
            return "--frame " + quoted(value) + ": expected a frame number from 0 to " + std::to_string(INT_MAX);
        }
        r.frame = static_cast<int>(n);
    } else if (flag == "--frames") {
        if (!read_int(value, 1, MAX_FRAMES, n)) {
            return "--frames " + quoted(value) + ": expected a frame count from 1 to " + std::to_string(MAX_FRAMES);
        }
        r.frames = static_cast<int>(n);
    } else if (flag == "--delay") {
        if (!read_int(value, 0, MAX_DELAY_MS, n)) {
            return "--delay " + quoted(value) + ": expected milliseconds from 0 to " + std::to_string(MAX_DELAY_MS);
        }
        r.delay_ms = static_cast<int>(n);
    } else if (flag == "--pitch" || flag == "--yaw") {
        double degrees = 0.0;
        if (!read_double(value, degrees)) return flag + " " + quoted(value) + ": expected a number of degrees";
        (flag == "--pitch" ? r.pitch : r.yaw) = degrees;
    } else if (flag == "--camera") {
        std::array<double, 3> xyz{};
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            const std::size_t comma = i < 2 ? value.find(',', start) : value.size();
            if (comma == std::string::npos || !read_double(value.substr(start, comma - start), xyz[i])) {
                return "--camera " + quoted(value) + ": expected X,Y,Z such as 0,0,-3.5";
            }
            start = comma + 1;
        }
        r.camera = xyz;
    } else if (flag == "--bench") {
        double seconds = 0.0;
        if (!read_double(value, seconds) || seconds <= 0.0 || seconds > 86400.0) {
            return "--bench " + quoted(value) + ": expected a number of seconds above 0";
        }
        r.bench_seconds = seconds;
    } else if (flag == "-o" || flag == "--output") {
        if (value.empty()) return flag + ": expected a file name";
        r.output = value;
        if (ends_with_nocase(value, ".png")) {
            r.kind = OutputKind::png;
        } else if (ends_with_nocase(value, ".gif")) {
            r.kind = OutputKind::gif;
        } else {
            return flag + " " + quoted(value) + ": unknown output extension (use .png or .gif)";
        }
    }
    return "";
}

bool takes_value(const std::string& flag) {
    static const char* const with_value[] = {"-o",      "--output", "--size",   "--frame", "--frames",
                                             "--delay", "--pitch",  "--yaw",    "--camera", "--bench"};
    for (const char* known : with_value) {
        if (flag == known) return true;
    }
    return false;
}

}  // namespace

ParsedArgs parse_render_args(int argc, const char* const* argv) {
    ParsedArgs parsed;
    RenderRequest& r = parsed.request;
    std::vector<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word[0] != '-') {
            // As the viewer's command line: it decides what the word means.
            if (!r.option_text.empty()) r.option_text += ' ';
            r.option_text += word;
            continue;
        }
        if (word == "-h" || word == "--help") {
            r.help = true;
            continue;
        }
        if (word == "--version") {
            r.version = true;
            continue;
        }
        std::string flag = word;
        std::string value;
        bool has_value = false;
        const std::size_t equals = word.find('=');
        if (word.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            flag = word.substr(0, equals);
            value = word.substr(equals + 1);
            has_value = true;
        }
        if (!takes_value(flag)) {
            parsed.error = "unknown flag " + quoted(word) + " (see --help)";
            return parsed;
        }
        if (!has_value) {
            if (i + 1 >= argc) {
                parsed.error = flag + ": missing value";
                return parsed;
            }
            value = argv[++i];
        }
        parsed.error = apply_flag(flag == "--output" ? "-o" : flag, value, r);
        if (!parsed.error.empty()) return parsed;
        seen.push_back(flag == "--output" ? "-o" : flag);
    }
    if (r.help || r.version) return parsed;

    auto given = [&seen](const char* flag) {
        for (const std::string& s : seen) {
            if (s == flag) return true;
        }
        return false;
    };
    if (r.kind == OutputKind::none && !r.bench_seconds) {
        parsed.error = "nothing to do: give -o FILE.png, -o FILE.gif or --bench SECONDS (see --help)";
    } else if (r.kind != OutputKind::none && r.bench_seconds) {
        parsed.error = "--bench writes no file: give either -o or --bench";
    } else if (r.kind != OutputKind::gif && (given("--frames") || given("--delay"))) {
        parsed.error = std::string(given("--frames") ? "--frames" : "--delay") + " applies to .gif output only";
    }
    return parsed;
}

const char* render_usage() {
    return "Usage: polytree-render [WORDS] [FLAGS] -o FILE.png|FILE.gif\n"
           "       polytree-render [WORDS] [FLAGS] --bench SECONDS\n"
           "\n"
           "Draws the polygon tree exactly as the PolyTree viewer shows it, off-screen\n"
           "(OpenGL through EGL, no window or screen), as a PNG still or an animated GIF.\n"
           "\n"
           "Words, as on the viewer's command line (either case; a later word wins):\n"
           "  B<n>   branches (default 3)\n"
           "  L<n>   levels (default 7); bounded as in the viewer to 1,048,576 segments a frame\n"
           "  G<n>   display mode 1 to 5: 128x128, 320x240, 640x480, 800x600, 1024x768 (default 3)\n"
           "  Other words are ignored, as the viewer ignores them.\n"
           "\n"
           "Flags:\n"
           "  -o, --output FILE  .png writes one still, .gif an animation\n"
           "  --size WxH         picture size (default: the display mode's), up to the driver's limit\n"
           "  --frame N          the figure after N drawn frames: N degrees of twist (default 0)\n"
           "  --pitch DEG        camera pitch in degrees (default 0)\n"
           "  --yaw DEG          camera yaw in degrees (default 0)\n"
           "  --camera X,Y,Z     camera translation (default 0,0,-3.5)\n"
           "  --frames N         GIF: frames from --frame on (default 360, a full turn; the figure\n"
           "                     of B branches repeats every 360/B frames, so 120 loop for B3)\n"
           "  --delay MS         GIF: time between frames (default 40). GIF stores hundredths of\n"
           "                     a second, so it is rounded to the nearest 10 ms.\n"
           "  --bench SECONDS    draw frames for that long; print frames and segments per second\n"
           "  -h, --help         this text\n"
           "  --version          the program's version\n"
           "\n"
           "The figure has a few exact colours, so a GIF's palette is made of the colours\n"
           "present and loses nothing; a frame with more than 256 colours is an error.\n"
           "A file is written under a temporary name and renamed when complete.\n"
           "\n"
           "Exit codes: 0 done; 1 the render failed (no EGL display, no memory, a write\n"
           "error); 2 bad arguments (nothing written).\n";
}
