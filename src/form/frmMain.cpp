#include "form/frmMain.h"

#include "form/Module1.h"
#include "form/control_ids.h"
#include "runtime/convert.h"
#include "form/resource.h"
#include "form/tips.h"
#include "view/embed.h"
#include "view/fullscreen.h"

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);

}  // namespace

// Positions and sizes are twips in the container's client area; the table
// order is the creation order and so the stacking order.
frmMain::frmMain()
    : rt::Form(5025, 4290, L"Vistrel1.5 [320\u00D7240] 2008-10-14", IDI_VISTREL),
      Picture4(*this, nullptr, {ids::Picture4, L"", 120, 600, 4800, 3600, 20, true}, 1),
      Label1(*this, &Picture4, {ids::Label1, L"本程序大小88K", 120, 120, 1215, 255, 32, true}, kGrey),
      Command6(*this, nullptr, {ids::Command6, L"全屏", 4140, 120, 615, 375, 7, true}),
      Command5(*this, nullptr, {ids::Command5, L"截图", 3435, 120, 615, 375, 6, true}),
      Command4(*this, nullptr, {ids::Command4, L"暂停", 2730, 120, 615, 375, 5, true}),
      Text2(*this, nullptr, {ids::Text2, L"", 5760, 180, 450, 270, 8, true}),
      Command3(*this, nullptr, {ids::Command3, L"还原", 2040, 120, 615, 375, 4, true}),
      Check1(*this, nullptr, {ids::Check1, L"最前", 6240, 180, 735, 255, 9, true}, 1),
      Picture2(*this, nullptr, {ids::Picture2, L"", 9000, 960, 480, 480, 23, false}, 1, false,
               rt::ResourceCursor(IDC_ARROWPICTURE)),
      Picture3(*this, nullptr, {ids::Picture3, L"", 120, 120, 375, 375, 22, true}, 1),
      Picture1(*this, nullptr, {ids::Picture1, L"", 9000, 120, 480, 480, 21, false}, 3, false,
               rt::ResourceCursor(IDC_MAGNIFIER)),
      Command2(*this, nullptr, {ids::Command2, L"-", 1590, 120, 375, 375, 3, true}),
      Command1(*this, nullptr, {ids::Command1, L"+", 1155, 120, 375, 375, 2, true}),
      cmdTransfer(*this, nullptr, {ids::cmdTransfer, L"传输", 480, 120, 615, 375, 1, true}),
      fraWindowInfo(*this, nullptr, {ids::fraWindowInfo, L"窗口信息", 6840, 2400, 2415, 3255, 0, false}),
      txtWindowText(*this, &fraWindowInfo, {ids::txtWindowText, L"", 720, 600, 1695, 285, 28, true}),
      txthWnd(*this, &fraWindowInfo, {ids::txthWnd, L"", 960, 240, 1095, 270, 26, true}),
      Text1(*this, &fraWindowInfo, {ids::Text1, L"", 720, 960, 1575, 270, 25, true}),
      txtTop(*this, &fraWindowInfo, {ids::txtTop, L"", 720, 2160, 1095, 285, 14, true}),
      txtLeft(*this, &fraWindowInfo, {ids::txtLeft, L"", 720, 1800, 1095, 285, 13, true}),
      txtWidth(*this, &fraWindowInfo, {ids::txtWidth, L"", 720, 2520, 1095, 285, 12, true}),
      txtHeight(*this, &fraWindowInfo, {ids::txtHeight, L"", 720, 2880, 1095, 285, 11, true}),
      txtClassName(*this, &fraWindowInfo, {ids::txtClassName, L"", 720, 1440, 1095, 285, 10, true}),
      lblTitle(*this, &fraWindowInfo, {ids::lblTitle, L"标题:", 240, 600, 450, 180, 29, true}, CLR_INVALID, true),
      Label2(*this, &fraWindowInfo, {ids::Label2, L"句柄:", 120, 240, 615, 255, 27, true}),
      Label3(*this, &fraWindowInfo, {ids::Label3, L"父句柄", 120, 960, 615, 375, 24, true}),
      lblTop(*this, &fraWindowInfo, {ids::lblTop, L"上:", 240, 2160, 270, 180, 19, true}, CLR_INVALID, true),
      lblLeft(*this, &fraWindowInfo, {ids::lblLeft, L"左:", 240, 1800, 270, 180, 18, true}, CLR_INVALID, true),
      lblWidth(*this, &fraWindowInfo, {ids::lblWidth, L"宽度:", 120, 2520, 450, 180, 17, true}, CLR_INVALID, true),
      lblHeight(*this, &fraWindowInfo, {ids::lblHeight, L"高度:", 120, 2880, 450, 180, 16, true}, CLR_INVALID, true),
      lblClassName(*this, &fraWindowInfo, {ids::lblClassName, L"Class:", 120, 1440, 420, 195, 15, true}, CLR_INVALID, true),
      Picture5(*this, nullptr, {ids::Picture5, L"", 840, 4800, 2535, 2175, 31, false}, 1),
      Label4(*this, nullptr, {ids::Label4, L"宽高比:", 5160, 240, 735, 255, 30, true}) {
  // Custom pointer without a picture until the first pick: the arrow shows.
  SetMousePointer(99);
  SetToolTips();
}

