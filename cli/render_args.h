#pragma once
// The command line of polytree-render: option words as the viewer takes
// them, and flags. Everything that can be wrong with the arguments is found
// here, before any GL work starts.

#include <array>
#include <optional>
#include <string>

#include "cli/frame_names.h"
#include "cli/outputs.h"
#include "cli/plot_paths.h"
#include "core/view.h"

struct RenderRequest {
    // The viewer's option words, joined by blanks; beside a view, they
    // override its branches, levels and mode.
    std::string option_text;
    std::optional<View> view;  // --view, or the words when they hold one
    std::string view_text;     // that view as given, for its warnings
    std::string view_of;       // --view-of: the PNG to take the view from
    int width = 0;             // 0: the display mode's size, or --view-of's picture's
    int height = 0;
    int frame = 0;
    bool frame_given = false;  // --frame sets the twist, a view's included
    std::optional<double> pitch;
    std::optional<double> yaw;
    std::optional<std::array<double, 3>> camera;
    NamePattern output;   // literal() for one file, name_of(frame) for frames; "-" for standard output
    OutputFormat format;  // what --format or the output's extension chose
    // Standard output takes one PNG after another (--frames with a .png).
    bool frame_stream = false;
    bool no_clobber = false;  // never replace a file
    bool quiet = false;       // no progress, no warnings
    int frames = 360;
    int delay_ms = 40;
    int fps = VIDEO_FPS;
    std::optional<int> crf;  // unset: the codec's default
    bool lossless = false;
    bool full_colour = false;
    bool resume = false;
    bool transparent = false;  // --background none (the default for .svg and .pdf)
    std::optional<Paper> paper;  // .svg and .pdf: the page; unset, the picture's pixels
    std::string paper_name;      // --paper as given
    double margin_mm = 10.0;
    std::optional<double> stroke_mm;  // unset: a pixel (1/96 inch), 0.3 mm on paper
    std::optional<NamePattern> check;  // --check: the frames to look over
    std::optional<double> bench_seconds;

    // A file a frame, named by the output's number field.
    bool numbered() const { return output.fields == 1; }
    // Written to standard output.
    bool piped() const { return output.fields == 0 && output.text == "-"; }
    // One frame drawn: a still, not frames nor an animation.
    bool still() const { return !format.animation && !numbered() && !frame_stream; }
};

struct ParsedArgs {
    RenderRequest request;
    std::string error;    // empty when the arguments are good
    std::string message;  // the text of --help or --version: print it, draw nothing
};

// argv as main receives it, program name first; `version` is what
// --version tells.
ParsedArgs parse_render_args(int argc, const char* const* argv, const std::string& version);

