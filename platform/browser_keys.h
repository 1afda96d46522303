#pragma once
// A browser's keyboard events to the viewer's key codes
// (viewer/key_codes.h), so that the input latch and the key commands work on
// a web page as on Windows' messages.

// The viewer's code of the key, or -1 for a key the viewer does not use.
// key is KeyboardEvent.key, the key's meaning in the user's layout, as
// Windows' virtual-key codes follow the layout: A and Z are the keys that
// type a and z, and the main-row keys that type + (or =) and - are
// VK_OEM_PLUS and VK_OEM_MINUS. The keypad's + and -, whose meaning is the
// main row's, are told apart by code, KeyboardEvent.code.
int viewer_key_of(const char* key, const char* code);
