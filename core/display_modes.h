#pragma once
// The screen and window sizes the viewer offers, indexed by mode_index.

struct DisplayMode {
    int width;
    int height;
    int bits;
};

constexpr int DISPLAY_MODE_COUNT = 5;
extern const DisplayMode DISPLAY_MODES[DISPLAY_MODE_COUNT];
