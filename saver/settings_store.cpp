#include "saver/settings_store.h"

#include <windows.h>

namespace {

const char SETTINGS_KEY[] = "Software\\PolyTree\\Screen Saver";

int read_value(HKEY key, const SettingRange& range) {
    StoredValue stored = {false, 0};
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (key != nullptr &&
        RegQueryValueExA(key, range.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(value)) {
        stored = {true, value};
    }
    return setting_from_stored(range, stored);
}

bool write_value(HKEY key, const SettingRange& range, int setting) {
    const DWORD value = static_cast<DWORD>(setting);
    return RegSetValueExA(key, range.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

}  // namespace

SaverSettings read_saver_settings() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
    const SaverSettings settings = {read_value(key, BRANCHES_RANGE), read_value(key, LEVELS_RANGE),
                                    read_value(key, SPEED_RANGE)};
    if (key != nullptr) RegCloseKey(key);
    return settings;
}

bool write_saver_settings(const SaverSettings& settings) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool written = write_value(key, BRANCHES_RANGE, settings.branches) &&
                         write_value(key, LEVELS_RANGE, settings.levels) &&
                         write_value(key, SPEED_RANGE, settings.degrees_per_second);
    RegCloseKey(key);
    return written;
}
