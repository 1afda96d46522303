#pragma once
// What the viewer says to the user, in one place for every program that
// shows it. Plain macros for the help text and the dialog's id, because the
// resource compiler reads this file too and knows nothing else of C++.

#define HELP_DIALOG_ID 1001
#define HELP_CAPTION "Help..."

// One literal, so that every resource compiler reads it alike.
#define HELP_TEXT "Arrows\t- rotate\r\nHome\t- move forward\r\nEnd\t- move backward\r\nDelete\t- move left\r\nPgDn\t- move right\r\nA/Z\t- move up/down\r\nSpace\t- pause\r\n\r\nMouse+LeftButton\r\n\t- rotate\r\n\r\nF1\t- help\r\nF12\t- toggle fulscreen\r\n+/-\t- change resolution\r\nEsc\t- exit"

#ifndef RC_INVOKED

namespace texts {
// The start-up question; Yes (the default) runs full screen.
constexpr const char START_QUESTION[] = "Would You Like To Run In Fullscreen Mode?";
constexpr const char START_CAPTION[] = "Start FullScreen?";

// Asked when the display refuses the full-screen mode; No ends the program
// after CLOSE_NOTICE.
constexpr const char FALLBACK_QUESTION[] =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
constexpr const char FALLBACK_CAPTION[] = "Quor GL";
constexpr const char CLOSE_NOTICE[] = "Program Will Now Close.";

constexpr const char ERROR_CAPTION[] = "ERROR";
}  // namespace texts

#endif
