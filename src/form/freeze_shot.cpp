// "暂停"/"继续" and "截图".
#include "capture/copy.h"
#include "capture/screenshot.h"
#include "form/frmMain.h"

namespace {

// How long the notice of a saved screenshot stays, unless a click comes first.
constexpr UINT kSavedNoticeMs = 5000;

}  // namespace

// The state, the caption that shows it and the tooltip that goes with it.
void frmMain::SetFrozen(bool frozen) {
  frozen_ = frozen;
  cmdFreeze.SetCaption(frozen ? L"继续" : L"暂停");
  SetKeyTip(cmdFreeze, TipText(frozen ? Tip::Resume : Tip::Pause), 3);
}

void frmMain::ShowLive() {
  picBox.SetVisible(true);
  picStill.SetVisible(false);
  SetFrozen(false);
}

// The still box takes the display box's place and a copy of what it shows;
// it stays beneath the display box. Errors ignored, step by step. True when
// the copy was made: it then covers the still box's whole image.
bool frmMain::FillStillBox() {
  {
    // One move of the still box instead of four.
    rt::LayoutBatch batch(*this);
    picStill.SetScaleMode(3);
    picStill.SetAutoRedraw(true);
    picStill.SetLeft(picBox.Left());
    picStill.SetTop(picBox.Top());
    picStill.SetWidth(picBox.Width());
    picStill.SetHeight(picBox.Height());
  }
  picStill.SetVisible(true);
  // A tip of ours over the box counts as covering it, so it is hidden only
  // after the copy: hidden before, it may stay on the screen a moment (Wine
  // repaints what it uncovers later).
  const bool copied = CopyShownPicture(picBox.hWnd(), picBox.hDC(), picStill.hDC());
  HideTips();
  return copied;
}

// Where the screenshot went, in a balloon at "截图" that needs no answer.
void frmMain::ShowSaved(const std::wstring& path) {
  ShowNotice(cmdScreenshot, TipText(Tip::Saved) + path, kSavedNoticeMs);
}

// Errors ignored: a step that fails is skipped and the next one runs.
void frmMain::OnFreeze() {
  if (frozen_) return ShowLive();
  FillStillBox();
  picBox.SetVisible(false);
  SetFrozen(true);
  picStill.Refresh();
}

// Errors ignored, as above.
void frmMain::OnScreenshot() {
  // Clearing 5 MB first is wasted when the copy covers all of it.
  if (!frozen_ && !FillStillBox()) picStill.Cls();
  const SYSTEMTIME now = rt::Now();
  // The root of drive C is closed to standard users on current Windows, so
  // the Pictures folder stands in; a screenshot that is nowhere is said so.
  std::wstring saved = SaveScreenshot(picStill.Image(), kScreenshotFolder, now);
  if (!saved.empty()) return ShowSaved(saved);
  const std::wstring pictures = PicturesFolder();
  if (!pictures.empty()) saved = SaveScreenshot(picStill.Image(), pictures, now);
  if (!saved.empty()) return ShowSaved(saved);
  const std::wstring name = ScreenshotFileName(now);
  rt::MsgBox(L"截图未能保存，已尝试保存到：\n" + (kScreenshotFolder + name) +
                 (pictures.empty() ? std::wstring() : L"\n" + pictures + name),
             MB_OK | MB_ICONEXCLAMATION, L"提示");
}
