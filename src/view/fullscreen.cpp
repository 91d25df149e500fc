#include "view/fullscreen.h"

namespace {

std::optional<int32_t> ExtentPlus(LONG from, LONG to, int32_t allowance) {
  const int64_t sum = static_cast<int64_t>(to) - from + allowance;
  if (to <= from || sum > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(sum);
}

}  // namespace

std::optional<int32_t> FullScreenWidth(const RECT& monitor) { return ExtentPlus(monitor.left, monitor.right, 4); }
std::optional<int32_t> FullScreenHeight(const RECT& monitor) { return ExtentPlus(monitor.top, monitor.bottom, 3); }
