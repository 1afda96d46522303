// polytree-render: the viewer's frame drawn off-screen and saved as a PNG
// still, numbered PNG frames, a GIF animation or a video, or timed with
// --bench. It reads the viewer's option words and draws with the viewer's
// GL set-up, projection and scene, so a picture is exactly what the viewer
// would show with the same words, camera and frame. Its lines, projected
// the same way without GL, go to SVG and PDF files for plotters and print.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/exit_codes.h"
#include "cli/frame_check.h"
#include "cli/frame_writers.h"
#include "cli/offscreen_frames.h"
#include "cli/progress.h"
#include "cli/render_args.h"
#include "cli/view_to_draw.h"
#include "render/polygon_tree.h"
#include "viewer/frame_sequence.h"

#ifndef POLYTREE_VERSION
#define POLYTREE_VERSION "unknown"
#endif

#if defined(__SANITIZE_ADDRESS__)
// A sanitized build's LeakSanitizer, scanning at exit, was seen to crash on
// a garbage dynamic-TLS range after a picture drawn with llvmpipe was
// written ("Tracer caught signal 11", 8 runs in 20 of one still, Mesa's
// shader cache off); without the sanitizer's tracking of dynamic TLS, none
// in 20. Leaks are still found: a block only dynamic TLS points to would be
// reported, not hidden.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
#endif

namespace {

// Stills from this many pixels on take long enough to show their progress.
constexpr long LARGE_PICTURE = 4096L * 4096L;

int complain(int code, const std::string& message) {
    std::fprintf(stderr, "polytree-render: %s\n", message.c_str());
    return code;
}

int bench(const RenderRequest& r, const View& first, OffscreenFrames& gl) {
    using Clock = std::chrono::steady_clock;
    const std::uint32_t segments = segments_per_frame(first.branches, first.levels);
    const std::string renderer = gl.renderer();
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(*r.bench_seconds);
    long frames = 0;
    auto now = start;
    FrameSequence sequence(first, Turning::always);
    do {
        gl.draw(sequence, true);
        sequence.drawn();
        gl.wait();
        ++frames;
        now = Clock::now();
    } while (now < until);
    std::string error;
    if (!gl.drew(error)) return complain(EXIT_FAILED, error);
    const double seconds = std::chrono::duration<double>(now - start).count();
    std::printf("B%d L%d at %dx%d on %s: %u segments a frame, %ld frames in %.2f s: %.1f frames/s, %.0f segments/s\n",
                first.branches, first.levels, r.width, r.height,
                renderer.empty() ? "an unknown renderer" : renderer.c_str(), segments, frames, seconds,
                frames / seconds, frames * static_cast<double>(segments) / seconds);
#if defined(__SANITIZE_ADDRESS__)
    std::printf("(a sanitized build: use the release build for timing)\n");
#endif
    return EXIT_DONE;
}

// The request's frames, one after another as the viewer draws them, into
// the writer: drawn through gl and read back, or, without gl, handed over
// as views for the writer to draw as lines.
int write_frames(const RenderRequest& r, const View& first, FrameWriter& writer, OffscreenFrames* gl,
                 const std::string& drawn_by) {
    std::string error = files_in_the_way(r, first, drawn_by);
    if (!error.empty()) return complain(EXIT_KEPT, error);
    const bool still = r.still();
    const int count = still ? 1 : r.frames;
    const bool large = static_cast<long>(r.width) * r.height >= LARGE_PICTURE;
    // A large still shows its drawing and its writing; frames, each frame.
    Progress progress(still ? "still" : "frames", still ? 2 : count,
                      !r.quiet && (!still || (large && gl != nullptr)), !still);
    if (!writer.begin(error)) return complain(EXIT_FAILED, error);
    FrameSequence frames(first, Turning::always);
    Picture picture;
    for (int i = 0; i < count; ++i) {
        Frame frame{static_cast<long>(r.frame) + i, frames.current(), drawn_by};
        bool kept = false;
        if (!writer.open_frame(frame, kept, error)) return complain(EXIT_FAILED, error);
        if (!kept) {
            if (gl != nullptr) {
                gl->draw(frames, i + 1 < count);
                gl->read(picture, r.transparent);
                if (!gl->drew(error)) return complain(EXIT_FAILED, error);
                frame.picture = &picture;
                if (still) progress.update(1);
            }
            if (!writer.add(frame, error)) return complain(EXIT_FAILED, error);
        }
        frames.drawn();
        progress.update(still ? 2 : i + 1);
    }
    if (!writer.finish(error)) return complain(EXIT_FAILED, error);
    return EXIT_DONE;
}

// Lists what is wrong with the frames, then a summary. No GL needed.
int check(const RenderRequest& r) {
    const long last = static_cast<long>(r.frame) + r.frames - 1;
    const std::vector<std::string> problems = check_frames(*r.check, r.frame, r.frames);
    for (const std::string& problem : problems) std::printf("%s\n", problem.c_str());
    if (problems.empty()) {
        std::printf("frames %d to %ld: whole, each of the same size, background, view and drawing\n", r.frame, last);
        return EXIT_DONE;
    }
    std::printf("frames %d to %ld: %zu problem%s\n", r.frame, last, problems.size(), problems.size() == 1 ? "" : "s");
    return EXIT_FAILED;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // llvmpipe allocates and frees buffers of several megabytes every frame.
    // Past glibc's starting threshold of 128 KB each comes from the kernel
    // as fresh pages that it must zero: measured at 1080p, drawing ran at a
    // third of its speed. Served from the heap, they are reused instead,
    // and the heap is not handed back to the kernel after each frame either
    // (with the figure's arrays uploaded each frame, that trimming alone cost
    // three quarters of the frame rate at B3 L10, 1080p).
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);  // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
    const ParsedArgs parsed = parse_render_args(argc, argv, POLYTREE_VERSION);
    if (!parsed.error.empty()) return complain(EXIT_BAD_ARGUMENTS, parsed.error);
    if (!parsed.message.empty()) {
        std::fputs(parsed.message.c_str(), stdout);
        return EXIT_DONE;
    }
    RenderRequest r = parsed.request;
    if (r.check) return check(r);

