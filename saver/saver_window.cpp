#include "saver/saver_window.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gl_window.h"
#include "render/scene.h"
#include "saver/screen.h"
#include "viewer/saver_frame.h"

namespace {

const char CLASS_NAME[] = "PolyTreeSaver";
const char WINDOW_NAME[] = "PolyTree";
// One full-screen saver per session: Windows may start a second one while
// the first runs (a policy timer, a test button).
const char FULL_SCREEN_MUTEX[] = "PolyTree.ScreenSaver.FullScreen";
const char ERROR_CAPTION[] = "PolyTree";
constexpr int COLOUR_BITS = 32;
constexpr double FULL_SCREEN_FRAME_SECONDS = 1.0 / 60.0;
// The preview is a thumbnail in the Control Panel: half the pace will do.
constexpr double PREVIEW_FRAME_SECONDS = 1.0 / 30.0;

// The display's power state, as Windows announces it to the windows that
// registered for it (Windows 8 and later): GUID_CONSOLE_DISPLAY_STATE.
const GUID CONSOLE_DISPLAY_STATE = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr LPARAM MONITOR_OFF = 2;  // SC_MONITORPOWER's lparam

struct SaverWindow {
    HINSTANCE instance;
    HWND window;
    HDC device_context;
    HGLRC render_context;
    HPOWERNOTIFY power_notification;
    bool class_registered;
    bool preview;  // input and activation are the Control Panel's
    bool display_off;
    MouseWatch mouse;
    std::vector<Viewport> viewports;
};

SaverWindow saver;

void quit() { PostQuitMessage(SAVER_EXIT_OK); }

// What the full-screen saver makes of input: the user is back.
bool ends_full_screen(UINT message, LPARAM lparam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            return true;
        case WM_MOUSEMOVE:
            // GET_X_LPARAM's sign extension, without windowsx.h.
            return saver.mouse.moved_away(static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        default:
            return false;
    }
}

LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (saver.preview) {
        // Windows destroys the preview when the user leaves it.
        if (message == WM_DESTROY) quit();
        return DefWindowProcA(window, message, wparam, lparam);
    }
    if (ends_full_screen(message, lparam)) {
        quit();
        return 0;
    }
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_ACTIVATEAPP:
            if (wparam == FALSE) quit();
            return 0;
        case WM_SYSCOMMAND:
            // The system uses the four low bits itself.
            switch (wparam & 0xFFF0) {
                case SC_SCREENSAVE:
                case SC_CLOSE:
                    return 0;
                case SC_MONITORPOWER:
                    saver.display_off = lparam == MONITOR_OFF;
                    break;
                default:
                    break;
            }
            break;
        case WM_POWERBROADCAST:
            if (wparam == PBT_POWERSETTINGCHANGE) {
                const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
                if (IsEqualGUID(setting->PowerSetting, CONSOLE_DISPLAY_STATE) && setting->DataLength >= 1) {
                    saver.display_off = setting->Data[0] == 0;  // 0 off, 1 on, 2 dimmed
                }
                return TRUE;
            }
            break;
        case WM_CLOSE:
            // The loop ends on the quit message and closes the window itself.
            quit();
            return 0;
        case WM_DESTROY:
            quit();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// Releases what is held, newest first; each handle cleared after its release
// so that a second call does nothing.
void close_saver_window() {
    if (saver.power_notification != nullptr) {
        UnregisterPowerSettingNotification(saver.power_notification);
        saver.power_notification = nullptr;
    }
    if (saver.render_context != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(saver.render_context);
        saver.render_context = nullptr;
    }
    if (saver.device_context != nullptr) {
        ReleaseDC(saver.window, saver.device_context);
        saver.device_context = nullptr;
    }
    if (saver.window != nullptr) {
        if (IsWindow(saver.window)) DestroyWindow(saver.window);
        saver.window = nullptr;
    }
    if (saver.class_registered) {
        UnregisterClassA(CLASS_NAME, saver.instance);
        saver.class_registered = false;
    }
}

BOOL CALLBACK add_monitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

bool register_saver_class(HINSTANCE instance) {
    saver.instance = instance;
    WNDCLASSA window_class = {};
    // Its own device context: the GL context keeps using it. No cursor: the
    // full screen shows the figure alone, and the preview's is its parent's.
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = saver_window_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = CLASS_NAME;
    saver.class_registered = RegisterClassA(&window_class) != 0;
    return saver.class_registered;
}

// Frames shown at the display's vertical blank where the driver offers it
// (WGL_EXT_swap_control): no tearing. The pace stays the timed wait's, as
// not every driver has a blank to wait for (none under Wine and llvmpipe).
void swap_at_vertical_blank() {
    using SwapInterval = BOOL(WINAPI*)(int);
    const PROC found = wglGetProcAddress("wglSwapIntervalEXT");
    // Some drivers answer a name they lack with 1, 2, 3 or -1 instead of null.
    std::intptr_t address;
    static_assert(sizeof(address) == sizeof(found), "a function pointer fits an intptr_t");
    std::memcpy(&address, &found, sizeof(address));
    if (address >= -1 && address <= 3) return;
    SwapInterval set_interval;
    static_assert(sizeof(set_interval) == sizeof(found), "function pointers of one size");
    std::memcpy(&set_interval, &found, sizeof(set_interval));
    set_interval(1);
}

// The window over the whole virtual screen with its GL context, or the
// reason it could not be made.
const char* open_full_screen(HINSTANCE instance) {
    if (!register_saver_class(instance)) return "Could not register the window class.";

    const ScreenRect screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                               GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                               GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    saver.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, CLASS_NAME, WINDOW_NAME,
                                   WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, screen.left, screen.top,
                                   screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr,
                                   instance, nullptr);
    if (saver.window == nullptr) return "Could not open the screen saver's window.";

