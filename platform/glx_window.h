#pragma once
// A GL 1.1 context on an X window through Xlib and GLX, for a screen saver
// that draws where XScreenSaver tells it: into a window another program made
// (the daemon's, or the settings dialog's preview), into the root window, or
// into a window of its own. A window it did not make is drawn with that
// window's own visual: a context of any other visual fails there (BadMatch).

#include <string>

struct GlxTarget {
    enum class Kind { own, root, given };
    Kind kind;
    unsigned long window;  // for given
};

// What happened to the window; what comes of it is the program's to decide.
struct GlxEvent {
    enum class Kind {
        resized,    // width() and height() say the new size
        key,        // a key pressed in a window of its own
        close_box,  // the window manager's close box of a window of its own
        gone,       // destroyed, or refused by the server: nothing to draw into
    };
    Kind kind;
    unsigned long key;  // for key: its unshifted KeySym (<X11/keysym.h>)
};

class GlxWindow {
public:
    GlxWindow() = default;
    GlxWindow(const GlxWindow&) = delete;
    GlxWindow& operator=(const GlxWindow&) = delete;
    ~GlxWindow();

    // Connects to the display, finds or makes the window and makes a current
    // context for it with the renderer's state set up. False, with why(),
    // when any of it fails; nothing is left open then.
    bool open(const GlxTarget& target, const char* title);
    const std::string& why() const { return why_; }

    int width() const { return width_; }
    int height() const { return height_; }

    // Shows the frame drawn (a swap, or a flush on a single-buffered visual).
    void show();

    // Text in white at x, y pixels from the window's bottom left, in the
    // server's "fixed" font; nothing where the server lacks it.
    void draw_text(int x, int y, const std::string& text);

    // The next event, without waiting; false when none is pending. Once the
    // window is gone, that is every answer.
    bool next_event(GlxEvent& event);

    // Sends what was drawn, then sleeps until an event is pending, a stop
    // signal came, or the seconds have passed.
    void wait(double seconds);

private:
    bool gone();
    void close();

    std::string why_;
    void* display_ = nullptr;  // Display*, kept out of this header: Xlib's macros clash with everyday names
    unsigned long window_ = 0;
    bool own_window_ = false;
    bool gone_ = false;  // the window is no more, or no longer usable
    void* context_ = nullptr;  // GLXContext
    unsigned long colormap_ = 0;
    unsigned long delete_atom_ = 0;
    bool double_buffered_ = true;
    unsigned font_lists_ = 0;
    int width_ = 0;
    int height_ = 0;
};
