#include "view/embed.h"

#include <csignal>
#include <cstring>

#include "view/esc_watch.h"
#include "view/forwarding.h"
#include "window/Window.h"

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

HWND GiveBackParent(HWND window, HWND recorded) {
  const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
  return !child && recorded && recorded == GetWindow(window, GW_OWNER) ? nullptr : recorded;
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

RECT ClientAreaIn(HWND window, HWND box) {
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, box, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

void FitToBox(HWND window, int width, int height, const std::optional<Insets>& crop) {
  Placement at{0, 0, width, height};
  RECT outer;
  // Reading a window's rectangles asks its program nothing.
  if (crop && GetWindowRect(window, &outer)) {
    if (const auto cropped = CroppedPlacement(outer, ClientAreaIn(window, nullptr), *crop, width, height))
      at = *cropped;
  }
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    return (void)MoveWindow(window, at.x, at.y, at.width, at.height, TRUE);
  SetWindowPos(window, nullptr, at.x, at.y, at.width, at.height, SWP_ASYNCWINDOWPOS | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// How long a take waits for a program to show it answers; a program that
// does not would hold up the tool once its window is inside.
constexpr UINT kAnswerMs = 200;

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

// What WhenAnswers posts; the callback is told only the WM_NULL it answers.
UINT g_answerMessage = 0;

// On the caller's thread, once the program has answered the WM_NULL.
void CALLBACK ProgramAnswered(HWND window, UINT, ULONG_PTR notify, LRESULT) {
  PostMessageW(reinterpret_cast<HWND>(notify), g_answerMessage, reinterpret_cast<WPARAM>(window), 0);
}

}  // namespace

bool Answers(HWND window, UINT ms) {
  DWORD_PTR ignored = 0;
  if (!IsWindow(window) || SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &ignored))
    return true;
  // A program above us in privilege never gets our messages; re-parenting it will say why.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

void WhenAnswers(HWND window, HWND notify, UINT message) {
  g_answerMessage = message;
  SendMessageCallbackW(window, WM_NULL, 0, 0, ProgramAnswered, reinterpret_cast<ULONG_PTR>(notify));
}

TakeResult TakeIntoBox(HWND window, HWND box) {
  if (BreaksWhenMoved(window)) return {TakeOutcome::BreaksWhenMoved, 0};
  if (!Answers(window, kAnswerMs)) return {TakeOutcome::NotResponding, 0};
  const HWND origin = GetAncestor(window, GA_PARENT);
  if (!SetParent(window, box)) {
    const DWORD error = GetLastError();
    // A handle that names no window has nothing to keep safe and nothing to say.
    return {IsWindow(window) ? TakeOutcome::Refused : TakeOutcome::NoWindow, error};
  }
  RememberOrigin(window, origin);
  forwarding::Install(window);
  return {TakeOutcome::Taken, 0};
}
