// Copying what a display box shows into a still picture.
#pragma once

#include <windows.h>

#include <optional>

// Copies the box's picture into `still`: from the screen as composed when
// `onScreen` (the box's client area in screen pixels, shown whole and
// uncovered) is given, else from the box's own DC, `boxSize` pixels of it.
// Neither asks the embedded program for anything. True when a copy was made.
bool CopyShownPicture(const std::optional<RECT>& onScreen, HDC boxDC, SIZE boxSize, HDC still);
