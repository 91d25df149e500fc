// Taking a window without the mouse: the window the command line names,
// looked for until it appears, and the hotkeys.
#include "form/frmMain.h"
#include "form/ids.h"
#include "runtime/convert.h"
#include "select/find.h"
#include "select/pick.h"
#include "window/Window.h"

namespace {

// One hotkey per button; its id is its place here plus 1.
constexpr wchar_t kHotKeyLetters[] = L"TFRPSCD";
constexpr int kHotKeys = ARRAYSIZE(kHotKeyLetters) - 1;
enum HotKey : int { kTake = 1, kFullScreen, kRestore, kPause, kScreenshot, kContentOnly, kDrawPart };

constexpr UINT kLookMs = 250;
constexpr UINT kNoticeMs = 10000;

// "Ctrl+Alt+Shift+F", as people write hotkeys.
Line& KeyName(Line& to, UINT mods, int key) {
  for (int i = 0; i < 4; ++i)
    if (mods & kModifierBits[i]) to << kModifierNames[i] << L"+";
  const wchar_t letter[] = {kHotKeyLetters[key], 0};
  return to << letter;
}

}  // namespace

void frmMain::SetKeyTip(rt::Control& button, const wchar_t* tip, int key) {
  Line text;
  text << tip;
  if (heldKeys_ & (1u << key)) KeyName(text << L" (", Wanted.HotKeys(), key) << L")";
  // "全屏" also names the keys that choose what of the window it shows (C, D:
  // their texts follow each other in the table).
  for (int k = kContentOnly - 1; key == kFullScreen - 1 && k < kHotKeys; ++k)
    if (heldKeys_ & (1u << k))
      KeyName(text << TipText(static_cast<Tip>(static_cast<int>(Tip::ContentOnlyKey) + k - (kContentOnly - 1))),
              Wanted.HotKeys(), k);
  button.SetToolTipText(text.Text());
}

// After Form_Load: what the command line changes, the hotkeys, and the first look.
void frmMain::StartFromCommandLine() {
  if (Wanted.ratio) txtRatio.SetText(Wanted.ratio);
  if (Wanted.noTopmost) chkTopmost.SetValue(0);
  if (Wanted.cropText) crop_ = Wanted.crop;
  Line skipped;
  const UINT mods = Wanted.HotKeys();
  for (int i = 0; mods && i < kHotKeys; ++i) {
    if (RegisterHotKey(hWnd(), i + 1, mods | MOD_NOREPEAT, kHotKeyLetters[i])) heldKeys_ |= 1u << i;
    else KeyName(skipped << (skipped.Empty() ? L"" : L", "), mods, i);
  }
  SetToolTips();
  if (!skipped.Empty()) ShowNotice(picMagnifier, keysNotice_.Said(Tip::KeysTaken, skipped.Text()).Text(), kNoticeMs);
  if (!Wanted.WantsWindow()) return;
  looksLeft_ = static_cast<int>(Wanted.WaitSeconds() * (1000 / kLookMs));
  // The first look once the form shows, then one every kLookMs.
  SetTimer(hWnd(), kLookTimer, 1, nullptr);
}

void frmMain::UnregisterHotKeys() {
  for (int i = 0; i < kHotKeys; ++i)
    if (heldKeys_ & (1u << i)) UnregisterHotKey(hWnd(), i + 1);
  heldKeys_ = 0;
}

void frmMain::EndWait() {
  if (KillTimer(hWnd(), kLookTimer)) HideNotice();
}

// Recorded exactly as a pick records it, then taken as "传输" takes it.
void frmMain::TakeWindow(HWND h) {
  EndWait();
  if (h != picked_) RecordPick(h);
  cmdTake.SetEnabled(true);
  OnTake();
}

void frmMain::LookForWanted() {
  SetTimer(hWnd(), kLookTimer, kLookMs, nullptr);
  if (const HWND h = FindWanted(Wanted)) {
    TakeWindow(h);
    // Full screen only for a window that did come in.
    if (Wanted.fullscreen && GetAncestor(h, GA_PARENT) == picBox.hWnd()) EnterFullScreen();
    return;
  }
  // Said once when the wait begins, and once when it is over.
  const bool over = looksLeft_-- <= 0;
  if (!over && waitNoticed_) return;
  waitNoticed_ = true;
  Line what, said;
  for (const wchar_t* given : {Wanted.title, Wanted.cls, Wanted.exe, Wanted.hwndText})
    if (given) what << (what.Empty() ? L"" : L", ") << given;
  if (over) EndWait();
  // Which hotkeys another program holds stays said.
  else if (!keysNotice_.Empty()) said << keysNotice_.Text() << L"\n";
  const std::wstring seconds = rt::DecimalText(static_cast<int32_t>(Wanted.WaitSeconds()));
  said.Said(over ? Tip::NotFound : Tip::Waiting, what.Text(), Wanted.waitText ? Wanted.waitText : seconds.c_str());
  ShowNotice(picMagnifier, said.Text(), over ? kNoticeMs : Wanted.WaitSeconds() * 1000);
}

void frmMain::OnHotKeyPressed(int id) {
  switch (id) {
    case kTake: {
      // As a drag released over the window under the pointer, then "传输";
      // never over this tool itself or the desktop.
      const HWND h = WindowUnderPointer().window, root = GetAncestor(h, GA_ROOT);
      if (h && h != GetDesktopWindow() && root != GetShellWindow() && !OfThisProcess(root)) TakeWindow(h);
      break;
    }
    case kFullScreen:
      if (fullScreen_) LeaveFullScreen();
      else EnterFullScreen();
      break;
    case kRestore: OnGiveBack(); break;
    case kPause: OnFreeze(); break;
    case kScreenshot: OnScreenshot(); break;
    case kContentOnly: OnContentOnlySwitch(); break;
    case kDrawPart: OnDrawPart(); break;
    default: break;
  }
}
