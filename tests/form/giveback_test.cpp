// Giving a window back where and as it was, by every road back, and never
// touching a window the tool does not hold. Every SetWindowPos the tool makes
// on the stand-in's windows is noted at the system call (import redirection)
// with the thread that made it: none may come from the form's thread.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "form/frmMain.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr DWORD kWaitMs = 10000;
constexpr wchar_t kArgs[] = L"--x 700 --y 520 --w 360 --h 300 --children";

// What "back as it was" compares, read with the system's own calls.
struct Seen {
  HWND parent;
  RECT rect;  // screen pixels
  bool maximized;
  LONG_PTR style, exStyle;
  bool operator==(const Seen& o) const {
    return parent == o.parent && SameRect(rect, o.rect) && maximized == o.maximized && style == o.style &&
           exStyle == o.exStyle;
  }
};

Seen Look(HWND h) {
  return {ParentOf(h), WindowRectOf(h), IsZoomed(h) != FALSE, GetWindowLongPtrW(h, GWL_STYLE),
          GetWindowLongPtrW(h, GWL_EXSTYLE)};
}

std::string Describe(const Seen& s) {
  char buf[160];
  snprintf(buf, sizeof buf, "parent %p (%ld,%ld)-(%ld,%ld) max %d style %llx ex %llx", static_cast<void*>(s.parent),
           s.rect.left, s.rect.top, s.rect.right, s.rect.bottom, s.maximized,
           static_cast<unsigned long long>(s.style), static_cast<unsigned long long>(s.exStyle));
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

// Notes the moves of the window while it lives.
struct Noting {
  explicit Noting(HWND h) {
    g_moves.clear();
    g_watched = h;
    g_real = reinterpret_cast<decltype(&SetWindowPos)>(
        RedirectImport("SetWindowPos", reinterpret_cast<void*>(&NotedSetWindowPos)));
  }
  ~Noting() {
    RedirectImport("SetWindowPos", reinterpret_cast<void*>(g_real));
    g_watched = nullptr;
  }
  // How many moves, and how many of them from this (the form's) thread.
  std::pair<size_t, size_t> Counts() {
    std::lock_guard<std::mutex> hold(g_lock);
    size_t here = 0;
    for (DWORD t : g_moves) here += t == GetCurrentThreadId();
    return {g_moves.size(), here};
  }
};

bool InBox(HWND h, frmMain& f) { return ParentOf(h) == f.picBox.hWnd(); }

void Hang(const Target& t) {
  PostMessageW(t.main, kMsgTargetHang, 1500, 0);
  WaitUntil([&] { return !Answers(t, 20); }, 2000);
}

enum class Road { GiveBack, Close, BusyThenTake, BusyThenClose };

TEST(GiveBack, EveryRoadBackPutsTheWindowWhereAndAsItWas) {
  const struct {
    const char* what;
    const wchar_t* extra;
    bool button;
  } windows[] = {{"a normal window", L"", false},
                 {"a maximised window", L" --maximized", false},
                 {"a child control", L"", true}};
  const struct {
    const char* what;
    Road road;
  } roads[] = {{"还原", Road::GiveBack},
               {"closing", Road::Close},
               {"还原 on a busy program, overtaken by 传输", Road::BusyThenTake},
               {"还原 on a busy program, overtaken by closing", Road::BusyThenClose}};
  for (const auto& w : windows)
    for (const auto& r : roads) {
      SCOPED_TRACE(std::string(w.what) + ", " + r.what);
      auto t = StartTarget(std::wstring(kArgs) + w.extra);
      ASSERT_TRUE(t);
      const HWND h = w.button ? t->button : t->main;
      const Seen before = Look(h);
      Noting noting(h);
      auto form = OpenForm();
      frmMain& f = *form;
      f.RecordPick(h);
      f.OnTake();
      ASSERT_TRUE(WaitUntil([&] { return InBox(h, f) && WidthOf(WindowRectOf(h)) == 324; }, kWaitMs));
      f.OnZoomIn();
      EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(h)) == 344; }, kWaitMs));
      if (r.road == Road::BusyThenTake || r.road == Road::BusyThenClose) {
        Hang(*t);
        f.OnGiveBack();
        EXPECT_EQ(f.GivingBack(), h);
      }
      if (r.road == Road::BusyThenTake) {
        f.OnTake();  // not taken while busy, and the pending give-back is dropped
        EXPECT_TRUE(WaitUntil([&] { return Answers(*t, 100); }, kWaitMs));
        Pump(300);
        EXPECT_TRUE(InBox(h, f)) << "the overtaken give-back fired";
      }
      if (r.road == Road::GiveBack || r.road == Road::BusyThenTake) {
        f.OnGiveBack();
        EXPECT_TRUE(WaitUntil([&] { return !InBox(h, f); }, kWaitMs));
      } else {
        f.Close();
        form.reset();
      }
      EXPECT_TRUE(WaitUntil([&] { return Look(h) == before; }, kWaitMs))
          << "before " << Describe(before) << "\nnow    " << Describe(Look(h));
      const auto [moves, fromForm] = noting.Counts();
      EXPECT_GE(moves, 3u) << "the fit, the zoom and the placement";
      EXPECT_EQ(fromForm, 0u) << "moves made from the form's thread";
      form.reset();
      StopTarget(*t);
    }
}

// "+", "全屏", Esc and "还原" on a window the tool does not hold: only picked,
// left alone because its class breaks when moved, or given back already.
// The window stays where and as it was; the box still grows.
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
    const Seen before = Look(t->main);
    EXPECT_EQ(before.parent, GetDesktopWindow());
    const int box = WidthOf(WindowRectOf(f.picBox.hWnd()));
    f.OnZoomIn();
    EXPECT_EQ(WidthOf(WindowRectOf(f.picBox.hWnd())), box + 20);
    f.EnterFullScreen();
    f.LeaveFullScreen();  // what Esc does
    f.OnGiveBack();
    Pump(500);
    EXPECT_TRUE(Look(t->main) == before) << "before " << Describe(before) << "\nnow    " << Describe(Look(t->main));
    form.reset();
    StopTarget(*t);
  }
}

}  // namespace
