#pragma once
// A program's exit codes as one table: each code and what it means, in
// one line of text. Its --help shows the table, and the manual page's EXIT
// STATUS is made from that (packaging/fill_exit_status.cmake), so neither
// can say other than the code does.

#include <cstddef>
#include <string>

struct ExitCode {
    int code;
    const char* meaning;
};

// The tables as --help ends with them: a heading, then a line for each
// code, indented by two, its meaning in a column of its own.
template <std::size_t... N>
std::string exit_status_help(const ExitCode (&... tables)[N]) {
    std::string text = "Exit status:\n";
    const auto add = [&text](const ExitCode& row) {
        std::string code = std::to_string(row.code);
        code.resize(5, ' ');
        text += "  " + code + row.meaning + "\n";
    };
    (..., [&] {
        for (const ExitCode& row : tables) add(row);
    }());
    return text;
}
