#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/view.h"
#include "core/view_link.h"

namespace {

// A link's fragment, decoded as the browser hands it to the page ('+' a
// space), gives back the view bit for bit and whether the figure filled
// the window.
TEST(ViewLink, FragmentsGiveBackTheirViewAndFill) {
    const View views[] = {
        {3, 7, 2, {0.0, 0.0, 0.0, 0.0, -3.5}, 0.0, false},
        {5, 4, 3, {20.0, 35.0, 0.3, -0.2, -2.5}, 0.6981317007977318, true},
    };
    for (const View& view : views) {
        for (const bool fill : {false, true}) {
            const std::string link = link_of(view, fill);
            SCOPED_TRACE(link);
            EXPECT_EQ(link.find(' '), std::string::npos);
            EXPECT_EQ(link.rfind(FILL_WORD, 0) == 0, fill);
            std::string decoded = link;
            std::replace(decoded.begin(), decoded.end(), '+', ' ');
            bool filled = !fill;
            const std::string words = without_fill_word(decoded, filled);
            EXPECT_EQ(filled, fill);
            EXPECT_EQ(words, write_view(view));
        }
    }
}

TEST(ViewLink, TakesTheFillWordFromAnywhereAndOnlyThatWord) {
    struct Row {
        const char* words;
        const char* rest;
        bool fill;
    };
    const Row rows[] = {
        {"", "", false},
        {"fill", "", true},
        {"  fill   B3  L5 ", "B3 L5", true},
        {"B3 fill L5", "B3 L5", true},
        {"fill B3 fill", "B3", true},
        {"filler FILL fill:1 B3", "filler FILL fill:1 B3", false},
    };
    for (const Row& row : rows) {
        bool fill = !row.fill;
        EXPECT_EQ(without_fill_word(row.words, fill), row.rest) << row.words;
        EXPECT_EQ(fill, row.fill) << row.words;
    }
}

// Without a G word of its own the query leaves the size to the window.
TEST(ViewLink, OnlyAGWordFixesTheSize) {
    const std::pair<const char*, bool> rows[] = {
        {"", true},      {"B5 L4", true},   {"G3", false}, {"b5 g4 l4", false},
        {"Gx", false},   {"L4 B5G2", true}, {"xG2", true},
    };
    for (const auto& [options, fill] : rows) EXPECT_EQ(options_fill(options), fill) << options;
}

}  // namespace
