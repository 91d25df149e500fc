// The zoom buttons "+" and "-": the ratio check, the new box and target size,
// the form following the box, and the caption, driven by real clicks.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "runtime/convert.h"
#include "form/frmMain.h"
#include "testbed.h"
#include "view/zoom.h"

using namespace testbed;

namespace {

constexpr DWORD kWait = 10000;  // generous: the machine is shared



// What a person sees of a message box, and closing it with a click on OK.
struct BoxSeen {
  bool found = false;
  std::wstring text;
  bool exclamation = false;
  bool closed = false;
};

bool ShowsIcon(HWND box, LPCWSTR icon) {
  const HICON want = LoadIconW(nullptr, icon);
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (ClassOf(c) == L"Static" && reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0)) == want)
      return true;
  return false;
}

class PersonAtMessageBox {
 public:
  PersonAtMessageBox()
      : worker_([this] {
          HWND box = FindMessageBox(L"提示", kWait);
          if (box) {
            seen_.found = true;
            seen_.text = MessageBoxText(box);
            seen_.exclamation = ShowsIcon(box, IDI_EXCLAMATION);
            // A person waits for the box to come to the front, then clicks OK.
            WaitUntil([&] { return GetForegroundWindow() == box; }, kWait);
            ClickSettled(GetDlgItem(box, IDOK));
            seen_.closed = WaitUntil([&] { return !IsWindow(box); }, kWait);
          }
          // A box under another title would hold the test forever: close it too.
          if (!seen_.closed)
            if (HWND other = FindWindowW(L"#32770", nullptr)) PostMessageW(other, WM_CLOSE, 0, 0);
          done_ = true;
        }) {}
  // Keeps the form's thread pumping (the box is modal on it) until the person is done.
  BoxSeen Finish() {
    WaitUntil([&] { return done_.load(); }, 3 * kWait);
    worker_.join();
    return seen_;
  }

 private:
  ExpectMessageBoxes expected_;  // first: in force before the worker looks
  BoxSeen seen_;
  std::atomic<bool> done_{false};
  std::thread worker_;
};

class Zoom : public testing::Test {
 protected:
  void SetUp() override {
    form_ = OpenForm(kWait);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
  }

  void TearDown() override {
    if (form_) form_->Close();
    form_.reset();
    if (target_) StopTarget(*target_);
    Pump(50);
  }

  void EmbedTarget() {
    target_ = StartTarget(L"--x 600 --y 500 --w 200 --h 150");
    ASSERT_TRUE(target_);
    form_->RecordPick(target_->main);
    form_->OnTake();
    ASSERT_EQ(ParentOf(target_->main), form_->picBox.hWnd());
    // The target takes the box's size when its program gets to it.
    ASSERT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(target_->main)) == 324; }, kWait));
  }

  void Freeze() {
    form_->picBox.SetVisible(false);
    form_->picStill.SetVisible(true);
    form_->cmdFreeze.SetCaption(L"继续");
  }

  bool Live() {
    return IsWindowVisible(form_->picBox.hWnd()) && !IsWindowVisible(form_->picStill.hWnd()) &&
           form_->cmdFreeze.Caption() == L"暂停";
  }

  // Clicks a zoom button and waits until the caption shows the expected size.
  bool ClickUntilCaption(rt::Control& button, const std::wstring& caption) {
    ClickSettled(button.hWnd());
    return WaitUntil([&] { return form_->Caption() == caption; }, kWait);
  }

  // Types into the ratio box as a person would, with the form widened so
  // that the box, beyond the design width, is in view.
  void TypeRatio(const std::wstring& text) {
    RECT r = WindowRectOf(form_->hWnd());
    if (WidthOf(r) < 520) MoveWindow(form_->hWnd(), r.left, r.top, 520, HeightOf(r), TRUE);
    form_->txtRatio.SetText(L"");
    ClickSettled(form_->txtRatio.hWnd());
    ASSERT_TRUE(WaitUntil([&] { return GetFocus() == form_->txtRatio.hWnd(); }, kWait));
    TypeText(text);
    ASSERT_TRUE(WaitUntil([&] { return form_->txtRatio.Text() == text; }, kWait));
  }

  std::unique_ptr<frmMain> form_;
  std::optional<Target> target_;
};

