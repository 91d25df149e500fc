// Full-screen geometry, free of window calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// The full-screen box's outer width and height on a monitor: its whole
// width plus 4 and its whole height plus 3 pixels, wherever it lies. Empty
// when the monitor has no extent on that axis or the sum does not fit 32 bits.
std::optional<int32_t> FullScreenWidth(const RECT& monitor);
std::optional<int32_t> FullScreenHeight(const RECT& monitor);
