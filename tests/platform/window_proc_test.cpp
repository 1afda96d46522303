// view_window_proc called as the system calls it: what each message does to
// the viewer state, what reaches the renderer and the system, and what the
// procedure answers.
#include "platform/window_proc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "core/viewer_state.h"
#include "fake_win32.h"
#include "tests/viewer/keyboard_test.h"

namespace {

const HWND WINDOW = fake::window(1);

class WindowProcTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        fake::reset();
        viewer.window_active = true;
        viewer.pitch = 0.0;
        viewer.yaw = 0.0;
        viewer.last_mouse_x = 0;
        viewer.last_mouse_y = 0;
    }

    static LRESULT send(UINT message, WPARAM wparam, LPARAM lparam) {
        return view_window_proc(WINDOW, message, wparam, lparam);
    }
};

// The raw bytes of the whole state record, to show that a message changed
// nothing in it.
struct StateBytes {
    unsigned char bytes[sizeof(ViewerState)];
    StateBytes() { std::memcpy(bytes, &viewer, sizeof(bytes)); }
    bool unchanged() const { return std::memcmp(bytes, &viewer, sizeof(bytes)) == 0; }
};

std::string default_call(UINT message, WPARAM wparam, LPARAM lparam) {
    return fake::text("DefWindowProcA",
                      {fake::name_of(WINDOW), fake::message_name(message), std::to_string(wparam),
                       std::to_string(lparam)});
}

// ---------------------------------------------------------------------------
// Activation

struct Activation {
    WPARAM wparam;
    bool active;
};

void PrintTo(const Activation& a, std::ostream* os) { *os << "wparam " << a.wparam; }

class WindowProcActivateTest : public WindowProcTest, public ::testing::WithParamInterface<Activation> {};

// Only the minimised flag in the high word counts; losing the focus without
// being minimised keeps the drawing going.
TEST_P(WindowProcActivateTest, ActiveUnlessMinimised) {
    const Activation a = GetParam();
    viewer.window_active = !a.active;

    EXPECT_EQ(0, send(WM_ACTIVATE, a.wparam, 0));

    EXPECT_EQ(a.active, viewer.window_active);
    EXPECT_TRUE(fake::log().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, WindowProcActivateTest,
    ::testing::Values(Activation{MAKEWPARAM(WA_INACTIVE, 0), true}, Activation{MAKEWPARAM(WA_ACTIVE, 0), true},
                      Activation{MAKEWPARAM(WA_CLICKACTIVE, 0), true}, Activation{MAKEWPARAM(WA_INACTIVE, 1), false},
                      Activation{MAKEWPARAM(WA_ACTIVE, 1), false}, Activation{MAKEWPARAM(WA_INACTIVE, 0x8000), false},
                      Activation{MAKEWPARAM(0xFFFF, 0), true}, Activation{static_cast<WPARAM>(1) << 32, true}));

// ---------------------------------------------------------------------------
// System commands

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerOffAreSwallowed) {
    // The system keeps its own flags in the four low bits.
    for (const WPARAM command : {static_cast<WPARAM>(SC_SCREENSAVE), static_cast<WPARAM>(SC_MONITORPOWER),
                                 static_cast<WPARAM>(SC_SCREENSAVE | 0x2), static_cast<WPARAM>(SC_MONITORPOWER | 0xF)}) {
        fake::reset();
        fake::script_always("DefWindowProcA", 99);
        EXPECT_EQ(0, send(WM_SYSCOMMAND, command, 2)) << command;
        EXPECT_TRUE(fake::log().empty()) << command;
    }
}

TEST_F(WindowProcTest, OtherSystemCommandsGoToTheSystem) {
    for (const WPARAM command : {static_cast<WPARAM>(SC_CLOSE), static_cast<WPARAM>(SC_MINIMIZE),
                                 static_cast<WPARAM>(SC_KEYMENU), static_cast<WPARAM>(SC_MAXIMIZE),
                                 static_cast<WPARAM>(SC_MOVE | 0x2), static_cast<WPARAM>(SC_SCREENSAVE + 0x10)}) {
        fake::reset();
        fake::script_always("DefWindowProcA", 99);
        EXPECT_EQ(99, send(WM_SYSCOMMAND, command, 0x00100020)) << command;
        EXPECT_EQ(std::vector<std::string>{default_call(WM_SYSCOMMAND, command, 0x00100020)}, fake::log())
            << command;
    }
}

