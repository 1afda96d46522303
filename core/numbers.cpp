#include "core/numbers.h"

#include <cerrno>
#include <cstdlib>

bool read_whole(const std::string& text, int base, unsigned long long& value) {
    // strtoull itself would pass over blanks and take a sign (negating the
    // value): only a digit may start the number.
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long read = std::strtoull(text.c_str(), &end, base);
    if (errno != 0 || end != text.c_str() + text.size()) return false;
    value = read;
    return true;
}
