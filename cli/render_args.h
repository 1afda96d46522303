#pragma once
// The command line of polytree-render: option words as the viewer takes
// them, and flags. Everything that can be wrong with the arguments is found
// here, before any GL work starts.

#include <array>
#include <optional>
#include <string>

#include "cli/frame_names.h"
#include "cli/output_kind.h"

struct RenderRequest {
    std::string option_text;  // the viewer's option words, joined by blanks
    int width = 0;            // 0: the display mode's size
    int height = 0;
    int frame = 0;
    std::optional<double> pitch;
    std::optional<double> yaw;
    std::optional<std::array<double, 3>> camera;
    NamePattern output;  // literal() for one file, name_of(frame) for frames
    OutputKind kind = OutputKind::none;
    int frames = 360;
    int delay_ms = 40;
    int fps = 60;
    std::optional<int> crf;  // unset: the codec's default
    bool lossless = false;
    bool full_colour = false;
    bool resume = false;
    std::optional<double> bench_seconds;
};

struct ParsedArgs {
    RenderRequest request;
    std::string error;    // empty when the arguments are good
    std::string message;  // the text of --help or --version: print it, draw nothing
};

// argv as main receives it, program name first; `version` is what
// --version tells.
ParsedArgs parse_render_args(int argc, const char* const* argv, const std::string& version);
