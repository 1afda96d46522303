#pragma once
// A fixture for tests that press keys: each starts with every key up and no
// press latched, whatever ran before it in the same process.

#include <gtest/gtest.h>

#include "core/viewer_state.h"

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { all_keys_up(); }

    static void all_keys_up() {
        for (int code = 0; code < KEY_COUNT; ++code) viewer.key_down[code] = viewer.key_pressed[code] = false;
    }
};
