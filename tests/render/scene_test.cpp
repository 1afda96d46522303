#include <gtest/gtest.h>

#include <GL/gl.h>

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/options.h"
#include "core/viewer_state.h"
#include "figure_colours.h"
#include "platform/egl_offscreen.h"
#include "projection.h"
#include "render/figure_buffer.h"
#include "render/frame_worker.h"
#include "render/scene.h"
#include "viewer/frame.h"
#include "viewer/viewer_scene.h"
#include "viewer/worker_frame.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kPi = 3.14159265358979323846;

class Image {
public:
    static Image read(int width, int height) {
        Image image(width, height);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels_.data());
        return image;
    }
    // Column x, row y counted from the top as on screen.
    Rgb at(int x, int y) const {
        const std::size_t i = 4 * (static_cast<std::size_t>(height_ - 1 - y) * width_ + x);
        return Rgb{pixels_[i], pixels_[i + 1], pixels_[i + 2]};
    }
    int width() const { return width_; }
    int height() const { return height_; }
    bool operator==(const Image& other) const { return pixels_ == other.pixels_; }
    int differing_pixels(const Image& other) const {
        int differing = 0;
        for (std::size_t i = 0; i < pixels_.size(); i += 4) {
            if (!std::equal(&pixels_[i], &pixels_[i] + 4, &other.pixels_[i])) ++differing;
        }
        return differing;
    }

private:
    Image(int width, int height) : width_(width), height_(height), pixels_(4u * width * height) {}
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

// The projection of the current camera onto the test's picture.
Pixel project(double x, double y, double z) {
    return project_point(Sight{viewer.cam_x, viewer.cam_y, viewer.cam_z, viewer.pitch, viewer.yaw, kWidth, kHeight},
                         x, y, z);
}

// The ways of drawing a figure, each against immediate mode's picture:
// GL 1.1 client arrays in the same context, and the web page's vertex
// buffer in an OpenGL ES 3 context of its own on the same driver.
enum class Path { immediate, arrays, buffer };

class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        gl_ = std::make_unique<OffscreenGl>();
        if (!gl_->has_display()) {
            if (std::getenv("POLYTREE_REQUIRE_GL") != nullptr) FAIL() << "GL required: " << gl_->why();
            GTEST_SKIP() << "no EGL display for an off-screen GL context: " << gl_->why();
        }
        ASSERT_TRUE(gl_->ok()) << gl_->why();
        ASSERT_TRUE(gl_->use_framebuffer(kWidth, kHeight)) << gl_->why();
        restart_viewer("");
    }
    void TearDown() override { gl_.reset(); }

    static Image frame() {
        resize_view(kWidth, kHeight);
        setup_gl_state();
        draw_frame();
        return Image::read(kWidth, kHeight);
    }

    Image draw_through(Path path, const Figure& figure, const Camera& camera) {
        if (path == Path::buffer) return draw_through_buffer(figure, camera);
        resize_view(kWidth, kHeight);
        setup_gl_state();
        FigureArrays arrays;
        if (path == Path::arrays) {
            arrays.fill(figure);
            draw_scene(arrays, camera);
        } else {
            draw_scene(figure, camera);
        }
        return Image::read(kWidth, kHeight);
    }

    // In a GLES 3 context of its own; the test's desktop context is current
    // again after.
    Image draw_through_buffer(const Figure& figure, const Camera& camera) {
        Image image = [&] {
            OffscreenGl es(OffscreenGl::Api::gles3);
            EXPECT_TRUE(es.ok()) << es.why();
            EXPECT_TRUE(es.use_framebuffer(kWidth, kHeight)) << es.why();
            FigureBuffer buffer;
            EXPECT_TRUE(buffer.create()) << buffer.why();
            buffer.resize(kWidth, kHeight, START_SCALE);
            buffer.draw_scene(figure, camera);
            EXPECT_EQ(buffer.segments(), static_cast<int>(segments_per_frame(figure.branches, figure.levels)));
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            return Image::read(kWidth, kHeight);
        }();
        EXPECT_TRUE(gl_->make_current());
        return image;
    }

    std::unique_ptr<OffscreenGl> gl_;
};

TEST_F(Scene, SetsUpTheFixedGlState) {
    // Start from values the set-up must change, so each check can fail.
    glShadeModel(GL_FLAT);
    glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
    glClearDepth(0.5);
    glDepthFunc(GL_GREATER);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    EXPECT_TRUE(setup_gl_state());

    GLint value = 0;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_FASTEST);
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (float channel : clear) EXPECT_EQ(channel, 0.0f);
    GLfloat depth = 0;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ(depth, 1.0f);
    // Nothing else is switched on.
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

void expect_perspective(double aspect) {
    const double near_plane = static_cast<double>(0.01f);
    const double far_plane = 16.0;
    const double f = 1.0 / std::tan(22.5 * kPi / 180.0);
    double expected[16] = {};
    expected[0] = f / aspect;
    expected[5] = f;
    expected[10] = (far_plane + near_plane) / (near_plane - far_plane);
    expected[11] = -1.0;
    expected[14] = 2.0 * far_plane * near_plane / (near_plane - far_plane);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(projection[i], expected[i], 1e-6) << "element " << i;
}

