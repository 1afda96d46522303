#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/options.h"
#include "core/viewer_state.h"

namespace {

std::vector<std::string> words_of(const char* text) {
    const TokenList list(text);
    std::vector<std::string> words;
    for (int i = 0; i < list.count; ++i) words.emplace_back(list.items[i]);
    if (list.count == 0) {
        EXPECT_EQ(list.items, nullptr);
    }
    return words;
}

using Words = std::vector<std::string>;

TEST(TokenList, SplitsOnTheSpaceCharacterOnly) {
    const struct {
        const char* text;
        Words expected;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"B5", {"B5"}},
        {"B5 L4 G4", {"B5", "L4", "G4"}},
        {"  B5   L4  ", {"B5", "L4"}},
        {"B\t5 L4", {"B\t5", "L4"}},    // a tab belongs to its word
        {"B5\tL4", {"B5\tL4"}},
        {"a\nb c", {"a\nb", "c"}},
        {"x", {"x"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(words_of(c.text), c.expected) << "text: '" << c.text << "'";
    }
}

TEST(TokenList, NullTextGivesNoWords) { EXPECT_TRUE(words_of(nullptr).empty()); }

TEST(TokenList, OwnsCopiesOfItsWords) {
    char text[] = "B5 L4";
    const TokenList list(text);
    text[0] = 'X';
    text[3] = 'Y';
    ASSERT_EQ(list.count, 2);
    EXPECT_STREQ(list.items[0], "B5");
    EXPECT_STREQ(list.items[1], "L4");
}

TEST(DecimalToInt, FollowsTheStandardConversionForEveryInput) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"", 0},
        {"x", 0},
        {"+", 0},
        {"-", 0},
        {"42", 42},
        {"+4", 4},
        {"-4", -4},
        {"4x", 4},
        {"007", 7},
        {" \t\n\v\f\r12", 12},
        {"\t-3", -3},
        {"+-3", 0},
        {"--3", 0},
        {"- 3", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MIN},      // wraps around
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967301", 5},
        {"-4294967297", -1},
        {"99999999999999999999", 1661992959},  // 10^20 - 1 modulo 2^32
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimal_to_int(c.text), c.expected) << "text: '" << c.text << "'";
    }
}

struct Settings {
    int branches;
    int levels;
    int mode_index;
};

TEST(InitViewer, AppliesOptionWords) {
    const struct {
        const char* text;
        Settings expected;
    } cases[] = {
        {"", {3, 7, 2}},
        {"B5 L4 G4", {5, 4, 3}},
        {"b5 l4 g4", {5, 4, 3}},
        {"b0", {3, 7, 2}},
        {"l0", {3, 7, 2}},
        {"Lx", {3, 7, 2}},
        {"G0", {3, 7, 2}},
        {"G6", {3, 7, 2}},
        {"G-1", {3, 7, 2}},
        {"G", {3, 7, 2}},
        {"G1", {3, 7, 0}},
        {"G5", {3, 7, 4}},
        {"G4294967298", {3, 7, 1}},  // wraps to 2
        {"B-4", {-4, 7, 2}},
        {"L-2", {3, -2, 2}},
        {"B4 B6", {6, 7, 2}},
        {"G4 G9", {3, 7, 2}},  // a later out-of-range word resets to the default
        {"B4 B0", {3, 7, 2}},
        {"L5 Lx", {3, 7, 2}},
        {"B4x", {4, 7, 2}},
        {"B+4", {4, 7, 2}},
        {"B\t5", {5, 7, 2}},
        {"X9 -B3 L", {3, 7, 2}},
        {"B5   L4   G4", {5, 4, 3}},
        {"   B5 ", {5, 7, 2}},
        {"Branches9", {3, 7, 2}},  // "ranches9" has no leading digits
        {"L3L5", {3, 3, 2}},       // digits stop at the second letter
    };
    for (const auto& c : cases) {
        init_viewer(c.text);
        EXPECT_EQ(viewer.branches, c.expected.branches) << "options: '" << c.text << "'";
        EXPECT_EQ(viewer.levels, c.expected.levels) << "options: '" << c.text << "'";
        EXPECT_EQ(viewer.mode_index, c.expected.mode_index) << "options: '" << c.text << "'";
    }
}

