#include "cli/view_warnings.h"

#include <cctype>

#include "core/options.h"
#include "core/view.h"

namespace {

// B, L or G and a decimal number, nothing else; G names one of the five
// display modes. The viewer reads any word that starts with one of those
// letters, a missing number as the letter's default.
bool is_option_word(const std::string& word) {
    if (word.size() < 2) return false;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    if (letter != 'B' && letter != 'L' && letter != 'G') return false;
    const std::size_t first_digit = word[1] == '+' || word[1] == '-' ? 2 : 1;
    if (first_digit == word.size()) return false;
    for (std::size_t i = first_digit; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
    }
    return letter != 'G' || (word.size() == 2 && word[1] >= '1' && word[1] <= '5');
}

// 1048576 as 1,048,576.
std::string grouped(unsigned long number) {
    std::string digits = std::to_string(number);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

}  // namespace

std::vector<std::string> view_warnings(const std::string& text) {
    std::string option_text;
    std::vector<std::string> strays;
    {
        const TokenList words(text.c_str());
        for (int i = 0; i < words.count && !is_version_word(words.items[i]); ++i) {
            option_text += std::string(option_text.empty() ? "" : " ") + words.items[i];
            if (!is_option_word(words.items[i])) strays.push_back("'" + std::string(words.items[i]) + "'");
        }
    }
    StartOptions asked = DEFAULT_OPTIONS;
    parse_options(TokenList(option_text.c_str()), asked);
    const StartOptions drawn = read_options(option_text.c_str());
    const std::string drawing = "B" + std::to_string(drawn.branches) + " L" + std::to_string(drawn.levels);

    std::vector<std::string> warnings;
    if (!strays.empty()) {
        std::string named;
        for (std::size_t i = 0; i < strays.size(); ++i) {
            named += (i == 0 ? "" : i + 1 == strays.size() ? " and " : ", ") + strays[i];
        }
        warnings.push_back(named + (strays.size() == 1 ? " is not an option word" : " are not option words") +
                           " (B<n>, L<n> or G1 to G5): drawing " + drawing + " G" +
                           std::to_string(drawn.mode_index + 1));
    }
    if (drawn.levels != asked.levels) {
        warnings.push_back("B" + std::to_string(asked.branches) + " L" + std::to_string(asked.levels) +
                           " would draw more than " + grouped(MAX_SEGMENTS_PER_FRAME) +
                           " segments a frame: drawing " + drawing);
    }
    return warnings;
}
