#include "window/Window.h"

namespace {

// As many characters as the wrapper reads, the terminating zero included.
constexpr int kTextBuffer = 255;

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

// Unicode calls: through the ANSI code page a title loses every character
// the code page lacks.
int32_t Window::SetText(std::wstring_view sNewText) {
  return SetWindowTextW(ToHwnd(hwnd), std::wstring(sNewText).c_str());
}

std::wstring Window::GetText() {
  wchar_t buf[kTextBuffer] = {};
  return std::wstring(buf, static_cast<size_t>(GetWindowTextW(ToHwnd(hwnd), buf, kTextBuffer)));
}

std::wstring Window::GetWindowClassName() {
  wchar_t buf[kTextBuffer] = {};
  return std::wstring(buf, static_cast<size_t>(GetClassNameW(ToHwnd(hwnd), buf, kTextBuffer)));
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
