// What the runtime's own files share; nothing outside src/runtime needs it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/convert.h"

namespace rt {

// Defined once (system.cpp) and called: inlined at each call they cost more.
HINSTANCE Instance();
HBRUSH FaceBrush();

// In controls.cpp, beside the controls' own string code: a std::wstring built
// in every file that needs one puts its construction code in the exe once per
// file. Owned() takes the view by reference, as std::wstring's constructor does.
std::wstring WindowText(HWND hwnd);
std::wstring Owned(const std::wstring_view& text);

// Container units to whole client pixels, half to even; empty when out of range.
inline std::optional<int32_t> ToPixels(float units, float unitsPerPixel) {
  return CLngRound(static_cast<double>(units) / unitsPerPixel);
}

// The object behind a window of ours: noted from the create parameter at
// WM_NCCREATE, forgotten at WM_NCDESTROY; null before and after.
inline void* WindowObject(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  void* self = reinterpret_cast<void*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self;
}

// The form's timer that takes the notice balloon down.
inline constexpr UINT_PTR kNoticeTimer = 1;

}  // namespace rt
