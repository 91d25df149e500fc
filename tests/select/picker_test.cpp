// Picking a window by dragging the magnifier with real mouse input, and the
// record the information panel keeps of the window picked.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/ids.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "window/Window.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr DWORD kWait = 10000;  // generous: two cores shared with other builds

// A spot on the bare desktop, away from the (centred) form and the targets.
constexpr POINT kPark{1270, 8};

// Expected field texts, written without the tool's own number formatting.
std::wstring Dec(LONG v) { return std::to_wstring(v); }
std::wstring Dec(HWND h) { return Dec(static_cast<LONG>(reinterpret_cast<LONG_PTR>(h))); }

// The panel's fields in the order RecordPick writes them.
constexpr int kFieldIds[8] = {ids::txtTitle, ids::txtHandle, ids::txtParent,    ids::txtClassName,
                              ids::txtTop,        ids::txtLeft, ids::txtWidth, ids::txtHeight};
using Fields = std::array<std::wstring, 8>;

// What the panel must hold for window h: title, handle, parent, class and
// the edges, the right and bottom ones in the width and height fields.
Fields Expected(HWND h, const std::wstring& title, const std::wstring& cls, HWND parent) {
  const RECT r = WindowRectOf(h);
  return {title, Dec(h), Dec(parent), cls, Dec(r.top), Dec(r.left), Dec(r.right), Dec(r.bottom)};
}

POINT Offset(POINT p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

bool CursorAt(POINT p) {
  POINT at{};
  return GetCursorPos(&at) && at.x == p.x && at.y == p.y;
}

// Real input, waited for until Wine has it: the pointer where it was sent,
// the button in the state it was sent.
bool PointTo(POINT p) {
  MoveMouse(p);
  return WaitUntil([&] { return CursorAt(p); }, kWait);
}

bool Button(bool down, int button) {  // 0 left, 1 right, 2 middle
  static const int kVk[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  if (down)
    MouseDown(button);
  else
    MouseUp(button);
  return WaitUntil([&] { return (GetAsyncKeyState(kVk[button]) < 0) == down; }, kWait);
}

HCURSOR ShownCursor() {
  CURSORINFO ci{};
  ci.cbSize = sizeof ci;
  return GetCursorInfo(&ci) ? ci.hCursor : nullptr;
}

HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }

// Pixels of h's client area that are not the plain button face.
int InkIn(HWND h) {
  RECT rc{};
  GetClientRect(h, &rc);
  HDC dc = GetDC(h);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int ink = 0;
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) ink += GetPixel(dc, x, y) != face;
  ReleaseDC(h, dc);
  return ink;
}

// Every text written into the panel's fields, seen from the fields' side so
// the product needs no hook: one RecordPick call is eight writes.
struct Write {
  int id;
  std::wstring text;
};
std::vector<Write>* g_writes = nullptr;
WNDPROC g_fieldProc[64] = {};

LRESULT CALLBACK LogWrites(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  const int id = GetDlgCtrlID(h);
  if (msg == WM_SETTEXT && g_writes) g_writes->push_back({id, reinterpret_cast<const wchar_t*>(lp)});
  return CallWindowProcW(g_fieldProc[id], h, msg, wp, lp);
}

