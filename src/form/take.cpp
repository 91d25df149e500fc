// Picking a window with the magnifier, taking it into the box ("传输") and
// giving it back ("还原").
#include "form/frmMain.h"
#include "form/ids.h"
#include "runtime/convert.h"
#include "select/pick.h"
#include "view/embed.h"
#include "window/Window.h"

namespace {

// How long "还原" waits for a program itself before it lets the message loop
// run and waits for the answer there; when it says so.
constexpr UINT kAnswerAtOnceMs = 50;
constexpr UINT kStillNotAnsweringMs = 150;
// How long the notice of a window not taken stays, unless a click comes first.
constexpr UINT kNotTakenNoticeMs = 6000;

}  // namespace

// ---- Picking (errors ignored: a step that fails is skipped) -------------------

void frmMain::OnMagnifierDown() {
  // A pick by hand ends the wait for the window the command line names.
  EndWait();
  if (SetCapture(hWnd()) != nullptr) {
    SetMouseIcon(picMagnifierCursor.GetPicture());
    picMagnifier.SetPicture({});
  }
  SetMousePointer(99);
  picking_ = true;
  SetCapture(picMagnifier.hWnd());
}

void frmMain::OnMagnifierMove() {
  if (!picking_) return;
  const UnderPointer under = WindowUnderPointer();
  lookedAt_ = under.at;
  if (under.window != picked_) RecordPick(under.window);
}

void frmMain::OnMagnifierUp() {
  picking_ = false;
  picMagnifier.SetPicture(picMagnifierCursor.GetPicture());
  SetMousePointer(0);
  ReleaseCapture();
  // Where the drag ends counts, as if a last move had come there; a click
  // on the magnifier's own box picks nothing.
  const HWND under = WindowUnderPointer().window;
  if (under != picked_ && under != picMagnifier.hWnd()) RecordPick(under);
  cmdTake.SetEnabled(true);
}

// The panel shows what was recorded; nothing is read back from it.
void frmMain::RecordPick(HWND h) {
  const WindowFacts facts = DescribeWindow(h);
  picked_ = h;
  pickedParent_ = facts.parent;
  txtTitle.SetText(facts.title);
  txtHandle.SetText(rt::DecimalText(FromHwnd(h)));
  txtParent.SetText(rt::DecimalText(FromHwnd(facts.parent)));
  txtClassName.SetText(facts.className);
  txtTop.SetText(rt::DecimalText(facts.rect.top));
  txtLeft.SetText(rt::DecimalText(facts.rect.left));
  txtWidth.SetText(rt::DecimalText(facts.rect.right));
  txtHeight.SetText(rt::DecimalText(facts.rect.bottom));
}

// ---- Taking and giving back -----------------------------------------------------

// All or nothing: a window that does not come stays as it was, and the
// user is told why.
void frmMain::OnTake() {
  // Live again; a still box beneath stays where it is.
  picBox.SetVisible(true);
  SetFrozen(false);
  picture_.End();
  if (givingBack_.window == picked_) givingBack_ = {};  // the last press counts
  const TakeResult taken = TakeIntoBox(picked_, picBox.hWnd());
  switch (taken.outcome) {
    case TakeOutcome::Taken:
      // A crop that leaves nothing of this window (the command line's) is said and dropped.
      if (CropRefused(crop_)) crop_.reset();
      return FitTarget();
    case TakeOutcome::NoWindow: return;
    case TakeOutcome::BreaksWhenMoved: return ShowUntaken(Tip::BreaksWhenMoved, Tip::BreaksShownLive);
    case TakeOutcome::NotResponding: return ShowNotice(cmdTake, TipText(Tip::NotResponding), kNotTakenNoticeMs);
    case TakeOutcome::Refused:
      if (taken.error == ERROR_ACCESS_DENIED) return ShowUntaken(Tip::Elevated, Tip::ElevatedShownLive);
      return ShowNotice(cmdTake, RefusalText(taken.error), kNotTakenNoticeMs);
  }
}

// The window itself is neither moved nor sent anything: DWM draws it.
void frmMain::ShowUntaken(Tip alone, Tip shown) {
  const bool live = StartPicture();
  ShowNotice(cmdTake, TipText(live ? shown : alone), kNotTakenNoticeMs);
}

// Re-parenting waits for the window's program, so a program that does not
// answer has its window back only once it answers; meanwhile the tool is free.
void frmMain::OnGiveBack() {
  picBox.SetVisible(true);
  // A window shown as a picture was never taken: only the picture ends.
  if (picture_) return picture_.End();
  if (!Holding()) return;
  const HWND to = GiveBackParent(picked_, pickedParent_);
  if (Answers(picked_, kAnswerAtOnceMs)) return (void)GiveBackTo(picked_, to);
  givingBack_ = {picked_, GetAncestor(picked_, GA_PARENT), to};
  WhenAnswers(picked_, hWnd(), kMsgProgramAnswered);
  SetTimer(hWnd(), kGiveBackTimer, kStillNotAnsweringMs, nullptr);
}

// Only the window "还原" was last pressed for, and only while it is still
// where it was then: not one taken in again, given back or closed meanwhile.
void frmMain::OnProgramAnswered(HWND window) {
  if (!window || window != givingBack_.window) return;
  const PendingGiveBack pending = givingBack_;
  givingBack_ = {};
  if (GetAncestor(window, GA_PARENT) == pending.from) GiveBackTo(window, pending.to);
}

// Only a window inside the box is ours to move: one only picked, left alone
// or already given back stays where and as it is.
bool frmMain::Holding() const {
  return picked_ && (InBox() || picked_ == givingBack_.window);
}

void frmMain::OnStillNotAnswering() {
  KillTimer(hWnd(), kGiveBackTimer);
  if (givingBack_.window) ShowNotice(cmdGiveBack, TipText(Tip::GoesBackLater), kNotTakenNoticeMs);
}
