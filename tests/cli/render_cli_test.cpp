#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/outputs.h"
#include "figure_colours.h"
#include "projection.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code;
    std::string err;
};

// An RGB picture, top row first.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const {
        const std::size_t i = 3 * (static_cast<std::size_t>(y) * width + x);
        return Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

Image read_png(const fs::path& path) {
    png_image png;
    std::memset(&png, 0, sizeof(png));
    png.version = PNG_IMAGE_VERSION;
    Image image;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
    png.format = PNG_FORMAT_RGB;
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        image.width = static_cast<int>(png.width);
        image.height = static_cast<int>(png.height);
    }
    return image;
}

// A PNG as 8-bit RGBA, top row first, as libpng reads it.
std::vector<unsigned char> read_rgba(const fs::path& path) {
    png_image png;
    std::memset(&png, 0, sizeof(png));
    png.version = PNG_IMAGE_VERSION;
    std::vector<unsigned char> rgba;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return rgba;
    png.format = PNG_FORMAT_RGBA;
    rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) rgba.clear();
    return rgba;
}

// What a shell command prints on stdout.
std::string capture(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// ffprobe's view of a video's stream: its key=value lines.
std::map<std::string, std::string> probe(const fs::path& video) {
    const std::string lines = capture(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,width,height,pix_fmt,color_space,color_transfer,color_primaries,color_range,"
        "r_frame_rate,nb_read_frames -of default=noprint_wrappers=1 " +
        video.string());
    std::map<std::string, std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = lines.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

// Frame `n` of a video as FFmpeg's decoder and converter give it, as RGB
// top row first, converted by the colour tags the file carries.
Image decoded_frame(const fs::path& video, int n, int width, int height) {
    Image image;
    image.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    const std::string bytes = capture("ffmpeg -v error -i " + video.string() + " -vf 'select=eq(n\\," +
                                      std::to_string(n) + ")' -frames:v 1 -pix_fmt rgb24 -f rawvideo -");
    image.rgb.assign(bytes.begin(), bytes.end());
    if (image.rgb.size() == static_cast<std::size_t>(width) * height * 3) {
        image.width = width;
        image.height = height;
    }
    return image;
}

// The alpha of frame `n` of a video, top row first, a byte a pixel, decoded
// with `decoder` ("" for FFmpeg's choice: its own VP9 decoder drops the
// alpha, libvpx's keeps it).
std::string decoded_alpha(const fs::path& video, int n, const std::string& decoder) {
    return capture("ffmpeg -v error " + (decoder.empty() ? "" : "-c:v " + decoder + " ") + "-i " + video.string() +
                   " -vf 'select=eq(n\\," + std::to_string(n) +
                   "),format=rgba,alphaextract' -frames:v 1 -pix_fmt gray -f rawvideo -");
}

// Peak signal to noise of b against a, over all channels, in dB.
double psnr(const Image& a, const Image& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = static_cast<double>(a.rgb[i]) - b.rgb[i];
        squares += d * d;
    }
    if (squares == 0) return INFINITY;
    return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.rgb.size()) / squares);
}

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files in a folder, dot files included.
std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("polytree-render-test-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // Without any GL driver the renderer can only say so.
        const Outcome probe = run("--bench 0.001");
        if (probe.code == 1 && probe.err.find("no EGL display") != std::string::npos) {
            if (std::getenv("POLYTREE_REQUIRE_GL") != nullptr) FAIL() << "GL required: " << probe.err;
            GTEST_SKIP() << probe.err;
        }
        ASSERT_EQ(probe.code, 0) << probe.err;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the renderer in the test's own folder, as a shell would, with
    // the environment's words before it.
    Outcome run(const std::string& args, const std::string& environment = "") {
        const fs::path err = dir_.parent_path() / (dir_.filename().string() + ".stderr");
        const std::string command = "cd " + dir_.string() + " && " + environment + " " + POLYTREE_RENDER + " " +
                                    args + " 2>" + err.string() + " >/dev/null";
        const int status = std::system(command.c_str());
        std::ifstream in(err);
        Outcome r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
        fs::remove(err);
        return r;
    }

    // Starts the renderer in the test's folder and leaves it running.
    pid_t start(const std::string& args) {
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string command = "cd " + dir_.string() + " && exec " + POLYTREE_RENDER + " " + args +
                                        " 2>/dev/null";
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }

    // Interrupts a run started with start() once `ready` holds, as a user
    // would with Ctrl-C or kill; its exit status.
    template <typename Ready>
    int interrupt(pid_t pid, int signal_number, Ready ready) {
        for (int i = 0; i < 3000 && !ready(); ++i) usleep(10000);
        EXPECT_TRUE(ready()) << "the run never got under way";
        kill(pid, signal_number);
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }

    // Runs the renderer where a picture is expected.
    bool render(const std::string& args, const std::string& environment = "") {
        const Outcome r = run(args, environment);
        EXPECT_EQ(r.code, 0) << args << ": " << r.err;
        return r.code == 0;
    }

    fs::path dir_;
};

// One trunk and one triangle (L1): every coloured pixel must lie on the
// projection of the segments the figure has after `frame` degrees of twist.
TEST_F(RenderCli, StillsShowTheFigureWhereTheCameraProjectsIt) {
    const double pi = 3.14159265358979323846;
    const struct {
        const char* flags;
        int frame;
        Sight view;
    } cases[] = {
        {"", 0, Sight{0, 0, -3.5, 0, 0, 640, 480}},
        {"--frame 030", 30, Sight{0, 0, -3.5, 0, 0, 640, 480}},  // base ten, not octal
        {"--frame 75 --pitch 10 --yaw -20 --camera 0.2,-0.1,-3 --size 500x400", 75,
         Sight{0.2, -0.1, -3, 10, -20, 500, 400}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        if (!render(std::string("L1 ") + c.flags + " -o still.png")) return;
        const Image image = read_png(dir_ / "still.png");
        ASSERT_EQ(image.width, c.view.width);
        ASSERT_EQ(image.height, c.view.height);
        const Pixel trunk[2] = {project_point(c.view, 0, -1, 0), project_point(c.view, 0, 0, 0)};
        Pixel corner[3];
        for (int k = 0; k < 3; ++k) {
            const double a = pi / 2 + c.frame * pi / 180 + k * 2 * pi / 3;
            corner[k] = project_point(c.view, std::cos(a), std::sin(a), 0);
        }
        int brown = 0, green = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const Rgb p = image.at(x, y);
                const Pixel centre{x + 0.5, y + 0.5};
                if (is_brown(p)) {
                    ++brown;
                    EXPECT_LT(distance_to_segment(centre, trunk[0], trunk[1]), 1.5) << x << "," << y;
                } else if (is_green(p)) {
                    ++green;
                    double nearest = 1e9;
                    for (int k = 0; k < 3; ++k) {
                        nearest = std::min(nearest, distance_to_segment(centre, corner[k], corner[(k + 1) % 3]));
                    }
                    EXPECT_LT(nearest, 1.5) << "stray green at " << x << "," << y;
                } else {
                    EXPECT_TRUE(is_black(p)) << x << "," << y;
                }
            }
        }
        EXPECT_GT(brown, 20);
        EXPECT_GT(green, 300);  // three edges of a triangle over a hundred pixels wide
    }
}

