// The crop's arithmetic: insets and the frame measured from the window
// itself, turned into where the window goes in the box.
#include <gtest/gtest.h>

#include "form/ids.h"
#include "testbed.h"
#include "view/crop.h"

using namespace testbed;

namespace {

std::string Text(const std::optional<Placement>& p) {
  if (!p) return "none";
  return std::to_string(p->x) + "," + std::to_string(p->y) + " " + std::to_string(p->width) + "x" +
         std::to_string(p->height);
}

std::string Text(const std::optional<Insets>& i) {
  if (!i) return "none";
  return std::to_string(i->left) + "," + std::to_string(i->top) + "," + std::to_string(i->right) + "," +
         std::to_string(i->bottom);
}

TEST(CropArithmetic, TheKeptPartTakesTheBoxSizeAtItsOrigin) {
  const struct {
    const char* what;
    RECT window, client;
    Insets insets;
    int32_t boxWidth, boxHeight;
    const char* placement;
    bool leaves;  // the insets leave something of the client area as it is now
  } rows[] = {
      // Caption 23, menu 22, borders 4: screen coordinates.
      {"a window with a menu, content only", {100, 100, 500, 400}, {104, 149, 496, 396}, {0, 0, 0, 0}, 320, 240,
       "-4,-49 328x293", true},
      {"a window without a frame", {0, 0, 200, 100}, {0, 0, 200, 100}, {10, 20, 30, 40}, 320, 240,
       "-10,-20 360x300", true},
      // In its parent's client coordinates, with a one-pixel border.
      {"a child control", {10, 10, 110, 40}, {11, 11, 109, 39}, {5, 5, 5, 5}, 320, 240, "-6,-6 332x252", true},
      {"insets that leave one column", {0, 0, 400, 300}, {0, 0, 400, 300}, {199, 0, 200, 0}, 320, 240,
       "-199,0 719x240", true},
      {"insets that leave nothing across", {0, 0, 400, 300}, {0, 0, 400, 300}, {200, 0, 200, 0}, 320, 240,
       "-200,0 720x240", false},
      {"insets that leave nothing down", {0, 0, 400, 300}, {0, 0, 400, 300}, {0, 150, 0, 150}, 320, 240,
       "0,-150 320x540", false},
      {"a size past 32 bits", {0, 0, 400, 300}, {0, 0, 400, 300}, {INT32_MAX, 0, 0, 0}, 320, 240, "none",
       false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(Text(CroppedPlacement(r.window, r.client, r.insets, r.boxWidth, r.boxHeight)), r.placement);
    EXPECT_EQ(LeavesSomething(r.insets, r.client.right - r.client.left, r.client.bottom - r.client.top),
              r.leaves);
  }
  // A drawing over the box, as insets of the client area lying at -4,-49 .. 324,291 there.
  const RECT client{-4, -49, 324, 291};
  const std::pair<RECT, const char*> drawn[] = {
      {{10, 20, 110, 90}, "14,69,214,201"},
      {{-30, -60, 400, 300}, "0,0,0,0"},  // over the frame and past the box: cut to the client area
      {{-30, -60, -10, -50}, "none"},
  };
  for (const auto& [rect, insets] : drawn) EXPECT_EQ(Text(InsetsFromDrawn(rect, client)), insets);
}

// ---- the real tool with the stand-in program ---------------------------------

// Ctrl+Alt+Shift+letter, as one input from this program.
void Chord(WORD letter) {
  INPUT in[8] = {};
  const WORD keys[] = {VK_CONTROL, VK_MENU, VK_SHIFT, letter};
  for (int i = 0; i < 8; ++i)
    in[i] = {INPUT_KEYBOARD}, in[i].ki.wVk = keys[i < 4 ? i : 7 - i], in[i].ki.dwFlags = i < 4 ? 0 : KEYEVENTF_KEYUP;
  SendInput(8, in, sizeof(INPUT));
}

// Where the program's window lies against the box (its client area for a
// crop, the whole window without), and where it should: the kept part
// exactly over the box's outer size at its client origin. In full screen
// the size is what the program took (SM_CXMAXTRACK clamps it).
std::string Placed(const Tool& tool, HWND target, const std::optional<Insets>& crop, bool clamped = false) {
  const HWND box = ToolControl(tool, ids::picBox);
  const RECT outer = WindowRectOf(box), origin = ClientRectInScreen(box);
  RECT at = crop ? ClientRectInScreen(target) : WindowRectOf(target);
  OffsetRect(&at, -origin.left, -origin.top);
  const Insets i = crop.value_or(Insets{});
  const LONG w = WidthOf(outer) + i.left + i.right, h = HeightOf(outer) + i.top + i.bottom;
  const bool right = at.left == -i.left && at.top == -i.top &&
                     (clamped ? WidthOf(at) <= w && HeightOf(at) <= h : WidthOf(at) == w && HeightOf(at) == h);
  return right ? "as asked"
               : std::to_string(at.left) + "," + std::to_string(at.top) + " " + std::to_string(WidthOf(at)) + "x" +
                     std::to_string(HeightOf(at)) + " for " + std::to_string(w) + "x" + std::to_string(h);
}

bool PlacedAsAsked(const Tool& tool, HWND target, const std::optional<Insets>& crop, bool clamped = false) {
  return WaitUntil([&] { return Placed(tool, target, crop, clamped) == "as asked"; }, 8000);
}

std::wstring Notice(const Tool& tool) {
  const HWND balloon = ShownToolTip(tool, true);
  return balloon ? TextOf(balloon) : L"";
}

TEST(CropFromTheCommandLine, SetsTheCropBeforeTheWindowIsTaken) {
  const struct {
    const wchar_t* crop;
    std::optional<Insets> kept;
    const wchar_t* notice;
  } rows[] = {
      {L"content", Insets{}, nullptr},
      {L"10,20,30,40", Insets{10, 20, 30, 40}, nullptr},
      {L"200,0,200,0", std::nullopt, L"That would leave nothing of the window to show; what it shows stays as it was."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(r.crop)));
    auto t = StartTarget(L"--menu --x 860 --y 600 --w 360 --h 300");
    ASSERT_TRUE(t);
    auto tool = StartTool(L"--hwnd " + std::to_wstring(reinterpret_cast<LONG_PTR>(t->main)) + L" --crop " + r.crop);
    ASSERT_TRUE(tool);
    ASSERT_TRUE(WaitUntil([&] { return ParentOf(t->main) == ToolControl(*tool, ids::picBox); }, 8000));
    EXPECT_TRUE(PlacedAsAsked(*tool, t->main, r.kept)) << Placed(*tool, t->main, r.kept);
    if (r.notice) EXPECT_TRUE(WaitUntil([&] { return Notice(*tool) == r.notice; }, 5000)) << testing::PrintToString(Notice(*tool));
    EXPECT_TRUE(CloseTool(*tool));
    StopTarget(*t);
  }
}

TEST(CropByHand, ContentOnlyAndADrawnPartHoldThroughZoomAndFullScreen) {
  auto t = StartTarget(L"--menu --x 860 --y 600 --w 360 --h 300");
  ASSERT_TRUE(t);
  auto tool = StartTool(L"--hwnd " + std::to_wstring(reinterpret_cast<LONG_PTR>(t->main)));
  ASSERT_TRUE(tool);
  const HWND box = ToolControl(*tool, ids::picBox);
  ASSERT_TRUE(PlacedAsAsked(*tool, t->main, std::nullopt)) << Placed(*tool, t->main, std::nullopt);
  Chord('C');
  EXPECT_TRUE(PlacedAsAsked(*tool, t->main, Insets{})) << Placed(*tool, t->main, Insets{});
  const LONG before = WidthOf(WindowRectOf(box));
  ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdZoomIn), [&] { return WidthOf(WindowRectOf(box)) > before; }));
  EXPECT_TRUE(PlacedAsAsked(*tool, t->main, Insets{})) << Placed(*tool, t->main, Insets{});
  Chord('F');
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(tool->form) != FALSE; }, 8000));
  EXPECT_TRUE(PlacedAsAsked(*tool, t->main, Insets{}, true)) << Placed(*tool, t->main, Insets{}, true);
  // Esc as a person types it, into the tool in front.
  SetForegroundWindow(tool->form);
  WaitUntil([&] { return GetForegroundWindow() == tool->form; }, 3000);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(tool->form); }, 8000));
  EXPECT_TRUE(PlacedAsAsked(*tool, t->main, Insets{})) << Placed(*tool, t->main, Insets{});
  // A part drawn by hand, then a drawing left with Esc, which changes nothing.
  const RECT origin = ClientRectInScreen(box), outer = WindowRectOf(box);
  const Insets drawn{20, 30, WidthOf(outer) - 120, HeightOf(outer) - 100};
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Esc while drawing" : "a part drawn");
    Chord('D');
    HWND layer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (layer = FindWindowW(L"VistrelPartLayer", nullptr)) && IsWindowVisible(layer); }, 5000));
    MoveMouse({origin.left + 20, origin.top + 30});
    MouseDown();
    MoveMouse({origin.left + 70, origin.top + 60});
    MoveMouse({origin.left + 120, origin.top + 100});
    if (escape) PressKey(VK_ESCAPE);
    MouseUp();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(layer); }, 5000));
    EXPECT_TRUE(PlacedAsAsked(*tool, t->main, drawn)) << Placed(*tool, t->main, drawn);
  }
  EXPECT_TRUE(CloseTool(*tool));
  StopTarget(*t);
}

}  // namespace
