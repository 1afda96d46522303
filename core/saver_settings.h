#pragma once
// What a person can choose for a screen saver of the figure, its bounds and
// defaults: the Windows saver's dialog and the XScreenSaver hack's options
// offer the same ranges, so a figure looks alike on both.

struct SaverSettings {
    int branches;
    int levels;              // before the per-frame work bound
    int degrees_per_second;  // the twist's speed
};

struct SettingRange {
    int lowest;
    int highest;
    int standard;
};

// The one place the ranges are written: the dialog, the hack's usage, its
// settings file and its manual page take theirs from here.
constexpr SettingRange BRANCHES_RANGE = {1, 12, 3};
constexpr SettingRange LEVELS_RANGE = {1, 12, 7};
constexpr SettingRange SPEED_RANGE = {1, 360, 60};

constexpr SaverSettings DEFAULT_SAVER_SETTINGS = {BRANCHES_RANGE.standard, LEVELS_RANGE.standard,
                                                  SPEED_RANGE.standard};

// Any number (as a dialog's field or a command line may hold) brought
// within the range.
int clamp_setting(const SettingRange& range, long long value);
