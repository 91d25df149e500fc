// The main window as it starts, its layout, "最前", and closing with a
// recorded parent that is good, empty or garbage.
#include <gtest/gtest.h>

#include "form/ids.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "window/Window.h"
#include "testbed.h"

using namespace testbed;

namespace {

bool Topmost(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

// Design twips to pixels at the screen's real DPI.
int Px(int twips) { return *rt::CLngRound(twips / rt::TwipsPerPixelX()); }

TEST(FormStart, RealExeStartsAsDesigned) {
  auto tool = StartTool();
  ASSERT_TRUE(tool);
  const HWND form = tool->form;
  EXPECT_EQ(TextOf(form), L"Vistrel1.5 [320\u00D7240] 2008-10-14");
  EXPECT_EQ(TextOf(ToolControl(*tool, ids::txtRatio)), L"1.33");
  const SIZE box = SizeOf(WindowRectOf(ToolControl(*tool, ids::picBox)));
  EXPECT_EQ(box.cx, 324);
  EXPECT_EQ(box.cy, 244);
  EXPECT_FALSE(IsWindowEnabled(ToolControl(*tool, ids::cmdTake)));
  EXPECT_TRUE(Topmost(form));

  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, Px(5025));
  EXPECT_EQ(client.bottom, Px(4290));
  // Centred on the screen, give or take the rounding of odd sizes.
  const RECT outer = WindowRectOf(form);
  EXPECT_LE(std::abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);

  // The magnifier sits in the picker box; the pointer picture holders stay hidden.
  EXPECT_TRUE(IsWindowVisible(ToolControl(*tool, ids::picMagnifier)));
  EXPECT_FALSE(IsWindowVisible(ToolControl(*tool, ids::picMagnifierCursor)));
  EXPECT_FALSE(IsWindowVisible(ToolControl(*tool, ids::picArrow)));
  EXPECT_FALSE(IsWindowVisible(ToolControl(*tool, ids::picStill)));
  EXPECT_FALSE(IsWindowVisible(ToolControl(*tool, ids::fraWindowInfo)));
  EXPECT_TRUE(CloseTool(*tool));
}

TEST(FormStart, TopmostFollowsTheCheckBox) {
  auto tool = StartTool();
  ASSERT_TRUE(tool);
  auto other = StartTarget(L"--title Other --x 20 --y 20 --w 680 --h 900");
  ASSERT_TRUE(other);
  // "最前" lies beyond the design width: widen the window as a user would.
  const RECT before = WindowRectOf(tool->form);
  SetWindowPos(tool->form, nullptr, 0, 0, 620, before.bottom - before.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const HWND check = ToolControl(*tool, ids::chkTopmost);
  ASSERT_TRUE(WaitUntil([&] { return WindowRectOf(tool->form).right - WindowRectOf(tool->form).left == 620; }, 5000));

  // Activating a window that covers the tool does not bring it over the tool.
  SetForegroundWindow(other->main);
  ClickAt({100, 100});
  Pump(300);
  EXPECT_TRUE(Topmost(tool->form));

  const RECT placed = WindowRectOf(tool->form);
  ClickWindow(check);
  ASSERT_TRUE(WaitUntil([&] { return !Topmost(tool->form); }, 5000));
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Now another window may come over it (it covers the left part, not the check box).
  ClickAt({100, 100});
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other->main; }, 5000));
  HWND above = GetWindow(tool->form, GW_HWNDPREV);
  bool covered = false;
  for (; above; above = GetWindow(above, GW_HWNDPREV)) covered |= above == other->main;
  EXPECT_TRUE(covered);

  ClickWindow(check);
  EXPECT_TRUE(WaitUntil([&] { return Topmost(tool->form); }, 5000));
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  const RECT after = WindowRectOf(tool->form);
  EXPECT_EQ(after.left, placed.left);
  EXPECT_EQ(after.top, placed.top);
  EXPECT_EQ(after.right, placed.right);
  EXPECT_EQ(after.bottom, placed.bottom);
  StopTarget(*other);
  EXPECT_TRUE(CloseTool(*tool));
}

// Refuses every new window of this thread, as a system out of resources would.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wp, LPARAM lp) {
  return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wp, lp);
}

