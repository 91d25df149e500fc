// Embedding another program's window into the display box, giving it back,
// and never losing it: not when the tool closes with it inside, not when the
// tool faults. Targets live in their own process (vistrel_target.exe) except
// where the forwarding of our own windows' messages is the point.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "view/forwarding.h"
#include "form/ids.h"
#include "runtime/classes.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "window/Window.h"
#include "form/tips.h"
#include "fake_dwm.h"
#include "testbed.h"
#include "view/embed.h"
#include "view/thumbnail.h"

using namespace testbed;

namespace {

constexpr DWORD kWaitMs = 10000;

// ---- helpers -----------------------------------------------------------------

// Other programs are stopped however a test ends: one left running would
// keep the test's output open and stall the whole run.
std::shared_ptr<Target> Start(const std::wstring& args) {
  auto t = StartTarget(args);
  if (!t) t = StartTarget(args);  // a start can fail under load; once more
  if (!t) return nullptr;
  return std::shared_ptr<Target>(new Target(*t), [](Target* p) {
    StopTarget(*p);
    delete p;
  });
}


// What the picker leaves behind once the mouse is released over `h`.
void Pick(frmMain& form, HWND h) {
  form.RecordPick(h);
  form.cmdTake.SetEnabled(true);
}

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

std::string Describe(HWND h) {
  const RECT r = WindowRectOf(h);
  char buf[160];
  snprintf(buf, sizeof buf, "parent %p, rect (%ld,%ld)-(%ld,%ld)", static_cast<void*>(ParentOf(h)),
           r.left, r.top, r.right, r.bottom);
  return buf;
}

// `h` is a child of `box` at its client origin with the given outer size.
bool FitsBox(HWND h, HWND box, SIZE size) {
  const RECT r = WindowRectOf(h), client = ClientRectInScreen(box);
  return ParentOf(h) == box && r.left == client.left && r.top == client.top &&
         SizeOf(r).cx == size.cx && SizeOf(r).cy == size.cy;
}

// `h` is a child of `parent` (the desktop: top-level) where it was on the
// screen before it was taken, once its program has taken its place back.
bool BackAsBefore(HWND h, HWND parent, const RECT& before) {
  return WaitUntil([&] { return ParentOf(h) == parent && SameRect(WindowRectOf(h), before); }, kWaitMs);
}

// `h` is a child of `parent` at the top-left of its client area with the
// given size: given back without a place to go back to, neither moved nor resized.
bool BackAtOrigin(HWND h, HWND parent, SIZE size) {
  const RECT r = WindowRectOf(h);
  RECT client{};
  if (parent == GetDesktopWindow())
    client = {0, 0, 0, 0};
  else
    client = ClientRectInScreen(parent);
  return ParentOf(h) == parent && r.left == client.left && r.top == client.top &&
         SizeOf(r).cx == size.cx && SizeOf(r).cy == size.cy;
}

bool TopLevel(HWND h) { return IsWindow(h) && ParentOf(h) == GetDesktopWindow(); }

// The target window and its program both survived.
void ExpectAlive(const Target& t, const char* what) {
  EXPECT_TRUE(IsWindow(t.main)) << what;
  EXPECT_TRUE(ProcessAlive(t)) << what;
  // It still answers: its thread was not left waiting on a dead parent.
  DWORD_PTR pid = 0;
  EXPECT_TRUE(SendMessageTimeoutW(t.main, kMsgTargetPid, 0, 0, SMTO_ABORTIFHUNG, 5000, &pid)) << what;
  EXPECT_EQ(pid, t.pid) << what;
}

constexpr SIZE kBox{324, 244};
constexpr RECT kNoRect{};

// Targets start well away from the centred form and from the screen's
// top-left corner, where a window given back nowhere lands.
constexpr wchar_t kTargetArgs[] = L"--x 860 --y 600 --w 360 --h 300 --children";
// The same with a tool window that the main window owns, to its left.
constexpr wchar_t kOwnerArgs[] = L"--x 860 --y 600 --w 360 --h 300 --children --popup";
constexpr wchar_t kSecondArgs[] = L"--title Second --x 40 --y 700 --w 300 --h 200";

// ---- transfer --------------------------------------------------------------------

TEST(EmbedTransfer, FitsTheBoxRefitsAndMakesTheViewLive) {
  auto t = Start(kTargetArgs);
  ASSERT_TRUE(t);
  auto form = OpenForm();
  frmMain& f = *form;
  const HWND box = f.picBox.hWnd();
  EXPECT_FALSE(IsWindowEnabled(f.cmdTake.hWnd()));
  Pick(f, t->main);

  ASSERT_TRUE(ClickUntil(f.cmdTake.hWnd(), [&] { return FitsBox(t->main, box, kBox); }))
      << Describe(t->main);
  EXPECT_EQ(f.cmdFreeze.Caption(), L"暂停");
  // No style change: an overlapped window stays one, it only has a new parent.
  EXPECT_EQ(GetWindowLongW(t->main, GWL_STYLE) & WS_CHILD, 0);

  // A second "传输" puts the window back in the box's shape after anything
  // changed it: the window itself, the box, the pause state.
  const struct {
    const char* what;
    std::function<void()> disturb;
    SIZE expected;
  } refits[] = {
      {"target moved and shrunk", [&] { MoveWindow(t->main, 30, 40, 200, 100, TRUE); }, kBox},
      {"box grown", [&] { f.picBox.SetWidth(404), f.picBox.SetHeight(304); }, {404, 304}},
      {"paused, box hidden",
       [&] {
         f.picBox.SetWidth(324), f.picBox.SetHeight(244);
         f.cmdFreeze.SetCaption(L"继续");
         f.picBox.SetVisible(false);
       },
       kBox},
  };
  for (const auto& c : refits) {
    c.disturb();
    Pump(50);
    EXPECT_TRUE(ClickUntil(f.cmdTake.hWnd(), [&] { return FitsBox(t->main, box, c.expected); }))
        << c.what << ": " << Describe(t->main);
    EXPECT_EQ(f.cmdFreeze.Caption(), L"暂停") << c.what;
    EXPECT_TRUE(IsWindowVisible(box)) << c.what;
  }
  form.reset();
  EXPECT_TRUE(TopLevel(t->main));
}

TEST(EmbedTransfer, WithNothingPickedOnlyShowsTheBoxLive) {
  auto form = OpenForm();
  frmMain& f = *form;
  f.cmdFreeze.SetCaption(L"继续");
  f.picBox.SetVisible(false);
  const RECT before = WindowRectOf(f.hWnd());
  f.OnTake();
  f.OnGiveBack();
  EXPECT_EQ(f.cmdFreeze.Caption(), L"暂停");
  EXPECT_TRUE(IsWindowVisible(f.picBox.hWnd()));
  EXPECT_EQ(GetWindow(f.picBox.hWnd(), GW_CHILD), nullptr);
  const RECT after = WindowRectOf(f.hWnd());
  EXPECT_TRUE(EqualRect(&before, &after));
}

// What SetParent says when asked to put a window into one of ours: 0 lets it
// through; anything else refuses, as Windows refuses for a program running
// as administrator (user interface privilege isolation), which also drops
// our messages to it.
DWORD g_refusal;
decltype(&SetParent) g_realSetParent;
decltype(&SendMessageTimeoutW) g_realSendTimeout;
HWND WINAPI RefusingSetParent(HWND window, HWND parent) {
  if (!g_refusal || !parent) return g_realSetParent(window, parent);
  SetLastError(g_refusal);
  return nullptr;
}
LRESULT WINAPI DroppingSendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT flags, UINT ms, PDWORD_PTR result) {
  if (g_refusal != ERROR_ACCESS_DENIED || msg != WM_NULL) return g_realSendTimeout(h, msg, wp, lp, flags, ms, result);
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}

