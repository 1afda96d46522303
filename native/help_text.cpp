#include "native/help_text.h"

#include "viewer/texts.h"

namespace {

// In the viewer's own form, so that it lines up with the keys above it.
const char NATIVE_KEYS[] = "\r\n\r\nCtrl+C\t- copy the view";

}  // namespace

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

std::string native_help_text() { return help_text_for_display((std::string(HELP_TEXT) + NATIVE_KEYS).c_str()); }
