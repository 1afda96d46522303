// The decision after a refused full-screen mode, as the window layers take
// it: asked in a box that blocks until it is answered (polytree.exe's and the
// native viewer's), or asked in a dialog whose answer comes later (a page's).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/viewer_state.h"
#include "viewer/fallback.h"

namespace {

using Shown = std::vector<std::string>;

const std::string QUESTION =
    "Quor GL? The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
const std::string NOTICE = "ERROR: Program Will Now Close.";

TEST(Fallback, YesGoesOnInAWindowNoTellsTheUserAndGivesUp) {
    const struct {
        const char* layer;
        bool answered_later;
        bool yes;
        Shown shown;
    } cases[] = {
        {"box", false, true, {QUESTION}},
        {"box", false, false, {QUESTION, NOTICE}},
        {"dialog", true, true, {QUESTION}},
        {"dialog", true, false, {QUESTION, NOTICE}},
    };
    for (const auto& c : cases) {
        viewer.fullscreen = true;
        Shown shown;
        const auto ask = [&](const char* caption, const char* text) {
            shown.push_back(std::string(caption) + "? " + text);
            return c.yes;
        };
        const auto tell = [&](const char* caption, const char* text) {
            shown.push_back(std::string(caption) + ": " + text);
        };
        bool use_window = false;
        if (c.answered_later) {
            // The layer puts the question itself; nothing is decided before
            // the answer comes.
            ask(texts::FALLBACK_CAPTION, texts::FALLBACK_QUESTION);
            EXPECT_TRUE(viewer.fullscreen) << c.layer;
            use_window = fallback_answered(c.yes, tell);
        } else {
            use_window = fall_back_to_window(ask, tell);
        }
        EXPECT_EQ(use_window, c.yes) << c.layer;
        EXPECT_EQ(viewer.fullscreen, !c.yes) << c.layer;
        EXPECT_EQ(shown, c.shown) << c.layer << (c.yes ? " Yes" : " No");
    }
}

}  // namespace
