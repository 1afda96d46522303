#include "cli/frame_names.h"

#include <cctype>

namespace {

constexpr int MAX_WIDTH = 10;  // enough digits for any int frame number

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

NamePattern read_name_pattern(const std::string& text) {
    NamePattern pattern;
    pattern.text = text;
    std::string* part = &pattern.before;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *part += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            *part += '%';
            ++i;
            continue;
        }
        // %d, or %0Nd with N from 1 to MAX_WIDTH.
        std::size_t j = i + 1;
        int width = 0;
        if (j < text.size() && text[j] == '0') {
            ++j;
            const std::size_t digits = j;
            while (j < text.size() && digit(text[j]) && j - digits < 3) width = width * 10 + (text[j++] - '0');
            if (j == digits || width < 1 || width > MAX_WIDTH) j = text.size();
        }
        if (j >= text.size() || text[j] != 'd') {
            pattern.error = "'" + text + "': '%' starts a number field %d or %0Nd (N from 1 to " +
                            std::to_string(MAX_WIDTH) + "); write %% for a percent sign";
            return pattern;
        }
        if (++pattern.fields > 1) {
            pattern.error = "'" + text + "': more than one number field";
            return pattern;
        }
        pattern.width = width;
        part = &pattern.after;
        i = j;
    }
    if (pattern.fields == 1 && pattern.after.find('/') != std::string::npos) {
        pattern.error = "'" + text + "': the number field belongs in the file's name, not in a folder's";
    }
    return pattern;
}

std::string NamePattern::name_of(long frame) const {
    std::string number = std::to_string(frame);
    if (static_cast<int>(number.size()) < width) number.insert(0, static_cast<std::size_t>(width) - number.size(), '0');
    return before + number + after;
}

std::string folder_of(const std::string& name) { return name.substr(0, name.rfind('/') + 1); }
