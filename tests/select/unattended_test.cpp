// Taking a window without the mouse: the command line read alone, then the
// real exe started with it, and its hotkeys pressed from another program.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "select/options.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr wchar_t kPlace[] = L" --x 860 --y 600 --w 360 --h 300";
constexpr UINT kDefault = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

TEST(CommandLineParse, ReadsEachOptionAndNamesTheWrongOne) {
  const struct {
    std::vector<const wchar_t*> args;
    int bad;
    bool badValue;
    uint32_t wait;
    UINT mods;
    int32_t hwnd;
  } rows[] = {
      {{}, 0, false, 10, kDefault, 0},
      {{L"--title", L"Cam", L"--exe", L"c.exe", L"--wait", L"0", L"--fullscreen", L"--no-topmost"}, 0, false, 0, kDefault, 0},
      {{L"--hwnd", L"0x1A2b", L"--hotkeys", L"WIN+ctrl+alt", L"--ratio", L"2.5"}, 0, false, 10, MOD_WIN | MOD_CONTROL | MOD_ALT, 0x1a2b},
      {{L"--hwnd", L"-42", L"--hotkeys", L"none"}, 0, false, 10, 0, -42},
      {{L"--class", L"X", L"--bogus", L"1"}, 3, false, 10, kDefault, 0},
      {{L"--title"}, 1, false, 10, kDefault, 0},
      {{L"--wait", L"soon"}, 1, true, 10, kDefault, 0},
      {{L"--wait", L"-1"}, 1, true, 10, kDefault, 0},
      {{L"--ratio", L"9"}, 1, true, 10, kDefault, 0},
      {{L"--hotkeys", L"ctrl"}, 1, true, 10, kDefault, 0},
      {{L"--hotkeys", L"ctrl+ctrl"}, 1, true, 10, kDefault, 0},
      {{L"--hotkeys", L"alt+"}, 1, true, 10, kDefault, 0},
      {{L"--hwnd", L"0"}, 1, true, 10, kDefault, 0},
  };
  for (const auto& r : rows) {
    std::vector<const wchar_t*> argv{L"vistrel.exe"};
    argv.insert(argv.end(), r.args.begin(), r.args.end());
    const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    SCOPED_TRACE(testing::PrintToString(std::vector<std::wstring>(argv.begin(), argv.end())));
    EXPECT_EQ(line.bad, r.bad);
    EXPECT_EQ(line.badValue, r.badValue);
    if (r.bad) continue;
    EXPECT_EQ(line.options.WaitSeconds(), r.wait);
    EXPECT_EQ(line.options.HotKeys(), r.mods);
    EXPECT_EQ(line.options.hwnd, r.hwnd);
    EXPECT_FALSE(line.options.help);
  }
  for (const wchar_t* help : {L"--help", L"-h", L"/?"}) {
    const wchar_t* argv[] = {L"vistrel.exe", help, L"--bogus"};
    EXPECT_TRUE(ParseCommandLine(3, argv).options.help);
  }
}

std::wstring Notice(const Tool& tool) {
  const HWND balloon = ShownToolTip(tool, true);
  return balloon ? TextOf(balloon) : L"";
}

bool Inside(const Tool& tool, HWND h) { return ParentOf(h) == ToolControl(tool, ids::Picture4); }

