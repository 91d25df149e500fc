// When things go wrong around the tool: the target's program dies or hangs,
// a picked handle goes stale, the tool is closed in the middle of full
// screen, a freeze or the ratio warning. The tool must not crash, must not
// lose the target, and must carry on with the next window.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "capture/screenshot.h"
#include "form/ids.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "form/tips.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr DWORD kWaitMs = 10000;
// Away from the centred form and from the screen's top-left corner, where
// released windows land.
constexpr wchar_t kTargetArgs[] = L"--title FaultTarget --x 860 --y 620 --w 360 --h 300 --children";
constexpr wchar_t kNextArgs[] = L"--title NextTarget --x 40 --y 700 --w 300 --h 200";

std::shared_ptr<Target> Start(const std::wstring& args) {
  auto t = StartTarget(args);
  if (!t) return nullptr;
  return std::shared_ptr<Target>(new Target(*t), [](Target* p) {
    StopTarget(*p);
    delete p;
  });
}


SIZE SizeOf(HWND h) {
  const RECT r = WindowRectOf(h);
  return {r.right - r.left, r.bottom - r.top};
}

bool TopLevel(HWND h) { return IsWindow(h) && ParentOf(h) == GetDesktopWindow(); }

// Embedded as the fit step leaves it: at the box's client origin with the box's outer size.
bool FitsNow(HWND h, HWND box) {
  const RECT r = WindowRectOf(h), client = ClientRectInScreen(box);
  const SIZE want = SizeOf(box), got = SizeOf(h);
  return ParentOf(h) == box && r.left == client.left && r.top == client.top && got.cx == want.cx &&
         got.cy == want.cy;
}

// The same, once its program has got to the size asked.
bool FitsBox(HWND h, HWND box) { return WaitUntil([&] { return FitsNow(h, box); }, kWaitMs); }

void ExpectAlive(const Target& t, const std::string& what) {
  EXPECT_TRUE(IsWindow(t.main)) << what;
  EXPECT_TRUE(ProcessAlive(t)) << what;
  EXPECT_TRUE(Answers(t, 5000)) << what;
}

// Screenshots the tests take, deleted when the test ends.
class Faults : public testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& name : shots_) RemoveShots(kScreenshotFolder, name);
  }

  void Shoot(frmMain& f) {
    const SYSTEMTIME before = rt::Now();
    f.OnScreenshot();
    shots_.insert(ScreenshotFileName(before));
    shots_.insert(ScreenshotFileName(rt::Now()));
  }

  // Every button of the normal view, and Esc, once.
  void PressEveryButton(frmMain& f) {
    f.OnTake();
    f.OnZoomIn();
    f.OnZoomOut();
    f.OnFreeze();  // freeze
    f.OnFreeze();  // resume
    Shoot(f);
    f.EnterFullScreen();
    f.LeaveFullScreen();
    f.chkTopmost.SetValue(0);  // a changed value is the check box's click
    f.chkTopmost.SetValue(1);
    f.OnGiveBack();
    Pump(50);
  }

  std::set<std::wstring> shots_;
};

// ---- the target's program ends --------------------------------------------------

TEST_F(Faults, TargetThatDiesLeavesNothingBrokenAndTheNextPickWorks) {
  const struct {
    const char* what;
    bool embedded;
    bool kill;  // else it closes its window itself
  } rows[] = {
      {"closed between pick and transfer", false, false},
      {"killed between pick and transfer", false, true},
      {"closed while embedded", true, false},
      {"killed while embedded", true, true},
  };
  for (const auto& row : rows) {
    auto t = Start(kTargetArgs);
    ASSERT_TRUE(t) << row.what;
    auto form = OpenForm();
    frmMain& f = *form;
    const HWND box = f.picBox.hWnd();
    // Once through with nothing picked, so that what the buttons create on
    // first use is there before counting; the tips come with the pointer's
    // first visit, whenever that is.
    PressEveryButton(f);
    SendMessageW(f.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const HandleCounts before = LiveHandles();
    const long windowsBefore = rt::LiveWindows();

    f.RecordPick(t->main);
    if (row.embedded) {
      f.OnTake();
      ASSERT_EQ(ParentOf(t->main), box) << row.what;
    }
    if (row.kill)
      TerminateProcess(t->process, 1);
    else
      PostMessageW(t->main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(t->main) && !ProcessAlive(*t); }, kWaitMs)) << row.what;

    PressEveryButton(f);
    EXPECT_EQ(GetWindow(box, GW_CHILD), nullptr) << row.what;
    EXPECT_EQ(f.cmdFreeze.Caption(), L"暂停") << row.what;
    EXPECT_TRUE(SameHandles(before, LiveHandles())) << row.what;
    EXPECT_EQ(rt::LiveWindows(), windowsBefore) << row.what;

    // The next window is picked, embedded, zoomed and given back as usual.
    auto next = Start(kNextArgs);
    ASSERT_TRUE(next) << row.what;
    f.RecordPick(next->main);
    f.OnTake();
    EXPECT_TRUE(FitsBox(next->main, box)) << row.what;
    f.OnZoomIn();
    EXPECT_TRUE(FitsBox(next->main, box)) << row.what << ": after \"+\"";
    f.OnZoomOut();
    f.OnGiveBack();
    EXPECT_TRUE(TopLevel(next->main)) << row.what;
    form.reset();
    Pump(100);
    ExpectAlive(*next, row.what);
  }
}

