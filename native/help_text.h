#pragma once
// The help box's text as SDL's message box can show it.

#include <string>

// The viewer's help text with its Windows line breaks made plain ones and
// its tabs spaced out to the next stop of eight characters, as the Windows
// help box lays them out in columns.
std::string help_text_for_display(const char* text);

// What the native viewer's help box shows: the viewer's keys, then its own.
std::string native_help_text();
