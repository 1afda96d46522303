#include "fake_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <utility>

namespace fake {
namespace {

// Handles are small numbers tagged with their kind; nothing dereferences them.
enum Kind : std::uintptr_t { MODULE = 1, APP, WINDOW, DC, RC, DIALOG, ICON, CURSOR };
constexpr unsigned KIND_SHIFT = 20;
constexpr std::uintptr_t NUMBER_MASK = (std::uintptr_t{1} << KIND_SHIFT) - 1;

std::uintptr_t handle_value(Kind kind, int n) {
    return (static_cast<std::uintptr_t>(kind) << KIND_SHIFT) | static_cast<std::uintptr_t>(n);
}

template <class Handle>
Handle make(Kind kind, int n) {
    return reinterpret_cast<Handle>(handle_value(kind, n));
}

struct Entry {
    bool is_idle;
    MSG message;
};

// Looks at the queue allowed once it is used up: far more than any test
// needs, so a loop that ignores WM_QUIT is stopped instead of spinning until
// the time-out.
constexpr int MAX_TURNS_PAST_QUEUE = 1000;

// A window procedure kept by value. Its pointer type carries the Windows
// calling convention, which a template argument would drop, so it is never
// handed to a container directly.
struct Procedure {
    HINSTANCE instance;
    WNDPROC call;
};

struct State {
    std::vector<Call> calls;
    std::map<std::string, int> counts;
    std::map<std::pair<std::string, int>, std::intptr_t> scripted;
    std::map<std::string, std::intptr_t> scripted_always;
    std::function<void(const Call&)> observer;

    std::deque<Entry> queue;
    bool quit_posted = false;
    int quit_code = 0;
    int turns_past_queue = 0;

    std::vector<MSG> dialog_messages;
    DLGPROC dialog_proc = nullptr;
    int dialogs = 0;
    std::map<HWND, INT_PTR> ended_dialogs;

    std::vector<RegisteredClass> classes;
    std::map<std::string, Procedure> registered;
    std::map<HWND, Procedure> window_procs;
    std::vector<DEVMODEA> display_requests;
    std::vector<RECT> rects;
    std::vector<PIXELFORMATDESCRIPTOR> chosen;
    std::vector<PIXELFORMATDESCRIPTOR> set;

    int windows_created = 0;
    int dcs_taken = 0;
    int contexts_created = 0;
    int windows_alive = 0;
    int dcs_held = 0;
    int contexts_alive = 0;
    HWND last_window = nullptr;
    HGLRC current = nullptr;
    int cursor = 0;
    bool switched = false;
};

State& state() {
    static State s;
    return s;
}

std::string number(long long value) { return std::to_string(value); }
std::string unsigned_number(unsigned long long value) { return std::to_string(value); }
std::string boolean(BOOL value) { return value == FALSE ? "FALSE" : value == TRUE ? "TRUE" : number(value); }
std::string pointer(const void* p, const char* what) { return p == nullptr ? "NULL" : what; }

std::string rect_text(const RECT& r) {
    return "{" + number(r.left) + ", " + number(r.top) + ", " + number(r.right) + ", " + number(r.bottom) + "}";
}

std::string devmode_text(const DEVMODEA* mode) {
    if (mode == nullptr) return "NULL";
    return "{" + unsigned_number(mode->dmPelsWidth) + "x" + unsigned_number(mode->dmPelsHeight) + "x" +
           unsigned_number(mode->dmBitsPerPel) + "}";
}

std::intptr_t failure_value(const std::string& function) {
    if (function == "ChangeDisplaySettingsA") return DISP_CHANGE_FAILED;
    return 0;
}

// Both the proc's window and the one a message is posted for: null means the
// newest window, so tests need not know its handle in advance.
HWND target_window(HWND given) { return given != nullptr ? given : state().last_window; }

}  // namespace

std::string Call::text() const { return fake::text(name, args); }

void reset() { state() = State{}; }

const std::vector<Call>& calls() { return state().calls; }

std::vector<std::string> log() {
    std::vector<std::string> out;
    for (const Call& call : state().calls) out.push_back(call.text());
    return out;
}

namespace {
bool listed(const std::string& name, const std::vector<std::string>& names) {
    for (const std::string& n : names) {
        if (n == name) return true;
    }
    return false;
}
}  // namespace

std::vector<std::string> log_of(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const Call& call : state().calls) {
        if (listed(call.name, names)) out.push_back(call.text());
    }
    return out;
}

std::vector<std::string> log_without(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const Call& call : state().calls) {
        if (!listed(call.name, names)) out.push_back(call.text());
    }
    return out;
}

