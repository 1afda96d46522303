// SDL's events as the viewer takes them: every key it reacts to reaches it
// from the keys a person presses for it, and the pointer's signed position
// turns the scene.
#include <SDL.h>
#include <gtest/gtest.h>

#include "core/viewer_state.h"
#include "platform/sdl_keys.h"
#include "platform/sdl_window.h"
#include "viewer/key_codes.h"

namespace {

struct Row {
    SDL_Keycode key;
    int expected;
};

TEST(SdlEvents, KeysMapToEachKeyOfTheViewerAndNothingElse) {
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

SDL_Event motion(int x, int y, Uint32 buttons) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.state = buttons;
    return event;
}

// SDL goes on reporting a held drag after the pointer left the window, past
// its left or top edge with coordinates below 0: the scene turns the way
// the pointer went, half a degree per pixel.
TEST(SdlEvents, PointerMovesTurnTheSceneByTheirSignedDistance) {
    const struct {
        const char* name;
        int from_x, from_y, to_x, to_y;
        Uint32 buttons;
        double pitch, yaw;
    } moves[] = {
        {"past the left edge", 2, 100, -2, 100, SDL_BUTTON_LMASK, 0.0, -2.0},
        {"past the top edge", 50, 3, 50, -5, SDL_BUTTON_LMASK, -4.0, 0.0},
        {"back in from the top left", -300, -20, 10, 4, SDL_BUTTON_LMASK, 12.0, 155.0},
        {"no button", 2, 2, -2, -2, 0, 0.0, 0.0},
    };
    for (const auto& m : moves) {
        handle_sdl_event(motion(m.from_x, m.from_y, 0));
        viewer.pitch = viewer.yaw = 0.0;
        handle_sdl_event(motion(m.to_x, m.to_y, m.buttons));
        EXPECT_EQ(viewer.pitch, m.pitch) << m.name;
        EXPECT_EQ(viewer.yaw, m.yaw) << m.name;
        EXPECT_EQ(viewer.last_mouse_x, m.to_x) << m.name;
        EXPECT_EQ(viewer.last_mouse_y, m.to_y) << m.name;
    }
}

}  // namespace
