// What the Control Panel and Windows do to a screen saver, as a test
// program.
//
//   preview-host.exe SAVER_PATH
//
// The preview: a window whose handle is handed to "polytree.scr /p HWND",
// then, when told, that window destroyed, as the Control Panel does when the
// user leaves the Screen Saver page. Prints "child WxH of WxH" once the
// saver's child window is there (or "children N" when not exactly one
// appears within 20 s), then waits for a key in its window. On the key it
// destroys the window and prints "parent destroyed in MS ms" and "saver exit
// CODE after MS ms", both counted from the start of the destruction (CODE
// "none" when the saver is still running after 10 s). Exit code 0 when the
// saver made one child of the client's size and ended with 0 within 5 s of
// the destruction.
//
//   preview-host.exe /c SAVER_PATH
//
// The Settings button: "polytree.scr /c:HWND" owned by the window. Prints
// "owner enabled N while the dialog shows" once the dialog is visible and
// its owner disabled (or after 10 s), then "saver exit CODE, owner enabled N"
// once the saver has ended. Exit code 0 when the owner was disabled while the
// dialog showed and enabled again after it.
//
//   preview-host.exe /power STATE
//
// The display's power going to STATE (2 off, -1 on): WM_SYSCOMMAND
// SC_MONITORPOWER sent to the full-screen saver's window. Prints "sent" once
// the saver has handled it; exit code 1 when there is no saver window.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char HOST_TITLE[] = "PolyTree preview host";
constexpr int CLIENT_WIDTH = 320;
constexpr int CLIENT_HEIGHT = 240;

bool key_pressed = false;

LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_KEYDOWN) {
        key_pressed = true;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void pump(DWORD milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND open_host_window() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = host_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = "PolyTreePreviewHost";
    RegisterClassA(&window_class);
    RECT frame = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowA(window_class.lpszClassName, HOST_TITLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
}

// The saver started with its argument and the window's handle; null on failure.
HANDLE start_saver(const char* saver_path, const char* argument, HWND window) {
    std::string command = "\"" + std::string(saver_path) + "\" " + argument +
                          std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("could not start %s\n", command.c_str());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the saver's end, pumping as the Control Panel does: the saver's
// windows may send to this thread on their way out. True when it ended.
bool wait_for_saver(HANDLE process, DWORD since, DWORD limit_ms) {
    DWORD waited = WAIT_TIMEOUT;
    while (waited != WAIT_OBJECT_0 && GetTickCount() - since < limit_ms) {
        waited = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    return waited == WAIT_OBJECT_0;
}

int run_preview(const char* saver_path) {
    HWND parent = open_host_window();
    if (parent == nullptr) return 1;
    HANDLE process = start_saver(saver_path, "/p ", parent);
    if (process == nullptr) return 1;

    int children = 0;
    for (int waited = 0; waited < 20000 && children == 0; waited += 50) {
        pump(50);
        EnumChildWindows(parent, count_child, reinterpret_cast<LPARAM>(&children));
    }
    pump(500);  // a second child, had the saver made one, would be there by now
    children = 0;
    EnumChildWindows(parent, count_child, reinterpret_cast<LPARAM>(&children));
    bool child_right = false;
    if (children == 1) {
        RECT client;
        RECT child_client;
        GetClientRect(parent, &client);
        GetClientRect(FindWindowExA(parent, nullptr, nullptr, nullptr), &child_client);
        std::printf("child %ldx%ld of %ldx%ld\n", child_client.right, child_client.bottom, client.right,
                    client.bottom);
        child_right = child_client.right == client.right && child_client.bottom == client.bottom;
    } else {
        std::printf("children %d\n", children);
    }
    std::fflush(stdout);

    while (!key_pressed) pump(INFINITE);
    const DWORD destroyed = GetTickCount();
    DestroyWindow(parent);
    std::printf("parent destroyed in %lu ms\n", GetTickCount() - destroyed);
    const bool ended = wait_for_saver(process, destroyed, 10000);
    const DWORD elapsed = GetTickCount() - destroyed;
    DWORD saver_exit = 0;
    if (ended && GetExitCodeProcess(process, &saver_exit)) {
        std::printf("saver exit %lu after %lu ms\n", saver_exit, elapsed);
    } else {
        std::printf("saver exit none after %lu ms\n", elapsed);
        TerminateProcess(process, 1);
    }
    std::fflush(stdout);
    CloseHandle(process);
    return child_right && ended && saver_exit == 0 && elapsed <= 5000 ? 0 : 1;
}

int run_settings(const char* saver_path) {
    HWND owner = open_host_window();
    if (owner == nullptr) return 1;
    HANDLE process = start_saver(saver_path, "/c:", owner);
    if (process == nullptr) return 1;

    // A modal dialog disables its owner around its showing: polled until
    // then, within a bound.
    const DWORD started = GetTickCount();
    HWND dialog = nullptr;
    while (GetTickCount() - started < 10000 &&
           (dialog == nullptr || !IsWindowVisible(dialog) || IsWindowEnabled(owner))) {
        pump(50);
        dialog = FindWindowA(nullptr, "PolyTree screen saver settings");
    }
    const bool enabled_while_shown = IsWindowEnabled(owner) != FALSE;
    std::printf("owner enabled %d while the dialog shows\n", enabled_while_shown ? 1 : 0);
    std::fflush(stdout);

    const bool ended = wait_for_saver(process, GetTickCount(), 60000);
    DWORD saver_exit = 0;
    const bool enabled_after = IsWindowEnabled(owner) != FALSE;
    if (ended && GetExitCodeProcess(process, &saver_exit)) {
        std::printf("saver exit %lu, owner enabled %d\n", saver_exit, enabled_after ? 1 : 0);
    } else {
        std::printf("saver exit none, owner enabled %d\n", enabled_after ? 1 : 0);
        TerminateProcess(process, 1);
    }
    std::fflush(stdout);
    CloseHandle(process);
    DestroyWindow(owner);
    return dialog != nullptr && !enabled_while_shown && ended && saver_exit == 0 && enabled_after ? 0 : 1;
}

int send_monitor_power(const char* state) {
    HWND saver = FindWindowA("PolyTreeSaver", nullptr);
    if (saver == nullptr) {
        std::printf("no saver window\n");
        return 1;
    }
    // A plain number in lparam: fine across processes, unlike a pointer.
    SendMessageA(saver, WM_SYSCOMMAND, SC_MONITORPOWER, static_cast<LPARAM>(std::atoi(state)));
    std::printf("sent\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) return run_preview(argv[1]);
    if (argc == 3 && std::string(argv[1]) == "/c") return run_settings(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "/power") return send_monitor_power(argv[2]);
    std::printf("usage: preview-host SAVER_PATH | /c SAVER_PATH | /power STATE\n");
    return 2;
}

