// A live picture of a window that cannot be taken, drawn by DWM into our form.
#pragma once

#include <windows.h>

// The part of a box that a source of `source`'s size fills, fitted with its
// own proportions and centred; an empty rectangle at the box's top-left when
// either has no area.
RECT FitPicture(const RECT& box, SIZE source);

// A DWM thumbnail of another program's top-level window, unregistered when
// it ends or goes. dwmapi.dll is loaded when first needed; where it is
// missing, composition is off or a call fails, nothing is held.
class Thumbnail {
 public:
  Thumbnail() = default;
  Thumbnail(const Thumbnail&) = delete;
  Thumbnail& operator=(const Thumbnail&) = delete;
  ~Thumbnail() { End(); }

  // Shows `picked`'s top-level window in `box`'s top-level window over
  // `area` (the box's client area in that window's client coordinates): only
  // `source` of it when given (in its own coordinates, from its top-left
  // corner), else the part `picked` covers. False when DWM cannot.
  bool Start(HWND box, HWND picked, const RECT& area, const RECT* source = nullptr);
  // Fits the picture to the box's area as it is now, shown while the box is;
  // false (and ended) when DWM fails.
  bool Fit(const RECT& area);
  void End();

  explicit operator bool() const { return thumb_ != nullptr; }
  // Where the picture shows, in the form's client coordinates.
  const RECT& Shown() const { return shown_; }

 private:
  HANDLE thumb_ = nullptr;
  HWND box_ = nullptr;
  RECT source_{};
  bool part_ = false;  // source_ is a part, not the whole window
  RECT shown_{};
};