// A top-level window of this process, for cases that need one.
HWND PlainWindow(RECT r, DWORD style) {
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"helper", style, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// ---- the form hosted in this process, driven with real input ----------------

class Picker : public ::testing::Test {
 protected:
  void SetUp() override {
    PointTo(kPark);
    form_ = std::make_unique<frmMain>();
    form_->SetStartValues();
    form_->Show();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form_->hWnd()); }, kWait));
    for (int id : kFieldIds) {
      const HWND h = Field(id).hWnd();
      g_fieldProc[id] = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogWrites)));
    }
    g_writes = &writes_;
    Pump(100);
  }

  void TearDown() override {
    if (held_ >= 0) Button(false, held_);
    g_writes = nullptr;
    form_.reset();
    for (auto& t : targets_) StopTarget(t);
    PointTo(kPark);
  }

  rt::Control& Field(int id) { return *form_->ControlById(id); }

  Fields Panel() {
    Fields f;
    for (int i = 0; i < 8; ++i) f[i] = Field(kFieldIds[i]).Text();
    return f;
  }

  // Starts another program's window; its handles stay valid for the test.
  Target Start(const std::wstring& args) {
    auto t = StartTarget(args);
    if (!t) return {};
    targets_.push_back(*t);
    Pump(200);  // let it draw before the pointer goes over it
    return *t;
  }

  POINT PickerCentre() { return CenterOf(form_->picMagnifier.hWnd()); }

  // A press on the magnifier with button 0 (left), 1 (right) or 2 (middle).
  void Press(int button = 0) {
    ASSERT_TRUE(PointTo(PickerCentre()));
    held_ = button;
    Button(true, button);
    ASSERT_TRUE(WaitUntil([&] { return form_->Picking(); }, kWait)) << "no MouseDown";
  }

  // Moves the pointer to p and waits until the picker has looked there.
  void DragTo(POINT p) {
    PointTo(p);
    ASSERT_TRUE(WaitUntil([&] { return form_->LookedAt().x == p.x && form_->LookedAt().y == p.y; }, kWait))
        << "the picker never looked at " << p.x << "," << p.y;
  }

  void Release() {
    Button(false, held_);
    held_ = -1;
    ASSERT_TRUE(WaitUntil([&] { return !form_->Picking(); }, kWait)) << "no MouseUp";
    Pump(50);
  }

  // The handle of each RecordPick call, after checking that every call wrote
  // all eight fields in the table's order.
  std::vector<std::wstring> Calls() {
    std::vector<std::wstring> calls;
    EXPECT_EQ(writes_.size() % 8, 0u);
    for (size_t i = 0; i < writes_.size(); ++i) {
      EXPECT_EQ(writes_[i].id, kFieldIds[i % 8]) << "write " << i;
      if (i % 8 == 1) calls.push_back(writes_[i].text);
    }
    return calls;
  }

  std::unique_ptr<frmMain> form_;
  std::vector<Target> targets_;
  std::vector<Write> writes_;
  int held_ = -1;
};

