#include "view/embed.h"

#include "form/Module1.h"
#include "form/convert.h"
#include "form/frmMain.h"

namespace {

struct Origin {
  HWND window;
  HWND parent;  // nullptr: it was top-level
};
Origin g_origins[64];
int g_originCount = 0;
HWND g_guardedHost = nullptr;

HWND OriginOf(HWND window) {
  for (int i = 0; i < g_originCount; ++i)
    if (g_origins[i].window == window) return g_origins[i].parent;
  return nullptr;
}

LONG WINAPI GiveBackOnFault(EXCEPTION_POINTERS*) {
  GiveBackBorrowedWindows(g_guardedHost);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void RememberOrigin(HWND window) {
  if (!IsWindow(window)) return;
  for (int i = 0; i < g_originCount; ++i)
    if (g_origins[i].window == window) return;  // the first embedding counts
  HWND parent = GetAncestor(window, GA_PARENT);
  if (parent == GetDesktopWindow()) parent = nullptr;
  // Reuse the slot of a window that is gone, so the table stays small.
  for (int i = 0; i < g_originCount; ++i)
    if (!IsWindow(g_origins[i].window)) {
      g_origins[i] = {window, parent};
      return;
    }
  if (g_originCount < static_cast<int>(ARRAYSIZE(g_origins))) g_origins[g_originCount++] = {window, parent};
}

int GiveBackBorrowedWindows(HWND host) {
  if (!host || !IsWindow(host)) return 0;
  int given = 0;
  const DWORD self = GetCurrentProcessId();
  HWND child = GetWindow(host, GW_CHILD);
  while (child) {
    const HWND next = GetWindow(child, GW_HWNDNEXT);
    DWORD pid = 0;
    GetWindowThreadProcessId(child, &pid);
    if (pid != self) {
      HWND parent = OriginOf(child);
      if (parent && !IsWindow(parent)) parent = nullptr;
      if (SetParent(child, parent)) ++given;
    }
    child = next;
  }
  return given;
}

void GuardBorrowedWindows(HWND host) {
  g_guardedHost = host;
  SetUnhandledExceptionFilter(GiveBackOnFault);
}

// The fit step: the target at the box's client origin with the box's outer
// size in whole pixels. False when the size has no 32-bit pixel value.
bool frmMain::FitTarget() {
  const auto width = rt::CLngRound(Picture4.Width());
  const auto height = rt::CLngRound(Picture4.Height());
  if (!width || !height) return false;
  CurWindow().Move(0, 0, *width, *height, true);
  return true;
}

// ---- Embedding and release (errors ignored: each step stands alone) ----------

void frmMain::cmdTransfer_Click() {
  Picture4.SetVisible(true);
  Command4.SetCaption(L"暂停");
  const int32_t h = CurWindow().hwnd;
  const HWND target = ToHwnd(h);
  if (const LONG_PTR saved = Module1::SavedProcOf(target)) {
    SetWindowLongPtrA(target, GWLP_WNDPROC, saved);
    Module1::ForgetProcOf(target);
  }
  FitTarget();
  RememberOrigin(target);
  CurWindow().SetWindowParent(FromHwnd(Picture4.hWnd()));
  Module1::PrevWndProc = GetWindowLongPtrA(target, GWLP_WNDPROC);
  if (Module1::PrevWndProc && Module1::PrevWndProc != reinterpret_cast<LONG_PTR>(&Module1::WndProc) &&
      SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Module1::WndProc)))
    Module1::SaveProcFor(target, Module1::PrevWndProc);
}

void frmMain::Command3_Click() {
  Picture4.SetVisible(true);
  if (const auto parent = rt::CLng(Text1.Text())) CurWindow().SetWindowParent(*parent);
}
