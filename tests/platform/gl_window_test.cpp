// open_view_window and close_view_window against the recording fake: the
// order of the system calls, what they are given, and what each failure
// undoes and tells the user.
#include "platform/gl_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "core/viewer_state.h"
#include "expected_calls.h"
#include "fake_win32.h"
#include "platform/window_proc.h"

namespace {

using expected::close_calls;
using expected::error_box;
using expected::joined;
using expected::open_calls;
using expected::PREPARATION;
using expected::shutdown_box;

const char CAPTION[] = "Test Caption";

static_assert(sizeof(DEVMODEA) == 156, "the headers must lay DEVMODEA out as Windows does");
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the headers must lay the pixel format out as Windows does");

class GlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        gl_window = GlWindow{};
    }

    // The log of the calls made from now on.
    void mark() { mark_ = fake::calls().size(); }
    std::vector<std::string> since_mark(const std::vector<std::string>& skipped = {}) const {
        std::vector<std::string> out;
        for (std::size_t i = mark_; i < fake::calls().size(); ++i) {
            const fake::Call& call = fake::calls()[i];
            bool skip = false;
            for (const std::string& name : skipped) skip = skip || call.name == name;
            if (!skip) out.push_back(call.text());
        }
        return out;
    }

    static void expect_nothing_held() {
        EXPECT_EQ(nullptr, gl_window.instance);
        EXPECT_EQ(nullptr, gl_window.window);
        EXPECT_EQ(nullptr, gl_window.device_context);
        EXPECT_EQ(nullptr, gl_window.render_context);
    }

    // The system is as it was before the opening: nothing left behind and
    // the desktop and the cursor back as they were.
    static void expect_system_restored() {
        EXPECT_FALSE(fake::class_registered("OpenGL"));
        EXPECT_EQ(0, fake::windows_alive());
        EXPECT_EQ(0, fake::device_contexts_held());
        EXPECT_EQ(0, fake::contexts_alive());
        EXPECT_EQ(nullptr, fake::current_context());
        EXPECT_FALSE(fake::screen_switched());
        EXPECT_EQ(0, fake::cursor_counter());
    }

private:
    std::size_t mark_ = 0;
};

std::string describe(const PIXELFORMATDESCRIPTOR& p) {
    const std::vector<std::pair<const char*, unsigned long>> fields = {
        {"nSize", p.nSize},
        {"nVersion", p.nVersion},
        {"dwFlags", p.dwFlags},
        {"iPixelType", p.iPixelType},
        {"cColorBits", p.cColorBits},
        {"cRedBits", p.cRedBits},
        {"cRedShift", p.cRedShift},
        {"cGreenBits", p.cGreenBits},
        {"cGreenShift", p.cGreenShift},
        {"cBlueBits", p.cBlueBits},
        {"cBlueShift", p.cBlueShift},
        {"cAlphaBits", p.cAlphaBits},
        {"cAlphaShift", p.cAlphaShift},
        {"cAccumBits", p.cAccumBits},
        {"cAccumRedBits", p.cAccumRedBits},
        {"cAccumGreenBits", p.cAccumGreenBits},
        {"cAccumBlueBits", p.cAccumBlueBits},
        {"cAccumAlphaBits", p.cAccumAlphaBits},
        {"cDepthBits", p.cDepthBits},
        {"cStencilBits", p.cStencilBits},
        {"cAuxBuffers", p.cAuxBuffers},
        {"iLayerType", p.iLayerType},
        {"bReserved", p.bReserved},
        {"dwLayerMask", p.dwLayerMask},
        {"dwVisibleMask", p.dwVisibleMask},
        {"dwDamageMask", p.dwDamageMask},
    };
    std::string out;
    for (const auto& field : fields) out += std::string(field.first) + "=" + std::to_string(field.second) + " ";
    return out;
}

