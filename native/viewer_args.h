#pragma once
// polytree's command line: flags, which start with '-', and the viewer's
// own words (option words, or a view), which never do.

#include <string>
#include <vector>

#include "core/completions.h"

// What the start question would have decided, when a flag decides it.
enum class StartChoice { ask, windowed, fullscreen };

struct ViewerArgs {
    std::string words;  // the words that are not flags, parted by single spaces
    StartChoice start = StartChoice::ask;
    int width = 0;  // --size; 0: the display mode's
    int height = 0;
    bool vsync = true;
    std::string shell;  // --completion's
};

enum class ArgsCommand { run, help, version, completion, bad };

// Reads the arguments after the program's name. For bad, message says what
// is wrong in one line; a bad flag wins over --help and --version beside it.
ArgsCommand read_viewer_args(const std::vector<std::string>& arguments, ViewerArgs& args, std::string& message);

// The --help text, its flags from the table read_viewer_args reads by.
std::string viewer_usage();

// The flags of that table as a shell completes them.
std::vector<CompletedFlag> viewer_flags();
