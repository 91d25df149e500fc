// Keeps borrowed windows safe: where each came from, and how to give them
// all back before our own windows go away.
#pragma once

#include <windows.h>

#include <cstdint>

// The parent a window goes back to, given the one recorded when it was
// picked: as recorded, except that a window that is no child never goes into
// its owner (which is what the record names for an owned window) but back to
// the top level, still owned.
int32_t GiveBackParent(int32_t window, int32_t recorded);

// Notes `parent` as the one a window had before it was first embedded.
void RememberOrigin(HWND window, HWND parent);

// Gives every window of another process that sits in `host` or in one of our
// windows inside it back to the parent it had when it was first embedded;
// top-level when that parent is gone or is ours (ours die with us). Windows
// are neither moved nor restyled. Returns how many were given back.
int GiveBackBorrowedWindows(HWND host);

// Posted to the form when the program of a window that "还原" gives back has
// answered (wParam: that window), and when it has not answered in time.
constexpr UINT kMsgProgramAnswered = WM_APP + 2;
constexpr UINT kMsgStillNotAnswering = WM_APP + 3;

// As many borrowed windows as the tool notes the origin of.
constexpr int kMostBorrowed = 64;

// The windows of other processes inside `host` that GiveBackBorrowedWindows
// would give back, noted in `found` (room for kMostBorrowed); how many were noted.
int BorrowedWindows(HWND host, HWND (&found)[kMostBorrowed]);

// From now on, a fault that would end the process (an exception no one
// handles, an abort) first gives the borrowed windows inside `host` back
// (and removes the Esc watch of full screen).
void GuardBorrowedWindows(HWND host);

// Gives back what GuardBorrowedWindows watches, and takes the tool's watch
// off the keyboard; for paths that end the process on their own.
void GiveBackGuardedWindows();