std::vector<Call> calls_of(const std::string& name) {
    std::vector<Call> out;
    for (const Call& call : state().calls) {
        if (call.name == name) out.push_back(call);
    }
    return out;
}

int count(const std::string& name) {
    const auto found = state().counts.find(name);
    return found == state().counts.end() ? 0 : found->second;
}

void observe(std::function<void(const Call&)> observer) { state().observer = std::move(observer); }

void script(const std::string& function, int nth, std::intptr_t result) {
    state().scripted[{function, nth}] = result;
}

void script_always(const std::string& function, std::intptr_t result) {
    state().scripted_always[function] = result;
}

void fail(const std::string& function, int nth) { script(function, nth, failure_value(function)); }

void post(UINT message, WPARAM wparam, LPARAM lparam, HWND window) {
    Entry entry{};
    entry.is_idle = false;
    entry.message.hwnd = window;
    entry.message.message = message;
    entry.message.wParam = wparam;
    entry.message.lParam = lparam;
    state().queue.push_back(entry);
}

void idle(int times) {
    for (int i = 0; i < times; ++i) {
        Entry entry{};
        entry.is_idle = true;
        state().queue.push_back(entry);
    }
}

int queued() { return static_cast<int>(state().queue.size()); }

void dialog_input(UINT message, WPARAM wparam, LPARAM lparam) {
    MSG m{};
    m.message = message;
    m.wParam = wparam;
    m.lParam = lparam;
    state().dialog_messages.push_back(m);
}

DLGPROC last_dialog_proc() { return state().dialog_proc; }

const std::vector<RegisteredClass>& registered_classes() { return state().classes; }
const std::vector<DEVMODEA>& display_requests() { return state().display_requests; }
const std::vector<RECT>& rects_to_adjust() { return state().rects; }
const std::vector<PIXELFORMATDESCRIPTOR>& chosen_requests() { return state().chosen; }
const std::vector<PIXELFORMATDESCRIPTOR>& set_requests() { return state().set; }

bool class_registered(const std::string& name) { return state().registered.count(name) != 0; }
int windows_alive() { return state().windows_alive; }
int device_contexts_held() { return state().dcs_held; }
int contexts_alive() { return state().contexts_alive; }
HGLRC current_context() { return state().current; }
int cursor_counter() { return state().cursor; }
bool screen_switched() { return state().switched; }

HINSTANCE module() { return make<HINSTANCE>(MODULE, 0); }
HINSTANCE app_instance() { return make<HINSTANCE>(APP, 0); }
HWND window(int n) { return make<HWND>(WINDOW, n); }
HDC dc(int n) { return make<HDC>(DC, n); }
HGLRC rc(int n) { return make<HGLRC>(RC, n); }
HWND dialog(int n) { return make<HWND>(DIALOG, n); }

std::string name_of(const void* handle) {
    if (handle == nullptr) return "NULL";
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    const std::uintptr_t kind = value >> KIND_SHIFT;
    const std::string n = unsigned_number(value & NUMBER_MASK);
    switch (kind) {
        case MODULE: return "module";
        case APP: return "app";
        case WINDOW: return "window#" + n;
        case DC: return "dc#" + n;
        case RC: return "rc#" + n;
        case DIALOG: return "dialog#" + n;
        case ICON: return "icon#" + n;
        case CURSOR: return "cursor#" + n;
        default: return hex(value);
    }
}

std::string hex(unsigned long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%llx", value);
    return buffer;
}

std::string quoted(const char* text) {
    if (text == nullptr) return "NULL";
    if (IS_INTRESOURCE(text)) return "#" + unsigned_number(reinterpret_cast<std::uintptr_t>(text));
    return "\"" + std::string(text) + "\"";
}

std::string message_name(UINT message) {
    static const std::map<UINT, const char*> names = {
        {WM_ACTIVATE, "WM_ACTIVATE"},     {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_CLOSE, "WM_CLOSE"},
        {WM_KEYDOWN, "WM_KEYDOWN"},       {WM_KEYUP, "WM_KEYUP"},           {WM_SIZE, "WM_SIZE"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},   {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_CHAR, "WM_CHAR"},             {WM_QUIT, "WM_QUIT"},             {WM_PAINT, "WM_PAINT"},
        {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_COMMAND, "WM_COMMAND"},       {WM_DESTROY, "WM_DESTROY"},
    };
    const auto found = names.find(message);
    return found != names.end() ? found->second : hex(message);
}

std::string text(const std::string& name, const std::vector<std::string>& args) {
    std::string out = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i != 0) out += ", ";
        out += args[i];
    }
    return out + ")";
}

