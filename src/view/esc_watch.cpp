#include "view/esc_watch.h"

#include "runtime/scoped.h"

namespace {

// The watch runs on a thread of its own that does nothing else, so no key
// typed anywhere ever waits for the form's thread, however busy it is. The
// thread is made once and kept, and holds the hook only while watching: each
// start and stop is a round trip to it, where a new thread cost 1.4 ms.
rt::ScopedHandle g_watchThread;
DWORD g_watchThreadId = 0;
rt::ScopedHandle g_answered;  // auto-reset: the thread did what it was asked
rt::ScopedHandle g_stop;      // set: the thread ends, whenever it reads it
bool g_hooked = false;        // written by the thread before it answers
bool g_watching = false;
HWND g_escForm = nullptr;
UINT g_escMessage = 0;
DWORD g_formThread = 0;

// Thread messages: hook the keyboard, and take the hook off.
constexpr UINT kHookOn = WM_APP, kHookOff = WM_APP + 1;

// Each answer is waited for this long; the thread never blocks, so only a
// process already falling apart would make it wait at all.
constexpr DWORD kWatchWaitMs = 2000;

// The thread's own copies: either side may be done with its copy first.
struct WatchHandles {
  HANDLE answered;
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

// Says it has a queue, then hooks and unhooks the keyboard as asked, and runs
// the loop low-level hooks are called from, until the stop is set.
DWORD WINAPI WatchKeys(LPVOID param) {
  WatchHandles* own = static_cast<WatchHandles*>(param);
  rt::ScopedHandle answered(own->answered), stop(own->stop);
  delete own;
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  SetEvent(answered.Get());
  rt::ScopedHook hook;
  const HANDLE stopHandle = stop.Get();
  while (MsgWaitForMultipleObjects(1, &stopHandle, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message != kHookOn && m.message != kHookOff) continue;
      hook.Reset(m.message == kHookOn ? SetWindowsHookExW(WH_KEYBOARD_LL, EscWatchProc, GetModuleHandleW(nullptr), 0)
                                      : nullptr);
      g_hooked = static_cast<bool>(hook);
      SetEvent(answered.Get());
    }
  }
  return 0;
}

// The copies of a thread that never started.
void Discard(WatchHandles* own) {
  if (!own) return;
  rt::ScopedHandle answered(own->answered), stop(own->stop);
  delete own;
}

HANDLE Copy(HANDLE h) {
  HANDLE copy = nullptr;
  const HANDLE self = GetCurrentProcess();
  return DuplicateHandle(self, h, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS) ? copy : nullptr;
}

// The thread ends whenever it reads the stop, and takes its hook with it.
void EndThread() {
  if (g_stop) SetEvent(g_stop.Get());
  g_watchThread.Reset();
  g_stop.Reset();
  g_answered.Reset();
}

bool Answered() {
  const HANDLE waits[] = {g_answered.Get(), g_watchThread.Get()};
  if (WaitForMultipleObjects(2, waits, FALSE, kWatchWaitMs) == WAIT_OBJECT_0) return true;
  EndThread();
  return false;
}

bool StartThread() {
  g_answered.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  g_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  WatchHandles* own = g_answered && g_stop ? new WatchHandles{Copy(g_answered.Get()), Copy(g_stop.Get())} : nullptr;
  if (own && own->answered && own->stop)
    g_watchThread.Reset(CreateThread(nullptr, 0, WatchKeys, own, 0, &g_watchThreadId));
  if (g_watchThread) return Answered();
  Discard(own);
  EndThread();
  return false;
}

// Asks the thread, made the first time, and waits until it has done it; one
// that does not answer in time is told to end, and the next ask makes another.
bool Ask(UINT what) {
  if (!g_watchThread && !StartThread()) return false;
  if (PostThreadMessageW(g_watchThreadId, what, 0, 0)) return Answered();
  EndThread();
  return false;
}

}  // namespace

void WatchEsc(HWND form, UINT message) {
  StopWatchingEsc();
  g_escForm = form;
  g_escMessage = message;
  g_formThread = GetWindowThreadProcessId(form, nullptr);
  // Watching once this returns, as a hook on the form's thread would be.
  g_watching = Ask(kHookOn) && g_hooked;
}

void StopWatchingEsc() {
  if (!g_watching) return;
  g_watching = false;
  Ask(kHookOff);
}

bool WatchingEsc() { return g_watching; }
