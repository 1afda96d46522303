#include "saver/settings.h"

int setting_from_stored(const SettingRange& range, const StoredValue& stored) {
    // A DWORD is unsigned: 0xFFFFFFFF, written as -1 by some tools, is far
    // above the range, not below it.
    return stored.found ? clamp_setting(range, static_cast<long long>(stored.value)) : range.standard;
}
