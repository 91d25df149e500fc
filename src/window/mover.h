// Moves, sizes and restyles of other threads' windows, asked from one thread
// of ours that owns no window: its input queue is attached to no one's, so
// SWP_ASYNCWINDOWPOS really posts, and the asking thread never waits.
#pragma once

#include <windows.h>

namespace mover {

// Each call hands one request to the mover thread and returns at once; the
// requests run in the order asked, and a newer one of the same kind for the
// same window replaces one still waiting. A window of the calling thread is
// acted on at once instead, as our own windows never keep us waiting. False
// only when the request could not be handed over.

// SetWindowPos; for another thread's window with SWP_ASYNCWINDOWPOS added.
bool Place(HWND window, int x, int y, int width, int height, UINT flags);
// SetWindowLongPtrW of GWL_STYLE or GWL_EXSTYLE, which waits for the window's
// thread: on the mover thread only.
bool Restyle(HWND window, int index, LONG_PTR value);
// ShowWindowAsync (ShowWindow for a window of the calling thread).
bool Show(HWND window, int command);

// Lets the mover carry out what is waiting and end, waiting for it at most
// a moment: a request stuck on a program that does not answer is left to
// finish, or to end with the process.
void Stop();

}  // namespace mover
