// The layer a part is drawn on, driven by real mouse and key input: what it
// posts, and that it closes whatever happens.
#include <gtest/gtest.h>

#include "testbed.h"
#include "view/part_layer.h"

using namespace testbed;

namespace {

constexpr UINT kMsgDrawn = WM_APP + 40;
RECT g_drawn;
int g_posts;

LRESULT CALLBACK NoteDrawn(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kMsgDrawn) return DefWindowProcW(h, msg, wp, lp);
  g_drawn = DrawnPart(wp, lp);
  ++g_posts;
  return 0;
}

TEST(PartLayer, PostsTheRectangleDrawnOrNothingAndCloses) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = NoteDrawn;
  wc.lpszClassName = L"PartLayerNotify";
  RegisterClassW(&wc);
  const HWND notify = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const RECT area{200, 150, 600, 450};
  const struct {
    const char* what;
    POINT from, to;
    bool escape;
    RECT drawn;
  } rows[] = {
      {"a drag up and left", {500, 400}, {300, 250}, false, {300, 250, 500, 400}},
      {"a click without a drag", {300, 300}, {300, 300}, false, {}},
      {"a rectangle under 8 across", {300, 300}, {307, 380}, false, {}},
      {"Esc while drawing", {300, 250}, {500, 400}, true, {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    g_posts = 0;
    g_drawn = {1, 1, 1, 1};
    const HWND layer = DrawPart(nullptr, area, notify, kMsgDrawn);
    ASSERT_TRUE(layer);
    EXPECT_TRUE(GetWindowLongW(layer, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(SameRect(WindowRectOf(layer), area));
    Pump(100);
    MoveMouse(r.from);
    MouseDown();
    MoveMouse({(r.from.x + r.to.x) / 2, (r.from.y + r.to.y) / 2});
    MoveMouse(r.to);
    if (r.escape) PressKey(VK_ESCAPE);
    MouseUp();
    EXPECT_TRUE(WaitUntil([&] { return g_posts > 0 && !IsWindow(layer); }, 5000));
    Pump(100);
    EXPECT_EQ(g_posts, 1);
    EXPECT_TRUE(IsRectEmpty(&r.drawn) ? IsRectEmpty(&g_drawn) : SameRect(g_drawn, r.drawn)) << g_drawn.left << "," << g_drawn.top << "," << g_drawn.right << ","
                                           << g_drawn.bottom;
  }
  DestroyWindow(notify);
}

}  // namespace
