// What a pick reads of a window, and which window is under the pointer.
#pragma once

#include <windows.h>

#include <string>

// A window as the information panel records it, each fact from its own call.
struct WindowFacts {
  HWND parent;  // GetParent: for an owned top-level window, its owner
  std::wstring title;
  std::wstring className;
  RECT rect;  // the whole window, screen pixels
};
WindowFacts DescribeWindow(HWND h);

// Where the pointer is, in screen pixels, and the deepest visible, enabled
// window there (the desktop over empty screen).
struct UnderPointer {
  POINT at;
  HWND window;
};
UnderPointer WindowUnderPointer();
