#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/egl_offscreen.h"
#include "render/math_constants.h"
#include "render/scene.h"
#include "viewer/saver_frame.h"

namespace {

// Two monitors side by side, as one saver window covers them.
constexpr int kMonitorWidth = 320;
constexpr int kHeight = 240;

std::vector<std::uint8_t> pixels_at(int x) {
    std::vector<std::uint8_t> pixels(4u * kMonitorWidth * kHeight);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, 0, kMonitorWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Each monitor shows the figure as the scene draws it alone, at the twist the
// clock (or the hold) gives: the figure's own pixels are the oracle.
TEST(SaverFrame, EveryMonitorShowsTheFigureOfTheClock) {
    OffscreenGl gl;
    if (!gl.has_display()) {
        if (std::getenv("POLYTREE_REQUIRE_GL") != nullptr) FAIL() << "GL required: " << gl.why();
        GTEST_SKIP() << "no EGL display for an off-screen GL context: " << gl.why();
    }
    ASSERT_TRUE(gl.ok()) << gl.why();
    ASSERT_TRUE(gl.use_framebuffer(2 * kMonitorWidth, kHeight)) << gl.why();
    setup_gl_state();

    const double twist = 30.0 * ONE_DEGREE;
    set_view(0, 0, kMonitorWidth, kHeight, START_SCALE);
    draw_scene(Figure{3, 7, twist, START_SCALE}, start_camera(START_SCALE));
    const std::vector<std::uint8_t> expected = pixels_at(0);
    ASSERT_NE(expected, std::vector<std::uint8_t>(expected.size(), 0)) << "the figure drew nothing";

    const struct {
        const char* name;
        double seconds;
        bool held;
    } cases[] = {
        {"half a second at 60 degrees a second", 0.5, false},
        {"a turn and a half later: within one turn", 6.5, false},
        {"held still, whatever the clock", 100.25, true},
    };
    for (const auto& c : cases) {
        SaverFrame frame(SaverSettings{3, 7, 60});
        if (c.held) frame.hold(twist);
        frame.reshape({{0, 0, kMonitorWidth, kHeight}, {kMonitorWidth, 0, kMonitorWidth, kHeight}});
        frame.draw(c.seconds);
        EXPECT_TRUE(pixels_at(0) == expected) << c.name << ": the first monitor";
        EXPECT_TRUE(pixels_at(kMonitorWidth) == expected) << c.name << ": the second monitor";
    }
}

}  // namespace