// While one lives, SetParent refuses as g_refusal says.
struct Refusing {
  Refusing() {
    g_realSetParent = reinterpret_cast<decltype(g_realSetParent)>(
        RedirectImport("SetParent", reinterpret_cast<void*>(&RefusingSetParent)));
    g_realSendTimeout = reinterpret_cast<decltype(g_realSendTimeout)>(
        RedirectImport("SendMessageTimeoutW", reinterpret_cast<void*>(&DroppingSendTimeout)));
  }
  ~Refusing() {
    RedirectImport("SetParent", reinterpret_cast<void*>(g_realSetParent));
    RedirectImport("SendMessageTimeoutW", reinterpret_cast<void*>(g_realSendTimeout));
  }
};

std::wstring NoticeText() {
  const HWND balloon = ShownToolTip(Tool{nullptr, GetCurrentProcessId(), nullptr}, true);
  return balloon ? TextOf(balloon) : std::wstring();
}

// "传输" takes a window whole or leaves it exactly as it was, says why, and
// never waits long on a program that does not answer.
TEST(EmbedTransfer, AWindowNotTakenIsLeftAsItWasAndTheNoticeSaysWhy) {
  const Refusing refusing;
  ASSERT_TRUE(g_realSetParent && g_realSendTimeout);
  const struct {
    const char* what;
    DWORD refusal;
    DWORD hangMs;
    const wchar_t* said;  // the notice, or its start when the system's words follow
    bool systemWords;
  } rows[] = {
      {"run as administrator", ERROR_ACCESS_DENIED, 0, TipText(Tip::Elevated), false},
      {"refused for another reason", ERROR_INVALID_PARAMETER, 0, TipText(Tip::NotMoved), true},
      {"its program does not answer", 0, 3000, TipText(Tip::NotResponding), false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto t = Start(kTargetArgs);
    ASSERT_TRUE(t);
    auto form = OpenForm();
    frmMain& f = *form;
    const RECT before = WindowRectOf(t->main);
    Pick(f, t->main);
    g_refusal = row.refusal;
    if (row.hangMs) PostMessageW(t->main, kMsgTargetHang, row.hangMs, 0);
    ASSERT_TRUE(WaitUntil([&] { return !row.hangMs || !Answers(*t, 20); }, kWaitMs));
    const ULONGLONG clicked = GetTickCount64();
    f.OnTake();
    std::printf("%s: the click took %llu ms\n", row.what, GetTickCount64() - clicked);
    EXPECT_LT(GetTickCount64() - clicked, 700u);
    std::wstring said;
    WaitUntil([&] { return !(said = NoticeText()).empty(); }, 2000);
    EXPECT_EQ(said.rfind(row.said, 0), 0u) << testing::PrintToString(said);
    EXPECT_EQ(said.size() > std::wcslen(row.said), row.systemWords) << testing::PrintToString(said);
    // Once it answers, whatever was asked of it meanwhile has been done.
    ASSERT_TRUE(WaitUntil([&] { return Answers(*t, 200); }, kWaitMs));
    f.OnGiveBack();
    form.reset();
    g_refusal = 0;
    Pump(100);
    EXPECT_TRUE(TopLevel(t->main));
    EXPECT_TRUE(SameRect(WindowRectOf(t->main), before)) << Describe(t->main);
  }
}

// Windows that break when re-parented, picked themselves or inside one, are
// left exactly as they were, and the notice says why.
TEST(EmbedTransfer, WindowsThatBreakWhenMovedAreLeftWhereTheyAre) {
  // Where DWM cannot show a picture either, in each way it can fail.
  int fault = FakeDwm::kMissing;
  for (const wchar_t* cls : {L"ApplicationFrameWindow", L"Windows.UI.Core.CoreWindow",
                             L"WinUIDesktopWin32WindowClass", L"CASCADIA_HOSTING_WINDOW_CLASS"}) {
    auto t = Start(std::wstring(kTargetArgs) + L" --class " + cls);
    ASSERT_TRUE(t);
    for (const HWND picked : {t->main, t->edit}) {
      SCOPED_TRACE(testing::PrintToString(std::wstring(cls)) + (picked == t->edit ? ", its child" : ""));
      FakeDwm dwm(static_cast<FakeDwm::Fault>(fault++ % 4 + 1));
      auto form = OpenForm();
      const RECT before = WindowRectOf(picked);
      const HWND parent = ParentOf(picked);
      Pick(*form, picked);
      form->OnTake();
      EXPECT_TRUE(WaitUntil([&] { return NoticeText() == TipText(Tip::BreaksWhenMoved); }, 2000));
      EXPECT_EQ(dwm.live, 0);
      EXPECT_EQ(ParentOf(picked), parent);
      EXPECT_TRUE(SameRect(WindowRectOf(picked), before)) << Describe(picked);
    }
  }
}

// A window that cannot be taken shows as a live picture of its top-level
// window that follows the box, and is itself never moved; "还原" and closing
// end the picture. Through the command line it is the same, full screen.
TEST(EmbedPicture, WindowsThatCannotBeTakenShowAsALivePictureThatFollowsTheBox) {
  const Refusing refusing;
  const struct { const wchar_t* cls; DWORD refusal; bool child, byCommandLine, closed; } rows[] = {
      {L"ApplicationFrameWindow", 0, false, false, false},
      {L"Windows.UI.Core.CoreWindow", 0, true, false, true},
      {L"WinUIDesktopWin32WindowClass", 0, false, false, true},
      {L"CASCADIA_HOSTING_WINDOW_CLASS", 0, false, true, false},
      {L"VistrelTarget", ERROR_ACCESS_DENIED, true, false, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(r.cls)) + (r.child ? ", a child" : ""));
    auto t = Start(std::wstring(kTargetArgs) + L" --class " + r.cls);
    ASSERT_TRUE(t);
    const HWND picked = r.child ? t->edit : t->main;
    const RECT before = WindowRectOf(picked), whole = WindowRectOf(t->main);
    auto form = OpenForm();
    frmMain& f = *form;
    FakeDwm dwm;
    g_refusal = r.refusal;
    f.Wanted.cls = r.cls, f.Wanted.fullscreen = true;
    if (r.byCommandLine) f.LookForWanted();
    else Pick(f, picked), f.OnTake();
    EXPECT_EQ(f.FullScreen(), r.byCommandLine);
    const Tip said = r.refusal ? Tip::ElevatedShownLive : Tip::BreaksShownLive;
    EXPECT_TRUE(WaitUntil([&] { return NoticeText() == TipText(said); }, 2000));
    EXPECT_EQ(dwm.destination, f.hWnd());
    EXPECT_EQ(dwm.source, t->main);
    RECT part = r.child ? before : RECT{};
    OffsetRect(&part, -whole.left, -whole.top);
    EXPECT_TRUE(EqualRect(&dwm.rcSource, r.child ? &part : &kNoRect));
    const struct { const char* what; void (frmMain::*step)(); } steps[] = {
        {"taken", nullptr}, {"Esc", &frmMain::LeaveFullScreen}, {"全屏", &frmMain::EnterFullScreen},
        {"Esc", &frmMain::LeaveFullScreen}, {"暂停", &frmMain::OnFreeze}, {"继续", &frmMain::OnFreeze},
        {"+", &frmMain::OnZoomIn}};
    for (const auto& s : steps) {
      if (s.step) (f.*s.step)();
      RECT box = ClientRectInScreen(f.picBox.hWnd());
      MapWindowPoints(nullptr, f.hWnd(), reinterpret_cast<POINT*>(&box), 2);
      const RECT fitted = FitPicture(box, SizeOf(r.child ? part : whole));
      EXPECT_TRUE(EqualRect(&dwm.rcDestination, &fitted)) << s.what;
      EXPECT_EQ(dwm.visible, !f.Frozen()) << s.what << ": hidden only over the still picture";
    }
    const RECT& shown = dwm.rcDestination;
    EXPECT_EQ(f.Caption(), SizeCaption(static_cast<float>(WidthOf(shown)), static_cast<float>(HeightOf(shown))));
    EXPECT_EQ(dwm.live, 1);
    // Content only: the picture keeps the picked window's client area alone.
    f.OnContentOnlySwitch();
    RECT content = ClientRectInScreen(picked);
    OffsetRect(&content, -whole.left, -whole.top);
    EXPECT_TRUE(EqualRect(&dwm.rcSource, &content));
    EXPECT_EQ(dwm.live, 1);
    if (r.closed) f.Close();
    else f.OnGiveBack();
    EXPECT_EQ(dwm.live, 0) << (r.closed ? "closed" : "还原");
    form.reset();
    g_refusal = 0;
    Pump(100);
    EXPECT_EQ(ParentOf(picked), r.child ? t->main : GetDesktopWindow());
    EXPECT_TRUE(SameRect(WindowRectOf(picked), before)) << Describe(picked);
  }
}

