#include "select/pick.h"

#include "window/Window.h"

WindowFacts DescribeWindow(HWND h) {
  Window w;
  w.hwnd = FromHwnd(h);
  return {ToHwnd(w.GetWindowParent(w.hwnd)), w.GetText(), w.GetWindowClassName(),
          {w.GetLeft(), w.GetTop(), w.GetWidth(), w.GetHeight()}};
}

UnderPointer WindowUnderPointer() {
  POINT pt{};
  GetCursorPos(&pt);
  return {pt, WindowFromPoint(pt)};
}
