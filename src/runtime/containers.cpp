// Controls that hold others: Container, Frame and PictureBox.
#include "runtime/runtime.h"

#include <windowsx.h>

#include "runtime/classes.h"
#include "runtime/internal.h"

namespace rt {

// ---- Container --------------------------------------------------------------

namespace {
ATOM RegisterContainerClass(const wchar_t* name, WNDPROC proc, UINT style) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}
}  // namespace

Container::Container(Form& form, Container* container, ControlType type, const Design& d,
                     int scaleMode)
    : Control(form, container, type, d), scaleMode_(scaleMode) {}

void Container::SetScaleMode(int mode) {
  if (mode == 1 || mode == 3) scaleMode_ = mode;
}

float Container::UnitsPerPixelX() const { return scaleMode_ == 1 ? TwipsPerPixelX() : 1.0f; }
float Container::UnitsPerPixelY() const { return scaleMode_ == 1 ? TwipsPerPixelY() : 1.0f; }

namespace {
// Client size of a window that will have the outer rectangle `placed`: the
// frame stays as wide as it is now.
SIZE ClientFor(HWND hwnd, const RECT& placed, bool pending) {
  RECT client{}, outer{};
  if (!hwnd) return {0, 0};
  GetClientRect(hwnd, &client);
  if (!pending) return {client.right, client.bottom};
  GetWindowRect(hwnd, &outer);
  return {(placed.right - placed.left) - ((outer.right - outer.left) - client.right),
          (placed.bottom - placed.top) - ((outer.bottom - outer.top) - client.bottom)};
}
}  // namespace

float Container::ScaleWidth() const {
  return static_cast<float>(ClientFor(hwnd_, pixelRect_, placementPending_).cx) * UnitsPerPixelX();
}

float Container::ScaleHeight() const {
  return static_cast<float>(ClientFor(hwnd_, pixelRect_, placementPending_).cy) * UnitsPerPixelY();
}

void Container::AddLabel(Label* label) {
  if (labelCount_ < static_cast<int>(ARRAYSIZE(labels_))) labels_[labelCount_++] = label;
}

void Container::PaintLabels(HDC dc) const {
  for (int i = 0; i < labelCount_; ++i) labels_[i]->Paint(dc);
}

LRESULT CALLBACK Container::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<Container*>(static_cast<Control*>(WindowObject(hwnd, msg, lp)));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  if (msg == WM_NCDESTROY) {
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->OnMessage(msg, wp, lp);
}

LRESULT Container::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      OnPaint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // painting fills the background itself
    case WM_COMMAND:
      RouteCommand(*form_, wp, lp);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(FaceBrush());
    case WM_SETCURSOR:
      form_->EnsureToolTips();
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(form_->EffectiveCursor());
        return TRUE;
      }
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void Container::OnPaint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  FillRect(dc, &rc, FaceBrush());
  PaintLabels(dc);
}

// ---- Frame ------------------------------------------------------------------

Frame::Frame(Form& form, Container* container, const Design& d)
    : Container(form, container, ControlType::Frame, d, 1) {
  static const ATOM atom = RegisterContainerClass(VISTREL_FRAME_CLASS, Container::Proc, 0);
  (void)atom;
  CreateWindowFor(VISTREL_FRAME_CLASS, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, d);
}

void Frame::OnPaint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  FillRect(dc, &rc, FaceBrush());
  ScopedSelect sel(dc, DefaultFont());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  RECT edge = rc;
  edge.top += tm.tmHeight / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TextOutW(dc, 8, 0, caption_.c_str(), static_cast<int>(caption_.size()));
  PaintLabels(dc);
}

// ---- PictureBox ---------------------------------------------------------------

PictureBox::PictureBox(Form& form, Container* container, const Design& d, int scaleMode,
                       bool border, Picture picture)
    : Container(form, container, ControlType::PictureBox, d, scaleMode), picture_(picture) {
  // A class DC keeps hDC valid between events, as a picture box's DC is.
  static const ATOM atom = RegisterContainerClass(VISTREL_PICTURE_CLASS, Container::Proc, CS_OWNDC);
  (void)atom;
  CreateWindowFor(VISTREL_PICTURE_CLASS, WS_TABSTOP | WS_CLIPCHILDREN,
                  border ? WS_EX_CLIENTEDGE : 0u, d);
}

PictureBox::~PictureBox() {
  if (imageDC_ && imageOldBitmap_) SelectObject(imageDC_.Get(), imageOldBitmap_);
}

SIZE PictureBox::ClientPixels() const { return ClientFor(hwnd_, pixelRect_, placementPending_); }

void PictureBox::SetPicture(Picture picture) {
  picture_ = picture;
  if (autoRedraw_) ClearImage();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::DrawBackground(HDC dc, const RECT& rc) const {
  FillRect(dc, &rc, FaceBrush());
  if (!picture_) return;
  if (picture_.type == IMAGE_BITMAP) {
    ScopedMemDC src(CreateCompatibleDC(dc));
    if (!src) return;
    BITMAP bm{};
    GetObjectW(picture_.handle, sizeof bm, &bm);
    ScopedSelect sel(src.Get(), picture_.handle);
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, src.Get(), 0, 0, SRCCOPY);
  } else {
    DrawIconEx(dc, 0, 0, static_cast<HICON>(picture_.handle), 0, 0, 0, nullptr, DI_NORMAL);
  }
}

