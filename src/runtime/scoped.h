// One owning wrapper per kind of handle: the same owner with the release
// of its kind, and the window DC and selection, whose release needs more.
#pragma once

#include <windows.h>

namespace rt {

// One owner of one handle, released by Release::Free when it goes or is
// replaced; every kind below is this with its own release.
template <class H, class Release>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(H h) : h_(h) {}
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() { Reset(); }
  void Reset(H h = nullptr) {
    if (h_) Release::Free(h_);
    h_ = h;
  }
  void Swap(Scoped& other) {
    const H t = h_;
    h_ = other.h_;
    other.h_ = t;
  }
  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

struct GdiRelease { static void Free(HGDIOBJ h) { DeleteObject(h); } };
struct DCRelease { static void Free(HDC h) { DeleteDC(h); } };
struct KernelRelease { static void Free(HANDLE h) { CloseHandle(h); } };
struct HookRelease { static void Free(HHOOK h) { UnhookWindowsHookEx(h); } };

// GDI objects (bitmap, brush, font), deleted with DeleteObject.
using ScopedBitmap = Scoped<HBITMAP, GdiRelease>;
using ScopedBrush = Scoped<HBRUSH, GdiRelease>;
using ScopedFont = Scoped<HFONT, GdiRelease>;
// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
using ScopedMemDC = Scoped<HDC, DCRelease>;
// A kernel handle (thread, event, process) closed with CloseHandle.
using ScopedHandle = Scoped<HANDLE, KernelRelease>;
// A hook from SetWindowsHookEx, removed with UnhookWindowsHookEx.
using ScopedHook = Scoped<HHOOK, HookRelease>;

// A file from CreateFile, whose failure is INVALID_HANDLE_VALUE, not null.
class ScopedFile : public ScopedHandle {
 public:
  explicit ScopedFile(HANDLE h) : ScopedHandle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  bool Valid() const { return Get() != nullptr; }
};

// A window's DC from GetDC, given back with ReleaseDC on the same window.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : hwnd_(hwnd), h_(GetDC(hwnd)) {}
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  ~ScopedWindowDC() {
    if (h_) ReleaseDC(hwnd_, h_);
  }
  HDC Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HWND hwnd_;
  HDC h_;
};

// An object selected into a DC, deselected (the previous one put back) on exit.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace rt
