#pragma once
// What the user can choose for the saver, and the choices it starts with.

struct SaverSettings {
    int branches;
    int levels;              // before the per-frame work bound
    int degrees_per_second;  // the twist's speed
};

constexpr SaverSettings DEFAULT_SAVER_SETTINGS = {3, 7, 60};