TEST_F(RenderCli, AnimationReadsBackFrameByFrameWithTheStillsColours) {
    if (!render("B4 L3 G2 --frames 5 --delay 35 -o turn.gif")) return;
    if (!render("B4 L3 G2 -o frame0.png")) return;
    const fs::path gif_file = dir_ / "turn.gif";
    const Image first = read_png(dir_ / "frame0.png");
    ASSERT_EQ(first.width, 320);  // G2's size
    ASSERT_EQ(first.height, 240);

    int error = 0;
    GifFileType* gif = DGifOpenFileName(gif_file.c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, 320);
    EXPECT_EQ(gif->SHeight, 240);
    ASSERT_EQ(gif->ImageCount, 5);

    // giflib files the extensions before an image with that image.
    bool loops = false;
    const SavedImage& lead = gif->SavedImages[0];
    for (int i = 0; i < lead.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = lead.ExtensionBlocks[i];
        loops = loops || (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                          std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0);
    }
    EXPECT_TRUE(loops) << "no endless-loop extension";

    std::vector<std::vector<unsigned char>> frames;
    for (int f = 0; f < gif->ImageCount; ++f) {
        const SavedImage& image = gif->SavedImages[f];
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, f, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 4) << "35 ms rounds to 4 hundredths";
        const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        ASSERT_NE(map, nullptr);
        std::set<std::string> colours;
        std::vector<unsigned char> rgb;
        for (int i = 0; i < 320 * 240; ++i) {
            const GifColorType c = map->Colors[image.RasterBits[i]];
            rgb.insert(rgb.end(), {c.Red, c.Green, c.Blue});
            const Rgb p{c.Red, c.Green, c.Blue};
            colours.insert(is_brown(p) ? "brown" : is_green(p) ? "green" : is_black(p) ? "black" : "other");
        }
        EXPECT_EQ(colours, (std::set<std::string>{"black", "brown", "green"})) << "frame " << f;
        frames.push_back(rgb);
    }
    EXPECT_TRUE(frames[0] == first.rgb) << "the GIF's first frame differs from the still of frame 0";
    EXPECT_FALSE(frames[1] == frames[0]) << "the figure did not turn between frames";
    DGifCloseFile(gif, &error);
}

// With --background none a PNG, a numbered frame and a GIF's frame are the
// opaque still over nothing: clear wherever the still is black, opaque with
// the still's very colours on its lines. A transparent GIF frame gives its
// area back to the background, so that no earlier frame shows through it.
TEST_F(RenderCli, TransparentPicturesAreTheStillOverNothing) {
    if (!render("B3 L5 G2 --frame 2 -o still.png")) return;
    if (!render("B3 L5 G2 --frame 2 --background none -o t.png")) return;
    if (!render("B3 L5 G2 --frames 3 --background none -o 't-%d.png'")) return;
    if (!render("B3 L5 G2 --frames 3 --background none -o t.gif")) return;
    const Image still = read_png(dir_ / "still.png");
    std::vector<std::vector<unsigned char>> pictures = {read_rgba(dir_ / "t.png"), read_rgba(dir_ / "t-2.png")};

    int error = 0;
    GifFileType* gif = DGifOpenFileName((dir_ / "t.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    ASSERT_EQ(gif->ImageCount, 3);
    for (int f = 0; f < gif->ImageCount; ++f) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, f, &control), GIF_OK);
        EXPECT_EQ(control.DisposalMode, DISPOSE_BACKGROUND) << "frame " << f;
        ASSERT_NE(control.TransparentColor, NO_TRANSPARENT_COLOR) << "frame " << f;
        if (f != 2) continue;
        const SavedImage& image = gif->SavedImages[f];
        const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        std::vector<unsigned char> rgba;
        for (int i = 0; i < 320 * 240; ++i) {
            const int index = image.RasterBits[i];
            const GifColorType c = map->Colors[index];
            const unsigned char opacity = index == control.TransparentColor ? 0 : 255;
            rgba.insert(rgba.end(), {c.Red, c.Green, c.Blue, opacity});
        }
        pictures.push_back(rgba);
    }
    DGifCloseFile(gif, &error);

    for (std::size_t p = 0; p < pictures.size(); ++p) {
        const std::vector<unsigned char>& rgba = pictures[p];
        ASSERT_EQ(rgba.size(), still.rgb.size() / 3 * 4) << "picture " << p;
        int wrong = 0;
        int lit = 0;
        for (std::size_t i = 0; i < still.rgb.size() / 3; ++i) {
            const bool black = still.rgb[3 * i] == 0 && still.rgb[3 * i + 1] == 0 && still.rgb[3 * i + 2] == 0;
            const bool same = std::equal(&rgba[4 * i], &rgba[4 * i] + 3, &still.rgb[3 * i]);
            wrong += black ? rgba[4 * i + 3] != 0 : rgba[4 * i + 3] != 255 || !same;
            lit += black ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0) << "picture " << p;
        EXPECT_GT(lit, 1000) << "picture " << p;
    }
}

