#pragma once
// What the window procedure does to the viewer state, and how the idle pass
// reads the keys back, kept free of Win32 so it can be exercised directly.
// Arguments are the messages' raw parameters.

#include <cstdint>

// WM_KEYDOWN / WM_KEYUP. A key-down, auto-repeat included, marks the key held
// and latches a press that stays until the idle pass acts on it, so a tap
// that begins and ends between two passes is still seen. Codes of 256 and
// more are ignored: any program can post such a message, and the key arrays
// have only 256 entries.
void on_key_down(std::uintptr_t wparam);
void on_key_up(std::uintptr_t wparam);

// WM_ACTIVATE: drawing goes on unless the high word (the minimised flag) is
// set. Deactivation (low word WA_INACTIVE) also releases every held key.
void on_activate(std::uintptr_t wparam);

// WM_KILLFOCUS, and deactivation: the key-up of a key held now will go to
// whichever window has the focus, so every key counts as released. Latched
// presses stay, to be acted on once.
void release_held_keys();

// For one-shot commands: whether the key was pressed since the last call,
// consuming that press. Holding the key does not count, only key-downs.
bool take_press(int code);

// For navigation keys: whether the key is held or was pressed since the last
// call, consuming the press, so a tap between two passes still acts once.
bool take_held_or_press(int code);

// WM_MOUSEMOVE: a left-button drag turns the scene half a degree per pixel.
void on_mouse_move(std::uintptr_t wparam, std::intptr_t lparam);

struct ClientSize {
    int width;
    int height;
};

// WM_SIZE: the new client size, both words read as unsigned 16-bit values.
ClientSize client_size_of(std::intptr_t lparam);