TEST(FormStart, WithoutItsWindowTheProgramEndsAtOnceWithAFailure) {
  const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
  ASSERT_TRUE(hook);
  auto form = std::make_unique<frmMain>();
  UnhookWindowsHookEx(hook);
  ASSERT_EQ(form->hWnd(), nullptr);
  // A Run that waited for messages would take this quit and say 0, instead of hanging the test.
  PostQuitMessage(0);
  EXPECT_NE(form->Run(), 0);
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// ---- the form hosted in this process ----------------------------------------

class HostedForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<frmMain>();
    form_->SetStartValues();
    form_->Show();
    Pump(100);
  }
  std::unique_ptr<frmMain> form_;
};

TEST_F(HostedForm, ControlsStackInCreationOrderWithDesignGeometry) {
  // Windowed controls directly on the form, top of the stacking order first.
  const int expected[] = {ids::picBox, ids::cmdFullScreen, ids::cmdScreenshot, ids::cmdFreeze,
                          ids::txtRatio,    ids::cmdGiveBack, ids::chkTopmost,   ids::picArrow,
                          ids::picMagnifier, ids::picMagnifierCursor, ids::cmdZoomOut, ids::cmdZoomIn,
                          ids::cmdTake, ids::fraWindowInfo, ids::picStill};
  int i = 0;
  for (HWND c = GetWindow(form_->hWnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i) {
    ASSERT_LT(i, static_cast<int>(std::size(expected)));
    EXPECT_EQ(GetDlgCtrlID(c), expected[i]) << "at stacking position " << i;
  }
  EXPECT_EQ(i, static_cast<int>(std::size(expected)));

  struct Row {
    rt::Control* control;
    int left, top, width, height;  // twips
  };
  frmMain& f = *form_;
  const Row rows[] = {
      {&f.cmdFullScreen, 4140, 120, 615, 375}, {&f.cmdScreenshot, 3435, 120, 615, 375},
      {&f.cmdFreeze, 2730, 120, 615, 375}, {&f.txtRatio, 5760, 180, 450, 270},
      {&f.cmdGiveBack, 2040, 120, 615, 375}, {&f.chkTopmost, 6240, 180, 735, 255},
      {&f.picMagnifier, 120, 120, 375, 375},  {&f.cmdZoomOut, 1590, 120, 375, 375},
      {&f.cmdZoomIn, 1155, 120, 375, 375}, {&f.cmdTake, 480, 120, 615, 375},
      {&f.picMagnifierCursor, 9000, 120, 480, 480}, {&f.picArrow, 9000, 960, 480, 480},
  };
  for (const Row& r : rows) {
    RECT rc = WindowRectOf(r.control->hWnd());
    MapWindowPoints(HWND_DESKTOP, f.hWnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, Px(r.left)) << r.control->Id();
    EXPECT_EQ(rc.top, Px(r.top)) << r.control->Id();
    EXPECT_EQ(rc.right - rc.left, Px(r.width)) << r.control->Id();
    EXPECT_EQ(rc.bottom - rc.top, Px(r.height)) << r.control->Id();
  }
  // Inside, the display box counts in twips; its content is 4 px smaller than its outside.
  EXPECT_FLOAT_EQ(f.picBox.Width(), 324.0f);
  EXPECT_FLOAT_EQ(f.picBox.Height(), 244.0f);
  EXPECT_FLOAT_EQ(f.picBox.ScaleWidth(), 320.0f * rt::TwipsPerPixelX());
  EXPECT_FLOAT_EQ(f.picBox.ScaleHeight(), 240.0f * rt::TwipsPerPixelY());
  EXPECT_FLOAT_EQ(f.Aspect(), 0.75f);
  EXPECT_EQ(f.picMagnifier.GetPicture().handle, f.picMagnifierCursor.GetPicture().handle);
  EXPECT_TRUE(f.picMagnifier.GetPicture());
}

TEST_F(HostedForm, SmallIconIsTheIconsOwnSmallImage) {
  const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(form_->hWnd(), GCLP_HICONSM));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(bm.bmHeight, GetSystemMetrics(SM_CYSMICON));
}