// --check looks over a range of frames: each fault that a farm's jobs can
// leave is named with its frame, and only a whole, uniform range passes.
TEST_F(RenderCli, CheckNamesWhatARangeOfFramesLacks) {
    fs::create_directories(dir_ / "base");
    if (!render("B3 L3 G1 --frames 4 -o 'base/f-%d.png'")) return;
    const std::string renderer = std::string(POLYTREE_RENDER) + " B3 L3 G1 ";
    const struct {
        std::string change;  // run in the frames' folder
        const char* says;
        const char* pattern = "f/f-%d.png";
    } rows[] = {
        {"true", "frames 0 to 3: whole"},
        {"mkdir ../g && cp f-1.png ../g", "frame 1 ([fg]/f-1.png): there 2 times: f/f-1.png, g/f-1.png", "[fg]/f-%d.png"},
        {"rm f-1.png", "frame 1 (f/f-1.png): missing"},
        {"rm f-3.png", "frame 3 (f/f-3.png): missing"},
        {"head -c 300 f-0.png >t && mv t f-0.png", "frame 0 (f/f-0.png): unreadable"},
        {renderer + "L2 --frame 2 -o f-2.png", "frame 2 (f/f-2.png): another view"},
        {renderer + "--frame 1 --background none -o f-1.png", "frame 1 (f/f-1.png): transparent"},
        {"MESA_GL_VERSION_OVERRIDE=3.3COMPAT " + renderer + "--frame 2 -o f-2.png", "frame 2 (f/f-2.png): drawn by"},
        {"echo half >.f-2.png.Ab12Cd", "temporary file: f/.f-2.png.Ab12Cd"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        fs::remove_all(dir_ / "f");
        fs::remove_all(dir_ / "g");
        fs::copy(dir_ / "base", dir_ / "f");
        ASSERT_EQ(std::system(("cd " + (dir_ / "f").string() + " && " + row.change).c_str()), 0);
        const std::string out = capture("cd " + dir_.string() + " && " + POLYTREE_RENDER + " --check '" +
                                        row.pattern + "' --frames 4; echo exit $?");
        EXPECT_NE(out.find(row.says), std::string::npos) << out;
        EXPECT_EQ(out.find("exit 0") != std::string::npos, row.change == "true") << out;
    }
}

// Bad arguments are refused before any drawing, with exit code 2, a message
// naming the argument, and no file left behind.
TEST_F(RenderCli, BadArgumentsAreRefusedAndLeaveNothing) {
    fs::create_directories(dir_ / "folder.png");
    const struct {
        std::string args;
        const char* says;
    } cases[] = {
        {"--colour red -o a.png", "--colour"},
        {"--help --colour", "--colour"},
        {"-5 -o a.png", "'-5'"},
        {"--output= a.png", "--output="},
        {"-o a.png --bench 1", "--bench"},
        {"--frame 0x10 -o a.png", "--frame"},
        {"-o a.jpg", "a.jpg"},
        {"--size 0x480 -o a.png", "--size"},
        {"--size 640 -o a.png", "--size"},
        {"--size 640x-1 -o a.png", "--size"},
        {"--frames 0 -o a.gif", "--frames"},
        {"--frame -1 -o a.png", "--frame"},
        {"--delay 20 -o a.png", "--delay"},
        {"--camera 1,2 -o a.png", "--camera"},
        {"--yaw", "--yaw wants DEG after it"},
        {"-o", "-o wants FILE after it"},
        {"-o --size 4x4", "-o wants FILE after it, not the flag --size"},
        {"--szie 4x4 -o a.png", "did you mean --size?"},
        {"L3", "nothing to do"},
        {"-o missing/a.png", "missing/a.png"},
        {"-o folder.png", "folder.png"},
        {"--size 1000000x10 -o a.png", "limit"},
        {"-o a.mkv", ".png, .gif, .mp4, .webm, .mov, .svg or .pdf"},
        {"--size 641x481 -o a.mp4", "try --size 640x480"},
        {"--size 1x2 -o a.webm", "try --size 2x2"},
        {"--size 8192x8192 -o a.mp4", "H.264's largest level"},
        {"--size 16386x2 --full-colour -o a.webm", "VP9's largest level"},
        {"-o 'a-%d.png'", "--frames"},
        {"--frames 2 -o 'a-%d-%03d.png'", "more than one number field"},
        {"--frames 2 -o 'a-%s.png'", "%%"},
        {"--frames 2 -o 'a-%5d.png'", "%0Nd"},
        {"--frames 2 -o 'a-%d.gif'", "number field names frames"},
        {"--frames 2 -o 'f-%d/a.png'", "folder"},
        {"--frames 2 -o 'missing/a-%d.png'", "missing"},
        {"-o missing/a.mp4", "missing/a.mp4"},
        {"--lossless -o a.mp4", "--lossless"},
        {"--crf 99 -o a.mp4", "--crf 99: expected a quality from 0 to 51 for .mp4"},
        {"--crf 99 -o a.webm", "--crf 99: expected a quality from 0 to 63 for .webm"},
        {"-o -", "--format"},
        {"--format mp4 -o -", ".mp4 cannot be streamed"},
        {"--frames 2 --format svg -o -", ".png frames can follow"},
        {"--format png -o a.gif", "--format asks for .png"},
        {"--fps 30 -o a.gif", "--fps"},
        {"--resume -o a.png", "--resume"},
        {"--background white -o a.png", "'white'"},
        {"--background none -o a.mp4", ".webm (VP9 with alpha) or .mov"},
        {"--background none --full-colour -o a.webm", "4:2:0 only"},
        {"--crf 10 -o a.mov", "ProRes 4444"},
        {"--check 'f-%d.png'", "--frames K"},
        {"--check f.png --frames 2", "one number field"},
        {"--check 'f-%d.png' --frames 2 -o a.png", "--check"},
        {"--view 'B5 v2' -o a.png", "version 2"},
        {"B5 v1 zoom:1 -o a.png", "'zoom:1'"},
        {"--view 'B5 v1' B3 v1 -o a.png", "give one view"},
        {"--view 'B5 v1' --view-of a.png -o b.png", "--view"},
        {"--view-of nothing.png -o a.png", "'nothing.png': No such file or directory"},
        {"--paper A5 -o a.svg", "'A5'"},
        {"--paper 300x0mm -o a.pdf", "'300x0mm'"},
        {"--paper A4 --margin 105 -o a.svg", "no room"},
        {"--paper A4 -o a.png", "--paper"},
        {"--margin 5 -o a.svg", "--margin"},
        {"--stroke-width 2 -o a.svg", "'2'"},
        {"--fps 30 -o a.svg", "--fps"},
        {"--frames 3 -o a.svg", "--frames"},
        {"--size 2000000x10 -o a.svg", "pixels a side"},
    };
    for (const auto& c : cases) {
        const std::string& args = c.args;
        const Outcome r = run(args);
        EXPECT_EQ(r.code, 2) << args << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"folder.png"}) << args;
    }
}

