// Taking a window without the mouse: the real exe started with a command
// line, and its hotkeys pressed from another program.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/classes.h"
#include "select/options.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr wchar_t kPlace[] = L" --x 860 --y 600 --w 360 --h 300";
constexpr UINT kDefault = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

std::wstring Notice(const Tool& tool) {
  const HWND balloon = ShownToolTip(tool, true);
  return balloon ? TextOf(balloon) : L"";
}

bool Inside(const Tool& tool, HWND h) { return ParentOf(h) == ToolControl(tool, ids::picBox); }

TEST(CommandLineTool, TakesTheWindowItNamesOrSaysWhatItLookedFor) {
  const struct {
    const char* what;
    const wchar_t *target, *args, *notice;  // no target; %h: its handle; said while waiting or when nothing came
    bool later, fullscreen;                 // the target starts once the tool waits for it
  } rows[] = {
      {"title, class and file name together", L"Camera Preview",
       L"--title camera --class vistreltarget --exe VISTREL_TARGET.EXE --ratio 2 --no-topmost", nullptr, false, false},
      {"a Chinese title", L"摄像头预览", L"--title 像头", nullptr, false, false},
      {"a window that appears later", L"Later", L"--title Later --wait 30",
       L"Waiting 30 s for a window matching \u201CLater\u201D.", true, false},
      {"another program's file", L"Camera", L"--title Camera --exe notepad.exe --wait 1",
       L"No window matching \u201CCamera, notepad.exe\u201D appeared within 1 s.", false, false},
      {"only our own window", nullptr, L"--title Vistrel1.5 --wait 0",
       L"No window matching \u201CVistrel1.5\u201D appeared within 0 s.", false, false},
      {"by handle, full screen", L"Handle", L"--hwnd %h --fullscreen", nullptr, false, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    std::optional<Target> t;
    const std::wstring targetArgs = std::wstring(L"--title \"") + (r.target ? r.target : L"") + L"\"" + kPlace;
    if (r.target && !r.later) ASSERT_TRUE(t = StartTarget(targetArgs));
    std::wstring args = r.args;  // %h: the target's handle
    if (args.find(L"%h") != args.npos)
      args.replace(args.find(L"%h"), 2, std::to_wstring(reinterpret_cast<LONG_PTR>(t->main)));
    auto tool = StartTool(args);
    ASSERT_TRUE(tool);
    if (r.notice) EXPECT_TRUE(WaitUntil([&] { return Notice(*tool) == r.notice; }, 8000)) << testing::PrintToString(Notice(*tool));
    if (r.later) ASSERT_TRUE(t = StartTarget(targetArgs));
    const bool taken = t && WaitUntil([&] { return Inside(*tool, t->main); }, r.notice && !r.later ? 1000 : 8000);
    EXPECT_EQ(taken, r.target && (!r.notice || r.later));
    EXPECT_EQ(WaitUntil([&] { return IsZoomed(tool->form) != FALSE; }, r.fullscreen ? 8000 : 0), r.fullscreen);
    if (args.find(L"--ratio") != args.npos) {
      EXPECT_EQ(TextOf(ToolControl(*tool, ids::txtRatio)), L"2");
      EXPECT_FALSE(GetWindowLongW(tool->form, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    EXPECT_TRUE(CloseTool(*tool));
    if (t) StopTarget(*t);
  }
  // Wrong usage: the argument named with the usage, exit code 2, no form.
  ExpectMessageBoxes boxes;
  auto tool = StartTool(L"--wait soon --title X", false);
  ASSERT_TRUE(tool);
  const HWND box = FindMessageBox(L"Vistrel", 10000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box).rfind(L"Wrong argument: --wait soon\n\nvistrel [options]\n--title TEXT \u2014 title contains TEXT\n", 0), 0u)
      << testing::PrintToString(MessageBoxText(box));
  EXPECT_FALSE(FindWindowW(VISTREL_FORM_CLASS, nullptr));
  ASSERT_TRUE(CloseMessageBox(box));
  EXPECT_EQ(WaitExit(tool->process, 10000), std::optional<DWORD>(2));
  CloseHandle(tool->process);
}

// The third way a wait ends: a pick by hand ends it, and the window named
// that comes afterwards is left alone.
TEST(CommandLineTool, APickByHandEndsTheWait) {
  auto picked = StartTarget(L"--title Picked --x 500 --y 80 --w 300 --h 200");
  ASSERT_TRUE(picked);
  auto tool = StartTool(L"--title Later --wait 30");
  ASSERT_TRUE(tool);
  ASSERT_TRUE(WaitUntil([&] { return !Notice(*tool).empty(); }, 8000));
  ASSERT_TRUE(PickWithMagnifier(*tool, picked->main));
  EXPECT_TRUE(WaitUntil([&] { return Notice(*tool).empty(); }, 3000)) << testing::PrintToString(Notice(*tool));
  auto later = StartTarget(std::wstring(L"--title Later") + kPlace);
  ASSERT_TRUE(later);
  EXPECT_FALSE(WaitUntil([&] { return Inside(*tool, later->main); }, 1500));
  EXPECT_TRUE(CloseTool(*tool));
  StopTarget(*later);
  StopTarget(*picked);
}

// ---- hotkeys ------------------------------------------------------------------

// Modifiers down, the letter down, then up in reverse, as one input from this program.
void Chord(UINT mods, WORD letter) {
  std::vector<WORD> keys;
  const WORD modifiers[] = {VK_MENU, VK_CONTROL, VK_SHIFT, VK_LWIN};  // MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN
  for (int i = 0; i < 4; ++i)
    if (mods & (1u << i)) keys.push_back(modifiers[i]);
  keys.push_back(letter);
  std::vector<INPUT> in(keys.size() * 2, INPUT{INPUT_KEYBOARD});
  for (size_t i = 0; i < in.size(); ++i) {
    in[i].ki.wVk = keys[i < keys.size() ? i : in.size() - 1 - i];
    in[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(in[i].ki.wVk, MAPVK_VK_TO_VSC));
    in[i].ki.dwFlags = i < keys.size() ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Whether this process could take all the chords with these modifiers: none held by another.
bool AllFree(UINT mods) {
  bool free = true;
  for (WORD key : {'T', 'F', 'R', 'P', 'S', 'C', 'D'}) {
    free = free && RegisterHotKey(nullptr, key, mods, key);
    UnregisterHotKey(nullptr, key);
  }
  return free;
}

TEST(HotKeys, EachKeyActsFromBehindAnotherProgramAndGoesWithTheTool) {
  auto t = StartTarget(L"--title Front" + std::wstring(kPlace));
  ASSERT_TRUE(t);
  // Held here, in another program, before the tool starts.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, kDefault, 'F'));
  auto tool = StartTool();
  UnregisterHotKey(nullptr, 1);
  ASSERT_TRUE(tool);
  EXPECT_TRUE(WaitUntil([&] { return Notice(*tool) == L"Skipped, in use elsewhere: Ctrl+Alt+Shift+F"; }, 5000))
      << testing::PrintToString(Notice(*tool));
  const HWND pause = ToolControl(*tool, ids::cmdFreeze);
  const struct {
    const char* what;
    WORD key;
    std::function<bool()> done;
  } rows[] = {
      {"T: the window under the pointer", 'T', [&] { return Inside(*tool, t->main); }},
      {"R: given back", 'R', [&] { return ParentOf(t->main) == GetDesktopWindow(); }},
      {"P: frozen", 'P', [&] { return TextOf(pause) == L"继续"; }},
      {"S: saved", 'S', [&] { return Notice(*tool).rfind(L"Saved ", 0) == 0; }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    SetForegroundWindow(t->main);
    PointAt(CenterOf(t->main));
    Chord(kDefault, r.key);
    EXPECT_TRUE(WaitUntil(r.done, 5000));
  }
  DeleteFileW(Notice(*tool).substr(6).c_str());
  // Closing takes the keys away at once, also while a borrowed window keeps it waiting.
  Chord(kDefault, 'T');
  ASSERT_TRUE(WaitUntil([&] { return Inside(*tool, t->main); }, 5000));
  // The tool in front, so that nothing of its own waits on the program's focus.
  SetForegroundWindow(tool->form);
  WaitUntil([&] { return GetForegroundWindow() == tool->form; }, 2000);
  Pump(300);
  PostMessageW(t->main, kMsgTargetHang, 3000, 0);
  ASSERT_TRUE(WaitUntil([&] { return !Answers(*t, 20); }, 2000));
  PostMessageW(tool->form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return AllFree(kDefault); }, 2000));
  EXPECT_TRUE(CloseTool(*tool));
  // Other modifiers, with full screen and back; and none at all.
  for (const wchar_t* mods : {L"--hotkeys win+ctrl+alt", L"--hotkeys none"}) {
    auto other = StartTool(mods);
    ASSERT_TRUE(other);
    EXPECT_TRUE(AllFree(kDefault));
    for (bool full : {true, false}) {
      Chord(MOD_WIN | MOD_CONTROL | MOD_ALT, 'F');
      EXPECT_EQ(WaitUntil([&] { return (IsZoomed(other->form) != FALSE) == full; }, 3000), mods[10] == L'w' || !full);
    }
    EXPECT_TRUE(CloseTool(*other));
  }
  StopTarget(*t);
}

}  // namespace
