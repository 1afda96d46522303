#pragma once
// What happened at the window, as the viewer state takes it: key codes going
// down and up, the pointer's position, the focus and minimising. Every
// window system decodes its own events into these calls (Win32's window
// procedure its message words, SDL and the browser their signed values), so
// nothing here knows how any of them packs its events.

// A key going down, auto-repeat included: marks the key held and latches a
// press that stays until the idle pass acts on it, so a tap that begins and
// ends between two passes is still seen. Codes outside 0 to 255 are ignored:
// a window system may hand over any number, and the key arrays have 256
// entries.
void on_key_down(int code);
void on_key_up(int code);

// The focus went to another window: the key-up of a key held now will go
// there, so every key counts as released. Latched presses stay, to be acted
// on once.
void release_held_keys();

// Minimised or restored: frames are drawn only while not minimised.
void on_minimised(bool minimised);

// The pointer at x, y in client pixels (signed: a drag that leaves the
// window past its left or top edge goes on below 0), with the left button
// down or not. A left-button drag turns the scene half a degree per pixel.
void on_pointer_move(int x, int y, bool left_button);

// For one-shot commands: whether the key was pressed since the last call,
// consuming that press. Holding the key does not count, only key-downs.
bool take_press(int code);

// For navigation keys: whether the key is held or was pressed since the last
// call, consuming the press, so a tap between two passes still acts once.
bool take_held_or_press(int code);
