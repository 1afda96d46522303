#pragma once
// What a command line does otherwise than its words seem to say, as lines
// of warning for the native programs to print: the viewer's reading of
// option words passes over anything it does not know and bounds the levels
// without a word, as polytree.exe must.

#include <string>
#include <vector>

// One line for each word of the text's option words (all before a view's
// version word) that is no option word and so is passed over, or that is
// read as another value than it seems to give (branches=5, B0, G9); then,
// if the levels the words give are over the work bound, the line of
// level_bound_warning. Empty when every word does what it says.
std::vector<std::string> view_warnings(const std::string& text);

// "" when branches and levels fit the work bound, else a line saying the
// levels drawn instead and why.
std::string level_bound_warning(int branches, int levels);
