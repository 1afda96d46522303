// The decision after a refused full-screen mode when its answer comes later
// (a dialog on a page) than the question. Asked and answered at once, as the
// .exe's boxes do, it is checked through the window layer (gl_window_test).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/viewer_state.h"
#include "viewer/fallback.h"

namespace {

TEST(Fallback, AnAnswerThatComesLaterGoesOnInAWindowOrTellsTheUserAndGivesUp) {
    const struct {
        bool yes;
        std::vector<std::string> told;
    } cases[] = {
        {true, {}},
        {false, {"ERROR: Program Will Now Close."}},
    };
    for (const auto& c : cases) {
        viewer.fullscreen = true;
        std::vector<std::string> told;
        const bool use_window = fallback_answered(c.yes, [&](const char* caption, const char* text) {
            told.push_back(std::string(caption) + ": " + text);
        });
        EXPECT_EQ(use_window, c.yes);
        EXPECT_EQ(viewer.fullscreen, !c.yes);
        EXPECT_EQ(told, c.told);
    }
}

}  // namespace
