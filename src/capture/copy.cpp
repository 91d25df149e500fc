#include "capture/copy.h"

#include "runtime/scoped.h"

// What DirectX and UWP programs show reaches the screen through DWM and is
// missing from the box's own DC, so the screen is read whenever it shows
// the whole box with nothing over it.
bool CopyShownPicture(const std::optional<RECT>& onScreen, HDC boxDC, SIZE boxSize, HDC still) {
  if (onScreen) {
    rt::ScopedWindowDC screen(nullptr);
    // No CAPTUREBLT: the pointer would blink.
    if (screen && BitBlt(still, 0, 0, onScreen->right - onScreen->left, onScreen->bottom - onScreen->top,
                         screen.Get(), onScreen->left, onScreen->top, SRCCOPY))
      return true;
  }
  return BitBlt(still, 0, 0, boxSize.cx, boxSize.cy, boxDC, 0, 0, SRCCOPY) != FALSE;
}
