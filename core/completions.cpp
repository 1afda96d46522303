#include "core/completions.h"

#include <cstddef>
#include <utility>

std::string flag_summary(const std::string& help) {
    // Shorter than this, a cut would leave too little to tell flags apart.
    constexpr std::size_t SHORTEST = 20;
    constexpr std::size_t LONGEST = 72;
    std::string line;
    for (char c : help) line += c == '\n' ? ' ' : c;
    std::size_t aside = line.find_first_of(";(", SHORTEST);
    if (aside == std::string::npos && line.size() > LONGEST) aside = line.rfind(' ', LONGEST);
    if (aside != std::string::npos) line.erase(aside);
    while (!line.empty() && (line.back() == ' ' || line.back() == ',' || line.back() == ':')) line.pop_back();
    return line;
}

std::vector<std::string> words_of(const char* text) {
    std::vector<std::string> words;
    std::string word;
    for (const char* c = text; ; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*c == '\0') break;
        } else {
            word += *c;
        }
    }
    return words;
}

namespace {

bool is_long(const std::string& name) { return name.compare(0, 2, "--") == 0; }

// Within single quotes, as each shell reads them.
std::string sh_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string fish_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

std::string joined(const std::vector<std::string>& words, const char* between) {
    std::string out;
    for (const std::string& word : words) out += (out.empty() ? "" : between) + word;
    return out;
}

std::string function_name(const std::string& program) {
    std::string name = "_";
    for (char c : program) name += (c == '-' || c == '.') ? '_' : c;
    return name;
}

std::string bash_script(const std::string& program, const std::vector<CompletedFlag>& flags) {
    // One arm for each way of completing a value, its flags joined.
    std::vector<std::pair<std::string, std::vector<std::string>>> arms;
    std::vector<std::string> all;
    for (const CompletedFlag& flag : flags) {
        for (const std::string& name : flag.names) all.push_back(is_long(name) && flag.value != FlagValue::none ? name + "=" : name);
        std::string action;
        switch (flag.value) {
            case FlagValue::none:
                continue;
            case FlagValue::text:
                action = ":";
                break;
            case FlagValue::file:
                action = "_filedir";
                break;
            case FlagValue::directory:
                action = "_filedir -d";
                break;
            case FlagValue::choice:
                action = "COMPREPLY=($(compgen -W " + sh_quoted(joined(flag.choices, " ")) + " -- \"$cur\"))";
                break;
        }
        auto arm = arms.begin();
        while (arm != arms.end() && arm->first != action) ++arm;
        if (arm == arms.end()) arm = arms.insert(arms.end(), {action, {}});
        arm->second.insert(arm->second.end(), flag.names.begin(), flag.names.end());
    }
    std::string cases;
    for (const auto& arm : arms) {
        cases += "        " + joined(arm.second, "|") + ")\n            " + arm.first + "\n            return\n            ;;\n";
    }
    const std::string function = function_name(program);
    return "# bash completion for " + program + " (made by " + program + " --completion bash)\n" + function +
           "() {\n"
           "    local cur prev words cword split\n"
           "    _init_completion -s || return\n"
           "    case $prev in\n" +
           cases +
           "    esac\n"
           "    $split && return\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W " +
           sh_quoted(joined(all, " ")) +
           " -- \"$cur\"))\n"
           "        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace\n"
           "    fi\n"
           "} &&\n"
           "    complete -F " +
           function + " " + program + "\n";
}

// Within zsh's _arguments brackets and messages.
std::string zsh_escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string zsh_script(const std::string& program, const std::vector<CompletedFlag>& flags) {
    std::string specs;
    for (const CompletedFlag& flag : flags) {
        std::string action;
        switch (flag.value) {
            case FlagValue::none:
                break;
            case FlagValue::text:
                action = ":value: ";
                break;
            case FlagValue::file:
                action = ":file:_files";
                break;
            case FlagValue::directory:
                action = ":folder:_files -/";
                break;
            case FlagValue::choice:
                action = ":value:(" + joined(flag.choices, " ") + ")";
                break;
        }
        // A long flag's value may follow '=' or come as the next word.
        const auto spec = [&](const std::string& name) {
            const std::string form = is_long(name) && flag.value != FlagValue::none ? name + "=" : name;
            return form + "[" + zsh_escaped(flag.help) + "]" + action;
        };
        const std::string others = flag.names.size() > 1 ? "(" + joined(flag.names, " ") + ")" : "";
        for (const std::string& name : flag.names) specs += "  " + sh_quoted(others + spec(name)) + " \\\n";
    }
    return "#compdef " + program + "\n# zsh completion for " + program + " (made by " + program +
           " --completion zsh)\n_arguments -S \\\n" + specs + "  && return 0\n";
}

std::string fish_script(const std::string& program, const std::vector<CompletedFlag>& flags) {
    // Its words are option words or a view, never file names.
    std::string lines = "# fish completion for " + program + " (made by " + program +
                        " --completion fish)\ncomplete -c " + program + " -f\n";
    for (const CompletedFlag& flag : flags) {
        std::string line = "complete -c " + program;
        for (const std::string& name : flag.names) {
            if (is_long(name)) {
                line += " -l " + name.substr(2);
            } else if (name.size() == 2) {
                line += " -s " + name.substr(1);
            } else {
                line += " -o " + name.substr(1);
            }
        }
        line += " -d " + fish_quoted(flag.help);
        switch (flag.value) {
            case FlagValue::none:
                break;
            case FlagValue::text:
                line += " -x";
                break;
            case FlagValue::file:
                line += " -r -F";
                break;
            case FlagValue::directory:
                line += " -x -a '(__fish_complete_directories)'";
                break;
            case FlagValue::choice:
                line += " -x -a " + fish_quoted(joined(flag.choices, " "));
                break;
        }
        lines += line + "\n";
    }
    return lines;
}

}  // namespace

std::string completion_script(const std::string& shell, const std::string& program,
                              const std::vector<CompletedFlag>& flags) {
    if (shell == "bash") return bash_script(program, flags);
    if (shell == "zsh") return zsh_script(program, flags);
    if (shell == "fish") return fish_script(program, flags);
    return "";
}

std::vector<CompletedFlag> completed_flags(const FlagRow* rows, std::size_t count) {
    std::vector<CompletedFlag> flags;
    for (std::size_t i = 0; i < count; ++i) {
        const FlagRow& row = rows[i];
        CompletedFlag flag;
        flag.names = {row.name};
        if (row.alias != nullptr) flag.names.emplace_back(row.alias);
        flag.help = flag_summary(row.help);
        flag.value = row.kind;
        if (row.choices != nullptr) flag.choices = words_of(row.choices);
        flags.push_back(flag);
    }
    return flags;
}
