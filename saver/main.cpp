// Windows GUI entry of the screen saver: what Windows asks for, by its
// command line, and the process exit code.
#include <windows.h>

#include "saver/arguments.h"
#include "saver/saver_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    const SaverArguments arguments = read_saver_arguments(command_line);
    switch (arguments.mode) {
        case SaverMode::full_screen:
            return run_full_screen(instance, DEFAULT_SAVER_SETTINGS);
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
            return run_preview(instance, arguments.window, DEFAULT_SAVER_SETTINGS);
        case SaverMode::settings:
            break;
    }
    // The settings dialog comes next; until then the saver answers it as an
    // empty success.
    return SAVER_EXIT_OK;
}
