#include "core/view_warnings.h"

#include <climits>
#include <cstring>

#include "core/options.h"
#include "core/view.h"
#include "core/work_bound.h"

namespace {

const char OPTION_WORD_FORM[] = "B, L or G and a whole number, such as B5, L4 or G3";

std::string quoted(const std::string& word) { return "'" + word + "'"; }

// A sign or none, then decimal digits that fit an int, and nothing else: a
// number that the viewer's conversion reads as it is written.
bool is_whole_number(const char* text) {
    const bool negative = *text == '-';
    const char* digits = text + (negative || *text == '+' ? 1 : 0);
    if (*digits == '\0' || std::strlen(digits) > 10) return false;
    long long value = 0;
    for (const char* c = digits; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + (*c - '0');
    }
    return value <= static_cast<long long>(INT_MAX) + (negative ? 1 : 0);
}

// The value an option word gives its field, as the viewer reads it alone.
int value_read(const char* word, char letter) {
    StartOptions options = DEFAULT_OPTIONS;
    const TokenList one(word);
    parse_options(one, options);
    return letter == 'B' ? options.branches : letter == 'L' ? options.levels : options.mode_index + 1;
}

int default_value(char letter) {
    return letter == 'B' ? DEFAULT_OPTIONS.branches
           : letter == 'L' ? DEFAULT_OPTIONS.levels
                           : DEFAULT_OPTIONS.mode_index + 1;
}

char letter_of(const char* word) {
    return static_cast<char>(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 'a' + 'A' : word[0]);
}

// "" for a word that does what it says, else the line that says what it does.
std::string word_warning(const char* word) {
    const char upper = letter_of(word);
    if (upper != 'B' && upper != 'L' && upper != 'G') {
        return "ignoring " + quoted(word) + ": not an option word (" + OPTION_WORD_FORM + ")";
    }
    const bool well_formed = is_whole_number(word + 1);
    const int value = value_read(word, upper);
    if (well_formed && value == decimal_to_int(word + 1)) return "";
    std::string line = quoted(word) + " is read as " + upper + std::to_string(value);
    if (value == default_value(upper)) line += ", the default";
    if (!well_formed) return line + ": an option word is " + OPTION_WORD_FORM;
    if (upper == 'G') return line + ": display modes are G1 to G5";
    return line;
}

}  // namespace

std::string level_bound_warning(int branches, int levels) {
    const int drawn = bounded_levels(branches, levels);
    if (drawn == levels) return "";
    return "B" + std::to_string(branches) + " L" + std::to_string(levels) + " is drawn with " +
           std::to_string(drawn) + " levels: more would be over " + std::to_string(MAX_SEGMENTS_PER_FRAME) +
           " line segments a frame, the work bound";
}

std::vector<std::string> view_warnings(const std::string& text) {
    std::vector<std::string> lines;
    const TokenList words(option_words_of(text).c_str());
    StartOptions chosen = DEFAULT_OPTIONS;
    parse_options(words, chosen);
    int last_levels = -1;
    for (int i = 0; i < words.count; ++i) {
        if (letter_of(words.items[i]) == 'L') last_levels = i;
    }
    // A figure too large for even one level is written L0 (a view of it
    // says so), which reads as the default and is bounded back to 0: what
    // it says is drawn.
    const bool levels_as_written = last_levels >= 0 && is_whole_number(words.items[last_levels] + 1) &&
                                   decimal_to_int(words.items[last_levels] + 1) ==
                                       bounded_levels(chosen.branches, chosen.levels);
    for (int i = 0; i < words.count; ++i) {
        std::string line = i == last_levels && levels_as_written ? "" : word_warning(words.items[i]);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    std::string bound = levels_as_written ? "" : level_bound_warning(chosen.branches, chosen.levels);
    if (!bound.empty()) lines.push_back(std::move(bound));
    return lines;
}