TEST(InitViewer, ReappliesStartUpValuesEachTime) {
    init_viewer("B5 L4 G1");
    init_viewer("");
    EXPECT_EQ(viewer.branches, 3);
    EXPECT_EQ(viewer.levels, 7);
    EXPECT_EQ(viewer.mode_index, 2);
}

// The figure has (n^L - 1)/(n - 1) trunks and n^L leaf edges.
std::uint64_t exact_segments(int n, int levels) {
    if (levels <= 0 || n <= 2) return 1;
    std::uint64_t power = 1;
    for (int i = 0; i < levels; ++i) power *= static_cast<std::uint64_t>(n);
    return (power - 1) / static_cast<std::uint64_t>(n - 1) + power;
}

TEST(WorkBound, CountsSegmentsExactlyUpToTheBound) {
    const struct {
        int n;
        int levels;
    } cases[] = {{3, 0}, {3, 1}, {3, 7}, {3, 12}, {5, 4}, {4, 9}, {2, 50}, {1, 9}, {-4, 9}, {1000, 2}};
    for (const auto& c : cases) {
        const std::uint64_t exact = exact_segments(c.n, c.levels);
        ASSERT_LE(exact, MAX_SEGMENTS_PER_FRAME);
        EXPECT_EQ(segments_per_frame(c.n, c.levels), exact) << c.n << "^" << c.levels;
    }
    EXPECT_EQ(segments_per_frame(3, 7), 3280u);
    EXPECT_EQ(segments_per_frame(3, 12), 797161u);
}

TEST(WorkBound, ReportsAnythingBeyondTheBoundAsJustOver) {
    // Counting must stop early rather than overflow on huge inputs.
    const struct {
        int n;
        int levels;
    } cases[] = {{3, 13}, {3, INT_MAX}, {INT_MAX, 1}, {INT_MAX, INT_MAX}, {1024, 2}, {1048576, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(segments_per_frame(c.n, c.levels), MAX_SEGMENTS_PER_FRAME + 1) << c.n << "^" << c.levels;
    }
}

TEST(WorkBound, InitViewerLowersOnlyLevelsThatDoNotFit) {
    const struct {
        const char* text;
        int branches;
        int levels;
    } cases[] = {
        {"", 3, 7},
        {"L12", 3, 12},      // 797,161 segments: fits as given
        {"L13", 3, 12},
        {"L40", 3, 12},
        {"L2147483647", 3, 12},
        {"L-5", 3, -5},
        {"B2 L40", 2, 40},   // two branches always draw a single segment
        {"B-7 L99", -7, 99},
        {"B4 L10", 4, 9},    // 4^9 + (4^9-1)/3 = 349,525; 4^10 breaks the bound
        {"B100000000 L2", 100000000, 0},
        {"B1024 L2", 1024, 1},   // 1 + 1024 + 1024^2 = 1,049,601
        {"B1023 L2", 1023, 2},   // 1 + 1023 + 1023^2 = 1,047,553
        {"B2147483647 L1", 2147483647, 0},
        {"B1048575 L1", 1048575, 1},  // exactly 2^20 segments
        {"B1048576 L1", 1048576, 0},
    };
    for (const auto& c : cases) {
        init_viewer(c.text);
        EXPECT_EQ(viewer.branches, c.branches) << c.text;
        EXPECT_EQ(viewer.levels, c.levels) << c.text;
        EXPECT_LE(segments_per_frame(viewer.branches, viewer.levels), MAX_SEGMENTS_PER_FRAME) << c.text;
    }
}

}  // namespace
