// Build tool: fills the ranges into a text written with placeholders
// (xsaver/ranges.h), from the file IN into the file OUT.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "xsaver/ranges.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN OUT\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    std::string filled;
    std::string error;
    if (!fill_ranges(text, filled, error)) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], error.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << filled;
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