// ---- arithmetic ----------------------------------------------------------------

TEST(ZoomArithmetic, RatioTextBecomesFactorAndIsCheckedAsFloat) {
  struct Case {
    const wchar_t* text;
    float factor;
    bool accepted;
  } cases[] = {
      {L"1.33", 0.75f, true},      {L"1.330", 0.75f, true},    {L"2", 2.0f, true},
      {L"0.5625", 0.5625f, true},  {L"0.2", 0.2f, true},       {L"5", 5.0f, true},
      {L"0.1999", 0.1999f, false}, {L"5.001", 5.001f, false},  {L"0.19", 0.19f, false},
      {L"5.01", 5.01f, false},     {L"0", 0.0f, false},        {L"-1", -1.0f, false},
      {L"1.3300001", 0.75f, true},  // its nearest float is that of 1.33
  };
  for (const Case& c : cases) {
    const auto ratio = rt::CSng(c.text);
    ASSERT_TRUE(ratio) << testing::PrintToString(c.text);
    const float factor = AspectFromRatio(*ratio);
    EXPECT_EQ(factor, c.factor) << testing::PrintToString(c.text);
    EXPECT_EQ(AspectAccepted(factor), c.accepted) << testing::PrintToString(c.text);
  }
}

TEST(ZoomArithmetic, StepFitsOnlyWithoutNegativeWidthAndWithin32Bits) {
  struct Case {
    float boxWidth, factor;
    int step;
    bool fits;
  } cases[] = {
      {324, 0.75f, +20, true},          {324, 0.75f, -20, true},
      {24, 0.75f, -20, true},           // content width 0: the last "-"
      {4, 0.75f, -20, false},           // content width would be -20
      {23.5f, 0.75f, -20, false},       // -0.5 is below zero too
      {4, 0.75f, +20, true},            // from 0 the way up is open
      {1.0e9f, 5.0f, +20, false},       // height 5e9 pixels has no 32-bit value
      {1.0e9f, 0.75f, +20, true},
      {2147483520.0f, 0.2f, +20, true},  // the float sum stays in range
      {2147483647.0f, 0.2f, +20, false},  // that is 2^31 as a float
      {std::nanf(""), 0.75f, +20, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ZoomStepFits(c.boxWidth, c.factor, c.step), c.fits)
        << c.boxWidth << " x " << c.factor << " step " << c.step;
}

// ---- through the real buttons ---------------------------------------------------

TEST_F(Zoom, PlusFromStartGrowsBoxTargetFormAndCaption) {
  ASSERT_EQ(rt::TwipsPerPixelX(), 15.0f);  // the figures below are for 96 dpi
  EmbedTarget();
  ASSERT_TRUE(ClickUntilCaption(form_->cmdZoomIn, L"Vistrel1.5 [340\u00D7255]2008-10-14"));
  EXPECT_EQ(form_->picBox.Width(), 344.0f);
  EXPECT_EQ(form_->picBox.Height(), 259.0f);
  EXPECT_EQ(WidthOf(WindowRectOf(form_->picBox.hWnd())), 344);
  EXPECT_EQ(HeightOf(WindowRectOf(form_->picBox.hWnd())), 259);
  EXPECT_EQ(form_->picBox.ScaleWidth(), 5100.0f);
  EXPECT_EQ(form_->picBox.ScaleHeight(), 3825.0f);
  // 5540 x 5125 twips is 369.33 x 341.67 pixels; a window has whole ones.
  EXPECT_EQ(WidthOf(WindowRectOf(form_->hWnd())), 369);
  EXPECT_EQ(HeightOf(WindowRectOf(form_->hWnd())), 342);
  EXPECT_NEAR(form_->Width(), 5540.0f, 7.5f);
  EXPECT_NEAR(form_->Height(), 5125.0f, 7.5f);
  EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(target_->main, form_->picBox.hWnd()), RECT{0, 0, 344, 259}); }, kWait));
  EXPECT_EQ(form_->Aspect(), 0.75f);
  EXPECT_EQ(form_->txtRatio.Text(), L"1.33");
}

