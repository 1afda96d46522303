#pragma once
// The hack's texts that name its settings' ranges (its usage, its settings
// file for XScreenSaver's dialog, its manual page) write each number as a
// placeholder, @BRANCHES_LOWEST@ or @DELAY_DEFAULT@: a range's name, then
// LOWEST, HIGHEST or DEFAULT. They are filled from the ranges' one table
// (core/saver_settings.h, and the hack's own delay), the usage as it is
// shown, the files as they are built, so that none of them can drift.

#include <string>

// The text with every placeholder filled. False, with error naming it, for
// a placeholder that names no range's number or is not closed: a text that
// would show it as it is.
bool fill_ranges(const std::string& text, std::string& filled, std::string& error);
