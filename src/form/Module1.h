// Forwarding of an embedded window's messages to the procedure it had before.
#pragma once

#include <windows.h>

namespace Module1 {

// The procedure the last embedded window had before WndProc; pointer-sized,
// since a procedure address does not fit 32 bits on x86-64.
extern LONG_PTR PrevWndProc;

// Passes every message unchanged to the window's own previous procedure.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The procedure saved for this very window when WndProc was put on it, 0 if none.
LONG_PTR SavedProcOf(HWND hwnd);
void SaveProcFor(HWND hwnd, LONG_PTR proc);
void ForgetProcOf(HWND hwnd);

}  // namespace Module1
