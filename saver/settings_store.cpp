#include "saver/settings_store.h"

#include <windows.h>

namespace {

const char SETTINGS_KEY[] = "Software\\PolyTree\\Screen Saver";

// A setting as the registry keeps it: a REG_DWORD of that name.
struct StoredSetting {
    const char* name;
    const SettingRange& range;
};

const StoredSetting BRANCHES = {"Branches", BRANCHES_RANGE};
const StoredSetting LEVELS = {"Levels", LEVELS_RANGE};
const StoredSetting SPEED = {"Speed", SPEED_RANGE};

int read_value(HKEY key, const StoredSetting& setting) {
    StoredValue stored = {false, 0};
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (key != nullptr &&
        RegQueryValueExA(key, setting.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(value)) {
        stored = {true, value};
    }
    return setting_from_stored(setting.range, stored);
}

bool write_value(HKEY key, const StoredSetting& setting, int chosen) {
    const DWORD value = static_cast<DWORD>(chosen);
    return RegSetValueExA(key, setting.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

}  // namespace

SaverSettings read_saver_settings() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
    const SaverSettings settings = {read_value(key, BRANCHES), read_value(key, LEVELS),
                                    read_value(key, SPEED)};
    if (key != nullptr) RegCloseKey(key);
    return settings;
}

bool write_saver_settings(const SaverSettings& settings) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool written = write_value(key, BRANCHES, settings.branches) && write_value(key, LEVELS, settings.levels) &&
                         write_value(key, SPEED, settings.degrees_per_second);
    RegCloseKey(key);
    return written;
}
