#include "saver/settings_dialog.h"

#include <commctrl.h>

#include <string>

#include "core/options.h"
#include "saver/settings_ids.h"
#include "saver/settings_store.h"

namespace {

struct Field {
    int edit_id;
    int spin_id;
    const SettingRange& range;
};

const Field BRANCHES_FIELD = {SETTINGS_BRANCHES, SETTINGS_BRANCHES_SPIN, BRANCHES_RANGE};
const Field LEVELS_FIELD = {SETTINGS_LEVELS, SETTINGS_LEVELS_SPIN, LEVELS_RANGE};
const Field SPEED_FIELD = {SETTINGS_SPEED, SETTINGS_SPEED_SPIN, SPEED_RANGE};

void show(HWND dialog, const Field& field, int value) {
    SendDlgItemMessageA(dialog, field.spin_id, UDM_SETPOS32, 0, value);
}

// The field's number brought within its range: the user may have typed
// any digits, or none, into the edit box (the up-down control reads only
// numbers within its range).
int shown(HWND dialog, const Field& field) {
    BOOL is_number = FALSE;
    const UINT value = GetDlgItemInt(dialog, field.edit_id, &is_number, FALSE);
    return is_number ? clamp_setting(field.range, value) : field.range.standard;
}

void show_settings(HWND dialog, const SaverSettings& settings) {
    show(dialog, BRANCHES_FIELD, settings.branches);
    show(dialog, LEVELS_FIELD, settings.levels);
    show(dialog, SPEED_FIELD, settings.degrees_per_second);
}

// Beside the levels: how many the work bound lets a frame draw.
void show_levels_drawn(HWND dialog) {
    const int drawn = bounded_levels(shown(dialog, BRANCHES_FIELD), shown(dialog, LEVELS_FIELD));
    const std::string text = "draws " + std::to_string(drawn);
    SetDlgItemTextA(dialog, SETTINGS_LEVELS_DRAWN, text.c_str());
}

INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            for (const Field* field : {&BRANCHES_FIELD, &LEVELS_FIELD, &SPEED_FIELD}) {
                SendDlgItemMessageA(dialog, field->spin_id, UDM_SETRANGE32, field->range.lowest,
                                    field->range.highest);
            }
            show_settings(dialog, read_saver_settings());
            show_levels_drawn(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wparam)) {
                case IDOK: {
                    const SaverSettings settings = {shown(dialog, BRANCHES_FIELD), shown(dialog, LEVELS_FIELD),
                                                    shown(dialog, SPEED_FIELD)};
                    EndDialog(dialog, write_saver_settings(settings) ? IDOK : IDABORT);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case SETTINGS_DEFAULTS:
                    show_settings(dialog, DEFAULT_SAVER_SETTINGS);
                    return TRUE;
                case SETTINGS_BRANCHES:
                case SETTINGS_LEVELS:
                    if (HIWORD(wparam) == EN_CHANGE) show_levels_drawn(dialog);
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

int run_settings_dialog(HINSTANCE instance, HWND owner) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    const INT_PTR result =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(SETTINGS_DIALOG_ID), owner, settings_dialog_proc, 0);
    return result == IDOK || result == IDCANCEL ? 0 : 1;
}