TEST_F(Picker, RecordsAWindowOnceEachTimeThePointerPassesOntoIt) {
  Target t = Start(L"--title Alpha --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  const RECT c = ClientRectInScreen(t.main);
  const POINT a1{c.left + 250, c.top + 120}, a2{c.left + 300, c.top + 200},
      a3{c.left + 150, c.top + 230}, a4{c.left + 320, c.top + 60};
  const POINT b1 = CenterOf(t.button), b2 = Offset(b1, -20, 5);
  const std::wstring p3 = Dec(form_->picMagnifier.hWnd()), a = Dec(t.main), b = Dec(t.button);

  struct Row {
    const char* name;
    std::vector<POINT> path;  // after a first move inside the magnifier's box
    size_t renameAfter;       // the target's title changes once the pointer is here
    std::vector<std::wstring> calls;
    const wchar_t* finalTitle;  // a fresh call after the rename reads the new title
  };
  const Row rows[] = {
      {"inside one window", {a1, a2, a3, a4}, 1, {p3, a}, L"Alpha"},
      {"A to B and back to A", {a1, a2, b1, b2, a3}, 2, {p3, a, b, a}, L"Renamed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetWindowTextW(t.main, L"Alpha");
    writes_.clear();
    Press();
    DragTo(Offset(PickerCentre(), 3, 3));
    for (size_t i = 0; i < row.path.size(); ++i) {
      DragTo(row.path[i]);
      if (i == row.renameAfter) SetWindowTextW(t.main, L"Renamed");
    }
    Release();
    EXPECT_EQ(Calls(), row.calls);
    // A top-level window without an owner has the parent 0.
    EXPECT_EQ(Panel(), Expected(t.main, row.finalTitle, L"VistrelTarget", nullptr));
    EXPECT_EQ(form_->Picked(), t.main);
  }
}

TEST_F(Picker, PressAndReleaseWithoutMovingOnlyEnablesTransfer) {
  // Right after start: the target is still the handle 0 and the fields empty.
  ASSERT_FALSE(IsWindowEnabled(form_->cmdTake.hWnd()));
  Press();
  // The system may repeat the pointer's position after a press or a change
  // of capture (Wine does after some injected presses); that is no move.
  POINT still = PickerCentre();
  ScreenToClient(form_->picMagnifier.hWnd(), &still);
  PostMessageW(form_->picMagnifier.hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(still.x, still.y));
  Pump(100);
  Release();
  EXPECT_TRUE(writes_.empty());
  EXPECT_EQ(Panel(), Fields{});
  EXPECT_EQ(form_->Picked(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(form_->cmdTake.hWnd()));

  // After a pick the record stays as it was.
  Target t = Start(L"--title Kept --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  Press();
  DragTo(CenterOf(t.button));
  Release();
  const Fields picked = Panel();
  ASSERT_EQ(picked[1], Dec(t.button));
  writes_.clear();
  Press();
  Release();
  EXPECT_TRUE(writes_.empty());
  EXPECT_EQ(Panel(), picked);
  EXPECT_EQ(form_->Picked(), t.button);
}

WNDPROC g_seenProc;
LRESULT CALLBACK DropMoves(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return msg == WM_MOUSEMOVE ? 0 : CallWindowProcW(g_seenProc, h, msg, wp, lp);
}

// The release records the window it ends on, even when no move there was seen.
TEST_F(Picker, ARecordIsMadeWhereTheDragEnds) {
  Target t = Start(L"--title Ends --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  Press();
  DragTo(CenterOf(t.edit));
  // Moves from here on go unseen: the magnifier's box never hears of them.
  const HWND magnifier = form_->picMagnifier.hWnd();
  g_seenProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(magnifier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DropMoves)));
  PointTo(CenterOf(t.button));
  Release();
  SetWindowLongPtrW(magnifier, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_seenProc));
  EXPECT_TRUE(WaitUntil([&] { return form_->Picked() == t.button; }, 2000));
  EXPECT_EQ(Panel()[1], Dec(t.button));
}

TEST_F(Picker, RightAndMiddleButtonsPickToo) {
  Target t = Start(L"--title Buttons --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  for (int button : {1, 2}) {
    SCOPED_TRACE(button == 1 ? "right" : "middle");
    form_->cmdTake.SetEnabled(false);
    writes_.clear();
    Press(button);
    DragTo(CenterOf(t.edit));
    DragTo(CenterOf(t.button));
    Release();
    EXPECT_EQ(Panel(), Expected(t.button, L"OK", L"Button", t.main));
    EXPECT_TRUE(IsWindowEnabled(form_->cmdTake.hWnd()));
    EXPECT_EQ(form_->MousePointer(), 0);
    EXPECT_NE(GetCapture(), form_->picMagnifier.hWnd());
  }
}

TEST_F(Picker, PointerIsTheMagnifierFromPressToRelease) {
  Target t = Start(L"--title Cursor --x 40 --y 120 --w 380 --h 300");
  ASSERT_TRUE(t.main);
  const HWND box = form_->picMagnifier.hWnd();
  const HCURSOR magnifier = static_cast<HCURSOR>(form_->picMagnifierCursor.GetPicture().handle);
  ASSERT_TRUE(magnifier);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(magnifier, &info));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 9u);  // the lens centre
  EXPECT_EQ(info.yHotspot, 8u);

  // At rest: the magnifier sits in its box, the pointer over the form is the arrow.
  const POINT overDisplay = CenterOf(form_->picBox.hWnd());
  // (The pointer shown is the active window's; a click makes the form active.)
  ASSERT_TRUE(PointTo(overDisplay));
  Button(true, 0);
  Button(false, 0);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return ShownCursor() == Arrow(); }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return InkIn(box) > 20; }, kWait));

  Press();
  EXPECT_EQ(GetCursor(), magnifier);
  EXPECT_EQ(ShownCursor(), magnifier);
  EXPECT_FALSE(form_->picMagnifier.GetPicture());
  EXPECT_TRUE(WaitUntil([&] { return InkIn(box) == 0; }, kWait)) << "the box still shows the magnifier";
  for (POINT p : {overDisplay, CenterOf(t.main), Offset(overDisplay, 40, 30)}) {
    DragTo(p);
    EXPECT_EQ(GetCursor(), magnifier) << "at " << p.x << "," << p.y;
    EXPECT_EQ(ShownCursor(), magnifier) << "at " << p.x << "," << p.y;
  }
  Release();
  EXPECT_EQ(GetCursor(), Arrow());
  EXPECT_TRUE(WaitUntil([&] { return ShownCursor() == Arrow(); }, kWait));
  PointTo(Offset(overDisplay, -60, 20));
  Pump(100);
  EXPECT_EQ(ShownCursor(), Arrow());
  EXPECT_EQ(form_->picMagnifier.GetPicture().handle, magnifier);
  EXPECT_TRUE(WaitUntil([&] { return InkIn(box) > 20; }, kWait)) << "the magnifier is not back in its box";
}