void PictureBox::FitImage() {
  const SIZE want = ClientPixels();
  const SIZE size{want.cx > 0 ? want.cx : 1, want.cy > 0 ? want.cy : 1};
  if (image_ && size.cx == imageSize_.cx && size.cy == imageSize_.cy) return;
  ScopedWindowDC screen(nullptr);
  if (!screen) return;
  if (!imageDC_) imageDC_.Reset(CreateCompatibleDC(screen.Get()));
  // A 32-bit bottom-up DIB: the screen's pixels as they are, and a bitmap
  // file's pixel block as it stands, so saving needs no conversion.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  ScopedBitmap fresh(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!imageDC_ || !fresh) return;
  {
    // Keep what was drawn so far, as a resized persistent image does.
    ScopedMemDC target(CreateCompatibleDC(screen.Get()));
    if (!target) return;
    ScopedSelect sel(target.Get(), fresh.Get());
    const RECT all{0, 0, size.cx, size.cy};
    DrawBackground(target.Get(), all);
    if (image_) BitBlt(target.Get(), 0, 0, imageSize_.cx, imageSize_.cy, imageDC_.Get(), 0, 0, SRCCOPY);
  }
  const HGDIOBJ previous = SelectObject(imageDC_.Get(), fresh.Get());
  if (!imageOldBitmap_) imageOldBitmap_ = previous;
  image_.Swap(fresh);  // the old image leaves with `fresh`
  imageSize_ = size;
}

void PictureBox::ClearImage() {
  if (!image_) return;
  const RECT all{0, 0, imageSize_.cx, imageSize_.cy};
  DrawBackground(imageDC_.Get(), all);
}

HDC PictureBox::hDC() {
  if (autoRedraw_) {
    FitImage();
    if (imageDC_) return imageDC_.Get();
  }
  return hwnd_ ? GetDC(hwnd_) : nullptr;  // class-owned: nothing to release
}

void PictureBox::SetAutoRedraw(bool on) {
  autoRedraw_ = on;
  if (on) FitImage();
}

Picture PictureBox::Image() {
  if (autoRedraw_) FitImage();
  return {image_.Get(), IMAGE_BITMAP};
}

void PictureBox::Cls() {
  if (autoRedraw_) {
    FitImage();
    ClearImage();
  }
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::Refresh() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

bool PictureBox::Place(float left, float top, float width, float height) {
  if (!Control::Place(left, top, width, height)) return false;
  if (autoRedraw_ && !placementPending_) FitImage();
  return true;
}

void PictureBox::ApplyPlacement() {
  Control::ApplyPlacement();
  if (autoRedraw_) FitImage();
}

void PictureBox::OnPaint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (autoRedraw_ && image_) {
    BitBlt(dc, 0, 0, imageSize_.cx, imageSize_.cy, imageDC_.Get(), 0, 0, SRCCOPY);
    RECT right{imageSize_.cx, 0, rc.right, rc.bottom}, below{0, imageSize_.cy, rc.right, rc.bottom};
    if (right.left < right.right) FillRect(dc, &right, FaceBrush());
    if (below.top < below.bottom) FillRect(dc, &below, FaceBrush());
  } else {
    DrawBackground(dc, rc);
  }
  PaintLabels(dc);
}

LRESULT PictureBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  int button = 0;
  switch (msg) {
    case WM_LBUTTONDOWN: button = 1; break;
    case WM_RBUTTONDOWN: button = 2; break;
    case WM_MBUTTONDOWN: button = 4; break;
    case WM_LBUTTONUP: button = -1; break;
    case WM_RBUTTONUP: button = -2; break;
    case WM_MBUTTONUP: button = -4; break;
    case WM_MOUSEMOVE: button = 8; break;
    case WM_CAPTURECHANGED: {
      // A press cut short by another window taking the mouse ends as a
      // release would, so no drag is left half done; the form's own brief
      // hold during a press is no such loss.
      const HWND taker = reinterpret_cast<HWND>(lp);
      if (!pressed_ || taker == hwnd_ || taker == form_->hWnd()) return 0;
      const int released = pressed_;
      pressed_ = 0;
      POINT pt{};
      GetCursorPos(&pt);
      ScreenToClient(hwnd_, &pt);
      form_->OnMouseUp(*this, released, 0, static_cast<float>(pt.x) * UnitsPerPixelX(),
                       static_cast<float>(pt.y) * UnitsPerPixelY());
      return 0;
    }
    default: return Container::OnMessage(msg, wp, lp);
  }
  const int shift = ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) |
                    (GetKeyState(VK_MENU) < 0 ? 4 : 0);
  const float x = static_cast<float>(GET_X_LPARAM(lp)) * UnitsPerPixelX();
  const float y = static_cast<float>(GET_Y_LPARAM(lp)) * UnitsPerPixelY();
  if (button == 8) {
    const int held = ((wp & MK_LBUTTON) ? 1 : 0) | ((wp & MK_RBUTTON) ? 2 : 0) | ((wp & MK_MBUTTON) ? 4 : 0);
    // Under capture no WM_SETCURSOR arrives, so the form's pointer is applied here.
    if (GetCapture() == hwnd_) SetCursor(form_->EffectiveCursor());
    // The system repeats the last position after a press or a capture
    // change; a move that went nowhere is no move.
    if (mouseSeen_ && lp == lastMouse_) return 0;
    mouseSeen_ = true, lastMouse_ = lp;
    form_->OnMouseMove(*this, held, shift, x, y);
    return 0;
  }
  mouseSeen_ = true, lastMouse_ = lp;
  if (button > 0) {
    // The box holds the mouse from the press to the release, as form controls do.
    SetCapture(hwnd_);
    pressed_ = button;
    form_->OnMouseDown(*this, button, shift, x, y);
  } else {
    pressed_ = 0;
    form_->OnMouseUp(*this, -button, shift, x, y);
    if (GetCapture() == hwnd_ && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
  }
  return 0;
}

}  // namespace rt
