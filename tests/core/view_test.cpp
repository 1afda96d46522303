#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/options.h"
#include "core/view.h"
#include "core/view_warnings.h"

namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Doubles that a careless writer rounds (sums of 0.1, the twist after many
// frames, -0, the smallest subnormal, the largest finite), negative figures,
// and a paused view: each reads back bit for bit, keeps the rules that
// polytree.exe, polytree-render and a web address need of its words, and
// hands the viewer's option reader its branches, levels and mode.
TEST(ViewText, RoundTripsBitForBitWithWordsEveryReaderPassesOver) {
    const View views[] = {
        {3, 7, 2, {0.0, 0.0, 0.0, 0.0, -3.5}, 0.0, false},
        {5, 4, 3, {0.1 + 0.2, -35.5, 1.617, -1.026, -2.309}, 0.6981317007977318, true},
        {-4, -2, 0, {-0.0, 1e300, 5e-324, -1.7976931348623157e308, 1e-7}, 1234.5678901234567, false},
        {7, 3, 4, {1.0 / 3.0, 2.0 / 3.0, 1e21, -1e-21, 123456789012345680.0}, 6.283185307179586 * 1000, true},
    };
    for (const View& view : views) {
        const std::string text = write_view(view);
        SCOPED_TRACE(text);
        View read{};
        std::string error;
        ASSERT_TRUE(read_view(text, read, error)) << error;
        EXPECT_EQ(read.branches, view.branches);
        EXPECT_EQ(read.levels, view.levels);
        EXPECT_EQ(read.mode_index, view.mode_index);
        EXPECT_EQ(read.paused, view.paused);
        const double sent[] = {view.camera.pitch, view.camera.yaw, view.camera.x, view.camera.y, view.camera.z,
                               view.twist};
        const double back[] = {read.camera.pitch, read.camera.yaw, read.camera.x, read.camera.y, read.camera.z,
                               read.twist};
        for (int i = 0; i < 6; ++i) EXPECT_TRUE(same_bits(sent[i], back[i])) << "number " << i;

        const StartOptions options = read_options(text.c_str());
        EXPECT_EQ(options.branches, view.branches);
        EXPECT_EQ(options.levels, view.levels);
        EXPECT_EQ(options.mode_index, view.mode_index);
        const std::size_t version = text.find(" v1 ");
        ASSERT_NE(version, std::string::npos);
        const std::string view_words = text.substr(version);
        for (const char* start : {" B", " b", " G", " g", " L", " l", " -"}) {
            EXPECT_EQ(view_words.find(start), std::string::npos) << start;
        }
        EXPECT_EQ(view_words.find_first_of("=&+#%"), std::string::npos);
    }
}

TEST(ViewText, ReadsOptionWordsAndViewWordsOrNamesWhatItRefuses) {
    struct Row {
        const char* text;
        bool reads;
        // When read: the fields that the text sets.
        int branches, levels, mode_index;
        double pitch, z, twist;
        bool paused;
        // When refused: a part of the message.
        const char* message;
    };
    const Row rows[] = {
        {"", true, 3, 7, 2, 0.0, -3.5, 0.0, false, ""},
        {"B5 L4 x-y G9", true, 5, 4, 2, 0.0, -3.5, 0.0, false, ""},
        {"b5 l4 g4 v1 pitch:20 camera:1,2e-3,-3 twist:0.5 paused\n", true, 5, 4, 3, 20.0, -3.0, 0.5, true, ""},
        {"B3 L99 v1 yaw:1", true, 3, bounded_levels(3, 99), 2, 0.0, -3.5, 0.0, false, ""},
        {"B5 v2 pitch:1", false, 0, 0, 0, 0, 0, 0, false, "'v2': a view of version 2"},
        {"B5 v0", false, 0, 0, 0, 0, 0, 0, false, "'v0'"},
        {"B5 v1 pitch:abc", false, 0, 0, 0, 0, 0, 0, false, "'pitch:abc'"},
        {"B5 v1 pitch:", false, 0, 0, 0, 0, 0, 0, false, "'pitch:'"},
        {"B5 v1 zoom:2", false, 0, 0, 0, 0, 0, 0, false, "unknown view word 'zoom:2'"},
        {"B5 v1 L4", false, 0, 0, 0, 0, 0, 0, false, "unknown view word 'L4'"},
        {"B5 v1 twist:1 twist:2", false, 0, 0, 0, 0, 0, 0, false, "twist is given twice"},
        {"B5 v1 camera:1,2", false, 0, 0, 0, 0, 0, 0, false, "'camera:1,2'"},
        {"B5 v1 camera:1,2,3,4", false, 0, 0, 0, 0, 0, 0, false, "'camera:1,2,3,4'"},
        {"B5 v1 twist:inf", false, 0, 0, 0, 0, 0, 0, false, "'twist:inf'"},
        {"B5 v1 twist:1e999", false, 0, 0, 0, 0, 0, 0, false, "'twist:1e999'"},
        {"B5 v1 twist:0x1p3", false, 0, 0, 0, 0, 0, 0, false, "'twist:0x1p3'"},
        {"B5 v1 paused:yes", false, 0, 0, 0, 0, 0, 0, false, "'paused:yes'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        View view{};
        std::string error;
        ASSERT_EQ(read_view(row.text, view, error), row.reads) << error;
        if (!row.reads) {
            EXPECT_NE(error.find(row.message), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(view.branches, row.branches);
        EXPECT_EQ(view.levels, row.levels);
        EXPECT_EQ(view.mode_index, row.mode_index);
        EXPECT_EQ(view.camera.pitch, row.pitch);
        EXPECT_EQ(view.camera.z, row.z);
        EXPECT_EQ(view.twist, row.twist);
        EXPECT_EQ(view.paused, row.paused);
    }
}

// What the native programs warn of: words passed over, option words read as
// another value than they seem to give, levels lowered by the work bound
// (B99 L99 draws three levels, B3 twelve at most); never a view's own words.
TEST(ViewWarnings, NameEveryWordThatDoesNotDoWhatItSays) {
    using Lines = std::vector<std::string>;
    const struct {
        const char* text;
        Lines lines;
    } rows[] = {
        {"B5 L4 G3 b+5 l-3", {}},
        {"b5 l4 g4 v1 pitch:20 camera:1,2,-3 paused", {}},
        {"B 5",
         {"'B' is read as B3, the default: an option word is B, L or G and a whole number, such as B5, L4 or G3",
          "ignoring '5': not an option word (B, L or G and a whole number, such as B5, L4 or G3)"}},
        {"branches=5 B5x",
         {"'branches=5' is read as B3, the default: an option word is B, L or G and a whole number, such as B5, "
          "L4 or G3",
          "'B5x' is read as B5: an option word is B, L or G and a whole number, such as B5, L4 or G3"}},
        {"G9 L0 g0", {"'G9' is read as G3, the default: display modes are G1 to G5", "'L0' is read as L7, the default",
                      "'g0' is read as G3, the default: display modes are G1 to G5"}},
        {"L-2147483648 B99999999999",
         {"'B99999999999' is read as B1215752191: an option word is B, L or G and a whole number, such as B5, L4 "
          "or G3"}},
        {"B477218589 L0 v1", {}},
        {"B99 L99", {"B99 L99 is drawn with 3 levels: more would be over 1048576 line segments a frame, the work "
                     "bound"}},
        {"x B3 L13 v1 yaw:1",
         {"ignoring 'x': not an option word (B, L or G and a whole number, such as B5, L4 or G3)",
          "B3 L13 is drawn with 12 levels: more would be over 1048576 line segments a frame, the work bound"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(view_warnings(row.text), row.lines) << row.text;
    }
}

}  // namespace
