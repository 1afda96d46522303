// The SDL key table against the codes the key commands read: every key the
// viewer reacts to reaches it from the keys a person presses for it.
#include "platform/sdl_keys.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include "viewer/key_codes.h"

namespace {

struct Row {
    SDL_Keycode key;
    int expected;
};

TEST(SdlKeys, MapsEachKeyOfTheViewerAndNothingElse) {
    const Row rows[] = {
        {SDLK_ESCAPE, keys::ESCAPE},   {SDLK_SPACE, keys::SPACE},      {SDLK_PAGEDOWN, keys::NEXT},
        {SDLK_END, keys::END},         {SDLK_HOME, keys::HOME},        {SDLK_LEFT, keys::LEFT},
        {SDLK_UP, keys::UP},           {SDLK_RIGHT, keys::RIGHT},      {SDLK_DOWN, keys::DOWN},
        {SDLK_DELETE, keys::DELETE_KEY}, {SDLK_a, keys::A},            {SDLK_z, keys::Z},
        {SDLK_F1, keys::F1},           {SDLK_F12, keys::F12},
        // + and - from the keypad, and from the main row whatever the layout
        // puts on the key.
        {SDLK_KP_PLUS, keys::ADD},     {SDLK_KP_MINUS, keys::SUBTRACT},
        {SDLK_EQUALS, keys::OEM_PLUS}, {SDLK_PLUS, keys::OEM_PLUS},    {SDLK_MINUS, keys::OEM_MINUS},
        // Neighbours that must do nothing.
        {SDLK_PAGEUP, -1},             {SDLK_INSERT, -1},              {SDLK_RETURN, -1},
        {SDLK_KP_ENTER, -1},           {SDLK_F2, -1},                  {SDLK_F11, -1},
        {SDLK_b, -1},                  {SDLK_y, -1},                   {SDLK_UNKNOWN, -1},
        {SDLK_KP_MULTIPLY, -1},        {SDLK_UNDERSCORE, -1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.expected, viewer_key_of(row.key)) << SDL_GetKeyName(row.key);
    }
}

}  // namespace
