#include "cli/flag_values.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "cli/vector_files.h"

bool read_number(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) != 0) return false;
    errno = 0;
    char* end = nullptr;
    const double read = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(read)) return false;
    value = read;
    return true;
}

bool read_length(const std::string& text, double& mm) {
    if (text.size() < 3) return false;
    const std::string unit = text.substr(text.size() - 2);
    if (unit != "mm" && unit != "px") return false;
    double value = 0;
    if (!read_number(text.substr(0, text.size() - 2), value) || value <= 0.0) return false;
    mm = unit == "mm" ? value : value * MM_PER_PIXEL;
    return true;
}

bool read_paper(std::string text, Paper& paper) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const struct {
        const char* name;
        Paper paper;
    } papers[] = {{"a4", {210.0, 297.0}}, {"a3", {297.0, 420.0}}, {"letter", {215.9, 279.4}}};
    for (const auto& p : papers) {
        if (text == p.name) {
            paper = p.paper;
            return true;
        }
    }
    std::array<double, 2> sides{};
    if (text.size() < 3 || text.compare(text.size() - 2, 2, "mm") != 0 ||
        !read_numbers(text.substr(0, text.size() - 2), "x", sides) || sides[0] <= 0.0 || sides[1] <= 0.0 ||
        sides[0] > MAX_PAPER_MM || sides[1] > MAX_PAPER_MM) {
        return false;
    }
    paper = {sides[0], sides[1]};
    return true;
}
