// run_viewer end to end against the recording fake: the start-up question,
// the message loop with drawing in idle time, the key commands that reopen
// the window, the help box and the exit codes. Messages go through the
// fake's DispatchMessageA to the real window procedure.
#include "app/run_viewer.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/help_dialog.h"
#include "core/viewer_state.h"
#include "expected_calls.h"
#include "fake_win32.h"
#include "platform/gl_window.h"
#include "tests/viewer/keyboard_test.h"

namespace {

using expected::close_calls;
using expected::joined;
using expected::LOOP;
using expected::open_calls;
using expected::PREPARATION;

class RunViewerTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        fake::reset();
    }

    static void answer_start_question(int answer) { fake::script("MessageBoxA", 1, answer); }

    static void press(WPARAM key) { fake::post(WM_KEYDOWN, key, 0x00010001); }
    static void release(WPARAM key) { fake::post(WM_KEYUP, key, static_cast<LPARAM>(0xC0010001u)); }

    static int run(const char* options = "") { return run_viewer(fake::app_instance(), options); }

    // The log without the message pump and the frames: the window's life.
    static std::vector<std::string> window_life() { return fake::log_without(joined(PREPARATION, LOOP)); }

    // The log after the last message was taken.
    static std::vector<std::string> after_last_message() {
        const std::vector<fake::Call>& calls = fake::calls();
        std::size_t last = 0;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name == "PeekMessageA") last = i + 1;
        }
        return expected::from(fake::log(), last);
    }
};

struct Answer {
    const char* name;
    int answer;
    bool fullscreen;
};

void PrintTo(const Answer& p, std::ostream* os) { *os << p.name; }

class RunViewerStartTest : public RunViewerTest, public ::testing::WithParamInterface<Answer> {};

TEST_P(RunViewerStartTest, AsksFirstThenOpensTheDefaultRowAsAnswered) {
    const Answer a = GetParam();
    answer_start_question(a.answer);

    EXPECT_EQ(0, run());

    EXPECT_EQ(fake::calls().front().text(), expected::start_question());
    EXPECT_EQ(joined({expected::start_question()}, open_calls(viewer.caption, 640, 480, 32, a.fullscreen),
                     close_calls(a.fullscreen)),
              window_life());
    EXPECT_EQ(a.fullscreen, viewer.fullscreen);
}

INSTANTIATE_TEST_SUITE_P(Answers, RunViewerStartTest,
                         ::testing::Values(Answer{"No", IDNO, false}, Answer{"Yes", IDYES, true}),
                         [](const ::testing::TestParamInfo<Answer>& info) { return std::string(info.param.name); });

TEST_F(RunViewerTest, OptionsChooseTheRowOfTheFirstOpening) {
    answer_start_question(IDYES);

    EXPECT_EQ(0, run("B4 G5"));

    EXPECT_EQ(joined({expected::start_question()}, open_calls(viewer.caption, 1024, 768, 32, true),
                     close_calls(true)),
              window_life());
}

TEST_F(RunViewerTest, WindowIsTitledWithTheRestoredCaption) {
    answer_start_question(IDNO);

    run();

    const std::vector<fake::Call> created = fake::calls_of("CreateWindowExA");
    ASSERT_EQ(1u, created.size());
    EXPECT_EQ(fake::quoted(viewer.caption), created[0].args[2]);
    EXPECT_NE(std::string::npos, created[0].args[2].find("PolyTree"));
}

// ---------------------------------------------------------------------------
// A start that fails

struct FailedStart {
    const char* name;
    std::function<void()> arrange;
    int closes;  // closings the failed opening did itself
};

void PrintTo(const FailedStart& p, std::ostream* os) { *os << p.name; }

class RunViewerFailedStartTest : public RunViewerTest, public ::testing::WithParamInterface<FailedStart> {};

