#include "view/zoom.h"

#include "runtime/convert.h"
#include "form/frmMain.h"

float AspectFromRatio(float ratio) { return ratio == 1.33f ? 3.0f / 4.0f : ratio; }

bool AspectAccepted(float factor) { return factor >= 0.2f && factor <= 5.0f; }

bool ZoomStepFits(float boxWidth, float factor, int step) {
  const float content = boxWidth - 4 + static_cast<float>(step);
  if (!(content >= 0)) return false;  // NaN fails here too
  const float height = content * factor;
  return rt::CLngRound(content) && rt::CLngRound(height) && rt::CLngRound(content + 4) &&
         rt::CLngRound(height + 4);
}

void frmMain::Command1_Click() { Zoom(+20); }

void frmMain::Command2_Click() { Zoom(-20); }

void frmMain::ResumeLive() {
  Picture4.SetVisible(true);
  Picture5.SetVisible(false);
  SetPauseCaption(L"暂停");
}

// No error guard: the one step that could fail, a size the box cannot take,
// is ruled out before the box is touched, so a click either resizes fully or
// changes nothing but the freeze.
void frmMain::Zoom(int step) {
  ResumeLive();
  const std::wstring typed = Text2.Text();
  const std::optional<float> ratio = rt::CSng(typed);
  if (ratio) AspectFactor = AspectFromRatio(*ratio);
  if (!ratio || !AspectAccepted(AspectFactor)) {
    rt::MsgBox(L"比值在0.2-5之间!", MB_OK | MB_ICONEXCLAMATION, L"提示");
    // With no number read, the text goes back as it was typed.
    Text2.SetText(ratio ? rt::Str(AspectFactor) : typed);
    Text2.SetFocus();
    return;
  }
  if (!ZoomStepFits(Picture4.Width(), AspectFactor, step)) return;
  // The box and the form are placed once, when the step is done.
  rt::LayoutBatch layout(*this);
  Picture4.SetWidth(Picture4.Width() - 4 + static_cast<float>(step));
  Picture4.SetHeight(Picture4.Width() * AspectFactor);
  Picture4.SetWidth(Picture4.Width() + 4);
  Picture4.SetHeight(Picture4.Height() + 4);
  FitTarget();
  if (Picture4.ScaleWidth() > 4400) SetWidth(Picture4.ScaleWidth() + 440);
  if (Picture4.ScaleHeight() > 500) SetHeight(Picture4.ScaleHeight() + 1300);
  SetCaption(SizeCaption(Picture4.Width() - 4, Picture4.Height() - 4));
}
