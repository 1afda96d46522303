// Windows GUI entry of the screen saver: what Windows asks for, by its
// command line, and the process exit code.
#include <windows.h>

#include "saver/arguments.h"
#include "saver/saver_window.h"
#include "saver/settings_dialog.h"
#include "saver/settings_store.h"

namespace {

HWND settings_owner(const SaverArguments& arguments) {
    switch (arguments.owner) {
        case SettingsOwner::given:
            return reinterpret_cast<HWND>(static_cast<UINT_PTR>(arguments.window));
        case SettingsOwner::foreground:
            return GetForegroundWindow();
        case SettingsOwner::none:
            break;
    }
    return nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    const SaverArguments arguments = read_saver_arguments(command_line);
    switch (arguments.mode) {
        case SaverMode::full_screen:
            return run_full_screen(instance, read_saver_settings());
        case SaverMode::password_change:
            return SAVER_EXIT_OK;
        case SaverMode::bad_preview:
            // The preview lives inside the Control Panel: no box there.
            return SAVER_EXIT_BAD_ARGUMENTS;
        case SaverMode::unknown:
            MessageBoxA(nullptr, unknown_arguments_message(command_line).c_str(), "PolyTree",
                        MB_OK | MB_ICONEXCLAMATION);
            return SAVER_EXIT_BAD_ARGUMENTS;
        case SaverMode::preview:
            return run_preview(instance, arguments.window, read_saver_settings());
        case SaverMode::settings:
            break;
    }
    HWND owner = settings_owner(arguments);
    // A handle that is no window (the owner closed meanwhile): no owner.
    if (owner != nullptr && !IsWindow(owner)) owner = nullptr;
    return run_settings_dialog(instance, owner);
}
