#include "view/placement.h"

#include "window/mover.h"

namespace {

// Bits of the style word that are state: ShowWindow puts them back, not SetWindowLongPtr.
constexpr LONG_PTR kStateBits = WS_MAXIMIZE | WS_MINIMIZE | WS_VISIBLE;
constexpr int kMostMonitors = 16;

struct Monitors {
  MonitorArea areas[kMostMonitors];
  int count = 0;
};

BOOL CALLBACK NoteMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  auto& m = *reinterpret_cast<Monitors*>(list);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (m.count < kMostMonitors && GetMonitorInfoW(monitor, &info))
    m.areas[m.count++] = {info.rcMonitor, info.rcWork};
  return TRUE;
}

// Squared distance between two rectangles, 0 when they touch or overlap.
long long Distance(const RECT& a, const RECT& b) {
  const long long dx = a.right < b.left ? b.left - a.right : b.right < a.left ? a.left - b.right : 0;
  const long long dy = a.bottom < b.top ? b.top - a.bottom : b.bottom < a.top ? a.top - b.bottom : 0;
  return dx * dx + dy * dy;
}

// [from, from + extent) moved, and shrunk if need be, to lie within [low, high).
void FitSpan(LONG& from, LONG& to, LONG low, LONG high) {
  LONG extent = to - from;
  if (extent > high - low) extent = high - low;
  if (from > high - extent) from = high - extent;
  if (from < low) from = low;
  to = from + extent;
}

}  // namespace

Placement NotePlacement(HWND window) {
  Placement p;
  GetWindowRect(window, &p.rect);
  p.style = GetWindowLongPtrW(window, GWL_STYLE);
  p.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  p.maximized = IsZoomed(window);
  p.minimized = IsIconic(window);
  const HWND parent = GetAncestor(window, GA_PARENT);
  p.child = parent && parent != GetDesktopWindow();
  if (p.child) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&p.rect), 2);
  return p;
}

RECT PlaceOnMonitors(const RECT& noted, const MonitorArea* monitors, int count) {
  int nearest = -1;
  long long best = 0;
  for (int i = 0; i < count; ++i) {
    RECT shared;
    if (IntersectRect(&shared, &noted, &monitors[i].monitor)) return noted;
    const long long d = Distance(noted, monitors[i].monitor);
    if (nearest < 0 || d < best) nearest = i, best = d;
  }
  RECT r = noted;
  if (nearest < 0) return r;
  const RECT& work = monitors[nearest].work;
  FitSpan(r.left, r.right, work.left, work.right);
  FitSpan(r.top, r.bottom, work.top, work.bottom);
  return r;
}

void PutBack(HWND window, const Placement& noted) {
  bool restyled = false;
  constexpr int kWords[] = {GWL_STYLE, GWL_EXSTYLE};
  for (const int index : kWords) {
    const LONG_PTR now = GetWindowLongPtrW(window, index);
    const LONG_PTR was = index == GWL_EXSTYLE ? noted.exStyle : (noted.style & ~kStateBits) | (now & kStateBits);
    if (was != now) restyled |= mover::Restyle(window, index, was);
  }
  // A minimised window keeps its own place for when it is restored.
  if (!noted.minimized) {
    RECT r = noted.rect;
    if (!noted.child) {
      Monitors m;
      EnumDisplayMonitors(nullptr, nullptr, NoteMonitor, reinterpret_cast<LPARAM>(&m));
      r = PlaceOnMonitors(r, m.areas, m.count);
    }
    // Maximised or minimised meanwhile: its normal place is where the rest goes.
    if (!noted.maximized && (IsZoomed(window) || IsIconic(window))) mover::Show(window, SW_SHOWNOACTIVATE);
    mover::Place(window, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (restyled ? SWP_FRAMECHANGED : 0));
  }
  // A maximised window keeps its own normal place, so restoring it later finds it.
  if (noted.maximized || noted.minimized) mover::Show(window, noted.maximized ? SW_MAXIMIZE : SW_MINIMIZE);
}
