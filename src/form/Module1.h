// Forwarding of an embedded window's messages to the procedure it had before.
#pragma once

#include <windows.h>

namespace Module1 {

// The procedure the last embedded window had before WndProc; pointer-sized,
// since a procedure address does not fit 32 bits on x86-64. Kept as a record
// only: forwarding uses the procedure saved on each window itself.
extern LONG_PTR PrevWndProc;

// Passes every message unchanged to the window's own previous procedure.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The procedure saved for this very window when WndProc was put on it, 0 if none.
LONG_PTR SavedProcOf(HWND hwnd);

// Takes WndProc off the window when it is the window's outermost procedure
// and puts back the procedure saved for it. A window that was never given
// WndProc, or that someone subclassed on top of it, is left as it is.
void RestoreSavedProc(HWND hwnd);

// Puts WndProc on the window, forwarding to `proc`, unless it already
// forwards through WndProc or `proc` is nothing or WndProc itself. Windows of
// other processes refuse the change; they are left without forwarding.
void InstallWndProc(HWND hwnd, LONG_PTR proc);

}  // namespace Module1
