// Copying what a display box shows into a still picture, as the user sees it.
#pragma once

#include <windows.h>

// Copies the box's client area into `to` at its origin. What DirectX,
// browser and UWP programs show reaches the screen through DWM and is missing
// from the box's own DC, so while nothing covers the box, what of it lies on
// a monitor is read from the screen as composed; only what lies off every
// monitor (full screen overhangs the monitor's edges), or all of it while
// something covers the box, comes from `boxDC`. Asks the embedded program for
// nothing. True when every copy was made.
bool CopyShownPicture(HWND box, HDC boxDC, HDC to);
