#pragma once
// The full-screen saver's rules that need no window system: where each
// monitor's copy of the figure goes and when the mouse has moved on purpose.

#include <vector>

#include "render/viewport.h"

// A rectangle of screen pixels, right and bottom excluded (as Windows' RECT).
struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The viewport of each monitor within a window covering the rectangle
// window_rect, in the monitors' order; empty monitors are left out. With no
// monitor left, the whole window is one viewport.
std::vector<Viewport> monitor_viewports(const ScreenRect& window_rect, const std::vector<ScreenRect>& monitors);

// Windows sends mouse moves that nobody made (one when the window appears,
// others on a jittering sensor): the first one only sets where the mouse is,
// and only a move further than MOUSE_SLACK on either axis from there counts.
constexpr int MOUSE_SLACK = 8;

class MouseWatch {
public:
    // True when the move at x, y ends the saver.
    bool moved_away(int x, int y);

private:
    bool placed_ = false;
    int x_ = 0;
    int y_ = 0;
};
