// polytree-render: the viewer's frame drawn off-screen and saved as a PNG
// still, numbered PNG frames, a GIF animation or a video, or timed with
// --bench. It reads the viewer's option words and draws with the viewer's
// GL set-up, projection and scene, so a picture is exactly what the viewer
// would show with the same words, camera and frame. Its lines, projected
// the same way without GL, go to SVG and PDF files for plotters and print.

#include <GL/gl.h>

#include <sys/stat.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/frame_check.h"
#include "cli/image_files.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "cli/render_args.h"
#include "cli/view_to_draw.h"
#include "cli/vector_files.h"
#include "cli/video_file.h"
#include "core/camera.h"
#include "core/options.h"
#include "core/view.h"
#include "platform/egl_offscreen.h"
#include "render/frame_worker.h"
#include "render/scene.h"

#ifndef POLYTREE_VERSION
#define POLYTREE_VERSION "unknown"
#endif

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_BAD_ARGUMENTS = 2;

// The pen's line on paper: a fine-liner's.
constexpr double PAPER_STROKE_MM = 0.3;

// Stills from this many pixels on take long enough to show their progress.
constexpr long LARGE_PICTURE = 4096L * 4096L;

int complain(int code, const std::string& message) {
    std::fprintf(stderr, "polytree-render: %s\n", message.c_str());
    return code;
}

bool gl_failed(std::string& error) {
    error = driver_error();
    return !error.empty();
}

// What is drawn, and the camera it is seen from; the rest of its view.
struct Scene {
    Figure figure;
    Camera camera;
    int mode_index;
    bool paused;
};

Scene scene_of(const View& view) {
    return Scene{{view.branches, view.levels, view.twist, START_SCALE}, view.camera, view.mode_index, view.paused};
}

View view_of(const Scene& scene) {
    const Figure& f = scene.figure;
    return View{f.branches, f.levels, scene.mode_index, scene.camera, f.twist, scene.paused};
}

// The scene after the frames already drawn: the viewer advances the twist
// once a frame.
void next_frame(Scene& scene) { scene.figure.twist = next_twist(scene.figure.twist); }

// Draws the scene's frame from arrays the worker filled while the frame
// before was drawn, and starts it on the frame after when there is one.
void draw_from(FrameWorker& worker, const Scene& scene, bool more) {
    Figure next = scene.figure;
    if (more) next.twist = next_twist(next.twist);
    draw_scene(worker.arrays_for(scene.figure, next), scene.camera);
}

std::string words_of(const RenderRequest& r, const Figure& figure) {
    return "B" + std::to_string(figure.branches) + " L" + std::to_string(figure.levels) + " at " +
           std::to_string(r.width) + "x" + std::to_string(r.height);
}

// The frame drawn and read back into picture: the one place that draws a
// picture. more says whether the frame after will be drawn too.
void render_picture(FrameWorker& worker, const RenderRequest& r, const Scene& scene, bool more, Picture& picture) {
    draw_from(worker, scene, more);
    picture.width = r.width;
    picture.height = r.height;
    // The framebuffer is cleared to alpha 0 and the lines drawn opaque.
    picture.alpha = r.transparent;
    read_pixels(r.width, r.height, r.transparent, picture.pixels);
}

int bench(const RenderRequest& r, Scene scene) {
    using Clock = std::chrono::steady_clock;
    const std::uint32_t segments = segments_per_frame(scene.figure.branches, scene.figure.levels);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(*r.bench_seconds);
    long frames = 0;
    auto now = start;
    FrameWorker worker;
    do {
        draw_from(worker, scene, true);
        next_frame(scene);
        glFinish();
        ++frames;
        now = Clock::now();
    } while (now < until);
    std::string error;
    if (gl_failed(error)) return complain(EXIT_FAILED, error);
    const double seconds = std::chrono::duration<double>(now - start).count();
    std::printf("%s on %s: %u segments a frame, %ld frames in %.2f s: %.1f frames/s, %.0f segments/s\n",
                words_of(r, scene.figure).c_str(), renderer != nullptr ? renderer : "an unknown renderer", segments, frames,
                seconds, frames / seconds, frames * static_cast<double>(segments) / seconds);
#if defined(__SANITIZE_ADDRESS__)
    std::printf("(a sanitized build: use the release build for timing)\n");
#endif
    return EXIT_DONE;
}