// ---------------------------------------------------------------------------
// Close request

TEST_F(WindowProcTest, CloseRequestPostsQuitAndLeavesTheWindowAlone) {
    EXPECT_EQ(0, send(WM_CLOSE, 0, 0));

    EXPECT_EQ(std::vector<std::string>{fake::text("PostQuitMessage", {"0"})}, fake::log());
}

// ---------------------------------------------------------------------------
// Keys

class WindowProcKeyTest : public WindowProcTest, public ::testing::WithParamInterface<WPARAM> {};

TEST_P(WindowProcKeyTest, DownSetsExactlyItsEntryAndUpClearsIt) {
    const WPARAM code = GetParam();
    bool wanted[KEY_COUNT] = {};

    EXPECT_EQ(0, send(WM_KEYDOWN, code, 0x00010001));
    wanted[code] = true;
    EXPECT_EQ(0, std::memcmp(wanted, viewer.key_down, sizeof(wanted)));

    // Auto-repeat: the bit for a key that was already down.
    EXPECT_EQ(0, send(WM_KEYDOWN, code, 0x40010001));
    EXPECT_EQ(0, std::memcmp(wanted, viewer.key_down, sizeof(wanted)));

    EXPECT_EQ(0, send(WM_KEYUP, code, static_cast<LPARAM>(0xC0010001u)));
    wanted[code] = false;
    EXPECT_EQ(0, std::memcmp(wanted, viewer.key_down, sizeof(wanted)));

    // The press stays latched for the idle pass, and only this key's.
    wanted[code] = true;
    EXPECT_EQ(0, std::memcmp(wanted, viewer.key_pressed, sizeof(wanted)));

    EXPECT_TRUE(fake::log().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, WindowProcKeyTest,
                         ::testing::Values(0, VK_ESCAPE, VK_SPACE, 'A', VK_F12, VK_OEM_MINUS, 255));

TEST_F(WindowProcTest, KeyUpLeavesOtherHeldKeysDown) {
    send(WM_KEYDOWN, VK_LEFT, 0);
    send(WM_KEYDOWN, VK_UP, 0);
    send(WM_KEYUP, VK_LEFT, 0);

    EXPECT_FALSE(viewer.key_down[VK_LEFT]);
    EXPECT_TRUE(viewer.key_down[VK_UP]);
}

// Keys held while the focus goes elsewhere are released there, out of the
// viewer's sight: losing the focus counts as releasing them all, but a press
// not yet acted on is still owed its one command.
struct FocusChange {
    const char* name;
    UINT message;
    WPARAM wparam;
    bool releases;
};

void PrintTo(const FocusChange& f, std::ostream* os) { *os << f.name; }

class WindowProcFocusTest : public WindowProcTest, public ::testing::WithParamInterface<FocusChange> {};

TEST_P(WindowProcFocusTest, LosingTheFocusReleasesHeldKeysAndKeepsPresses) {
    const FocusChange f = GetParam();
    send(WM_KEYDOWN, VK_RIGHT, 0);
    send(WM_KEYDOWN, VK_SPACE, 0);
    send(WM_KEYDOWN, 255, 0);
    viewer.key_pressed[VK_RIGHT] = false;  // acted on already; still held
    bool pressed[KEY_COUNT];
    std::memcpy(pressed, viewer.key_pressed, sizeof(pressed));

    send(f.message, f.wparam, 0);

    for (const int code : {VK_RIGHT, VK_SPACE, 255}) EXPECT_EQ(!f.releases, viewer.key_down[code]) << code;
    EXPECT_EQ(0, std::memcmp(pressed, viewer.key_pressed, sizeof(pressed)));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, WindowProcFocusTest,
    ::testing::Values(FocusChange{"Deactivated", WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), true},
                      FocusChange{"DeactivatedMinimised", WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), true},
                      FocusChange{"KillFocus", WM_KILLFOCUS, 0, true},
                      FocusChange{"Activated", WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), false},
                      FocusChange{"ClickActivated", WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0), false},
                      FocusChange{"SetFocus", WM_SETFOCUS, 0, false}),
    [](const ::testing::TestParamInfo<FocusChange>& info) { return std::string(info.param.name); });

