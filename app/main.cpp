// Windows GUI entry: hands the module instance and the option text (the
// command line after the program's name) to the viewer.
#include <windows.h>

#include "app/run_viewer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    return run_viewer(instance, command_line);
}
