#pragma once
// The settings dialog's resource and control identifiers, shared by the
// resource script and the dialog's procedure.

#define SETTINGS_DIALOG_ID 2001
#define SETTINGS_BRANCHES 2010
#define SETTINGS_BRANCHES_SPIN 2011
#define SETTINGS_LEVELS 2012
#define SETTINGS_LEVELS_SPIN 2013
#define SETTINGS_LEVELS_DRAWN 2014
#define SETTINGS_SPEED 2015
#define SETTINGS_SPEED_SPIN 2016
#define SETTINGS_DEFAULTS 2020
#define SETTINGS_CAPTION "PolyTree screen saver settings"
