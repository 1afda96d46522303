#include "platform/browser_canvas.h"

#include <GLES3/gl3.h>

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE make_page_context(const char* canvas) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    // WebGL 2's core has all it draws with (the picture's framebuffer too);
    // turning on every extension costs the page's start tens of ms on a phone.
    attributes.enableExtensionsByDefault = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context > 0) emscripten_webgl_make_context_current(context);
    return context;
}

const FramebufferCalls& webgl_framebuffer_calls() {
    // In the table's order.
    static const FramebufferCalls calls = {
        glGenFramebuffers,     glDeleteFramebuffers,      glBindFramebuffer,
        glGenRenderbuffers,    glDeleteRenderbuffers,     glBindRenderbuffer,
        glRenderbufferStorage, glFramebufferRenderbuffer, glCheckFramebufferStatus,
        glGetIntegerv,         glGetError,                glPixelStorei,
        glReadPixels,
    };
    return calls;
}
