#include "view/esc_watch.h"

#include "runtime/scoped.h"

namespace {

// The watch runs on a thread of its own that does nothing else, so no key
// typed anywhere ever waits for the form's thread, however busy it is.
rt::ScopedHandle g_watchThread;
rt::ScopedHandle g_stop;  // set: the watch ends, whenever it reads it
HWND g_escForm = nullptr;
UINT g_escMessage = 0;
DWORD g_formThread = 0;

// Starting and stopping wait this long for the watch; it never blocks, so
// only a process already falling apart would make them wait at all.
constexpr DWORD kWatchWaitMs = 2000;

// The thread's own copies: either side may be done with its copy first.
struct WatchHandles {
  HANDLE ready;
  HANDLE stop;
};

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
      PostMessageW(g_escForm, g_escMessage, 0, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Hooks the keyboard, says so, and runs the loop low-level hooks are called
// from until the stop is set. A stop set before the hook is in ends it at once.
DWORD WINAPI WatchKeys(LPVOID param) {
  WatchHandles* own = static_cast<WatchHandles*>(param);
  rt::ScopedHandle ready(own->ready), stop(own->stop);
  delete own;
  rt::ScopedHook hook;
  hook.Reset(SetWindowsHookExW(WH_KEYBOARD_LL, EscWatchProc, GetModuleHandleW(nullptr), 0));
  if (!hook) return 1;
  SetEvent(ready.Get());
  const HANDLE stopHandle = stop.Get();
  while (MsgWaitForMultipleObjects(1, &stopHandle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  return 0;
}

// The copies of a thread that never started.
void Discard(WatchHandles* own) {
  if (!own) return;
  rt::ScopedHandle ready(own->ready), stop(own->stop);
  delete own;
}

HANDLE Copy(HANDLE h) {
  HANDLE copy = nullptr;
  const HANDLE self = GetCurrentProcess();
  return DuplicateHandle(self, h, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) ? copy : nullptr;
}

}  // namespace

void WatchEsc(HWND form, UINT message) {
  StopWatchingEsc();
  g_escForm = form;
  g_escMessage = message;
  g_formThread = GetWindowThreadProcessId(form, nullptr);
  rt::ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  g_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  WatchHandles* own = ready && g_stop ? new WatchHandles{Copy(ready.Get()), Copy(g_stop.Get())} : nullptr;
  if (own && own->ready && own->stop) g_watchThread.Reset(CreateThread(nullptr, 0, WatchKeys, own, 0, nullptr));
  if (!g_watchThread) {
    Discard(own);
    return g_stop.Reset();
  }
  // Watching once this returns, as a hook on the form's thread would be; a
  // thread that ends or is not ready by then is stopped.
  const HANDLE waits[] = {ready.Get(), g_watchThread.Get()};
  if (WaitForMultipleObjects(2, waits, FALSE, kWatchWaitMs) != WAIT_OBJECT_0) StopWatchingEsc();
}

void StopWatchingEsc() {
  if (!g_watchThread) return;
  SetEvent(g_stop.Get());
  WaitForSingleObject(g_watchThread.Get(), kWatchWaitMs);
  g_watchThread.Reset();
  g_stop.Reset();
}

bool WatchingEsc() { return static_cast<bool>(g_watchThread); }
