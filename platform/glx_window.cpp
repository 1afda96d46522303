#include "platform/glx_window.h"

#include <poll.h>

#include <cmath>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/stop_signals.h"
#include "render/gl_api.h"
#include "render/scene.h"

namespace {

// X reports errors after the request that caused them, to one handler per
// process; the window layer reads what it last saw.
int last_x_error = Success;

int note_x_error(Display*, XErrorEvent* error) {
    last_x_error = error->error_code;
    return 0;
}

Display* as_display(void* display) { return static_cast<Display*>(display); }

constexpr int OWN_WIDTH = 640;
constexpr int OWN_HEIGHT = 480;
constexpr unsigned FIRST_GLYPH = 32;
constexpr unsigned GLYPHS = 96;

}  // namespace

GlxWindow::~GlxWindow() { close(); }

bool GlxWindow::open(const GlxTarget& target, const char* title) {
    close();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        why_ = "cannot open the X display (is DISPLAY set?)";
        return false;
    }
    display_ = display;
    XSetErrorHandler(note_x_error);
    last_x_error = Success;
    gone_ = false;
    int error_base = 0;
    int event_base = 0;
    if (!glXQueryExtension(display, &error_base, &event_base)) {
        why_ = "the X server has no GLX";
        close();
        return false;
    }

    XVisualInfo* visual = nullptr;
    if (target.kind == GlxTarget::Kind::own) {
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
        visual = glXChooseVisual(display, DefaultScreen(display), attributes);
        if (visual == nullptr) {
            why_ = "no double-buffered GLX visual with a depth buffer";
            close();
            return false;
        }
        const Window root = RootWindow(display, visual->screen);
        colormap_ = XCreateColormap(display, root, visual->visual, AllocNone);
        XSetWindowAttributes set = {};
        set.colormap = colormap_;
        set.background_pixel = BlackPixel(display, visual->screen);
        set.event_mask = StructureNotifyMask | KeyPressMask;
        window_ = XCreateWindow(display, root, 0, 0, OWN_WIDTH, OWN_HEIGHT, 0, visual->depth, InputOutput,
                                visual->visual, CWColormap | CWBackPixel | CWEventMask, &set);
        own_window_ = true;
        XStoreName(display, window_, title);
        Atom delete_atom = XInternAtom(display, "WM_DELETE_WINDOW", False);
        delete_atom_ = delete_atom;
        XSetWMProtocols(display, window_, &delete_atom, 1);
        XMapWindow(display, window_);
        width_ = OWN_WIDTH;
        height_ = OWN_HEIGHT;
    } else {
        window_ = target.kind == GlxTarget::Kind::root ? DefaultRootWindow(display) : target.window;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window_, &attributes) || last_x_error != Success) {
            why_ = "no such window";
            window_ = 0;
            close();
            return false;
        }
        width_ = attributes.width;
        height_ = attributes.height;
        // Its size, and its end; another client may watch the same events.
        XSelectInput(display, window_, StructureNotifyMask);
        XVisualInfo wanted = {};
        wanted.visualid = XVisualIDFromVisual(attributes.visual);
        wanted.screen = XScreenNumberOfScreen(attributes.screen);
        int found = 0;
        visual = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &found);
        int uses_gl = 0;
        if (visual == nullptr || glXGetConfig(display, visual, GLX_USE_GL, &uses_gl) != 0 || !uses_gl) {
            if (visual != nullptr) XFree(visual);
            why_ = "the window's visual has no OpenGL";
            window_ = 0;
            close();
            return false;
        }
    }

    int double_buffered = 0;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &double_buffered);
    double_buffered_ = double_buffered != 0;
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    context_ = context;
    if (context == nullptr || !glXMakeCurrent(display, window_, context)) {
        why_ = "cannot make a GL context for the window";
        close();
        return false;
    }
    XSync(display, False);
    if (last_x_error != Success) {
        why_ = "the X server refused a GL context for the window";
        close();
        return false;
    }
    setup_gl_state();
    return true;
}

void GlxWindow::close() {
    Display* display = as_display(display_);
    if (display == nullptr) return;
    if (font_lists_ != 0 && context_ != nullptr) glDeleteLists(font_lists_, GLYPHS);
    font_lists_ = 0;
    if (context_ != nullptr) {
        glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, static_cast<GLXContext>(context_));
        context_ = nullptr;
    }
    if (own_window_ && window_ != 0) XDestroyWindow(display, window_);
    if (colormap_ != 0) XFreeColormap(display, colormap_);
    // Another program's window stays as it is, but for what was asked of it.
    if (!own_window_ && window_ != 0 && !gone()) XSelectInput(display, window_, NoEventMask);
    window_ = 0;
    colormap_ = 0;
    own_window_ = false;
    XCloseDisplay(display);
    display_ = nullptr;
}

void GlxWindow::show() {
    Display* display = as_display(display_);
    if (double_buffered_) {
        glXSwapBuffers(display, window_);
    } else {
        glFlush();
    }
}

void GlxWindow::draw_text(int x, int y, const std::string& text) {
    Display* display = as_display(display_);
    if (font_lists_ == 0) {
        XFontStruct* font = XLoadQueryFont(display, "fixed");
        if (font == nullptr) return;
        font_lists_ = glGenLists(GLYPHS);
        glXUseXFont(font->fid, FIRST_GLYPH, GLYPHS, font_lists_);
        XFreeFont(display, font);
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIST_BIT);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width_, 0.0, height_, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(x, y);
    glListBase(font_lists_ - FIRST_GLYPH);
    glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

bool GlxWindow::gone() {
    // Any error after the window was opened is the window gone under the
    // context (BadWindow, GLXBadDrawable).
    if (last_x_error != Success) gone_ = true;
    return gone_;
}

bool GlxWindow::next_event(GlxEvent& event) {
    Display* display = as_display(display_);
    while (!gone() && XPending(display) > 0) {
        XEvent x_event;
        XNextEvent(display, &x_event);
        switch (x_event.type) {
            case ConfigureNotify:
                if (x_event.xconfigure.window == window_ &&
                    (x_event.xconfigure.width != width_ || x_event.xconfigure.height != height_)) {
                    width_ = x_event.xconfigure.width;
                    height_ = x_event.xconfigure.height;
                    event = {GlxEvent::Kind::resized, 0};
                    return true;
                }
                break;
            case DestroyNotify:
                if (x_event.xdestroywindow.window == window_) {
                    // Nothing of it is left to destroy or unselect.
                    own_window_ = false;
                    gone_ = true;
                }
                break;
            case ClientMessage:
                if (static_cast<unsigned long>(x_event.xclient.data.l[0]) == delete_atom_) {
                    event = {GlxEvent::Kind::close_box, 0};
                    return true;
                }
                break;
            case KeyPress:
                event = {GlxEvent::Kind::key, XLookupKeysym(&x_event.xkey, 0)};
                return true;
            default:
                break;
        }
    }
    if (!gone()) return false;
    event = {GlxEvent::Kind::gone, 0};
    return true;
}

void GlxWindow::wait(double seconds) {
    Display* display = as_display(display_);
    XFlush(display);
    if (gone() || XEventsQueued(display, QueuedAlready) > 0 || seconds <= 0.0) return;
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {stop_signal_fd(), POLLIN, 0}};
    poll(watched, watched[1].fd >= 0 ? 2 : 1, static_cast<int>(std::ceil(seconds * 1000.0)));
}
