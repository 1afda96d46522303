#include "platform/egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

namespace {

// Framebuffer objects are not part of OpenGL 1.1's headers or exports: they
// are looked up from the driver once a context is current.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status;

    bool complete() const {
        return gen_framebuffers && delete_framebuffers && bind_framebuffer && gen_renderbuffers &&
               delete_renderbuffers && bind_renderbuffer && renderbuffer_storage && framebuffer_renderbuffer &&
               check_framebuffer_status;
    }
};

template <class Function>
Function lookup(const char* name) {
    return reinterpret_cast<Function>(eglGetProcAddress(name));
}

FramebufferCalls load_framebuffer_calls() {
    FramebufferCalls calls{};
    calls.gen_framebuffers = lookup<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
    calls.delete_framebuffers = lookup<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers");
    calls.bind_framebuffer = lookup<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    calls.gen_renderbuffers = lookup<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
    calls.delete_renderbuffers = lookup<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers");
    calls.bind_renderbuffer = lookup<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
    calls.renderbuffer_storage = lookup<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
    calls.framebuffer_renderbuffer = lookup<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
    calls.check_framebuffer_status = lookup<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
    return calls;
}

FramebufferCalls fbo;

}  // namespace

namespace {

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
    const auto get_platform_display = lookup<PFNEGLGETPLATFORMDISPLAYEXTPROC>("eglGetPlatformDisplayEXT");
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
    fbo = load_framebuffer_calls();
    if (!fbo.complete()) {
        why_ = "the driver has no framebuffer objects";
        return;
    }
    ok_ = true;
}

OffscreenGl::~OffscreenGl() {
    if (display_ == nullptr) return;
    if (ok_) release_framebuffer();
    bind_api(api_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != nullptr) eglDestroyContext(display_, context_);
    // The display is left initialised: terminating it unloads Mesa's driver,
    // whose few unfreed blocks then show up as leaks from an unknown module.
}

int OffscreenGl::max_size() const {
    if (!ok_) return 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, viewport[0], viewport[1]});
}

bool OffscreenGl::make_current() {
    if (!ok_ || !bind_api(api_) || !eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return false;
    fbo.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
    return true;
}

bool OffscreenGl::use_framebuffer(int width, int height) {
    if (!ok_) return false;
    release_framebuffer();
    while (glGetError() != GL_NO_ERROR) {
    }
    fbo.gen_framebuffers(1, &framebuffer_);
    fbo.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
    fbo.gen_renderbuffers(1, &colour_);
    fbo.bind_renderbuffer(GL_RENDERBUFFER, colour_);
    fbo.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    fbo.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    fbo.gen_renderbuffers(1, &depth_);
    fbo.bind_renderbuffer(GL_RENDERBUFFER, depth_);
    fbo.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    fbo.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    // A size the driver cannot hold shows as an error on the storage calls
    // (out of memory, or past its limit), not always as an incomplete
    // framebuffer.
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR || fbo.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        why_ = error == GL_OUT_OF_MEMORY ? "not enough memory for the framebuffer"
                                         : "the driver refused a framebuffer of that size";
        release_framebuffer();
        return false;
    }
    return true;
}

void OffscreenGl::release_framebuffer() {
    if (framebuffer_ == 0 && colour_ == 0 && depth_ == 0) return;
    fbo.bind_framebuffer(GL_FRAMEBUFFER, 0);
    if (framebuffer_ != 0) fbo.delete_framebuffers(1, &framebuffer_);
    if (colour_ != 0) fbo.delete_renderbuffers(1, &colour_);
    if (depth_ != 0) fbo.delete_renderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}

void read_pixels(int width, int height, bool alpha, std::vector<std::uint8_t>& pixels) {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (alpha ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

std::string driver_error() {
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) return "";
    if (code == GL_OUT_OF_MEMORY) return "the GL driver ran out of memory";
    return "the GL driver reported error " + std::to_string(code);
}
