// Taking a window into a box of ours, fitting it there and giving it back,
// and keeping borrowed windows safe: where each came from, and how to give
// them all back before our own windows go away.
#pragma once

#include <windows.h>

#include <optional>

#include "view/crop.h"

// How a take ended: taken, or left where and as it was, and why.
enum class TakeOutcome {
  Taken,
  NoWindow,         // the handle names no window (any more)
  BreaksWhenMoved,  // UWP, WinUI and Terminal windows stop working when re-parented
  NotResponding,    // its program did not answer in time
  Refused,          // the system refused; `error` says why (access denied: administrator)
};
struct TakeResult {
  TakeOutcome outcome;
  DWORD error;
};

// All or nothing: the window is re-parented into `box` (noting where it came
// from the first time) and, when it is of our own process, given the
// forwarding procedure. It is not sized: FitToBox does that.
TakeResult TakeIntoBox(HWND window, HWND box);

// The fit: the window at its parent's client origin with the given size;
// with a crop, sized and placed so that its client area less the insets has
// that size and lies there (CroppedPlacement), the frame measured from the
// window as it is now. Another thread's window is only asked, so no caller
// waits for its program: it takes the size when it answers, the last one
// asked last.
void FitToBox(HWND window, int width, int height, const std::optional<Insets>& crop = std::nullopt);

// The window's client area in `box`'s client coordinates, as it is now.
RECT ClientAreaIn(HWND window, HWND box);

// The parent a window goes back to, given the one recorded when it was
// picked: as recorded, except that a window that is no child never goes into
// its owner (which is what the record names for an owned window) but back to
// the top level, still owned.
HWND GiveBackParent(HWND window, HWND recorded);

// Whether the window's program answers within `ms` (a window that is gone,
// or a program above us in privilege, counts as answering).
bool Answers(HWND window, UINT ms);

// Posts `message` (wParam: the window) to `notify` once the window's program
// has answered; never waits.
void WhenAnswers(HWND window, HWND notify, UINT message);

// Notes `parent` as the one a window had before it was first taken.
void RememberOrigin(HWND window, HWND parent);

// Gives every window of another process that sits in `host` or in one of our
// windows inside it back to the parent it had when it was first taken;
// top-level when that parent is gone or is ours (ours die with us). Windows
// are neither moved nor restyled. Returns how many were given back.
int GiveBackBorrowedWindows(HWND host);

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