TEST_F(Scene, ProjectsWithA45DegreePerspective) {
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, 3.0f);  // left-overs the resize must clear
    resize_view(640, 480);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    expect_perspective(4.0 / 3.0);

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0) << "element " << i;
}

TEST_F(Scene, ZeroHeightProjectsAsHeightOne) {
    const int widths[] = {640, 1, 0};
    for (int width : widths) {
        resize_view(width, 0);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], 1);
        GLdouble with_zero[16];
        glGetDoublev(GL_PROJECTION_MATRIX, with_zero);
        resize_view(width, 1);
        GLdouble with_one[16];
        glGetDoublev(GL_PROJECTION_MATRIX, with_one);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(with_zero[i], with_one[i]) << "width " << width << " element " << i;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(Scene, DefaultFrameShowsTheBrownTrunkAndGreenLeavesOnBlack) {
    const Image image = frame();

    // The main trunk's lower end, (0, -1, 0) to (0, -0.9, 0), is clear of leaves.
    const Pixel bottom = project(0, -1, 0);
    const Pixel upper = project(0, -0.9, 0);
    ASSERT_NEAR(bottom.x, 320.0, 1e-9);
    int brown_rows = 0;
    for (int y = static_cast<int>(upper.y) + 1; y < static_cast<int>(bottom.y); ++y) {
        if (is_brown(image.at(319, y)) || is_brown(image.at(320, y))) ++brown_rows;
    }
    EXPECT_GE(brown_rows, static_cast<int>(bottom.y - upper.y) - 2);
    // Below the trunk and in the corners there is only background.
    for (int y = static_cast<int>(bottom.y) + 3; y < kHeight; ++y) EXPECT_TRUE(is_black(image.at(320, y))) << y;
    EXPECT_TRUE(is_black(image.at(0, 0)));
    EXPECT_TRUE(is_black(image.at(kWidth - 1, kHeight - 1)));

    int green = 0, brown = 0, other = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb c = image.at(x, y);
            if (is_green(c)) ++green;
            else if (is_brown(c)) ++brown;
            else if (!is_black(c)) ++other;
        }
    }
    EXPECT_GT(green, 2000);
    EXPECT_GT(brown, 165);  // at least the main trunk's length
    EXPECT_EQ(other, 0);
}

// One trunk and a triangle, so every brown pixel belongs to the main trunk.
void expect_trunk_where_projected(const Image& image) {
    const Pixel a = project(0, -1, 0);
    const Pixel b = project(0, 0, 0);
    int brown = 0;
    bool near_a = false, near_b = false;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!is_brown(image.at(x, y))) continue;
            ++brown;
            const Pixel centre{x + 0.5, y + 0.5};
            EXPECT_LT(distance_to_segment(centre, a, b), 1.5) << "stray brown pixel at " << x << "," << y;
            near_a = near_a || std::hypot(centre.x - a.x, centre.y - a.y) < 2.0;
            near_b = near_b || std::hypot(centre.x - b.x, centre.y - b.y) < 2.0;
        }
    }
    EXPECT_GT(brown, 20);
    EXPECT_TRUE(near_a) << "no brown near the trunk's base at " << a.x << "," << a.y;
    EXPECT_TRUE(near_b) << "no brown near the trunk's top at " << b.x << "," << b.y;
}

TEST_F(Scene, CameraAndRotationMoveThePictureAsTransformedOrderPredicts) {
    const struct {
        double cam_x, cam_y, cam_z, pitch, yaw;
    } cases[] = {
        {0.0, 0.0, -3.5, 0.0, 0.0},
        {0.5, 0.0, -3.5, 0.0, 0.0},
        {0.0, 0.3, -2.5, 0.0, 0.0},
        {0.0, 0.0, -3.5, 15.0, 0.0},
        {0.0, 0.0, -3.5, 0.0, 10.0},
        {0.4, -0.2, -3.0, 20.0, 30.0},  // both turns with an offset: their order shows
        {-0.3, 0.4, -3.2, -10.0, -15.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "camera " << c.cam_x << "," << c.cam_y << "," << c.cam_z << " pitch "
                                          << c.pitch << " yaw " << c.yaw);
        init_viewer("L1");
        viewer.cam_x = c.cam_x;
        viewer.cam_y = c.cam_y;
        viewer.cam_z = c.cam_z;
        viewer.pitch = c.pitch;
        viewer.yaw = c.yaw;
        expect_trunk_where_projected(frame());
    }
}