// ---- release -------------------------------------------------------------------

TEST(EmbedRelease, GivesBackToTheRecordedParentWhereItWas) {
  auto t = Start(kOwnerArgs);
  ASSERT_TRUE(t);
  auto form = OpenForm();
  frmMain& f = *form;
  const HWND box = f.picBox.hWnd(), desktop = GetDesktopWindow();

  // Each row picks a window, embeds it, presses "还原" with a panel that says
  // anything and says where the window must be; a window given back
  // must then come in again with "传输".
  const struct {
    const char* what;
    HWND window;
    HWND parentAfter;  // nullptr: still in the box
  } cases[] = {
      {"top-level window, recorded parent 0", t->main, desktop},
      {"child window, recorded parent its own", t->edit, t->main},
      // Its recorded parent is its owner: it goes back top-level, still owned.
      {"owned tool window", t->popup, desktop},
  };
  for (const auto& c : cases) {
    const RECT before = WindowRectOf(c.window);
    Pick(f, c.window);
    ASSERT_TRUE(ClickUntil(f.cmdTake.hWnd(), [&] { return FitsBox(c.window, box, kBox); }))
        << c.what << ": " << Describe(c.window);
    f.txtParent.SetText(L"abc");  // shown only: decides nothing
    f.picBox.SetVisible(false);
    f.cmdFreeze.SetCaption(L"继续");

    // The box coming back into view shows the click arrived.
    EXPECT_TRUE(ClickUntil(f.cmdGiveBack.hWnd(), [&] { return IsWindowVisible(box) != FALSE; })) << c.what;
    EXPECT_EQ(f.cmdFreeze.Caption(), L"继续") << c.what << ": the pause state is not release's business";
    if (c.parentAfter) {
      EXPECT_TRUE(BackAsBefore(c.window, c.parentAfter, before)) << c.what << ": " << Describe(c.window);
      EXPECT_TRUE(ClickUntil(f.cmdTake.hWnd(), [&] { return FitsBox(c.window, box, kBox); }))
          << c.what << ", embedded again: " << Describe(c.window);
    } else {
      Pump(200);
      EXPECT_TRUE(FitsBox(c.window, box, kBox)) << c.what << ": " << Describe(c.window);
    }
    // Back where it began, for the next row.
    SetParent(c.window, c.window == t->edit ? t->main : nullptr);
  }

  // Picked and never embedded, an owned window stays where it is.
  const RECT placed = WindowRectOf(t->popup);
  Pick(f, t->popup);
  f.picBox.SetVisible(false);
  EXPECT_TRUE(ClickUntil(f.cmdGiveBack.hWnd(), [&] { return IsWindowVisible(box) != FALSE; }));
  Pump(100);
  EXPECT_TRUE(TopLevel(t->popup)) << Describe(t->popup);
  EXPECT_TRUE(SameRect(WindowRectOf(t->popup), placed)) << Describe(t->popup);
  EXPECT_EQ(GetWindow(t->popup, GW_OWNER), t->main);
  ExpectAlive(*t, "after the releases");
}

