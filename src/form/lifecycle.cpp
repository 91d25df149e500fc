// Start-up, closing, the end of a session, and "最前".
#include "form/frmMain.h"
#include "form/ids.h"
#include "runtime/convert.h"
#include "view/embed.h"
#include "view/esc_watch.h"
#include "window/mover.h"

// Errors ignored: each step stands alone.
void frmMain::SetStartValues() {
  txtRatio.SetText(rt::Str(1.33));
  aspect_ = 3.0f / 4.0f;
  picBox.SetHeight(picBox.Width() * aspect_);
  picBox.SetWidth(picBox.Width() + 4);
  picBox.SetHeight(picBox.Height() + 4);
  picMagnifier.SetPicture(picMagnifierCursor.GetPicture());
  cmdTake.SetEnabled(false);
  SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void frmMain::OnTopmostSwitch() {
  const HWND where = chkTopmost.Value() == 1 ? HWND_TOPMOST : HWND_NOTOPMOST;
  SetWindowPos(hWnd(), where, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The picked window, while the tool holds it, goes back to the parent
// recorded with it; closing gives back on its own, so a "还原" still waiting
// is dropped.
void frmMain::GiveBackOnClose() {
  const bool held = Holding();
  givingBack_ = {};
  if (held) GiveBackTo(picked_, GiveBackParent(picked_, pickedParent_));
}

// ---- The end of the session -------------------------------------------------

namespace {

// A program asked at the end of a session that has not answered by then
// counts as agreeing, as Windows counts a program that hangs.
constexpr UINT kSessionAnswerMs = 5000;

}  // namespace

// Windows asks only top-level windows, so a window inside ours would never
// hear of it: each borrowed one is asked here as if it stood alone, and its
// program's refusal is ours.
bool frmMain::OnQueryEndSession(LPARAM reason) {
  HWND borrowed[kMostBorrowed];
  const int n = BorrowedWindows(hWnd(), borrowed);
  for (int i = 0; i < n; ++i) {
    DWORD_PTR agreed = TRUE;
    if (SendMessageTimeoutW(borrowed[i], WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG, kSessionAnswerMs,
                            &agreed) &&
        !agreed)
      return false;
  }
  return true;
}

// Every borrowed window goes home as at closing, and only then is its program
// told, so that what it saves and closes is its own window, not one that
// dies with ours: our process may be ended the moment this returns.
void frmMain::OnEndSession(LPARAM reason) {
  HWND borrowed[kMostBorrowed];
  const int n = BorrowedWindows(hWnd(), borrowed);
  StopWatchingEsc();
  GiveBackOnClose();
  GiveBackBorrowedWindows(hWnd());
  // Their places are asked before their programs hear of the end.
  mover::Stop();
  for (int i = 0; i < n; ++i)
    if (IsWindow(borrowed[i]) && GetAncestor(borrowed[i], GA_ROOT) != hWnd())
      SendMessageTimeoutW(borrowed[i], WM_ENDSESSION, TRUE, reason, SMTO_ABORTIFHUNG, kSessionAnswerMs, nullptr);
}
