#pragma once
// A view: everything a frame's pixels depend on besides the picture's size,
// as one value that every program reads and writes, and its text form, so
// that what is on screen can be kept, sent and drawn again.
//
// The text form is a line of words:
//   B5 L4 G3 v1 pitch:20 yaw:35 camera:1.617,-1.026,-2.309 twist:0.6981317007977318 paused
// It starts with the viewer's option words, so any program that takes it as
// its options gets the right branches, levels and mode. The version word
// (v1) follows, then the view words, none of which starts with B, G, L or
// '-', or holds '=', '&', '+', '#' or '%': polytree.exe and polytree-render
// pass over them, and a web address carries them unchanged. Numbers are
// written with the fewest digits (15 to 17) that read back to the same
// double, so a view read back draws the same frame pixel for pixel.

#include <string>

#include "core/camera.h"

struct View {
    int branches;
    int levels;      // within the work bound, as the viewer bounds them
    int mode_index;  // row of DISPLAY_MODES
    Camera camera;
    double twist;  // radians
    bool paused;
};

// The version of the text form written here, and the newest one read.
constexpr int VIEW_VERSION = 1;

// Reads a view. The words before the version word are option words, read
// as the viewer reads them (words it does not know are passed over); a text
// without a version word is option words alone, and gives the view the
// viewer starts with. After the version word every word must be a view
// word, each at most once; a missing one keeps the start value. False, with
// a message naming the word or the version, for anything else.
bool read_view(const std::string& text, View& view, std::string& error);

// The option words of a text: all of it before its version word (the text
// itself when it has none), as read_view reads them.
std::string option_words_of(const std::string& text);

// The text form of a view whose numbers are finite.
std::string write_view(const View& view);

// Whether the word is a version word: 'v' and a decimal number.
bool is_version_word(const std::string& word);

// Whether two views are equal in all but their twist: the same branches,
// levels, mode, camera and pause, so that their frames belong to one turn.
bool same_but_twist(const View& a, const View& b);
