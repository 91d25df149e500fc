// The crop's arithmetic: insets and the frame measured from the window
// itself, turned into where the window goes in the box.
#include <gtest/gtest.h>

#include "view/crop.h"

namespace {

std::string Text(const std::optional<Placement>& p) {
  if (!p) return "none";
  return std::to_string(p->x) + "," + std::to_string(p->y) + " " + std::to_string(p->width) + "x" +
         std::to_string(p->height);
}

std::string Text(const std::optional<Insets>& i) {
  if (!i) return "none";
  return std::to_string(i->left) + "," + std::to_string(i->top) + "," + std::to_string(i->right) + "," +
         std::to_string(i->bottom);
}

TEST(CropArithmetic, TheKeptPartTakesTheBoxSizeAtItsOrigin) {
  const struct {
    const char* what;
    RECT window, client;
    Insets insets;
    int32_t boxWidth, boxHeight;
    const char* placement;
    bool leaves;  // the insets leave something of the client area as it is now
  } rows[] = {
      // Caption 23, menu 22, borders 4: screen coordinates.
      {"a window with a menu, content only", {100, 100, 500, 400}, {104, 149, 496, 396}, {0, 0, 0, 0}, 320, 240,
       "-4,-49 328x293", true},
      {"a window without a frame", {0, 0, 200, 100}, {0, 0, 200, 100}, {10, 20, 30, 40}, 320, 240,
       "-10,-20 360x300", true},
      // In its parent's client coordinates, with a one-pixel border.
      {"a child control", {10, 10, 110, 40}, {11, 11, 109, 39}, {5, 5, 5, 5}, 320, 240, "-6,-6 332x252", true},
      {"insets that leave one column", {0, 0, 400, 300}, {0, 0, 400, 300}, {199, 0, 200, 0}, 320, 240,
       "-199,0 719x240", true},
      {"insets that leave nothing across", {0, 0, 400, 300}, {0, 0, 400, 300}, {200, 0, 200, 0}, 320, 240,
       "-200,0 720x240", false},
      {"insets that leave nothing down", {0, 0, 400, 300}, {0, 0, 400, 300}, {0, 150, 0, 150}, 320, 240,
       "0,-150 320x540", false},
      {"a size past 32 bits", {0, 0, 400, 300}, {0, 0, 400, 300}, {INT32_MAX, 0, 0, 0}, 320, 240, "none",
       false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(Text(CroppedPlacement(r.window, r.client, r.insets, r.boxWidth, r.boxHeight)), r.placement);
    EXPECT_EQ(LeavesSomething(r.insets, r.client.right - r.client.left, r.client.bottom - r.client.top),
              r.leaves);
  }
  // A drawing over the box, as insets of the client area lying at -4,-49 .. 324,291 there.
  const RECT client{-4, -49, 324, 291};
  const std::pair<RECT, const char*> drawn[] = {
      {{10, 20, 110, 90}, "14,69,214,201"},
      {{-30, -60, 400, 300}, "0,0,0,0"},  // over the frame and past the box: cut to the client area
      {{-30, -60, -10, -50}, "none"},
  };
  for (const auto& [rect, insets] : drawn) EXPECT_EQ(Text(InsetsFromDrawn(rect, client)), insets);
}

}  // namespace
