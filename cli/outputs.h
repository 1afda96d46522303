#pragma once
// The files polytree-render writes, one row a format: what the output's
// extension chooses, and what each format can hold. The flags' checks, their
// help and the writers read these rows rather than naming formats, so that
// a format is added, or changed, here.

#include <array>
#include <functional>
#include <string>

#include "core/saved_files.h"

enum class FileFormat { none, png, gif, mp4, webm, mov, svg, pdf };

// How a format keeps what lies off the figure with --background none.
enum class Alpha {
    none,           // it cannot: H.264
    four_two_zero,  // at 4:2:0 only: VP9's alpha plane
    full,           // every pixel's, at any colour sampling
    by_default,     // paper: clear unless a background is asked for
};

struct OutputFormat {
    FileFormat format = FileFormat::none;
    const char* extension = "";  // lower case, its dot included
    // Every frame in one file; else a file holds one frame, and a number
    // field in the name writes one file per frame.
    bool animation = false;
    bool lines = false;  // drawn as lines without GL (plotters, print); else read back from GL
    Alpha alpha = Alpha::none;
    const char* codec = nullptr;  // a video's codec, as its users name it
    int max_crf = -1;             // the codec's quality scale, 0 to this; -1 for none
    int default_crf = -1;
    bool lossless = false;   // a lossless mode (--lossless)
    bool resumable = false;  // numbered frames that --resume and --check read back
    // Written front to back, never sought back into: it can go down a pipe
    // (-o -). A video's index written at its end but read first cannot.
    bool streams = false;

    bool chosen() const { return format != FileFormat::none; }
    bool video() const { return codec != nullptr; }
    bool has_quality() const { return max_crf >= 0; }
};

// Every format written, in the order the help and the messages list them.
extern const std::array<OutputFormat, 7> OUTPUT_FORMATS;

// The format a file's name asks for by its extension, in any case; a row
// that is not chosen() for any other name.
OutputFormat format_of_name(const std::string& name);
// The format --format names: its extension, with or without the dot, in
// any case; a row that is not chosen() for any other name.
OutputFormat format_named(const std::string& name);

// The extensions of the formats that `pick` picks, in the table's order,
// for a sentence: ".svg and .pdf" with last_joint " and ". With `codec`,
// a video's codec follows its extension in brackets, then that text:
// ".webm (VP9 with alpha)".
using PickFormats = bool (*)(const OutputFormat&);
std::string listed(PickFormats pick, const char* last_joint, const char* codec = nullptr);

// Every extension, for "give ...".
std::string every_extension();

// Text in lines of `width` at most, broken at blanks; its own line breaks
// kept.
std::string wrapped(const std::string& text, std::size_t width);

// The help of -o, --format and --crf.
std::string output_help();
std::string format_help();
std::string quality_help();
// Each codec's quality scale: "0 to 51 for .mp4, 0 to 63 for .webm".
std::string quality_ranges();

// What listed() picks.
inline bool stills(const OutputFormat& f) { return !f.animation; }
inline bool still_pictures(const OutputFormat& f) { return !f.animation && !f.lines; }
inline bool animations(const OutputFormat& f) { return f.animation; }
inline bool line_drawings(const OutputFormat& f) { return f.lines; }
inline bool videos(const OutputFormat& f) { return f.video(); }
inline bool streamed(const OutputFormat& f) { return f.streams; }

struct RenderRequest;

// Why the request's flags cannot be honoured with its output (a flag that
// does not apply to it, or flags that exclude each other there), or "".
// `given` tells whether the command line gave a flag.
std::string output_conflict(const RenderRequest& request, const std::function<bool(const char*)>& given);
