#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "saver/arguments.h"
#include "saver/screen.h"
#include "saver/settings.h"

// Found by argument lookup: beside Viewport, outside the test namespace.
bool operator==(const Viewport& a, const Viewport& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

std::ostream& operator<<(std::ostream& out, const Viewport& v) {
    return out << "{" << v.x << "," << v.y << " " << v.width << "x" << v.height << "}";
}

namespace {

TEST(SaverArguments, ReadsWhatWindowsPasses) {
    const SaverMode S = SaverMode::full_screen, P = SaverMode::preview, BP = SaverMode::bad_preview,
                    C = SaverMode::settings, A = SaverMode::password_change, U = SaverMode::unknown;
    const SettingsOwner NONE = SettingsOwner::none, FRONT = SettingsOwner::foreground,
                        GIVEN = SettingsOwner::given;
    const struct {
        const char* text;
        SaverMode mode;
        std::uint64_t window;
        SettingsOwner owner;
    } cases[] = {
        {nullptr, C, 0, NONE},
        {"", C, 0, NONE},
        {"  ", C, 0, NONE},
        {"/s", S, 0, NONE},
        {"/S", S, 0, NONE},
        {"-s", S, 0, NONE},
        {"  /s  ", S, 0, NONE},
        {"/s 5", U, 0, NONE},
        {"/sx", U, 0, NONE},
        {"/p 1234", P, 1234, NONE},
        {"/P:1234", P, 1234, NONE},
        {"-p   98765 ", P, 98765, NONE},
        {"/p 18446744073709551615", P, UINT64_MAX, NONE},
        {"/p", BP, 0, NONE},
        {"/p:", BP, 0, NONE},
        {"/p 0", BP, 0, NONE},
        {"/p 12ab", BP, 0, NONE},
        {"/p -5", BP, 0, NONE},
        {"/p 18446744073709551616", BP, 0, NONE},
        {"/p 1 2", BP, 0, NONE},
        {"/c", C, 0, FRONT},
        {"/C:4242", C, 4242, GIVEN},
        {"-c 4242", C, 4242, GIVEN},
        {"/c:0", C, 0, NONE},
        {"/c:x", U, 0, NONE},
        {"/a", A, 0, NONE},
        {"/A 1234", A, 0, NONE},
        {"/x", U, 0, NONE},
        {"s", U, 0, NONE},
        {"/", U, 0, NONE},
        {"//s", U, 0, NONE},
        {"B5 L4", U, 0, NONE},
    };
    for (const auto& c : cases) {
        const SaverArguments read = read_saver_arguments(c.text);
        const char* shown = c.text != nullptr ? c.text : "(null)";
        EXPECT_EQ(static_cast<int>(read.mode), static_cast<int>(c.mode)) << shown;
        if (c.mode == P || c.mode == C) {
            EXPECT_EQ(read.window, c.window) << shown;
        }
        if (c.mode == C) {
            EXPECT_EQ(static_cast<int>(read.owner), static_cast<int>(c.owner)) << shown;
        }
    }
}

TEST(SaverArguments, TheMessageNamesTheArgumentAndEveryForm) {
    const std::string message = unknown_arguments_message("/x 17");
    for (const char* part : {"\"/x 17\"", "/s", "/p HWND", "/c:HWND", "/c", "/a"}) {
        EXPECT_NE(message.find(part), std::string::npos) << part;
    }
}

TEST(MonitorViewports, EachMonitorKeepsItsRectangleInGlCoordinates) {
    const struct {
        const char* layout;
        ScreenRect screen;
        std::vector<ScreenRect> monitors;
        std::vector<Viewport> expected;
    } cases[] = {
        {"one", {0, 0, 1024, 768}, {{0, 0, 1024, 768}}, {{0, 0, 1024, 768}}},
        {"side by side",
         {0, 0, 3200, 1200},
         {{0, 0, 1920, 1200}, {1920, 0, 3200, 1024}},
         {{0, 0, 1920, 1200}, {1920, 176, 1280, 1024}}},
        {"stacked",
         {0, 0, 1280, 1792},
         {{0, 0, 1280, 1024}, {0, 1024, 1024, 1792}},
         {{0, 768, 1280, 1024}, {0, 0, 1024, 768}}},
        {"secondary left of and above the primary",
         {-1280, -200, 1920, 1080},
         {{0, 0, 1920, 1080}, {-1280, -200, 0, 824}},
         {{1280, 0, 1920, 1080}, {0, 256, 1280, 1024}}},
        {"overlapping at the origin (Wine with Xinerama)",
         {0, 0, 800, 600},
         {{0, 0, 800, 600}, {0, 0, 640, 480}},
         {{0, 0, 800, 600}, {0, 120, 640, 480}}},
        {"no monitor reported", {-10, -20, 630, 460}, {}, {{0, 0, 640, 480}}},
        {"an empty monitor left out", {0, 0, 640, 480}, {{0, 0, 0, 480}, {0, 0, 640, 480}}, {{0, 0, 640, 480}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(monitor_viewports(c.screen, c.monitors), c.expected) << c.layout;
    }
}

TEST(MouseWatch, OnlyAMoveBeyondTheSlackFromTheFirstPositionCounts) {
    const struct {
        const char* what;
        std::vector<std::pair<int, int>> moves;
        bool last_ends;
    } cases[] = {
        {"the first move only places the mouse", {{500, 400}}, false},
        {"a jitter within the slack", {{500, 400}, {508, 392}, {492, 408}, {500, 400}}, false},
        {"one pixel past the slack across", {{500, 400}, {509, 400}}, true},
        {"one pixel past the slack up", {{500, 400}, {500, 391}}, true},
        {"creeping stays measured from the first position", {{0, 0}, {5, 0}, {8, 0}, {9, 0}}, true},
        {"negative coordinates of a monitor on the left", {{-300, -20}, {-292, -12}}, false},
        {"a far jump first, then a small step", {{100, 100}, {104, 100}, {100, 130}}, true},
    };
    for (const auto& c : cases) {
        MouseWatch watch;
        bool ended = false;
        for (std::size_t i = 0; i < c.moves.size(); ++i) {
            ended = watch.moved_away(c.moves[i].first, c.moves[i].second);
            if (i + 1 < c.moves.size()) {
                EXPECT_FALSE(ended) << c.what << ": move " << i;
            }
        }
        EXPECT_EQ(ended, c.last_ends) << c.what;
    }
}

TEST(SaverSettings, EveryStoredValueReadsAsASettingWithinItsRange) {
    const StoredValue MISSING = {false, 0};
    const struct {
        const char* what;
        const SettingRange& range;
        StoredValue stored;
        int expected;
    } cases[] = {
        {"missing branches", BRANCHES_RANGE, MISSING, 3},
        {"missing levels", LEVELS_RANGE, MISSING, 7},
        {"missing speed", SPEED_RANGE, MISSING, 60},
        {"branches within", BRANCHES_RANGE, {true, 5}, 5},
        {"branches at the bounds", BRANCHES_RANGE, {true, 12}, 12},
        {"branches 0", BRANCHES_RANGE, {true, 0}, 1},
        {"branches past", BRANCHES_RANGE, {true, 13}, 12},
        {"levels 1", LEVELS_RANGE, {true, 1}, 1},
        {"levels far past", LEVELS_RANGE, {true, 4000000000u}, 12},
        {"levels written as -1", LEVELS_RANGE, {true, 0xFFFFFFFFu}, 12},
        {"speed 0", SPEED_RANGE, {true, 0}, 1},
        {"speed 360", SPEED_RANGE, {true, 360}, 360},
        {"speed 361", SPEED_RANGE, {true, 361}, 360},
        {"speed at 2^31", SPEED_RANGE, {true, 0x80000000u}, 360},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setting_from_stored(c.range, c.stored), c.expected) << c.what;
    }
    EXPECT_EQ(clamp_setting(LEVELS_RANGE, -5), 1);
}

}  // namespace
