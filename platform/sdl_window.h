#pragma once
// The viewer's window on SDL2 (Linux, and wherever SDL runs): an OpenGL
// compatibility context, double-buffered with a depth buffer, in a resizable
// window or full screen at a display mode's exact size; SDL's events turned
// into the viewer state as the Win32 window procedure does; message boxes.

#include <SDL.h>

#include <string>

// SDL's video part, with the screen saver kept off while the viewer runs.
// False, with the reason on stderr, when there is no display to use.
bool start_sdl_video();

// A question with Yes (Return) and No (Esc) buttons, asked without an owner
// window. True for Yes; a box that cannot be shown answers No, said on
// stderr. Once a signal asked the program to stop, boxes show no more.
bool ask_yes_no(const char* caption, const char* text);

// A box with one OK button, closed by Return or Esc.
void show_message(Uint32 flags, const char* caption, const char* text);

// How one frame follows another on the screen.
enum class Pacing {
    // No faster than the display refreshes: the driver waits for it in each
    // swap (vsync, adaptive where it offers that), or where it will not (as
    // on Xvfb), the window waits itself, at the display's refresh rate (60
    // Hz where none is reported).
    display,
    none,  // as fast as frames are drawn, for timing them
};

struct WindowRequest {
    const char* caption;
    int width;  // the window's size
    int height;
    int mode_width;  // full screen: the display mode switched to
    int mode_height;
    bool fullscreen;
    Pacing pacing;
};

// Opens the window with a current GL context and the renderer's state set up,
// re-projected for its drawable size. Full screen switches the display to
// exactly the mode's size; a mode SDL cannot give at that size is refused,
// and the viewer's fallback question decides between a window and giving
// up. On failure the user has been told and nothing is left open.
bool open_sdl_window(const WindowRequest& request);

// Closes the window and its context; the display gets its mode back.
void close_sdl_window();

// Shows the frame drawn, then waits as the window's pacing asks.
void swap_sdl_window();

// Turns one event into viewer state. False for the request to quit (the
// window's close button).
bool handle_sdl_event(const SDL_Event& event);

// Whether the event is the desktop's copy command going down: Ctrl+C (the
// C of the user's layout) or Ctrl+Insert, not its auto-repeat.
bool is_copy_command(const SDL_Event& event);

// Puts the text on the clipboard. On X it lives while the program runs (or
// until a clipboard manager takes it). False, said on stderr, when SDL
// cannot.
bool copy_to_clipboard(const std::string& text);
