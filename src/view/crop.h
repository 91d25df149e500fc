// Showing only part of a program's window: the arithmetic, free of window
// calls. A crop is kept as insets from the edges of the window's client area,
// so it survives every resize; all zero is "content only".
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// Pixels of the client area left out on each side.
struct Insets {
  int32_t left, top, right, bottom;
};

// Where a window goes inside the box (relative to the box's client origin)
// and its outer size.
struct Placement {
  int32_t x, y, width, height;
};

// The window sized so that its client area less the insets has exactly the
// box's outer size, and placed so that this kept part lies at the box's
// client origin. `window` and `client` are measured from the window itself in
// the same coordinates: the frame (title bar, menu, borders) is their
// difference, whatever the program draws there. Empty when a size does not
// fit 32 bits.
std::optional<Placement> CroppedPlacement(const RECT& window, const RECT& client, const Insets& insets,
                                          int32_t boxWidth, int32_t boxHeight);

// Whether the insets leave at least a pixel of a client area this size.
bool LeavesSomething(const Insets& insets, int32_t clientWidth, int32_t clientHeight);

// A rectangle drawn over the box as insets of the client area that lies at
// `client` (both in the box's client coordinates); the drawing is cut to
// the client area first. Empty when it meets none of it.
std::optional<Insets> InsetsFromDrawn(const RECT& drawn, const RECT& client);
