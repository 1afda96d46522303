#include "cli/outputs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "cli/render_args.h"

namespace {

// Lines are kept in hundredths of a pixel in 32 bits.
constexpr int MAX_VECTOR_SIDE = 1000000;
// The help's lines, as wide as those written by hand.
constexpr std::size_t HELP_WIDTH = 51;

}  // namespace

std::string wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t line = 0;  // where out's last line starts
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        const std::size_t length = end - start;
        if (out.size() > line) {
            const bool fits = out.size() - line + 1 + length <= width;
            out += fits ? ' ' : '\n';
            if (!fits) line = out.size();
        }
        out.append(text, start, length);
        if (end < text.size() && text[end] == '\n') {
            out += '\n';
            line = out.size();
        }
        start = end + 1;
    }
    return out;
}

namespace {

// A flag's help in lines as wide as those written by hand.
std::string wrapped(const std::string& text) { return ::wrapped(text, HELP_WIDTH); }

}  // namespace

const std::array<OutputFormat, 7> OUTPUT_FORMATS = {{
    // format, extension, animation, lines, alpha, codec, crf: highest and default, lossless, resumable, streams
    {FileFormat::png,  ".png",  false, false, Alpha::full,          nullptr,       -1, -1,               false, true,  true},
    {FileFormat::gif,  ".gif",  true,  false, Alpha::full,          nullptr,       -1, -1,               false, false, true},
    {FileFormat::mp4,  ".mp4",  true,  false, Alpha::none,          "H.264",       51, H264_DEFAULT_CRF, false, false, false},
    {FileFormat::webm, ".webm", true,  false, Alpha::four_two_zero, "VP9",         63, VP9_DEFAULT_CRF,  true,  false, true},
    {FileFormat::mov,  ".mov",  true,  false, Alpha::full,          "ProRes 4444", -1, -1,               false, false, false},
    {FileFormat::svg,  ".svg",  false, true,  Alpha::by_default,    nullptr,       -1, -1,               false, false, true},
    {FileFormat::pdf,  ".pdf",  false, true,  Alpha::by_default,    nullptr,       -1, -1,               false, false, true},
}};

OutputFormat format_of_name(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const OutputFormat& row : OUTPUT_FORMATS) {
        const std::string extension = row.extension;
        if (lower.size() >= extension.size() &&
            lower.compare(lower.size() - extension.size(), extension.size(), extension) == 0) {
            return row;
        }
    }
    return OutputFormat{};
}

OutputFormat format_named(const std::string& name) {
    return name.empty() || name[0] == '.' ? format_of_name(name) : format_of_name("." + name);
}

std::string listed(PickFormats pick, const char* last_joint, const char* codec) {
    std::vector<std::string> names;
    for (const OutputFormat& row : OUTPUT_FORMATS) {
        if (!pick(row)) continue;
        names.emplace_back(row.extension);
        if (codec != nullptr && row.video()) names.back() += std::string(" (") + row.codec + codec + ")";
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? last_joint : ", ";
        text += names[i];
    }
    return text;
}

std::string output_help() {
    return wrapped("the extension chooses: " + listed(still_pictures, " or ") +
                   " one still, or with a number field (%d, %05d...) one PNG per frame; " +
                   listed(animations, " or ", "") + " an animation; " + listed(line_drawings, " or ") +
                   " the lines, numbered too.\n%% is a percent sign; - is standard output (with --format)");
}

std::string format_help() {
    return wrapped("the output's format, as its extension names it (default: the extension): " +
                   listed([](const OutputFormat&) { return true; }, " or ") + ". -o - streams " +
                   listed(streamed, " or ") + "; with --frames, .png frames one after another");
}

std::string quality_help() {
    std::string scales;
    for (const OutputFormat& f : OUTPUT_FORMATS) {
        if (!f.has_quality()) continue;
        scales += std::string(scales.empty() ? "" : ", ") + f.codec + " 0-" + std::to_string(f.max_crf) + " (default " +
                  std::to_string(f.default_crf) + ")";
    }
    return wrapped("video quality, lower is better and larger: " + scales);
}

std::string quality_ranges() {
    std::string ranges;
    for (const OutputFormat& f : OUTPUT_FORMATS) {
        if (!f.has_quality()) continue;
        ranges += std::string(ranges.empty() ? "" : ", ") + "0 to " + std::to_string(f.max_crf) + " for " + f.extension;
    }
    return ranges;
}

std::string every_extension() {
    return listed([](const OutputFormat&) { return true; }, " or ");
}

