#pragma once
// Shell completion scripts for bash, zsh and fish, written from a program's
// own table of flags, so that a shell offers exactly the flags and values
// the program reads. Each program prints its scripts (--completion SHELL);
// the build installs them where each shell looks.

#include <cstddef>
#include <string>
#include <vector>

#include "core/flag_table.h"

struct CompletedFlag {
    // Its names as typed: "--output", "-o"; a hack's one-dash "-root" too.
    std::vector<std::string> names;
    std::string help;  // one line, no longer than a terminal's column
    FlagValue value = FlagValue::none;
    std::vector<std::string> choices;  // for FlagValue::choice
};

// The shells scripts are written for, as --completion names them.
constexpr char COMPLETION_SHELLS[] = "bash zsh fish";

// A table's flags as a shell completes them.
template <std::size_t N>
std::vector<CompletedFlag> completed_flags(const FlagRow (&rows)[N]) {
    return completed_flags(rows, N);
}
std::vector<CompletedFlag> completed_flags(const FlagRow* rows, std::size_t count);

// A flag's help as one line for a shell's list: its lines joined, up to its
// first aside (a semicolon's or a bracket's) or a terminal's width.
std::string flag_summary(const std::string& help);

// The words of a text parted by spaces.
std::vector<std::string> words_of(const char* text);

// The script for shell ("bash", "zsh" or "fish") completing program's flags;
// "" for a shell not known. Words that are not flags (option words, views)
// are not completed: no file name is one.
std::string completion_script(const std::string& shell, const std::string& program,
                              const std::vector<CompletedFlag>& flags);