Call& record(const std::string& name, std::vector<std::string> args) {
    State& s = state();
    ++s.counts[name];
    s.calls.push_back(Call{name, std::move(args), s.current});
    // The observer may itself look at the log, so hand it a copy.
    const Call call = s.calls.back();
    if (s.observer) s.observer(call);
    return s.calls.back();
}

std::intptr_t result(const std::string& name, std::intptr_t model_result) {
    State& s = state();
    const auto nth = s.scripted.find({name, s.counts[name]});
    if (nth != s.scripted.end()) return nth->second;
    const auto always = s.scripted_always.find(name);
    if (always != s.scripted_always.end()) return always->second;
    return model_result;
}


}  // namespace fake

// ---- the stand-ins themselves ----

namespace {

using fake::record;
using fake::result;

std::string msg_args(const MSG* m) {
    if (m == nullptr) return "NULL";
    return fake::name_of(m->hwnd) + ", " + fake::message_name(m->message) + ", " + std::to_string(m->wParam) + ", " +
           std::to_string(m->lParam);
}

template <class Handle>
Handle handle_result(const std::string& name, Handle model) {
    return reinterpret_cast<Handle>(result(name, reinterpret_cast<std::intptr_t>(model)));
}

BOOL bool_result(const std::string& name, BOOL model) { return static_cast<BOOL>(result(name, model)); }

int resource_id(LPCSTR name) {
    return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(name)) : 0;
}

}  // namespace

extern "C" {

// kernel32

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    record("GetModuleHandleA", {fake::quoted(name)});
    return handle_result<HMODULE>("GetModuleHandleA", fake::module());
}

// user32: classes, windows, cursor, display mode

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    record("LoadIconA", {fake::name_of(instance), fake::quoted(name)});
    return handle_result<HICON>("LoadIconA", fake::make<HICON>(fake::ICON, resource_id(name)));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    record("LoadCursorA", {fake::name_of(instance), fake::quoted(name)});
    return handle_result<HCURSOR>("LoadCursorA", fake::make<HCURSOR>(fake::CURSOR, resource_id(name)));
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* window_class) {
    fake::State& s = fake::state();
    const std::string name = window_class != nullptr && window_class->lpszClassName != nullptr
                                 ? std::string(window_class->lpszClassName)
                                 : std::string();
    record("RegisterClassA", {fake::quoted(window_class != nullptr ? window_class->lpszClassName : nullptr)});
    if (window_class != nullptr) s.classes.push_back(fake::RegisteredClass{*window_class, name});
    // A class name can be registered only once until it is unregistered.
    const bool free = window_class != nullptr && s.registered.count(name) == 0;
    const ATOM atom = static_cast<ATOM>(result("RegisterClassA", free ? 0xC000 + static_cast<int>(s.classes.size()) : 0));
    if (atom != 0) s.registered[name] = fake::Procedure{window_class->hInstance, window_class->lpfnWndProc};
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE instance) {
    fake::State& s = fake::state();
    record("UnregisterClassA", {fake::quoted(name), fake::name_of(instance)});
    const std::string key = name != nullptr && !IS_INTRESOURCE(name) ? std::string(name) : std::string();
    const auto found = s.registered.find(key);
    // The system knows a class by its name and the instance that registered it.
    const bool known = found != s.registered.end() && found->second.instance == instance;
    const BOOL ok = bool_result("UnregisterClassA", known ? TRUE : FALSE);
    if (ok && found != s.registered.end()) s.registered.erase(found);
    return ok;
}

LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags) {
    fake::State& s = fake::state();
    record("ChangeDisplaySettingsA", {fake::devmode_text(mode), fake::hex(flags)});
    if (mode != nullptr) s.display_requests.push_back(*mode);
    const LONG outcome = static_cast<LONG>(result("ChangeDisplaySettingsA", DISP_CHANGE_SUCCESSFUL));
    if (outcome == DISP_CHANGE_SUCCESSFUL) s.switched = mode != nullptr;
    return outcome;
}

