// Full screen with "全屏" and back with Esc: the screen-size arithmetic, the
// hidden tools, the saved geometry, border and window state, and the target
// fitted each way; driven by real clicks and key presses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "form/frmMain.h"
#include "testbed.h"
#include "view/fullscreen.h"

using namespace testbed;

namespace {

constexpr DWORD kWait = 10000;  // generous: the machine is shared


constexpr LONG_PTR kFrame = WS_CAPTION | WS_THICKFRAME;

bool Framed(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & kFrame) == kFrame; }
bool Frameless(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & kFrame) == 0; }

// ---- arithmetic ----------------------------------------------------------------

TEST(FullScreenArithmetic, ScreenPixelsAreTwipsOverTheExactTwipsPerPixel) {
  struct Case {
    float twips, perPixel;
    int32_t allowance;
    std::optional<int32_t> pixels;
  } cases[] = {
      {15360, 15, 4, 1028},      {11520, 15, 3, 771},  // 1024 x 768 at 96 dpi
      {19200, 15, 4, 1284},      {15360, 15, 3, 1027},  // the test bed's 1280 x 1024
      {15360, 12, 4, 1284},      {12800, 10, 4, 1284},  // 1280 px at 120 and 144 dpi
      {28800, 7.5f, 4, 3844},    {16200, 7.5f, 3, 2163},  // 3840 x 2160 at 192 dpi
      {1280 * (1440.0f / 168), 1440.0f / 168, 4, 1284},  // 175 %: 8.57 twips per pixel
      {1024 * (1440.0f / 168), 1440.0f / 168, 3, 1027},
      {1000.5f, 1, 0, 1000},     {1001.5f, 1, 0, 1002},  // halves go to the even neighbour
      {1000, 0, 4, std::nullopt},                        // no division by zero
      {1000, std::nanf(""), 4, std::nullopt},
      {1.0e12f, 15, 4, std::nullopt},                    // pixels past the 32-bit range
      {2147483520.0f, 1, 200, std::nullopt},             // the sum past it
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScreenPixelsPlus(c.twips, c.perPixel, c.allowance), c.pixels)
        << c.twips << " twips at " << c.perPixel << " + " << c.allowance;
}

// ---- through "全屏" and Esc -----------------------------------------------------

class FullScreen : public testing::Test {
 protected:
  void SetUp() override {
    form_ = OpenForm(kWait);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
    target_ = StartTarget(L"--x 600 --y 500 --w 200 --h 150");
    ASSERT_TRUE(target_);
    form_->FillProps(FromHwnd(target_->main));
    form_->cmdTransfer_Click();
    ASSERT_EQ(ParentOf(target_->main), form_->Picture4.hWnd());
  }

  void TearDown() override {
    if (form_) form_->Close();
    form_.reset();
    if (target_) StopTarget(*target_);
    Pump(50);
  }

  // The eleven tools that full screen hides.
  void ExpectTools(bool visible) {
    rt::Control* tools[] = {&form_->Picture3, &form_->Command1, &form_->Command2, &form_->Command3,
                            &form_->Command4, &form_->Command5, &form_->Command6, &form_->cmdTransfer,
                            &form_->Check1,   &form_->Label4,   &form_->Text2};
    for (rt::Control* c : tools) {
      EXPECT_EQ(c->Visible(), visible) << "control " << c->Id();
      if (c->hWnd()) EXPECT_EQ(IsWindowVisible(c->hWnd()) != FALSE, visible) << "control " << c->Id();
    }
  }

  void EnterFullScreen() {
    ClickSettled(form_->Command6.hWnd());
    ASSERT_TRUE(WaitUntil([&] { return form_->Visible() && IsZoomed(form_->hWnd()); }, kWait));
    // Esc can only come back to a form that is in front.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
  }

  void PressEscAndWaitForFrame() {
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(form_->hWnd()) && Framed(form_->hWnd()); }, kWait));
  }

  // The normal view as a person sees it: the form's outer size, the box's
  // place in the form, and the target's place in the box.
  struct View {
    RECT form, box, target;
  };
  View Now() {
    const RECT f = WindowRectOf(form_->hWnd());
    return {{0, 0, WidthOf(f), HeightOf(f)},
            RectIn(form_->Picture4.hWnd(), form_->hWnd()),
            RectIn(target_->main, form_->Picture4.hWnd())};
  }
  void ExpectView(const View& want) {
    const View now = Now();
    EXPECT_TRUE(SameRect(now.form, want.form)) << WidthOf(now.form) << "x" << HeightOf(now.form);
    EXPECT_TRUE(SameRect(now.box, want.box));
    EXPECT_TRUE(SameRect(now.target, want.target));
  }

  std::unique_ptr<frmMain> form_;
  std::optional<Target> target_;
};

