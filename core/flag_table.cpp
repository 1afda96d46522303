#include "core/flag_table.h"

std::string flag_help_line(const FlagRow& row, std::size_t column) {
    std::string line = std::string("  ") + (row.alias != nullptr ? std::string(row.alias) + ", " : "") + row.name +
                       (row.value != nullptr ? std::string(" ") + row.value : "");
    // Names too long for their column leave the help to the next line.
    line = line.size() + 2 > column ? line + "\n" + std::string(column, ' ') : line + std::string(column - line.size(), ' ');
    for (const char* c = row.help; *c != '\0'; ++c) {
        line += *c;
        if (*c == '\n') line += std::string(column, ' ');
    }
    return line + "\n";
}
