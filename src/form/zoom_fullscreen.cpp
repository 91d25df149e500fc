// "+" and "-", "全屏" and Esc, and the fit of the taken window to the box
// that all of them end with.
#include "form/frmMain.h"
#include "form/ids.h"
#include "runtime/convert.h"
#include "view/embed.h"
#include "view/esc_watch.h"
#include "view/fullscreen.h"
#include "view/zoom.h"

// The taken window, or the part the crop keeps, at the box's client origin
// with the box's outer size in whole pixels (the box keeps its size rounded
// half to even).
void frmMain::FitTarget() {
  const RECT box = picBox.PixelRect();
  FitToBox(picked_, box.right - box.left, box.bottom - box.top, crop_);
}

// ---- Zoom -----------------------------------------------------------------------

void frmMain::OnZoomIn() { Zoom(+20); }

void frmMain::OnZoomOut() { Zoom(-20); }

// No error guard: the one step that could fail, a size the box cannot take,
// is ruled out before the box is touched, so a click either resizes fully or
// changes nothing but the freeze.
void frmMain::Zoom(int step) {
  ShowLive();
  const std::wstring typed = txtRatio.Text();
  const std::optional<float> ratio = rt::CSng(typed);
  if (ratio) aspect_ = AspectFromRatio(*ratio);
  if (!ratio || !AspectAccepted(aspect_)) {
    rt::MsgBox(L"比值在0.2-5之间!", MB_OK | MB_ICONEXCLAMATION, L"提示");
    // With no number read, the text goes back as it was typed.
    txtRatio.SetText(ratio ? rt::Str(aspect_) : typed);
    txtRatio.SetFocus();
    return;
  }
  if (!ZoomStepFits(picBox.Width(), aspect_, step)) return;
  // The box and the form are placed once, when the step is done.
  rt::LayoutBatch layout(*this);
  picBox.SetWidth(picBox.Width() - 4 + static_cast<float>(step));
  picBox.SetHeight(picBox.Width() * aspect_);
  picBox.SetWidth(picBox.Width() + 4);
  picBox.SetHeight(picBox.Height() + 4);
  FitTarget();
  if (picBox.ScaleWidth() > 4400) SetWidth(picBox.ScaleWidth() + 440);
  if (picBox.ScaleHeight() > 500) SetHeight(picBox.ScaleHeight() + 1300);
  SetCaption(SizeCaption(picBox.Width() - 4, picBox.Height() - 4));
}

// ---- Full screen (errors ignored: a step that fails is skipped) ------------------

// The top row: every control full screen hides, in the order it hides them.
void frmMain::ShowTopRow(bool show) {
  rt::Control* const row[] = {&picMagnifier, &cmdZoomIn, &cmdZoomOut,    &cmdGiveBack, &cmdFreeze, &cmdScreenshot,
                              &cmdFullScreen, &cmdTake,  &chkTopmost, &lblRatio,    &txtRatio};
  for (rt::Control* c : row) c->SetVisible(show);
}

void frmMain::EnterFullScreen() {
  Hide();
  ShowTopRow(false);
  savedView_ = SavedView{Width(), Height(), picBox.Width(), picBox.Height(), picBox.Top(), picBox.Left()};
  fullScreen_ = true;
  picBox.SetTop(0);
  picBox.SetLeft(0);
  // The monitor that holds the tool, which need not be the primary one.
  const RECT monitor = rt::MonitorOf(hWnd());
  if (const auto w = FullScreenWidth(monitor)) picBox.SetWidth(static_cast<float>(*w));
  if (const auto h = FullScreenHeight(monitor)) picBox.SetHeight(static_cast<float>(*h));
  SetBorderStyle(0);
  SetCaption(Caption());
  SetWindowState(2);
  FitTarget();
  Show();
  WatchEsc(hWnd(), kMsgEscInProgram);
}

// Before the first full screen there is no saved view to return to, so Esc
// then does nothing.
void frmMain::LeaveFullScreen() {
  StopWatchingEsc();
  if (!savedView_) return;
  fullScreen_ = false;
  SetBorderStyle(2);
  SetCaption(Caption());
  SetWindowState(0);
  // The form and the box are placed once, when all their sizes are set.
  rt::LayoutBatch layout(*this);
  SetWidth(savedView_->formWidth);
  SetHeight(savedView_->formHeight);
  ShowTopRow(true);
  picBox.SetTop(savedView_->boxTop);
  picBox.SetLeft(savedView_->boxLeft);
  picBox.SetWidth(savedView_->boxWidth);
  picBox.SetHeight(savedView_->boxHeight);
  FitTarget();
}

// Esc typed into the embedded program; it may come after full screen was left.
void frmMain::OnEscInProgram() {
  if (WatchingEsc()) LeaveFullScreen();
}