TEST_P(RunViewerFailedStartTest, EndsWithExitCodeOneWithoutALoop) {
    GetParam().arrange();

    EXPECT_EQ(1, run());

    EXPECT_EQ(0, fake::count("PeekMessageA"));
    EXPECT_EQ(0, fake::count("draw_frame"));
    EXPECT_EQ(GetParam().closes, fake::count("UnregisterClassA"));
    EXPECT_EQ("\"ERROR\"", fake::calls().back().args.at(2)) << "the last thing is the error box";
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RunViewerFailedStartTest,
    ::testing::Values(
        FailedStart{"ClassRegistration",
                    [] {
                        fake::script("MessageBoxA", 1, IDNO);
                        fake::fail("RegisterClassA");
                    },
                    0},
        FailedStart{"RefusedModeAnsweredNo",
                    [] {
                        fake::script("MessageBoxA", 1, IDYES);
                        fake::fail("ChangeDisplaySettingsA");
                        fake::script("MessageBoxA", 2, IDNO);
                    },
                    0},
        FailedStart{"WindowCreation",
                    [] {
                        fake::script("MessageBoxA", 1, IDNO);
                        fake::fail("CreateWindowExA");
                    },
                    1},
        FailedStart{"DeviceContext",
                    [] {
                        fake::script("MessageBoxA", 1, IDYES);
                        fake::fail("GetDC");
                    },
                    1},
        FailedStart{"ContextActivation",
                    [] {
                        fake::script("MessageBoxA", 1, IDNO);
                        fake::fail("wglMakeCurrent");
                    },
                    1},
        FailedStart{"GlState",
                    [] {
                        fake::script("MessageBoxA", 1, IDNO);
                        fake::fail("setup_gl_state");
                    },
                    1}),
    [](const ::testing::TestParamInfo<FailedStart>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Ways out and exit codes

class RunViewerQuitTest : public RunViewerTest, public ::testing::WithParamInterface<WPARAM> {};

TEST_P(RunViewerQuitTest, QuitMessageEndsWithExitCodeZeroAfterOneClose) {
    answer_start_question(IDYES);
    press('Q');
    fake::idle();
    fake::post(WM_QUIT, GetParam());
    press('W');  // never taken

    EXPECT_EQ(0, run());

    EXPECT_EQ(close_calls(true), after_last_message());
    EXPECT_EQ(1, fake::count("UnregisterClassA"));
    EXPECT_EQ(1, fake::queued());
    // Messages before the quit were translated and dispatched.
    EXPECT_EQ((std::vector<std::string>{fake::text("TranslateMessage", {"window#1, WM_KEYDOWN, 81, 65537"}),
                                        fake::text("DispatchMessageA", {"window#1, WM_KEYDOWN, 81, 65537"})}),
              fake::log_of({"TranslateMessage", "DispatchMessageA"}));
    EXPECT_TRUE(viewer.key_down['Q']);
    // Every look at the queue takes the message off it, for any window.
    for (const fake::Call& call : fake::calls_of("PeekMessageA")) {
        EXPECT_EQ(fake::text("PeekMessageA", {"&msg", "NULL", "0", "0", fake::hex(PM_REMOVE)}), call.text());
    }
}

INSTANTIATE_TEST_SUITE_P(Parameters, RunViewerQuitTest, ::testing::Values(0, 5, 27, ~static_cast<WPARAM>(0)));

TEST_F(RunViewerTest, CloseButtonEndsTheLoopThroughTheQuitMessage) {
    answer_start_question(IDNO);
    fake::post(WM_CLOSE);
    fake::idle(3);

    EXPECT_EQ(0, run());

    EXPECT_EQ(1, fake::count("PostQuitMessage"));
    EXPECT_EQ(1, fake::count("DestroyWindow")) << "only the closing at the end destroys the window";
    EXPECT_EQ(3, fake::queued()) << "the quit is taken before any idle pass";
    EXPECT_EQ(close_calls(false), after_last_message());
    EXPECT_EQ(0, fake::count("draw_frame"));
}

TEST_F(RunViewerTest, EscStopsAfterItsIdlePassWithExitCodeZero) {
    answer_start_question(IDNO);
    press(VK_ESCAPE);  // the last message taken carries 27
    fake::idle();
    press('W');
    fake::idle();

    EXPECT_EQ(0, run());

    EXPECT_EQ(2, fake::queued()) << "nothing is taken after the stop";
    EXPECT_EQ(0, fake::count("draw_frame"));
    EXPECT_EQ(close_calls(false), after_last_message());
    EXPECT_EQ(1, fake::count("UnregisterClassA"));
}

TEST_F(RunViewerTest, EscStillRunsTheKeyCommandsOfItsPass) {
    answer_start_question(IDNO);
    press(VK_ESCAPE);
    press(VK_SPACE);
    fake::idle();

    EXPECT_EQ(0, run());

    EXPECT_TRUE(viewer.paused);
}

TEST_F(RunViewerTest, EscIsIgnoredWhileMinimisedAndHonouredAfterRestoring) {
    answer_start_question(IDNO);
    fake::post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1));
    press(VK_ESCAPE);
    fake::idle(2);
    fake::post(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    fake::idle();  // the press made while minimised is not kept for later
    press(VK_ESCAPE);
    fake::idle();
    press('W');  // left over when the restored pass stops

    EXPECT_EQ(0, run());

    EXPECT_EQ(1, fake::queued());
    EXPECT_EQ(8, fake::count("PeekMessageA"));
    EXPECT_EQ(1, fake::count("draw_frame"));
    EXPECT_EQ(1, fake::count("UnregisterClassA"));
}

// ---------------------------------------------------------------------------
// Drawing in idle time

TEST_F(RunViewerTest, EveryIdlePassDrawsAndPresentsOnTheWindowsContext) {
    answer_start_question(IDNO);
    fake::idle(3);

    EXPECT_EQ(0, run());

    const std::string frame[] = {fake::text("draw_frame", {}), fake::text("SwapBuffers", {"dc#1"})};
    EXPECT_EQ((std::vector<std::string>{frame[0], frame[1], frame[0], frame[1], frame[0], frame[1]}),
              fake::log_of({"draw_frame", "SwapBuffers"}));
    for (const fake::Call& call : fake::calls_of("draw_frame")) EXPECT_EQ(fake::rc(1), call.context);
}

TEST_F(RunViewerTest, NothingIsDrawnWhileMinimised) {
    answer_start_question(IDNO);
    fake::idle();
    fake::post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1));
    fake::idle(2);
    fake::post(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0));  // restored, though without the focus
    fake::idle();

    EXPECT_EQ(0, run());

    EXPECT_EQ(2, fake::count("draw_frame"));
    EXPECT_EQ(2, fake::count("SwapBuffers"));
}

