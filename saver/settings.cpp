#include "saver/settings.h"

int clamp_setting(const SettingRange& range, long long value) {
    if (value < range.lowest) return range.lowest;
    if (value > range.highest) return range.highest;
    return static_cast<int>(value);
}

int setting_from_stored(const SettingRange& range, const StoredValue& stored) {
    // A DWORD is unsigned: 0xFFFFFFFF, written as -1 by some tools, is far
    // above the range, not below it.
    return stored.found ? clamp_setting(range, static_cast<long long>(stored.value)) : range.standard;
}