// ---- never losing a window when the tool closes ------------------------------------

TEST(EmbedClose, EveryWayOfEndingTheFormGivesTheWindowsBack) {
  // Each row embeds the target, then leaves the form in a state where the
  // recorded parent does not bring it home, and ends the form in its own way.
  struct Case {
    const char* what;
    // Gets the form ready to end; may use the second target.
    std::function<void(frmMain&, Target& first, Target& second)> before;
    HWND (*embedded)(const Target&);     // the window put into the box
    HWND (*homeAfter)(const Target&);    // its parent afterwards (desktop: top-level)
    bool destroyWithoutUnload;
    bool mainInside = false;  // the first target's main window ends up inside the embedded one
  };
  auto mainOf = [](const Target& t) { return t.main; };
  auto editOf = [](const Target& t) { return t.edit; };
  auto popupOf = [](const Target& t) { return t.popup; };
  auto desktopOf = [](const Target&) { return GetDesktopWindow(); };
  const Case cases[] = {
      {"closed with the target embedded", [](frmMain&, Target&, Target&) {}, mainOf, desktopOf, false},
      {"a second window picked after embedding",
       [](frmMain& f, Target&, Target& second) { Pick(f, second.main); }, mainOf, desktopOf, false},
      {"the embedded child picked again (its recorded parent is the box)",
       [](frmMain& f, Target& first, Target&) { Pick(f, first.edit); }, editOf, mainOf, false},
      {"form destroyed without Unload, second window picked",
       [](frmMain& f, Target&, Target& second) { Pick(f, second.main); }, mainOf, desktopOf, true},
      // Recorded parent: its owner. Never into the owner, but top-level and still owned.
      {"owned tool window embedded", [](frmMain&, Target&, Target&) {}, popupOf, desktopOf, false},
      {"owned tool window embedded, a second window picked",
       [](frmMain& f, Target&, Target& second) { Pick(f, second.main); }, popupOf, desktopOf, false},
      // Its home cannot take it back: it goes to the top level rather than die with us.
      {"its home became its child",
       [](frmMain&, Target& first, Target&) { SetParent(first.main, first.edit); }, editOf, desktopOf,
       false, true},
  };
  for (const auto& c : cases) {
    auto first = Start(kOwnerArgs);
    auto second = Start(kSecondArgs);
    ASSERT_TRUE(first && second) << c.what;
    auto form = OpenForm();
    const HWND window = c.embedded(*first);
    const RECT before = WindowRectOf(window);
    Pick(*form, window);
    form->OnTake();
    ASSERT_TRUE(WaitUntil([&] { return FitsBox(window, form->picBox.hWnd(), kBox); }, kWaitMs))
        << c.what << ": " << Describe(window);
    c.before(*form, *first, *second);
    Pump(50);

    if (c.destroyWithoutUnload) {
      form.reset();
    } else {
      form->Close();
      form.reset();
    }
    Pump(300);  // a destroyed host takes foreign children with it asynchronously
    const HWND home = c.homeAfter(*first);
    // A child whose home became its own child has no place to go back to.
    EXPECT_TRUE(c.mainInside ? BackAtOrigin(window, home, kBox) : BackAsBefore(window, home, before))
        << c.what << ": " << Describe(window);
    ExpectAlive(*first, c.what);
    ExpectAlive(*second, c.what);
    EXPECT_EQ(GetWindow(first->popup, GW_OWNER), first->main) << c.what;
    EXPECT_TRUE(c.mainInside ? ParentOf(first->main) == window : TopLevel(first->main)) << c.what;
    EXPECT_TRUE(TopLevel(second->main)) << c.what;
  }
}