TEST_F(Zoom, MinusFromStartWithoutAnyTargetStillResizes) {
  ASSERT_EQ(rt::TwipsPerPixelX(), 15.0f);
  ASSERT_TRUE(ClickUntilCaption(form_->cmdZoomOut, L"Vistrel1.5 [300\u00D7225]2008-10-14"));
  EXPECT_EQ(WidthOf(WindowRectOf(form_->picBox.hWnd())), 304);
  EXPECT_EQ(HeightOf(WindowRectOf(form_->picBox.hWnd())), 229);
  EXPECT_EQ(WidthOf(WindowRectOf(form_->hWnd())), 329);   // 4940 twips
  EXPECT_EQ(HeightOf(WindowRectOf(form_->hWnd())), 312);  // 4675 twips
  EXPECT_EQ(form_->Picked(), nullptr);
}

TEST_F(Zoom, TypedRatioOfTwoMakesContentTwiceAsHigh) {
  EmbedTarget();
  TypeRatio(L"2");
  ASSERT_TRUE(ClickUntilCaption(form_->cmdZoomIn, L"Vistrel1.5 [340\u00D7680]2008-10-14"));
  EXPECT_EQ(form_->Aspect(), 2.0f);
  EXPECT_EQ(HeightOf(WindowRectOf(form_->picBox.hWnd())), 684);
  EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(target_->main, form_->picBox.hWnd()), RECT{0, 0, 344, 684}); }, kWait));
  // 680 x 15 + 1300 twips.
  EXPECT_EQ(HeightOf(WindowRectOf(form_->hWnd())), 767);
}

struct RatioCase {
  const wchar_t* typed;
  const wchar_t* afterwards;  // the ratio box's text after the click
  float contentHeight;        // 0: rejected
  const wchar_t* caption;     // after an accepted click
};

void PrintTo(const RatioCase& c, std::ostream* os) { *os << testing::PrintToString(c.typed); }

class ZoomRatio : public Zoom, public testing::WithParamInterface<RatioCase> {};

TEST_P(ZoomRatio, AcceptedOrRejectedWithMessageFocusAndLiveView) {
  const RatioCase& c = GetParam();
  if (*c.typed) TypeRatio(c.typed); else form_->txtRatio.SetText(L"");
  Freeze();
  const RECT box = WindowRectOf(form_->picBox.hWnd());
  const RECT whole = WindowRectOf(form_->hWnd());
  const std::wstring caption = form_->Caption();
  if (c.contentHeight > 0) {
    EXPECT_TRUE(ClickUntilCaption(form_->cmdZoomIn, c.caption));
    EXPECT_EQ(HeightOf(WindowRectOf(form_->picBox.hWnd())), static_cast<long>(c.contentHeight) + 4);
    EXPECT_EQ(FindWindowW(L"#32770", L"提示"), nullptr);
  } else {
    PersonAtMessageBox person;
    ClickSettled(form_->cmdZoomIn.hWnd());
    const BoxSeen seen = person.Finish();
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.text, L"比值在0.2-5之间!");
    EXPECT_TRUE(seen.exclamation);
    EXPECT_TRUE(seen.closed);
    EXPECT_TRUE(WaitUntil([&] { return GetFocus() == form_->txtRatio.hWnd(); }, kWait));
    EXPECT_TRUE(SameRect(WindowRectOf(form_->picBox.hWnd()), box));
    EXPECT_TRUE(SameRect(WindowRectOf(form_->hWnd()), whole));
    EXPECT_EQ(form_->Caption(), caption);
  }
  EXPECT_EQ(form_->txtRatio.Text(), c.afterwards);
  EXPECT_TRUE(Live());
}

