#include "form/Module1.h"

namespace Module1 {

LONG_PTR PrevWndProc = 0;

namespace {

// Each subclassed window carries its own previous procedure, so forwarding
// never depends on which window was embedded last.
constexpr wchar_t kPrevProcProp[] = L"Vistrel.PrevWndProc";

LONG_PTR Self() { return reinterpret_cast<LONG_PTR>(&WndProc); }

bool SaveProcFor(HWND hwnd, LONG_PTR proc) {
  return SetPropW(hwnd, kPrevProcProp, reinterpret_cast<HANDLE>(proc)) != FALSE;
}

void ForgetProcOf(HWND hwnd) { RemovePropW(hwnd, kPrevProcProp); }

}  // namespace

LONG_PTR SavedProcOf(HWND hwnd) {
  return reinterpret_cast<LONG_PTR>(GetPropW(hwnd, kPrevProcProp));
}

void RestoreSavedProc(HWND hwnd) {
  const LONG_PTR saved = SavedProcOf(hwnd);
  // Below someone else's procedure we cannot come off without cutting them out.
  if (!saved || GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != Self()) return;
  if (SetWindowLongPtrA(hwnd, GWLP_WNDPROC, saved)) ForgetProcOf(hwnd);
}

void InstallWndProc(HWND hwnd, LONG_PTR proc) {
  // A second WndProc in the chain would forward to the same saved procedure
  // twice, or to itself.
  if (!proc || proc == Self() || SavedProcOf(hwnd)) return;
  // Saved first: the window may get a message the moment WndProc is on it.
  if (!SaveProcFor(hwnd, proc)) return;
  if (!SetWindowLongPtrA(hwnd, GWLP_WNDPROC, Self())) ForgetProcOf(hwnd);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LONG_PTR proc = SavedProcOf(hwnd);
  // Never call ourselves or nothing: that would recurse or drop the message.
  if (!proc || proc == Self()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const LRESULT result = CallWindowProcA(reinterpret_cast<WNDPROC>(proc), hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) ForgetProcOf(hwnd);  // the window is gone; so is its record
  return result;
}

}  // namespace Module1
