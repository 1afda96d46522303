#include "saver/arguments.h"

#include <cctype>
#include <string>

#include "core/numbers.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char* skip_blanks(const char* text) {
    while (is_blank(*text)) ++text;
    return text;
}

// Unsigned decimal up to the end of the text but trailing blanks.
bool read_handle(const char* text, std::uint64_t& value) {
    std::string digits = text;
    while (!digits.empty() && is_blank(digits.back())) digits.pop_back();
    unsigned long long read = 0;
    if (!read_whole(digits, 10, read)) return false;
    value = read;
    return true;
}

}  // namespace

SaverArguments read_saver_arguments(const char* command_line) {
    SaverArguments result = {SaverMode::unknown, 0, SettingsOwner::none};
    const char* text = skip_blanks(command_line != nullptr ? command_line : "");
    if (*text == '\0') {
        result.mode = SaverMode::settings;
        return result;
    }
    if (*text != '/' && *text != '-') return result;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])));
    if (letter == '\0') return result;
    const char* rest = text + 2;
    // The handle follows a colon, or blanks; a letter with nothing after it
    // has none.
    const bool colon = *rest == ':';
    if (!colon && *rest != '\0' && !is_blank(*rest)) return result;
    const char* handle_text = colon ? rest + 1 : skip_blanks(rest);
    const bool has_handle_text = colon || *handle_text != '\0';

    switch (letter) {
        case 's':
            if (!has_handle_text) result.mode = SaverMode::full_screen;
            break;
        case 'a':
            // Windows 9x adds the parent's handle; it is of no use here.
            result.mode = SaverMode::password_change;
            break;
        case 'p':
            result.mode = read_handle(handle_text, result.window) && result.window != 0 ? SaverMode::preview
                                                                                         : SaverMode::bad_preview;
            break;
        case 'c':
            if (!has_handle_text) {
                result.mode = SaverMode::settings;
                result.owner = SettingsOwner::foreground;
            } else if (read_handle(handle_text, result.window)) {
                result.mode = SaverMode::settings;
                result.owner = result.window != 0 ? SettingsOwner::given : SettingsOwner::none;
            }
            break;
        default:
            break;
    }
    return result;
}

std::string unknown_arguments_message(const char* command_line) {
    std::string message = "PolyTree cannot do \"";
    message += command_line != nullptr ? command_line : "";
    message +=
        "\".\n\n"
        "A screen saver takes one of:\n"
        "/s\tfull screen\n"
        "/p HWND\tthe preview inside that window (also /p:HWND)\n"
        "/c:HWND\tthe settings, owned by that window\n"
        "/c\tthe settings (also with no argument)\n"
        "/a\tnothing (a password change on Windows 9x)";
    return message;
}
