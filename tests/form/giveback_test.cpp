// Giving a window back where and as it was, by every road back, and never
// touching a window the tool does not hold. Each SetWindowPos the tool makes
// on the stand-in's window is noted at the system call (import redirection)
// with its thread: none may come from the form's.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "form/frmMain.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr wchar_t kArgs[] = L"--x 700 --y 520 --w 360 --h 300 --children";

// "As it was", read with the system's own calls; screen pixels.
std::string Look(HWND h) {
  const RECT r = WindowRectOf(h);
  char buf[160];
  snprintf(buf, sizeof buf, "parent %p (%ld,%ld)-(%ld,%ld) max %d style %llx ex %llx", static_cast<void*>(ParentOf(h)),
           r.left, r.top, r.right, r.bottom, IsZoomed(h),
           static_cast<unsigned long long>(GetWindowLongPtrW(h, GWL_STYLE)),
           static_cast<unsigned long long>(GetWindowLongPtrW(h, GWL_EXSTYLE)));
  return buf;
}

std::mutex g_lock;
HWND g_watched;
std::vector<DWORD> g_moves;  // the thread of each SetWindowPos on g_watched
decltype(&SetWindowPos) g_real;

BOOL WINAPI NotedSetWindowPos(HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
  if (h == g_watched) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_moves.push_back(GetCurrentThreadId());
  }
  return g_real(h, after, x, y, cx, cy, flags);
}

bool InBox(HWND h, frmMain& f) { return ParentOf(h) == f.picBox.hWnd(); }

enum class Road { GiveBack, Close, BusyThenTake, BusyThenClose };

TEST(GiveBack, EveryRoadBackPutsTheWindowWhereAndAsItWas) {
  const struct {
    const char* what;
    const wchar_t* extra;
    bool button;
  } windows[] = {{"a normal window", L"", false}, {"a maximised window", L" --maximized", false},
                 {"a child control", L"", true}};
  const struct {
    const char* what;
    Road road;
  } roads[] = {{"还原", Road::GiveBack}, {"closing", Road::Close},
               {"还原 on a busy program, overtaken by 传输", Road::BusyThenTake},
               {"还原 on a busy program, overtaken by closing", Road::BusyThenClose}};
  g_real = reinterpret_cast<decltype(&SetWindowPos)>(
      RedirectImport("SetWindowPos", reinterpret_cast<void*>(&NotedSetWindowPos)));
  for (const auto& w : windows)
    for (const auto& r : roads) {
      SCOPED_TRACE(std::string(w.what) + ", " + r.what);
      auto t = StartTarget(std::wstring(kArgs) + w.extra);
      ASSERT_TRUE(t);
      const HWND h = w.button ? t->button : t->main;
      const std::string before = Look(h);
      g_watched = h;
      g_moves.clear();
      auto form = OpenForm();
      frmMain& f = *form;
      f.RecordPick(h);
      f.OnTake();
      ASSERT_TRUE(WaitUntil([&] { return InBox(h, f) && WidthOf(WindowRectOf(h)) == 324; }, kWaitMs));
      // Style words the program changes while held come back too.
      SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) ^ WS_MAXIMIZEBOX);
      SetWindowLongPtrW(h, GWL_EXSTYLE, GetWindowLongPtrW(h, GWL_EXSTYLE) ^ WS_EX_ACCEPTFILES);
      f.OnZoomIn();
      EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(h)) == 344; }, kWaitMs));
      if (r.road == Road::BusyThenTake || r.road == Road::BusyThenClose) {
        PostMessageW(t->main, kMsgTargetHang, 1500, 0);
        WaitUntil([&] { return !Answers(*t, 20); }, 2000);
        f.OnGiveBack();
        EXPECT_EQ(f.GivingBack(), h);
      }
      if (r.road == Road::BusyThenTake) {
        f.OnTake();  // not taken while busy; the give-back it overtakes never fires
        EXPECT_TRUE(WaitUntil([&] { return Answers(*t, 100); }, kWaitMs));
        Pump(300);
        EXPECT_TRUE(InBox(h, f));
      }
      if (r.road == Road::GiveBack || r.road == Road::BusyThenTake) {
        f.OnGiveBack();
      } else {
        f.Close();
        form.reset();
      }
      EXPECT_TRUE(WaitUntil([&] { return Look(h) == before; }, kWaitMs)) << "before " << before << "\nnow    " << Look(h);
      form.reset();
      StopTarget(*t);
      std::lock_guard<std::mutex> hold(g_lock);
      EXPECT_GE(g_moves.size(), 3u) << "the fit, the zoom and the placement";
      for (DWORD thread : g_moves) EXPECT_NE(thread, GetCurrentThreadId()) << "a move from the form's thread";
    }
  RedirectImport("SetWindowPos", reinterpret_cast<void*>(g_real));
}

// "+", "全屏", Esc and "还原" on a window the tool does not hold leave it where
// and as it was; the box still grows.
TEST(GiveBack, AWindowNotHeldIsNeverTouched) {
  const struct {
    const char* what;
    const wchar_t* extra;
    bool take, giveBack;
  } rows[] = {{"only picked", L"", false, false},
              {"left alone", L" --class ApplicationFrameWindow", true, false},
              {"given back", L"", true, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto t = StartTarget(std::wstring(kArgs) + row.extra);
    ASSERT_TRUE(t);
    auto form = OpenForm();
    frmMain& f = *form;
    f.RecordPick(t->main);
    if (row.take) f.OnTake();
    if (row.giveBack) f.OnGiveBack();
    Pump(300);
    const std::string before = Look(t->main);
    const int box = WidthOf(WindowRectOf(f.picBox.hWnd()));
    f.OnZoomIn();
    EXPECT_EQ(WidthOf(WindowRectOf(f.picBox.hWnd())), box + 20);
    f.EnterFullScreen();
    f.LeaveFullScreen();  // what Esc does
    f.OnGiveBack();
    Pump(500);
    EXPECT_EQ(Look(t->main), before);
    EXPECT_EQ(ParentOf(t->main), GetDesktopWindow());
  }
}

}  // namespace
