#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/options.h"
#include "core/viewer_state.h"
#include "tests/viewer/keyboard_test.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/key_commands.h"

namespace {

// Stands in for the window layer and notes, for each call, the state the
// command saw, so the order of the commands shows in the log.
struct FakeWindow {
    std::vector<std::string> log;
    int opens_before_failure = -1;  // -1: every open succeeds

    static std::string state() {
        return "row " + std::to_string(viewer.mode_index) + (viewer.fullscreen ? " full" : " windowed") + " yaw " +
               std::to_string(static_cast<int>(viewer.yaw)) + (viewer.paused ? " paused" : "");
    }
    void close() { log.push_back("close"); }
    bool open() {
        log.push_back("open " + state());
        if (opens_before_failure == 0) return false;
        if (opens_before_failure > 0) --opens_before_failure;
        return true;
    }
    void show_help() { log.push_back("help " + state()); }
};

using Log = std::vector<std::string>;

class KeyCommands : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        init_viewer("");
        viewer.fullscreen = false;
    }
    // Key-downs as the window procedure hands them on; the keys stay held.
    static void press(std::initializer_list<int> codes) {
        for (int code : codes) on_key_down(code);
    }
};

TEST_F(KeyCommands, RunInTheirFixedOrder) {
    press({keys::SPACE, keys::OEM_MINUS, keys::OEM_PLUS, keys::SUBTRACT, keys::ADD, keys::RIGHT, keys::F1, keys::F12});
    FakeWindow window;
    EXPECT_TRUE(run_key_commands(window));
    const Log expected = {
        "close", "open row 2 full yaw 0",       // F12
        "help row 2 full yaw 0",                // F1, before navigation turns
        "close", "open row 3 full yaw 1",       // + (keypad), after navigation
        "close", "open row 2 full yaw 1",       // - (keypad)
        "close", "open row 3 full yaw 1",       // + (main keyboard)
        "close", "open row 2 full yaw 1",       // - (main keyboard)
    };
    EXPECT_EQ(window.log, expected);
    EXPECT_TRUE(viewer.paused);  // Space comes last
}

TEST_F(KeyCommands, HeldOneShotKeysActOncePerKeyDownNavigationKeysOnEveryPass) {
    press({keys::F12, keys::F1, keys::ADD, keys::SUBTRACT, keys::OEM_PLUS, keys::OEM_MINUS, keys::SPACE,
           keys::LEFT, keys::HOME, keys::A});
    FakeWindow window;
    run_key_commands(window);
    EXPECT_EQ(window.log.size(), 11u);

    // Further passes without new key-down messages repeat nothing one-shot,
    // though every key is still held.
    window.log.clear();
    run_key_commands(window);
    run_key_commands(window);
    EXPECT_TRUE(window.log.empty());
    EXPECT_TRUE(viewer.paused);
    EXPECT_EQ(viewer.yaw, -3.0);  // but navigation acts again on each
    EXPECT_NEAR(viewer.cam_y, -3 * 0.05, 1e-12);

    // An auto-repeat key-down is a new press.
    press({keys::SPACE, keys::F1});
    run_key_commands(window);
    EXPECT_FALSE(viewer.paused);
    EXPECT_EQ(window.log, (Log{"help row 2 full yaw -3 paused"}));
}

TEST_F(KeyCommands, ModeKeysCycleThroughTheRowsBothWays) {
    const struct {
        int key;
        int from;
        int to;
    } cases[] = {
        {keys::ADD, 2, 3},      {keys::ADD, 4, 0},      {keys::OEM_PLUS, 0, 1},
        {keys::SUBTRACT, 0, 4}, {keys::SUBTRACT, 3, 2}, {keys::OEM_MINUS, 1, 0},
        {keys::OEM_MINUS, 0, 4},
    };
    for (const auto& c : cases) {
        SetUp();
        viewer.mode_index = c.from;
        press({c.key});
        FakeWindow window;
        EXPECT_TRUE(run_key_commands(window));
        EXPECT_EQ(viewer.mode_index, c.to) << "key " << c.key << " from " << c.from;
        EXPECT_EQ(window.log, (Log{"close", "open row " + std::to_string(c.to) + " windowed yaw 0"}));
    }
}

TEST_F(KeyCommands, FivePlusPressesComeBackToTheStartRow) {
    FakeWindow window;
    std::vector<int> rows;
    for (int i = 0; i < 5; ++i) {
        press({keys::ADD});
        run_key_commands(window);
        rows.push_back(viewer.mode_index);
    }
    EXPECT_EQ(rows, (std::vector<int>{3, 4, 0, 1, 2}));
}

TEST_F(KeyCommands, FullScreenToggleKeepsTheRow) {
    viewer.mode_index = 4;
    FakeWindow window;
    press({keys::F12});
    run_key_commands(window);
    press({keys::F12});
    run_key_commands(window);
    EXPECT_EQ(window.log, (Log{"close", "open row 4 full yaw 0", "close", "open row 4 windowed yaw 0"}));
}

TEST_F(KeyCommands, SpaceTogglesPause) {
    FakeWindow window;
    press({keys::SPACE});
    run_key_commands(window);
    EXPECT_TRUE(viewer.paused);
    run_key_commands(window);  // still paused: one press, one toggle
    EXPECT_TRUE(viewer.paused);
    press({keys::SPACE});
    run_key_commands(window);
    EXPECT_FALSE(viewer.paused);
    EXPECT_TRUE(window.log.empty());
}

TEST_F(KeyCommands, AFailedReopenStopsThePass) {
    const struct {
        std::initializer_list<int> keys;
        int opens_before_failure;
        Log expected;
    } cases[] = {
        {{keys::F12, keys::F1, keys::SPACE}, 0, {"close", "open row 2 full yaw 0"}},
        {{keys::ADD, keys::SUBTRACT, keys::SPACE}, 0, {"close", "open row 3 windowed yaw 0"}},
        {{keys::ADD, keys::SUBTRACT, keys::SPACE}, 1, {"close", "open row 3 windowed yaw 0", "close",
                                                       "open row 2 windowed yaw 0"}},
    };
    for (const auto& c : cases) {
        SetUp();
        press(c.keys);
        FakeWindow window;
        window.opens_before_failure = c.opens_before_failure;
        EXPECT_FALSE(run_key_commands(window));
        EXPECT_EQ(window.log, c.expected);
        EXPECT_FALSE(viewer.paused);  // Space never reached
    }
}

}  // namespace
