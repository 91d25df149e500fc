// The crop's arithmetic: insets and the frame measured from the window
// itself, turned into where the window goes in the box.
#include <gtest/gtest.h>

#include "form/ids.h"
#include "testbed.h"
#include "view/crop.h"

using namespace testbed;

namespace {

// Four whole numbers (Placement, Insets), or "none".
template <class Four>
std::string Text(const std::optional<Four>& v) {
  if (!v) return "none";
  const auto* n = reinterpret_cast<const int32_t*>(&*v);
  return std::to_string(n[0]) + "," + std::to_string(n[1]) + "," + std::to_string(n[2]) + "," + std::to_string(n[3]);
}

TEST(CropArithmetic, TheKeptPartTakesTheBoxSizeAtItsOrigin) {
  const struct {
    const char* what;
    RECT window, client;  // in one coordinate system, whichever
    Insets insets;
    const char* placement;  // x,y,width,height in a 320x240 box
    bool leaves;            // the insets leave something of the client area as it is now
  } rows[] = {
      // Caption 23, menu 22, borders 4.
      {"a menu, content only", {100, 100, 500, 400}, {104, 149, 496, 396}, {0, 0, 0, 0}, "-4,-49,328,293", true},
      {"no frame", {0, 0, 200, 100}, {0, 0, 200, 100}, {10, 20, 30, 40}, "-10,-20,360,300", true},
      {"a child control with a border", {10, 10, 110, 40}, {11, 11, 109, 39}, {5, 5, 5, 5}, "-6,-6,332,252", true},
      {"one column left", {0, 0, 400, 300}, {0, 0, 400, 300}, {199, 0, 200, 0}, "-199,0,719,240", true},
      {"nothing left", {0, 0, 400, 300}, {0, 0, 400, 300}, {200, 0, 200, 0}, "-200,0,720,240", false},
      {"past 32 bits", {0, 0, 400, 300}, {0, 0, 400, 300}, {INT32_MAX, 0, 0, 0}, "none", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(Text(CroppedPlacement(r.window, r.client, r.insets, 320, 240)), r.placement);
    EXPECT_EQ(LeavesSomething(r.insets, r.client.right - r.client.left, r.client.bottom - r.client.top), r.leaves);
  }
  // A drawing over the box, as insets of the client area lying at -4,-49 .. 324,291 there;
  // over the frame and past the box it is cut to the client area.
  const std::pair<RECT, const char*> drawn[] = {
      {{10, 20, 110, 90}, "14,69,214,201"}, {{-30, -60, 400, 300}, "0,0,0,0"}, {{-30, -60, -10, -50}, "none"}};
  for (const auto& [rect, insets] : drawn) EXPECT_EQ(Text(InsetsFromDrawn(rect, {-4, -49, 324, 291})), insets);
}

// ---- the real tool with the stand-in program, which has a menu bar --------------

// Ctrl+Alt+Shift+letter, as one input from this program.
void Chord(WORD letter) {
  INPUT in[8] = {};
  const WORD keys[] = {VK_CONTROL, VK_MENU, VK_SHIFT, letter};
  for (int i = 0; i < 8; ++i)
    in[i] = {INPUT_KEYBOARD}, in[i].ki.wVk = keys[i < 4 ? i : 7 - i], in[i].ki.dwFlags = i < 4 ? 0 : KEYEVENTF_KEYUP;
  SendInput(8, in, sizeof(INPUT));
}

// The kept part (the client area less the insets; the whole window without
// a crop) lies at the box's client origin with the box's outer size; in full
// screen, where SM_CXMAXTRACK clamps the window, at least at that origin.
testing::AssertionResult KeptOverTheBox(const Tool& tool, HWND target, const std::optional<Insets>& crop,
                                        bool clamped = false) {
  std::string kept, box;
  const bool over = WaitUntil(
      [&] {
        const RECT origin = ClientRectInScreen(ToolControl(tool, ids::picBox));
        const RECT outer = WindowRectOf(ToolControl(tool, ids::picBox));
        const RECT at = crop ? ClientRectInScreen(target) : WindowRectOf(target);
        const Insets i = crop.value_or(Insets{});
        kept = std::to_string(at.left + i.left - origin.left) + "," + std::to_string(at.top + i.top - origin.top) +
               " " + std::to_string(WidthOf(at) - i.left - i.right) + "x" + std::to_string(HeightOf(at) - i.top - i.bottom);
        box = "0,0 " + std::to_string(WidthOf(outer)) + "x" + std::to_string(HeightOf(outer));
        return clamped ? kept.rfind("0,0 ", 0) == 0 : kept == box;
      },
      8000);
  return over ? testing::AssertionSuccess() : testing::AssertionFailure() << kept << " for " << box;
}

struct Taken {
  std::optional<Target> target;
  std::optional<Tool> tool;
};

Taken TakeWithArgs(const std::wstring& args) {
  Taken taken{StartTarget(L"--menu --x 860 --y 600 --w 360 --h 300"), std::nullopt};
  if (taken.target)
    taken.tool = StartTool(L"--hwnd " + std::to_wstring(reinterpret_cast<LONG_PTR>(taken.target->main)) + args);
  if (taken.tool)
    WaitUntil([&] { return ParentOf(taken.target->main) == ToolControl(*taken.tool, ids::picBox); }, 8000);
  return taken;
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
    auto [t, tool] = TakeWithArgs(std::wstring(L" --crop ") + r.crop);
    ASSERT_TRUE(t && tool);
    EXPECT_TRUE(KeptOverTheBox(*tool, t->main, r.kept));
    std::wstring said;
    WaitUntil([&] { return (said = ShownToolTip(*tool, true) ? TextOf(ShownToolTip(*tool, true)) : L"") == (r.notice ? r.notice : L""); }, 5000);
    EXPECT_EQ(said, r.notice ? r.notice : L"");
    EXPECT_TRUE(CloseTool(*tool));
    StopTarget(*t);
  }
}

TEST(CropByHand, ContentOnlyAndADrawnPartHoldThroughZoomAndFullScreen) {
  auto [t, tool] = TakeWithArgs(L"");
  ASSERT_TRUE(t && tool);
  const HWND box = ToolControl(*tool, ids::picBox);
  EXPECT_TRUE(KeptOverTheBox(*tool, t->main, std::nullopt));
  Chord('C');
  EXPECT_TRUE(KeptOverTheBox(*tool, t->main, Insets{}));
  const LONG before = WidthOf(WindowRectOf(box));
  ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdZoomIn), [&] { return WidthOf(WindowRectOf(box)) > before; }));
  EXPECT_TRUE(KeptOverTheBox(*tool, t->main, Insets{}));
  Chord('F');
  ASSERT_TRUE(WaitUntil([&] { return IsZoomed(tool->form) != FALSE; }, 8000));
  EXPECT_TRUE(KeptOverTheBox(*tool, t->main, Insets{}, true));
  // Esc as a person types it, into the tool in front.
  SetForegroundWindow(tool->form);
  WaitUntil([&] { return GetForegroundWindow() == tool->form; }, 3000);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(tool->form); }, 8000));
  EXPECT_TRUE(KeptOverTheBox(*tool, t->main, Insets{}));
  // Drawn from 20,30 of the box; only the first drawing may change the crop.
  const RECT origin = ClientRectInScreen(box), outer = WindowRectOf(box);
  const Insets drawn{20, 30, WidthOf(outer) - 120, HeightOf(outer) - 100};
  const struct { const char* what; POINT to; bool escape; } draws[] = {
      {"a part drawn", {120, 100}, false}, {"Esc while drawing", {220, 200}, true}, {"under 8 across", {27, 200}, false}};
  for (const auto& d : draws) {
    SCOPED_TRACE(d.what);
    Chord('D');
    HWND layer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (layer = FindWindowW(L"VistrelPartLayer", nullptr)) && IsWindowVisible(layer); }, 5000));
    MoveMouse({origin.left + 20, origin.top + 30});
    MouseDown();
    MoveMouse({origin.left + (20 + d.to.x) / 2, origin.top + (30 + d.to.y) / 2});
    MoveMouse({origin.left + d.to.x, origin.top + d.to.y});
    if (d.escape) PressKey(VK_ESCAPE);
    MouseUp();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(layer); }, 5000));
    EXPECT_TRUE(KeptOverTheBox(*tool, t->main, drawn));
  }
  EXPECT_TRUE(CloseTool(*tool));
  StopTarget(*t);
}

}  // namespace
