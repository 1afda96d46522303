#pragma once
// The call sequences a correct window layer leaves in the fake's log, built
// from the same constants the program must use, so a test reads as the list
// of what should happen.

#include <windows.h>

#include <string>
#include <vector>

#include "fake_win32.h"

namespace expected {

// Looked up before the class is registered; their order among themselves is
// free, and what they return is checked through the class fields instead.
const std::vector<std::string> PREPARATION = {"GetModuleHandleA", "LoadIconA", "LoadCursorA"};

// The message pump and the drawing of idle passes.
const std::vector<std::string> LOOP = {"PeekMessageA", "TranslateMessage", "DispatchMessageA", "draw_frame",
                                       "SwapBuffers"};

inline std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::vector<std::string> joined(const std::vector<std::string>& a, const std::vector<std::string>& b,
                                       const std::vector<std::string>& c) {
    return joined(joined(a, b), c);
}

inline std::string box(const char* text, const char* caption, UINT type) {
    return fake::text("MessageBoxA", {"NULL", fake::quoted(text), fake::quoted(caption), fake::hex(type)});
}

inline std::string error_box(const char* text) { return box(text, "ERROR", MB_OK | MB_ICONEXCLAMATION); }

inline std::string shutdown_box(const char* text) { return box(text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION); }

inline std::string fullscreen_question() {
    return box("The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
               "Quor GL", MB_YESNO | MB_ICONEXCLAMATION);
}

inline std::string start_question() {
    return box("Would You Like To Run In Fullscreen Mode?", "Start FullScreen?", MB_YESNO | MB_ICONQUESTION);
}

inline std::string handle(const void* h) { return fake::name_of(h); }
inline std::string number(long long value) { return std::to_string(value); }

inline std::string display_request(int width, int height, int bits) {
    return fake::text("ChangeDisplaySettingsA", {"{" + number(width) + "x" + number(height) + "x" + number(bits) + "}",
                                                 fake::hex(CDS_FULLSCREEN)});
}

inline std::vector<std::string> restore_desktop() {
    return {fake::text("ChangeDisplaySettingsA", {"NULL", fake::hex(0)}), fake::text("ShowCursor", {"TRUE"})};
}

inline std::string unregister_class() {
    return fake::text("UnregisterClassA", {"\"OpenGL\"", handle(fake::module())});
}

// The window's part of an opening, from the styles on: what follows the
// class registration and (in full screen) the display-mode switch.
inline std::vector<std::string> window_calls(const char* caption, int width, int height, bool fullscreen, int n) {
    const DWORD ex_style = fullscreen ? WS_EX_APPWINDOW : WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    const DWORD style = fullscreen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    const int outer_width = fullscreen ? width : width + 2 * fake::FRAME_BORDER;
    const int outer_height = fullscreen ? height : height + 2 * fake::FRAME_BORDER + fake::FRAME_CAPTION;
    const std::string window = handle(fake::window(n));
    const std::string dc = handle(fake::dc(n));
    const std::string rc = handle(fake::rc(n));
    std::vector<std::string> calls;
    if (fullscreen) calls.push_back(fake::text("ShowCursor", {"FALSE"}));
    const std::vector<std::string> rest = {
        fake::text("AdjustWindowRectEx", {"{0, 0, " + number(width) + ", " + number(height) + "}", fake::hex(style),
                                          "FALSE", fake::hex(ex_style)}),
        fake::text("CreateWindowExA",
                   {fake::hex(ex_style), "\"OpenGL\"", fake::quoted(caption),
                    fake::hex(style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN), "0", "0", number(outer_width),
                    number(outer_height), "NULL", "NULL", handle(fake::module()), "NULL"}),
        fake::text("GetDC", {window}),
        fake::text("ChoosePixelFormat", {dc, "&pfd"}),
        fake::text("SetPixelFormat", {dc, "7", "&pfd"}),
        fake::text("wglCreateContext", {dc}),
        fake::text("wglMakeCurrent", {dc, rc}),
        fake::text("ShowWindow", {window, number(SW_SHOW)}),
        fake::text("SetForegroundWindow", {window}),
        fake::text("SetFocus", {window}),
        fake::text("resize_view", {number(width), number(height)}),
        fake::text("setup_gl_state", {}),
    };
    return joined(calls, rest);
}

// A successful opening as the log shows it without the PREPARATION calls.
// n numbers the window, device context and rendering context.
inline std::vector<std::string> open_calls(const char* caption, int width, int height, int bits, bool fullscreen,
                                           int n = 1) {
    std::vector<std::string> calls = {fake::text("RegisterClassA", {"\"OpenGL\""})};
    if (fullscreen) calls.push_back(display_request(width, height, bits));
    return joined(calls, window_calls(caption, width, height, fullscreen, n));
}

// Closing a window that is fully open.
inline std::vector<std::string> close_calls(bool fullscreen, int n = 1) {
    std::vector<std::string> calls;
    if (fullscreen) calls = restore_desktop();
    const std::string window = handle(fake::window(n));
    return joined(calls, {
                             fake::text("wglMakeCurrent", {"NULL", "NULL"}),
                             fake::text("wglDeleteContext", {handle(fake::rc(n))}),
                             fake::text("ReleaseDC", {window, handle(fake::dc(n))}),
                             fake::text("DestroyWindow", {window}),
                             unregister_class(),
                         });
}

// The log from the call at index on.
inline std::vector<std::string> from(const std::vector<std::string>& log, std::size_t index) {
    if (index >= log.size()) return {};
    return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(index), log.end());
}

}  // namespace expected