// ---- closing the tool in the middle of something ------------------------------------

TEST_F(Faults, ClosingWhileFullScreenOrFrozenGivesTheTargetBack) {
  const struct {
    const char* what;
    std::function<void(frmMain&)> enter;
  } rows[] = {
      {"full screen", [](frmMain& f) { f.EnterFullScreen(); }},
      {"frozen", [](frmMain& f) { f.OnFreeze(); }},
      {"frozen, then full screen", [](frmMain& f) { f.OnFreeze(), f.EnterFullScreen(); }},
  };
  for (const auto& row : rows) {
    auto t = Start(kTargetArgs);
    ASSERT_TRUE(t) << row.what;
    auto form = OpenForm();
    frmMain& f = *form;
    f.RecordPick(t->main);
    f.OnTake();
    ASSERT_EQ(ParentOf(t->main), f.picBox.hWnd()) << row.what;
    row.enter(f);
    Pump(100);
    // As the close box or Alt+F4 would.
    const HWND hwnd = f.hWnd();
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }, kWaitMs)) << row.what;
    EXPECT_TRUE(WaitUntil([&] { return TopLevel(t->main); }, kWaitMs)) << row.what;
    ExpectAlive(*t, row.what);
    form.reset();
    Pump(50);
  }
}

// The real exe, a window embedded by a person's drag and click, the ratio
// warning up, and then the tool is told to close.
TEST_F(Faults, ClosingWithTheRatioWarningOpenEndsTheToolAndGivesTheTargetBack) {
  auto t = Start(kTargetArgs);
  ASSERT_TRUE(t);
  auto tool = StartToolClosedAtEnd();  ASSERT_TRUE(tool);
  const HWND box = ToolControl(*tool, ids::picBox), transfer = ToolControl(*tool, ids::cmdTake);
  ASSERT_TRUE(PickWithMagnifier(*tool, t->main));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(transfer) != FALSE; }, kWaitMs));
  ASSERT_TRUE(ClickUntil(transfer, [&] { return ParentOf(t->main) == box; }));

  SendMessageW(ToolControl(*tool, ids::txtRatio), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"9"));
  ExpectMessageBoxes expected;
  HWND warning = nullptr;
  for (int attempt = 0; attempt < 3 && !warning; ++attempt) {
    ClickWindow(ToolControl(*tool, ids::cmdZoomIn));
    warning = FindMessageBox(L"提示", 3000);
  }
  ASSERT_TRUE(warning) << "no ratio warning";
  DWORD boxPid = 0;
  GetWindowThreadProcessId(warning, &boxPid);
  EXPECT_EQ(boxPid, tool->pid);

  // The warning is modal; the close request reaches the form through its loop.
  PostMessageW(tool->form, WM_CLOSE, 0, 0);
  const auto code = WaitExit(tool->process, 15000);
  EXPECT_TRUE(code.has_value()) << "the tool did not end with its warning open";
  EXPECT_EQ(code.value_or(0), 0u) << "the tool ended, but not by its own close";
  EXPECT_FALSE(IsWindow(warning));
  EXPECT_TRUE(WaitUntil([&] { return TopLevel(t->main); }, kWaitMs));
  ExpectAlive(*t, "after the tool closed");
}

// ---- a target that stops answering ------------------------------------------------