INSTANTIATE_TEST_SUITE_P(Bounds, ZoomRatio,
                         testing::Values(RatioCase{L"0.2", L"0.2", 68, L"Vistrel1.5 [340\u00D768]2008-10-14"},
                                         RatioCase{L"5", L"5", 1700, L"Vistrel1.5 [340\u00D71700]2008-10-14"},
                                         RatioCase{L"1.330", L"1.330", 255, L"Vistrel1.5 [340\u00D7255]2008-10-14"},
                                         RatioCase{L"0.1999", L"0.1999", 0},
                                         RatioCase{L"5.001", L"5.001", 0},
                                         RatioCase{L"5.50", L"5.5", 0}, RatioCase{L"7.0", L"7", 0},
                                         RatioCase{L"-0.5", L"-0.5", 0}));

// A text that is no float at all gets the same answer, and comes back as typed.
INSTANTIATE_TEST_SUITE_P(NoNumber, ZoomRatio,
                         testing::Values(RatioCase{L"", L"", 0}, RatioCase{L"abc", L"abc", 0},
                                         RatioCase{L"1e39", L"1e39", 0}));

TEST_F(Zoom, SixteenMinusReachZeroAndTheNextOnlyLiftsTheFreeze) {
  const RECT whole = WindowRectOf(form_->hWnd());
  long formWidthAt300 = 0;
  const wchar_t* const sizes[] = {L"300\u00D7225", L"280\u00D7210", L"260\u00D7195", L"240\u00D7180",
                                  L"220\u00D7165", L"200\u00D7150", L"180\u00D7135", L"160\u00D7120",
                                  L"140\u00D7105", L"120\u00D790",  L"100\u00D775",  L"80\u00D760",
                                  L"60\u00D745",   L"40\u00D730",   L"20\u00D715",   L"0\u00D70"};
  for (int k = 1; k <= 16; ++k) {
    const std::wstring caption = std::wstring(L"Vistrel1.5 [") + sizes[k - 1] + L"]2008-10-14";
    ASSERT_TRUE(ClickUntilCaption(form_->cmdZoomOut, caption)) << "click " << k;
    if (k == 1) formWidthAt300 = WidthOf(WindowRectOf(form_->hWnd()));
  }
  EXPECT_NE(formWidthAt300, WidthOf(whole));
  // At 4400 twips of content and below, the form keeps its width.
  EXPECT_EQ(WidthOf(WindowRectOf(form_->hWnd())), formWidthAt300);
  EXPECT_EQ(form_->Caption(), L"Vistrel1.5 [0\u00D70]2008-10-14");
  EXPECT_EQ(form_->picBox.Width(), 4.0f);
  EXPECT_EQ(form_->picBox.Height(), 4.0f);

  Freeze();
  const RECT before = WindowRectOf(form_->hWnd());
  ClickSettled(form_->cmdZoomOut.hWnd());
  ASSERT_TRUE(WaitUntil([&] { return Live(); }, kWait));
  EXPECT_EQ(form_->picBox.Width(), 4.0f);
  EXPECT_EQ(form_->picBox.Height(), 4.0f);
  EXPECT_EQ(WidthOf(WindowRectOf(form_->picBox.hWnd())), 4);
  EXPECT_EQ(form_->Caption(), L"Vistrel1.5 [0\u00D70]2008-10-14");
  EXPECT_TRUE(SameRect(WindowRectOf(form_->hWnd()), before));
}

TEST_F(Zoom, SizePastThirtyTwoBitsEndsTheClickAndKeepsTheWindow) {
  EmbedTarget();
  form_->txtRatio.SetText(L"5");
  ASSERT_TRUE(form_->picBox.SetWidth(1.0e9f));
  const RECT target = WindowRectOf(target_->main);
  const std::wstring caption = form_->Caption();
  Freeze();
  ClickSettled(form_->cmdZoomIn.hWnd());
  ASSERT_TRUE(WaitUntil([&] { return Live(); }, kWait));
  Pump(100);
  EXPECT_EQ(form_->picBox.Width(), 1.0e9f);
  EXPECT_EQ(form_->picBox.Height(), 244.0f);
  EXPECT_EQ(form_->Caption(), caption);
  EXPECT_TRUE(SameRect(WindowRectOf(target_->main), target));
  EXPECT_EQ(ParentOf(target_->main), form_->picBox.hWnd());
  EXPECT_TRUE(ProcessAlive(*target_));
}

}  // namespace
