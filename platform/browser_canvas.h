#pragma once
// The page's one WebGL 2 context, as the viewer and its floor both make it.

#include <emscripten/html5.h>

#include "platform/framebuffer.h"

// A WebGL 2 context on the canvas the selector names, made current: opaque
// (the viewer clears to alpha 0, and the figure must stay on black, not on
// the page), aliased as the desktop draws its lines, with a depth buffer.
// 0 or less when the browser offers no WebGL 2.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE make_page_context(const char* canvas);

// WebGL 2's own calls for off-screen framebuffers (platform/framebuffer.h).
const FramebufferCalls& webgl_framebuffer_calls();