// What the words ask for and do not get is said on standard error, and
// what is drawn is what the warning says; --quiet says nothing.
TEST_F(RenderCli, WarningsSayWhatTheWordsDraw) {
    const std::string warning = "polytree-render: warning: ";
    const std::string form = "B, L or G and a whole number, such as B5, L4 or G3";
    const std::string bound = "B40 L99 is drawn with 3 levels: more would be over 1048576 line segments a frame, "
                              "the work bound\n";
    const struct {
        const char* args;
        std::string says;   // all of standard error
        const char* draws;  // the same picture from these
    } rows[] = {
        {"B 5", warning + "'B' is read as B3, the default: an option word is " + form + "\n" + warning +
                    "ignoring '5': not an option word (" + form + ")\n",
         "B3 L7"},
        {"5 branches=5 G9",
         warning + "ignoring '5': not an option word (" + form + ")\n" + warning +
             "'branches=5' is read as B3, the default: an option word is " + form + "\n" + warning +
             "'G9' is read as G3, the default: display modes are G1 to G5\n",
         "B3 L7"},
        {"B40 L99", warning + bound, "B40 L3"},
        {"--view 'B40 L99 x v1 pitch:10'", warning + "ignoring 'x': not an option word (" + form + ")\n" + warning + bound,
         "--view 'B40 L3 v1 pitch:10'"},
        {"B5 L4", "", nullptr},
        {"-q B 5 B40 L99", "", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const Outcome r = run(std::string(row.args) + " --size 64x48 -o said.png");
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, row.says);
        if (row.draws == nullptr || !render(std::string(row.draws) + " --size 64x48 -o drawn.png")) continue;
        EXPECT_EQ(file_bytes(dir_ / "said.png"), file_bytes(dir_ / "drawn.png"));
    }
}

// A terminal sees the progress and the warnings, none of them with
// --quiet (errors still), and is refused as the picture's standard output.
TEST_F(RenderCli, QuietIsQuietOnATerminal) {
    const struct {
        const char* args;
        std::vector<const char*> says;  // nothing else with --quiet
    } rows[] = {
        {"B 5 L3 G1 --frames 20 -o a.gif", {"warning: 'B' is read as B3", "frames [", "exit 0"}},
        {"-q B 5 L3 G1 --frames 20 -o a.gif", {"exit 0"}},
        {"-q --format png -o -", {"standard output is a terminal", "exit 2"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        // script gives the program a terminal for standard output and error.
        const std::string out = capture("cd " + dir_.string() + " && script -qec '" + POLYTREE_RENDER + " " +
                                        row.args + "' /dev/null; echo \"exit $?\"");
        for (const char* text : row.says) EXPECT_NE(out.find(text), std::string::npos) << out;
        if (row.says.size() == 1) {
            EXPECT_EQ(out, "exit 0\n");
        }
    }
}

// --no-clobber leaves a file in the way as it is and draws nothing (exit
// 3); with --resume the frames it keeps are not in the way. A file that
// appears while the output is drawn is left as it is too.
TEST_F(RenderCli, NoClobberReplacesNothing) {
    const std::string renderer = std::string(POLYTREE_RENDER) + " L3 G1 ";
    const struct {
        std::string before;  // run in the test's folder
        const char* args;
        int code;
        std::vector<std::string> files;
    } rows[] = {
        {"echo mine >a.png", "-o a.png", 3, {"a.png"}},
        {"echo mine >f-1.png", "--frames 3 -o 'f-%d.png'", 3, {"f-1.png"}},
        {"echo mine >f-1.png", "--frames 3 --resume -o 'f-%d.png'", 3, {"f-1.png"}},
        {renderer + "--frame 1 -o f-1.png", "--frames 3 --resume -o 'f-%d.png'", 0, {"f-0.png", "f-1.png", "f-2.png"}},
        {"true", "-o a.png", 0, {"a.png"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before + " then " + row.args);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ASSERT_EQ(std::system(("cd " + dir_.string() + " && " + row.before).c_str()), 0);
        const std::string mine = row.before.rfind("echo mine >", 0) == 0 ? row.before.substr(11) : "";
        EXPECT_EQ(run(std::string("-n L3 G1 ") + row.args).code, row.code);
        EXPECT_EQ(files_in(dir_), row.files);
        if (!mine.empty()) {
            EXPECT_EQ(file_bytes(dir_ / mine), "mine\n");
        }
    }
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const pid_t pid = start("-n L7 G2 --frames 100 -o v.gif");
    const auto under_way = [this] {  // frames have reached the temporary file
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.file_size() > 4096) return true;
        }
        return false;
    };
    for (int i = 0; i < 3000 && !under_way(); ++i) usleep(10000);
    std::ofstream(dir_ / "v.gif") << "mine\n";
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(files_in(dir_), std::vector<std::string>{"v.gif"});
    EXPECT_EQ(file_bytes(dir_ / "v.gif"), "mine\n");
}

// -o - gives what a file gives, and nothing else goes to standard output:
// a PNG's pixels as Pillow reads them, a WebM's and PNG frames' as FFmpeg
// decodes them, a GIF's and an SVG's very bytes.
TEST_F(RenderCli, StandardOutputTakesWhatAFileTakes) {
    const std::string pixels = std::string(PIL_PYTHON) +
                               " -c 'import sys, hashlib; from PIL import Image; f = sys.argv[1]; "
                               "im = Image.open(sys.stdin.buffer if f == \"-\" else f); "
                               "print(*im.size, hashlib.md5(im.tobytes()).hexdigest())' {}";
    const std::string frames = "ffmpeg -v error -i {} -f framemd5 -";
    const std::string bytes = "cat {} | md5sum";
    const struct {
        const char* flags;
        const char* format;
        const char* file;
        const std::string& reader;
        int frames;  // lines of framemd5's
    } rows[] = {
        {"", "png", "a.png", pixels, 0},
        {"--frames 3", "png", "f-%d.png", frames, 3},
        {"--frames 3", "gif", "a.gif", bytes, 0},
        {"--frames 4", "webm", "a.webm", frames, 4},
        {"", "svg", "a.svg", bytes, 0},
    };
    const auto read = [](std::string command, const std::string& file) {
        for (std::size_t at; (at = command.find("{}")) != std::string::npos;) command.replace(at, 2, file);
        return command;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.flags) + " " + row.format);
        const std::string flags = std::string("B3 L5 G2 ") + row.flags;
        if (!render(flags + " -o '" + row.file + "'")) continue;
        const std::string from_file = capture("cd " + dir_.string() + " && " + read(row.reader, row.file));
        const std::string piped = capture("cd " + dir_.string() + " && " + POLYTREE_RENDER + " " + flags +
                                          " --format " + row.format + " -o - | " + read(row.reader, "-"));
        EXPECT_FALSE(from_file.empty());
        EXPECT_EQ(piped, from_file);
        std::size_t decoded = 0;
        for (std::size_t at = 0; (at = from_file.find("\n0,", at)) != std::string::npos; ++at) ++decoded;
        EXPECT_EQ(decoded, static_cast<std::size_t>(row.frames));
    }
}