PIXELFORMATDESCRIPTOR wanted_pixel_format(int colour_bits) {
    PIXELFORMATDESCRIPTOR p;
    std::memset(&p, 0, sizeof(p));
    p.nSize = 40;
    p.nVersion = 1;
    p.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    p.iPixelType = PFD_TYPE_RGBA;
    p.cColorBits = static_cast<BYTE>(colour_bits);
    p.cDepthBits = 32;
    p.iLayerType = PFD_MAIN_PLANE;
    return p;
}

// ---------------------------------------------------------------------------
// Successful openings

struct Size {
    int width;
    int height;
    int bits;
};

void PrintTo(const Size& s, std::ostream* os) { *os << s.width << "x" << s.height << "x" << s.bits; }

class GlWindowOpeningTest : public GlWindowTest, public ::testing::WithParamInterface<std::tuple<Size, bool>> {};

TEST_P(GlWindowOpeningTest, AcquiresEverythingInOrderAndHandsTheContextToTheRenderer) {
    const Size size = std::get<0>(GetParam());
    const bool fullscreen = std::get<1>(GetParam());
    viewer.fullscreen = !fullscreen;

    ASSERT_TRUE(open_view_window(CAPTION, size.width, size.height, size.bits, fullscreen));

    EXPECT_EQ(open_calls(CAPTION, size.width, size.height, size.bits, fullscreen), fake::log_without(PREPARATION));
    EXPECT_EQ(fullscreen, viewer.fullscreen);
    EXPECT_EQ(fake::module(), gl_window.instance);
    EXPECT_EQ(fake::window(1), gl_window.window);
    EXPECT_EQ(fake::dc(1), gl_window.device_context);
    EXPECT_EQ(fake::rc(1), gl_window.render_context);
    EXPECT_EQ(fake::rc(1), fake::current_context());
    for (const char* renderer_call : {"resize_view", "setup_gl_state"}) {
        const std::vector<fake::Call> calls = fake::calls_of(renderer_call);
        ASSERT_EQ(1u, calls.size()) << renderer_call;
        EXPECT_EQ(fake::rc(1), calls[0].context) << renderer_call << " must run on the new context";
    }
    EXPECT_EQ(fullscreen, fake::screen_switched());
    EXPECT_EQ(fullscreen ? -1 : 0, fake::cursor_counter());
    EXPECT_EQ(0, fake::count("MessageBoxA"));
}

TEST_P(GlWindowOpeningTest, ClosingReleasesInReverseOrderAndRestoresTheDesktop) {
    const Size size = std::get<0>(GetParam());
    const bool fullscreen = std::get<1>(GetParam());
    ASSERT_TRUE(open_view_window(CAPTION, size.width, size.height, size.bits, fullscreen));
    mark();

    close_view_window();

    EXPECT_EQ(close_calls(fullscreen), since_mark());
    expect_nothing_held();
    expect_system_restored();
}

TEST_P(GlWindowOpeningTest, AsksForTheScreenModeOfTheRowOnlyInFullScreen) {
    const Size size = std::get<0>(GetParam());
    const bool fullscreen = std::get<1>(GetParam());
    ASSERT_TRUE(open_view_window(CAPTION, size.width, size.height, size.bits, fullscreen));

    if (!fullscreen) {
        EXPECT_TRUE(fake::display_requests().empty());
        return;
    }
    ASSERT_EQ(1u, fake::display_requests().size());
    const DEVMODEA& mode = fake::display_requests()[0];
    EXPECT_EQ(156u, mode.dmSize);
    EXPECT_EQ(static_cast<DWORD>(size.width), mode.dmPelsWidth);
    EXPECT_EQ(static_cast<DWORD>(size.height), mode.dmPelsHeight);
    EXPECT_EQ(static_cast<DWORD>(size.bits), mode.dmBitsPerPel);
    EXPECT_EQ(static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT), mode.dmFields);

    // Everything else stays zero, so the driver keeps its own frequency,
    // orientation and the like.
    DEVMODEA rest = mode;
    rest.dmSize = 0;
    rest.dmPelsWidth = 0;
    rest.dmPelsHeight = 0;
    rest.dmBitsPerPel = 0;
    rest.dmFields = 0;
    DEVMODEA zero;
    std::memset(&zero, 0, sizeof(zero));
    EXPECT_EQ(0, std::memcmp(&zero, &rest, sizeof(DEVMODEA)));
}

