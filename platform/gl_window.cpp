#include "platform/gl_window.h"

#include "core/viewer_state.h"
#include "platform/window_proc.h"
#include "render/scene.h"
#include "viewer/fallback.h"
#include "viewer/texts.h"
#include "viewer/viewer_scene.h"

GlWindow gl_window = {nullptr, nullptr, nullptr, nullptr};

namespace {

const char CLASS_NAME[] = "OpenGL";

// The pixel format asked for on every opening, but for its colour depth.
const PIXELFORMATDESCRIPTOR PIXEL_FORMAT_REQUEST = {
    40,  // nSize
    1,   // nVersion
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    0,  // cColorBits: the caller's
    0, 0, 0, 0, 0, 0,  // colour bits and shifts ignored
    0, 0,              // no alpha
    0, 0, 0, 0, 0,     // no accumulation buffer
    32,                // cDepthBits
    0,                 // no stencil
    0,                 // no auxiliary buffers
    PFD_MAIN_PLANE,
    0, 0, 0, 0,
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "pixel format request must be 40 bytes");

// The viewer's colour depth is fixed by the first window the process creates
// (0 until then).
int chosen_colour_bits = 0;

void report_error(const char* text) { MessageBoxA(nullptr, text, texts::ERROR_CAPTION, MB_OK | MB_ICONEXCLAMATION); }

void report_shutdown_error(const char* text) {
    MessageBoxA(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

bool ask_window_instead(const char* caption, const char* text) {
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void tell_closing(const char* caption, const char* text) { MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP); }

// Every failure after the class is registered takes the same way out: undo
// what was done, then tell the user.
bool fail_opening(const char* text) {
    close_view_window();
    report_error(text);
    return false;
}

}  // namespace

const char* attach_gl_context(HWND window, int colour_bits, HDC& device_context, HGLRC& render_context) {
    PIXELFORMATDESCRIPTOR request = PIXEL_FORMAT_REQUEST;
    request.cColorBits = static_cast<BYTE>(colour_bits);

    device_context = GetDC(window);
    if (device_context == nullptr) return "Can't Create A GL Device Context.";

    const int format = ChoosePixelFormat(device_context, &request);
    if (format == 0) return "Can't Find A Suitable PixelFormat.";

    if (!SetPixelFormat(device_context, format, &request)) return "Can't Set The PixelFormat.";

    render_context = wglCreateContext(device_context);
    if (render_context == nullptr) return "Can't Create A GL Rendering Context.";

    if (!wglMakeCurrent(device_context, render_context)) return "Can't Activate The GL Rendering Context.";
    return nullptr;
}

bool open_view_window(const char* caption, int width, int height, int bits, bool fullscreen_flag) {
    viewer.fullscreen = fullscreen_flag;

    gl_window.instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    window_class.lpfnWndProc = view_window_proc;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = gl_window.instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = CLASS_NAME;
    if (RegisterClassA(&window_class) == 0) {
        report_error("Failed To Register The Window Class.");
        return false;
    }

    if (viewer.fullscreen) {
        DEVMODEA screen_settings;
        ZeroMemory(&screen_settings, sizeof(screen_settings));
        screen_settings.dmSize = sizeof(screen_settings);
        screen_settings.dmPelsWidth = static_cast<DWORD>(width);
        screen_settings.dmPelsHeight = static_cast<DWORD>(height);
        screen_settings.dmBitsPerPel = static_cast<DWORD>(bits);
        screen_settings.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsA(&screen_settings, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL &&
            !fall_back_to_window(ask_window_instead, tell_closing)) {
            return false;
        }
    }

    DWORD ex_style;
    DWORD style;
    if (viewer.fullscreen) {
        ex_style = WS_EX_APPWINDOW;
        style = WS_POPUP;
        ShowCursor(FALSE);
    } else {
        ex_style = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW;
    }

    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);

    gl_window.window = CreateWindowExA(ex_style, CLASS_NAME, caption, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                       0, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                       gl_window.instance, nullptr);
    if (gl_window.window == nullptr) return fail_opening("Window Creation Error.");

    if (chosen_colour_bits == 0) chosen_colour_bits = bits;

    const char* failure = attach_gl_context(gl_window.window, chosen_colour_bits, gl_window.device_context,
                                            gl_window.render_context);
    if (failure != nullptr) return fail_opening(failure);

    ShowWindow(gl_window.window, SW_SHOW);
    SetForegroundWindow(gl_window.window);
    SetFocus(gl_window.window);
    resize_view(width, height);

    if (!setup_gl_state()) return fail_opening("Initialization Failed.");
    return true;
}

void close_view_window() {
    if (viewer.fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }

    if (gl_window.render_context != nullptr) {
        if (!wglMakeCurrent(nullptr, nullptr)) report_shutdown_error("Release Of DC And RC Failed.");
        if (!wglDeleteContext(gl_window.render_context)) report_shutdown_error("Release Rendering Context Failed.");
        gl_window.render_context = nullptr;
    }

    if (gl_window.device_context != nullptr) {
        if (!ReleaseDC(gl_window.window, gl_window.device_context)) {
            report_shutdown_error("Release Device Context Failed.");
        }
        gl_window.device_context = nullptr;
    }

    if (gl_window.window != nullptr) {
        if (!DestroyWindow(gl_window.window)) report_shutdown_error("Could Not Release hWnd.");
        gl_window.window = nullptr;
    }

    if (!UnregisterClassA(CLASS_NAME, gl_window.instance)) report_shutdown_error("Could Not Unregister Class.");
    gl_window.instance = nullptr;
}

Pumped take_message(MSG& message) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return Pumped::none;
    if (message.message == WM_QUIT) return Pumped::quit;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return Pumped::dispatched;
}