TEST(CommandLineTool, TakesTheWindowItNamesOrSaysWhatItLookedFor) {
  const struct {
    const char* what;
    const wchar_t* target;  // its title; none for no target
    bool later;             // the target starts once the tool waits for it
    std::wstring args;      // %h: the target's handle
    const wchar_t* notice;  // said while waiting, or when nothing came
    bool fullscreen;
  } rows[] = {
      {"title, class and file name together", L"Camera Preview", false,
       L"--title camera --class vistreltarget --exe VISTREL_TARGET.EXE --ratio 2 --no-topmost", nullptr, false},
      {"a Chinese title", L"摄像头预览", false, L"--title 像头", nullptr, false},
      {"a window that appears later", L"Later", true, L"--title Later --wait 30",
       L"Waiting 30 s for a window matching \u201CLater\u201D.", false},
      {"another program's file", L"Camera", false, L"--title Camera --exe notepad.exe --wait 1",
       L"No window matching \u201CCamera, notepad.exe\u201D appeared within 1 s.", false},
      {"only our own window", nullptr, false, L"--title Vistrel1.5 --wait 0",
       L"No window matching \u201CVistrel1.5\u201D appeared within 0 s.", false},
      {"by handle, full screen", L"Handle", false, L"--hwnd %h --fullscreen", nullptr, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    std::optional<Target> t;
    const std::wstring targetArgs = std::wstring(L"--title \"") + (r.target ? r.target : L"") + L"\"" + kPlace;
    if (r.target && !r.later) ASSERT_TRUE(t = StartTarget(targetArgs));
    std::wstring args = r.args;
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
      EXPECT_EQ(TextOf(ToolControl(*tool, ids::Text2)), L"2");
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
  EXPECT_EQ(MessageBoxText(box).rfind(L"Wrong argument: --wait soon\n\nvistrel [options]\n--title TEXT\t", 0), 0u)
      << testing::PrintToString(MessageBoxText(box));
  EXPECT_FALSE(FindWindowW(VISTREL_FORM_CLASS, nullptr));
  ASSERT_TRUE(CloseMessageBox(box));
  EXPECT_EQ(WaitExit(tool->process, 10000), std::optional<DWORD>(2));
  CloseHandle(tool->process);
}

// ---- hotkeys ------------------------------------------------------------------

void Chord(UINT mods, WORD letter) {
  const WORD keys[] = {VK_LWIN, VK_CONTROL, VK_MENU, VK_SHIFT};
  const UINT bits[] = {MOD_WIN, MOD_CONTROL, MOD_ALT, MOD_SHIFT};
  std::vector<WORD> down;
  for (int i = 0; i < 4; ++i)
    if (mods & bits[i]) down.push_back(keys[i]);
  down.push_back(letter);
  std::vector<INPUT> in;
  for (int up = 0; up < 2; ++up)
    for (size_t i = 0; i < down.size(); ++i) {
      INPUT k{INPUT_KEYBOARD};
      k.ki.wVk = down[up ? down.size() - 1 - i : i];
      k.ki.wScan = static_cast<WORD>(MapVirtualKeyW(k.ki.wVk, MAPVK_VK_TO_VSC));
      k.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      in.push_back(k);
    }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Whether this process could take all the chords with these modifiers: none held by another.
bool AllFree(UINT mods) {
  bool free = true;
  for (WORD key : {'T', 'F', 'R', 'P', 'S'}) {
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
  const HWND pause = ToolControl(*tool, ids::Command4);
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
  PostMessageW(t->main, kMsgTargetHang, 3000, 0);
  ASSERT_TRUE(WaitUntil([&] { return !Answers(*t, 20); }, 2000));
  PostMessageW(tool->form, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tool->form); }, 2000));
  EXPECT_TRUE(AllFree(kDefault));
  EXPECT_TRUE(CloseTool(*tool));

  // Other modifiers, full screen and back; and none at all.
  auto other = StartTool(L"--hotkeys win+ctrl+alt");
  ASSERT_TRUE(other);
  EXPECT_TRUE(AllFree(kDefault));
  for (bool full : {true, false}) {
    Chord(MOD_WIN | MOD_CONTROL | MOD_ALT, 'F');
    EXPECT_TRUE(WaitUntil([&] { return (IsZoomed(other->form) != FALSE) == full; }, 5000)) << full;
  }
  EXPECT_TRUE(CloseTool(*other));
  auto none = StartTool(L"--hotkeys none");
  ASSERT_TRUE(none);
  EXPECT_TRUE(AllFree(kDefault));
  EXPECT_TRUE(CloseTool(*none));
  StopTarget(*t);
}

}  // namespace