// --help and --version need neither a display nor GL; the manual page
// lists every flag that --help lists, and each exit status as the
// program returns it.
TEST(RenderCliHelp, AnswersWithoutADisplayAndAgreesWithItsManual) {
    const std::string bare = std::string("env -u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent ") +
                             POLYTREE_RENDER;
    const std::string help = capture(bare + " --help; echo \"exit $?\"");
    const std::string version = capture(bare + " --version; echo \"exit $?\"");
    EXPECT_NE(help.find("\nExamples:\n"), std::string::npos) << help;
    EXPECT_EQ(help.substr(help.size() - 7), "exit 0\n");
    EXPECT_EQ(version.rfind("polytree-render ", 0), 0U) << version;
    EXPECT_EQ(std::count(version.begin(), version.end(), '\n'), 2) << version;
    EXPECT_EQ(version.substr(version.size() - 7), "exit 0\n");

    const std::string page = file_bytes(RENDER_MAN_PAGE);
    int flags = 0;
    for (std::size_t at = 0; (at = help.find("\n  -", at)) != std::string::npos; ++at) {
        std::string names = help.substr(at + 3, help.find_first_of(" \n", at + 3) - at - 3);
        for (std::size_t comma; !names.empty(); names.erase(0, comma == std::string::npos ? comma : comma + 1)) {
            comma = names.find(',');
            const std::string name = names.substr(0, comma);
            EXPECT_NE(page.find("*" + name + "*"), std::string::npos) << name << " is not in the manual page";
            ++flags;
        }
    }
    EXPECT_GT(flags, 25);
    for (const ExitStatus& status : EXIT_STATUSES) {
        const std::string row = "*" + std::to_string(status.code) + (status.plus_signal ? "+N" : "") + "*\n\t" +
                                status.meaning + "\n";
        EXPECT_NE(page.find(row), std::string::npos) << row << "is not in the manual page";
    }
}

