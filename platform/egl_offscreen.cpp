#include "platform/egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstring>

namespace {

// Framebuffer objects are not part of OpenGL 1.1's headers or exports: they
// are looked up from the driver once a context is current.
FramebufferCalls gl_calls;

// EGL keeps one current context per thread and API: each call that makes
// this context current, or releases it, names its API first.
bool bind_api(OffscreenGl::Api api) {
    return eglBindAPI(api == OffscreenGl::Api::gles3 ? EGL_OPENGL_ES_API : EGL_OPENGL_API) == EGL_TRUE;
}

}  // namespace

OffscreenGl::OffscreenGl(Api api) : api_(api) {
    const bool es = api == Api::gles3;
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr || std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
        why_ = "EGL has no surfaceless platform";
        return;
    }
    const auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get_platform_display == nullptr) {
        why_ = "eglGetPlatformDisplayEXT is missing";
        return;
    }
    EGLDisplay display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        why_ = "no EGL display could be opened";
        return;
    }
    display_ = display;

    const char* display_extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (display_extensions == nullptr || std::strstr(display_extensions, "EGL_KHR_surfaceless_context") == nullptr) {
        why_ = "EGL cannot make a context current without a surface";
        return;
    }
    // Surface type defaults to windows, which the surfaceless platform has none of.
    const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                        es ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &configs) || configs == 0) {
        why_ = es ? "no EGL config for OpenGL ES 3" : "no EGL config for desktop OpenGL";
        return;
    }
    if (!bind_api(api)) {
        why_ = es ? "OpenGL ES is not available through EGL" : "desktop OpenGL is not available through EGL";
        return;
    }
    const EGLint es3_attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, es ? es3_attributes : nullptr);
    if (context == EGL_NO_CONTEXT) {
        why_ = "eglCreateContext failed";
        return;
    }
    context_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        why_ = "eglMakeCurrent failed";
        return;
    }
    gl_calls = look_up_framebuffer_calls(eglGetProcAddress);
    if (!gl_calls.complete()) {
        why_ = "the driver has no framebuffer objects";
        return;
    }
    framebuffer_ = std::make_unique<Framebuffer>(gl_calls);
    ok_ = true;
}

OffscreenGl::~OffscreenGl() {
    if (display_ == nullptr) return;
    framebuffer_.reset();
    bind_api(api_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != nullptr) eglDestroyContext(display_, context_);
    // The display is left initialised: terminating it unloads Mesa's driver,
    // whose few unfreed blocks then show up as leaks from an unknown module.
}

int OffscreenGl::max_size() const { return ok_ ? largest_framebuffer(gl_calls) : 0; }

bool OffscreenGl::make_current() {
    if (!ok_ || !bind_api(api_) || !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return false;
    framebuffer_->bind();
    return true;
}

bool OffscreenGl::use_framebuffer(int width, int height) {
    if (!ok_) return false;
    if (framebuffer_->create(width, height)) return true;
    why_ = framebuffer_->why();
    return false;
}

void read_pixels(int width, int height, bool alpha, std::vector<std::uint8_t>& pixels) {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (alpha ? 4 : 3));
    read_rows(gl_calls, width, height, alpha, pixels.data());
}

std::string driver_error() {
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) return "";
    if (code == GL_OUT_OF_MEMORY) return "the GL driver ran out of memory";
    return "the GL driver reported error " + std::to_string(code);
}
