// Arithmetic of the zoom step, free of window calls.
#pragma once

// The ratio as typed, read as the height-to-width factor: 1.33 stands for 4:3.
float AspectFromRatio(float ratio);

// Whether a factor lies within the accepted 0.2 to 5, compared as floats.
bool AspectAccepted(float factor);

// Whether one zoom step from a display box `boxWidth` pixels wide can be
// carried out to the end: the content width (boxWidth - 4) + step must not
// go below 0, and every size the step gives the box, computed as the step
// computes it, must convert to a 32-bit pixel count.
bool ZoomStepFits(float boxWidth, float factor, int step);
