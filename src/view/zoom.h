// Arithmetic of the zoom step, free of window calls.
#pragma once

#include <cstdint>
#include <optional>

// The ratio as typed, read as the height-to-width factor: 1.33 stands for 4:3.
float AspectFromRatio(float ratio);

// Whether a factor lies within the accepted 0.2 to 5, compared as floats.
bool AspectAccepted(float factor);