TEST_F(FullScreen, FillsTheScreenAndEscRestoresTheNormalView) {
  const View normal = Now();
  const float formWidth = form_->Width(), formHeight = form_->Height();
  const std::wstring caption = form_->Caption();
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);

  EnterFullScreen();
  EXPECT_TRUE(Frameless(form_->hWnd()));
  EXPECT_EQ(form_->BorderStyle(), 0);
  EXPECT_EQ(form_->WindowState(), 2);
  EXPECT_EQ(form_->Caption(), caption);
  ExpectTools(false);
  EXPECT_TRUE(IsWindowVisible(form_->Picture4.hWnd()));
  EXPECT_FALSE(IsWindowVisible(form_->Picture5.hWnd()));
  EXPECT_EQ(form_->Picture4.Left(), 0.0f);
  EXPECT_EQ(form_->Picture4.Top(), 0.0f);
  EXPECT_EQ(form_->Picture4.Width(), static_cast<float>(sw + 4));
  EXPECT_EQ(form_->Picture4.Height(), static_cast<float>(sh + 3));
  EXPECT_TRUE(SameRect(RectIn(form_->Picture4.hWnd(), form_->hWnd()), RECT{0, 0, sw + 4, sh + 3}));
  // With no frame the form's client area is the screen.
  EXPECT_TRUE(SameRect(ClientRectInScreen(form_->hWnd()), RECT{0, 0, sw, sh}));
  EXPECT_EQ(ParentOf(target_->main), form_->Picture4.hWnd());
  EXPECT_TRUE(SameRect(RectIn(target_->main, form_->Picture4.hWnd()), RECT{0, 0, sw + 4, sh + 3}));
  EXPECT_EQ(form_->SavedFormWidth, formWidth);
  EXPECT_EQ(form_->SavedFormHeight, formHeight);
  EXPECT_EQ(form_->SavedPicWidth, 324.0f);
  EXPECT_EQ(form_->SavedPicHeight, 244.0f);
  EXPECT_EQ(form_->SavedPicTop, 40.0f);
  EXPECT_EQ(form_->SavedPicLeft, 8.0f);

  PressEscAndWaitForFrame();
  EXPECT_EQ(form_->BorderStyle(), 2);
  EXPECT_EQ(form_->WindowState(), 0);
  EXPECT_EQ(form_->Caption(), caption);
  ExpectTools(true);
  ExpectView(normal);
  EXPECT_EQ(ParentOf(target_->main), form_->Picture4.hWnd());
  EXPECT_TRUE(ProcessAlive(*target_));
}

TEST_F(FullScreen, EscInTheNormalViewReappliesTheSavedGeometry) {
  const View saved = Now();
  EnterFullScreen();
  PressEscAndWaitForFrame();

  ClickSettled(form_->Command1.hWnd());
  ASSERT_TRUE(WaitUntil([&] { return form_->Picture4.Width() == 344.0f; }, kWait));
  const std::wstring zoomed = form_->Caption();
  ASSERT_FALSE(SameRect(Now().form, saved.form));

  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return form_->Picture4.Width() == 324.0f; }, kWait));
  ExpectView(saved);
  EXPECT_TRUE(Framed(form_->hWnd()));
  EXPECT_EQ(form_->WindowState(), 0);
  ExpectTools(true);
  // The caption still names the zoomed size: full screen never rewrites it.
  EXPECT_EQ(form_->Caption(), zoomed);
}

TEST_F(FullScreen, EscBeforeTheFirstFullScreenDoesNothingAndKeysReachTheFocus) {
  const View normal = Now();
  form_->Text2.SetText(L"");
  ASSERT_TRUE(form_->Text2.SetFocus());
  PressKey(VK_ESCAPE);
  TypeText(L"9");
  // Once the "9" typed after Esc has arrived, Esc has been handled.
  ASSERT_TRUE(WaitUntil([&] { return form_->Text2.Text() == L"9"; }, kWait));
  ExpectView(normal);
  EXPECT_TRUE(Framed(form_->hWnd()));
  ExpectTools(true);
}

// ---- the real tool at 100 %, 150 %, 175 % and 200 % scaling --------------------

class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = sizeof old_;
    had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    set_ = RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof dpi) == ERROR_SUCCESS;
  }
  // Puts the setting back at once: only processes started meanwhile see it.
  void Restore() {
    if (!key_) return;
    if (had_)
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    else
      RegDeleteValueW(key_, L"LogPixels");
    RegCloseKey(key_);
    key_ = nullptr;
  }
  ~LogPixels() { Restore(); }
  bool Set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false, set_ = false;
};

TEST(FullScreenDpi, RealToolCoversTheScreenAtEveryScaling) {
  // The display box's 4800 x 3600 twips at each density, as start-up sizes it.
  const struct {
    DWORD dpi;
    LONG boxWidth, boxHeight;
  } rows[] = {{96, 324, 244}, {144, 484, 364}, {168, 564, 424}, {192, 644, 484}};
  const RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN) + 4, GetSystemMetrics(SM_CYSCREEN) + 3};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.dpi << " dpi");
    LogPixels dpi(row.dpi);
    ASSERT_TRUE(dpi.Set());
    auto tool = StartTool();
    dpi.Restore();
    ASSERT_TRUE(tool);
    struct Closer {
      Tool& tool;
      ~Closer() { CloseTool(tool); }
    } closer{*tool};
    const HWND box = ToolControl(*tool, ids::Picture4);
    ASSERT_EQ(WidthOf(WindowRectOf(box)), row.boxWidth) << "Wine did not take the dpi setting, or rescaled what this thread read";
    ASSERT_EQ(HeightOf(WindowRectOf(box)), row.boxHeight);
    const RECT before = WindowRectOf(tool->form);
    const RECT normalBox = RectIn(box, tool->form);

    ClickSettled(ToolControl(*tool, ids::Command6));
    EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(box, tool->form), whole); }, kWait))
        << WidthOf(WindowRectOf(box)) << "x" << HeightOf(WindowRectOf(box));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(tool->form) && GetForegroundWindow() == tool->form; }, kWait));
    EXPECT_TRUE(Frameless(tool->form));

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(box, tool->form), normalBox); }, kWait));
    EXPECT_TRUE(Framed(tool->form));
    EXPECT_EQ(WidthOf(WindowRectOf(tool->form)), WidthOf(before));
    EXPECT_EQ(HeightOf(WindowRectOf(tool->form)), HeightOf(before));
    EXPECT_TRUE(CloseTool(*tool));
  }
}

}  // namespace
