// The mover at the system call: SetWindowPos, redirected in this exe's import
// table, notes the thread, width and flags of each call on the watched window.
#include "window/mover.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "testbed.h"

using namespace testbed;

namespace {

struct Call {
  DWORD thread;
  int width;
  bool async;
};
std::mutex g_lock;
std::vector<Call> g_calls;
HWND g_watched;
HANDLE g_gate;  // the first call made off the test's thread waits for it
DWORD g_testThread;
decltype(&SetWindowPos) g_real;

BOOL WINAPI NotedSetWindowPos(HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
  if (h == g_watched) {
    std::unique_lock<std::mutex> hold(g_lock);
    g_calls.push_back({GetCurrentThreadId(), cx, (flags & SWP_ASYNCWINDOWPOS) != 0});
    const bool first = g_calls.size() == 1;
    hold.unlock();
    if (first && GetCurrentThreadId() != g_testThread) WaitForSingleObject(g_gate, 10000);
  }
  return g_real(h, after, x, y, cx, cy, flags);
}

// Three widths asked quickly while the first is still being carried out:
// another program's window gets the first and the last, from the mover's
// thread and asynchronously, and Stop meanwhile returns within its bound;
// a window of this thread gets all three at once, here.
TEST(Mover, MovesFromItsOwnThreadAndTheLastSizeWins) {
  auto target = StartTarget(L"--x 700 --y 500 --w 300 --h 200");
  ASSERT_TRUE(target);
  g_testThread = GetCurrentThreadId();
  const HWND ours = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 60, 500, 300, 200, nullptr, nullptr,
                                    nullptr, nullptr);
  g_real = reinterpret_cast<decltype(&SetWindowPos)>(
      RedirectImport("SetWindowPos", reinterpret_cast<void*>(&NotedSetWindowPos)));
  ASSERT_TRUE(g_real);
  for (const HWND h : {target->main, ours}) {
    const bool other = h == target->main;
    SCOPED_TRACE(other ? "another program's window" : "a window of this thread");
    g_calls.clear();
    g_watched = h;
    g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    mover::Place(h, 10, 20, 200, 150, SWP_NOZORDER);
    ASSERT_TRUE(WaitUntil([] { std::lock_guard<std::mutex> hold(g_lock); return !g_calls.empty(); }, 5000));
    mover::Place(h, 10, 20, 210, 150, SWP_NOZORDER);
    mover::Place(h, 10, 20, 220, 150, SWP_NOZORDER);
    const ULONGLONG before = GetTickCount64();
    mover::Stop();
    EXPECT_LT(GetTickCount64() - before, 3000u) << "Stop waited for a stuck request";
    SetEvent(g_gate);
    EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(h)) == 220; }, 5000));
    std::lock_guard<std::mutex> hold(g_lock);
    const std::vector<int> want = other ? std::vector<int>{200, 220} : std::vector<int>{200, 210, 220};
    ASSERT_EQ(g_calls.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(g_calls[i].width, want[i]) << i;
      EXPECT_EQ(g_calls[i].thread != GetCurrentThreadId(), other) << i;
      EXPECT_EQ(g_calls[i].async, other) << i;
    }
    CloseHandle(g_gate);
  }
  RedirectImport("SetWindowPos", reinterpret_cast<void*>(g_real));
  DestroyWindow(ours);
  StopTarget(*target);
}

}  // namespace