frmMain::~frmMain() { DestroyNow(); }

void frmMain::SetToolTips() {
  Picture3.SetToolTipText(TipText(Tip::Magnifier));
  SetKeyTip(cmdTransfer, TipText(Tip::Transfer), 0);
  Command1.SetToolTipText(TipText(Tip::Larger));
  Command2.SetToolTipText(TipText(Tip::Smaller));
  SetKeyTip(Command3, TipText(Tip::Restore), 2);
  SetPauseCaption(Command4.Caption());
  SetKeyTip(Command5, TipText(Tip::Screenshot), 4);
  SetKeyTip(Command6, TipText(Tip::FullScreen), 1);
  Check1.SetToolTipText(TipText(Tip::Topmost));
  Text2.SetToolTipText(TipText(Tip::Ratio));
}

void frmMain::SetPauseCaption(std::wstring_view caption) {
  Command4.SetCaption(caption);
  SetKeyTip(Command4, TipText(caption == L"暂停" ? Tip::Pause : Tip::Resume), 3);
}

Window& frmMain::CurWindow() {
  if (!curWindow_) curWindow_.emplace();
  return *curWindow_;
}

// ---- Event decoding ---------------------------------------------------------

void frmMain::OnLoad() {
  Form_Load();
  StartFromCommandLine();
}

void frmMain::OnUnload(int& cancel) {
  // A closed tool takes no keys, also while it waits to give a window back.
  UnregisterHotKeys();
  // Giving a window back waits for its program: one that hangs must not keep
  // the closed tool on the screen meanwhile.
  Hide();
  // No watch on the keyboard while giving back waits for another program.
  StopWatchingEsc();
  Form_Unload(cancel);
}

void frmMain::OnDestroying() {
  // Whatever the path to here, no borrowed window may die with our form,
  // wherever in it the window was left (Picture4, or a parent named in Text1).
  GiveBackBorrowedWindows(hWnd());
  StopWatchingEsc();
  UnregisterHotKeys();
}

void frmMain::OnHotKey(int id) { Form_HotKey(id); }

void frmMain::OnTimer(UINT_PTR id) {
  if (id == kFirstFormTimer) LookForWanted();
}

void frmMain::OnKeyPress(int& keyAscii) { Form_KeyPress(keyAscii); }

bool frmMain::OnQueryEndSession(LPARAM reason) { return Form_QueryEndSession(reason); }

void frmMain::OnEndSession(LPARAM reason) { Form_EndSession(reason); }

void frmMain::OnAppMessage(UINT msg, WPARAM wp) {
  switch (msg) {
    case kMsgEscInProgram: Form_EscInProgram(); break;
    case kMsgProgramAnswered: Form_ProgramAnswered(reinterpret_cast<HWND>(wp)); break;
    case kMsgStillNotAnswering: Form_StillNotAnswering(); break;
    default: break;
  }
}

