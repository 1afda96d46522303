#pragma once
// Whole numbers as the programs' own arguments take them: digits and nothing
// else. polytree.exe's option words are not read here: they keep the C
// library's decimal conversion, stray characters and all.

#include <string>

// The text as a whole number in base (10, 16, or 0 for C's forms: 0x
// hexadecimal, a leading 0 octal, else decimal). False for an empty text, a
// sign, a blank, anything after the digits, or a value past 64 bits.
bool read_whole(const std::string& text, int base, unsigned long long& value);
