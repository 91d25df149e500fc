// Where a given-back window goes, and a round trip with another program's
// windows: noted, taken into a window of ours, sized, given back, put back.
#include "view/placement.h"

#include <gtest/gtest.h>

#include "testbed.h"
#include "window/mover.h"

using namespace testbed;

namespace {

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

TEST(Placement, OnNoMonitorAnyMoreItGoesInsideTheNearestWorkArea) {
  // A 1280x1024 primary with a taskbar at its foot, a 1024x768 monitor to its right.
  const MonitorArea two[] = {{{0, 0, 1280, 1024}, {0, 0, 1280, 984}},
                             {{1280, 0, 2304, 768}, {1280, 0, 2304, 768}}};
  const struct {
    const char* what;
    RECT noted;
    int monitors;
    RECT want;
  } rows[] = {
      {"on the primary", {100, 100, 500, 400}, 2, {100, 100, 500, 400}},
      {"partly on the second, partly off", {2200, 700, 2600, 900}, 2, {2200, 700, 2600, 900}},
      {"where the second was, now gone", {1500, 100, 1900, 400}, 1, {880, 100, 1280, 400}},
      {"below the second, nearer it than the primary", {1400, 800, 1800, 1000}, 2, {1400, 568, 1800, 768}},
      {"left of and above everything", {-900, -700, -500, -400}, 2, {0, 0, 400, 300}},
      {"larger than the nearest work area", {3000, 0, 4500, 1200}, 2, {1280, 0, 2304, 768}},
      {"no monitor at all", {-900, -700, -500, -400}, 0, {-900, -700, -500, -400}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    const RECT got = PlaceOnMonitors(r.noted, two, r.monitors);
    EXPECT_TRUE(got == r.want) << got.left << "," << got.top << "-" << got.right << "," << got.bottom;
  }
}

// What the round trip compares, readable in a failure.
std::string Describe(const Placement& p) {
  char buf[160];
  snprintf(buf, sizeof buf, "(%ld,%ld)-(%ld,%ld) max %d min %d style %llx ex %llx", p.rect.left, p.rect.top,
           p.rect.right, p.rect.bottom, p.maximized, p.minimized, static_cast<unsigned long long>(p.style),
           static_cast<unsigned long long>(p.exStyle));
  return buf;
}

bool Same(const Placement& a, const Placement& b) {
  return a.child == b.child && a.rect == b.rect && a.maximized == b.maximized && a.minimized == b.minimized &&
         a.style == b.style && a.exStyle == b.exStyle;
}

// Style words changed while held come back too; these two bits change nothing else.
constexpr LONG_PTR kStyleFlip = WS_MAXIMIZEBOX, kExFlip = WS_EX_ACCEPTFILES;

TEST(Placement, ARoundTripPutsPlaceSizeStateAndStyleBack) {
  const HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600, 500,
                                    nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(host);
  const struct {
    const char* what;
    const wchar_t* args;
    bool button;
  } rows[] = {{"a normal window", L"--x 700 --y 500 --w 360 --h 300", false},
              {"a maximised window", L"--x 700 --y 500 --w 360 --h 300 --maximized", false},
              {"a child control", L"--x 700 --y 500 --w 360 --h 300 --children", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto t = StartTarget(row.args);
    ASSERT_TRUE(t);
    const HWND w = row.button ? t->button : t->main;
    const Placement noted = NotePlacement(w);
    const HWND origin = GetAncestor(w, GA_PARENT);
    SetWindowLongPtrW(w, GWL_STYLE, noted.style ^ kStyleFlip);
    SetWindowLongPtrW(w, GWL_EXSTYLE, noted.exStyle ^ kExFlip);
    ASSERT_TRUE(SetParent(w, host));
    mover::Place(w, 0, 0, 250, 180, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(w, host), {0, 0, 250, 180}); }, 5000));
    ASSERT_TRUE(SetParent(w, origin == GetDesktopWindow() ? nullptr : origin));
    PutBack(w, noted);
    EXPECT_TRUE(WaitUntil([&] { return Same(NotePlacement(w), noted); }, 5000))
        << "noted " << Describe(noted) << "\nnow   " << Describe(NotePlacement(w));
    EXPECT_EQ(GetAncestor(w, GA_PARENT), origin);
    if (noted.maximized) {
      // Its normal place is its own, as before it was taken.
      ShowWindow(w, SW_RESTORE);
      EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(w), {700, 500, 1060, 800}); }, 5000))
          << Describe(NotePlacement(w));
    }
    StopTarget(*t);
  }
  DestroyWindow(host);
}

}  // namespace