// ---------------------------------------------------------------------------
// Full screen toggle and display-mode keys

class RunViewerToggleTest : public RunViewerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RunViewerToggleTest, F12ReopensTheSameRowTheOtherWay) {
    const bool fullscreen = GetParam();
    answer_start_question(fullscreen ? IDYES : IDNO);
    press(VK_F12);
    fake::idle(2);

    EXPECT_EQ(0, run("G4"));

    EXPECT_EQ(joined({expected::start_question()},
                     joined(open_calls(viewer.caption, 800, 600, 32, fullscreen), close_calls(fullscreen, 1)),
                     joined(open_calls(viewer.caption, 800, 600, 32, !fullscreen, 2), close_calls(!fullscreen, 2))),
              window_life());
    EXPECT_EQ(!fullscreen, viewer.fullscreen);
    // The frame of the pass after the toggle goes to the new window.
    EXPECT_EQ((std::vector<std::string>{fake::text("SwapBuffers", {"dc#1"}), fake::text("SwapBuffers", {"dc#2"})}),
              fake::log_of({"SwapBuffers"}));
}

INSTANTIATE_TEST_SUITE_P(From, RunViewerToggleTest, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return std::string(info.param ? "FullScreen" : "Windowed");
});

TEST_F(RunViewerTest, F12AfterARefusedModeTriesFullScreenAgain) {
    answer_start_question(IDYES);
    fake::fail("ChangeDisplaySettingsA", 1);
    fake::script("MessageBoxA", 2, IDYES);  // use a window instead
    press(VK_F12);
    fake::idle();

    EXPECT_EQ(0, run());

    EXPECT_TRUE(viewer.fullscreen);
    EXPECT_EQ((std::vector<std::string>{expected::display_request(640, 480, 32),
                                        expected::display_request(640, 480, 32),
                                        fake::text("ChangeDisplaySettingsA", {"NULL", "0x0"})}),
              fake::log_of({"ChangeDisplaySettingsA"}));
}

