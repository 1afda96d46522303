#pragma once
// Recording stand-ins for the user32, gdi32, kernel32 and opengl32 calls of
// the window layer, and for the renderer entry points it calls. The window
// layer is compiled unchanged against Wine's headers and linked with these
// definitions instead of the system's.
//
// Every call is logged in order, with its arguments, as text such as
//   CreateWindowExA(0x40100, "OpenGL", "Title", 0x6cf0000, 0, 0, 656, 519, NULL, NULL, module, NULL)
// so that a test compares the log with the sequence it expects. Handles the
// fake gives out have readable names: module, app, window#N, dc#N, rc#N,
// dialog#N, icon#ID, cursor#ID (N counts from 1 per kind).
//
// Results follow a small model of the system (a class must be registered to
// create a window and cannot be registered twice; wglMakeCurrent selects the
// context; ShowCursor counts; the screen mode is switched and restored) unless
// a test scripts them.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fake {

struct Call {
    std::string name;
    std::vector<std::string> args;
    HGLRC context;  // the rendering context that was current when the call was made

    std::string text() const;  // name(arg, arg, ...)
};

// Forgets every call, script, queued message and model state.
void reset();

// ---- the log ----
const std::vector<Call>& calls();
std::vector<std::string> log();
std::vector<std::string> log_of(const std::vector<std::string>& names);       // only these functions
std::vector<std::string> log_without(const std::vector<std::string>& names);  // all but these
std::vector<Call> calls_of(const std::string& name);
int count(const std::string& name);

// Runs after every call is logged and before the fake acts on it, so a test
// can look at the program's own state at that moment.
void observe(std::function<void(const Call&)> observer);

// ---- scripted results ----
// The nth call (counted from 1) of the function returns result instead of
// what the model would give.
void script(const std::string& function, int nth, std::intptr_t result);
// Every call of the function returns result.
void script_always(const std::string& function, std::intptr_t result);
// The nth call fails the way the function reports failure (null, 0, FALSE,
// or DISP_CHANGE_FAILED for ChangeDisplaySettingsA).
void fail(const std::string& function, int nth = 1);

// ---- the message queue seen by PeekMessageA ----
// Messages are taken in the order posted; a null window stands for the
// window most recently created. idle() makes PeekMessageA find nothing that
// many times. A quit posted by PostQuitMessage is taken as soon as no posted
// message is in front of it. When everything is taken, PeekMessageA delivers
// WM_QUIT with wParam 0 (a runaway loop is stopped after a while).
void post(UINT message, WPARAM wparam = 0, LPARAM lparam = 0, HWND window = nullptr);
void idle(int times = 1);
// Queued entries (messages and idle turns) not taken yet.
int queued();

// What the user does in a modal dialog after WM_INITDIALOG: the messages are
// sent to its procedure in order until EndDialog is called. Without one,
// DialogBoxParamA gives up and returns -1.
void dialog_input(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
// The procedure passed to the last DialogBoxParamA.
DLGPROC last_dialog_proc();

// ---- what the program passed ----
struct RegisteredClass {
    WNDCLASSA fields;
    std::string name;
};
const std::vector<RegisteredClass>& registered_classes();     // every RegisterClassA
const std::vector<DEVMODEA>& display_requests();               // every non-null ChangeDisplaySettingsA
const std::vector<RECT>& rects_to_adjust();                    // AdjustWindowRectEx, as given
const std::vector<PIXELFORMATDESCRIPTOR>& chosen_requests();   // ChoosePixelFormat
const std::vector<PIXELFORMATDESCRIPTOR>& set_requests();      // SetPixelFormat

// ---- the model's state ----
bool class_registered(const std::string& name);
int windows_alive();
int device_contexts_held();
int contexts_alive();
HGLRC current_context();
int cursor_counter();  // 0 as at start; ShowCursor(FALSE) lowers it
bool screen_switched();

// What AdjustWindowRectEx puts around the client area of a window with a
// caption: a border on every side and the caption bar on top. Other styles
// (a bare popup) get nothing.
constexpr int FRAME_BORDER = 8;
constexpr int FRAME_CAPTION = 31;

// ---- handles ----
HINSTANCE module();        // what GetModuleHandleA(NULL) gives
HINSTANCE app_instance();  // a stand-in for the instance the entry point receives
HWND window(int n);
HDC dc(int n);
HGLRC rc(int n);
HWND dialog(int n);
std::string name_of(const void* handle);

// ---- formatting, as the log writes arguments ----
std::string hex(unsigned long long value);  // 0x1f
std::string quoted(const char* text);       // "text", #id for an integer resource, NULL
std::string message_name(UINT message);     // WM_KEYDOWN, or hex
std::string text(const std::string& name, const std::vector<std::string>& args);

// ---- for the renderer stand-ins ----
Call& record(const std::string& name, std::vector<std::string> args);
std::intptr_t result(const std::string& name, std::intptr_t model_result);

}  // namespace fake
