// Screen size arithmetic of the full-screen view, free of window calls.
#pragma once

#include <cstdint>
#include <optional>

// Screen pixels from twips: both values rounded half to even to 32-bit
// integers first, then divided with truncation, then the border allowance
// added. Empty when a value is out of range, the divisor is 0 or the sum
// overflows.
std::optional<int32_t> ScreenPixelsPlus(float screenTwips, float twipsPerPixel, int32_t allowance);