class WindowProcOutOfRangeKeyTest : public WindowProcTest, public ::testing::WithParamInterface<WPARAM> {};

// Any program can post a key message with any code; nothing past the 256
// entries may be written (ASan stops a write outside the record, the
// comparison one inside it).
TEST_P(WindowProcOutOfRangeKeyTest, IsIgnored) {
    for (bool& key : viewer.key_down) key = true;
    const StateBytes all_down;
    EXPECT_EQ(0, send(WM_KEYUP, GetParam(), 0));
    EXPECT_TRUE(all_down.unchanged());

    for (bool& key : viewer.key_down) key = false;
    const StateBytes all_up;
    EXPECT_EQ(0, send(WM_KEYDOWN, GetParam(), 0));
    EXPECT_TRUE(all_up.unchanged());

    EXPECT_TRUE(fake::log().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, WindowProcOutOfRangeKeyTest,
                         ::testing::Values(256, 257, 0x10000, 0x10041, (static_cast<WPARAM>(1) << 32) | 'A',
                                           ~static_cast<WPARAM>(0)));

// Alt combinations and F10 arrive as system keys: the system handles them
// and they are not held keys of the viewer.
TEST_F(WindowProcTest, SystemKeysAreNotRecordedAndGoToTheSystem) {
    fake::script_always("DefWindowProcA", 5);
    const StateBytes before;

    EXPECT_EQ(5, send(WM_SYSKEYDOWN, VK_F10, 0x00440001));
    EXPECT_EQ(5, send(WM_SYSKEYDOWN, 'A', 0x201E0001));
    EXPECT_EQ(5, send(WM_SYSKEYUP, 'A', static_cast<LPARAM>(0xE01E0001u)));

    EXPECT_TRUE(before.unchanged());
    EXPECT_EQ((std::vector<std::string>{default_call(WM_SYSKEYDOWN, VK_F10, 0x00440001),
                                        default_call(WM_SYSKEYDOWN, 'A', 0x201E0001),
                                        default_call(WM_SYSKEYUP, 'A', static_cast<LPARAM>(0xE01E0001u))}),
              fake::log());
}

// ---------------------------------------------------------------------------
// Size

struct SizeCase {
    LPARAM lparam;
    int width;
    int height;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << "lparam " << c.lparam; }

class WindowProcSizeTest : public WindowProcTest, public ::testing::WithParamInterface<SizeCase> {};

// Both words are unsigned 16-bit sizes; the kind of sizing is not looked at.
TEST_P(WindowProcSizeTest, HandsTheClientSizeToTheRenderer) {
    const SizeCase c = GetParam();

    EXPECT_EQ(0, view_window_proc(WINDOW, WM_SIZE, SIZE_RESTORED, c.lparam));
    EXPECT_EQ(0, view_window_proc(WINDOW, WM_SIZE, SIZE_MINIMIZED, c.lparam));

    const std::string resize = fake::text("resize_view", {std::to_string(c.width), std::to_string(c.height)});
    EXPECT_EQ((std::vector<std::string>{resize, resize}), fake::log());
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowProcSizeTest,
                         ::testing::Values(SizeCase{MAKELPARAM(640, 480), 640, 480}, SizeCase{0, 0, 0},
                                           SizeCase{static_cast<LPARAM>(0xFFFF0001u), 1, 65535},
                                           SizeCase{0x0001FFFF, 65535, 1},
                                           SizeCase{static_cast<LPARAM>(0x80008000u), 32768, 32768},
                                           SizeCase{-1, 65535, 65535},
                                           SizeCase{(static_cast<LPARAM>(7) << 32) | MAKELPARAM(800, 600), 800, 600}));

// ---------------------------------------------------------------------------
// Mouse

struct Move {
    const char* name;
    int from_x, from_y;
    WPARAM buttons;
    LPARAM to;
    double start_pitch;
    double pitch, yaw;  // after the move
    int last_x, last_y;
};

void PrintTo(const Move& m, std::ostream* os) { *os << m.name; }

class WindowProcMouseTest : public WindowProcTest, public ::testing::WithParamInterface<Move> {};

TEST_P(WindowProcMouseTest, LeftButtonDragTurnsHalfADegreePerPixel) {
    const Move m = GetParam();
    viewer.last_mouse_x = m.from_x;
    viewer.last_mouse_y = m.from_y;
    viewer.pitch = m.start_pitch;
    viewer.yaw = 0.0;

    EXPECT_EQ(0, send(WM_MOUSEMOVE, m.buttons, m.to));

    EXPECT_DOUBLE_EQ(m.pitch, viewer.pitch);
    EXPECT_DOUBLE_EQ(m.yaw, viewer.yaw);
    EXPECT_EQ(m.last_x, viewer.last_mouse_x);
    EXPECT_EQ(m.last_y, viewer.last_mouse_y);
    EXPECT_TRUE(fake::log().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Moves, WindowProcMouseTest,
    ::testing::Values(Move{"TenDown", 100, 100, MK_LBUTTON, MAKELPARAM(100, 110), 0, 5, 0, 100, 110},
                      Move{"TenLeft", 100, 100, MK_LBUTTON, MAKELPARAM(90, 100), 0, 0, -5, 90, 100},
                      Move{"UpAndRight", 100, 100, MK_LBUTTON, MAKELPARAM(103, 99), 0, -0.5, 1.5, 103, 99},
                      Move{"WithShiftHeld", 10, 10, MK_LBUTTON | MK_SHIFT, MAKELPARAM(20, 10), 0, 0, 5, 20, 10},
                      Move{"NoButton", 100, 100, 0, MAKELPARAM(150, 20), 0, 0, 0, 150, 20},
                      Move{"RightButtonOnly", 100, 100, MK_RBUTTON, MAKELPARAM(150, 20), 0, 0, 0, 150, 20},
                      Move{"PastTheClampOfTheKeys", 0, 0, MK_LBUTTON, MAKELPARAM(0, 20), 89, 99, 0, 0, 20},
                      Move{"UnsignedCoordinates", 0, 0, MK_LBUTTON, static_cast<LPARAM>(0xFFFF0002u), 0, 32767.5, 1,
                           2, 65535}),
    [](const ::testing::TestParamInfo<Move>& info) { return std::string(info.param.name); });

TEST_F(WindowProcTest, FirstDragMoveTurnsOnlyFromThePreviousMove) {
    send(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    send(WM_MOUSEMOVE, 0, MAKELPARAM(50, 70));  // moved without the button
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(52, 74));

    EXPECT_DOUBLE_EQ(2.0, viewer.pitch);
    EXPECT_DOUBLE_EQ(1.0, viewer.yaw);
}

// ---------------------------------------------------------------------------
// Everything else

struct Forwarded {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

void PrintTo(const Forwarded& f, std::ostream* os) { *os << fake::message_name(f.message); }

class WindowProcForwardedTest : public WindowProcTest, public ::testing::WithParamInterface<Forwarded> {};

TEST_P(WindowProcForwardedTest, GoesToTheSystemWithItsAnswerReturned) {
    const Forwarded f = GetParam();
    fake::script_always("DefWindowProcA", 0x1234);
    const StateBytes before;

    EXPECT_EQ(0x1234, send(f.message, f.wparam, f.lparam));

    EXPECT_EQ(std::vector<std::string>{default_call(f.message, f.wparam, f.lparam)}, fake::log());
    EXPECT_TRUE(before.unchanged());
}

INSTANTIATE_TEST_SUITE_P(Messages, WindowProcForwardedTest,
                         ::testing::Values(Forwarded{WM_PAINT, 0, 0}, Forwarded{WM_CHAR, 'a', 0x001E0001},
                                           Forwarded{WM_DESTROY, 0, 0}, Forwarded{WM_ERASEBKGND, 0x77, 0},
                                           Forwarded{WM_NCHITTEST, 0, MAKELPARAM(5, 6)},
                                           Forwarded{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4)},
                                           Forwarded{WM_SETCURSOR, 0, 0}, Forwarded{WM_USER + 5, 1, 2}));

}  // namespace
