#pragma once
// What Windows asks of a screen saver, read from its command line. Free of
// <windows.h>: window handles are plain numbers here.

#include <cstdint>
#include <string>

enum class SaverMode {
    full_screen,      // /s
    preview,          // /p HWND, /p:HWND
    bad_preview,      // /p with a missing or malformed handle: quiet exit 2
    settings,         // /c, /c:HWND, or no argument at all
    password_change,  // /a, a Windows 9x request: nothing to do
    unknown,          // anything else: the user is told, exit 2
};

enum class SettingsOwner {
    none,        // no argument: the dialog stands alone
    foreground,  // /c: whatever window is in front
    given,       // /c:HWND
};

struct SaverArguments {
    SaverMode mode;
    std::uint64_t window;  // the preview's parent or the settings' owner
    SettingsOwner owner;
};

// Reads the command line after the program's name (null reads as empty).
// Letters in either case, after '/' or '-'; a handle as unsigned decimal
// after a space or a colon.
SaverArguments read_saver_arguments(const char* command_line);

// The message for an unknown command line: the text as given and the forms
// that are understood.
std::string unknown_arguments_message(const char* command_line);
