#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/options.h"
#include "core/viewer_state.h"

namespace {

// Written out here rather than taken from the program, so a wrong scramble
// or a wrong unscramble cannot agree with itself.
const char kExpectedCaption[] = "PolyTree - Polygon Tree Viewer";

TEST(Caption, IsScrambledUntilInitAndReadableAfter) {
    // Before start-up the stored bytes must not read as the caption.
    EXPECT_NE(std::string(viewer.caption, sizeof(kExpectedCaption) - 1), kExpectedCaption);
    // Byte 0 is stored as 'P' ^ 28.
    EXPECT_EQ(static_cast<unsigned char>(viewer.caption[0]), static_cast<unsigned char>('P' ^ 28));

    init_viewer("");
    EXPECT_STREQ(viewer.caption, kExpectedCaption);
    // All 35 bytes come back: everything after the text is NUL padding.
    for (std::size_t i = sizeof(kExpectedCaption); i < CAPTION_SIZE; ++i) {
        EXPECT_EQ(viewer.caption[i], '\0') << "byte " << i;
    }
}

TEST(Caption, IsUnscrambledOnlyOnce) {
    init_viewer("");
    init_viewer("B4");
    init_viewer(nullptr);
    EXPECT_STREQ(viewer.caption, kExpectedCaption);
}

TEST(ViewerState, StartsWithTheDocumentedValues) {
    init_viewer("");
    EXPECT_EQ(viewer.scale, 1.0);
    EXPECT_EQ(viewer.cam_x, 0.0);
    EXPECT_EQ(viewer.cam_y, 0.0);
    EXPECT_EQ(viewer.cam_z, -3.5);
    EXPECT_EQ(viewer.step_x, 0.05);
    EXPECT_EQ(viewer.step_y, 0.05);
    EXPECT_EQ(viewer.step_z, 0.05);
    EXPECT_EQ(viewer.pitch, 0.0);
    EXPECT_EQ(viewer.yaw, 0.0);
    EXPECT_EQ(viewer.pitch_speed, 1.0);
    EXPECT_EQ(viewer.yaw_speed, 1.0);
    EXPECT_EQ(viewer.twist, 0.0);
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(viewer.levels, 7);
    EXPECT_EQ(viewer.branches, 3);
    EXPECT_EQ(viewer.mode_index, 2);
    EXPECT_TRUE(viewer.window_active);
    EXPECT_TRUE(viewer.fullscreen);
    EXPECT_EQ(viewer.last_mouse_x, 0);
    EXPECT_EQ(viewer.last_mouse_y, 0);
    for (int code = 0; code < KEY_COUNT; ++code) EXPECT_FALSE(viewer.key_down[code]) << code;
}

TEST(ViewerState, InitLeavesRunTimeStateAlone) {
    // Only the start-up fields are assigned; what the run changes survives.
    viewer.twist = 1.25;
    viewer.paused = true;
    viewer.fullscreen = false;
    viewer.key_down[65] = true;
    viewer.cam_x = 9.0;
    init_viewer("L3");
    EXPECT_EQ(viewer.twist, 1.25);
    EXPECT_TRUE(viewer.paused);
    EXPECT_FALSE(viewer.fullscreen);
    EXPECT_TRUE(viewer.key_down[65]);
    EXPECT_EQ(viewer.cam_x, 0.0);
    EXPECT_EQ(viewer.levels, 3);
}

}  // namespace
