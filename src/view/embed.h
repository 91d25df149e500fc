// Keeps borrowed windows safe: where each came from, and how to give them
// all back before our own windows go away.
#pragma once

#include <windows.h>

// Notes the parent a window has now, the first time it is embedded.
void RememberOrigin(HWND window);

// Gives every window of another process that is still inside `host` back to
// the parent it had when it was first embedded (top-level if that is gone).
// Returns how many windows were given back.
int GiveBackBorrowedWindows(HWND host);

// From now on, a fault that would end the process first gives the borrowed
// windows inside `host` back.
void GuardBorrowedWindows(HWND host);
