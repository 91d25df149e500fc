// One owning wrapper per kind of GDI handle (and for a hook), each keeping
// what its release needs.
#pragma once

#include <windows.h>

namespace rt {

// A GDI object (bitmap, brush, font) deleted with DeleteObject.
template <class H>
class ScopedGdi {
 public:
  ScopedGdi() = default;
  explicit ScopedGdi(H h) : h_(h) {}
  ScopedGdi(const ScopedGdi&) = delete;
  ScopedGdi& operator=(const ScopedGdi&) = delete;
  ~ScopedGdi() { Reset(); }
  void Reset(H h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  void Swap(ScopedGdi& other) {
    H t = h_;
    h_ = other.h_;
    other.h_ = t;
  }
  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};
using ScopedBitmap = ScopedGdi<HBITMAP>;
using ScopedBrush = ScopedGdi<HBRUSH>;
using ScopedFont = ScopedGdi<HFONT>;

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class ScopedMemDC {
 public:
  ScopedMemDC() = default;
  explicit ScopedMemDC(HDC compatibleWith) : h_(CreateCompatibleDC(compatibleWith)) {}
  ScopedMemDC(const ScopedMemDC&) = delete;
  ScopedMemDC& operator=(const ScopedMemDC&) = delete;
  ~ScopedMemDC() { Reset(); }
  // Drops the DC held and, given a DC, creates one compatible with it.
  void Reset(HDC compatibleWith = nullptr, bool create = false) {
    if (h_) DeleteDC(h_);
    h_ = create ? CreateCompatibleDC(compatibleWith) : nullptr;
  }
  HDC Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HDC h_ = nullptr;
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

// A file handle from CreateFile, closed on exit.
class ScopedFile {
 public:
  explicit ScopedFile(HANDLE h) : h_(h) {}
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  ~ScopedFile() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// A kernel handle (thread, event) closed with CloseHandle.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : h_(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { Reset(); }
  void Reset(HANDLE h = nullptr) {
    if (h_) CloseHandle(h_);
    h_ = h;
  }
  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

// A hook from SetWindowsHookEx, removed with UnhookWindowsHookEx.
class ScopedHook {
 public:
  ScopedHook() = default;
  ScopedHook(const ScopedHook&) = delete;
  ScopedHook& operator=(const ScopedHook&) = delete;
  ~ScopedHook() { Reset(); }
  void Reset(HHOOK h = nullptr) {
    if (h_) UnhookWindowsHookEx(h_);
    h_ = h;
  }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HHOOK h_ = nullptr;
};

}  // namespace rt
