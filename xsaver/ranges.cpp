#include "xsaver/ranges.h"

#include "core/saver_settings.h"
#include "xsaver/hack_options.h"

namespace {

struct NamedRange {
    const char* name;
    const SettingRange& range;
};

const NamedRange RANGES[] = {
    {"BRANCHES", BRANCHES_RANGE},
    {"LEVELS", LEVELS_RANGE},
    {"SPEED", SPEED_RANGE},
    {"DELAY", DELAY_RANGE},
};

bool number_named(const std::string& placeholder, int& number) {
    for (const NamedRange& named : RANGES) {
        const std::string name = named.name;
        if (placeholder == name + "_LOWEST") {
            number = named.range.lowest;
        } else if (placeholder == name + "_HIGHEST") {
            number = named.range.highest;
        } else if (placeholder == name + "_DEFAULT") {
            number = named.range.standard;
        } else {
            continue;
        }
        return true;
    }
    return false;
}

}  // namespace

bool fill_ranges(const std::string& text, std::string& filled, std::string& error) {
    filled.clear();
    std::size_t from = 0;
    for (std::size_t at; (at = text.find('@', from)) != std::string::npos;) {
        const std::size_t end = text.find('@', at + 1);
        if (end == std::string::npos) {
            error = "an '@' that opens no placeholder: '" + text.substr(at, 40) + "'";
            return false;
        }
        const std::string placeholder = text.substr(at + 1, end - at - 1);
        int number = 0;
        if (!number_named(placeholder, number)) {
            error = "no range's number is called '" + placeholder + "'";
            return false;
        }
        filled.append(text, from, at - from).append(std::to_string(number));
        from = end + 1;
    }
    filled.append(text, from, std::string::npos);
    return true;
}
