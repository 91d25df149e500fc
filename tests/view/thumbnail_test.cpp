// The fit of the live picture of a window that cannot be taken; what is asked
// of DWM is checked with the form (embed_test.cpp).
#include <gtest/gtest.h>

#include "view/thumbnail.h"

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