INSTANTIATE_TEST_SUITE_P(Rows, GlWindowOpeningTest,
                         ::testing::Combine(::testing::Values(Size{640, 480, 32}, Size{128, 128, 32},
                                                              Size{1024, 768, 32}, Size{800, 600, 16}),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<Size, bool>>& info) {
                             const Size s = std::get<0>(info.param);
                             return std::to_string(s.width) + "x" + std::to_string(s.height) + "x" +
                                    std::to_string(s.bits) + (std::get<1>(info.param) ? "_FullScreen" : "_Windowed");
                         });

TEST_F(GlWindowTest, RegistersTheViewerClass) {
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, false));

    EXPECT_EQ((std::vector<std::string>{fake::text("LoadIconA", {"NULL", fake::quoted(IDI_WINLOGO)}),
                                        fake::text("LoadCursorA", {"NULL", fake::quoted(IDC_ARROW)})}),
              fake::log_of({"LoadIconA", "LoadCursorA"}));
    ASSERT_EQ(1u, fake::registered_classes().size());
    const fake::RegisteredClass& registered = fake::registered_classes()[0];
    const WNDCLASSA& c = registered.fields;
    EXPECT_EQ("OpenGL", registered.name);
    EXPECT_EQ(static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_OWNDC), c.style);
    EXPECT_EQ(&view_window_proc, c.lpfnWndProc);
    EXPECT_EQ(0, c.cbClsExtra);
    EXPECT_EQ(0, c.cbWndExtra);
    EXPECT_EQ(fake::module(), c.hInstance);
    EXPECT_EQ("icon#32517", fake::name_of(c.hIcon));
    EXPECT_EQ("cursor#32512", fake::name_of(c.hCursor));
    EXPECT_EQ(nullptr, c.hbrBackground);
    EXPECT_EQ(nullptr, c.lpszMenuName);
}

TEST_F(GlWindowTest, RequestsADoubleBufferedRgbaFormatWithDepth) {
    fake::script("ChoosePixelFormat", 1, 12);

    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, false));

    ASSERT_EQ(1u, fake::chosen_requests().size());
    ASSERT_EQ(1u, fake::set_requests().size());
    EXPECT_EQ(describe(wanted_pixel_format(32)), describe(fake::chosen_requests()[0]));
    EXPECT_EQ(describe(wanted_pixel_format(32)), describe(fake::set_requests()[0]));
    // The format set is the one the system chose.
    EXPECT_EQ((std::vector<std::string>{fake::text("SetPixelFormat", {"dc#1", "12", "&pfd"})}),
              fake::log_of({"SetPixelFormat"}));
}

// ---------------------------------------------------------------------------
// The colour depth of the pixel format is fixed once per process

TEST_F(GlWindowTest, ColourBitsOfTheFirstWindowStayForLaterOpenings) {
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 16, false));
    close_view_window();
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 24, true));

    ASSERT_EQ(2u, fake::chosen_requests().size());
    EXPECT_EQ(16, fake::chosen_requests()[0].cColorBits);
    EXPECT_EQ(16, fake::chosen_requests()[1].cColorBits);
    EXPECT_EQ(16, fake::set_requests()[1].cColorBits);
    // The screen mode itself follows the row asked for.
    ASSERT_EQ(1u, fake::display_requests().size());
    EXPECT_EQ(24u, fake::display_requests()[0].dmBitsPerPel);
}

TEST_F(GlWindowTest, OpeningThatFailsAtWindowCreationDoesNotFixColourBits) {
    fake::fail("CreateWindowExA", 1);
    ASSERT_FALSE(open_view_window(CAPTION, 640, 480, 16, false));
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 24, false));
    close_view_window();
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, false));

    ASSERT_EQ(2u, fake::chosen_requests().size());
    EXPECT_EQ(24, fake::chosen_requests()[0].cColorBits);
    EXPECT_EQ(24, fake::chosen_requests()[1].cColorBits);
}