    View view{};
    std::vector<std::string> warnings;
    std::string error = view_to_draw(r, view, warnings);
    if (!error.empty()) return complain(EXIT_BAD_ARGUMENTS, error);
    if (!r.quiet) {
        for (const std::string& warning : warnings) {
            std::fprintf(stderr, "polytree-render: warning: %s\n", warning.c_str());
        }
    }
    // The file first: a place that cannot be written is bad input, found
    // before any drawing.
    std::unique_ptr<FrameWriter> writer;
    if (r.format.chosen() && !(writer = open_writer(r, error))) return complain(EXIT_BAD_ARGUMENTS, error);
    const std::string program = std::string("polytree-render ") + POLYTREE_VERSION;
    if (r.format.lines) return write_frames(r, view, *writer, nullptr, program);

    OffscreenFrames gl;
    if (!(error = gl.error()).empty()) return complain(EXIT_FAILED, error);
    const int limit = gl.max_size();
    if (r.width > limit || r.height > limit) {
        return complain(EXIT_BAD_ARGUMENTS, "--size " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                                                ": beyond this driver's limit of " + std::to_string(limit) + "x" +
                                                std::to_string(limit));
    }
    if (!(error = gl.use_size(r.width, r.height)).empty()) return complain(EXIT_FAILED, error);
    if (r.bench_seconds) return bench(r, view, gl);
    // What draws the frames goes into every PNG, so that a farm can tell
    // frames drawn by another build or driver (which light some pixels
    // differently).
    return write_frames(r, view, *writer, &gl, gl.drawn_by(program));
}