void frmMain::OnClick(rt::Control& control) {
  switch (control.Id()) {
    case ids::Check1: Check1_Click(); break;
    case ids::cmdTransfer: cmdTransfer_Click(); break;
    case ids::Command3: Command3_Click(); break;
    case ids::Command1: Command1_Click(); break;
    case ids::Command2: Command2_Click(); break;
    case ids::Command6: Command6_Click(); break;
    case ids::Command4: Command4_Click(); break;
    case ids::Command5: Command5_Click(); break;
    default: break;
  }
}

void frmMain::OnMouseDown(rt::Control& c, int button, int shift, float x, float y) {
  if (c.Id() == ids::Picture3) Picture3_MouseDown(button, shift, x, y);
}

void frmMain::OnMouseMove(rt::Control& c, int button, int shift, float x, float y) {
  if (c.Id() == ids::Picture3) Picture3_MouseMove(button, shift, x, y);
}

void frmMain::OnMouseUp(rt::Control& c, int button, int shift, float x, float y) {
  if (c.Id() == ids::Picture3) Picture3_MouseUp(button, shift, x, y);
}

// ---- Lifecycle (errors ignored: each step stands alone) ---------------------

void frmMain::Form_Load() {
  Text2.SetText(rt::Str(1.33));
  AspectFactor = 3.0f / 4.0f;
  Picture4.SetHeight(Picture4.Width() * AspectFactor);
  Picture4.SetWidth(Picture4.Width() + 4);
  Picture4.SetHeight(Picture4.Height() + 4);
  Picture3.SetPicture(Picture1.GetPicture());
  cmdTransfer.SetEnabled(false);
  SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void frmMain::Check1_Click() {
  if (Check1.Value() == 1) {
    SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  } else {
    SetWindowPos(hWnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void frmMain::Form_Unload(int& Cancel) {
  (void)Cancel;
  GivingBack = nullptr;  // closing gives back on its own
  const int32_t h = CurWindow().hwnd;
  if (h != 0) {
    if (const auto parent = rt::CLng(Text1.Text())) CurWindow().SetWindowParent(GiveBackParent(h, *parent));
  }
}

// ---- The end of the session -------------------------------------------------

namespace {

// A program asked at the end of a session that has not answered by then
// counts as agreeing, as Windows counts a program that hangs.
constexpr UINT kSessionAnswerMs = 5000;

}  // namespace

// Windows asks only top-level windows, so a window inside ours would never
// hear of it: each borrowed one is asked here as if it stood alone, and its
// program's refusal is ours.
bool frmMain::Form_QueryEndSession(LPARAM lParam) {
  HWND borrowed[kMostBorrowed];
  const int n = BorrowedWindows(hWnd(), borrowed);
  for (int i = 0; i < n; ++i) {
    DWORD_PTR agreed = TRUE;
    if (SendMessageTimeoutW(borrowed[i], WM_QUERYENDSESSION, 0, lParam, SMTO_ABORTIFHUNG, kSessionAnswerMs,
                            &agreed) &&
        !agreed)
      return false;
  }
  return true;
}

// Every borrowed window goes home as at closing, and only then is its program
// told, so that what it saves and closes is its own window, not one that
// dies with ours: our process may be ended the moment this returns.
void frmMain::Form_EndSession(LPARAM lParam) {
  HWND borrowed[kMostBorrowed];
  const int n = BorrowedWindows(hWnd(), borrowed);
  StopWatchingEsc();
  int cancel = 0;
  Form_Unload(cancel);
  GiveBackBorrowedWindows(hWnd());
  for (int i = 0; i < n; ++i)
    if (IsWindow(borrowed[i]) && GetAncestor(borrowed[i], GA_ROOT) != hWnd())
      SendMessageTimeoutW(borrowed[i], WM_ENDSESSION, TRUE, lParam, SMTO_ABORTIFHUNG, kSessionAnswerMs, nullptr);
}

std::wstring SizeCaption(float contentWidth, float contentHeight) {
  return L"Vistrel1.5 [" + rt::Str(contentWidth) + L"\u00D7" + rt::Str(contentHeight) + L"]2008-10-14";
}