// Each kind of video read back by FFmpeg's own tools: codec, size, pixel
// format, colour tags, rate and frame count, and its last frame against the
// still of the same frame number.
TEST_F(RenderCli, VideosHoldTheStillsFramesAsTheirFormatPromises) {
    const struct {
        const char* args;
        int first;
        int frames;
        const char* file;
        const char* codec;
        const char* pixels;
        const char* rate;
        double floor;  // PSNR in dB, measured 24.5-26 at 4:2:0, 38 at 4:4:4
        // With --background none: the alpha decoder, and floors for the
        // alpha's PSNR against the transparent PNG's and for the share of
        // its clear pixels that stay 0 (libvpx codes it lossily: measured
        // 45 dB, 94.5% kept, the rest beside the lines; ProRes keeps it
        // exactly).
        const char* alpha_decoder;
        double alpha_floor;
        int kept_percent;
    } cases[] = {
        {"--frames 5 -o v.mp4", 0, 5, "v.mp4", "h264", "yuv420p", "60/1", 23, nullptr, 0, 0},
        {"--frame 10 --frames 4 --fps 30 -o v:30.webm", 10, 4, "v:30.webm", "vp9", "yuv420p", "30/1", 23, nullptr, 0, 0},
        {"--frames 3 --full-colour -o v.webm", 0, 3, "v.webm", "vp9", "yuv444p", "60/1", 37, nullptr, 0, 0},
        {"--frame 7 --frames 3 --lossless -o v.webm", 7, 3, "v.webm", "vp9", "gbrp", "60/1", INFINITY, nullptr, 0, 0},
        {"--frames 3 --background none -o a.webm", 0, 3, "a.webm", "vp9", "yuv420p", "60/1", 23, "libvpx-vp9", 40,
         90},
        {"--frame 4 --frames 2 --background none -o a.mov", 4, 2, "a.mov", "prores", "yuva444p12le", "60/1", 37, "",
         INFINITY, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        if (!render(std::string("B3 L5 G2 ") + c.args)) continue;
        const fs::path video = dir_ / c.file;
        std::map<std::string, std::string> f = probe(video);
        EXPECT_EQ(f["codec_name"], c.codec);
        EXPECT_EQ(f["width"] + "x" + f["height"], "320x240");
        EXPECT_EQ(f["pix_fmt"], c.pixels);
        EXPECT_EQ(f["r_frame_rate"], c.rate);
        EXPECT_EQ(f["nb_read_frames"], std::to_string(c.frames));
        const bool rgb = std::string(c.pixels) == "gbrp";
        EXPECT_EQ(f["color_space"], rgb ? "gbr" : "bt709");
        EXPECT_EQ(f["color_range"], rgb ? "pc" : "tv");
        EXPECT_EQ(f["color_primaries"], "bt709");
        if (!rgb) {
            EXPECT_EQ(f["color_transfer"], "bt709");
        }
        if (video.extension() == ".mp4") {
            const std::string bytes = file_bytes(video);
            EXPECT_LT(bytes.find("moov"), bytes.find("mdat")) << "the index is not at the front";
        }
        const int last = c.first + c.frames - 1;
        if (!render("B3 L5 G2 --frame " + std::to_string(last) + " -o still.png")) continue;
        const Image still = read_png(dir_ / "still.png");
        const Image frame = decoded_frame(video, c.frames - 1, 320, 240);
        ASSERT_EQ(frame.width, 320) << "no frame " << c.frames - 1 << " decoded";
        if (c.floor == INFINITY) {
            EXPECT_TRUE(frame.rgb == still.rgb) << "lossless, yet " << psnr(still, frame) << " dB";
        } else {
            EXPECT_GE(psnr(still, frame), c.floor);
        }
        if (c.alpha_decoder == nullptr) continue;
        if (video.extension() == ".webm") {
            EXPECT_EQ(capture("ffprobe -v error -show_entries stream_tags=alpha_mode -of default=nw=1:nk=1 " +
                              video.string()),
                      "1\n");
        }
        if (!render("B3 L5 G2 --background none --frame " + std::to_string(last) + " -o clear.png")) continue;
        const std::vector<unsigned char> rgba = read_rgba(dir_ / "clear.png");
        const std::string alpha = decoded_alpha(video, c.frames - 1, c.alpha_decoder);
        ASSERT_EQ(alpha.size() * 4, rgba.size()) << "no alpha decoded";
        Image expected;
        Image decoded;
        int kept_clear = 0;
        int clear = 0;
        for (std::size_t i = 0; i < alpha.size(); ++i) {
            expected.rgb.push_back(rgba[4 * i + 3]);
            decoded.rgb.push_back(static_cast<unsigned char>(alpha[i]));
            clear += rgba[4 * i + 3] == 0 ? 1 : 0;
            kept_clear += rgba[4 * i + 3] == 0 && alpha[i] == 0 ? 1 : 0;
        }
        const double alpha_psnr = psnr(expected, decoded);
        std::printf("%s: alpha %.1f dB, %d of %d clear pixels kept at 0\n", c.file, alpha_psnr, kept_clear, clear);
        EXPECT_GE(alpha_psnr, c.alpha_floor);
        EXPECT_GE(kept_clear * 100L, clear * static_cast<long>(c.kept_percent));
    }
}

// Every format of the outputs table, chosen by its extension (a still's
// also as numbered frames, the extension in capitals), and each file
// written known for what it is by that format's own reader: what the reader
// says it found, the picture's size and the file's frames.
TEST_F(RenderCli, EveryOutputFormatIsWhatItsOwnReaderFinds) {
    const std::string pillow = std::string(PIL_PYTHON) +
                               " -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                               "print(im.format, *im.size, getattr(im, \"n_frames\", 1))' ";
    const std::string ffprobe =
        "ffprobe -v error -count_frames -show_entries stream=codec_name,width,height,nb_read_frames "
        "-of default=nw=1:nk=1 ";
    const std::map<std::string, std::pair<std::string, std::string>> readers = {
        {".png", {pillow + "{}", "PNG 128 128 1"}},
        {".gif", {pillow + "{}", "GIF 128 128 2"}},
        {".mp4", {ffprobe + "{}", "h264 128 128 2"}},
        {".webm", {ffprobe + "{}", "vp9 128 128 2"}},
        {".mov", {ffprobe + "{}", "prores 128 128 2"}},
        {".svg", {"rsvg-convert {} -o {}.png && " + pillow + "{}.png", "PNG 128 128 1"}},
        {".pdf", {"pdftoppm -png -r 96 -singlefile {} {} && " + pillow + "{}.png", "PNG 128 128 1"}},
    };
    for (const OutputFormat& format : OUTPUT_FORMATS) {
        SCOPED_TRACE(format.extension);
        const auto reader = readers.find(format.extension);
        ASSERT_NE(reader, readers.end()) << "no reader for this format's files";
        std::string capitals = format.extension;
        for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::map<std::string, std::vector<std::string>> runs = {
            {std::string(format.animation ? "--frames 2 " : "") + "-o out" + format.extension,
             {std::string("out") + format.extension}}};
        if (!format.animation) runs["--frames 2 -o 'n-%d" + capitals + "'"] = {"n-0" + capitals, "n-1" + capitals};
        for (const auto& [args, files] : runs) {
            if (!render("B3 L3 G1 " + args)) continue;
            for (const std::string& file : files) {
                std::string command = reader->second.first;
                for (std::size_t at; (at = command.find("{}")) != std::string::npos;) command.replace(at, 2, file);
                std::string found = capture("cd " + dir_.string() + " && " + command);
                std::replace(found.begin(), found.end(), '\n', ' ');
                EXPECT_EQ(found, reader->second.second + " ") << file;
            }
        }
    }
}

// A video interrupted half-way leaves nothing, under its name or any other.
TEST_F(RenderCli, AnInterruptedVideoLeavesNothing) {
    for (int signal_number : {SIGINT, SIGTERM}) {
        const pid_t pid = start("B3 L7 G2 --frames 100000 -o v.mp4");
        const int status = interrupt(pid, signal_number, [this] {
            // Under way: frames have reached the temporary file.
            for (const auto& entry : fs::directory_iterator(dir_)) {
                if (entry.path().filename().string().rfind(".v.mp4.", 0) == 0 && entry.file_size() > 4096) return true;
            }
            return false;
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << status;
        EXPECT_EQ(files_in(dir_), std::vector<std::string>{}) << signal_number;
    }
}

// Numbered frames split into two ranges by the README's GNU Parallel
// command are byte for byte one run's; a run killed half-way leaves only
// complete frames, and --resume completes it without redrawing them.
// The text a PNG keeps under a key, as libpng reads it.
std::string text_in(const fs::path& path, const std::string& key = "polytree-view") {
    std::string view;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_textp texts = nullptr;
        const int count = png_get_text(png, info, &texts, nullptr);
        for (int i = 0; i < count; ++i) {
            if (std::string(texts[i].key) == key) view = texts[i].text;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return view;
}

// A PNG, still or numbered frame, keeps the view of its own frame: given
// back as --view, as the words, or through --view-of, it draws the same
// file byte for byte; flags beside it override their fields, and a picture
// that keeps no view is refused.
TEST_F(RenderCli, ViewsKeptInPicturesRedrawThemExactly) {
    const std::string flags = "B5 L4 --frame 20 --pitch 20 --yaw 35 --camera 1.617,-1.026,-2.309 --size 320x240";
    if (!render(flags + " -o first.png")) return;
    const std::string view = text_in(dir_ / "first.png");
    EXPECT_EQ(view.rfind("B5 L4 G3 v1 pitch:20 yaw:35 camera:1.617,-1.026,-2.309 twist:0.349065850398", 0), 0U)
        << view;
    const struct {
        std::string args;
        const char* like;
    } rows[] = {
        {"--view '" + view + "' --size 320x240", "first.png"},
        {view + " --size 320x240", "first.png"},
        {"--view-of first.png", "first.png"},
        {"--view-of first.png --frame 0 --pitch 0 --yaw 0 --camera 0,0,-3.5 B3 L7", "start.png"},
        {"--view-of f-21.png", "f-21.png"},
    };
    if (!render("--size 320x240 -o start.png")) return;
    if (!render(flags + " --frames 3 -o 'f-%d.png'")) return;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        if (!render(row.args + " -o again.png")) continue;
        EXPECT_EQ(file_bytes(dir_ / "again.png"), file_bytes(dir_ / row.like));
    }
    ASSERT_EQ(std::system(("convert -size 4x4 xc:black " + (dir_ / "plain.png").string()).c_str()), 0);
    const Outcome plain = run("--view-of plain.png -o again.png");
    EXPECT_EQ(plain.code, 2);
    EXPECT_NE(plain.err.find("keeps no view"), std::string::npos) << plain.err;
}

// What a reader prints as tab-parted key=value fields, a line each.
std::vector<std::map<std::string, std::string>> fields_of(const std::string& lines) {
    std::vector<std::map<std::string, std::string>> rows;
    std::size_t start = 0;
    for (std::size_t end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        std::map<std::string, std::string>& row = rows.emplace_back();
        const std::string line = lines.substr(start, end - start);
        for (std::size_t a = 0, b; a < line.size(); a = b + 1) {
            b = std::min(line.find('\t', a), line.size());
            const std::string field = line.substr(a, b - a);
            const std::size_t equals = field.find('=');
            row[field.substr(0, equals)] = equals == std::string::npos ? "" : field.substr(equals + 1);
        }
    }
    return rows;
}

// Whether at least 99% of the marked pixels of a lie within one pixel of a
// marked pixel of b; how many do, in the message.
::testing::AssertionResult mostly_near(const std::vector<bool>& a, const std::vector<bool>& b, int width,
                                       int height) {
    long marked = 0, near = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!a[static_cast<std::size_t>(y) * width + x]) continue;
            ++marked;
            bool found = false;
            for (int v = std::max(0, y - 1); v <= std::min(height - 1, y + 1) && !found; ++v) {
                for (int u = std::max(0, x - 1); u <= std::min(width - 1, x + 1) && !found; ++u) {
                    found = b[static_cast<std::size_t>(v) * width + u];
                }
            }
            near += found ? 1 : 0;
        }
    }
    if (marked > 100 && near * 100 >= marked * 99) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << near << " of " << marked << " near";
}

// The pixels a PNG shows lit: opaque enough and bright enough.
std::vector<bool> lit_in(const fs::path& png, int threshold) {
    const std::vector<unsigned char> rgba = read_rgba(png);
    std::vector<bool> lit(rgba.size() / 4);
    for (std::size_t i = 0; i < lit.size(); ++i) {
        const unsigned char* p = &rgba[4 * i];
        lit[i] = p[3] > threshold && std::max({p[0], p[1], p[2]}) > threshold;
    }
    return lit;
}

// The SVG as rsvg-convert draws it and the PDF as pdftoppm does, at the
// picture's size, lie on the PNG still of the same view, and it on them;
// neither needs GL. Views whole, and cut by the near plane and the edges.
TEST_F(RenderCli, VectorFilesLieOnTheStillOfTheirView) {
    const char* const views[] = {
        "B3 L7",
        "B5 L4 --frame 20 --camera 0,-0.35,-2.2",
        "B3 L9 --frame 10 --yaw 70 --camera 0.3,-0.2,-0.4 --size 500x300",
    };
    const std::string no_egl = "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent";
    for (const char* view : views) {
        SCOPED_TRACE(view);
        if (!render(std::string(view) + " -o still.png")) continue;
        if (!render(std::string(view) + " -o lines.svg", no_egl)) continue;
        if (!render(std::string(view) + " --background black -o lines.pdf", no_egl)) continue;
        const Image still = read_png(dir_ / "still.png");
        const std::string size = std::to_string(still.width) + " " + std::to_string(still.height);
        ASSERT_EQ(std::system(("cd " + dir_.string() + " && rsvg-convert lines.svg -o svg.png && pdftoppm -png " +
                               "-singlefile -scale-to-x " + size.substr(0, size.find(' ')) + " -scale-to-y " +
                               size.substr(size.find(' ') + 1) + " lines.pdf pdf")
                                  .c_str()),
                  0);
        const std::vector<bool> lit = lit_in(dir_ / "still.png", 0);
        for (const char* drawn : {"svg.png", "pdf.png"}) {
            SCOPED_TRACE(drawn);
            const Image image = read_png(dir_ / drawn);
            ASSERT_EQ(image.width, still.width);
            ASSERT_EQ(image.height, still.height);
            const std::vector<bool> inked = lit_in(dir_ / drawn, 40);
            EXPECT_TRUE(mostly_near(lit, inked, still.width, still.height)) << "the still's pixels";
            EXPECT_TRUE(mostly_near(inked, lit, still.width, still.height)) << "the file's ink";
        }
    }
}

// An independent reader finds what a plotter's user wants: a numbered
// layer per colour, every segment once, and paths that joining end to end
// and a greedy reordering improve by little; on paper, millimetres.
TEST_F(RenderCli, PlotterFilesComeMergedAndSorted) {
    const struct {
        const char* args;
        const char* page;  // width, height and viewBox
        double margin;
        int trunks, leaves;  // segments
    } rows[] = {
        {"B3 L7 --frame 7", "640px 480px 0 0 640 480", 0, 1093, 2187},
        {"B3 L7 --frame 7 --paper A4", "297mm 210mm 0 0 297 210", 10, 1093, 2187},
        {"B3 L7 --frame 7 --size 300x600 --camera 0,0,-8 --paper 100x400mm --margin 5", "100mm 400mm 0 0 100 400", 5,
         1093, 2187},
        {"B4 L5 --frame 0", "640px 480px 0 0 640 480", 0, 341, 1024},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        if (!render(std::string(row.args) + " -o plot.svg")) continue;
        const auto found = fields_of(capture(std::string(PLOT_READER) + " " + (dir_ / "plot.svg").string()));
        ASSERT_EQ(found.size(), 3U);
        EXPECT_EQ(found[0].at("width") + " " + found[0].at("height") + " " + found[0].at("viewBox"), row.page);
        EXPECT_EQ(found[0].at("clip_paths"), "0");
        EXPECT_EQ(found[1].at("label"), "1 trunks");
        EXPECT_EQ(found[2].at("label"), "2 leaves");
        EXPECT_EQ(found[1].at("segments"), std::to_string(row.trunks));
        EXPECT_EQ(found[2].at("segments"), std::to_string(row.leaves));
        for (std::size_t i = 1; i < found.size(); ++i) {
            const auto& layer = found[i];
            SCOPED_TRACE(layer.at("label"));
            EXPECT_EQ(layer.at("duplicates"), "0");
            double extent[4];
            ASSERT_EQ(std::sscanf(layer.at("extent").c_str(), "%lf,%lf,%lf,%lf", &extent[0], &extent[1], &extent[2],
                                  &extent[3]),
                      4);
            double page[2];
            std::sscanf(found[0].at("viewBox").c_str(), "0 0 %lf %lf", &page[0], &page[1]);
            for (int k = 0; k < 4; ++k) {
                EXPECT_GE(extent[k], row.margin) << "inside the margin";
                EXPECT_LE(extent[k], page[k % 2] - row.margin) << "inside the margin";
            }
            EXPECT_GE(std::stod(layer.at("merged")), 0.98 * std::stod(layer.at("paths")));
            EXPECT_GE(std::stod(layer.at("resorted")), 0.9 * std::stod(layer.at("travel")));
            std::printf("%s, %s: %s paths (joined: %s), pen-up travel %s (greedy anew: %s)\n", row.args,
                        layer.at("label").c_str(), layer.at("paths").c_str(), layer.at("merged").c_str(),
                        layer.at("travel").c_str(), layer.at("resorted").c_str());
        }
    }
    // Numbered frames are the stills of their frame numbers.
    if (!render("B3 L4 --frame 5 --frames 2 -o 'f-%d.svg'") || !render("B3 L4 --frame 6 -o six.svg")) return;
    EXPECT_EQ(file_bytes(dir_ / "f-6.svg"), file_bytes(dir_ / "six.svg"));
}

TEST_F(RenderCli, FrameRangesAndResumedRunsMakeTheSameFiles) {
    fs::create_directories(dir_ / "full");
    if (!render("B3 L5 G1 --frames 10 -o 'full/f-%03d.png'")) return;
    ASSERT_EQ(files_in(dir_ / "full").size(), 10U);

    const std::string farm = "cd " + dir_.string() + " && seq -f %04g 0 5 9 | parallel --will-cite -j2 'mkdir -p part-{} && " +
                             POLYTREE_RENDER + " B3 L5 G1 --frame {} --frames 5 --resume -o \"part-{}/f-%03d.png\"'";
    ASSERT_EQ(std::system(farm.c_str()), 0) << farm;
    for (int i = 0; i < 10; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "f-%03d.png", i);
        const fs::path part = dir_ / (i < 5 ? "part-0000" : "part-0005") / name;
        EXPECT_EQ(file_bytes(part), file_bytes(dir_ / "full" / name)) << part;
    }
    const std::string join = "cd " + dir_.string() +
                             " && ffmpeg -v error -framerate 60 -pattern_type glob -i 'part-*/f-*.png' "
                             "-vf scale=out_color_matrix=bt709:out_range=tv -c:v libx264 -crf 18 -pix_fmt yuv420p "
                             "-colorspace bt709 -color_primaries bt709 -color_trc bt709 -movflags +faststart j.mp4";
    ASSERT_EQ(std::system(join.c_str()), 0) << join;
    EXPECT_EQ(probe(dir_ / "j.mp4")["nb_read_frames"], "10");

    // Killed half-way, then resumed.
    const std::string frames = "B3 L9 G2 --frames 30 -o 'run/f-%02d.png'";
    fs::create_directories(dir_ / "run");
    const int status = interrupt(start(frames), SIGTERM, [this] { return fs::exists(dir_ / "run" / "f-02.png"); });
    EXPECT_NE(status, 0);
    std::vector<std::string> kept = files_in(dir_ / "run");
    ASSERT_LT(kept.size(), 30U) << "the run ended before it was killed";
    for (const std::string& name : kept) {
        EXPECT_EQ(read_png(dir_ / "run" / name).width, 320) << name << " is not a complete frame";
    }
    // What else a resumed run meets: a frame drawn with other words, one
    // drawn by another driver (Mesa reporting another GL version), a
    // killed run's temporary file, and another range's.
    ASSERT_TRUE(render("B3 L2 G2 --frame 29 -o run/f-29.png"));
    ASSERT_TRUE(render("B3 L9 G2 --frame 27 -o run/f-27.png"));
    const std::string this_driver = text_in(dir_ / "run" / "f-27.png", "polytree-drawn-by");
    ASSERT_TRUE(render("B3 L9 G2 --frame 27 -o run/f-27.png", "MESA_GL_VERSION_OVERRIDE=3.3COMPAT"));
    ASSERT_NE(text_in(dir_ / "run" / "f-27.png", "polytree-drawn-by"), this_driver);
    std::ofstream(dir_ / "run" / ".f-28.png.Ab12Cd") << "half";
    std::ofstream(dir_ / "run" / ".f-30.png.Ef34Gh") << "another run's";
    struct stat before{};
    stat((dir_ / "run" / "f-00.png").c_str(), &before);
    if (!render(frames + " --resume")) return;
    kept = files_in(dir_ / "run");
    EXPECT_EQ(kept.size(), 31U);
    EXPECT_EQ(kept.front(), ".f-30.png.Ef34Gh");
    struct stat after{};
    stat((dir_ / "run" / "f-00.png").c_str(), &after);
    EXPECT_TRUE(before.st_mtim.tv_sec == after.st_mtim.tv_sec && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec)
        << "a complete frame was drawn again";
    if (!render("B3 L9 G2 --frame 29 -o still.png")) return;
    EXPECT_TRUE(read_png(dir_ / "run" / "f-29.png").rgb == read_png(dir_ / "still.png").rgb)
        << "a frame of other words was kept";
    EXPECT_EQ(text_in(dir_ / "run" / "f-27.png", "polytree-drawn-by"), this_driver)
        << "a frame of another driver was kept";
    // Transparency is part of a frame's pixels: the opaque frames go.
    if (!render(frames + " --resume --background none")) return;
    EXPECT_EQ(read_rgba(dir_ / "run" / "f-00.png").at(3), 0) << "an opaque frame was kept";
}

}  // namespace