// The real exe, picked and embedded by a person's drag and click.
TEST(EmbedClose, RealToolGivesTheWindowBackWhenClosed) {
  for (bool pickSecond : {false, true}) {
    const char* what = pickSecond ? "second window picked" : "target embedded";
    auto t = Start(kTargetArgs);
    auto second = Start(kSecondArgs);
    ASSERT_TRUE(t && second);
    auto tool = StartToolClosedAtEnd();
    ASSERT_TRUE(tool);
    const HWND box = ToolControl(*tool, ids::picBox);
    const HWND transfer = ToolControl(*tool, ids::cmdTake), handle = ToolControl(*tool, ids::txtHandle);
    const RECT before = WindowRectOf(t->main);
    ASSERT_TRUE(PickWithMagnifier(*tool, t->main)) << what << ": picked " << testing::PrintToString(TextOf(handle));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(transfer) != FALSE; }, kWaitMs));
    ASSERT_TRUE(ClickUntil(transfer, [&] { return FitsBox(t->main, box, kBox); }))
        << what << ": " << Describe(t->main);
    if (pickSecond) ASSERT_TRUE(PickWithMagnifier(*tool, second->main)) << what;

    EXPECT_TRUE(CloseTool(*tool)) << what;
    EXPECT_TRUE(WaitUntil([&] { return TopLevel(t->main); }, kWaitMs)) << what << ": " << Describe(t->main);
    EXPECT_TRUE(BackAsBefore(t->main, GetDesktopWindow(), before)) << what << ": " << Describe(t->main);
    Pump(300);
    ExpectAlive(*t, what);
    ExpectAlive(*second, what);
    EXPECT_TRUE(TopLevel(second->main)) << what;
  }
}

