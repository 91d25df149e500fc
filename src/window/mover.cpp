#include "window/mover.h"

#include <cstring>

#include "runtime/scoped.h"

namespace {

enum class Kind : BYTE { Place, Restyle, Show };

struct Request {
  Kind kind;
  HWND window;
  int a, b, c, d;  // Place: x, y, width, height; Restyle: index; Show: command
  UINT flags;
  LONG_PTR value;
};

// Requests replace their own kind per window, so this holds every held
// window's requests at once.
constexpr int kMostWaiting = 128;
// How long Stop lets the mover finish; only a request on a busy program lasts.
constexpr DWORD kStopMs = 1000;

SRWLOCK g_lock = SRWLOCK_INIT;
// Made once, with the first mover: a zeroed static array would cost the exe its size.
Request* g_waiting = nullptr;
int g_count = 0;
bool g_running = false, g_stopping = false;
DWORD g_threadId = 0;
rt::ScopedHandle g_thread;
rt::ScopedHandle g_wake;

// `ours`: a window of the calling thread, acted on at once and in full.
void CarryOut(const Request& r, bool ours) {
  switch (r.kind) {
    case Kind::Place:
      SetWindowPos(r.window, nullptr, r.a, r.b, r.c, r.d, ours ? r.flags & ~SWP_ASYNCWINDOWPOS : r.flags);
      break;
    case Kind::Restyle:
      SetWindowLongPtrW(r.window, r.a, r.value);
      break;
    case Kind::Show:
      ours ? ShowWindow(r.window, r.a) : ShowWindowAsync(r.window, r.a);
      break;
  }
}

DWORD WINAPI Run(LPVOID) {
  for (;;) {
    WaitForSingleObject(g_wake.Get(), INFINITE);
    for (;;) {
      AcquireSRWLockExclusive(&g_lock);
      if (!g_count) {
        // Deciding to end under the lock: a request handed over after this starts a new mover.
        const bool end = g_stopping;
        if (end) g_running = false;
        ReleaseSRWLockExclusive(&g_lock);
        if (end) return 0;
        break;
      }
      const Request r = g_waiting[0];
      std::memmove(g_waiting, g_waiting + 1, --g_count * sizeof(Request));
      ReleaseSRWLockExclusive(&g_lock);
      CarryOut(r, false);
    }
  }
}

bool Hand(const Request& r) {
  if (GetWindowThreadProcessId(r.window, nullptr) == GetCurrentThreadId()) return CarryOut(r, true), true;
  AcquireSRWLockExclusive(&g_lock);
  if (!g_waiting) g_waiting = static_cast<Request*>(HeapAlloc(GetProcessHeap(), 0, kMostWaiting * sizeof(Request)));
  // The one this replaces goes, and the newest takes its turn behind the rest.
  for (int i = 0; i < g_count; ++i)
    if (g_waiting[i].kind == r.kind && g_waiting[i].window == r.window &&
        (r.kind != Kind::Restyle || g_waiting[i].a == r.a)) {
      std::memmove(g_waiting + i, g_waiting + i + 1, (g_count - i - 1) * sizeof(Request));
      --g_count;
      break;
    }
  bool handed = g_waiting && g_count < kMostWaiting;
  if (handed) g_waiting[g_count++] = r;
  if (handed && !g_running) {
    if (!g_wake) g_wake.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    g_stopping = false;
    g_thread.Reset(g_wake ? CreateThread(nullptr, 0, Run, nullptr, 0, &g_threadId) : nullptr);
    g_running = handed = static_cast<bool>(g_thread);
    if (!handed) --g_count;
  }
  ReleaseSRWLockExclusive(&g_lock);
  if (handed) SetEvent(g_wake.Get());
  return handed;
}

}  // namespace

namespace mover {

bool Place(HWND window, int x, int y, int width, int height, UINT flags) {
  return Hand({Kind::Place, window, x, y, width, height, flags | SWP_ASYNCWINDOWPOS, 0});
}

bool Restyle(HWND window, int index, LONG_PTR value) {
  return Hand({Kind::Restyle, window, index, 0, 0, 0, 0, value});
}

bool Show(HWND window, int command) { return Hand({Kind::Show, window, command, 0, 0, 0, 0, 0}); }

void Stop() {
  AcquireSRWLockExclusive(&g_lock);
  const bool running = g_running;
  g_stopping = true;
  const HANDLE thread = g_thread.Get();
  const bool self = g_threadId == GetCurrentThreadId();
  ReleaseSRWLockExclusive(&g_lock);
  if (!running) return;
  SetEvent(g_wake.Get());
  // A fault on the mover itself gives back from there: it cannot wait for itself.
  if (!self) WaitForSingleObject(thread, kStopMs);
}

}  // namespace mover
