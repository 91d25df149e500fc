#include "view/zoom.h"

#include "form/convert.h"
#include "form/frmMain.h"

float AspectFromRatio(float ratio) { return ratio == 1.33f ? 3.0f / 4.0f : ratio; }

bool AspectAccepted(float factor) { return factor >= 0.2f && factor <= 5.0f; }

void frmMain::Command1_Click() { Zoom(+20); }

void frmMain::Command2_Click() { Zoom(-20); }

void frmMain::ResumeLive() {
  Picture4.SetVisible(true);
  Picture5.SetVisible(false);
  Command4.SetCaption(L"暂停");
}

// No error guard here: a step that cannot be carried out ends the click, so a
// half-done zoom never goes on with sizes that make no sense.
void frmMain::Zoom(int step) {
  ResumeLive();
  const std::wstring typed = Text2.Text();
  const std::optional<float> ratio = rt::CSng(typed);
  if (ratio) AspectFactor = AspectFromRatio(*ratio);
  if (!ratio || !AspectAccepted(AspectFactor)) {
    rt::MsgBox(L"比值在0.2-5之间!", MB_OK | MB_ICONEXCLAMATION, L"提示");
    Text2.SetText(ratio ? rt::Str(AspectFactor) : typed);
    Text2.SetFocus();
    return;
  }
  // A content width below zero is no size at all: the click only lifts the freeze.
  if (Picture4.Width() - 4 + static_cast<float>(step) < 0) return;
  if (!Picture4.SetWidth(Picture4.Width() - 4 + static_cast<float>(step))) return;
  if (!Picture4.SetHeight(Picture4.Width() * AspectFactor)) return;
  if (!Picture4.SetWidth(Picture4.Width() + 4)) return;
  if (!Picture4.SetHeight(Picture4.Height() + 4)) return;
  if (!FitTarget()) return;
  if (Picture4.ScaleWidth() > 4400) {
    if (!SetWidth(Picture4.ScaleWidth() + 440)) return;
  }
  if (Picture4.ScaleHeight() > 500) {
    if (!SetHeight(Picture4.ScaleHeight() + 1300)) return;
  }
  SetCaption(SizeCaption(Picture4.Width() - 4, Picture4.Height() - 4));
}