// ---- never losing a window when the tool faults ------------------------------------

// The child half runs in a copy of this exe (see below): it hosts the form as
// the exe does, embeds the target named in the environment, waits for the
// parent to see it embedded, then ends the way the variable says.
constexpr wchar_t kChildEnv[] = L"VISTREL_EMBED_FAULT_CHILD";
constexpr UINT kCrashHandlerExit = 0x5EED;

// Stands for the system's own crash handling, which would otherwise start a
// debugger: it runs after ours, so reaching it proves the fault went by us.
LONG WINAPI EndAsCrashed(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), kCrashHandlerExit);
  return EXCEPTION_EXECUTE_HANDLER;
}

void TouchNowhere() {
  // A page no one may touch: a real access violation, not a crafted one.
  auto* nowhere = static_cast<volatile int*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_NOACCESS));
  *nowhere = 1;
}

constexpr UINT kFaultNow = WM_APP + 9;

LRESULT CALLBACK FaultyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kFaultNow) TouchNowhere();
  return DefWindowProcW(h, msg, wp, lp);
}

TEST(EmbedFaultChild, DISABLED_EmbedThenEnd) {
  wchar_t childOrder[256] = {};
  ASSERT_GT(GetEnvironmentVariableW(kChildEnv, childOrder, 256), 0u) << "started by EmbedFault only";
  wchar_t kind[32] = {}, event[128] = {};
  long target = 0;
  ASSERT_EQ(swscanf(childOrder, L"%31ls %ld %127ls", kind, &target, event), 3);
  SetUnhandledExceptionFilter(EndAsCrashed);

  auto form = OpenForm();
  GuardBorrowedWindows(form->hWnd());
  Pick(*form, ToHwnd(target));
  form->OnTake();
  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, event);
  ASSERT_TRUE(go);
  ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(go, 0) == WAIT_OBJECT_0; }, 60000));

  const std::wstring how = kind;
  if (how == L"fault") TouchNowhere();
  if (how == L"handler") {
    // Where a fault of the tool would come from: inside a message handler.
    WNDCLASSW wc{};
    wc.lpfnWndProc = FaultyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EmbedFaulty";
    RegisterClassW(&wc);
    PostMessageW(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr),
                 kFaultNow, 0, 0);
    Pump(10000);
  }
  if (how == L"abort") abort();
  ADD_FAILURE() << "still running after " << testing::PrintToString(how);
}

