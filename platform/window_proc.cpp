#include "platform/window_proc.h"

#include "core/viewer_state.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/viewer_scene.h"

static_assert(keys::ESCAPE == VK_ESCAPE && keys::SPACE == VK_SPACE && keys::NEXT == VK_NEXT &&
                  keys::END == VK_END && keys::HOME == VK_HOME && keys::LEFT == VK_LEFT && keys::UP == VK_UP &&
                  keys::RIGHT == VK_RIGHT && keys::DOWN == VK_DOWN && keys::DELETE_KEY == VK_DELETE &&
                  keys::ADD == VK_ADD && keys::SUBTRACT == VK_SUBTRACT && keys::F1 == VK_F1 &&
                  keys::F12 == VK_F12 && keys::OEM_PLUS == VK_OEM_PLUS && keys::OEM_MINUS == VK_OEM_MINUS,
              "portable key codes must match the virtual-key codes");

namespace {

// A key message may carry any number a program posts; only 0 to 255 are keys.
int key_code(WPARAM wparam) { return wparam < KEY_COUNT ? static_cast<int>(wparam) : -1; }

}  // namespace

LRESULT CALLBACK view_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ACTIVATE:
            // Drawing goes on unless minimised (the high word), whether or
            // not the window has the focus; losing it releases the keys.
            on_minimised(HIWORD(wparam) != 0);
            if (LOWORD(wparam) == WA_INACTIVE) release_held_keys();
            return 0;
        case WM_KILLFOCUS:
            release_held_keys();
            break;
        case WM_SYSCOMMAND:
            // Keep the screen saver and monitor power-off away while drawing.
            // The system uses the four low bits itself: they must not hide
            // the command.
            if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 0;
            break;
        case WM_CLOSE:
            // The main loop ends on the quit message and closes the window itself.
            PostQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            on_key_down(key_code(wparam));
            return 0;
        case WM_KEYUP:
            on_key_up(key_code(wparam));
            return 0;
        // Sizes and client coordinates are unsigned 16-bit words: without a
        // mouse capture no move comes from outside the client area.
        case WM_SIZE:
            resize_view(LOWORD(lparam), HIWORD(lparam));
            return 0;
        case WM_MOUSEMOVE:
            on_pointer_move(LOWORD(lparam), HIWORD(lparam), (wparam & MK_LBUTTON) != 0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