TEST_F(GlWindowTest, OpeningThatFailsAfterWindowCreationFixesColourBits) {
    fake::fail("GetDC", 1);
    ASSERT_FALSE(open_view_window(CAPTION, 640, 480, 16, false));
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 24, false));

    ASSERT_EQ(1u, fake::chosen_requests().size());
    EXPECT_EQ(16, fake::chosen_requests()[0].cColorBits);
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(GlWindowTest, SecondCloseOnlyTriesTheClassAndReportsIt) {
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, false));
    close_view_window();
    mark();

    close_view_window();

    // The instance was forgotten at the first close, so the system is asked
    // about a class of no module.
    EXPECT_EQ((std::vector<std::string>{fake::text("UnregisterClassA", {"\"OpenGL\"", "NULL"}),
                                        shutdown_box("Could Not Unregister Class.")}),
              since_mark());
    expect_nothing_held();
}

TEST_F(GlWindowTest, WindowCanBeOpenedAgainAfterClosing) {
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, true));
    close_view_window();
    mark();

    ASSERT_TRUE(open_view_window(CAPTION, 800, 600, 32, false));

    EXPECT_EQ(open_calls(CAPTION, 800, 600, 32, false, 2), since_mark(PREPARATION));
    EXPECT_EQ(fake::window(2), gl_window.window);
    EXPECT_EQ(fake::rc(2), fake::current_context());
}

struct ReleaseFailure {
    const char* function;
    int nth;  // counted over the opening and the closing
    const char* message;
};

void PrintTo(const ReleaseFailure& f, std::ostream* os) { *os << f.function << " #" << f.nth; }

class GlWindowReleaseFailureTest : public GlWindowTest, public ::testing::WithParamInterface<std::tuple<ReleaseFailure, bool>> {
};

// close_view_window reports a failed step and goes on with the next one.
TEST_P(GlWindowReleaseFailureTest, IsReportedAndClosingGoesOn) {
    const ReleaseFailure failure = std::get<0>(GetParam());
    const bool fullscreen = std::get<1>(GetParam());
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, fullscreen));
    fake::fail(failure.function, failure.nth);
    mark();

    close_view_window();

    std::vector<std::string> wanted;
    for (const std::string& call : close_calls(fullscreen)) {
        wanted.push_back(call);
        if (call.rfind(std::string(failure.function) + "(", 0) == 0) wanted.push_back(shutdown_box(failure.message));
    }
    EXPECT_EQ(wanted, since_mark());
    expect_nothing_held();
    EXPECT_FALSE(fake::screen_switched());
    EXPECT_EQ(0, fake::cursor_counter());
}

const ReleaseFailure RELEASE_FAILURES[] = {
    {"wglMakeCurrent", 2, "Release Of DC And RC Failed."},
    {"wglDeleteContext", 1, "Release Rendering Context Failed."},
    {"ReleaseDC", 1, "Release Device Context Failed."},
    {"DestroyWindow", 1, "Could Not Release hWnd."},
    {"UnregisterClassA", 1, "Could Not Unregister Class."},
};

INSTANTIATE_TEST_SUITE_P(Steps, GlWindowReleaseFailureTest,
                         ::testing::Combine(::testing::ValuesIn(RELEASE_FAILURES), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<ReleaseFailure, bool>>& info) {
                             return std::string(std::get<0>(info.param).function) +
                                    (std::get<1>(info.param) ? "_FullScreen" : "_Windowed");
                         });

