#pragma once
// How a value stored in the registry becomes one of the saver's settings.

#include <cstdint>

#include "core/saver_settings.h"

// One registry value as it was found.
struct StoredValue {
    bool found;           // present and a REG_DWORD
    std::uint32_t value;  // when found
};

// A stored value as a setting: missing or of another type reads as the
// default, out of range as the nearest bound, so that nothing in the
// registry can crash, hang or overload the saver.
int setting_from_stored(const SettingRange& range, const StoredValue& stored);
