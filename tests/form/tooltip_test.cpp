// Tooltips of the real exe: resting the pointer on each control the user
// acts on shows what it does, and the buttons their hotkeys, in English, or
// in Chinese when the interface language is Chinese (the Cp936 pass runs
// under a Chinese locale).
#include <gtest/gtest.h>

#include "form/ids.h"
#include "testbed.h"

using namespace testbed;

namespace {

struct Row {
  int id;
  const wchar_t* english;
  const wchar_t* chinese;
};

const Row kTips[] = {
    {ids::picMagnifier, L"Drag onto a window to pick it", L"按住拖到一个窗口上来选中它"},
    // Disabled until a pick: the tip matters most then.
    {ids::cmdTake, L"Pick a window with the magnifier first, then move it in here (Ctrl+Alt+Shift+T)",
     L"先用放大镜选一个窗口，再把它移进这里 (Ctrl+Alt+Shift+T)"},
    {ids::cmdZoomIn, L"Make the window larger (shape from the ratio)", L"放大窗口（形状按宽高比）"},
    {ids::cmdZoomOut, L"Make the window smaller (shape from the ratio)", L"缩小窗口（形状按宽高比）"},
    {ids::cmdGiveBack, L"Give the window back to where it came from (Ctrl+Alt+Shift+R)", L"把窗口还给它原来的地方 (Ctrl+Alt+Shift+R)"},
    {ids::cmdFreeze, L"Freeze the picture (Ctrl+Alt+Shift+P)", L"冻结画面 (Ctrl+Alt+Shift+P)"},
    {ids::cmdScreenshot, L"Save the picture as a bitmap file (Ctrl+Alt+Shift+S)", L"把画面保存为位图文件 (Ctrl+Alt+Shift+S)"},
    // "全屏" also names the keys that choose what of the window shows.
    {ids::cmdFullScreen,
     L"Show the window on the whole screen (Esc returns) (Ctrl+Alt+Shift+F); content only or the whole window: "
     L"Ctrl+Alt+Shift+C; draw the part to show: Ctrl+Alt+Shift+D",
     L"全屏显示窗口（按 Esc 返回） (Ctrl+Alt+Shift+F)；只显示内容或整个窗口：Ctrl+Alt+Shift+C；画出要显示的部分：Ctrl+Alt+Shift+D"},
    {ids::chkTopmost, L"Keep this tool above other windows", L"让本工具总在其他窗口之上"},
    {ids::txtRatio, L"Ratio for + and -: height = width \u00D7 this (0.2 to 5; 1.33 is 4:3)",
     L"+ 和 - 的比例：高 = 宽 \u00D7 此数（0.2 到 5；1.33 即 4:3）"},
};
const Row kResume{ids::cmdFreeze, L"Show the live picture again (Ctrl+Alt+Shift+P)", L"恢复实时画面 (Ctrl+Alt+Shift+P)"};

// Rests the pointer on the control until the tooltip says `want`; what it said.
std::wstring TipOn(const Tool& tool, int id, const std::wstring& want) {
  PointAt(CenterOf(ToolControl(tool, id)));
  std::wstring said;
  WaitUntil(
      [&] {
        const HWND tip = ShownToolTip(tool, false);
        said = tip ? TextOf(tip) : L"(none)";
        return said == want;
      },
      5000);
  return said;
}

void ExpectEachTip(bool chinese) {
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE, chinese);
  auto tool = StartToolClosedAtEnd();
  ASSERT_TRUE(tool);
  // "最前" and the ratio lie beyond the design width: widen the window as a user would.
  const RECT before = WindowRectOf(tool->form);
  SetWindowPos(tool->form, nullptr, 0, 0, 620, before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(tool->form)) == 620; }, 5000));
  ASSERT_FALSE(IsWindowEnabled(ToolControl(*tool, ids::cmdTake)));
  for (const Row& r : kTips) {
    const std::wstring want = chinese ? r.chinese : r.english;
    EXPECT_EQ(TipOn(*tool, r.id, want), want) << "control " << r.id;
  }
  // The freeze button's tip follows its caption.
  const HWND pause = ToolControl(*tool, ids::cmdFreeze);
  ASSERT_TRUE(ClickUntil(pause, [&] { return TextOf(pause) == L"继续"; }));
  PointAt(CenterOf(ToolControl(*tool, ids::cmdGiveBack)));
  const std::wstring want = chinese ? kResume.chinese : kResume.english;
  EXPECT_EQ(TipOn(*tool, ids::cmdFreeze, want), want);
}

TEST(ToolTips, EachControlSaysWhatItDoes) { ExpectEachTip(false); }

TEST(ToolTipsCp936, EachControlSaysWhatItDoesInChinese) { ExpectEachTip(true); }

}  // namespace
