#pragma once
// What the window procedure does to the viewer state, kept free of Win32 so
// it can be exercised directly. Arguments are the messages' raw parameters.

#include <cstdint>

// WM_KEYDOWN / WM_KEYUP. Codes of 256 and more are ignored: any program can
// post such a message, and key_down has only 256 entries.
void on_key_down(std::uintptr_t wparam);
void on_key_up(std::uintptr_t wparam);

// WM_ACTIVATE: drawing goes on unless the high word (the minimised flag) is set.
void on_activate(std::uintptr_t wparam);

// WM_MOUSEMOVE: a left-button drag turns the scene half a degree per pixel.
void on_mouse_move(std::uintptr_t wparam, std::intptr_t lparam);

struct ClientSize {
    int width;
    int height;
};

// WM_SIZE: the new client size, both words read as unsigned 16-bit values.
ClientSize client_size_of(std::intptr_t lparam);
