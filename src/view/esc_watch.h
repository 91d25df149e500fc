// The watch that lets Esc leave full screen from inside the embedded
// program, whose keys go to its own thread and never reach our form.
#pragma once

#include <windows.h>

// Watches the keyboard for Esc on behalf of `form` until StopWatchingEsc:
// a low-level hook on a thread of its own that passes every key on, keeps
// none, and only posts `message` to the form when Esc goes to a window of
// another thread inside the active form. The thread is kept for the next
// watch, without its hook; one that does not answer in time is told to end
// whenever it gets going, and leaves no hook.
void WatchEsc(HWND form, UINT message);
void StopWatchingEsc();
bool WatchingEsc();