TEST_F(Scene, EachFrameAdvancesTheTwistByOneDegreeUnlessPaused) {
    resize_view(kWidth, kHeight);
    setup_gl_state();
    double expected = 0.0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(draw_frame());
        expected = expected + 0.017453292519943295;
        EXPECT_EQ(viewer.twist, expected) << "after frame " << i + 1;
    }
    viewer.paused = true;
    for (int i = 0; i < 3; ++i) draw_frame();
    EXPECT_EQ(viewer.twist, expected);
    viewer.paused = false;
    draw_frame();
    EXPECT_EQ(viewer.twist, expected + 0.017453292519943295);
}

TEST_F(Scene, PausedFramesAreIdenticalAndRunningFramesAreNot) {
    const Image first = frame();       // drawn at twist 0, then twist 1 degree
    const Image second = frame();      // drawn at 1 degree
    EXPECT_FALSE(first == second);

    viewer.paused = true;
    const Image third = frame();       // drawn at 2 degrees, stays there
    const Image fourth = frame();
    EXPECT_TRUE(third == fourth);

    // A frame is drawn with the twist it had before the call.
    viewer.twist = 0.0;
    EXPECT_TRUE(frame() == first);
}

// The vertex buffer's matrices are the very floats GL 1.1 keeps, for turns
// of every size and sign and for tall, wide and empty viewports: a last-bit
// difference moves a line's end across a pixel's edge now and then.
TEST_F(Scene, BufferMatricesAreThoseOfGluPerspectiveGlRotatefAndGlTranslatef) {
    const Camera cameras[] = {
        start_camera(START_SCALE), {20.0, -30.0, 0.2, -0.1, -2.2}, {75.5, 130.25, -1.3, 0.7, -5.0},
        {-400.0, 1e4 / 3, 3.0, -2.0, 1.0}};
    const int sizes[][2] = {{640, 480}, {128, 1024}, {1920, 1080}, {300, 0}};
    for (const Camera& camera : cameras) {
        for (const auto& size : sizes) {
            SCOPED_TRACE(::testing::Message() << "pitch " << camera.pitch << " yaw " << camera.yaw << " size "
                                              << size[0] << "x" << size[1]);
            resize_view(size[0], size[1]);
            place_camera(camera);
            GLfloat modelview[16];
            GLfloat projection[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
            glGetFloatv(GL_PROJECTION_MATRIX, projection);
            const glm::mat4 camera_floats = camera_matrix(camera);
            const glm::mat4 projection_floats = perspective_matrix(size[0], size[1], START_SCALE);
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(glm::value_ptr(camera_floats)[i], modelview[i]) << "camera element " << i;
                EXPECT_EQ(glm::value_ptr(projection_floats)[i], projection[i]) << "projection element " << i;
            }
        }
    }
}

TEST_F(Scene, EveryDrawingPathGivesImmediateModesPixels) {
    const Camera near = {20.0, -30.0, 0.2, -0.1, -2.2};
    const struct {
        int branches, levels;
        double twist;
        Camera camera;
        Path path;
    } rows[] = {
        {3, 7, 0.0, start_camera(START_SCALE), Path::arrays},
        {3, 7, 0.7, near, Path::arrays},
        {5, 4, 1.3, start_camera(START_SCALE), Path::arrays},
        {5, 4, 2.1, near, Path::arrays},
        {3, 7, 0.0, start_camera(START_SCALE), Path::buffer},
        {3, 7, 0.7, near, Path::buffer},
        {5, 4, 1.3, start_camera(START_SCALE), Path::buffer},
        {5, 4, 2.1, near, Path::buffer},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "B" << row.branches << " L" << row.levels << " twist " << row.twist
                                          << " path " << static_cast<int>(row.path));
        const Figure figure = {row.branches, row.levels, row.twist, START_SCALE};
        const Image expected = draw_through(Path::immediate, figure, row.camera);
        const Image drawn = draw_through(row.path, figure, row.camera);
        EXPECT_EQ(drawn.differing_pixels(expected), 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

// The viewer's frames through the worker, filled a frame ahead: each is
// immediate mode's frame of the same twist, a pause draws the same arrays
// again, and every fill after the first is one made ahead.
TEST_F(Scene, WorkerFramesAreImmediateModesAcrossAPauseAndAResume) {
    init_viewer("B3 L7");
    viewer.cam_y = 0.1;  // off the start camera, so the camera is the viewer's
    FrameWorker worker;
    FrameSequence frames(viewer_view());
    for (int i = 0; i < 8; ++i) {
        viewer.paused = i == 3 || i == 4;
        const Figure figure = figure_of(viewer_view());
        resize_view(kWidth, kHeight);
        setup_gl_state();
        draw_viewer_frame(frames, [&worker](const FrameSequence& f) { draw_current(worker, f); });
        const Image drawn = Image::read(kWidth, kHeight);
        EXPECT_EQ(viewer.twist, viewer.paused ? figure.twist : next_twist(figure.twist)) << "frame " << i;
        EXPECT_EQ(drawn.differing_pixels(draw_through(Path::immediate, figure, viewer_view().camera)), 0)
            << "frame " << i;
    }
    EXPECT_EQ(worker.filled_on_the_spot(), 1);
}

}  // namespace