std::string output_conflict(const RenderRequest& r, const std::function<bool(const char*)>& given) {
    const OutputFormat& f = r.format;
    if (r.numbered() && f.animation) {
        return "'" + r.output.text + "': a number field names frames (" + listed(stills, " or ") +
               "); a .gif or video is one file";
    }
    if (r.piped() && !f.streams) {
        return std::string("-o -: ") + f.extension + " cannot be streamed: its index, written once the video is " +
               "complete, goes before the frames; write a file, or stream " +
               listed([](const OutputFormat& o) { return o.streams && o.animation; }, " or ");
    }
    if (r.piped() && given("--frames") && !f.animation && !still_pictures(f)) {
        return std::string("--frames with -o -: ") + f.extension + " is one picture a file; " +
               listed(still_pictures, " or ") + " frames can follow one another (as ffmpeg -f image2pipe reads them)";
    }
    if (r.numbered() && !given("--frames")) {
        return "a number field in the name writes a sequence of frames: give --frames N";
    }
    if (r.check) {
        if (!given("--frames")) return "--check needs --frames K: the number of frames the range should hold";
        return "";
    }
    if (given("--frames") && !f.animation && !r.numbered() && !r.piped()) {
        return "--frames applies to " + listed(animations, ", ") + " and numbered " + listed(stills, " and ") +
               " frames only";
    }
    for (const char* flag : {"--paper", "--margin", "--stroke-width"}) {
        if (given(flag) && !f.lines) {
            return std::string(flag) + " applies to " + listed(line_drawings, " and ") + " output only";
        }
    }
    if (given("--margin") && !r.paper) return "--margin applies with --paper only: without it the page is the picture";
    if (f.lines && (r.width > MAX_VECTOR_SIDE || r.height > MAX_VECTOR_SIDE)) {
        return "--size " + std::to_string(r.width) + "x" + std::to_string(r.height) + ": " +
               listed(line_drawings, " and ") + " take up to " + std::to_string(MAX_VECTOR_SIDE) + " pixels a side";
    }
    if (r.paper && 2.0 * r.margin_mm >= std::min(r.paper->width_mm, r.paper->height_mm)) {
        char margin[32];
        std::snprintf(margin, sizeof margin, "%g", r.margin_mm);
        return "--paper " + r.paper_name + " with a margin of " + margin + " mm: no room left inside the margin";
    }
    if (given("--delay") && (!f.animation || f.video())) {
        return "--delay applies to " +
               listed([](const OutputFormat& o) { return o.animation && !o.video(); }, " and ") +
               " output only (videos take --fps)";
    }
    for (const char* flag : {"--fps", "--crf", "--lossless", "--full-colour"}) {
        if (given(flag) && !f.video()) {
            return std::string(flag) + " applies to " + listed(videos, " and ") + " output only";
        }
        if (given(flag) && !f.has_quality() && std::string(flag) != "--fps") {
            return std::string(flag) + " applies to " +
                   listed([](const OutputFormat& o) { return o.has_quality(); }, " and ") + " only: " + f.extension +
                   " is " + f.codec + ", every pixel's colour at a quality of its own";
        }
    }
    if (r.transparent && f.video() && f.alpha == Alpha::none) {
        return std::string("--background none: ") + f.codec + " has no transparency: write " +
               listed([](const OutputFormat& o) { return o.video() && o.alpha != Alpha::none; }, " or ", " with alpha");
    }
    if (r.transparent && f.alpha == Alpha::four_two_zero && (r.full_colour || r.lossless)) {
        return std::string(r.lossless ? "--lossless" : "--full-colour") + " with --background none: " + f.codec +
               "'s alpha is 4:2:0 only (write " +
               listed([](const OutputFormat& o) { return o.video() && o.alpha == Alpha::full; }, " or ") +
               " for full colour with alpha)";
    }
    if (r.lossless && !f.lossless) {
        return std::string("--lossless writes .webm only (VP9 in RGB): ") + f.codec +
               " has no lossless form that browsers play";
    }
    if (r.lossless && r.crf) return "--crf and --lossless exclude each other";
    if (r.crf && *r.crf > f.max_crf) {
        return "--crf " + std::to_string(*r.crf) + ": expected a quality from 0 to " + std::to_string(f.max_crf) +
               " for " + f.extension + " (" + f.codec + ")";
    }
    if (r.resume && !(f.resumable && r.numbered())) {
        return "--resume applies to numbered " + listed([](const OutputFormat& o) { return o.resumable; }, " and ") +
               " frames only";
    }
    return "";
}
