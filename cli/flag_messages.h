#pragma once
// What polytree-render says of its flags beyond CLI11's own words: the flag
// a mistyped one meant, the value a flag wants, and the flags as a shell
// completes them.

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "core/completions.h"

// The flag a mistyped one most likely meant, or "".
std::string nearest_flag(const CLI::App& app, const std::string& word);

// A flag that wants a value and is given none, at the end or before another
// flag: what it wants, in a sentence; or "". (CLI11 would say "--output: 1
// required  missing", or take the next flag for the value.)
std::string missing_value(const CLI::App& app, int argc, const char* const* argv);

// The app's flags, their values offered from the tables that check them.
std::vector<CompletedFlag> completed_flags(const CLI::App& app);
