#include "capture/copy.h"

#include "runtime/runtime.h"

namespace {

struct ScreenCopy {
  HDC screen, to;
  RECT area;          // the box's client area on the screen
  int64_t copied;     // pixels read from the screen
  bool failed;
};

// The part of the box on one monitor, from the screen; the box's DC is then
// kept off it.
BOOL CALLBACK CopyFromMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM param) {
  ScreenCopy& c = *reinterpret_cast<ScreenCopy*>(param);
  RECT part;
  if (!IntersectRect(&part, monitor, &c.area)) return TRUE;
  const int x = part.left - c.area.left, y = part.top - c.area.top;
  const int w = part.right - part.left, h = part.bottom - part.top;
  // No CAPTUREBLT: the pointer would blink.
  if (!BitBlt(c.to, x, y, w, h, c.screen, part.left, part.top, SRCCOPY)) {
    c.failed = true;
    return TRUE;
  }
  ExcludeClipRect(c.to, x, y, x + w, y + h);
  c.copied += int64_t{w} * h;
  return TRUE;
}

}  // namespace

bool CopyShownPicture(HWND box, HDC boxDC, HDC to) {
  RECT client{};
  GetClientRect(box, &client);
  const int saved = SaveDC(to);
  ScreenCopy c{nullptr, to, {}, 0, false};
  if (const std::optional<RECT> area = rt::ClientUncovered(box)) {
    rt::ScopedWindowDC screen(nullptr);
    c.screen = screen.Get();
    c.area = *area;
    if (screen) EnumDisplayMonitors(nullptr, &c.area, CopyFromMonitor, reinterpret_cast<LPARAM>(&c));
  }
  bool made = !c.failed;
  if (c.copied < int64_t{client.right} * client.bottom)
    made = BitBlt(to, 0, 0, client.right, client.bottom, boxDC, 0, 0, SRCCOPY) && made;
  RestoreDC(to, saved);
  return made;
}
