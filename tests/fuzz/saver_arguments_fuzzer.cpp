// libFuzzer target of the screen saver's command line, which Windows, the
// Control Panel and any other caller may hand it. Each input is read as it
// is and in forms that must read the same (blanks around it, the letter in
// the other case, '-' for '/'); what comes out must hang together (a
// preview has a window, and the window is the number the text gave), and a
// handle built from the input's bytes must come back as the same number.
// None of the product's helpers is used to form an expectation.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "saver/arguments.h"

namespace {

[[noreturn]] void fail(const std::string& text, const std::string& message) {
    std::fprintf(stderr, "saver arguments fuzzer: \"%s\": %s\n", text.c_str(), message.c_str());
    std::abort();
}

bool same(const SaverArguments& a, const SaverArguments& b) {
    return a.mode == b.mode && a.window == b.window && a.owner == b.owner;
}

// The command line with its letter (the character after the first '/' or
// '-' past the leading blanks) in the other case, or with the other of '/'
// and '-' before it; the text itself when it has no such letter.
std::string with_letter_case_swapped(std::string text) {
    const std::size_t mark = text.find_first_not_of(" \t\r\n");
    if (mark == std::string::npos || mark + 1 >= text.size() || (text[mark] != '/' && text[mark] != '-')) return text;
    const unsigned char letter = static_cast<unsigned char>(text[mark + 1]);
    text[mark + 1] = static_cast<char>(std::isupper(letter) ? std::tolower(letter) : std::toupper(letter));
    return text;
}

std::string with_other_mark(std::string text) {
    const std::size_t mark = text.find_first_not_of(" \t\r\n");
    if (mark != std::string::npos && (text[mark] == '/' || text[mark] == '-')) text[mark] = text[mark] == '/' ? '-' : '/';
    return text;
}

void check_variants(const std::string& text) {
    const SaverArguments read = read_saver_arguments(text.c_str());
    for (const std::string& variant :
         {" \t" + text + " \r\n", with_letter_case_swapped(text), with_other_mark(text)}) {
        if (!same(read_saver_arguments(variant.c_str()), read)) fail(text, "reads otherwise as \"" + variant + "\"");
    }

    switch (read.mode) {
        case SaverMode::preview:
        case SaverMode::settings: {
            const bool has_window = read.mode == SaverMode::preview || read.owner == SettingsOwner::given;
            if (has_window != (read.window != 0)) fail(text, "a window handle where none was given, or none where one was");
            if (has_window && text.find(std::to_string(read.window)) == std::string::npos) {
                fail(text, "the handle " + std::to_string(read.window) + " is not the text's");
            }
            break;
        }
        default:
            if (read.owner != SettingsOwner::none) fail(text, "an owner for something that is not the settings");
            break;
    }

    if (read.mode == SaverMode::unknown && unknown_arguments_message(text.c_str()).find("\"" + text + "\"") ==
                                                 std::string::npos) {
        fail(text, "the message does not quote the command line");
    }
}

// Any 64-bit handle, written as Windows writes it, comes back unchanged.
void check_handle(std::uint64_t handle) {
    const std::string number = std::to_string(handle);
    const struct {
        std::string text;
        SaverMode mode;
        std::uint64_t window;
    } forms[] = {
        {"/p " + number, handle != 0 ? SaverMode::preview : SaverMode::bad_preview, handle},
        {"/P:" + number, handle != 0 ? SaverMode::preview : SaverMode::bad_preview, handle},
        {"/c:" + number, SaverMode::settings, handle},
    };
    for (const auto& form : forms) {
        const SaverArguments read = read_saver_arguments(form.text.c_str());
        if (read.mode != form.mode || (form.mode != SaverMode::bad_preview && read.window != form.window)) {
            fail(form.text, "does not read back as its handle");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The command line arrives as a C string: it ends at the first NUL.
    const char* bytes = reinterpret_cast<const char*>(data);
    check_variants(std::string(bytes, static_cast<std::size_t>(std::find(bytes, bytes + size, '\0') - bytes)));

    std::uint64_t handle = 0;
    std::memcpy(&handle, data, std::min(size, sizeof(handle)));
    check_handle(handle);
    return 0;
}
