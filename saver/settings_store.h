#pragma once
// The saver's settings in the registry: per user, one REG_DWORD each under
// HKEY_CURRENT_USER\Software\PolyTree\Screen Saver.

#include "saver/settings.h"

// The stored settings, each read as settings.h says; the defaults when the
// key is missing.
SaverSettings read_saver_settings();

// Writes every value, defaults included. False when one could not be written.
bool write_saver_settings(const SaverSettings& settings);
