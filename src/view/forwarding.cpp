#include "view/forwarding.h"

namespace forwarding {

namespace {

// Each subclassed window carries its own previous procedure, so forwarding
// never depends on which window was taken last.
constexpr wchar_t kPrevProcProp[] = L"Vistrel.PrevWndProc";

LONG_PTR Self() { return reinterpret_cast<LONG_PTR>(&WndProc); }

void ForgetProcOf(HWND hwnd) { RemovePropW(hwnd, kPrevProcProp); }

// Takes WndProc off the window when it is the outermost procedure and puts
// back the one saved for it.
void Restore(HWND hwnd) {
  const LONG_PTR saved = SavedProcOf(hwnd);
  // Below someone else's procedure we cannot come off without cutting them out.
  if (!saved || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != Self()) return;
  if (SetWindowLongPtrW(hwnd, GWLP_WNDPROC, saved)) ForgetProcOf(hwnd);
}

}  // namespace

LONG_PTR SavedProcOf(HWND hwnd) { return reinterpret_cast<LONG_PTR>(GetPropW(hwnd, kPrevProcProp)); }

// Unicode calls throughout: through the ANSI ones a Unicode window's text
// would pass the code page and lose what it cannot hold.
void Install(HWND hwnd) {
  Restore(hwnd);
  const LONG_PTR proc = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  // A second WndProc in the chain would forward to the same saved procedure
  // twice, or to itself.
  if (!proc || proc == Self() || SavedProcOf(hwnd)) return;
  // Saved first: the window may get a message the moment WndProc is on it.
  if (!SetPropW(hwnd, kPrevProcProp, reinterpret_cast<HANDLE>(proc))) return;
  if (!SetWindowLongPtrW(hwnd, GWLP_WNDPROC, Self())) ForgetProcOf(hwnd);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LONG_PTR proc = SavedProcOf(hwnd);
  // Never call ourselves or nothing: that would recurse or drop the message.
  if (!proc || proc == Self()) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const LRESULT result = CallWindowProcW(reinterpret_cast<WNDPROC>(proc), hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) ForgetProcOf(hwnd);  // the window is gone; so is its record
  return result;
}

}  // namespace forwarding
