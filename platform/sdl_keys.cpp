#include "platform/sdl_keys.h"

#include "viewer/key_codes.h"

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int viewer;
};

const KeyPair KEY_TABLE[] = {
    {SDLK_ESCAPE, keys::ESCAPE},
    {SDLK_SPACE, keys::SPACE},
    {SDLK_PAGEDOWN, keys::NEXT},
    {SDLK_END, keys::END},
    {SDLK_HOME, keys::HOME},
    {SDLK_LEFT, keys::LEFT},
    {SDLK_UP, keys::UP},
    {SDLK_RIGHT, keys::RIGHT},
    {SDLK_DOWN, keys::DOWN},
    {SDLK_DELETE, keys::DELETE_KEY},
    {SDLK_a, keys::A},
    {SDLK_z, keys::Z},
    {SDLK_KP_PLUS, keys::ADD},
    {SDLK_KP_MINUS, keys::SUBTRACT},
    {SDLK_F1, keys::F1},
    {SDLK_F12, keys::F12},
    // The main-row key reports its unshifted symbol: = on US keyboards, +
    // where + is the key's own character (German, Nordic layouts).
    {SDLK_EQUALS, keys::OEM_PLUS},
    {SDLK_PLUS, keys::OEM_PLUS},
    {SDLK_MINUS, keys::OEM_MINUS},
};

}  // namespace

int viewer_key_of(SDL_Keycode key) {
    for (const KeyPair& pair : KEY_TABLE) {
        if (pair.sdl == key) return pair.viewer;
    }
    return -1;
}
