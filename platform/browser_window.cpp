#include "platform/browser_window.h"

#include <emscripten/html5.h>

#include "core/viewer_state.h"
#include "platform/browser_keys.h"
#include "viewer/input.h"

namespace {

BrowserHandlers page;

EM_BOOL on_key(int type, const EmscriptenKeyboardEvent* event, void*) {
    // The browser's own shortcuts (zoom, select all) stay the browser's.
    if (event->ctrlKey || event->altKey || event->metaKey) return EM_FALSE;
    const int code = viewer_key_of(event->key, event->code);
    if (code < 0) return EM_FALSE;
    if (type == EMSCRIPTEN_EVENT_KEYUP) {
        on_key_up(code);
    } else if (!event->repeat || viewer.key_down[code]) {
        // A repeat of a key that went down elsewhere (in the dialog it
        // answered) is that key still held, not a press of the viewer's.
        on_key_down(code);
    }
    return EM_TRUE;
}

EM_BOOL on_blur(int, const EmscriptenFocusEvent*, void*) {
    release_held_keys();
    return EM_FALSE;
}

EM_BOOL on_visibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    on_minimised(event->hidden != 0);
    return EM_FALSE;
}

EM_BOOL on_fullscreen_change(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    // Left by the browser's own Esc: the next F12 asks for full screen again.
    if (!event->isFullscreen) viewer.fullscreen = false;
    page.resized();
    return EM_FALSE;
}

EM_BOOL on_resize(int, const EmscriptenUiEvent*, void*) {
    page.resized();
    return EM_FALSE;
}

EM_BOOL on_context_lost(int, const void*, void*) {
    page.context_lost();
    // Taken: the browser may then give the context back.
    return EM_TRUE;
}

EM_BOOL on_context_restored(int, const void*, void*) {
    page.context_restored();
    return EM_TRUE;
}

}  // namespace

void listen_to_browser(const char* canvas, const BrowserHandlers& handlers) {
    page = handlers;
    emscripten_set_keydown_callback(canvas, nullptr, EM_FALSE, on_key);
    emscripten_set_keyup_callback(canvas, nullptr, EM_FALSE, on_key);
    emscripten_set_blur_callback(canvas, nullptr, EM_FALSE, on_blur);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on_blur);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, on_visibility);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                             on_fullscreen_change);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on_resize);
    emscripten_set_webglcontextlost_callback(canvas, nullptr, EM_FALSE, on_context_lost);
    emscripten_set_webglcontextrestored_callback(canvas, nullptr, EM_FALSE, on_context_restored);
}
