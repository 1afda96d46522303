#pragma once
// What the user can choose for the saver, its bounds and defaults, and how a
// value stored in the registry becomes a setting.

#include <cstdint>

struct SaverSettings {
    int branches;
    int levels;              // before the per-frame work bound
    int degrees_per_second;  // the twist's speed
};

struct SettingRange {
    const char* name;  // of its registry value
    int lowest;
    int highest;
    int standard;
};

constexpr SettingRange BRANCHES_RANGE = {"Branches", 1, 12, 3};
constexpr SettingRange LEVELS_RANGE = {"Levels", 1, 12, 7};
constexpr SettingRange SPEED_RANGE = {"Speed", 1, 360, 60};

constexpr SaverSettings DEFAULT_SAVER_SETTINGS = {BRANCHES_RANGE.standard, LEVELS_RANGE.standard,
                                                  SPEED_RANGE.standard};

// One registry value as it was found.
struct StoredValue {
    bool found;           // present and a REG_DWORD
    std::uint32_t value;  // when found
};

// A stored value as a setting: missing or of another type reads as the
// default, out of range as the nearest bound, so that nothing in the
// registry can crash, hang or overload the saver.
int setting_from_stored(const SettingRange& range, const StoredValue& stored);

// Any number (as a dialog's field may hold) brought within the range.
int clamp_setting(const SettingRange& range, long long value);
