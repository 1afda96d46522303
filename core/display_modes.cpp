#include "core/display_modes.h"

const DisplayMode DISPLAY_MODES[DISPLAY_MODE_COUNT] = {
    {128, 128, 32},
    {320, 240, 32},
    {640, 480, 32},
    {800, 600, 32},
    {1024, 768, 32},
};
