#include "runtime/convert.h"
#include "form/frmMain.h"

// Errors ignored: a step that fails is skipped and the next one runs.
void frmMain::Picture3_MouseDown(int Button, int Shift, float X, float Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
  // A pick by hand ends the wait for the window the command line names.
  EndWait();
  if (SetCapture(hWnd()) != nullptr) {
    SetMouseIcon(Picture1.GetPicture());
    Picture3.SetPicture({});
  }
  SetMousePointer(99);
  Picking = true;
  SetCapture(Picture3.hWnd());
}

void frmMain::Picture3_MouseMove(int Button, int Shift, float X, float Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
  if (!Picking) return;
  LookUnderPointer();
  if (PickPoint.hwndFound != CurHandle) FillProps(PickPoint.hwndFound);
}

void frmMain::LookUnderPointer() {
  POINT pt{};
  GetCursorPos(&pt);
  PickPoint = {pt.x, pt.y, FromHwnd(WindowFromPoint(pt))};
}

// Errors ignored, as in MouseDown.
void frmMain::Picture3_MouseUp(int Button, int Shift, float X, float Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
  Picking = false;
  Picture3.SetPicture(Picture1.GetPicture());
  SetMousePointer(0);
  ReleaseCapture();
  // Where the drag ends counts, as if a last move had come there; a click
  // on the magnifier's own box picks nothing.
  LookUnderPointer();
  if (PickPoint.hwndFound != CurHandle && ToHwnd(PickPoint.hwndFound) != Picture3.hWnd())
    FillProps(PickPoint.hwndFound);
  cmdTransfer.SetEnabled(true);
}

// Errors ignored: every field is written from its own fresh call.
void frmMain::FillProps(const int32_t& lWindow) {
  CurHandle = lWindow;
  CurWindow().hwnd = lWindow;
  txtWindowText.SetText(CurWindow().GetText());
  txthWnd.SetText(rt::DecimalText(CurHandle));
  Text1.SetText(rt::DecimalText(CurWindow().GetWindowParent(CurHandle)));
  txtClassName.SetText(CurWindow().GetWindowClassName());
  txtTop.SetText(rt::DecimalText(CurWindow().GetTop()));
  txtLeft.SetText(rt::DecimalText(CurWindow().GetLeft()));
  txtWidth.SetText(rt::DecimalText(CurWindow().GetWidth()));
  txtHeight.SetText(rt::DecimalText(CurWindow().GetHeight()));
}