struct ModeKey {
    const char* name;
    WPARAM key;
    const char* options;
    bool fullscreen;
    int row;  // after the key
    int width, height;
    int from_width, from_height;
};

void PrintTo(const ModeKey& p, std::ostream* os) { *os << p.name; }

class RunViewerModeKeyTest : public RunViewerTest, public ::testing::WithParamInterface<ModeKey> {};

TEST_P(RunViewerModeKeyTest, ReopensTheNextOrPreviousRowKeepingTheScreenChoice) {
    const ModeKey m = GetParam();
    answer_start_question(m.fullscreen ? IDYES : IDNO);
    press(m.key);
    fake::idle(2);  // held: one reopening for its one key-down

    EXPECT_EQ(0, run(m.options));

    EXPECT_EQ(m.row, viewer.mode_index);
    EXPECT_EQ(m.fullscreen, viewer.fullscreen);
    EXPECT_EQ(joined({expected::start_question()},
                     joined(open_calls(viewer.caption, m.from_width, m.from_height, 32, m.fullscreen),
                            close_calls(m.fullscreen, 1)),
                     joined(open_calls(viewer.caption, m.width, m.height, 32, m.fullscreen, 2),
                            close_calls(m.fullscreen, 2))),
              window_life());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RunViewerModeKeyTest,
    ::testing::Values(ModeKey{"AddFromRow2", VK_ADD, "", false, 3, 800, 600, 640, 480},
                      ModeKey{"AddFromRow4", VK_ADD, "G5", true, 0, 128, 128, 1024, 768},
                      ModeKey{"SubtractFromRow2", VK_SUBTRACT, "", true, 1, 320, 240, 640, 480},
                      ModeKey{"SubtractFromRow0", VK_SUBTRACT, "G1", false, 4, 1024, 768, 128, 128},
                      ModeKey{"OemPlusFromRow4", VK_OEM_PLUS, "G5", false, 0, 128, 128, 1024, 768},
                      ModeKey{"OemPlusFromRow1", VK_OEM_PLUS, "G2", true, 2, 640, 480, 320, 240},
                      ModeKey{"OemMinusFromRow0", VK_OEM_MINUS, "G1", true, 4, 1024, 768, 128, 128},
                      ModeKey{"OemMinusFromRow3", VK_OEM_MINUS, "G4", false, 2, 640, 480, 800, 600}),
    [](const ::testing::TestParamInfo<ModeKey>& info) { return std::string(info.param.name); });

TEST_F(RunViewerTest, PlusFiveTimesCyclesThroughEveryRow) {
    answer_start_question(IDNO);
    for (int i = 0; i < 5; ++i) {
        press(VK_ADD);
        fake::idle();
    }

    EXPECT_EQ(0, run());

    EXPECT_EQ((std::vector<std::string>{"resize_view(640, 480)", "resize_view(800, 600)", "resize_view(1024, 768)",
                                        "resize_view(128, 128)", "resize_view(320, 240)", "resize_view(640, 480)"}),
              fake::log_of({"resize_view"}));
    EXPECT_EQ(2, viewer.mode_index);
}

struct ReopenFailure {
    const char* name;
    WPARAM key;
    const char* failing;  // its second call, the one of the reopening, fails
    const char* message;
};

void PrintTo(const ReopenFailure& p, std::ostream* os) { *os << p.name; }

class RunViewerReopenFailureTest : public RunViewerTest, public ::testing::WithParamInterface<ReopenFailure> {};

