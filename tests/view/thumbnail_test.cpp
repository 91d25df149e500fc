// The live picture of a window that cannot be taken: the fit, and what is
// asked of DWM (faked: Wine draws no thumbnail and fails the calls).
#include <gtest/gtest.h>

#include "fake_dwm.h"
#include "testbed.h"
#include "view/thumbnail.h"

using namespace testbed;

namespace {

HWND Make(HWND parent, int x, int y, int w, int h) {
  return CreateWindowExW(0, L"STATIC", L"", (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE, x, y, w, h,
                         parent, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(Thumbnail, FitsTheSourceIntoTheBoxWithItsOwnProportionsCentred) {
  const struct { RECT box; SIZE source; RECT fitted; } rows[] = {
      {{10, 20, 330, 260}, {640, 480}, {10, 20, 330, 260}},  // same shape, scaled down
      {{0, 0, 400, 300}, {40, 30}, {0, 0, 400, 300}},        // and up
      {{10, 20, 330, 260}, {800, 200}, {10, 100, 330, 180}},  // wider: bands above and below
      {{10, 20, 330, 260}, {100, 400}, {140, 20, 200, 260}},  // taller: bands left and right
      {{0, 0, 101, 100}, {3, 2}, {0, 16, 101, 83}},          // 67.33 rounds to 67
      {{10, 20, 330, 260}, {0, 480}, {10, 20, 10, 20}},      // nothing to show
      {{10, 20, 10, 260}, {640, 480}, {10, 20, 10, 20}},     // no box
  };
  for (const auto& r : rows) {
    const RECT got = FitPicture(r.box, r.source);
    EXPECT_TRUE(EqualRect(&got, &r.fitted)) << r.source.cx << "x" << r.source.cy << ": " << got.left << ","
                                             << got.top << "-" << got.right << "," << got.bottom;
  }
}

// The form's client area shows the picked window's top-level window (or the
// part asked for), fitted to the box wherever the box goes, until it ends.
TEST(Thumbnail, AsksDwmForTheTopLevelWindowFittedToTheBoxAndEndsIt) {
  const HWND form = Make(nullptr, 50, 50, 600, 500), box = Make(form, 30, 40, 320, 200);
  const HWND root = Make(nullptr, 100, 100, 400, 300), child = Make(root, 20, 30, 100, 50);
  const RECT crop{10, 20, 110, 220}, kNone{};
  const RECT rootRect = WindowRectOf(root), childRect = WindowRectOf(child);
  const RECT childInRoot{childRect.left - rootRect.left, childRect.top - rootRect.top,
                         childRect.right - rootRect.left, childRect.bottom - rootRect.top};
  const struct { const char* what; HWND picked; const RECT* source; const RECT* part; } rows[] = {
      {"the top-level window", root, nullptr, nullptr},
      {"a control inside it", child, nullptr, &childInRoot},
      {"a part asked for", root, &crop, &crop},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    FakeDwm dwm;
    Thumbnail picture;
    ASSERT_TRUE(picture.Start(box, r.picked, r.source));
    EXPECT_EQ(dwm.Asked().destination, form);
    EXPECT_EQ(dwm.Asked().source, root);
    EXPECT_TRUE(EqualRect(&dwm.Asked().rcSource, r.part ? r.part : &kNone));
    const SIZE size = r.part ? SIZE{WidthOf(*r.part), HeightOf(*r.part)} : SIZE{WidthOf(rootRect), HeightOf(rootRect)};
    for (const RECT at : {RECT{30, 40, 350, 240}, RECT{0, 0, 580, 300}}) {
      SetWindowPos(box, nullptr, at.left, at.top, WidthOf(at), HeightOf(at), SWP_NOZORDER);
      ASSERT_TRUE(picture.Fit());
      const RECT fitted = FitPicture(RectIn(box, form), size);
      EXPECT_TRUE(EqualRect(&dwm.Asked().rcDestination, &fitted));
      EXPECT_TRUE(EqualRect(&picture.Shown(), &fitted));
    }
    picture.End();
    EXPECT_EQ(dwm.Asked().live, 0);
  }
  {
    FakeDwm dwm;
    { Thumbnail picture; picture.Start(box, root); }
    EXPECT_EQ(dwm.Asked().live, 0) << "not ended when it went";
  }
  DestroyWindow(root);
  DestroyWindow(form);
}

// Where DWM cannot, nothing is held, so the caller does as before.
TEST(Thumbnail, HoldsNothingWhereDwmCannot) {
  const HWND form = Make(nullptr, 50, 50, 600, 500), box = Make(form, 30, 40, 320, 200);
  const HWND other = Make(nullptr, 100, 100, 400, 300);
  for (const auto fault : {FakeDwm::kMissing, FakeDwm::kCompositionOff, FakeDwm::kRegisterFails, FakeDwm::kUpdateFails}) {
    SCOPED_TRACE(fault);
    FakeDwm dwm(fault);
    Thumbnail picture;
    EXPECT_FALSE(picture.Start(box, other));
    EXPECT_FALSE(picture);
    EXPECT_EQ(dwm.Asked().live, 0);
  }
  // Both Wines: composition off (8) or E_NOTIMPL (10), through the real dwmapi.
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) EXPECT_FALSE(Thumbnail().Start(box, other));
  DestroyWindow(other);
  DestroyWindow(form);
}