TEST(EmbedFault, ToolThatFaultsGivesTheWindowBackFirst) {
  const struct {
    const wchar_t* kind;
    DWORD exitCode;  // how the child must end
  } cases[] = {
      {L"fault", kCrashHandlerExit},    // access violation no one handles
      {L"handler", kCrashHandlerExit},  // the same inside a window procedure
      {L"abort", 3},                    // the runtime's abort: no exception filter runs
  };
  for (const auto& c : cases) {
    const std::string what = testing::PrintToString(std::wstring(c.kind));
    auto t = Start(kTargetArgs);
    ASSERT_TRUE(t) << what;
    const std::wstring eventName = L"VistrelEmbedFault-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(GetTickCount64());
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_TRUE(go);

    const RECT before = WindowRectOf(t->main);
    const std::wstring childOrder = std::wstring(c.kind) + L" " +
                              std::to_wstring(FromHwnd(t->main)) + L" " + eventName;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = std::wstring(L"\"") + self +
                       L"\" --gtest_filter=EmbedFaultChild.DISABLED_EmbedThenEnd"
                       L" --gtest_also_run_disabled_tests --gtest_catch_exceptions=0";
    SetEnvironmentVariableW(kChildEnv, childOrder.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(kChildEnv, nullptr);
    ASSERT_TRUE(started) << what;
    CloseHandle(pi.hThread);

    // Embedded in the child's display box before the child goes down.
    const bool embedded = WaitUntil(
        [&] {
          DWORD owner = 0;
          GetWindowThreadProcessId(ParentOf(t->main), &owner);
          return owner == pi.dwProcessId && ClassOf(ParentOf(t->main)) == VISTREL_PICTURE_CLASS;
        },
        30000);
    EXPECT_TRUE(embedded) << what << ": " << Describe(t->main);
    SetEvent(go);

    const auto exit = WaitExit(pi.hProcess, 30000);
    if (!exit) TerminateProcess(pi.hProcess, 1);
    EXPECT_EQ(exit, std::optional<DWORD>(c.exitCode)) << what;
    Pump(300);
    EXPECT_TRUE(embedded && BackAsBefore(t->main, GetDesktopWindow(), before))
        << what << ": " << Describe(t->main);
    ExpectAlive(*t, what.c_str());
    CloseHandle(pi.hProcess);
    CloseHandle(go);
  }
}

// ---- forwarding of our own windows' messages ------------------------------------------

constexpr UINT kPing = WM_APP + 7;
constexpr LRESULT kPong = 0x1234;

std::map<HWND, int> g_ownCalls;  // pings that reached each window's own procedure
int g_otherCalls = 0;            // pings that reached a third party's subclass
WNDPROC g_otherPrevious = nullptr;

LRESULT CALLBACK OwnProcW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    ++g_ownCalls[h];
    return kPong;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK OwnProcA(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) {
    ++g_ownCalls[h];
    return kPong;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

LRESULT CALLBACK OtherSubclass(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kPing) ++g_otherCalls;
  return CallWindowProcW(g_otherPrevious, h, msg, wp, lp);
}

HWND OwnWindow(bool wide, int x) {
  static const bool registered = [] {
    WNDCLASSW w{};
    w.lpfnWndProc = OwnProcW;
    w.hInstance = GetModuleHandleW(nullptr);
    w.lpszClassName = L"EmbedOwnW";
    WNDCLASSA a{};
    a.lpfnWndProc = OwnProcA;
    a.hInstance = GetModuleHandleW(nullptr);
    a.lpszClassName = "EmbedOwnA";
    return RegisterClassW(&w) && RegisterClassA(&a);
  }();
  EXPECT_TRUE(registered);
  return wide ? CreateWindowExW(0, L"EmbedOwnW", L"own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 700,
                                200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
              : CreateWindowExA(0, "EmbedOwnA", "own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 700,
                                200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(EmbedForwarding, OwnWindowReachesItsOwnProcedureExactlyOnce) {
  const LONG_PTR wndProc = reinterpret_cast<LONG_PTR>(&forwarding::WndProc);
  // Each row transfers our windows in some order; then a message sent to
  // `first` must reach its own procedure once and nobody else's.
  enum Step { TransferFirst, TransferSecond, Release, OtherSubclassesFirst };
  const struct {
    const char* what;
    std::vector<Step> steps;
    bool otherOnTop;  // a third party subclassed it after us and stays on top
  } cases[] = {
      {"transferred twice", {TransferFirst, TransferFirst}, false},
      {"another window transferred in between", {TransferFirst, TransferSecond, TransferFirst}, false},
      {"released and transferred again", {TransferFirst, Release, TransferFirst}, false},
      {"subclassed by someone else, then transferred again",
       {TransferFirst, OtherSubclassesFirst, TransferFirst}, true},
      {"second window first, then this one twice", {TransferSecond, TransferFirst, TransferFirst}, false},
  };
  for (bool wide : {true, false}) {
    for (const auto& c : cases) {
      const std::string what = std::string(c.what) + (wide ? ", Unicode window" : ", ANSI window");
      // A box of a plain window: taking needs no form.
      const HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                        nullptr, nullptr);
      const HWND box = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 8, 40, 324, 244, host, nullptr,
                                       nullptr, nullptr);
      const HWND first = OwnWindow(wide, 40), second = OwnWindow(wide, 300);
      ASSERT_TRUE(host && box && first && second) << what;
      const auto take = [&](HWND h) {
        EXPECT_EQ(TakeIntoBox(h, box).outcome, TakeOutcome::Taken) << what;
        FitToBox(h, kBox.cx, kBox.cy);
      };
      for (Step s : c.steps) {
        switch (s) {
          case TransferFirst: take(first); break;
          case TransferSecond: take(second); break;
          case Release: SetParent(first, nullptr); break;
          case OtherSubclassesFirst:
            g_otherPrevious = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherSubclass)));
            break;
        }
      }
      g_ownCalls.clear();
      g_otherCalls = 0;
      EXPECT_EQ(SendMessageW(first, kPing, 0, 0), kPong) << what;
      EXPECT_EQ(g_ownCalls[first], 1) << what;
      EXPECT_EQ(g_ownCalls[second], 0) << what;
      EXPECT_EQ(g_otherCalls, c.otherOnTop ? 1 : 0) << what;
      if (c.otherOnTop)
        EXPECT_EQ(GetWindowLongPtrW(first, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OtherSubclass)) << what;
      else
        EXPECT_EQ(GetWindowLongPtrW(first, GWLP_WNDPROC), wndProc) << what;
      // Everything else still works through the chain; a Unicode window's
      // text passes no code page, so it keeps what none could hold.
      const std::wstring title = wide ? L"\u4E2D\u6587 \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC" : L"renamed";
      SetWindowTextW(first, title.c_str());
      EXPECT_EQ(TextOf(first), title) << what;
      EXPECT_TRUE(FitsBox(first, box, kBox)) << what << ": " << Describe(first);
      if (forwarding::SavedProcOf(second)) {  // it was transferred too
        g_ownCalls.clear();
        EXPECT_EQ(SendMessageW(second, kPing, 0, 0), kPong) << what;
        EXPECT_EQ(g_ownCalls[second], 1) << what;
        EXPECT_EQ(g_ownCalls[first], 0) << what;
      }
      // Destroyed here while the chain is in place.
      DestroyWindow(first);
      DestroyWindow(second);
      DestroyWindow(host);
    }
  }
}

}  // namespace
