#include "cli/render_args.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <climits>
#include <limits>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/flag_messages.h"
#include "cli/flag_values.h"
#include "core/completions.h"
#include "core/options.h"

namespace {

constexpr int MAX_DELAY_MS = 655350;  // a GIF delay is 16 bits of 10 ms
constexpr int MAX_FRAMES = 100000;
constexpr int MAX_FPS = 1000;

std::string in_quotes(const std::string& text) { return "'" + text + "'"; }

// A flag's value as a real number from low to high, or the flag refused.
double number(const std::string& text, double low, double high, const std::string& expected) {
    double value = 0;
    if (!read_number(text, value) || value < low || value > high) {
        throw CLI::ValidationError(in_quotes(text) + ": expected " + expected);
    }
    return value;
}

// A whole number from low (0 or more) to high, for a field of type int.
int whole(const std::string& text, int low, int high, const std::string& what) {
    unsigned long long value = 0;
    if (!read_number(text, value) || value < static_cast<unsigned>(low) || value > static_cast<unsigned>(high)) {
        throw CLI::ValidationError(in_quotes(text) + ": expected " + what + " from " + std::to_string(low) + " to " +
                                   std::to_string(high));
    }
    return static_cast<int>(value);
}

constexpr double ANY = std::numeric_limits<double>::max();

// Sets the output's format: --format's (`named`), else the extension's. ""
// or why neither gives one, or they disagree; standard output has no
// extension.
std::string resolve_format(RenderRequest& r, const OutputFormat& named) {
    const std::string& name = r.output.text;
    const OutputFormat by_name = format_of_name(r.output.before + r.output.after);
    if (r.piped() && !named.chosen()) {
        return "-o - writes to standard output: give its format with --format, such as --format png (" +
               listed(streamed, ", ") + ")";
    }
    if (named.chosen() && by_name.chosen() && by_name.format != named.format) {
        return in_quotes(name) + " is named " + by_name.extension + " but --format asks for " + named.extension +
               ": give one";
    }
    r.format = named.chosen() ? named : by_name;
    if (!r.format.chosen()) return in_quotes(name) + ": cannot write this format: give " + every_extension();
    return "";
}

// The end of the help: notes, examples and the exit statuses.
std::string help_footer() {
    std::string footer =
        "The figure has a few exact colours, so a GIF's palette is made of the colours\n"
        "present and loses nothing; a frame with more than 256 colours is an error.\n"
        "Videos are 4:2:0 BT.709 (browsers play them everywhere) unless --full-colour\n"
        "or --lossless; an .mp4 keeps its index at the front to play while loading.\n"
        "A .mov is ProRes 4444 (10-bit 4:4:4), the format video editors take.\n"
        "Each file is written under a temporary name and renamed when complete.\n"
        "Words that are not option words, and levels beyond the work bound, are\n"
        "warned about on standard error (not with --quiet).\n\n"
        "Examples:\n"
        "  polytree-render B5 L4 -o tree.png\n"
        "  polytree-render B3 --frames 120 -o turn.webm\n"
        "  polytree-render B3 L8 --paper A4 -o tree.pdf\n"
        "  polytree-render --view-of tree.png --size 3840x2160 -o tree-4k.png\n"
        "  polytree-render B3 --frames 120 --format webm -o - | ffplay -\n"
        "  polytree-render B3 --frames 120 --format png -o - | ffmpeg -i - turn.mkv\n\n"
        "Exit status:\n";
    for (const ExitStatus& status : EXIT_STATUSES) {
        const std::string code = std::to_string(status.code) + (status.plus_signal ? "+N" : "");
        std::string meaning = wrapped(status.meaning, 70);
        for (std::size_t at = 0; (at = meaning.find('\n', at)) != std::string::npos; at += 10) {
            meaning.insert(at + 1, 9, ' ');
        }
        footer += "  " + code + std::string(7 - code.size(), ' ') + meaning + "\n";
    }
    footer.pop_back();  // CLI11 ends the help with a line break of its own
    return footer;
}
}  // namespace

