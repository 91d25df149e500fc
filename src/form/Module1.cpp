#include "form/Module1.h"

namespace Module1 {

LONG_PTR PrevWndProc = 0;

namespace {
// Each subclassed window carries its own previous procedure, so forwarding
// never depends on which window was embedded last.
constexpr wchar_t kPrevProcProp[] = L"Vistrel.PrevWndProc";
}  // namespace

LONG_PTR SavedProcOf(HWND hwnd) {
  return reinterpret_cast<LONG_PTR>(GetPropW(hwnd, kPrevProcProp));
}

void SaveProcFor(HWND hwnd, LONG_PTR proc) {
  SetPropW(hwnd, kPrevProcProp, reinterpret_cast<HANDLE>(proc));
}

void ForgetProcOf(HWND hwnd) { RemovePropW(hwnd, kPrevProcProp); }

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LONG_PTR proc = SavedProcOf(hwnd);
  if (!proc) proc = PrevWndProc;
  // Never call ourselves or nothing: that would recurse or drop the message.
  if (!proc || proc == reinterpret_cast<LONG_PTR>(&WndProc))
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  const LRESULT result = CallWindowProcA(reinterpret_cast<WNDPROC>(proc), hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) ForgetProcOf(hwnd);  // the window is gone; so is its record
  return result;
}

}  // namespace Module1
