// libFuzzer target of the program's one untrusted input, the command line:
// any option text goes through init_viewer and read_options, and what comes
// out is checked against a second reading of the options written here from the
// documented rules alone (word splitting, the standard decimal conversion
// with 32-bit wrap-around, the defaults, the bound on the segments a frame
// may draw). None of the product's helpers is used to form an expectation.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/options.h"
#include "core/viewer_state.h"

namespace {

constexpr std::uint64_t WRAP = 4294967296u;         // 2^32
constexpr std::uint64_t SEGMENT_BOUND = 1048576u;  // 2^20, as the README states

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "options fuzzer: %s\n", message.c_str());
    std::abort();
}

void expect_equal(const char* what, long long got, long long expected) {
    if (got != expected) {
        fail(std::string(what) + " is " + std::to_string(got) + ", expected " + std::to_string(expected));
    }
}

// Words are the maximal runs of characters other than the space.
std::vector<std::string> split_words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = text.find_first_not_of(' ');
    while (start != std::string::npos) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(' ', end);
    }
    return words;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The standard decimal conversion: blanks skipped, one sign, the digits
// reduced modulo 2^32 as they come, the sign applied last, the 32-bit
// pattern read as two's complement.
long long standard_conversion(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) return 0;
    bool minus = false;
    if (text[i] == '+' || text[i] == '-') {
        minus = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    std::size_t significant = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        value = (value * 10 + static_cast<std::uint64_t>(text[i] - '0')) % WRAP;
        if (significant > 0 || text[i] != '0') ++significant;
    }
    if (minus) value = (WRAP - value) % WRAP;
    const long long pattern = static_cast<long long>(value);
    const long long result = value >= WRAP / 2 ? pattern - static_cast<long long>(WRAP) : pattern;

    // Where nothing wraps, the C library's own conversion must agree.
    if (significant <= 9) {
        expect_equal("the conversion against strtoll", result, std::strtoll(text.c_str(), nullptr, 10));
    }
    return result;
}

// Segments of one frame: n^levels leaf edges and (n^levels - 1)/(n - 1)
// trunks; a single leaf edge when there is nothing to branch. Anything past
// the bound is reported as the bound plus one.
std::uint64_t frame_segments(long long n, long long levels) {
    if (n <= 2 || levels <= 0) return 1;
    std::uint64_t leaves = 1;
    for (long long level = 0; level < levels; ++level) {
        leaves *= static_cast<std::uint64_t>(n);
        if (leaves > SEGMENT_BOUND) return SEGMENT_BOUND + 1;
    }
    const std::uint64_t total = leaves + (leaves - 1) / static_cast<std::uint64_t>(n - 1);
    return total > SEGMENT_BOUND ? SEGMENT_BOUND + 1 : total;
}

struct Expected {
    long long branches = 3;
    long long levels = 7;
    long long mode_index = 2;
};

Expected expected_options(const std::vector<std::string>& words) {
    Expected e;
    for (const std::string& word : words) {
        const long long v = standard_conversion(word.substr(1));
        switch (word[0]) {
            case 'B':
            case 'b':
                e.branches = v == 0 ? 3 : v;
                break;
            case 'L':
            case 'l':
                e.levels = v == 0 ? 7 : v;
                break;
            case 'G':
            case 'g':
                e.mode_index = (v >= 1 && v <= 5) ? v - 1 : 2;
                break;
            default:
                break;
        }
    }
    if (frame_segments(e.branches, e.levels) > SEGMENT_BOUND) {
        long long fitting = 0;
        while (frame_segments(e.branches, fitting + 1) <= SEGMENT_BOUND) ++fitting;
        e.levels = fitting;
    }
    return e;
}

void check_words(const char* text, const std::vector<std::string>& expected) {
    const TokenList list(text);
    expect_equal("the word count", list.count, static_cast<long long>(expected.size()));
    if (list.count == 0 && list.items != nullptr) fail("an empty word list holds an array");
    for (int i = 0; i < list.count; ++i) {
        if (expected[static_cast<std::size_t>(i)] != list.items[i]) fail("word " + std::to_string(i) + " differs");
    }
}

