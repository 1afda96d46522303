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

// init_viewer assigns only the start-up fields, so what the run changed
// survives; a restart (the page's "start again") puts everything back to the
// start values but the caption, which stays readable.
TEST(ViewerState, InitLeavesRunTimeStateAloneAndRestartResetsIt) {
    const struct {
        const char* name;
        void (*start)(const char*);
        bool keeps_run_time_state;
    } rows[] = {{"init_viewer", init_viewer, true}, {"restart_viewer", restart_viewer, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        init_viewer("");
        viewer.twist = 1.25;
        viewer.paused = true;
        viewer.fullscreen = false;
        viewer.window_active = false;
        viewer.key_down[65] = true;
        viewer.key_pressed[32] = true;
        viewer.last_mouse_x = 17;
        viewer.cam_x = 9.0;
        row.start("L3");
        const bool keeps = row.keeps_run_time_state;
        EXPECT_EQ(viewer.twist, keeps ? 1.25 : 0.0);
        EXPECT_EQ(viewer.paused, keeps);
        EXPECT_EQ(viewer.fullscreen, !keeps);
        EXPECT_EQ(viewer.window_active, !keeps);
        EXPECT_EQ(viewer.key_down[65], keeps);
        EXPECT_EQ(viewer.key_pressed[32], keeps);
        EXPECT_EQ(viewer.last_mouse_x, keeps ? 17 : 0);
        EXPECT_EQ(viewer.cam_x, 0.0);
        EXPECT_EQ(viewer.levels, 3);
        EXPECT_STREQ(viewer.caption, kExpectedCaption);
    }
}

}  // namespace