TEST_F(GlWindowTest, EveryReleaseFailureIsReportedInTurn) {
    ASSERT_TRUE(open_view_window(CAPTION, 640, 480, 32, false));
    for (const ReleaseFailure& failure : RELEASE_FAILURES) fake::fail(failure.function, failure.nth);
    mark();

    close_view_window();

    EXPECT_EQ((std::vector<std::string>{
                  fake::text("wglMakeCurrent", {"NULL", "NULL"}),
                  shutdown_box("Release Of DC And RC Failed."),
                  fake::text("wglDeleteContext", {"rc#1"}),
                  shutdown_box("Release Rendering Context Failed."),
                  fake::text("ReleaseDC", {"window#1", "dc#1"}),
                  shutdown_box("Release Device Context Failed."),
                  fake::text("DestroyWindow", {"window#1"}),
                  shutdown_box("Could Not Release hWnd."),
                  expected::unregister_class(),
                  shutdown_box("Could Not Unregister Class."),
              }),
              since_mark());
    expect_nothing_held();
}

// ---------------------------------------------------------------------------
// Failed openings

TEST_F(GlWindowTest, ReleaseFailureDuringAFailedOpeningIsReportedBeforeTheOpeningsError) {
    fake::fail("SetPixelFormat");
    fake::fail("ReleaseDC");

    EXPECT_FALSE(open_view_window(CAPTION, 640, 480, 32, false));

    EXPECT_EQ((std::vector<std::string>{
                  fake::text("ReleaseDC", {"window#1", "dc#1"}),
                  shutdown_box("Release Device Context Failed."),
                  fake::text("DestroyWindow", {"window#1"}),
                  expected::unregister_class(),
                  error_box("Can't Set The PixelFormat."),
              }),
              expected::from(fake::log(), fake::log().size() - 5));
}

class GlWindowClassFailureTest : public GlWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(GlWindowClassFailureTest, IsReportedAndNothingIsReleased) {
    const bool fullscreen = GetParam();
    viewer.fullscreen = !fullscreen;
    fake::fail("RegisterClassA");

    EXPECT_FALSE(open_view_window(CAPTION, 640, 480, 32, fullscreen));

    EXPECT_EQ((std::vector<std::string>{fake::text("RegisterClassA", {"\"OpenGL\""}),
                                        error_box("Failed To Register The Window Class.")}),
              fake::log_without(PREPARATION));
    EXPECT_EQ(fullscreen, viewer.fullscreen);
    EXPECT_EQ(nullptr, gl_window.window);
}

INSTANTIATE_TEST_SUITE_P(Modes, GlWindowClassFailureTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "FullScreen" : "Windowed");
                         });

struct OpenFailure {
    const char* function;  // its first call fails
    const char* message;
    std::vector<std::string> releases;  // what closing finds to undo, in order
};

void PrintTo(const OpenFailure& f, std::ostream* os) { *os << f.function; }

std::vector<std::string> releases_from_window() {
    return {fake::text("DestroyWindow", {"window#1"}), expected::unregister_class()};
}

std::vector<std::string> releases_from_device_context() {
    return joined({fake::text("ReleaseDC", {"window#1", "dc#1"})}, releases_from_window());
}

std::vector<std::string> releases_from_context() {
    return joined({fake::text("wglMakeCurrent", {"NULL", "NULL"}), fake::text("wglDeleteContext", {"rc#1"})},
                  releases_from_device_context());
}

class GlWindowOpenFailureTest : public GlWindowTest, public ::testing::WithParamInterface<std::tuple<OpenFailure, bool>> {};

// The opening undoes what it did, including the screen mode and the hidden
// cursor, before it tells the user, and nothing after the failed call runs.
TEST_P(GlWindowOpenFailureTest, UndoesEverythingThenTellsTheUser) {
    const OpenFailure failure = std::get<0>(GetParam());
    const bool fullscreen = std::get<1>(GetParam());
    fake::fail(failure.function);

    EXPECT_FALSE(open_view_window(CAPTION, 640, 480, 32, fullscreen));

    const std::vector<std::string> log = fake::log();
    std::size_t failed_at = log.size();
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (fake::calls()[i].name == failure.function) {
            failed_at = i;
            break;
        }
    }
    ASSERT_LT(failed_at, log.size()) << failure.function << " was never called";
    std::vector<std::string> wanted = fullscreen ? expected::restore_desktop() : std::vector<std::string>{};
    wanted = joined(wanted, failure.releases, {error_box(failure.message)});
    EXPECT_EQ(wanted, expected::from(log, failed_at + 1));
    expect_nothing_held();
    expect_system_restored();
}

