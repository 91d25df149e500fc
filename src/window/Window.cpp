#include "window/Window.h"

namespace {

// The window manager's ANSI calls copy at most 254 bytes plus a zero.
constexpr int kAnsiBuffer = 255;

std::wstring FromAnsi(const char* bytes, int n) {
  std::wstring out;
  if (n <= 0) return out;
  int len = MultiByteToWideChar(CP_ACP, 0, bytes, n, nullptr, 0);
  if (len <= 0) return out;
  out.resize(static_cast<size_t>(len));
  MultiByteToWideChar(CP_ACP, 0, bytes, n, out.data(), len);
  return out;
}

RECT Rect(int32_t h) {
  RECT r = {};
  GetWindowRect(ToHwnd(h), &r);
  return r;
}

}  // namespace

bool OfThisProcess(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid == GetCurrentProcessId();
}

int32_t Window::SetText(std::wstring_view sNewText) {
  // No best fit: a character the code page lacks becomes its default character.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int wn = static_cast<int>(sNewText.size());
  int len = WideCharToMultiByte(CP_ACP, flags, sNewText.data(), wn, nullptr, 0, nullptr, nullptr);
  if (len == 0 && wn > 0) {  // UTF-8 as the ANSI code page accepts no such flag
    flags = 0;
    len = WideCharToMultiByte(CP_ACP, flags, sNewText.data(), wn, nullptr, 0, nullptr, nullptr);
  }
  std::string ansi(static_cast<size_t>(len > 0 ? len : 0), '\0');
  if (len > 0)
    WideCharToMultiByte(CP_ACP, flags, sNewText.data(), wn, ansi.data(), len, nullptr, nullptr);
  return SetWindowTextA(ToHwnd(hwnd), ansi.c_str());
}

std::wstring Window::GetText() {
  char buf[kAnsiBuffer] = {};
  int n = GetWindowTextA(ToHwnd(hwnd), buf, kAnsiBuffer);
  return FromAnsi(buf, n);
}

std::wstring Window::GetWindowClassName() {
  char buf[kAnsiBuffer] = {};
  int n = GetClassNameA(ToHwnd(hwnd), buf, kAnsiBuffer);
  return FromAnsi(buf, n);
}

int32_t Window::GetTop() { return Rect(hwnd).top; }
int32_t Window::GetLeft() { return Rect(hwnd).left; }
int32_t Window::GetWidth() { return Rect(hwnd).right; }
int32_t Window::GetHeight() { return Rect(hwnd).bottom; }

int32_t Window::SetWindowParent(int32_t hwndNewParent) {
  return FromHwnd(SetParent(ToHwnd(hwnd), ToHwnd(hwndNewParent)));
}

int32_t Window::GetWindowParent(int32_t lWindow) { return FromHwnd(GetParent(ToHwnd(lWindow))); }

void Window::Move(int32_t Left, int32_t Top, int32_t Width, int32_t Height, bool bRepaint) {
  MoveWindow(ToHwnd(hwnd), Left, Top, Width, Height, bRepaint ? TRUE : FALSE);
}

int32_t Window::GetChildWindow(int32_t hwndParent) {
  return FromHwnd(GetWindow(ToHwnd(hwndParent), GW_CHILD));
}
