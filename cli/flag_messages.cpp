#include "cli/flag_messages.h"

#include <algorithm>

#include "cli/outputs.h"

namespace {

// The edits (insertions, deletions, changes, swaps of neighbours) that
// turn a into b: how far a mistyped flag lies from a flag.
std::size_t edits(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

// The flag a mistyped one most likely meant, or "": one within an edit or
// two of it, as long as that is a small part of the word.
std::string nearest_flag(const CLI::App& app, const std::string& word) {
    const std::string typed = word.substr(0, word.find('='));
    const std::size_t body = typed.size() - std::min<std::size_t>(typed.find_first_not_of('-'), typed.size());
    if (body < 3) return "";
    std::string nearest;
    std::size_t fewest = std::min<std::size_t>(2, body / 3);
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            const std::size_t count = edits(typed, "--" + name);
            if (count <= fewest && (nearest.empty() || count < fewest)) {
                nearest = "--" + name;
                fewest = count;
            }
        }
    }
    return nearest;
}

// A flag that wants a value and is given none, at the end or before another
// flag: what it wants, in a sentence; or "". (CLI11 would say "--output: 1
// required  missing", or take the next flag for the value.)
std::string missing_value(const CLI::App& app, int argc, const char* const* argv) {
    const auto flag_named = [&app](const std::string& word) -> const CLI::Option* {
        return word.size() > 1 && word[0] == '-' ? app.get_option_no_throw(word.substr(0, word.find('='))) : nullptr;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") break;
        const CLI::Option* option = word.find('=') == std::string::npos ? flag_named(word) : nullptr;
        if (option == nullptr || option->get_expected_min() == 0) continue;
        if (i + 1 == argc) return word + " wants " + option->get_option_text() + " after it (see --help)";
        if (flag_named(argv[i + 1]) != nullptr) {
            return word + " wants " + option->get_option_text() + " after it, not the flag " + argv[i + 1] +
                   " (see --help)";
        }
        ++i;  // its value, whatever it looks like
    }
    return "";
}


std::vector<CompletedFlag> completed_flags(const CLI::App& app) {
    std::string formats;
    for (const OutputFormat& f : OUTPUT_FORMATS) formats += std::string(formats.empty() ? "" : " ") + (f.extension + 1);
    const struct {
        const char* name;
        FlagValue value;
        std::string choices;
    } values[] = {
        {"output", FlagValue::file, ""},
        {"view-of", FlagValue::file, ""},
        {"check", FlagValue::file, ""},
        {"format", FlagValue::choice, formats},
        {"background", FlagValue::choice, "black none"},
        {"paper", FlagValue::choice, "A4 A3 Letter"},
        {"completion", FlagValue::choice, COMPLETION_SHELLS},
    };
    std::vector<CompletedFlag> flags;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_lnames().empty()) continue;  // the words
        CompletedFlag flag;
        for (const std::string& name : option->get_lnames()) flag.names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) flag.names.push_back("-" + name);
        flag.help = flag_summary(option->get_description());
        flag.value = option->get_expected_min() == 0 ? FlagValue::none : FlagValue::text;
        for (const auto& known : values) {
            if (option->get_lnames().front() != known.name) continue;
            flag.value = known.value;
            flag.choices = words_of(known.choices.c_str());
        }
        flags.push_back(flag);
    }
    return flags;
}
