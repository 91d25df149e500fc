// The live picture of a window that cannot be taken: the fit, and what is
// asked of DWM (faked: Wine draws no thumbnail and fails the calls).
#include <gtest/gtest.h>

#include "fake_dwm.h"
#include "testbed.h"
#include "view/thumbnail.h"

using namespace testbed;

TEST(Thumbnail, FitsTheSourceIntoTheBoxWithItsOwnProportionsCentred) {
  const struct { RECT box; SIZE source; RECT fitted; } rows[] = {
      {{10, 20, 330, 260}, {640, 480}, {10, 20, 330, 260}},   // same shape, scaled down
      {{0, 0, 400, 300}, {40, 30}, {0, 0, 400, 300}},         // and up
      {{10, 20, 330, 260}, {800, 200}, {10, 100, 330, 180}},  // wider: bands above and below
      {{10, 20, 330, 260}, {100, 400}, {140, 20, 200, 260}},  // taller: bands left and right
      {{0, 0, 101, 100}, {3, 2}, {0, 16, 101, 83}},           // 67.33 rounds to 67
      {{10, 20, 330, 260}, {0, 480}, {10, 20, 10, 20}},       // nothing to show
      {{10, 20, 10, 260}, {640, 480}, {10, 20, 10, 20}},      // no box
  };
  for (const auto& r : rows) {
    const RECT got = FitPicture(r.box, r.source);
    EXPECT_TRUE(EqualRect(&got, &r.fitted)) << r.source.cx << "x" << r.source.cy << ": " << got.left << ","
                                             << got.top << "-" << got.right << "," << got.bottom;
  }
}

// A part asked for (the crop) is the source rectangle, fitted with its own proportions.
TEST(Thumbnail, ShowsThePartAskedFor) {
  const HWND form = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, 0, 0, 0, 0);
  const HWND box = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 30, 40, 320, 200, form, 0, 0, 0);
  const RECT area{32, 42, 348, 238}, part{10, 20, 110, 220}, fitted = FitPicture(area, {100, 200});
  FakeDwm dwm;
  Thumbnail picture;
  ASSERT_TRUE(picture.Start(box, form, area, &part));
  EXPECT_EQ(dwm.Asked().destination, form);
  EXPECT_TRUE(EqualRect(&dwm.Asked().rcSource, &part));
  EXPECT_TRUE(EqualRect(&dwm.Asked().rcDestination, &fitted));
  DestroyWindow(form);
}
