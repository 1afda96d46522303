#pragma once
// SDL's key codes to the viewer's (viewer/key_codes.h), so that the input
// latch and the key commands work on SDL's events as on Windows' messages.

#include <SDL_keycode.h>

// The viewer's code of the key, or -1 for a key the viewer does not use.
// Keys are read by their symbol, as Windows' virtual-key codes follow the
// keyboard layout: A and Z are the keys labelled so, and the main-row keys
// that carry + (or =) and - are VK_OEM_PLUS and VK_OEM_MINUS.
int viewer_key_of(SDL_Keycode key);
