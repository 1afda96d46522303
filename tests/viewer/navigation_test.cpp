#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "core/options.h"
#include "core/viewer_state.h"
#include "tests/viewer/keyboard_test.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/navigation.h"

namespace {

class Navigation : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        init_viewer("");
    }

    static void hold(std::initializer_list<int> codes) {
        all_keys_up();
        for (int code : codes) viewer.key_down[code] = true;
    }

    static void passes(int count) {
        for (int i = 0; i < count; ++i) navigate_camera();
    }
};

TEST_F(Navigation, YawWrapsByOneTurnOnlyWhenItLeavesPlusMinus360) {
    const struct {
        int key;
        int passes;
        double yaw;
    } cases[] = {
        {keys::RIGHT, 360, 360.0},  // 360 itself is still inside
        {keys::RIGHT, 361, 1.0},
        {keys::RIGHT, 725, 5.0},
        {keys::LEFT, 360, -360.0},
        {keys::LEFT, 361, -1.0},
        {keys::LEFT, 1, -1.0},
    };
    for (const auto& c : cases) {
        SetUp();
        hold({c.key});
        passes(c.passes);
        EXPECT_DOUBLE_EQ(viewer.yaw, c.yaw) << "key " << c.key << " x" << c.passes;
    }
}

TEST_F(Navigation, PitchIsClampedAtPlusMinus90) {
    const struct {
        int key;
        int passes;
        double pitch;
    } cases[] = {
        {keys::UP, 89, 89.0}, {keys::UP, 90, 90.0}, {keys::UP, 100, 90.0},
        {keys::DOWN, 100, -90.0}, {keys::DOWN, 3, -3.0},
    };
    for (const auto& c : cases) {
        SetUp();
        hold({c.key});
        passes(c.passes);
        EXPECT_EQ(viewer.pitch, c.pitch) << "key " << c.key << " x" << c.passes;
    }
}

TEST_F(Navigation, PitchBeyondTheClampFromElsewhereIsPulledBack) {
    // A mouse drag may leave pitch past 90; the next Up clamps it again.
    viewer.pitch = 130.0;
    hold({keys::UP});
    passes(1);
    EXPECT_EQ(viewer.pitch, 90.0);
}

TEST_F(Navigation, MovesByOneStepPerPassInTheViewDirection) {
    const double s = 0.05;
    const double r = std::sqrt(0.5);
    const struct {
        int key;
        double pitch, yaw;
        double dx, dy, dz;
    } cases[] = {
        {keys::HOME, 0, 0, 0.0, 0.0, s},
        {keys::END, 0, 0, 0.0, 0.0, -s},
        {keys::HOME, 0, 90, -s, 0.0, 0.0},
        {keys::HOME, 90, 0, 0.0, s, 0.0},
        {keys::HOME, 45, 0, 0.0, s * r, s * r},
        {keys::END, 0, -90, -s, 0.0, 0.0},
        {keys::DELETE_KEY, 0, 0, s, 0.0, 0.0},
        {keys::DELETE_KEY, 30, 90, 0.0, 0.0, s},  // pitch plays no part sideways
        {keys::NEXT, 0, 0, -s, 0.0, 0.0},
        {keys::A, 20, 70, 0.0, -s, 0.0},
        {keys::Z, 20, 70, 0.0, s, 0.0},
    };
    for (const auto& c : cases) {
        SetUp();
        viewer.pitch = c.pitch;
        viewer.yaw = c.yaw;
        hold({c.key});
        passes(1);
        EXPECT_NEAR(viewer.cam_x, c.dx, 1e-15) << "key " << c.key;
        EXPECT_NEAR(viewer.cam_y, c.dy, 1e-15) << "key " << c.key;
        EXPECT_NEAR(viewer.cam_z, -3.5 + c.dz, 1e-15) << "key " << c.key;
        EXPECT_EQ(viewer.pitch, c.pitch);
        EXPECT_EQ(viewer.yaw, c.yaw);
    }
}

TEST_F(Navigation, OppositeKeysTogetherCancel) {
    viewer.pitch = 33.0;
    viewer.yaw = -71.0;
    hold({keys::HOME, keys::END, keys::DELETE_KEY, keys::NEXT, keys::A, keys::Z});
    passes(10);
    EXPECT_NEAR(viewer.cam_x, 0.0, 1e-12);
    EXPECT_NEAR(viewer.cam_y, 0.0, 1e-12);
    EXPECT_NEAR(viewer.cam_z, -3.5, 1e-12);
}

TEST_F(Navigation, MovementReadsTheAnglesAfterThisPassTurned) {
    // Right brings yaw from 89 to 90 first, so Home moves along -x, not z.
    viewer.yaw = 89.0;
    hold({keys::RIGHT, keys::HOME});
    passes(1);
    EXPECT_EQ(viewer.yaw, 90.0);
    EXPECT_NEAR(viewer.cam_x, -0.05, 1e-15);
    EXPECT_NEAR(viewer.cam_z, -3.5, 1e-15);
}

TEST_F(Navigation, AllHeldKeysActInOnePass) {
    hold({keys::RIGHT, keys::UP, keys::A, keys::DELETE_KEY});
    passes(1);
    EXPECT_EQ(viewer.yaw, 1.0);
    EXPECT_EQ(viewer.pitch, 1.0);
    EXPECT_NEAR(viewer.cam_y, -0.05, 1e-15);
    EXPECT_NEAR(viewer.cam_x, 0.05 * std::sin((90.0 - 1.0) * 3.14159265358979323846 / 180.0), 1e-15);
    for (int code : {keys::RIGHT, keys::UP, keys::A, keys::DELETE_KEY}) EXPECT_TRUE(viewer.key_down[code]);
}

// Key messages as the window procedure hands them on, between passes: a tap
// that a pass never saw held still turns one step, a held key turns on every
// pass, and nothing keeps turning after the focus went away.
TEST_F(Navigation, TapsTurnOneStepHeldKeysOnEveryPass) {
    const struct {
        const char* events;  // d: Right down (or repeats), u: up, f: focus lost, .: a pass
        double yaw;
    } cases[] = {
        {"du...", 1.0}, {"d...", 3.0},  {"d.u..", 1.0}, {"dudu.", 1.0}, {"du.du.", 2.0},
        {"dd.", 1.0},   {"d.f..", 1.0}, {"df..", 1.0},  {"d.d.f.", 2.0}, {"u..", 0.0},
    };
    for (const auto& c : cases) {
        SetUp();
        hold({});
        for (const char* e = c.events; *e != '\0'; ++e) {
            if (*e == 'd') on_key_down(keys::RIGHT);
            if (*e == 'u') on_key_up(keys::RIGHT);
            if (*e == 'f') release_held_keys();
            if (*e == '.') navigate_camera();
        }
        EXPECT_EQ(viewer.yaw, c.yaw) << c.events;
    }
}

TEST_F(Navigation, OtherKeysDoNothing) {
    for (int code = 0; code < KEY_COUNT; ++code) viewer.key_down[code] = true;
    for (int code : {keys::LEFT, keys::RIGHT, keys::UP, keys::DOWN, keys::HOME, keys::END, keys::DELETE_KEY,
                     keys::NEXT, keys::A, keys::Z}) {
        viewer.key_down[code] = false;
    }
    passes(5);
    EXPECT_EQ(viewer.yaw, 0.0);
    EXPECT_EQ(viewer.pitch, 0.0);
    EXPECT_EQ(viewer.cam_x, 0.0);
    EXPECT_EQ(viewer.cam_y, 0.0);
    EXPECT_EQ(viewer.cam_z, -3.5);
}

}  // namespace