INT WINAPI ShowCursor(BOOL show) {
    fake::State& s = fake::state();
    record("ShowCursor", {fake::boolean(show)});
    s.cursor += show ? 1 : -1;
    return static_cast<INT>(result("ShowCursor", s.cursor));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style) {
    fake::State& s = fake::state();
    record("AdjustWindowRectEx", {rect != nullptr ? fake::rect_text(*rect) : "NULL", fake::hex(style),
                                  fake::boolean(menu), fake::hex(ex_style)});
    if (rect == nullptr) return FALSE;
    s.rects.push_back(*rect);
    // A framed window gets a border on every side and a caption on top, so
    // the outer rectangle starts left of and above the client origin.
    if ((style & WS_CAPTION) == WS_CAPTION) {
        rect->left -= fake::FRAME_BORDER;
        rect->top -= fake::FRAME_BORDER + fake::FRAME_CAPTION;
        rect->right += fake::FRAME_BORDER;
        rect->bottom += fake::FRAME_BORDER;
    }
    return bool_result("AdjustWindowRectEx", TRUE);
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, INT x, INT y,
                            INT width, INT height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    fake::State& s = fake::state();
    record("CreateWindowExA",
           {fake::hex(ex_style), fake::quoted(class_name), fake::quoted(window_name), fake::hex(style),
            fake::number(x), fake::number(y), fake::number(width), fake::number(height), fake::name_of(parent),
            fake::name_of(menu), fake::name_of(instance), fake::pointer(param, "param")});
    const bool known_class = class_name != nullptr && !IS_INTRESOURCE(class_name) &&
                             s.registered.count(class_name) != 0;
    const HWND next = known_class ? fake::make<HWND>(fake::WINDOW, s.windows_created + 1) : nullptr;
    const HWND created = handle_result<HWND>("CreateWindowExA", next);
    if (created != nullptr) {
        ++s.windows_created;
        ++s.windows_alive;
        s.last_window = created;
        if (known_class) s.window_procs[created] = s.registered[class_name];
    }
    return created;
}

BOOL WINAPI DestroyWindow(HWND window) {
    fake::State& s = fake::state();
    record("DestroyWindow", {fake::name_of(window)});
    const BOOL ok = bool_result("DestroyWindow", window != nullptr ? TRUE : FALSE);
    if (ok) {
        --s.windows_alive;
        s.window_procs.erase(window);
        if (window == s.last_window) s.last_window = nullptr;
    }
    return ok;
}

BOOL WINAPI ShowWindow(HWND window, INT command) {
    record("ShowWindow", {fake::name_of(window), fake::number(command)});
    return bool_result("ShowWindow", FALSE);  // it was hidden before
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    record("SetForegroundWindow", {fake::name_of(window)});
    return bool_result("SetForegroundWindow", TRUE);
}

HWND WINAPI SetFocus(HWND window) {
    record("SetFocus", {fake::name_of(window)});
    return handle_result<HWND>("SetFocus", static_cast<HWND>(nullptr));
}

HDC WINAPI GetDC(HWND window) {
    fake::State& s = fake::state();
    record("GetDC", {fake::name_of(window)});
    const HDC taken = handle_result<HDC>("GetDC", fake::make<HDC>(fake::DC, s.dcs_taken + 1));
    if (taken != nullptr) {
        ++s.dcs_taken;
        ++s.dcs_held;
    }
    return taken;
}

INT WINAPI ReleaseDC(HWND window, HDC device_context) {
    fake::State& s = fake::state();
    record("ReleaseDC", {fake::name_of(window), fake::name_of(device_context)});
    const INT released = static_cast<INT>(result("ReleaseDC", device_context != nullptr ? 1 : 0));
    if (released != 0) --s.dcs_held;
    return released;
}

// user32: messages

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    record("DefWindowProcA",
           {fake::name_of(window), fake::message_name(message), std::to_string(wparam), std::to_string(lparam)});
    return static_cast<LRESULT>(result("DefWindowProcA", 0));
}

void WINAPI PostQuitMessage(INT code) {
    fake::State& s = fake::state();
    record("PostQuitMessage", {fake::number(code)});
    s.quit_posted = true;
    s.quit_code = code;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    fake::State& s = fake::state();
    record("PeekMessageA", {fake::pointer(message, "&msg"), fake::name_of(window), fake::number(first),
                            fake::number(last), fake::hex(remove)});
    if (message == nullptr) return FALSE;
    const bool message_waiting = !s.queue.empty() && !s.queue.front().is_idle;
    if (message_waiting) {
        *message = s.queue.front().message;
        message->hwnd = fake::target_window(message->hwnd);
        s.queue.pop_front();
        return TRUE;
    }
    MSG quit{};
    quit.message = WM_QUIT;
    if (s.quit_posted) {
        s.quit_posted = false;
        quit.wParam = static_cast<WPARAM>(s.quit_code);
        *message = quit;
        return TRUE;
    }
    if (!s.queue.empty()) {
        s.queue.pop_front();
        return FALSE;
    }
    if (++s.turns_past_queue > fake::MAX_TURNS_PAST_QUEUE) {
        std::fprintf(stderr, "fake PeekMessageA: the loop keeps running after WM_QUIT\n");
        std::abort();
    }
    *message = quit;
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    record("TranslateMessage", {msg_args(message)});
    return bool_result("TranslateMessage", FALSE);
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    fake::State& s = fake::state();
    record("DispatchMessageA", {msg_args(message)});
    // The system hands the message to the procedure of the window's class;
    // a message for no live window goes nowhere.
    LRESULT answer = 0;
    if (message != nullptr) {
        const auto found = s.window_procs.find(message->hwnd);
        if (found != s.window_procs.end() && found->second.call != nullptr) {
            answer = found->second.call(message->hwnd, message->message, message->wParam, message->lParam);
        }
    }
    return static_cast<LRESULT>(result("DispatchMessageA", answer));
}