const OpenFailure OPEN_FAILURES[] = {
    {"CreateWindowExA", "Window Creation Error.", {expected::unregister_class()}},
    {"GetDC", "Can't Create A GL Device Context.", releases_from_window()},
    {"ChoosePixelFormat", "Can't Find A Suitable PixelFormat.", releases_from_device_context()},
    {"SetPixelFormat", "Can't Set The PixelFormat.", releases_from_device_context()},
    {"wglCreateContext", "Can't Create A GL Rendering Context.", releases_from_device_context()},
    {"wglMakeCurrent", "Can't Activate The GL Rendering Context.", releases_from_context()},
    {"setup_gl_state", "Initialization Failed.", releases_from_context()},
};

INSTANTIATE_TEST_SUITE_P(Steps, GlWindowOpenFailureTest,
                         ::testing::Combine(::testing::ValuesIn(OPEN_FAILURES), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<OpenFailure, bool>>& info) {
                             return std::string(std::get<0>(info.param).function) +
                                    (std::get<1>(info.param) ? "_FullScreen" : "_Windowed");
                         });

// ---------------------------------------------------------------------------
// A screen mode the system refuses

class GlWindowRefusedModeTest : public GlWindowTest, public ::testing::WithParamInterface<LONG> {};

TEST_P(GlWindowRefusedModeTest, AnsweredYesContinuesAsAWindow) {
    fake::script("ChangeDisplaySettingsA", 1, GetParam());
    fake::script("MessageBoxA", 1, IDYES);

    ASSERT_TRUE(open_view_window(CAPTION, 800, 600, 32, true));

    EXPECT_EQ(joined({fake::text("RegisterClassA", {"\"OpenGL\""}), expected::display_request(800, 600, 32),
                      expected::fullscreen_question()},
                     expected::window_calls(CAPTION, 800, 600, false, 1)),
              fake::log_without(PREPARATION));
    EXPECT_FALSE(viewer.fullscreen);
    EXPECT_EQ(0, fake::count("ShowCursor"));

    // A window, so closing leaves the screen mode and the cursor alone.
    mark();
    close_view_window();
    EXPECT_EQ(close_calls(false), since_mark());
}

TEST_P(GlWindowRefusedModeTest, AnsweredNoGivesUpAndKeepsTheClass) {
    fake::script("ChangeDisplaySettingsA", 1, GetParam());
    fake::script("MessageBoxA", 1, IDNO);

    EXPECT_FALSE(open_view_window(CAPTION, 800, 600, 32, true));

    EXPECT_EQ((std::vector<std::string>{fake::text("RegisterClassA", {"\"OpenGL\""}),
                                        expected::display_request(800, 600, 32), expected::fullscreen_question(),
                                        expected::box("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP)}),
              fake::log_without(PREPARATION));
    EXPECT_TRUE(fake::class_registered("OpenGL"));
    EXPECT_EQ(nullptr, gl_window.window);
    EXPECT_EQ(nullptr, gl_window.device_context);
    EXPECT_EQ(nullptr, gl_window.render_context);
}

// Anything but success is a refusal, including a mode that would need a restart.
INSTANTIATE_TEST_SUITE_P(Results, GlWindowRefusedModeTest,
                         ::testing::Values(DISP_CHANGE_BADMODE, DISP_CHANGE_FAILED, DISP_CHANGE_RESTART,
                                           DISP_CHANGE_NOTUPDATED),
                         [](const ::testing::TestParamInfo<LONG>& info) {
                             return info.param < 0 ? "Minus" + std::to_string(-info.param)
                                                   : "Plus" + std::to_string(info.param);
                         });

}  // namespace
