// A thin wrapper for one target window handle and the window-manager calls
// made on it. Handles are 32-bit signed values, as stored in text fields.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Window handles fit 32 bits; sign extension restores the HWND the system gave.
inline HWND ToHwnd(int32_t h) { return reinterpret_cast<HWND>(static_cast<intptr_t>(h)); }
inline int32_t FromHwnd(HWND h) {
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(h));
}

// Whether the window belongs to this process: ours, not a borrowed one.
bool OfThisProcess(HWND h);

// Each method makes one call with the handle unchanged and checks nothing:
// a failing call shows only as 0 or an empty string.
class Window {
 public:
  int32_t hwnd = 0;

  int32_t SetText(std::wstring_view sNewText);
  std::wstring GetText();
  std::wstring GetWindowClassName();
  // Screen coordinates of the whole window; Width and Height are the right
  // and bottom edges, not the extents.
  int32_t GetTop();
  int32_t GetLeft();
  int32_t GetWidth();
  int32_t GetHeight();
  // Returns the previous parent.
  int32_t SetWindowParent(int32_t hwndNewParent);
  // These two act on the handle passed in, not on the object's own.
  int32_t GetWindowParent(int32_t lWindow);
  void Move(int32_t Left, int32_t Top, int32_t Width, int32_t Height, bool bRepaint);
  int32_t GetChildWindow(int32_t hwndParent);
};