std::string first_caption;

// Every check on one option text.
void check_option_text(const std::string& text) {
    const std::vector<std::string> words = split_words(text);

    check_words(text.c_str(), words);

    init_viewer(text.c_str());
    const Expected e = expected_options(words);
    expect_equal("branches", viewer.branches, e.branches);
    expect_equal("levels", viewer.levels, e.levels);
    expect_equal("mode_index", viewer.mode_index, e.mode_index);
    if (viewer.mode_index < 0 || viewer.mode_index > 4) fail("mode_index outside 0 to 4");
    const std::uint64_t segments = frame_segments(viewer.branches, viewer.levels);
    if (segments > SEGMENT_BOUND) fail("a frame draws more segments than the bound");
    expect_equal("the product's segment count", segments_per_frame(viewer.branches, viewer.levels),
                 static_cast<long long>(segments));
    // The programs without the state record read the same options.
    const StartOptions read = read_options(text.c_str());
    expect_equal("read_options' branches", read.branches, e.branches);
    expect_equal("read_options' levels", read.levels, e.levels);
    expect_equal("read_options' mode_index", read.mode_index, e.mode_index);

    // The start-up values are given again on every call, and the caption is
    // restored once only: a second restoring would scramble it again.
    if (viewer.scale != 1.0 || viewer.cam_x != 0.0 || viewer.cam_y != 0.0 || viewer.cam_z != -3.5 ||
        viewer.pitch != 0.0 || viewer.yaw != 0.0) {
        fail("the camera does not start where it should");
    }
    const char* const caption_start = viewer.caption;
    const char* const caption_end = std::find(caption_start, caption_start + CAPTION_SIZE, '\0');
    if (caption_end == caption_start + CAPTION_SIZE) fail("the caption has lost its terminating NUL");
    const std::string caption(caption_start, caption_end);
    if (first_caption.empty()) first_caption = caption;
    if (caption != first_caption) fail("the caption changed from \"" + first_caption + "\" to \"" + caption + "\"");
}

// The longest command line Windows hands a program, 32,767 characters, the
// same on every run: option words of each letter and case, signs and blanks
// before their digits, numbers short and past 32 bits, zeros ahead of a
// digit, runs of spaces, and last one word of thousands of digits.
std::string longest_command_line() {
    constexpr std::size_t LENGTH = 32767;
    std::string text = "G" + std::string(300, '0') + "4 ";
    std::uint32_t state = 20261209;
    const auto next = [&state](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;  // a fixed sequence, not a random one
        return (state >> 8) % below;
    };
    const char letters[] = {'B', 'b', 'L', 'l', 'G', 'g', 'X', '-'};
    const char* const leads[] = {"", "", "+", "-", "\t", "\t-", "\v+", "\r\n", "+-"};
    while (text.size() < LENGTH - 4000) {
        text += letters[next(sizeof letters)];
        text += leads[next(sizeof leads / sizeof leads[0])];
        const std::uint32_t digits = next(4) == 0 ? 1 + next(40) : next(3);
        for (std::uint32_t i = 0; i < digits; ++i) text += static_cast<char>('0' + next(10));
        text.append(1 + next(3), ' ');
    }
    text += "B3 L";
    while (text.size() < LENGTH) text += static_cast<char>('0' + next(10));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The timed run keeps its inputs short to run fast; the longest line
    // goes through the same checks once on every start instead.
    const std::string line = longest_command_line();
    check_option_text(line);
    std::fprintf(stderr, "options fuzzer: the longest command line (%zu characters, %zu words) checked: B%d L%d G%d\n",
                 line.size(), split_words(line).size(), viewer.branches, viewer.levels, viewer.mode_index + 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The platform hands the command line over as a C string: it ends at the
    // first NUL.
    const char* bytes = reinterpret_cast<const char*>(data);
    check_option_text(std::string(bytes, static_cast<std::size_t>(std::find(bytes, bytes + size, '\0') - bytes)));
    return 0;
}
