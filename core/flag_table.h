#pragma once
// A program's flags as one table, read by its argument reader, written into
// its --help and handed to the shells' completion (core/completions.h), so
// that the three cannot differ. polytree-render's flags are CLI11's own.

#include <cstddef>
#include <string>

// What a flag's value is, for a shell to offer.
enum class FlagValue {
    none,       // a flag alone
    text,       // anything: nothing is offered
    file,       // a file's name
    directory,  // a folder's name
    choice,     // one of the row's choices
};

struct FlagRow {
    int id;             // the program's own enumerator, as a number
    const char* name;   // as --help shows it: "--size", or a hack's "-root"
    const char* alias;  // a short name, or null
    const char* value;  // its value's name in --help, or null for none
    const char* help;   // lines after the first are indented as the first
    FlagValue kind;
    const char* choices;  // for FlagValue::choice: the values, parted by spaces
};

// The row named name (or its alias), or null.
template <std::size_t N>
const FlagRow* flag_named(const FlagRow (&rows)[N], const std::string& name) {
    for (const FlagRow& row : rows) {
        if (name == row.name || (row.alias != nullptr && name == row.alias)) return &row;
    }
    return nullptr;
}

// A row's lines of --help: its names and value, then its help from column
// on (from the next line where the names reach the column).
std::string flag_help_line(const FlagRow& row, std::size_t column);
