#include "core/options.h"

#include <climits>
#include <cstring>

#include "core/viewer_state.h"

namespace {

bool is_separator(char c) { return c == ' ' || c == '\0'; }

bool is_conversion_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Two's-complement reading of a 32-bit pattern without relying on the
// implementation-defined unsigned-to-signed conversion.
std::int32_t as_int32(std::uint32_t bits) {
    if (bits <= static_cast<std::uint32_t>(INT32_MAX)) return static_cast<std::int32_t>(bits);
    return -static_cast<std::int32_t>(~bits) - 1;
}

bool was_restored = false;

void restore_caption() {
    if (was_restored) return;
    for (std::size_t i = 0; i < CAPTION_SIZE; ++i) {
        viewer.caption[i] = static_cast<char>(static_cast<unsigned char>(viewer.caption[i]) ^
                                              static_cast<unsigned char>(i + 28));
    }
    was_restored = true;
}

}  // namespace

TokenList::TokenList(const char* text) : items(nullptr), count(0) {
    if (text == nullptr || text[0] == '\0') return;

    int words = 0;
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i <= length; ++i) {
        if (!is_separator(text[i]) && (i == 0 || is_separator(text[i - 1]))) ++words;
    }
    if (words == 0) return;

    items = new char*[words];
    count = words;
    int next = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        if (is_separator(text[i])) {
            if (i > start) {
                const std::size_t word_length = i - start;
                char* word = new char[word_length + 1];
                std::memcpy(word, text + start, word_length);
                word[word_length] = '\0';
                items[next++] = word;
            }
            start = i + 1;
        }
    }
}

TokenList::~TokenList() {
    if (count == 0) return;
    for (int i = 0; i < count; ++i) delete[] items[i];
    delete[] items;
}

int decimal_to_int(const char* text) {
    const char* p = text;
    while (is_conversion_space(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
        ++p;
    }
    if (negative) value = 0u - value;
    return as_int32(value);
}

void parse_options(const TokenList& list, StartOptions& options) {
    for (int i = 0; i < list.count; ++i) {
        const char* word = list.items[i];
        const int v = decimal_to_int(word + 1);
        switch (word[0]) {
            case 'B':
            case 'b':
                options.branches = v != 0 ? v : DEFAULT_OPTIONS.branches;
                break;
            case 'G':
            case 'g':
                options.mode_index = (v >= 1 && v <= 5) ? v - 1 : DEFAULT_OPTIONS.mode_index;
                break;
            case 'L':
            case 'l':
                options.levels = v != 0 ? v : DEFAULT_OPTIONS.levels;
                break;
            default:
                break;
        }
    }
}

StartOptions read_options(const char* option_text) {
    StartOptions options = DEFAULT_OPTIONS;
    {
        const TokenList words(option_text);
        parse_options(words, options);
    }
    options.levels = bounded_levels(options.branches, options.levels);
    return options;
}

std::string join_words(const char* const* words, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += words[i];
    }
    return text;
}

void init_viewer(const char* option_text) {
    restore_caption();

    const ViewerState& start = VIEWER_START;
    viewer.scale = start.scale;
    viewer.cam_x = start.cam_x;
    viewer.cam_y = start.cam_y;
    viewer.cam_z = start.cam_z;
    viewer.step_x = start.step_x;
    viewer.step_y = start.step_y;
    viewer.step_z = start.step_z;
    viewer.pitch = start.pitch;
    viewer.yaw = start.yaw;
    viewer.pitch_speed = start.pitch_speed;
    viewer.yaw_speed = start.yaw_speed;

    const StartOptions options = read_options(option_text);
    viewer.mode_index = options.mode_index;
    viewer.levels = options.levels;
    viewer.branches = options.branches;
}

void restart_viewer(const char* option_text) {
    char caption[CAPTION_SIZE];
    std::memcpy(caption, viewer.caption, CAPTION_SIZE);
    viewer = VIEWER_START;
    std::memcpy(viewer.caption, caption, CAPTION_SIZE);
    init_viewer(option_text);
}
