// Drawing a part of the box: a see-through layer of the tool's own laid over
// it, so the program under it is never touched while the user draws.
#pragma once

#include <windows.h>

// The rectangle between where a drag began and where it ended, in either
// direction; empty when it is under 8 pixels across or down.
RECT PartBetween(POINT from, POINT to);

// Lays the layer over `area` (screen pixels), owned by `owner`, with a cross
// pointer, and returns it at once (null, and nothing posted, when it cannot
// be made). A left-button drag draws a rectangle; on
// release the layer closes and posts `message` to `notify` with the rectangle
// (read it with DrawnPart). Esc, a click without a drag, a rectangle under
// 8×8, losing the mouse while drawing, leaving the layer for another window
// or closing its owner post an empty one. A layer still open is closed first.
HWND DrawPart(HWND owner, const RECT& area, HWND notify, UINT message);

// The rectangle a layer posted, in screen pixels; of no area when nothing was drawn.
RECT DrawnPart(WPARAM wp, LPARAM lp);
