// The form: its window, the message loop, key preview and Tab order,
// layout batches and the pointer.
#include "runtime/runtime.h"

#include "runtime/classes.h"
#include "runtime/convert.h"
#include "runtime/internal.h"

namespace rt {

// ---- Form -------------------------------------------------------------------

namespace {
Form* g_forms[4] = {};  // live forms of this thread, for PreTranslateAny

bool IsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
         msg == WM_NCLBUTTONDOWN || msg == WM_NCRBUTTONDOWN || msg == WM_NCMBUTTONDOWN;
}
}  // namespace

bool PreTranslateAny(MSG& msg) {
  for (Form* f : g_forms)
    if (f && f->PreTranslate(msg)) return true;
  return false;
}

Form::Form(int clientTwipsWidth, int clientTwipsHeight, std::wstring_view caption, int iconId) {
  static const ATOM atom = [iconId] {
    // Each size from its own image in the icon, not one image shrunk.
    auto icon = [iconId](int cx, int cy) {
      return static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                           GetSystemMetrics(cx), GetSystemMetrics(cy), LR_SHARED));
    };
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Form::Proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon(SM_CXICON, SM_CYICON);
    wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
    wc.lpszClassName = VISTREL_FORM_CLASS;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT rc{0, 0, CLngRound(clientTwipsWidth / TwipsPerPixelX()).value_or(0),
          CLngRound(clientTwipsHeight / TwipsPerPixelY()).value_or(0)};
  AdjustWindowRectEx(&rc, style, FALSE, 0);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  // Centred on the screen.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  const std::wstring title = Owned(caption);
  CreateWindowExW(0, VISTREL_FORM_CLASS, title.c_str(), style, x, y, w, h, nullptr, nullptr,
                  Instance(), this);
  for (Form*& f : g_forms)
    if (!f) {
      f = this;
      break;
    }
}

Form::~Form() {
  for (Form*& f : g_forms)
    if (f == this) f = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
}

void Form::Register(Control* control) {
  if (control->id_ > 0 && control->id_ < static_cast<int>(ARRAYSIZE(controls_)))
    controls_[control->id_] = control;
}

void Form::AddLabel(Label* label) {
  if (labelCount_ < static_cast<int>(ARRAYSIZE(labels_))) labels_[labelCount_++] = label;
}

Control* Form::ControlById(int id) const {
  return id > 0 && id < static_cast<int>(ARRAYSIZE(controls_)) ? controls_[id] : nullptr;
}

std::wstring Form::Caption() const { return hwnd_ ? WindowText(hwnd_) : std::wstring(); }

void Form::SetCaption(std::wstring_view text) {
  const std::wstring s = Owned(text);
  if (hwnd_) SetWindowTextW(hwnd_, s.c_str());
}

float Form::Width() const {
  RECT rc{};
  if (hwnd_) GetWindowRect(hwnd_, &rc);
  const LONG px = sizePending_ ? pendingSize_.cx : rc.right - rc.left;
  return static_cast<float>(px) * TwipsPerPixelX();
}

float Form::Height() const {
  RECT rc{};
  if (hwnd_) GetWindowRect(hwnd_, &rc);
  const LONG px = sizePending_ ? pendingSize_.cy : rc.bottom - rc.top;
  return static_cast<float>(px) * TwipsPerPixelY();
}

bool Form::SetOuterSize(int width, int height) {
  if (LayoutDeferred()) {
    pendingSize_ = {width, height};
    sizePending_ = true;
    return true;
  }
  return SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) !=
         FALSE;
}

bool Form::SetWidth(float twips) {
  const auto px = CLngRound(static_cast<double>(twips) / TwipsPerPixelX());
  if (!px || *px < 0 || !hwnd_) return false;
  const auto height = CLngRound(Height() / TwipsPerPixelY());
  return SetOuterSize(*px, height.value_or(0));
}

bool Form::SetHeight(float twips) {
  const auto px = CLngRound(static_cast<double>(twips) / TwipsPerPixelY());
  if (!px || *px < 0 || !hwnd_) return false;
  const auto width = CLngRound(Width() / TwipsPerPixelX());
  return SetOuterSize(width.value_or(0), *px);
}

void Form::EndLayout() {
  if (layoutDepth_ == 0 || --layoutDepth_ > 0) return;
  for (Control* c : controls_)
    if (c && c->placementPending_) c->ApplyPlacement();
  if (sizePending_) {
    sizePending_ = false;
    SetOuterSize(pendingSize_.cx, pendingSize_.cy);
  }
}

void Form::SetBorderStyle(int style) {
  if (style != 0 && style != 2) return;
  borderStyle_ = style;
  if (!hwnd_) return;
  constexpr LONG_PTR kFrame = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  LONG_PTR s = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  s = style == 0 ? (s & ~kFrame) : (s | kFrame);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, s);
  // The new frame takes effect on the live window at once.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::WindowState() const {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return pendingState_;
  return IsZoomed(hwnd_) ? 2 : IsIconic(hwnd_) ? 1 : 0;
}

void Form::SetWindowState(int state) {
  if (state < 0 || state > 2) return;
  pendingState_ = state;
  // A hidden form takes the state when it is shown.
  if (hwnd_ && IsWindowVisible(hwnd_))
    ShowWindow(hwnd_, state == 2 ? SW_MAXIMIZE : state == 1 ? SW_MINIMIZE : SW_RESTORE);
}

void Form::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, pendingState_ == 2 ? SW_SHOWMAXIMIZED : pendingState_ == 1 ? SW_SHOWMINIMIZED : SW_SHOW);
  UpdateWindow(hwnd_);
}

