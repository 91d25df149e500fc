#include "form/frmMain.h"

#include "form/ids.h"
#include "form/resource.h"
#include "form/tips.h"
#include "runtime/convert.h"
#include "view/embed.h"
#include "view/esc_watch.h"
#include "view/part_layer.h"

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);

}  // namespace

// Positions and sizes are twips in the container's client area; the table
// order is the creation order and so the stacking order.
frmMain::frmMain()
    : rt::Form(5025, 4290, L"Vistrel1.5 [320\u00D7240] 2008-10-14", IDI_VISTREL),
      picBox(*this, nullptr, {ids::picBox, L"", 120, 600, 4800, 3600, 20, true}, 1),
      lblSize(*this, &picBox, {ids::lblSize, L"本程序大小88K", 120, 120, 1215, 255, 32, true}, kGrey),
      cmdFullScreen(*this, nullptr, {ids::cmdFullScreen, L"全屏", 4140, 120, 615, 375, 7, true}),
      cmdScreenshot(*this, nullptr, {ids::cmdScreenshot, L"截图", 3435, 120, 615, 375, 6, true}),
      cmdFreeze(*this, nullptr, {ids::cmdFreeze, L"暂停", 2730, 120, 615, 375, 5, true}),
      txtRatio(*this, nullptr, {ids::txtRatio, L"", 5760, 180, 450, 270, 8, true}),
      cmdGiveBack(*this, nullptr, {ids::cmdGiveBack, L"还原", 2040, 120, 615, 375, 4, true}),
      chkTopmost(*this, nullptr, {ids::chkTopmost, L"最前", 6240, 180, 735, 255, 9, true}, 1),
      picArrow(*this, nullptr, {ids::picArrow, L"", 9000, 960, 480, 480, 23, false}, 1, false,
               rt::ResourceCursor(IDC_ARROWPICTURE)),
      picMagnifier(*this, nullptr, {ids::picMagnifier, L"", 120, 120, 375, 375, 22, true}, 1),
      picMagnifierCursor(*this, nullptr, {ids::picMagnifierCursor, L"", 9000, 120, 480, 480, 21, false}, 3, false,
               rt::ResourceCursor(IDC_MAGNIFIER)),
      cmdZoomOut(*this, nullptr, {ids::cmdZoomOut, L"-", 1590, 120, 375, 375, 3, true}),
      cmdZoomIn(*this, nullptr, {ids::cmdZoomIn, L"+", 1155, 120, 375, 375, 2, true}),
      cmdTake(*this, nullptr, {ids::cmdTake, L"传输", 480, 120, 615, 375, 1, true}),
      fraWindowInfo(*this, nullptr, {ids::fraWindowInfo, L"窗口信息", 6840, 2400, 2415, 3255, 0, false}),
      txtTitle(*this, &fraWindowInfo, {ids::txtTitle, L"", 720, 600, 1695, 285, 28, true}),
      txtHandle(*this, &fraWindowInfo, {ids::txtHandle, L"", 960, 240, 1095, 270, 26, true}),
      txtParent(*this, &fraWindowInfo, {ids::txtParent, L"", 720, 960, 1575, 270, 25, true}),
      txtTop(*this, &fraWindowInfo, {ids::txtTop, L"", 720, 2160, 1095, 285, 14, true}),
      txtLeft(*this, &fraWindowInfo, {ids::txtLeft, L"", 720, 1800, 1095, 285, 13, true}),
      txtWidth(*this, &fraWindowInfo, {ids::txtWidth, L"", 720, 2520, 1095, 285, 12, true}),
      txtHeight(*this, &fraWindowInfo, {ids::txtHeight, L"", 720, 2880, 1095, 285, 11, true}),
      txtClassName(*this, &fraWindowInfo, {ids::txtClassName, L"", 720, 1440, 1095, 285, 10, true}),
      lblTitle(*this, &fraWindowInfo, {ids::lblTitle, L"标题:", 240, 600, 450, 180, 29, true}, CLR_INVALID, true),
      lblHandle(*this, &fraWindowInfo, {ids::lblHandle, L"句柄:", 120, 240, 615, 255, 27, true}),
      lblParent(*this, &fraWindowInfo, {ids::lblParent, L"父句柄", 120, 960, 615, 375, 24, true}),
      lblTop(*this, &fraWindowInfo, {ids::lblTop, L"上:", 240, 2160, 270, 180, 19, true}, CLR_INVALID, true),
      lblLeft(*this, &fraWindowInfo, {ids::lblLeft, L"左:", 240, 1800, 270, 180, 18, true}, CLR_INVALID, true),
      lblWidth(*this, &fraWindowInfo, {ids::lblWidth, L"宽度:", 120, 2520, 450, 180, 17, true}, CLR_INVALID, true),
      lblHeight(*this, &fraWindowInfo, {ids::lblHeight, L"高度:", 120, 2880, 450, 180, 16, true}, CLR_INVALID, true),
      lblClassName(*this, &fraWindowInfo, {ids::lblClassName, L"Class:", 120, 1440, 420, 195, 15, true}, CLR_INVALID, true),
      picStill(*this, nullptr, {ids::picStill, L"", 840, 4800, 2535, 2175, 31, false}, 1),
      lblRatio(*this, nullptr, {ids::lblRatio, L"宽高比:", 5160, 240, 735, 255, 30, true}) {
  // Custom pointer without a picture until the first pick: the arrow shows.
  SetMousePointer(99);
  SetToolTips();
}

