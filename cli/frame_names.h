#pragma once
// Output names read as patterns, as FFmpeg's and the shell's tools read
// them: "%%" is a percent sign, "%d" or "%0Nd" the frame's number. The
// user's text is never handed to printf.

#include <string>

struct NamePattern {
    std::string text;    // the name as given
    std::string before;  // the name up to the number field, "%%" resolved
    std::string after;   // the rest of the name
    int width = 0;       // zero-padded to this many digits (0: no padding)
    int fields = 0;      // number fields found: 0 or 1 when error is empty
    std::string error;   // why the name cannot be read, empty when it can

    // The name itself when it has no number field.
    std::string literal() const { return before; }
    // The name of frame `frame` (a name with one number field).
    std::string name_of(long frame) const;
};

NamePattern read_name_pattern(const std::string& text);

// The folder part of a file's name, its slash included: "" for none.
std::string folder_of(const std::string& name);
