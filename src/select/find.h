// Finding the window the command line names.
#pragma once

#include <windows.h>

#include "select/options.h"

// The window the options name, or null: with --hwnd that window itself;
// otherwise the first visible top-level window, from the top of the Z-order,
// for which every option given holds. Never a window of this process.
HWND FindWanted(const Options& o);
