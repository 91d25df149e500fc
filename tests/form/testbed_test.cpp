// The helpers every GUI test relies on, checked against the stand-in target.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <windowsx.h>

#include <atomic>
#include <thread>
#include <vector>

#include "testbed.h"

using namespace testbed;

namespace {


TEST(Testbed, TargetStartsWhereAskedWithFrameAndTitle) {
  auto t = StartTarget(L"--title \"Testbed 窗口\" --x 150 --y 120 --w 360 --h 260 --children");
  ASSERT_TRUE(t);
  EXPECT_TRUE(SameRect(WindowRectOf(t->main), RECT{150, 120, 510, 380}));
  EXPECT_EQ(TextOf(t->main), L"Testbed 窗口");
  EXPECT_EQ(ClassOf(t->main), L"VistrelTarget");
  EXPECT_EQ(ParentOf(t->main), GetDesktopWindow());
  EXPECT_EQ(ParentOf(t->edit), t->main);
  EXPECT_EQ(TextOf(t->button), L"OK");
  // A caption above the client area: the virtual desktop's frames are on.
  RECT client = ClientRectInScreen(t->main);
  EXPECT_GT(client.top - 120, 10);
  EXPECT_EQ(SendMessageW(t->main, kMsgTargetPid, 0, 0), static_cast<LRESULT>(t->pid));
  StopTarget(*t);
}

TEST(Testbed, RealInputMovesPointerDragsCaptionAndTypes) {
  auto t = StartTarget(L"--x 200 --y 200 --w 360 --h 260 --children");
  ASSERT_TRUE(t);

  for (POINT p : {POINT{0, 0}, POINT{641, 333}, POINT{1279, 1023}}) {
    MoveMouse(p);
    POINT at{};
    GetCursorPos(&at);
    EXPECT_EQ(at.x, p.x);
    EXPECT_EQ(at.y, p.y);
  }

  // Dragging the caption moves the window by as much as the pointer moved.
  RECT before = WindowRectOf(t->main);
  POINT grip{before.left + 60, (before.top + ClientRectInScreen(t->main).top) / 2};
  Drag(grip, {grip.x + 90, grip.y + 50}, 10);
  EXPECT_TRUE(WaitUntil([&] { return WindowRectOf(t->main).left == before.left + 90; }, 3000));
  EXPECT_EQ(WindowRectOf(t->main).top, before.top + 50);

  ClickWindow(t->edit);
  TypeText(L"abc 12中");
  EXPECT_TRUE(WaitUntil([&] { return TextOf(t->edit) == L"abc 12中"; }, 3000))
      << "edit holds: " << testing::PrintToString(TextOf(t->edit));
  PressKey(VK_BACK);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(t->edit) == L"abc 12"; }, 3000));
  StopTarget(*t);
}

std::vector<POINT> g_seen;  // pointer positions a capturing window was told of

LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) SetCapture(h);
  if (msg == WM_LBUTTONUP) ReleaseCapture();
  if (msg == WM_MOUSEMOVE) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(h, &p);
    g_seen.push_back(p);
  }
  return DefWindowProcW(h, msg, wp, lp);
}

// Under Wine a move from a window onto the bare desktop could echo back to
// the old place; a picker then sees the old window once more.
TEST(Testbed, DragIsSeenWithoutMovesBackToEarlierPlaces) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"TestbedRecorder";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           400, 300, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(w);
  Pump(100);
  MoveMouse(CenterOf(w));
  MouseDown();
  ASSERT_TRUE(WaitUntil([&] { return GetCapture() == w; }, 3000));
  for (int i = 0; i < 8; ++i) {
    for (POINT p : {POINT{450 + i * 25, 350 + i * 10}, POINT{40 + i * 60, 700 + i * 20}}) {
      g_seen.clear();
      MoveMouse(p);
      WaitUntil([&] { return !g_seen.empty() && g_seen.back().x == p.x && g_seen.back().y == p.y; },
                2000);
      Pump(30);
      for (POINT s : g_seen)
        EXPECT_TRUE(s.x == p.x && s.y == p.y) << "moved to " << p.x << "," << p.y << ", also saw "
                                              << s.x << "," << s.y;
    }
  }
  MouseUp();
  DestroyWindow(w);
}

TEST(Testbed, FindsReadsAndClosesMessageBox) {
  ExpectMessageBoxes expected;
  int result = 0;
  std::thread shower([&] { result = MessageBoxW(nullptr, L"Body text", L"Testbed box", MB_OK); });
  HWND box = FindMessageBox(L"Testbed box", 5000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box), L"Body text");
  EXPECT_TRUE(CloseMessageBox(box));
  shower.join();
  EXPECT_EQ(result, IDOK);
}

TEST(Testbed, TargetEndsWhenClosedOrWhenHostDestroysItsWindow) {
  auto closed = StartTarget();
  ASSERT_TRUE(closed);
  EXPECT_TRUE(ProcessAlive(*closed));
  HANDLE process = closed->process;
  PostMessageW(closed->main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(process, 5000), std::optional<DWORD>(0));
  StopTarget(*closed);

  auto embedded = StartTarget();
  ASSERT_TRUE(embedded);
  HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 100,
                              400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(host);
  SetParent(embedded->main, host);
  EXPECT_EQ(ParentOf(embedded->main), host);
  DestroyWindow(host);
  EXPECT_EQ(WaitExit(embedded->process, 5000), std::optional<DWORD>(0));
  StopTarget(*embedded);
}

// A test that fails before stopping its target must not leave the window
// in the way of the next test, nor keep ctest waiting on the process.
TEST(Testbed, ProcessesATestStartedEndWithIt) {
  auto t = StartTarget();
  ASSERT_TRUE(t);
  EndTestProcesses();  // what the test bed does as each test ends
  EXPECT_EQ(WaitForSingleObject(t->process, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(t->process);
}

// A box no test asked for is closed and fails the test, instead of holding
// it until ctest gives up without naming it.
TEST(Testbed, UnaskedMessageBoxFailsTheTestAndIsClosed) {
  // Should the guard not act, the box still goes after a while, and no failure is seen.
  std::atomic<bool> returned{false};
  std::thread backstop([&] {
    for (int i = 0; i < 150 && !returned; ++i) Sleep(100);
    if (HWND box = returned ? nullptr : FindWindowW(L"#32770", L"Surprise")) PostMessageW(box, WM_CLOSE, 0, 0);
  });
  EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(MessageBoxW(nullptr, L"Nobody asked", L"Surprise", MB_OK),
                                         "Nobody asked");
  returned = true;
  backstop.join();
}

// Runs in the exe's second pass under zh_CN.UTF-8 (see tests/CMakeLists.txt).
TEST(TestbedCp936, TargetTakesAnsiTitleInChineseCodePage) {
  EXPECT_EQ(GetACP(), 936u);
  auto t = StartTarget(L"--ansi-title B4B0BFDA");  // "窗口" in GBK
  ASSERT_TRUE(t);
  EXPECT_EQ(TextOf(t->main), L"窗口");
  StopTarget(*t);
}

}  // namespace