INT WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    record("MessageBoxA", {fake::name_of(owner), fake::quoted(text), fake::quoted(caption), fake::hex(type)});
    const UINT buttons = type & MB_TYPEMASK;
    const INT model = buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
    return static_cast<INT>(result("MessageBoxA", model));
}

// user32: the modal dialog

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR resource, HWND owner, DLGPROC procedure, LPARAM param) {
    fake::State& s = fake::state();
    record("DialogBoxParamA", {fake::name_of(instance), fake::quoted(resource), fake::name_of(owner),
                               procedure != nullptr ? "proc" : "NULL", std::to_string(param)});
    s.dialog_proc = procedure;
    if (procedure == nullptr) return static_cast<INT_PTR>(result("DialogBoxParamA", -1));
    const HWND box = fake::make<HWND>(fake::DIALOG, ++s.dialogs);
    // The dialog's own loop: the box is set up, then gets the user's input
    // until its procedure ends it.
    procedure(box, WM_INITDIALOG, 0, param);
    const std::vector<MSG> input = s.dialog_messages;
    for (const MSG& m : input) {
        if (s.ended_dialogs.count(box) != 0) break;
        procedure(box, m.message, m.wParam, m.lParam);
    }
    const auto ended = s.ended_dialogs.find(box);
    return static_cast<INT_PTR>(result("DialogBoxParamA", ended != s.ended_dialogs.end() ? ended->second : -1));
}

BOOL WINAPI EndDialog(HWND box, INT_PTR code) {
    fake::State& s = fake::state();
    record("EndDialog", {fake::name_of(box), std::to_string(code)});
    const BOOL ok = bool_result("EndDialog", TRUE);
    if (ok) s.ended_dialogs[box] = code;
    return ok;
}

// gdi32

INT WINAPI ChoosePixelFormat(HDC device_context, const PIXELFORMATDESCRIPTOR* request) {
    fake::State& s = fake::state();
    record("ChoosePixelFormat", {fake::name_of(device_context), fake::pointer(request, "&pfd")});
    if (request != nullptr) s.chosen.push_back(*request);
    return static_cast<INT>(result("ChoosePixelFormat", 7));
}

BOOL WINAPI SetPixelFormat(HDC device_context, int format, const PIXELFORMATDESCRIPTOR* request) {
    fake::State& s = fake::state();
    record("SetPixelFormat",
           {fake::name_of(device_context), fake::number(format), fake::pointer(request, "&pfd")});
    if (request != nullptr) s.set.push_back(*request);
    return bool_result("SetPixelFormat", TRUE);
}

BOOL WINAPI SwapBuffers(HDC device_context) {
    record("SwapBuffers", {fake::name_of(device_context)});
    return bool_result("SwapBuffers", TRUE);
}

// opengl32

HGLRC WINAPI wglCreateContext(HDC device_context) {
    fake::State& s = fake::state();
    record("wglCreateContext", {fake::name_of(device_context)});
    const HGLRC created = handle_result<HGLRC>("wglCreateContext", fake::make<HGLRC>(fake::RC, s.contexts_created + 1));
    if (created != nullptr) {
        ++s.contexts_created;
        ++s.contexts_alive;
    }
    return created;
}

BOOL WINAPI wglMakeCurrent(HDC device_context, HGLRC context) {
    fake::State& s = fake::state();
    record("wglMakeCurrent", {fake::name_of(device_context), fake::name_of(context)});
    const BOOL ok = bool_result("wglMakeCurrent", TRUE);
    if (ok) s.current = context;
    return ok;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    fake::State& s = fake::state();
    record("wglDeleteContext", {fake::name_of(context)});
    const BOOL ok = bool_result("wglDeleteContext", context != nullptr ? TRUE : FALSE);
    if (ok) {
        --s.contexts_alive;
        // Deleting the current context leaves none current.
        if (context == s.current) s.current = nullptr;
    }
    return ok;
}

}  // extern "C"
