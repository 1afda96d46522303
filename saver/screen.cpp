#include "saver/screen.h"

#include <cstdlib>

std::vector<Viewport> monitor_viewports(const ScreenRect& window_rect, const std::vector<ScreenRect>& monitors) {
    std::vector<Viewport> viewports;
    for (const ScreenRect& monitor : monitors) {
        const int width = monitor.right - monitor.left;
        const int height = monitor.bottom - monitor.top;
        if (width <= 0 || height <= 0) continue;
        // GL counts rows from the window's bottom edge.
        viewports.push_back({monitor.left - window_rect.left, window_rect.bottom - monitor.bottom, width, height});
    }
    if (viewports.empty()) {
        viewports.push_back(
            {0, 0, window_rect.right - window_rect.left, window_rect.bottom - window_rect.top});
    }
    return viewports;
}

bool MouseWatch::moved_away(int x, int y) {
    if (!placed_) {
        placed_ = true;
        x_ = x;
        y_ = y;
        return false;
    }
    return std::abs(x - x_) > MOUSE_SLACK || std::abs(y - y_) > MOUSE_SLACK;
}