// The figures are printed for docs/design.md. "+", Esc and "还原" never wait for
// the target, "全屏" once at most; every step is carried out once it answers.
TEST_F(Faults, HungTargetDelaysButDoesNotBreakTheButtons) {
  constexpr DWORD kHangMs = 2000, kNoWait = 100, kOneWait = kHangMs + 500;
  auto t = Start(kTargetArgs);
  ASSERT_TRUE(t);
  auto form = OpenForm();
  frmMain& f = *form;
  const HWND box = f.picBox.hWnd();
  f.RecordPick(t->main);
  f.OnTake();
  ASSERT_TRUE(FitsBox(t->main, box));
  int esc = 27;
  const struct {
    const char* what;
    std::function<void()> press;
    bool embedded;  // where the target must be once it answers again
    DWORD mostMs = 0;  // 0: printed only
  } rows[] = {
      {"传输", [&] { f.OnTake(); }, true},
      {"+", [&] { f.OnZoomIn(); }, true, kNoWait},
      {"-", [&] { f.OnZoomOut(); }, true},
      {"暂停", [&] { f.OnFreeze(); }, true},
      {"继续", [&] { f.OnFreeze(); }, true},
      {"截图", [&] { Shoot(f); }, true},
      {"全屏", [&] { f.EnterFullScreen(); }, true, kOneWait},
      {"Esc", [&] { f.LeaveFullScreen(); }, true, kNoWait},
      {"最前 off", [&] { f.chkTopmost.SetValue(0); }, true},
      {"最前 on", [&] { f.chkTopmost.SetValue(1); }, true},
      {"还原", [&] { f.OnGiveBack(); }, false, kNoWait},
      {"close", [&] { f.Close(); }, false},
  };
  std::string table;
  for (const auto& row : rows) {
    if (std::string(row.what) == "close") {
      f.OnTake();  // embedded again, while it still answers
      ASSERT_TRUE(FitsBox(t->main, box));
    }
    PostMessageW(t->main, kMsgTargetHang, kHangMs, 0);
    ASSERT_TRUE(WaitUntil([&] { return !Answers(*t, 20); }, 2000)) << row.what << ": the target never hung";
    const ULONGLONG t0 = GetTickCount64();
    row.press();
    const ULONGLONG blocked = GetTickCount64() - t0;
    char line[96];
    std::snprintf(line, sizeof line, "  %5llu ms  %s\n", blocked, row.what);
    table += line;
    if (row.mostMs) EXPECT_LE(blocked, row.mostMs) << row.what;
    if (row.mostMs && !row.embedded)  // "还原" says the window goes back later
      EXPECT_TRUE(WaitUntil([&] { const HWND n = ShownToolTip(Tool{nullptr, GetCurrentProcessId(), nullptr}, true);
                                  return n && TextOf(n) == TipText(Tip::GoesBackLater); }, 1000));
    ASSERT_TRUE(WaitUntil([&] { return Answers(*t, 200); }, kHangMs + 5000)) << row.what;
    Pump(50);
    if (row.embedded)
      EXPECT_TRUE(FitsBox(t->main, box)) << row.what;
    else
      EXPECT_TRUE(WaitUntil([&] { return TopLevel(t->main); }, kWaitMs)) << row.what;
  }
  std::printf("how long each button blocks the tool while the target hangs for %lu ms:\n%s", kHangMs,
              table.c_str());
  form.reset();
  Pump(50);
  ExpectAlive(*t, "after the hangs");
}

// Closing the real tool while the embedded program hangs: the tool is off
// the screen at once, waits unseen, gives the window back as soon as the
// program answers, and ends; should the program end instead, so does the tool.
TEST_F(Faults, ClosingWhileTheTargetHangsHidesTheToolAtOnce) {
  for (bool programEnds : {false, true}) {
    const char* what = programEnds ? "the program ends while hung" : "the program answers again";
    auto t = Start(kTargetArgs);
    ASSERT_TRUE(t) << what;
    auto tool = StartToolClosedAtEnd();    ASSERT_TRUE(tool) << what;
    const HWND box = ToolControl(*tool, ids::picBox), transfer = ToolControl(*tool, ids::cmdTake);
    ASSERT_TRUE(PickWithMagnifier(*tool, t->main)) << what;
    ASSERT_TRUE(ClickUntil(transfer, [&] { return ParentOf(t->main) == box; })) << what;

    PostMessageW(t->main, kMsgTargetHang, programEnds ? 60000 : 4000, 0);
    ASSERT_TRUE(WaitUntil([&] { return !Answers(*t, 20); }, 2000)) << what << ": the target never hung";
    PostMessageW(tool->form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(tool->form); }, 1000)) << what;
    // Still waiting, unseen, with nothing destroyed.
    EXPECT_FALSE(Answers(*t, 20)) << what << ": the hang was over before the tool went";
    EXPECT_EQ(WaitForSingleObject(tool->process, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << what;
    EXPECT_EQ(ParentOf(t->main), box) << what;

    if (programEnds) TerminateProcess(t->process, 1);
    EXPECT_EQ(WaitExit(tool->process, 15000), std::optional<DWORD>(0)) << what << ": the tool did not end";
    if (!programEnds) {
      EXPECT_TRUE(TopLevel(t->main)) << what;
      ExpectAlive(*t, what);
    }
  }
}

}  // namespace
