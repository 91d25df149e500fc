// Where a given-back top-level window goes; the round trip with another
// program's windows is the form's (tests/form/giveback_test.cpp).
#include "view/placement.h"

#include <gtest/gtest.h>

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

}  // namespace
