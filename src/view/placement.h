// Where and how a window was before "传输" took it, and putting it back so.
#pragma once

#include <windows.h>

struct Placement {
  bool child = false;  // a child control: `rect` is in its parent's client pixels
  RECT rect{};         // otherwise screen pixels; the maximised rectangle when maximised
  bool maximized = false, minimized = false;
  LONG_PTR style = 0, exStyle = 0;
};

// Reads it from the window as it is now (GetWindowPlacement lies across
// processes: it gives the present rectangle as the normal one).
Placement NotePlacement(HWND window);

struct MonitorArea {
  RECT monitor, work;
};

// Where a top-level window noted at `noted` goes: where it was while any
// monitor still shows part of it, otherwise inside the work area of the
// nearest monitor, as large as fits. Unchanged when there is no monitor.
RECT PlaceOnMonitors(const RECT& noted, const MonitorArea* monitors, int count);

// Asks, through the mover, for the noted style words where they differ from
// the present ones, then the noted place and size and the noted state. For
// a window already given back to its parent.
void PutBack(HWND window, const Placement& noted);
