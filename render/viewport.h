#pragma once
// Where in a window one copy of the scene goes: several can share a frame
// (a saver's window across every monitor).

// A GL viewport: from the bottom left of the window, y up, in pixels.
struct Viewport {
    int x;
    int y;
    int width;
    int height;
};