ParsedArgs parse_render_args(int argc, const char* const* argv, const std::string& version) {
    ParsedArgs parsed;
    RenderRequest& r = parsed.request;
    CLI::App app(
        "Draws the polygon tree exactly as the PolyTree viewer shows it, off-screen\n"
        "(OpenGL through EGL, no window or screen), as a PNG still, numbered PNG\n"
        "frames, an animated GIF, an MP4 (H.264), WebM (VP9) or MOV (ProRes 4444)\n"
        "video, or times its frames: give -o FILE.png, -o 'FILE-%04d.png',\n"
        "-o FILE.gif, -o FILE.mp4, -o FILE.webm, -o FILE.mov or --bench SECONDS.\n"
        "As lines for pen plotters and print (no GL needed): -o FILE.svg, -o\n"
        "FILE.pdf or numbered -o 'FILE-%04d.svg', a layer per colour, the\n"
        "segments joined into paths and ordered to cut the pen's travel.\n"
        "-o - --format FORMAT writes to standard output, for a pipe.\n",
        "polytree-render");
    app.footer(help_footer());
    app.get_formatter()->column_width(20);
    app.get_formatter()->label("Positionals", "Words");
    app.get_formatter()->label("OPTIONS", "FLAGS");
    app.option_defaults()->group("Flags");
    // A flag given twice takes its later value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // Flags it does not know are refused below, even beside --help.
    app.allow_extras();

    std::vector<std::string> words;
    app.add_option("WORDS", words,
                   "as on the viewer's command line (either case; a later\n"
                   "word wins):\n"
                   "B<n>  branches (default 3)\n"
                   "L<n>  levels (default 7); bounded as in the viewer to\n"
                   "      1,048,576 segments a frame\n"
                   "G<n>  display mode 1 to 5: 128x128, 320x240, 640x480,\n"
                   "      800x600, 1024x768 (default 3)\n"
                   "Other words draw nothing of their own (as in the\n"
                   "viewer): a warning names them.")
        ->option_text(" ");  // no "TEXT ..." after the name
    CLI::Option* output = app.add_option("-o,--output")
                              ->description(output_help())
                              ->option_text("FILE")
                              ->each([&r](const std::string& file) {
                                  if (file.empty()) throw CLI::ValidationError("expected a file name");
                                  r.output = read_name_pattern(file);
                                  if (!r.output.error.empty()) throw CLI::ValidationError(r.output.error);
                              });
    OutputFormat named_format;
    app.add_option("--format")
        ->description(format_help())
        ->option_text("FORMAT")
        ->each([&named_format](const std::string& name) {
            named_format = format_named(name);
            if (!named_format.chosen()) {
                throw CLI::ValidationError(in_quotes(name) + ": expected " +
                                           listed([](const OutputFormat&) { return true; }, " or "));
            }
        });
    app.add_option("--size",
                   "picture size (default: the display mode's), up to\n"
                   "the driver's limit")
        ->option_text("WxH")
        ->each([&r](const std::string& text) {
            std::array<unsigned long long, 2> size{};
            if (!read_numbers(text, "xX", size) || size[0] < 1 || size[1] < 1 || size[0] > INT_MAX ||
                size[1] > INT_MAX) {
                throw CLI::ValidationError(in_quotes(text) +
                                           ": expected WIDTHxHEIGHT, both at least 1, such as 800x600");
            }
            r.width = static_cast<int>(size[0]);
            r.height = static_cast<int>(size[1]);
        });
    app.add_option("--frame",
                   "the figure after N drawn frames: N degrees of twist\n"
                   "(default 0)")
        ->option_text("N")
        ->each([&r](const std::string& text) {
            r.frame = whole(text, 0, INT_MAX, "a frame number");
            r.frame_given = true;
        });
    CLI::Option* view = app.add_option("--view",
                                       "draw this view: a line of words that the native\n"
                                       "viewer copies (Ctrl+C) and prints, the web page\n"
                                       "shows, and every PNG written here keeps, such as\n"
                                       "'B5 L4 G3 v1 pitch:20 yaw:35 camera:0,0,-3\n"
                                       "twist:0.5 paused'. Words beside it override its\n"
                                       "branches, levels and mode, and the flags below\n"
                                       "their own fields. A paused view still turns in\n"
                                       "an animation: --frames asks for it to move. A\n"
                                       "view given as the words is read the same way")
                             ->option_text("TEXT")
                             ->each([&r](const std::string& text) {
                                 View read{};
                                 std::string error;
                                 if (!read_view(text, read, error)) throw CLI::ValidationError(error);
                                 r.view = read;
                                 r.view_text = text;
                             });
    app.add_option("--view-of",
                   "draw the view a PNG written here keeps (at its size\n"
                   "unless --size)")
        ->option_text("FILE.png")
        ->each([&r](const std::string& file) {
            if (file.empty()) throw CLI::ValidationError("expected a PNG file's name");
            r.view_of = file;
        })
        ->excludes(view);
    app.add_option("--pitch", "camera pitch in degrees (default 0)")
        ->option_text("DEG")
        ->each([&r](const std::string& text) { r.pitch = number(text, -ANY, ANY, "a number of degrees"); });
    app.add_option("--yaw", "camera yaw in degrees (default 0)")
        ->option_text("DEG")
        ->each([&r](const std::string& text) { r.yaw = number(text, -ANY, ANY, "a number of degrees"); });
    app.add_option("--camera", "camera translation (default 0,0,-3.5)")
        ->option_text("X,Y,Z")
        ->each([&r](const std::string& text) {
            std::array<double, 3> xyz{};
            if (!read_numbers(text, ",", xyz)) {
                throw CLI::ValidationError(in_quotes(text) + ": expected X,Y,Z such as 0,0,-3.5");
            }
            r.camera = xyz;
        });
    app.add_option("--frames",
                   "animations: frames N to N+K-1 of --frame N (default\n"
                   "360, a full turn; the figure of B branches repeats\n"
                   "every 360/B frames, so 120 loop for B3)")
        ->option_text("K")
        ->each([&r](const std::string& text) { r.frames = whole(text, 1, MAX_FRAMES, "a frame count"); });
    app.add_option("--delay",
                   "GIF: time between frames (default 40). GIF stores\n"
                   "hundredths of a second, so it is rounded to the\n"
                   "nearest 10 ms.")
        ->option_text("MS")
        ->each([&r](const std::string& text) { r.delay_ms = whole(text, 0, MAX_DELAY_MS, "milliseconds"); });
    app.add_option("--fps",
                   "video: frames per second (default 60: the figure\n"
                   "twists a degree a frame, 60 degrees a second as the\n"
                   "screen saver turns)")
        ->option_text("N")
        ->each([&r](const std::string& text) { r.fps = whole(text, 1, MAX_FPS, "frames per second"); });
    app.add_option("--crf")
        ->description(quality_help())
        ->option_text("Q")
        ->each([&r](const std::string& text) {
            unsigned long long value = 0;
            if (!read_number(text, value) || value > INT_MAX) {
                throw CLI::ValidationError(in_quotes(text) + ": expected a whole number, " + quality_ranges());
            }
            r.crf = static_cast<int>(value);
        });
    app.add_flag("--full-colour,--full-color", r.full_colour,
                 "video: keep every pixel's colour (4:4:4); the default\n"
                 "4:2:0 shares colour between 2x2 pixels, which dims\n"
                 "one-pixel lines. .webm plays in browsers");
    app.add_flag("--lossless", r.lossless,
                 ".webm: VP9 lossless in RGB, every pixel as in the\n"
                 "PNG still (large files)");
    CLI::Option* background =
        app.add_option("--background",
                       "black (the default for pictures), or none:\n"
                       "transparent off the figure in .png (RGBA), .gif,\n"
                       ".webm (VP9 with alpha) and .mov (ProRes 4444 with\n"
                       "alpha); .mp4 has none. .svg and .pdf have none\n"
                       "unless black is asked for")
            ->option_text("COLOUR")
            ->each([&r](const std::string& text) {
                if (text != "black" && text != "none") {
                    throw CLI::ValidationError(in_quotes(text) + ": expected black or none");
                }
                r.transparent = text == "none";
            });
    app.add_option("--paper",
                   ".svg and .pdf: the page, A4, A3, Letter or WxHmm\n"
                   "(such as 300x200mm), in millimetres, the picture\n"
                   "fitted inside the margin, turned to landscape when\n"
                   "that fits it larger (default: the picture's pixels\n"
                   "at 96 per inch)")
        ->option_text("PAPER")
        ->each([&r](const std::string& text) {
            Paper paper{};
            if (!read_paper(text, paper)) {
                throw CLI::ValidationError(in_quotes(text) + ": expected A4, A3, Letter or WxHmm such as 300x200mm");
            }
            r.paper = paper;
            r.paper_name = text;
        });
    app.add_option("--margin", "--paper's margin on every side (default 10)")
        ->option_text("MM")
        ->each([&r](const std::string& text) {
            r.margin_mm = number(text, 0.0, MAX_PAPER_MM, "a margin in millimetres, at least 0");
        });
    app.add_option("--stroke-width",
                   ".svg and .pdf: the lines' width, such as 0.5mm or\n"
                   "2px (default 1px, 0.3mm on paper)")
        ->option_text("WIDTH")
        ->each([&r](const std::string& text) {
            double mm = 0;
            if (!read_length(text, mm)) {
                throw CLI::ValidationError(in_quotes(text) +
                                           ": expected a width above 0 with its unit, such as 0.3mm or 1px");
            }
            r.stroke_mm = mm;
        });
    app.add_flag("--resume", r.resume,
                 "numbered .png frames: keep the frames already\n"
                 "written with the same view (but for the twist),\n"
                 "size and background, draw the rest");
    CLI::Option* check =
        app.add_option("--check",
                       "numbered .png frames: look over frames N to N+K-1\n"
                       "of --frame N --frames K (a name with one number\n"
                       "field) and list each that is missing, cut short,\n"
                       "of another size, background, view (but for the\n"
                       "twist), program or driver, and what killed runs\n"
                       "left; exit 0 only when the range is whole")
            ->option_text("FILE")
            ->each([&r](const std::string& text) {
                NamePattern pattern = read_name_pattern(text);
                if (!pattern.error.empty()) throw CLI::ValidationError(pattern.error);
                if (pattern.fields != 1) {
                    throw CLI::ValidationError(in_quotes(text) + ": expected a name with one number field (%d or %0Nd)");
                }
                r.check = pattern;
            })
            ->excludes(output);
    app.add_option("--bench",
                   "draw frames for that long (instead of -o); print\n"
                   "frames and segments per second")
        ->option_text("SECONDS")
        ->each([&r](const std::string& text) {
            r.bench_seconds = number(text, std::numeric_limits<double>::denorm_min(), 86400.0,
                                     "a number of seconds above 0, at most 86400");
        })
        ->excludes(output)
        ->excludes(check);
    app.add_flag("-n,--no-clobber", r.no_clobber,
                 "never replace a file: draw nothing when the output,\n"
                 "or a frame of its range, is there already (with\n"
                 "--resume: a frame of another drawing)");
    app.add_flag("-q,--quiet", r.quiet, "no progress bar and no warnings; errors still");
    std::string shell;
    app.add_option("--completion", "print the completion script for bash, zsh or fish")
        ->option_text("SHELL")
        ->each([&shell](const std::string& text) {
            if (completion_script(text, "polytree-render", {}).empty()) {
                throw CLI::ValidationError(in_quotes(text) + ": expected bash, zsh or fish");
            }
            shell = text;
        });
    app.set_help_flag("-h,--help", "this text");
    app.set_version_flag("--version", "polytree-render " + version, "the program's version");

    // CLI11 takes "--frame= 5" for "--frame 5"; an empty value stays an error.
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() > 2 && word.compare(0, 2, "--") == 0 && word.back() == '=') {
            parsed.error = word + ": expected a value after '='";
            return parsed;
        }
    }
    if (!(parsed.error = missing_value(app, argc, argv)).empty()) return parsed;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        parsed.message = app.help();
    } catch (const CLI::CallForVersion& e) {
        // CLI11 answers --version first, but --help wins.
        parsed.message = app.get_help_ptr()->count() > 0 ? app.help() : std::string(e.what()) + "\n";
    } catch (const CLI::ParseError& e) {
        parsed.error = e.what();
        return parsed;
    }
    if (!shell.empty() && parsed.message.empty() && app.remaining().empty()) {
        parsed.message = completion_script(shell, "polytree-render", completed_flags(app));
        return parsed;
    }
    // A word is the viewer's unless it starts with '-': CLI11 takes "-5" for a
    // positional number, and leaves the flags it does not know as extras.
    std::vector<std::string> flags = app.remaining();
    std::vector<const char*> viewer_words;
    for (const std::string& word : words) {
        if (!word.empty() && word[0] == '-') {
            flags.push_back(word);
        } else {
            viewer_words.push_back(word.c_str());
        }
    }
    r.option_text = join_words(viewer_words.data(), static_cast<int>(viewer_words.size()));
    const bool words_hold_view =
        std::any_of(viewer_words.begin(), viewer_words.end(), [](const char* word) { return is_version_word(word); });
    std::string view_error;
    if (words_hold_view && parsed.error.empty()) {
        if (r.view || !r.view_of.empty()) {
            view_error = "the words hold a view (" + r.option_text + ") beside --view or --view-of: give one view";
        } else {
            View read{};
            if (read_view(r.option_text, read, view_error)) r.view = read;
            r.view_text = r.option_text;
            r.option_text.clear();
        }
    }
    if (!view_error.empty()) {
        parsed.error = view_error;
        parsed.message.clear();
    } else if (!flags.empty()) {
        const std::string nearest = nearest_flag(app, flags.front());
        parsed.error = "unknown flag " + in_quotes(flags.front()) +
                       (nearest.empty() ? "" : ": did you mean " + nearest + "?") + " (see --help)";
        parsed.message.clear();
    } else if (parsed.message.empty()) {
        if (output->count() > 0) {
            parsed.error = resolve_format(r, named_format);
        } else if (named_format.chosen()) {
            parsed.error = "--format names the format of -o FILE, which is missing";
        } else if (!r.bench_seconds && !r.check) {
            parsed.error = "nothing to do: give -o FILE (" + every_extension() + ") or --bench SECONDS (see --help)";
        }
        const auto given = [&app](const char* flag) { return app.get_option(flag)->count() > 0; };
        if (parsed.error.empty()) parsed.error = output_conflict(r, given);
        r.frame_stream = r.piped() && given("--frames") && !r.format.animation;
        // Paper stays paper unless a background is asked for.
        if (r.format.alpha == Alpha::by_default && background->count() == 0) r.transparent = true;
    }
    return parsed;
}
