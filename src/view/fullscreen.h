// Screen size arithmetic of the full-screen view, free of window calls.
#pragma once

#include <cstdint>
#include <optional>

// Screen pixels from twips: the twips divided by the twips per pixel as they
// are (7.5 at 200 % scaling, 8.57 at 175 %), rounded half to even, plus the
// border allowance. Empty when the divisor is 0 or no number, or when the
// pixels or the sum do not fit 32 bits.
std::optional<int32_t> ScreenPixelsPlus(float screenTwips, float twipsPerPixel, int32_t allowance);
