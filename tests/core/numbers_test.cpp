#include "core/numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadWhole, TakesDigitsAndNothingElse) {
    const struct {
        const char* text;
        int base;
        bool read;
        unsigned long long value;
    } cases[] = {
        {"0", 10, true, 0},
        {"42", 10, true, 42},
        {"010", 10, true, 10},  // decimal means decimal
        {"010", 0, true, 8},
        {"0x1F", 0, true, 31},
        {"0x1F", 10, false, 0},
        {"18446744073709551615", 10, true, 18446744073709551615ULL},
        {"18446744073709551616", 10, false, 0},
        {"", 10, false, 0},
        {"-1", 10, false, 0},  // strtoull would give 2^64 - 1
        {"+1", 10, false, 0},
        {" 1", 10, false, 0},
        {"1 ", 10, false, 0},
        {"1x", 10, false, 0},
        {"0x", 0, false, 0},
    };
    for (const auto& c : cases) {
        unsigned long long value = 0;
        EXPECT_EQ(read_whole(c.text, c.base, value), c.read) << "'" << c.text << "' in base " << c.base;
        if (c.read) {
            EXPECT_EQ(value, c.value) << "'" << c.text << "'";
        }
    }
}

}  // namespace
