// Control and the simple kinds: command button, check box, text box, label.
#include "runtime/runtime.h"

#include "runtime/internal.h"

namespace rt {

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), n + 1)));
  return s;
}

std::wstring Owned(const std::wstring_view& text) { return std::wstring(text); }

// ---- Control ----------------------------------------------------------------

Control::Control(Form& form, Container* container, ControlType type, const Design& d)
    : form_(&form),
      container_(container),
      type_(type),
      id_(d.id),
      tabIndex_(d.tabIndex),
      visible_(d.visible) {
  caption_ = d.caption;
  // Design values are twips; the container may count in pixels. Dividing, not
  // multiplying by a rounded reciprocal, keeps 4800 twips exactly 320 pixels.
  const bool twips = container && container->ScaleMode() == 1;
  const float tx = twips ? 1.0f : TwipsPerPixelX();
  const float ty = twips ? 1.0f : TwipsPerPixelY();
  left_ = static_cast<float>(d.left) / tx;
  top_ = static_cast<float>(d.top) / ty;
  width_ = static_cast<float>(d.width) / tx;
  height_ = static_cast<float>(d.height) / ty;
  form.Register(this);
}

void Control::CreateWindowFor(const wchar_t* cls, DWORD style, DWORD exStyle, const Design& d) {
  const HWND parent = container_ ? container_->hWnd() : form_->hWnd();
  const float upx = container_ ? container_->UnitsPerPixelX() : form_->UnitsPerPixelX();
  const float upy = container_ ? container_->UnitsPerPixelY() : form_->UnitsPerPixelY();
  const int x = ToPixels(left_, upx).value_or(0), y = ToPixels(top_, upy).value_or(0);
  const int w = ToPixels(width_, upx).value_or(0), h = ToPixels(height_, upy).value_or(0);
  pixelRect_ = {x, y, x + w, y + h};
  hwnd_ = CreateWindowExW(exStyle, cls, d.caption,
                          WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0u) | style, x, y, w,
                          h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), Instance(),
                          this);
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
}

bool Control::Place(float left, float top, float width, float height) {
  if (width < 0 || height < 0) return false;  // a negative size is an invalid value
  const float upx = container_ ? container_->UnitsPerPixelX() : 1.0f;
  const float upy = container_ ? container_->UnitsPerPixelY() : 1.0f;
  const auto x = ToPixels(left, upx), y = ToPixels(top, upy);
  const auto w = ToPixels(width, upx), h = ToPixels(height, upy);
  if (!x || !y || !w || !h) return false;
  left_ = left, top_ = top, width_ = width, height_ = height;
  pixelRect_ = {*x, *y, *x + *w, *y + *h};
  if (!hwnd_) return true;
  if (form_->LayoutDeferred())
    placementPending_ = true;
  else
    ApplyPlacement();
  return true;
}

void Control::ApplyPlacement() {
  placementPending_ = false;
  if (hwnd_)
    SetWindowPos(hwnd_, nullptr, pixelRect_.left, pixelRect_.top, pixelRect_.right - pixelRect_.left,
                 pixelRect_.bottom - pixelRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  form_->UpdateTipTools(*this);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  form_->UpdateTipTools(*this);
}

HWND Control::HostWindow() const { return container_ ? container_->hWnd() : form_->hWnd(); }

void Control::SetToolTipText(std::wstring_view text) {
  toolTipText_.assign(text);
  if (hasTipTools_)
    form_->UpdateTipTools(*this);
  else if (form_->tips_)
    form_->AddTipTools(*this);
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

std::wstring Control::Caption() const { return hwnd_ ? WindowText(hwnd_) : caption_; }

void Control::SetCaption(std::wstring_view text) {
  // Only a text box's text changes behind our back; an unchanged caption
  // elsewhere is not set again, which would repaint the control for nothing.
  if (hwnd_ && type_ != ControlType::TextBox && caption_ == text) return;
  caption_.assign(text);
  if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
}

int Control::Value() const {
  return hwnd_ && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Control::SetValue(int value) {
  if (!hwnd_ || value == Value()) return;
  SendMessageW(hwnd_, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  form_->OnClick(*this);  // a changed value is a click, whoever changed it
}

bool Control::CanTakeFocus() const {
  return hwnd_ && type_ != ControlType::Frame && type_ != ControlType::Label &&
         IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_);
}

bool Control::SetFocus() {
  if (!CanTakeFocus()) return false;
  ::SetFocus(hwnd_);
  return GetFocus() == hwnd_;
}

CommandButton::CommandButton(Form& form, Container* container, const Design& d)
    : Control(form, container, ControlType::CommandButton, d) {
  CreateWindowFor(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, d);
}

CheckBox::CheckBox(Form& form, Container* container, const Design& d, int value)
    : Control(form, container, ControlType::CheckBox, d) {
  CreateWindowFor(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, d);
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

TextBox::TextBox(Form& form, Container* container, const Design& d)
    : Control(form, container, ControlType::TextBox, d) {
  CreateWindowFor(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, d);
}

// ---- Label ------------------------------------------------------------------

Label::Label(Form& form, Container* container, const Design& d, COLORREF foreColor, bool autoSize)
    : Control(form, container, ControlType::Label, d) {
  foreColor_ = foreColor;
  const float upx = container ? container->UnitsPerPixelX() : 1.0f;
  const float upy = container ? container->UnitsPerPixelY() : 1.0f;
  if (autoSize) {
    // The label takes the size of its caption in the form's font.
    ScopedWindowDC screen(nullptr);
    RECT rc{0, 0, 0, 0};
    if (screen) {
      ScopedSelect sel(screen.Get(), DefaultFont());
      DrawTextW(screen.Get(), caption_.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
    width_ = static_cast<float>(rc.right) * upx;
    height_ = static_cast<float>(rc.bottom) * upy;
  }
  const int x = ToPixels(left_, upx).value_or(0), y = ToPixels(top_, upy).value_or(0);
  pixelRect_ = {x, y, x + ToPixels(width_, upx).value_or(0), y + ToPixels(height_, upy).value_or(0)};
  if (container)
    container->AddLabel(this);
  else
    form.AddLabel(this);
}

bool Label::Place(float left, float top, float width, float height) {
  const RECT old = pixelRect_;
  if (!Control::Place(left, top, width, height)) return false;
  const HWND host = container_ ? container_->hWnd() : form_->hWnd();
  InvalidateRect(host, &old, TRUE);
  InvalidateRect(host, &pixelRect_, TRUE);
  return true;
}

void Label::Paint(HDC dc) const {
  if (!visible_) return;
  RECT rc = pixelRect_;
  FillRect(dc, &rc, FaceBrush());
  ScopedSelect sel(dc, DefaultFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, foreColor_ != CLR_INVALID ? foreColor_ : GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, caption_.c_str(), -1, &rc, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

}  // namespace rt
