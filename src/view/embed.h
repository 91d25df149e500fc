// Keeps borrowed windows safe: where each came from, and how to give them
// all back before our own windows go away.
#pragma once

#include <windows.h>

// Notes the parent a window has now, the first time it is embedded.
void RememberOrigin(HWND window);

// Gives every window of another process that sits in `host` or in one of our
// windows inside it back to the parent it had when it was first embedded;
// top-level when that parent is gone or is ours (ours die with us). Windows
// are neither moved nor restyled. Returns how many were given back.
int GiveBackBorrowedWindows(HWND host);

// From now on, a fault that would end the process (an exception no one
// handles, an abort) first gives the borrowed windows inside `host` back.
void GuardBorrowedWindows(HWND host);

// Gives back what GuardBorrowedWindows watches; for paths that end the
// process on their own.
void GiveBackGuardedWindows();