TEST_F(Picker, PicksTheToolsOwnWindows) {
  frmMain& f = *form_;
  POINT gap{170, 36};  // form client between the top row and the display box
  ClientToScreen(f.hWnd(), &gap);
  struct Row {
    const char* name;
    HWND window;
    POINT at;
    std::optional<std::wstring> title;  // the form's caption depends on the code page
    const wchar_t* cls;
    HWND parent;
  };
  const Row rows[] = {
      {"the magnifier's own box", f.picMagnifier.hWnd(), Offset(PickerCentre(), 3, -3), L"", L"VistrelPicture", f.hWnd()},
      {"a button", f.cmdZoomIn.hWnd(), CenterOf(f.cmdZoomIn.hWnd()), L"+", L"Button", f.hWnd()},
      {"the display area", f.picBox.hWnd(), CenterOf(f.picBox.hWnd()), L"", L"VistrelPicture", f.hWnd()},
      {"the form itself", f.hWnd(), gap, std::nullopt, L"VistrelForm", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Press();
    DragTo(row.at);
    Release();
    Fields want = Expected(row.window, row.title.value_or(L""), row.cls, row.parent);
    Fields got = Panel();
    if (!row.title) got[0].clear();
    EXPECT_EQ(got, want);
  }
}

TEST_F(Picker, NeverPicksHiddenOrDisabledWindows) {
  Target t = Start(L"--title Hider --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  const HWND cover = PlainWindow(WindowRectOf(t.button), WS_POPUP);  // never shown
  ASSERT_TRUE(cover);
  struct Row {
    const char* name;
    void (*apply)(const Target&);
    void (*undo)(const Target&);
    HWND Target::*picked;
  };
  const Row rows[] = {
      {"a disabled child", [](const Target& x) { EnableWindow(x.button, FALSE); },
       [](const Target& x) { EnableWindow(x.button, TRUE); }, &Target::main},
      {"a hidden child", [](const Target& x) { ShowWindow(x.button, SW_HIDE); },
       [](const Target& x) { ShowWindow(x.button, SW_SHOWNA); }, &Target::main},
      {"a hidden window of this process above it", [](const Target&) {}, [](const Target&) {},
       &Target::button},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.apply(t);
    Pump(100);
    Press();
    DragTo(CenterOf(t.button));
    Release();
    EXPECT_EQ(Panel()[1], Dec(t.*row.picked));
    row.undo(t);
    // Away from the button, so the next row's first move is a change.
    Press();
    DragTo(CenterOf(form_->picBox.hWnd()));
    Release();
  }
  DestroyWindow(cover);
}

TEST_F(Picker, EdgesLeftOfOrAboveTheScreenOriginKeepTheirMinusSign) {
  Target t = Start(L"--title Offscreen --x -80 --y -50 --w 360 --h 260");
  ASSERT_TRUE(t.main);
  // Should the desktop have kept the new window on screen, it is moved off by hand.
  if (WindowRectOf(t.main).left >= 0) SetWindowPos(t.main, nullptr, -80, -50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] { return WindowRectOf(t.main).left < 0 && WindowRectOf(t.main).top < 0; }, 5000));
  Press();
  DragTo({100, 120});
  Release();
  EXPECT_EQ(Panel(), Expected(t.main, L"Offscreen", L"VistrelTarget", nullptr));
  EXPECT_EQ(Panel()[5].substr(0, 1), L"-");
}