void Form::Hide() {
  if (!hwnd_) return;
  pendingState_ = WindowState();
  ShowWindow(hwnd_, SW_HIDE);
}

bool Form::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

HCURSOR Form::EffectiveCursor() const {
  if (mousePointer_ == 99 && mouseIcon_) return static_cast<HCURSOR>(mouseIcon_.handle);
  return LoadCursorW(nullptr, IDC_ARROW);
}

void Form::ApplyCursor() const {
  // Show the new pointer now if the mouse is ours (captured or over the form).
  POINT pt;
  RECT rc;
  if (!hwnd_ || !GetCursorPos(&pt) || !GetWindowRect(hwnd_, &rc)) return;
  if (GetCapture() || (PtInRect(&rc, pt) && GetForegroundWindow() == hwnd_))
    SetCursor(EffectiveCursor());
}

void Form::SetMousePointer(int kind) {
  mousePointer_ = kind;
  ApplyCursor();
}

void Form::SetMouseIcon(Picture icon) {
  mouseIcon_ = icon;
  ApplyCursor();
}

void Form::MoveFocus(bool backwards) {
  Control* current = nullptr;
  const HWND focus = GetFocus();
  for (Control* c : controls_)
    if (c && c->hwnd_ && c->hwnd_ == focus) current = c;
  Control* best = nullptr;
  Control* wrap = nullptr;
  const int at = current ? current->tabIndex_ : (backwards ? 1 << 30 : -1);
  for (Control* c : controls_) {
    if (!c || c == current || !c->CanTakeFocus()) continue;
    const int t = c->tabIndex_;
    if (!backwards) {
      if (t > at && (!best || t < best->tabIndex_)) best = c;
      if (!wrap || t < wrap->tabIndex_) wrap = c;
    } else {
      if (t < at && (!best || t > best->tabIndex_)) best = c;
      if (!wrap || t > wrap->tabIndex_) wrap = c;
    }
  }
  if (Control* next = best ? best : wrap) {
    next->SetFocus();
    if (next->type_ == ControlType::TextBox) SendMessageW(next->hwnd_, EM_SETSEL, 0, -1);
  }
}

bool Form::PreTranslate(MSG& msg) {
  bool ours = msg.hwnd == hwnd_ || (notice_ && msg.hwnd == notice_);
  Control* target = nullptr;
  for (Control* c : controls_)
    if (c && c->hwnd_ && c->hwnd_ == msg.hwnd) target = c, ours = true;
  if (!ours) return false;
  if (IsButtonDown(msg.message)) HideNotice();
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
      GetKeyState(VK_MENU) >= 0) {
    MoveFocus(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && target &&
      target->type_ == ControlType::CommandButton) {
    SendMessageW(target->hwnd_, BM_CLICK, 0, 0);
    return true;
  }
  if (msg.message == WM_CHAR) {
    // Key preview: the form sees the key before the focused control.
    int key = static_cast<int>(msg.wParam);
    OnKeyPress(key);
    if (key == 0) return true;
    msg.wParam = static_cast<WPARAM>(key);
  }
  return false;
}

int Form::Run() {
  // With no window there is nothing to wait for, and no one to end the wait.
  if (!hwnd_) return 1;
  OnLoad();
  Show();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslateAny(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void Form::DestroyNow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Form::Close() {
  if (!hwnd_ || unloaded_) return;
  int cancel = 0;
  OnUnload(cancel);
  if (cancel) return;
  unloaded_ = true;
  DestroyWindow(hwnd_);
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<Form*>(WindowObject(hwnd, msg, lp));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  if (msg == WM_NCDESTROY) {
    self->hwnd_ = nullptr;
    for (Control* c : self->controls_)
      if (c) c->hwnd_ = nullptr;  // the children went with the form
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->OnMessage(msg, wp, lp);
}

LRESULT Form::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      RouteCommand(*this, wp, lp);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      FillRect(dc, &ps.rcPaint, FaceBrush());
      for (int i = 0; i < labelCount_; ++i) labels_[i]->Paint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(FaceBrush());
    case WM_SETCURSOR:
      EnsureToolTips();
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(EffectiveCursor());
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wp == kNoticeTimer) HideNotice();
      else if (wp >= kFirstFormTimer) OnTimer(wp);
      else break;
      return 0;
    case WM_HOTKEY:
      OnHotKey(static_cast<int>(wp));
      return 0;
    case WM_ACTIVATE:
      // Keyboard activation puts the focus on the first control; a click
      // leaves it to the control clicked, which must keep its capture.
      if (LOWORD(wp) == WA_ACTIVE && !GetFocus()) MoveFocus(false);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession(lp) ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wp) OnEndSession(lp);  // else the end was called off: nothing changed
      return 0;
    case WM_DESTROY:
      OnDestroying();  // the children still exist here
      // The tooltips are not owned by the form, so they do not go with it.
      if (tips_) DestroyWindow(tips_);
      if (notice_) DestroyWindow(notice_);
      tips_ = notice_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      if (msg >= WM_APP && msg <= 0xBFFF) {
        OnAppMessage(msg, wp, lp);
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void RouteCommand(Form& form, WPARAM wp, LPARAM lp) {
  if (HIWORD(wp) != BN_CLICKED || !lp) return;
  Control* c = form.ControlById(LOWORD(wp));
  if (c && c->hWnd() == reinterpret_cast<HWND>(lp)) form.OnClick(*c);
}

}  // namespace rt
