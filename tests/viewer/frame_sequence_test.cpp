#include "viewer/frame_sequence.h"

#include <gtest/gtest.h>

namespace {

constexpr double DEGREE = 0.017453292519943295;

View view_at(double twist, bool paused) {
    return View{3, 7, 0, start_camera(START_SCALE), twist, paused};
}

// After three frames drawn: the twist to draw next, the one on screen, and
// the steps the frame on screen is from the first.
TEST(FrameSequence, EachTurningMovesTheTwistByItsOwnRule) {
    struct Row {
        const char* name;
        Turning turning;
        bool paused;
        double next_twist;
        double shown_twist;
        int shown_step;
    };
    const Row rows[] = {
        {"viewer running", Turning::unless_paused, false, 3 * DEGREE, 2 * DEGREE, 2},
        {"viewer paused", Turning::unless_paused, true, 0.5, 0.5, 0},
        {"animation of a paused view", Turning::always, true, 0.5 + 3 * DEGREE, 0.5 + 2 * DEGREE, 2},
        {"saver between clock readings", Turning::by_time, false, 0.5, 0.5, 0},
    };
    for (const Row& row : rows) {
        FrameSequence frames(view_at(row.turning == Turning::unless_paused && !row.paused ? 0.0 : 0.5, row.paused),
                             row.turning, 60);
        EXPECT_FALSE(frames.has_shown()) << row.name;
        EXPECT_EQ(frames.shown_step(), -1) << row.name;
        for (int i = 0; i < 3; ++i) frames.drawn();
        // Sums in the order the viewer adds its degrees, so the bits agree.
        EXPECT_NEAR(frames.current().twist, row.next_twist, 1e-15) << row.name;
        EXPECT_NEAR(frames.shown().twist, row.shown_twist, 1e-15) << row.name;
        EXPECT_EQ(frames.shown_step(), row.shown_step) << row.name;
    }
}

TEST(FrameSequence, TwistIsTheViewersOwnDoubleAfterManyFrames) {
    FrameSequence frames(view_at(0.0, false));
    double viewer_twist = 0.0;
    for (int i = 0; i < 1000; ++i) {
        frames.drawn();
        viewer_twist = next_twist(viewer_twist);
    }
    EXPECT_EQ(frames.current().twist, viewer_twist);
}

TEST(FrameSequence, ClockTurningStaysWithinOneTurn) {
    FrameSequence frames(view_at(0.0, false), Turning::by_time, 60);
    frames.at(1.5);
    EXPECT_DOUBLE_EQ(frames.current().twist, 90 * DEGREE);
    // A saver running for a year: 60 degrees a second, still within a turn.
    frames.at(365.0 * 24 * 3600 + 2.0);
    EXPECT_NEAR(frames.current().twist, 120 * DEGREE, 1e-9);
}

TEST(FrameSequence, CountingFromHereKeepsTheFrameOnScreen) {
    FrameSequence frames(view_at(0.0, false));
    for (int i = 0; i < 5; ++i) frames.drawn();
    EXPECT_EQ(frames.shown_step(), 4);
    frames.replace(view_at(1.0, false));
    frames.count_from_here();
    EXPECT_EQ(frames.shown_step(), 4);
    EXPECT_NEAR(frames.shown().twist, 4 * DEGREE, 1e-15);
    frames.drawn();
    EXPECT_EQ(frames.shown_step(), 0);
    EXPECT_EQ(frames.shown().twist, 1.0);
}

}  // namespace
