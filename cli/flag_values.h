#pragma once
// The values of polytree-render's flags, read strictly: a number and
// nothing else, several parted by a separator, and the lengths and papers
// of the files for plotters and print.

#include <array>
#include <string>

#include "cli/plot_paths.h"
#include "core/numbers.h"

// Paper larger than a hundred metres of roll is a typing error.
constexpr double MAX_PAPER_MM = 100000.0;

// A real number straight to the nearest double (CLI11's own reading goes
// through long double, which misses it by a bit for some decimals), never
// infinite or NaN.
bool read_number(const std::string& text, double& value);

// A whole number in base ten (CLI11's own reading takes 010 for eight).
inline bool read_number(const std::string& text, unsigned long long& value) { return read_whole(text, 10, value); }

// N numbers parted by one of `separators`, such as 800x600 or 0,0,-3.5.
template <typename T, std::size_t N>
bool read_numbers(const std::string& text, const char* separators, std::array<T, N>& values) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t end = i + 1 < N ? text.find_first_of(separators, start) : text.size();
        if (end == std::string::npos || !read_number(text.substr(start, end - start), values[i])) return false;
        start = end + 1;
    }
    return true;
}

// A length above 0 with its unit, mm or px (a CSS pixel, 1/96 inch), in
// millimetres.
bool read_length(const std::string& text, double& mm);

// A paper's name (A4, A3, Letter, in any case) or its size such as 300x200mm.
bool read_paper(std::string text, Paper& paper);
