#include "view/embed.h"

#include <csignal>
#include <cstring>

#include "form/Module1.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "form/tips.h"
#include "view/fullscreen.h"

namespace {

struct Origin {
  HWND window;
  HWND parent;  // nullptr: it was top-level
};
Origin g_origins[kMostBorrowed];
int g_originCount = 0;
HWND g_guardedHost = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

HWND OriginOf(HWND window) {
  for (int i = 0; i < g_originCount; ++i)
    if (g_origins[i].window == window) return g_origins[i].parent;
  return nullptr;
}

// Where a borrowed window goes back to: never into a window that dies with us.
HWND HomeOf(HWND window) {
  const HWND parent = OriginOf(window);
  return parent && IsWindow(parent) && !OfThisProcess(parent) ? parent : nullptr;
}

// Walks our own windows only: a borrowed window keeps its own children. Each
// borrowed window found is given back, or only noted in `found` when there is one.
void WalkBorrowed(HWND ours, HWND* found, int& count) {
  HWND child = GetWindow(ours, GW_CHILD);
  while (child) {
    const HWND next = GetWindow(child, GW_HWNDNEXT);
    if (OfThisProcess(child)) {
      WalkBorrowed(child, found, count);
    } else if (found) {
      if (count < kMostBorrowed) found[count++] = child;
    } else {
      const HWND home = HomeOf(child);
      // A home that refuses it (now inside it, or gone meanwhile): top-level.
      if (SetParent(child, home) || (home && SetParent(child, nullptr))) ++count;
    }
    child = next;
  }
}

int WalkHost(HWND host, HWND* found) {
  int count = 0;
  if (host && IsWindow(host) && OfThisProcess(host)) WalkBorrowed(host, found, count);
  return count;
}

LONG WINAPI GiveBackOnFault(EXCEPTION_POINTERS* info) {
  GiveBackGuardedWindows();
  return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void GiveBackOnAbort(int) { GiveBackGuardedWindows(); }

}  // namespace

int32_t GiveBackParent(int32_t window, int32_t recorded) {
  const HWND h = ToHwnd(window);
  const bool child = (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) != 0;
  return !child && recorded != 0 && ToHwnd(recorded) == GetWindow(h, GW_OWNER) ? 0 : recorded;
}

void RememberOrigin(HWND window, HWND parent) {
  if (!IsWindow(window)) return;
  for (int i = 0; i < g_originCount; ++i)
    if (g_origins[i].window == window) return;  // the first embedding counts
  if (parent == GetDesktopWindow()) parent = nullptr;
  // Reuse the slot of a window that is gone, so the table stays small.
  for (int i = 0; i < g_originCount; ++i)
    if (!IsWindow(g_origins[i].window)) {
      g_origins[i] = {window, parent};
      return;
    }
  // A window the full table cannot note goes back top-level, which keeps it alive.
  if (g_originCount < static_cast<int>(ARRAYSIZE(g_origins))) g_origins[g_originCount++] = {window, parent};
}

int GiveBackBorrowedWindows(HWND host) { return WalkHost(host, nullptr); }

int BorrowedWindows(HWND host, HWND (&found)[kMostBorrowed]) { return WalkHost(host, found); }

void GuardBorrowedWindows(HWND host) {
  g_guardedHost = host;
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(GiveBackOnFault);
  // Guarding twice must not chain the filter to itself.
  if (previous != GiveBackOnFault) g_previousFilter = previous;
  // abort() ends the process without consulting the exception filter.
  std::signal(SIGABRT, GiveBackOnAbort);
}

void GiveBackGuardedWindows() {
  // A fault inside the give-back must not start it over.
  static bool running = false;
  if (running) return;
  running = true;
  // A dying thread that still hooks the keyboard would hold every key up.
  StopWatchingEsc();
  GiveBackBorrowedWindows(g_guardedHost);
  running = false;
}

// The fit step: the target at the box's client origin with the box's outer
// size in whole pixels (the box keeps its size rounded half to even).
void frmMain::FitTarget() {
  const RECT box = Picture4.PixelRect();
  const int width = box.right - box.left, height = box.bottom - box.top;
  const HWND target = ToHwnd(CurWindow().hwnd);
  if (GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId())
    return CurWindow().Move(0, 0, width, height, true);
  // Another thread's window is only asked: it takes the size when its program
  // answers, in the order asked, and no button waits for that.
  SetWindowPos(target, nullptr, 0, 0, width, height, SWP_ASYNCWINDOWPOS | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Embedding and release (errors ignored: each step stands alone) ----------

namespace {

// How long "传输" and "还原" wait for a program to show it answers; a program
// that does not would hold up the tool once its window is inside. "还原"
// waits only the first part itself and lets its message loop run for the rest.
constexpr UINT kAnswerMs = 200;
constexpr UINT kAnswerAtOnceMs = 50;
// How long the notice of a window not taken stays, unless a click comes first.
constexpr UINT kNotTakenNoticeMs = 6000;
// Of the form, beside the notice's own timer.
constexpr UINT_PTR kGiveBackTimer = 2;

// Windows that stop working when another program re-parents them, so they
// are left where and as they are; a window inside one of them too.
constexpr const char* kBreaksWhenMoved[] = {
    // UWP frame: comes back resized, misplaced, with a grey bar (microsoft/PowerToys#38646).
    "ApplicationFrameWindow",
    // UWP content inside that frame, the same app (microsoft/PowerToys#38646).
    "Windows.UI.Core.CoreWindow",
    // WinUI 3: the app crashes on SetParent (microsoft/WindowsAppSDK#3846).
    "WinUIDesktopWin32WindowClass",
    // Windows Terminal: re-parenting it "isn't a currently supported" scenario (microsoft/terminal#7084).
    "CASCADIA_HOSTING_WINDOW_CLASS",
};

bool BreaksWhenMoved(HWND window) {
  // Up to the top-level window, and the desktop, whose class is none of these.
  for (HWND w = window; w; w = GetAncestor(w, GA_PARENT)) {
    char name[32] = {};
    GetClassNameA(w, name, ARRAYSIZE(name));
    for (const char* breaks : kBreaksWhenMoved)
      if (!std::strcmp(name, breaks)) return true;
  }
  return false;
}

bool Answers(HWND window, UINT ms) {
  DWORD_PTR ignored = 0;
  if (!IsWindow(window) || SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &ignored))
    return true;
  // A program above us in privilege never gets our messages; re-parenting it will say why.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

// On the form's thread, once the program has answered the give-back's WM_NULL.
void CALLBACK ProgramAnswered(HWND window, UINT, ULONG_PTR form, LRESULT) {
  PostMessageW(reinterpret_cast<HWND>(form), kMsgProgramAnswered, reinterpret_cast<WPARAM>(window), 0);
}

void CALLBACK StillNotAnswering(HWND form, UINT, UINT_PTR timer, DWORD) {
  KillTimer(form, timer);
  PostMessageW(form, kMsgStillNotAnswering, 0, 0);
}

}  // namespace

// All or nothing: the window is re-parented before it is fitted, so one that
// refuses to come (a program running as administrator) stays as it was, is
// not noted as borrowed, and the user is told why.
void frmMain::cmdTransfer_Click() {
  Picture4.SetVisible(true);
  SetPauseCaption(L"暂停");
  const HWND h = ToHwnd(CurWindow().hwnd);
  if (GivingBack == h) GivingBack = nullptr;  // the last press counts
  if (BreaksWhenMoved(h)) return ShowNotice(cmdTransfer, TipText(Tip::BreaksWhenMoved), kNotTakenNoticeMs);
  if (!Answers(h, kAnswerMs)) return ShowNotice(cmdTransfer, TipText(Tip::NotResponding), kNotTakenNoticeMs);
  const HWND origin = GetAncestor(h, GA_PARENT);
  if (!CurWindow().SetWindowParent(FromHwnd(Picture4.hWnd()))) {
    const DWORD error = GetLastError();
    // A handle that names no window has nothing to keep safe and nothing to say.
    if (IsWindow(h)) ShowNotice(cmdTransfer, RefusalText(error), kNotTakenNoticeMs);
    return;
  }
  RememberOrigin(h, origin);
  Module1::RestoreSavedProc(h);
  FitTarget();
  Module1::PrevWndProc = GetWindowLongPtrA(h, GWLP_WNDPROC);
  Module1::InstallWndProc(h, Module1::PrevWndProc);
}

// Re-parenting waits for the window's program, so a program that does not
// answer has its window back only once it answers; meanwhile the tool is free.
void frmMain::Command3_Click() {
  Picture4.SetVisible(true);
  const auto parent = rt::CLng(Text1.Text());
  if (!parent) return;
  const HWND h = ToHwnd(CurWindow().hwnd);
  const int32_t to = GiveBackParent(CurWindow().hwnd, *parent);
  if (Answers(h, kAnswerAtOnceMs)) return (void)CurWindow().SetWindowParent(to);
  GivingBack = h;
  GivingBackFrom = GetAncestor(h, GA_PARENT);
  GivingBackTo = to;
  SendMessageCallbackW(h, WM_NULL, 0, 0, ProgramAnswered, reinterpret_cast<ULONG_PTR>(hWnd()));
  SetTimer(hWnd(), kGiveBackTimer, kAnswerMs - kAnswerAtOnceMs, StillNotAnswering);
}

// Only the window "还原" was last pressed for, and only while it is still
// where it was then: not one taken in again, given back or closed meanwhile.
void frmMain::Form_ProgramAnswered(HWND window) {
  if (!window || window != GivingBack) return;
  GivingBack = nullptr;
  if (GetAncestor(window, GA_PARENT) == GivingBackFrom) SetParent(window, ToHwnd(GivingBackTo));
}

void frmMain::Form_StillNotAnswering() {
  if (GivingBack) ShowNotice(Command3, TipText(Tip::GoesBackLater), kNotTakenNoticeMs);
}