// What draws the frames: this program's version and the GL driver's, in
// every PNG, so that a farm can tell frames drawn by another build or
// driver (which light some pixels differently). GL_RENDERER names LLVM on
// llvmpipe, not Mesa: GL_VERSION does.
std::string drawn_by() {
    const auto text = [](GLenum name) {
        const char* value = reinterpret_cast<const char*>(glGetString(name));
        return std::string(value != nullptr ? value : "unknown");
    };
    return std::string("polytree-render ") + POLYTREE_VERSION + "; " + text(GL_RENDERER) + "; " + text(GL_VERSION);
}

int write_still(const RenderRequest& r, const Scene& scene, OutputFile& out) {
    const bool large = static_cast<long>(r.width) * r.height >= LARGE_PICTURE;
    Progress progress("still", 2, large);
    Picture picture;
    FrameWorker worker;
    render_picture(worker, r, scene, false, picture);
    std::string error;
    if (gl_failed(error)) return complain(EXIT_FAILED, error);
    progress.update(1);
    if (!write_png(out.fd(), picture, write_view(view_of(scene)), drawn_by(), error)) {
        return complain(EXIT_FAILED, error);
    }
    progress.update(2);
    return EXIT_DONE;
}

// Frame by frame as the viewer draws them, each advancing the twist, into
// a GifWriter or a VideoFile.
template <typename Animation>
int write_animation(const RenderRequest& r, Scene scene, Animation& animation) {
    Progress progress("frames", r.frames, true, true);
    std::string error;
    Picture picture;
    FrameWorker worker;
    for (int i = 0; i < r.frames; ++i) {
        render_picture(worker, r, scene, i + 1 < r.frames, picture);
        next_frame(scene);
        if (gl_failed(error)) return complain(EXIT_FAILED, error);
        if (!animation.add(picture, error)) return complain(EXIT_FAILED, error);
        progress.update(i + 1);
    }
    if (!animation.finish(error)) return complain(EXIT_FAILED, error);
    return EXIT_DONE;
}

VideoSettings video_settings(const RenderRequest& r) {
    VideoSettings v;
    v.format = r.format.format;
    v.width = r.width;
    v.height = r.height;
    v.fps = r.fps;
    v.crf = r.crf.value_or(r.format.default_crf);
    v.lossless = r.lossless;
    v.full_colour = r.full_colour;
    v.alpha = r.transparent;
    return v;
}

int write_video(const RenderRequest& r, const Scene& scene, OutputFile& out) {
    VideoFile video(out.temporary(), video_settings(r));
    std::string error;
    if (!video.start(error)) return complain(EXIT_FAILED, error);
    return write_animation(r, scene, video);
}

// The folder that numbered frames go to, found writable before any drawing.
std::string frames_folder_error(const RenderRequest& r) {
    const std::string first = r.output.name_of(r.frame);
    const std::string folder = folder_of(first).empty() ? "." : folder_of(first);
    struct stat info{};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return "cannot write '" + first + "': no folder '" + folder + "'";
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot write '" + first + "': folder '" + folder + "' is not writable";
    }
    return "";
}

// Temporary files a killed run left for frames of this range. Only this
// range's: other runs may be writing the rest into the same folder.
void remove_leftovers(const RenderRequest& r) {
    std::error_code ignored;
    for (const std::string& leftover : leftovers_of(r.output, r.frame, r.frames)) {
        std::filesystem::remove(leftover, ignored);
    }
}

// Whether the file is a complete frame of this size and background, drawn
// by this program and driver, whose view is the one it would be drawn with
// now, but for the twist.
bool already_drawn(const std::string& name, const RenderRequest& r, const View& expected, const std::string& by) {
    const FrameFacts wanted{PngFacts{r.width, r.height, r.transparent, "", by}, expected};
    FrameFacts found;
    return read_frame_facts(name, found).empty() && frame_difference(found, wanted) == FrameDifference::none;
}

int write_frames(const RenderRequest& r, Scene scene) {
    if (r.resume) remove_leftovers(r);
    Progress progress("frames", r.frames, true, true);
    std::string error;
    Picture picture;
    FrameWorker worker;
    const std::string by = drawn_by();
    for (int i = 0; i < r.frames; ++i) {
        const std::string name = r.output.name_of(static_cast<long>(r.frame) + i);
        if (r.resume && already_drawn(name, r, view_of(scene), by)) {
            next_frame(scene);
            progress.update(i + 1);
            continue;
        }
        OutputFile out(name);
        if (!out.ok()) return complain(EXIT_FAILED, out.error());
        const std::string view = write_view(view_of(scene));
        render_picture(worker, r, scene, i + 1 < r.frames, picture);
        next_frame(scene);
        if (gl_failed(error)) return complain(EXIT_FAILED, error);
        if (!write_png(out.fd(), picture, view, by, error)) return complain(EXIT_FAILED, error);
        if (!out.commit()) return complain(EXIT_FAILED, out.error());
        progress.update(i + 1);
    }
    return EXIT_DONE;
}