// The failed opening has closed what it had; nothing is closed again and no
// later command of the pass runs on the missing window.
TEST_P(RunViewerReopenFailureTest, EndsWithExitCodeOneWithoutAnotherClose) {
    const ReopenFailure r = GetParam();
    answer_start_question(IDNO);
    fake::fail(r.failing, 2);
    fake::dialog_input(WM_COMMAND, IDOK);
    press(r.key);
    press(VK_F1);
    press(VK_SPACE);
    fake::idle();
    press('W');

    EXPECT_EQ(1, run());

    EXPECT_EQ(2, fake::count("UnregisterClassA"));
    EXPECT_EQ(2, fake::count("CreateWindowExA"));
    // F1 comes after F12 in the pass but before the row keys.
    EXPECT_EQ(r.key == VK_F12 ? 0 : 1, fake::count("DialogBoxParamA"));
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(expected::error_box(r.message), fake::calls().back().text());
    EXPECT_EQ(1, fake::queued());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RunViewerReopenFailureTest,
    ::testing::Values(ReopenFailure{"F12", VK_F12, "CreateWindowExA", "Window Creation Error."},
                      ReopenFailure{"Subtract", VK_SUBTRACT, "wglCreateContext", "Can't Create A GL Rendering Context."},
                      ReopenFailure{"OemMinus", VK_OEM_MINUS, "SetPixelFormat", "Can't Set The PixelFormat."}),
    [](const ::testing::TestParamInfo<ReopenFailure>& info) { return std::string(info.param.name); });

