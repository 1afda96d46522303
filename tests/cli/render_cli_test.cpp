#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

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
#include <set>
#include <string>
#include <vector>

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

    // Runs the renderer in the test's own folder, as a shell would.
    Outcome run(const std::string& args) {
        const fs::path err = dir_.parent_path() / (dir_.filename().string() + ".stderr");
        const std::string command = "cd " + dir_.string() + " && " + POLYTREE_RENDER + " " + args + " 2>" +
                                    err.string() + " >/dev/null";
        const int status = std::system(command.c_str());
        std::ifstream in(err);
        Outcome r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
        fs::remove(err);
        return r;
    }

    // Runs the renderer where a picture is expected.
    bool render(const std::string& args) {
        const Outcome r = run(args);
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
        View view;
    } cases[] = {
        {"", 0, View{0, 0, -3.5, 0, 0, 640, 480}},
        {"--frame 030", 30, View{0, 0, -3.5, 0, 0, 640, 480}},  // base ten, not octal
        {"--frame 75 --pitch 10 --yaw -20 --camera 0.2,-0.1,-3 --size 500x400", 75,
         View{0.2, -0.1, -3, 10, -20, 500, 400}},
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
        {"--yaw", "--yaw"},
        {"L3", "nothing to do"},
        {"-o missing/a.png", "missing/a.png"},
        {"-o folder.png", "folder.png"},
        {"--size 1000000x10 -o a.png", "limit"},
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

}  // namespace