// The frame's lines as a plotter draws them, into fd. No GL needed.
int write_lines(const RenderRequest& r, const Scene& scene, bool svg, int fd) {
    const PaperLayout page = paper_layout(r.width, r.height, r.paper, r.margin_mm);
    const std::vector<PlotLayer> layers = plot_layers(scene.figure, scene.camera, r.width, r.height, page);
    VectorStyle style;
    style.stroke_mm = r.stroke_mm.value_or(page.on_paper ? PAPER_STROKE_MM : MM_PER_PIXEL);
    style.background = !r.transparent;
    style.view = write_view(view_of(scene));
    style.creator = std::string("polytree-render ") + POLYTREE_VERSION;
    std::string error;
    const bool written = svg ? write_svg(fd, layers, page, r.width, r.height, style, error)
                             : write_pdf(fd, layers, page, r.width, r.height, style, error);
    return written ? EXIT_DONE : complain(EXIT_FAILED, error);
}

int write_vector_frames(const RenderRequest& r, Scene scene) {
    Progress progress("frames", r.frames, true, true);
    const bool svg = r.format.format == FileFormat::svg;
    for (int i = 0; i < r.frames; ++i) {
        OutputFile out(r.output.name_of(static_cast<long>(r.frame) + i));
        if (!out.ok()) return complain(EXIT_FAILED, out.error());
        const int code = write_lines(r, scene, svg, out.fd());
        if (code != EXIT_DONE) return code;
        if (!out.commit()) return complain(EXIT_FAILED, out.error());
        next_frame(scene);
        progress.update(i + 1);
    }
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
    if (const std::string error = view_to_draw(r, view); !error.empty()) return complain(EXIT_BAD_ARGUMENTS, error);
    const Scene scene = scene_of(view);

    // The file first: a place that cannot be written is bad input, found
    // before any drawing.
    if (r.format.video()) {
        const std::string error = video_settings_error(video_settings(r));
        if (!error.empty()) return complain(EXIT_BAD_ARGUMENTS, error);
    }
    std::optional<OutputFile> out;
    if (r.numbered()) {
        const std::string error = frames_folder_error(r);
        if (!error.empty()) return complain(EXIT_BAD_ARGUMENTS, error);
    } else if (r.format.chosen()) {
        out.emplace(r.output.literal());
        if (!out->ok()) return complain(EXIT_BAD_ARGUMENTS, out->error());
    }

    if (r.format.lines) {
        const int code = r.numbered() ? write_vector_frames(r, scene)
                                      : write_lines(r, scene, r.format.format == FileFormat::svg, out->fd());
        if (code != EXIT_DONE || r.numbered()) return code;
        return out->commit() ? EXIT_DONE : complain(EXIT_FAILED, out->error());
    }

    OffscreenGl gl;
    if (!gl.has_display()) return complain(EXIT_FAILED, "no EGL display to draw on: " + gl.why());
    if (!gl.ok()) return complain(EXIT_FAILED, "cannot set up OpenGL: " + gl.why());
    const int limit = gl.max_size();
    if (r.width > limit || r.height > limit) {
        return complain(EXIT_BAD_ARGUMENTS, "--size " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                                                ": beyond this driver's limit of " + std::to_string(limit) + "x" +
                                                std::to_string(limit));
    }
    if (!gl.use_framebuffer(r.width, r.height)) {
        return complain(EXIT_FAILED, "cannot draw at " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                                         ": " + gl.why());
    }
    setup_gl_state();
    set_view(0, 0, r.width, r.height, scene.figure.scale);

    if (r.bench_seconds) return bench(r, scene);
    if (r.numbered()) return write_frames(r, scene);
    int code = EXIT_DONE;
    if (r.format.format == FileFormat::png) {
        code = write_still(r, scene, *out);
    } else if (r.format.format == FileFormat::gif) {
        GifWriter gif(out->fd(), r.width, r.height, r.delay_ms);
        code = write_animation(r, scene, gif);
    } else {
        code = write_video(r, scene, *out);
    }
    if (code != EXIT_DONE) return code;
    if (!out->commit()) return complain(EXIT_FAILED, out->error());
    return EXIT_DONE;
}
