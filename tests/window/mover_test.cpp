// The mover against the system call itself: SetWindowPos redirected in this
// exe's import table notes the thread and arguments of every call.
#include "window/mover.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "testbed.h"

using namespace testbed;

namespace {

struct Call {
  DWORD thread;
  int width, height;
  UINT flags;
};

std::mutex g_lock;
std::vector<Call> g_calls;
HWND g_watched;
HANDLE g_gate;  // while unsignalled, the first call off the test's thread waits here
DWORD g_testThread;
decltype(&SetWindowPos) g_realSetWindowPos;

BOOL WINAPI NotedSetWindowPos(HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
  if (h == g_watched) {
    bool first;
    {
      std::lock_guard<std::mutex> hold(g_lock);
      g_calls.push_back({GetCurrentThreadId(), cx, cy, flags});
      first = g_calls.size() == 1;
    }
    if (first && GetCurrentThreadId() != g_testThread) WaitForSingleObject(g_gate, 10000);
  }
  return g_realSetWindowPos(h, after, x, y, cx, cy, flags);
}

size_t CallCount() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_calls.size();
}

// Three sizes asked quickly, the first still being carried out when the
// others come: another thread's window gets the first and the last, from the
// mover's thread and without waiting; our own thread's window gets all three
// at once. Stop meanwhile returns within its bound and leaves the last to run.
TEST(Mover, MovesOtherThreadsWindowsFromItsOwnThreadAndTheLastSizeWins) {
  auto target = StartTarget(L"--x 700 --y 500 --w 300 --h 200");
  ASSERT_TRUE(target);
  const HWND ours = CreateWindowExW(0, L"STATIC", L"ours", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 500, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(ours);
  g_testThread = GetCurrentThreadId();
  g_realSetWindowPos = reinterpret_cast<decltype(&SetWindowPos)>(
      RedirectImport("SetWindowPos", reinterpret_cast<void*>(&NotedSetWindowPos)));
  ASSERT_TRUE(g_realSetWindowPos);
  const struct {
    const char* what;
    HWND window;
    bool fromMover;
  } rows[] = {{"another program's window", target->main, true}, {"a window of this thread", ours, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    g_calls.clear();
    g_watched = row.window;
    g_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    mover::Place(row.window, 10, 20, 200, 150, flags);
    ASSERT_TRUE(WaitUntil([] { return CallCount() == 1; }, 5000));
    mover::Place(row.window, 10, 20, 210, 160, flags);
    mover::Place(row.window, 10, 20, 220, 170, flags);
    const ULONGLONG before = GetTickCount64();
    mover::Stop();
    EXPECT_LT(GetTickCount64() - before, 3000u) << "Stop waited for a stuck request";
    SetEvent(g_gate);
    EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(row.window)) == 220; }, 5000));
    std::lock_guard<std::mutex> hold(g_lock);
    const std::vector<SIZE> want = row.fromMover ? std::vector<SIZE>{{200, 150}, {220, 170}}
                                                 : std::vector<SIZE>{{200, 150}, {210, 160}, {220, 170}};
    ASSERT_EQ(g_calls.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      const Call& c = g_calls[i];
      EXPECT_EQ(c.width, want[i].cx) << i;
      EXPECT_EQ(c.height, want[i].cy) << i;
      EXPECT_EQ(c.thread != GetCurrentThreadId(), row.fromMover) << i;
      EXPECT_EQ((c.flags & SWP_ASYNCWINDOWPOS) != 0, row.fromMover) << i;
      EXPECT_EQ(c.flags & flags, flags) << i;
    }
    g_watched = nullptr;
    CloseHandle(g_gate);
    g_gate = nullptr;
  }
  RedirectImport("SetWindowPos", reinterpret_cast<void*>(g_realSetWindowPos));
  DestroyWindow(ours);
  StopTarget(*target);
}

}  // namespace
