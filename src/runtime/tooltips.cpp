// The form's tooltips and its notice balloon.
#include "runtime/runtime.h"

#include <commctrl.h>

#include "runtime/internal.h"

namespace rt {

namespace {

// A tooltip control of the system's common controls, in the form's font. It
// has no owner: an owned topmost pop-up kept the form from going back into
// the topmost band once "always on top" was turned off and on.
HWND CreateToolTip(DWORD style) {
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
  InitCommonControlsEx(&classes);
  const HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | style, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   Instance(), nullptr);
  if (tip) SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return tip;
}

TTTOOLINFOW ToolInfo(HWND host, UINT_PTR id, UINT flags, const wchar_t* text) {
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = flags;
  ti.hwnd = host;
  ti.uId = id;
  ti.hinst = Instance();
  ti.lpszText = const_cast<wchar_t*>(text);
  return ti;
}

// The control's own window, and its rectangle on the window it sits in:
// over a disabled control the mouse messages go to that window instead.
TTTOOLINFOW OwnWindowTool(const Control& c, HWND host, const std::wstring& text) {
  return ToolInfo(host, reinterpret_cast<UINT_PTR>(c.hWnd()), TTF_IDISHWND | TTF_SUBCLASS, text.c_str());
}

TTTOOLINFOW AreaTool(const Control& c, HWND host, const std::wstring& text) {
  TTTOOLINFOW ti = ToolInfo(host, static_cast<UINT_PTR>(c.Id()), TTF_SUBCLASS, text.c_str());
  // A hidden control leaves its area to whatever is beneath.
  if (c.Visible()) ti.rect = c.PixelRect();
  return ti;
}

}  // namespace

void Form::EnsureToolTips() {
  if (tips_ || !hwnd_) return;
  tips_ = CreateToolTip(0);
  if (!tips_) return;
  for (Control* c : controls_)
    if (c && !c->toolTipText_.empty()) AddTipTools(*c);
}

void Form::AddTipTools(Control& c) {
  const HWND host = c.HostWindow();
  if (!tips_ || !host || c.toolTipText_.empty()) return;
  TTTOOLINFOW own = OwnWindowTool(c, host, c.toolTipText_), area = AreaTool(c, host, c.toolTipText_);
  if (c.hwnd_) SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&own));
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&area));
  c.hasTipTools_ = true;
}

void Form::UpdateTipTools(Control& c) {
  const HWND host = c.HostWindow();
  if (!tips_ || !c.hasTipTools_ || !host) return;
  TTTOOLINFOW own = OwnWindowTool(c, host, c.toolTipText_), area = AreaTool(c, host, c.toolTipText_);
  if (c.hwnd_) SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&own));
  SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&area));
  SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&area));
}

void Form::ShowNotice(const Control& at, std::wstring_view text, UINT ms) {
  if (!hwnd_) return;
  const bool fresh = !notice_;
  if (fresh) notice_ = CreateToolTip(TTS_BALLOON);
  if (!notice_) return;
  // A sentence wraps into a few lines instead of running across the screen.
  if (fresh) SendMessageW(notice_, TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(360 * 15 / TwipsPerPixelX()));
  const std::wstring said = Owned(text);
  TTTOOLINFOW ti = ToolInfo(hwnd_, 0, TTF_TRACK, said.c_str());
  // A balloon that shows redraws at each placing message: only a new place is sent.
  const bool shown = IsWindowVisible(notice_) != FALSE;
  SendMessageW(notice_, fresh ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  // The balloon's stem points at the middle of the control's lower edge.
  const RECT rc = at.PixelRect();
  POINT stem{(rc.left + rc.right) / 2, rc.bottom};
  ClientToScreen(at.HostWindow(), &stem);
  if (!shown || stem.x != noticeStem_.x || stem.y != noticeStem_.y)
    SendMessageW(notice_, TTM_TRACKPOSITION, 0, MAKELPARAM(stem.x, stem.y));
  noticeStem_ = stem;
  // Also when it shows: Wine's balloon takes a new text only then.
  SendMessageW(notice_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
  SetTimer(hwnd_, kNoticeTimer, ms, nullptr);
}

void Form::HideNotice() {
  if (!notice_) return;
  if (hwnd_) KillTimer(hwnd_, kNoticeTimer);
  if (!IsWindowVisible(notice_)) return;
  TTTOOLINFOW ti = ToolInfo(hwnd_, 0, TTF_TRACK, L"");
  SendMessageW(notice_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

void Form::HideTips() {
  if (tips_ && IsWindowVisible(tips_)) SendMessageW(tips_, TTM_POP, 0, 0);
  HideNotice();
}

}  // namespace rt
