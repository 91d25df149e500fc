#include "view/fullscreen.h"

#include "runtime/convert.h"
#include "form/frmMain.h"
#include "runtime/scoped.h"

namespace {

// The watch runs on a thread of its own that does nothing else, so no key
// typed anywhere ever waits for the form's thread, however busy it is.
rt::ScopedHandle g_watchThread;
DWORD g_watchThreadId = 0;
HWND g_escForm = nullptr;
DWORD g_formThread = 0;

// Stopping waits this long for the watch to take its hook off; it never
// blocks, so only a process already falling apart would make it wait at all.
constexpr DWORD kWatchEndMs = 2000;

std::optional<int32_t> ExtentPlus(LONG from, LONG to, int32_t allowance) {
  const int64_t sum = static_cast<int64_t>(to) - from + allowance;
  if (to <= from || sum > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(sum);
}

// The window a key typed now goes to: the focus of the foreground thread.
HWND KeyboardTarget(HWND foreground) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(foreground, nullptr);
  return GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : foreground;
}

// Keys bound for the form's own thread reach its key preview; only Esc bound
// for another thread's window inside the active form is posted. It only
// decides and posts: a hook that keeps a key waiting is dropped by Windows.
LRESULT CALLBACK EscWatchProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == WM_KEYDOWN && reinterpret_cast<KBDLLHOOKSTRUCT*>(lp)->vkCode == VK_ESCAPE) {
    const HWND foreground = GetForegroundWindow();
    if (foreground && GetAncestor(foreground, GA_ROOT) == g_escForm &&
        GetWindowThreadProcessId(KeyboardTarget(foreground), nullptr) != g_formThread)
      PostMessageW(g_escForm, kMsgEscInProgram, 0, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// The watch thread: hooks the keyboard, says so, and runs the loop that low-level
// hooks are called from until it is told to quit. Without a hook it just ends.
DWORD WINAPI WatchKeys(LPVOID ready) {
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // a queue, so the quit can be posted at once
  rt::ScopedHook hook;
  hook.Reset(SetWindowsHookExW(WH_KEYBOARD_LL, EscWatchProc, GetModuleHandleW(nullptr), 0));
  if (!hook) return 1;
  SetEvent(ready);
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

}  // namespace

std::optional<int32_t> FullScreenWidth(const RECT& monitor) { return ExtentPlus(monitor.left, monitor.right, 4); }
std::optional<int32_t> FullScreenHeight(const RECT& monitor) { return ExtentPlus(monitor.top, monitor.bottom, 3); }

void WatchEsc(HWND form) {
  StopWatchingEsc();
  g_escForm = form;
  g_formThread = GetWindowThreadProcessId(form, nullptr);
  rt::ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready) return;
  g_watchThread.Reset(CreateThread(nullptr, 0, WatchKeys, ready.Get(), 0, &g_watchThreadId));
  if (!g_watchThread) return;
  // Watching once this returns, as the hook on the form's thread was; a
  // thread that ends or is not ready by then has no hook to keep.
  const HANDLE waits[] = {ready.Get(), g_watchThread.Get()};
  if (WaitForMultipleObjects(2, waits, FALSE, kWatchEndMs) != WAIT_OBJECT_0) StopWatchingEsc();
}

void StopWatchingEsc() {
  if (!g_watchThread) return;
  PostThreadMessageW(g_watchThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_watchThread.Get(), kWatchEndMs);
  g_watchThread.Reset();
}

bool WatchingEsc() { return static_cast<bool>(g_watchThread); }

void frmMain::Command6_Click() { fullscreen(); }

void frmMain::Form_KeyPress(int& KeyAscii) {
  if (KeyAscii == 27) smallscreen();
}

// Esc typed into the embedded program; it may come after full screen was left.
void frmMain::Form_EscInProgram() {
  if (WatchingEsc()) smallscreen();
}

// Errors ignored: a step that fails is skipped and the next one runs.
void frmMain::fullscreen() {
  Hide();
  Picture3.SetVisible(false);
  Command1.SetVisible(false);
  Command2.SetVisible(false);
  Command3.SetVisible(false);
  Command4.SetVisible(false);
  Command5.SetVisible(false);
  Command6.SetVisible(false);
  cmdTransfer.SetVisible(false);
  Check1.SetVisible(false);
  Label4.SetVisible(false);
  Text2.SetVisible(false);
  SavedFormWidth = Width();
  SavedFormHeight = Height();
  SavedPicWidth = Picture4.Width();
  SavedPicHeight = Picture4.Height();
  SavedPicTop = Picture4.Top();
  SavedPicLeft = Picture4.Left();
  FullScreenSaved = true;
  Picture4.SetTop(0);
  Picture4.SetLeft(0);
  // The monitor that holds the tool, which need not be the primary one.
  const RECT monitor = rt::MonitorOf(hWnd());
  if (const auto w = FullScreenWidth(monitor)) Picture4.SetWidth(static_cast<float>(*w));
  if (const auto h = FullScreenHeight(monitor)) Picture4.SetHeight(static_cast<float>(*h));
  SetBorderStyle(0);
  SetCaption(Caption());
  SetWindowState(2);
  FitTarget();
  Show();
  WatchEsc(hWnd());
}

// Errors ignored, as above. Before the first full screen there is no saved
// view to return to, so Esc then does nothing.
void frmMain::smallscreen() {
  StopWatchingEsc();
  if (!FullScreenSaved) return;
  SetBorderStyle(2);
  SetCaption(Caption());
  SetWindowState(0);
  // The form and the box are placed once, when all their sizes are set.
  rt::LayoutBatch layout(*this);
  SetWidth(SavedFormWidth);
  SetHeight(SavedFormHeight);
  Picture3.SetVisible(true);
  Command1.SetVisible(true);
  Command2.SetVisible(true);
  Command3.SetVisible(true);
  Command4.SetVisible(true);
  Command5.SetVisible(true);
  Command6.SetVisible(true);
  cmdTransfer.SetVisible(true);
  Label4.SetVisible(true);
  Text2.SetVisible(true);
  Check1.SetVisible(true);
  Picture4.SetTop(SavedPicTop);
  Picture4.SetLeft(SavedPicLeft);
  Picture4.SetWidth(SavedPicWidth);
  Picture4.SetHeight(SavedPicHeight);
  FitTarget();
}
