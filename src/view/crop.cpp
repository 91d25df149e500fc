#include "view/crop.h"

namespace {

bool Fits(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

std::optional<Placement> CroppedPlacement(const RECT& window, const RECT& client, const Insets& insets,
                                          int32_t boxWidth, int32_t boxHeight) {
  // The frame as this window has it: a menu bar, a custom frame or none.
  const int64_t frameLeft = int64_t{client.left} - window.left, frameTop = int64_t{client.top} - window.top;
  const int64_t frameRight = int64_t{window.right} - client.right;
  const int64_t frameBottom = int64_t{window.bottom} - client.bottom;
  const int64_t x = -(frameLeft + insets.left), y = -(frameTop + insets.top);
  const int64_t width = frameLeft + insets.left + boxWidth + insets.right + frameRight;
  const int64_t height = frameTop + insets.top + boxHeight + insets.bottom + frameBottom;
  if (!Fits(x) || !Fits(y) || !Fits(width) || !Fits(height)) return std::nullopt;
  return Placement{static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(width),
                   static_cast<int32_t>(height)};
}

bool LeavesSomething(const Insets& insets, int32_t clientWidth, int32_t clientHeight) {
  return int64_t{insets.left} + insets.right < clientWidth && int64_t{insets.top} + insets.bottom < clientHeight;
}

std::optional<Insets> InsetsFromDrawn(const RECT& drawn, const RECT& client) {
  const LONG left = drawn.left > client.left ? drawn.left : client.left;
  const LONG top = drawn.top > client.top ? drawn.top : client.top;
  const LONG right = drawn.right < client.right ? drawn.right : client.right;
  const LONG bottom = drawn.bottom < client.bottom ? drawn.bottom : client.bottom;
  if (left >= right || top >= bottom) return std::nullopt;
  return Insets{left - client.left, top - client.top, client.right - right, client.bottom - bottom};
}
