#include "view/zoom.h"

#include "runtime/convert.h"

float AspectFromRatio(float ratio) { return ratio == 1.33f ? 3.0f / 4.0f : ratio; }

bool AspectAccepted(float factor) { return factor >= 0.2f && factor <= 5.0f; }

bool ZoomStepFits(float boxWidth, float factor, int step) {
  const float content = boxWidth - 4 + static_cast<float>(step);
  if (!(content >= 0)) return false;  // NaN fails here too
  const float height = content * factor;
  return rt::CLngRound(content) && rt::CLngRound(height) && rt::CLngRound(content + 4) &&
         rt::CLngRound(height + 4);
}
