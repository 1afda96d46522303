#include "core/saver_settings.h"

int clamp_setting(const SettingRange& range, long long value) {
    if (value < range.lowest) return range.lowest;
    if (value > range.highest) return range.highest;
    return static_cast<int>(value);
}
