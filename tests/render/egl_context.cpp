#include "egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

OffscreenGl::OffscreenGl(int width, int height) {
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

    const EGLint config_attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                        EGL_RED_SIZE,     8,               EGL_GREEN_SIZE,      8,
                                        EGL_BLUE_SIZE,    8,               EGL_DEPTH_SIZE,      24,
                                        EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, config_attributes, &config, 1, &configs) || configs == 0) {
        why_ = "no EGL config with a pbuffer, RGB8 and a depth buffer";
        return;
    }
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (surface == EGL_NO_SURFACE) {
        why_ = "eglCreatePbufferSurface failed";
        return;
    }
    surface_ = surface;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        why_ = "desktop OpenGL is not available through EGL";
        return;
    }
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        why_ = "eglCreateContext failed";
        return;
    }
    context_ = context;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        why_ = "eglMakeCurrent failed";
        return;
    }
    ok_ = true;
}

OffscreenGl::~OffscreenGl() {
    if (display_ == nullptr) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != nullptr) eglDestroyContext(display_, context_);
    if (surface_ != nullptr) eglDestroySurface(display_, surface_);
    // The display is left initialised: terminating it unloads Mesa's driver,
    // whose few unfreed blocks then show up as leaks from an unknown module.
}
