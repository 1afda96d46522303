#pragma once
// A view in a web address, as the page reads and writes its own: the query
// holds option words, read as a command line is, and the fragment the view
// of a link (core/view.h), with the page's fill word when the figure filled
// the window. Browsers decode both before the page reads them, '+' as a
// space.

#include <string>

#include "core/view.h"

// The word a link's fragment carries beside the view when the figure fills
// the window: the view's G word names the fixed size the display-mode keys
// come back to, and a view without the word opens at that size.
constexpr char FILL_WORD[] = "fill";

// The fragment of a link to the view: its words parted by '+', as a query's
// are, the fill word first. None of them needs escaping.
std::string link_of(const View& view, bool fill);

// A fragment's words (parted by spaces) without the fill word, which fill
// says was there.
std::string without_fill_word(const std::string& words, bool& fill);

// Whether a query's option words leave the size to the window: they choose
// one with a G word, as the option reader reads one. (The option reader
// gives G3 for no G word too.)
bool options_fill(const std::string& options);
