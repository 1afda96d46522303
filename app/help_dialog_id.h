#pragma once
// Shared by the resource script and the code.
#define HELP_DIALOG_ID 1001