TEST_F(HostedForm, LabelsHaveNoWindowSoPointsOverThemFindTheirContainer) {
  frmMain& f = *form_;
  EXPECT_EQ(f.lblSize.hWnd(), nullptr);
  RECT client = ClientRectInScreen(f.picBox.hWnd());
  POINT overLabel{client.left + Px(120) + 10, client.top + Px(120) + 5};
  EXPECT_EQ(WindowFromPoint(overLabel), f.picBox.hWnd());
  EXPECT_EQ(f.lblSize.Caption(), L"本程序大小88K");
}

TEST_F(HostedForm, TabVisitsFocusableControlsInTabIndexOrder) {
  frmMain& f = *form_;
  SetForegroundWindow(f.hWnd());
  f.cmdZoomIn.SetFocus();
  const rt::Control* order[] = {&f.cmdZoomOut, &f.cmdGiveBack, &f.cmdFreeze, &f.cmdScreenshot, &f.cmdFullScreen,
                                &f.txtRatio,    &f.chkTopmost,   &f.picBox, &f.picMagnifier, &f.cmdZoomIn};
  for (const rt::Control* next : order) {
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return GetFocus() == next->hWnd(); }, 3000))
        << "expected focus on control " << next->Id();
  }
}

// Closing gives the picked window, held in the box, back to the parent
// recorded at the pick; the hidden panel only shows it, so what its text
// says decides nothing.
TEST(FormClose, GivesBackToTheParentRecordedAtThePick) {
  auto target = StartTarget(L"--title Closing --x 40 --y 40 --w 200 --h 150 --children");
  auto host = StartTarget(L"--title Host --x 40 --y 600 --w 300 --h 300");
  ASSERT_TRUE(target && host);
  for (const std::wstring& text : {std::wstring(), std::wstring(L"garbage"), rt::DecimalText(FromHwnd(host->main))}) {
    auto form = std::make_unique<frmMain>();
    form->SetStartValues();
    form->RecordPick(target->edit);
    SetParent(target->edit, form->picBox.hWnd());  // held, however it came there
    form->txtParent.SetText(text);
    form->Close();
    Pump(50);
    EXPECT_EQ(ParentOf(target->edit), target->main) << "text: " << testing::PrintToString(text);
  }
  StopTarget(*target);
  StopTarget(*host);
}

TEST(FormClose, WithNothingChosenLeavesEveryWindowAlone) {
  auto target = StartTarget(L"--title Untouched --x 60 --y 60 --w 200 --h 150");
  ASSERT_TRUE(target);
  const RECT before = WindowRectOf(target->main);
  {
    frmMain form;
    form.SetStartValues();
    form.txtParent.SetText(rt::DecimalText(FromHwnd(target->main)));
    form.Close();
  }
  EXPECT_EQ(ParentOf(target->main), GetDesktopWindow());
  const RECT after = WindowRectOf(target->main);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right, before.right);
  StopTarget(*target);
}

// The test bed's screen has 96 dots per inch; other densities are met with
// the real exe in the full-screen tests.
TEST(FormUnits, NinetySixDotsPerInchAreFifteenTwipsPerPixel) {
  EXPECT_EQ(rt::TwipsPerPixelX(), 15.0f);
  EXPECT_EQ(rt::TwipsPerPixelY(), 15.0f);
  EXPECT_EQ(rt::Screen.Width(), GetSystemMetrics(SM_CXSCREEN) * 15.0f);
  EXPECT_EQ(rt::Screen.Height(), GetSystemMetrics(SM_CYSCREEN) * 15.0f);
}

// Everything the form draws with, the still box's image among it, goes with the form.
TEST(FormHandles, AFormLeavesNoGdiObjectOrDcBehind) {
  auto session = [] {
    auto form = OpenForm();
    form->OnFreeze();  // the still box: an image and a DC to draw it
    form->OnZoomIn();  // a larger box, so the next freeze replaces the image
    form->OnFreeze();
  };
  session();  // the font and screen figures the runtime keeps for the whole run
  const HandleCounts before = LiveHandles();
  session();
  EXPECT_TRUE(SameHandles(before, LiveHandles()));
}

}  // namespace