TEST_F(RunViewerTest, ReopenIntoARefusedModeAnsweredNoEndsWithExitCodeOne) {
    answer_start_question(IDNO);
    fake::fail("ChangeDisplaySettingsA", 1);
    fake::script("MessageBoxA", 2, IDNO);
    press(VK_F12);
    fake::idle();

    EXPECT_EQ(1, run());

    EXPECT_EQ(expected::box("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP), fake::calls().back().text());
    EXPECT_EQ(1, fake::count("UnregisterClassA"));
}

// ---------------------------------------------------------------------------
// Help box and pause

TEST_F(RunViewerTest, F1OpensTheHelpBoxOnceOverTheWindow) {
    answer_start_question(IDNO);
    fake::dialog_input(WM_COMMAND, IDOK);
    press(VK_F1);
    fake::idle(2);

    EXPECT_EQ(0, run());

    EXPECT_EQ((std::vector<std::string>{"draw_frame()",
                                        fake::text("DialogBoxParamA", {"app", "#1001", "window#1", "proc", "0"}),
                                        "EndDialog(dialog#1, 1)", "draw_frame()"}),
              fake::log_of({"draw_frame", "DialogBoxParamA", "EndDialog"}));
    EXPECT_EQ(&help_dialog_proc, fake::last_dialog_proc());
}

struct Presses {
    const char* name;
    const char* turns;  // d: Space goes down (or repeats), u: it comes up, .: an idle pass
    bool paused;
};

void PrintTo(const Presses& p, std::ostream* os) { *os << p.name; }

class RunViewerPauseTest : public RunViewerTest, public ::testing::WithParamInterface<Presses> {};

// However short the press and however long the frame: one key-down, one toggle.
TEST_P(RunViewerPauseTest, SpaceTogglesOncePerKeyDown) {
    answer_start_question(IDNO);
    for (const char* turn = GetParam().turns; *turn != '\0'; ++turn) {
        if (*turn == 'd') press(VK_SPACE);
        if (*turn == 'u') release(VK_SPACE);
        if (*turn == '.') fake::idle();
    }

    EXPECT_EQ(0, run());

    EXPECT_EQ(GetParam().paused, viewer.paused);
}

INSTANTIATE_TEST_SUITE_P(Sequences, RunViewerPauseTest,
                         ::testing::Values(Presses{"Once", "d.", true}, Presses{"HeldWithoutRepeat", "d...", true},
                                           Presses{"Twice", "d.d.", false}, Presses{"RepeatBeforeAPass", "dd.", true},
                                           Presses{"ThreeTimes", "d.d.d.", true}, Presses{"NoPassYet", "d", false},
                                           Presses{"TapBetweenPasses", ".du..", true},
                                           Presses{"TwoTapsInOnePass", "dudu.", true},
                                           Presses{"TapsInTwoPasses", "du.du.", false},
                                           Presses{"HeldThenReleased", "d.u.", true}),
                         [](const ::testing::TestParamInfo<Presses>& info) { return std::string(info.param.name); });

struct Tap {
    const char* name;
    WPARAM key;
    int windows;     // created over the run
    int help_boxes;  // opened
    int row;
    bool paused;
    int frames;  // of the three idle passes
};

void PrintTo(const Tap& t, std::ostream* os) { *os << t.name; }

class RunViewerTapTest : public RunViewerTest, public ::testing::WithParamInterface<Tap> {};

// A key pressed and released before the loop's next idle pass still gives
// its command, exactly once.
TEST_P(RunViewerTapTest, ATapBetweenTwoPassesActsOnce) {
    const Tap t = GetParam();
    answer_start_question(IDNO);
    fake::dialog_input(WM_COMMAND, IDOK);
    fake::idle();
    press(t.key);
    release(t.key);
    fake::idle(2);

    EXPECT_EQ(0, run());

    EXPECT_EQ(t.windows, fake::count("CreateWindowExA"));
    EXPECT_EQ(t.help_boxes, fake::count("DialogBoxParamA"));
    EXPECT_EQ(t.row, viewer.mode_index);
    EXPECT_EQ(t.paused, viewer.paused);
    EXPECT_EQ(t.frames, fake::count("draw_frame"));
    EXPECT_EQ(t.key == VK_F12, viewer.fullscreen);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RunViewerTapTest,
    ::testing::Values(Tap{"F12", VK_F12, 2, 0, 2, false, 3}, Tap{"F1", VK_F1, 1, 1, 2, false, 3},
                      Tap{"Add", VK_ADD, 2, 0, 3, false, 3}, Tap{"Subtract", VK_SUBTRACT, 2, 0, 1, false, 3},
                      Tap{"OemPlus", VK_OEM_PLUS, 2, 0, 3, false, 3}, Tap{"OemMinus", VK_OEM_MINUS, 2, 0, 1, false, 3},
                      Tap{"Space", VK_SPACE, 1, 0, 2, true, 3}, Tap{"Escape", VK_ESCAPE, 1, 0, 2, false, 1}),
    [](const ::testing::TestParamInfo<Tap>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The order of the key commands in one pass

TEST_F(RunViewerTest, KeyCommandsRunInTheTablesOrder) {
    answer_start_question(IDNO);
    fake::dialog_input(WM_COMMAND, IDCANCEL);
    // Pressed in the reverse order: the order of the pass is the table's.
    for (const WPARAM key : {VK_SPACE, VK_OEM_MINUS, VK_OEM_PLUS, VK_SUBTRACT, VK_ADD, VK_LEFT, VK_F1, VK_F12}) {
        press(key);
    }
    fake::idle();

    struct Moment {
        std::string call;
        double yaw;
        bool paused;
        bool fullscreen;
    };
    std::vector<Moment> moments;
    fake::observe([&moments](const fake::Call& call) {
        if (call.name == "resize_view" || call.name == "DialogBoxParamA") {
            moments.push_back(Moment{call.text(), viewer.yaw, viewer.paused, viewer.fullscreen});
        }
    });

    EXPECT_EQ(0, run());

    const std::vector<std::string> order = {
        "resize_view(640, 480)",  // the start
        "resize_view(640, 480)",  // F12: the same row in full screen
        fake::text("DialogBoxParamA", {"app", "#1001", "window#2", "proc", "0"}),
        "resize_view(800, 600)",  // ADD
        "resize_view(640, 480)",  // SUBTRACT
        "resize_view(800, 600)",  // OEM_PLUS
        "resize_view(640, 480)",  // OEM_MINUS
    };
    ASSERT_EQ(order.size(), moments.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i], moments[i].call) << i;
        // Navigation comes after the help box and before the row keys.
        EXPECT_DOUBLE_EQ(i <= 2 ? 0.0 : -1.0, moments[i].yaw) << i;
        // Space comes last.
        EXPECT_FALSE(moments[i].paused) << i;
        EXPECT_EQ(i >= 1, moments[i].fullscreen) << i;
    }
    EXPECT_TRUE(viewer.paused);
    EXPECT_DOUBLE_EQ(-1.0, viewer.yaw);
    EXPECT_EQ(2, viewer.mode_index);
    EXPECT_EQ(6, fake::count("UnregisterClassA"));  // five reopenings and the end
}

}  // namespace
