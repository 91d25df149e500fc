// The window procedure put on a taken window of our own process, which
// forwards every message unchanged to the procedure the window had before.
// Windows of other processes refuse it and are taken without it.
#pragma once

#include <windows.h>

namespace forwarding {

// Passes every message unchanged to the window's own previous procedure.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The procedure saved for this very window when WndProc was put on it, 0 if none.
LONG_PTR SavedProcOf(HWND hwnd);

// Puts WndProc on the window, in front of its present procedure, exactly
// once however often it is taken: a WndProc already outermost is first taken
// off, one that someone subclassed on top of is left as it is.
void Install(HWND hwnd);

}  // namespace forwarding