TEST_F(Picker, RecordingNoWindowOrAGoneOneStillWritesEveryField) {
  const HWND gone = PlainWindow({10, 10, 60, 60}, WS_POPUP);
  ASSERT_TRUE(gone);
  DestroyWindow(gone);
  for (HWND h : {HWND{}, gone}) {
    writes_.clear();
    form_->RecordPick(h);
    EXPECT_EQ(Calls().size(), 1u);
    Fields got = Panel();
    // Wine's GetWindowTextA fills the buffer from uninitialised memory when
    // the handle is bad (Windows gives ""), so the title is not compared.
    got[0].clear();
    EXPECT_EQ(got, (Fields{L"", Dec(h), L"0", L"", L"0", L"0", L"0", L"0"}));
    EXPECT_EQ(form_->Picked(), h);
  }
}

// A drag that loses the mouse to another window ends as a release would: no
// half-finished pick keeps the magnifier as the pointer or quietly retargets
// the next time the pointer crosses the empty box.
TEST_F(Picker, ADragCutShortEndsAsARelease) {
  Target t = Start(L"--title Cut --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t.main);
  const HWND thief = PlainWindow({0, 0, 10, 10}, WS_POPUP);
  ASSERT_TRUE(thief);
  Press();
  DragTo(CenterOf(t.button));
  SetCapture(thief);
  Pump(50);
  EXPECT_FALSE(form_->Picking());
  EXPECT_EQ(form_->MousePointer(), 0);
  EXPECT_TRUE(form_->picMagnifier.GetPicture());
  EXPECT_TRUE(IsWindowEnabled(form_->cmdTake.hWnd()));
  EXPECT_EQ(Panel(), Expected(t.button, L"OK", L"Button", t.main));
  Button(false, held_);
  held_ = -1;
  ReleaseCapture();
  writes_.clear();
  PointTo(PickerCentre());
  PointTo(Offset(PickerCentre(), 4, 4));
  Pump(200);
  EXPECT_TRUE(writes_.empty());
  EXPECT_EQ(form_->Picked(), t.button);
  DestroyWindow(thief);
}

// ---- the real tool, a separate process -------------------------------------

TEST(PickerTool, DragsFromTheToolOntoAChildOfAnotherProgram) {
  PointTo(kPark);
  auto tool = StartTool();
  ASSERT_TRUE(tool);
  auto t = StartTarget(L"--title Other --x 40 --y 120 --w 380 --h 300 --children");
  ASSERT_TRUE(t);
  const RECT before = WindowRectOf(t->main);
  const HWND transfer = ToolControl(*tool, ids::cmdTake);
  const HWND handleField = ToolControl(*tool, ids::txtHandle);
  EXPECT_FALSE(IsWindowEnabled(transfer));

  // Press on the magnifier, sweep over the form and the desktop onto the button.
  const POINT from = CenterOf(ToolControl(*tool, ids::picMagnifier)), to = CenterOf(t->button);
  ASSERT_TRUE(PointTo(from));
  Button(true, 0);
  for (int i = 1; i <= 10; ++i)
    PointTo({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10});
  const bool recorded = WaitUntil([&] { return TextOf(handleField) == Dec(t->button); }, kWait);
  Button(false, 0);
  EXPECT_TRUE(recorded);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(transfer) != FALSE; }, kWait));

  Fields got;
  for (int i = 0; i < 8; ++i) got[i] = TextOf(ToolControl(*tool, kFieldIds[i]));
  EXPECT_EQ(got, Expected(t->button, L"OK", L"Button", t->main));
  // Picking only looks: the window stays where and whose it was.
  EXPECT_EQ(ParentOf(t->main), GetDesktopWindow());
  EXPECT_EQ(WindowRectOf(t->main).left, before.left);
  EXPECT_EQ(WindowRectOf(t->main).top, before.top);
  PointTo(kPark);
  EXPECT_TRUE(CloseTool(*tool));
  EXPECT_TRUE(ProcessAlive(*t));
  StopTarget(*t);
}

}  // namespace
