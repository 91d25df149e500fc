#include "view/fullscreen.h"

#include "form/convert.h"
#include "form/frmMain.h"

std::optional<int32_t> ScreenPixelsPlus(float screenTwips, float twipsPerPixel, int32_t allowance) {
  // A divisor rounded to whole twips would leave part of a dense screen uncovered.
  if (twipsPerPixel == 0) return std::nullopt;
  const auto pixels = rt::CLngRound(static_cast<double>(screenTwips) / twipsPerPixel);
  if (!pixels) return std::nullopt;
  const int64_t sum = static_cast<int64_t>(*pixels) + allowance;
  if (sum > INT32_MAX || sum < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(sum);
}

void frmMain::Command6_Click() { fullscreen(); }

void frmMain::Form_KeyPress(int& KeyAscii) {
  if (KeyAscii == 27) smallscreen();
}

// Errors ignored: a step that fails is skipped and the next one runs.
void frmMain::fullscreen() {
  Hide();
  Picture3.SetVisible(false);
  Command1.SetVisible(false);
  Command2.SetVisible(false);
  Command3.SetVisible(false);
  Command4.SetVisible(false);
  Command5.SetVisible(false);
  Command6.SetVisible(false);
  cmdTransfer.SetVisible(false);
  Check1.SetVisible(false);
  Label4.SetVisible(false);
  Text2.SetVisible(false);
  SavedFormWidth = Width();
  SavedFormHeight = Height();
  SavedPicWidth = Picture4.Width();
  SavedPicHeight = Picture4.Height();
  SavedPicTop = Picture4.Top();
  SavedPicLeft = Picture4.Left();
  FullScreenSaved = true;
  Picture4.SetTop(0);
  Picture4.SetLeft(0);
  if (const auto w = ScreenPixelsPlus(rt::Screen.Width(), rt::Screen.TwipsPerPixelX(), 4))
    Picture4.SetWidth(static_cast<float>(*w));
  if (const auto h = ScreenPixelsPlus(rt::Screen.Height(), rt::Screen.TwipsPerPixelY(), 3))
    Picture4.SetHeight(static_cast<float>(*h));
  SetBorderStyle(0);
  SetCaption(Caption());
  SetWindowState(2);
  FitTarget();
  Show();
}

// Errors ignored, as above. Before the first full screen there is no saved
// view to return to, so Esc then does nothing.
void frmMain::smallscreen() {
  if (!FullScreenSaved) return;
  SetBorderStyle(2);
  SetCaption(Caption());
  SetWindowState(0);
  SetWidth(SavedFormWidth);
  SetHeight(SavedFormHeight);
  Picture3.SetVisible(true);
  Command1.SetVisible(true);
  Command2.SetVisible(true);
  Command3.SetVisible(true);
  Command4.SetVisible(true);
  Command5.SetVisible(true);
  Command6.SetVisible(true);
  cmdTransfer.SetVisible(true);
  Label4.SetVisible(true);
  Text2.SetVisible(true);
  Check1.SetVisible(true);
  Picture4.SetTop(SavedPicTop);
  Picture4.SetLeft(SavedPicLeft);
  Picture4.SetWidth(SavedPicWidth);
  Picture4.SetHeight(SavedPicHeight);
  FitTarget();
}