frmMain::~frmMain() { DestroyNow(); }

void frmMain::SetToolTips() {
  picMagnifier.SetToolTipText(TipText(Tip::Magnifier));
  SetKeyTip(cmdTake, TipText(Tip::Transfer), 0);
  cmdZoomIn.SetToolTipText(TipText(Tip::Larger));
  cmdZoomOut.SetToolTipText(TipText(Tip::Smaller));
  SetKeyTip(cmdGiveBack, TipText(Tip::Restore), 2);
  SetKeyTip(cmdFreeze, TipText(frozen_ ? Tip::Resume : Tip::Pause), 3);
  SetKeyTip(cmdScreenshot, TipText(Tip::Screenshot), 4);
  SetKeyTip(cmdFullScreen, TipText(Tip::FullScreen), 1);
  chkTopmost.SetToolTipText(TipText(Tip::Topmost));
  txtRatio.SetToolTipText(TipText(Tip::Ratio));
}

// ---- Event decoding: each event goes to the one handler that decides ------

void frmMain::OnLoad() {
  SetStartValues();
  StartFromCommandLine();
}

void frmMain::OnUnload(int& cancel) {
  (void)cancel;  // closing always goes ahead
  // A closed tool takes no keys, also while it waits to give a window back.
  UnregisterHotKeys();
  // Giving a window back waits for its program: one that hangs must not keep
  // the closed tool on the screen meanwhile.
  Hide();
  // No watch on the keyboard while giving back waits for another program.
  StopWatchingEsc();
  GiveBackOnClose();
}

void frmMain::OnDestroying() {
  // Whatever the path to here, no borrowed window may die with our form,
  // wherever in it the window was left.
  GiveBackBorrowedWindows(hWnd());
  StopWatchingEsc();
  UnregisterHotKeys();
}

void frmMain::OnHotKey(int id) { OnHotKeyPressed(id); }

void frmMain::OnTimer(UINT_PTR id) {
  switch (id) {
    case kLookTimer: LookForWanted(); break;
    case kGiveBackTimer: OnStillNotAnswering(); break;
    default: break;
  }
}

void frmMain::OnKeyPress(int& keyAscii) {
  if (keyAscii == 27) LeaveFullScreen();
}

void frmMain::OnAppMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kMsgEscInProgram: OnEscInProgram(); break;
    case kMsgProgramAnswered: OnProgramAnswered(reinterpret_cast<HWND>(wp)); break;
    case kMsgPartDrawn: OnPartDrawn(DrawnPart(wp, lp)); break;
    default: break;
  }
}

void frmMain::OnClick(rt::Control& control) {
  switch (control.Id()) {
    case ids::chkTopmost: OnTopmostSwitch(); break;
    case ids::cmdTake: OnTake(); break;
    case ids::cmdGiveBack: OnGiveBack(); break;
    case ids::cmdZoomIn: OnZoomIn(); break;
    case ids::cmdZoomOut: OnZoomOut(); break;
    case ids::cmdFullScreen: EnterFullScreen(); break;
    case ids::cmdFreeze: OnFreeze(); break;
    case ids::cmdScreenshot: OnScreenshot(); break;
    default: break;
  }
}

void frmMain::OnMouseDown(rt::Control& c, int, int, float, float) {
  if (c.Id() == ids::picMagnifier) OnMagnifierDown();
}

void frmMain::OnMouseMove(rt::Control& c, int, int, float, float) {
  if (c.Id() == ids::picMagnifier) OnMagnifierMove();
}

void frmMain::OnMouseUp(rt::Control& c, int, int, float, float) {
  if (c.Id() == ids::picMagnifier) OnMagnifierUp();
}

std::wstring SizeCaption(float contentWidth, float contentHeight) {
  return L"Vistrel1.5 [" + rt::Str(contentWidth) + L"\u00D7" + rt::Str(contentHeight) + L"]2008-10-14";
}
