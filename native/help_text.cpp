#include "native/help_text.h"

std::string help_text_for_display(const char* text) {
    constexpr std::size_t TAB_STOP = 8;
    std::string shown;
    std::size_t column = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\r') continue;
        if (*c == '\n') {
            shown += '\n';
            column = 0;
        } else if (*c == '\t') {
            do {
                shown += ' ';
                ++column;
            } while (column % TAB_STOP != 0);
        } else {
            shown += *c;
            ++column;
        }
    }
    return shown;
}
