#pragma once
// What the option words ask for but do not get: words that are not option
// words, and levels beyond the work bound. Said on standard error as
// warnings; the words are read as the viewer reads them all the same.

#include <string>
#include <vector>

// The warnings about a text of option words, or a view's text (then the
// words before its version word): a line each, none for words that draw
// what they say.
std::vector<std::string> view_warnings(const std::string& text);