    const char* failure =
        attach_gl_context(saver.window, COLOUR_BITS, saver.device_context, saver.render_context);
    if (failure != nullptr) return failure;
    setup_gl_state();
    swap_at_vertical_blank();

    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    saver.viewports = monitor_viewports(screen, monitors);

    // Null before Windows 8, which knows no display-state notification;
    // SC_MONITORPOWER tells there.
    saver.power_notification =
        RegisterPowerSettingNotification(saver.window, &CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);

    ShowWindow(saver.window, SW_SHOW);
    SetForegroundWindow(saver.window);
    SetFocus(saver.window);
    return nullptr;
}

double seconds_since(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The preview's child window filling parent, with its GL context.
bool open_preview(HINSTANCE instance, HWND parent) {
    saver.preview = true;
    RECT client;
    if (!GetClientRect(parent, &client) || !register_saver_class(instance)) return false;
    saver.window = CreateWindowExA(0, CLASS_NAME, WINDOW_NAME, WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                   client.bottom, parent, nullptr, instance, nullptr);
    if (saver.window == nullptr) return false;
    if (attach_gl_context(saver.window, COLOUR_BITS, saver.device_context, saver.render_context) != nullptr) {
        return false;
    }
    setup_gl_state();
    saver.viewports = {{0, 0, client.right, client.bottom}};
    return true;
}

// Draws at the given pace until the quit message, or until parent, when
// given, is gone. Between frames it sleeps in the wait for messages: a saver
// spends power while nobody looks.
int run_frames(const SaverSettings& settings, double frame_seconds, HWND parent) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SaverFrame frame(settings);
    frame.reshape(saver.viewports);
    double next_frame = 0.0;
    for (;;) {
        MSG message;
        Pumped taken;
        while ((taken = take_message(message)) != Pumped::none) {
            if (taken == Pumped::quit) return static_cast<int>(message.wParam);
        }
        // A Control Panel that went away without destroying the preview
        // must not leave its process running.
        if (parent != nullptr && !IsWindow(parent)) return SAVER_EXIT_OK;
        if (saver.display_off) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
            continue;
        }
        const double now = seconds_since(start, frequency);
        if (now >= next_frame) {
            frame.draw(now);
            SwapBuffers(saver.device_context);
            // A slow frame moves the schedule on rather than making up for it.
            next_frame = next_frame + frame_seconds > now ? next_frame + frame_seconds : now + frame_seconds;
            continue;
        }
        const auto wait_ms = static_cast<DWORD>((next_frame - now) * 1000.0) + 1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait_ms, QS_ALLINPUT);
    }
}

}  // namespace

int run_full_screen(HINSTANCE instance, const SaverSettings& settings) {
    HANDLE running = CreateMutexA(nullptr, FALSE, FULL_SCREEN_MUTEX);
    if (running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(running);
        return SAVER_EXIT_OK;
    }

    int exit_code = SAVER_EXIT_FAILED;
    if (const char* failure = open_full_screen(instance)) {
        // The top-most window would hide the box and lock the screen.
        close_saver_window();
        // Its destruction asked to quit, and a box takes a pending quit as
        // its own end: it would vanish before anyone could read it.
        MSG quit_message;
        PeekMessageA(&quit_message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        MessageBoxA(nullptr, failure, ERROR_CAPTION, MB_OK | MB_ICONEXCLAMATION);
    } else {
        ShowCursor(FALSE);
        exit_code = run_frames(settings, FULL_SCREEN_FRAME_SECONDS, nullptr);
        close_saver_window();
        ShowCursor(TRUE);
    }
    if (running != nullptr) CloseHandle(running);
    return exit_code;
}

int run_preview(HINSTANCE instance, std::uint64_t parent_handle, const SaverSettings& settings) {
    const auto parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(parent_handle));
    if (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(parent)) != parent_handle || !IsWindow(parent)) {
        return SAVER_EXIT_BAD_ARGUMENTS;
    }
    // Inside the Control Panel a failure shows nothing: the preview stays empty.
    int exit_code = SAVER_EXIT_FAILED;
    if (open_preview(instance, parent)) exit_code = run_frames(settings, PREVIEW_FRAME_SECONDS, parent);
    close_saver_window();
    return exit_code;
}
