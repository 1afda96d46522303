#include "core/view_link.h"

#include <algorithm>

#include "core/options.h"

std::string link_of(const View& view, bool fill) {
    std::string text = (fill ? std::string(FILL_WORD) + " " : std::string()) + write_view(view);
    std::replace(text.begin(), text.end(), ' ', '+');
    return text;
}

std::string without_fill_word(const std::string& words, bool& fill) {
    const TokenList list(words.c_str());
    std::string rest;
    fill = false;
    for (int i = 0; i < list.count; ++i) {
        if (std::string(list.items[i]) == FILL_WORD) {
            fill = true;
        } else {
            rest += (rest.empty() ? "" : " ") + std::string(list.items[i]);
        }
    }
    return rest;
}

bool options_fill(const std::string& options) {
    const TokenList list(options.c_str());
    for (int i = 0; i < list.count; ++i) {
        if (list.items[i][0] == 'G' || list.items[i][0] == 'g') return false;
    }
    return true;
}
