// Full screen with "全屏" and back with Esc: the screen-size arithmetic, the
// hidden tools, the saved geometry, border and window state, and the target
// fitted each way; Esc typed into the embedded program, the keyboard watch
// that makes that work, and full screen on a second monitor; driven by real
// clicks and key presses.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "form/frmMain.h"
#include "testbed.h"
#include "form/ids.h"
#include "view/embed.h"
#include "view/esc_watch.h"
#include "view/fullscreen.h"

using namespace testbed;

namespace {

constexpr DWORD kWait = 10000;  // generous: the machine is shared


constexpr LONG_PTR kFrame = WS_CAPTION | WS_THICKFRAME;

bool Framed(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & kFrame) == kFrame; }
bool Frameless(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & kFrame) == 0; }

// ---- arithmetic ----------------------------------------------------------------

TEST(FullScreenArithmetic, TheBoxIsTheWholeMonitorPlusTheBorderAllowance) {
  struct Case {
    RECT monitor;
    std::optional<int32_t> width, height;
  } cases[] = {
      {{0, 0, 1280, 1024}, 1284, 1027},         // the primary, as on one monitor
      {{1280, 0, 2304, 768}, 1028, 771},        // a smaller one to its right
      {{-1920, -300, 0, 780}, 1924, 1083},      // left of the primary and above it
      {{0, -1080, 1920, 0}, 1924, 1083},        // above it
      {{10, 20, 10, 20}, std::nullopt, std::nullopt},  // no extent
      {{5, 5, 0, 0}, std::nullopt, std::nullopt},      // inverted
      {{INT32_MIN, 0, INT32_MAX, 100}, std::nullopt, 103},  // past 32 bits across
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FullScreenWidth(c.monitor), c.width) << c.monitor.left << "," << c.monitor.right;
    EXPECT_EQ(FullScreenHeight(c.monitor), c.height) << c.monitor.top << "," << c.monitor.bottom;
  }
}

// Keyboard hooks that the tool's code, linked into this exe, has set and not
// removed, counted at the system calls; -1 when they cannot be redirected.
decltype(&SetWindowsHookExW) g_realSetHook;
decltype(&UnhookWindowsHookEx) g_realUnhook;
std::atomic<long> g_liveHooks;
HHOOK WINAPI CountedSetHook(int id, HOOKPROC proc, HINSTANCE module, DWORD thread) {
  const HHOOK h = g_realSetHook(id, proc, module, thread);
  if (h) ++g_liveHooks;
  return h;
}
BOOL WINAPI CountedUnhook(HHOOK h) {
  const BOOL ok = g_realUnhook(h);
  if (ok) --g_liveHooks;
  return ok;
}
long LiveHooks() {
  static const bool counted = [] {
    g_realSetHook = reinterpret_cast<decltype(g_realSetHook)>(
        RedirectImport("SetWindowsHookExW", reinterpret_cast<void*>(&CountedSetHook)));
    g_realUnhook = reinterpret_cast<decltype(g_realUnhook)>(
        RedirectImport("UnhookWindowsHookEx", reinterpret_cast<void*>(&CountedUnhook)));
    return g_realSetHook && g_realUnhook;
  }();
  return counted ? g_liveHooks.load() : -1;
}

// A watch thread slow to start: it runs only after starting has given up
// on it, as on a machine under load.
decltype(&CreateThread) g_realCreateThread;
LPTHREAD_START_ROUTINE g_slowStart;
DWORD WINAPI StartLate(LPVOID param) {
  Sleep(3000);
  return g_slowStart(param);
}
HANDLE WINAPI CreateSlowThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID param,
                               DWORD flags, LPDWORD id) {
  g_slowStart = start;
  return g_realCreateThread(sa, stack, StartLate, param, flags, id);
}

TEST(EscWatch, AStartTooSlowIsStoppedAndLeavesNoHook) {
  ASSERT_EQ(LiveHooks(), 0) << "-1: the hook calls could not be counted";
  g_realCreateThread = reinterpret_cast<decltype(g_realCreateThread)>(
      RedirectImport("CreateThread", reinterpret_cast<void*>(&CreateSlowThread)));
  ASSERT_TRUE(g_realCreateThread);
  const HWND form = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  WatchEsc(form, kMsgEscInProgram);
  StopWatchingEsc();
  EXPECT_FALSE(WatchingEsc());
  // The stop must reach the thread whenever it gets going: no hook stays.
  EXPECT_TRUE(WaitUntil([] { return LiveHooks() == 0; }, 6000)) << LiveHooks() << " hook(s) left";
  RedirectImport("CreateThread", reinterpret_cast<void*>(g_realCreateThread));
  DestroyWindow(form);
}

// ---- through "全屏" and Esc -----------------------------------------------------

class FullScreen : public testing::Test {
 protected:
  void SetUp() override {
    form_ = OpenForm(kWait);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
    target_ = StartTarget(L"--x 600 --y 500 --w 200 --h 150");
    ASSERT_TRUE(target_);
    form_->RecordPick(target_->main);
    form_->OnTake();
    ASSERT_EQ(ParentOf(target_->main), form_->picBox.hWnd());
    ASSERT_TRUE(WaitUntil([&] { return SameRect(Now().target, RECT{0, 0, 324, 244}); }, kWait));
  }

  void TearDown() override {
    if (form_) form_->Close();
    form_.reset();
    if (target_) StopTarget(*target_);
    Pump(50);
  }

  // The eleven tools that full screen hides.
  void ExpectTools(bool visible) {
    rt::Control* tools[] = {&form_->picMagnifier, &form_->cmdZoomIn, &form_->cmdZoomOut, &form_->cmdGiveBack,
                            &form_->cmdFreeze, &form_->cmdScreenshot, &form_->cmdFullScreen, &form_->cmdTake,
                            &form_->chkTopmost,   &form_->lblRatio,   &form_->txtRatio};
    for (rt::Control* c : tools) {
      EXPECT_EQ(c->Visible(), visible) << "control " << c->Id();
      if (c->hWnd()) EXPECT_EQ(IsWindowVisible(c->hWnd()) != FALSE, visible) << "control " << c->Id();
    }
  }

  void EnterFullScreen() {
    ClickSettled(form_->cmdFullScreen.hWnd());
    ASSERT_TRUE(WaitUntil([&] { return form_->Visible() && IsZoomed(form_->hWnd()); }, kWait));
    // Esc can only come back to a form that is in front.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form_->hWnd(); }, kWait));
  }

  void PressEscAndWaitForFrame() {
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(form_->hWnd()) && Framed(form_->hWnd()); }, kWait));
  }

  // The normal view as a person sees it: the form's outer size and its
  // client area within it (the frame), the box's place in the form, and the
  // target's place in the box.
  struct View {
    RECT form, client, box, target;
  };
  View Now() {
    const RECT f = WindowRectOf(form_->hWnd()), c = ClientRectInScreen(form_->hWnd());
    return {{0, 0, WidthOf(f), HeightOf(f)},
            {c.left - f.left, c.top - f.top, c.right - f.left, c.bottom - f.top},
            RectIn(form_->picBox.hWnd(), form_->hWnd()),
            RectIn(target_->main, form_->picBox.hWnd())};
  }
  void ExpectView(const View& want) {
    // The target takes its size when its program gets to it.
    WaitUntil([&] { return SameRect(Now().target, want.target); }, kWait);
    const View now = Now();
    EXPECT_TRUE(SameRect(now.form, want.form)) << WidthOf(now.form) << "x" << HeightOf(now.form);
    EXPECT_TRUE(SameRect(now.client, want.client)) << "client at " << now.client.left << "," << now.client.top;
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
  EXPECT_TRUE(IsWindowVisible(form_->picBox.hWnd()));
  EXPECT_FALSE(IsWindowVisible(form_->picStill.hWnd()));
  EXPECT_EQ(form_->picBox.Left(), 0.0f);
  EXPECT_EQ(form_->picBox.Top(), 0.0f);
  EXPECT_EQ(form_->picBox.Width(), static_cast<float>(sw + 4));
  EXPECT_EQ(form_->picBox.Height(), static_cast<float>(sh + 3));
  EXPECT_TRUE(SameRect(RectIn(form_->picBox.hWnd(), form_->hWnd()), RECT{0, 0, sw + 4, sh + 3}));
  // With no frame the form's client area is the screen.
  EXPECT_TRUE(SameRect(ClientRectInScreen(form_->hWnd()), RECT{0, 0, sw, sh}));
  EXPECT_EQ(ParentOf(target_->main), form_->picBox.hWnd());
  EXPECT_TRUE(WaitUntil([&] { return SameRect(Now().target, RECT{0, 0, sw + 4, sh + 3}); }, kWait));
  EXPECT_TRUE(form_->FullScreen());

  PressEscAndWaitForFrame();
  EXPECT_EQ(form_->BorderStyle(), 2);
  EXPECT_EQ(form_->WindowState(), 0);
  EXPECT_EQ(form_->Caption(), caption);
  EXPECT_FALSE(form_->FullScreen());
  EXPECT_EQ(form_->Width(), formWidth);
  EXPECT_EQ(form_->Height(), formHeight);
  ExpectTools(true);
  ExpectView(normal);
  EXPECT_EQ(ParentOf(target_->main), form_->picBox.hWnd());
  EXPECT_TRUE(ProcessAlive(*target_));
}

TEST_F(FullScreen, EscInTheNormalViewReappliesTheSavedGeometry) {
  const View saved = Now();
  EnterFullScreen();
  PressEscAndWaitForFrame();

  ClickSettled(form_->cmdZoomIn.hWnd());
  ASSERT_TRUE(WaitUntil([&] { return form_->picBox.Width() == 344.0f; }, kWait));
  const std::wstring zoomed = form_->Caption();
  ASSERT_FALSE(SameRect(Now().form, saved.form));

  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return form_->picBox.Width() == 324.0f; }, kWait));
  ExpectView(saved);
  EXPECT_TRUE(Framed(form_->hWnd()));
  EXPECT_EQ(form_->WindowState(), 0);
  ExpectTools(true);
  // The caption still names the zoomed size: full screen never rewrites it.
  EXPECT_EQ(form_->Caption(), zoomed);
}

TEST_F(FullScreen, EscBeforeTheFirstFullScreenDoesNothingAndKeysReachTheFocus) {
  const View normal = Now();
  form_->txtRatio.SetText(L"");
  ASSERT_TRUE(form_->txtRatio.SetFocus());
  PressKey(VK_ESCAPE);
  TypeText(L"9");
  // Once the "9" typed after Esc has arrived, Esc has been handled.
  ASSERT_TRUE(WaitUntil([&] { return form_->txtRatio.Text() == L"9"; }, kWait));
  ExpectView(normal);
  EXPECT_TRUE(Framed(form_->hWnd()));
  ExpectTools(true);
}

TEST_F(FullScreen, WatchesTheKeyboardOnlyWhileFullScreenIsOn) {
  ASSERT_EQ(LiveHooks(), 0) << "-1: the hook calls could not be counted";
  EnterFullScreen();
  EXPECT_EQ(LiveHooks(), 1);
  PressEscAndWaitForFrame();
  EXPECT_EQ(LiveHooks(), 0) << "after Esc";
  EnterFullScreen();
  GiveBackGuardedWindows();  // what every fault path does before the process ends
  EXPECT_EQ(LiveHooks(), 0) << "after a fault";
  PressEscAndWaitForFrame();
  EnterFullScreen();
  form_->Close();
  EXPECT_EQ(LiveHooks(), 0) << "after closing";
}

// The keyboard watch never holds a key: one typed into the embedded program
// arrives at once while the form's thread is busy, and Esc still leaves after.
TEST_F(FullScreen, KeysNeverWaitForABusyFormAndEscStillLeaves) {
  EnterFullScreen();
  ClickSettled(target_->main);
  const DWORD thread = GetWindowThreadProcessId(target_->main, nullptr);
  ASSERT_TRUE(WaitUntil([&] {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(thread, &info) && info.hwndFocus == target_->main;
  }, kWait));
  long late = -1;
  std::thread typist([&] {
    Sleep(300);  // the form's thread is busy by now
    const DWORD typed = GetTickCount();
    PressKey('A');
    for (DWORD_PTR tick = 0; late < 0 && GetTickCount() - typed < 5000; Sleep(5))
      if (SendMessageTimeoutW(target_->main, kMsgTargetLastKeyTick, 0, 0, SMTO_ABORTIFHUNG, 1000, &tick) && tick &&
          static_cast<LONG>(tick - typed) >= 0)
        late = static_cast<LONG>(tick - typed);
  });
  Sleep(2500);  // as a long handler would keep it
  typist.join();
  std::printf("a key typed while the form's thread was busy arrived after %ld ms\n", late);
  EXPECT_GE(late, 0) << "the key never arrived";
  EXPECT_LE(late, 150);
  PressEscAndWaitForFrame();
}

// ---- Esc typed into a program of another process, the real tool ---------------

LRESULT EscSeenBy(const Target& t) {
  DWORD_PTR n = 0;
  SendMessageTimeoutW(t.main, kMsgTargetEscCount, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
  return static_cast<LRESULT>(n);
}

class FullScreenEsc : public testing::Test {
 protected:
  void SetUp() override {
    // Started first: a window created later may come up above the topmost form.
    auto t = StartTarget(L"--title EscTarget --x 700 --y 600 --w 240 --h 180");
    ASSERT_TRUE(t);
    target_ = *t;
    tool_ = StartToolClosedAtEnd();
    ASSERT_TRUE(tool_);
    box_ = ToolControl(*tool_, ids::picBox);
    ASSERT_TRUE(PickWithMagnifier(*tool_, target_.main));
    ASSERT_TRUE(ClickUntil(ToolControl(*tool_, ids::cmdTake), [&] { return ParentOf(target_.main) == box_; }));
  }
  void TearDown() override {
    tool_.reset();
    StopTarget(target_);
  }

  bool FullScreenOn() { return IsZoomed(tool_->form) && Frameless(tool_->form); }
  void EnterFullScreen() {
    ASSERT_TRUE(ClickUntil(ToolControl(*tool_, ids::cmdFullScreen), [&] { return FullScreenOn(); }));
  }

  Target target_;
  std::shared_ptr<Tool> tool_;
  HWND box_ = nullptr;
};

TEST_F(FullScreenEsc, EscTypedIntoTheEmbeddedProgramLeavesFullScreen) {
  const RECT normalBox = RectIn(box_, tool_->form);
  EnterFullScreen();
  // A click into the program gives it the keyboard: its own thread gets the keys.
  ClickSettled(target_.main);
  const DWORD thread = GetWindowThreadProcessId(target_.main, nullptr);
  ASSERT_TRUE(WaitUntil([&] {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(thread, &info) && info.hwndFocus == target_.main;
  }, kWait));
  ASSERT_EQ(GetAncestor(GetForegroundWindow(), GA_ROOT), tool_->form);

  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(tool_->form) && Framed(tool_->form); }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return SameRect(RectIn(box_, tool_->form), normalBox); }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return EscSeenBy(target_) == 1; }, kWait)) << EscSeenBy(target_);
}

TEST_F(FullScreenEsc, EscTypedIntoAnotherProgramInFrontLeavesFullScreenOn) {
  // "最前" off, so that another program can come in front of the full screen;
  // the check box lies beyond the design width, so the window is widened first.
  const RECT r = WindowRectOf(tool_->form);
  SetWindowPos(tool_->form, nullptr, 0, 0, 620, HeightOf(r), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(tool_->form)) == 620; }, kWait));
  ClickSettled(ToolControl(*tool_, ids::chkTopmost));
  ASSERT_TRUE(WaitUntil([&] { return !(GetWindowLongPtrW(tool_->form, GWL_EXSTYLE) & WS_EX_TOPMOST); }, kWait));
  EnterFullScreen();
  auto front = StartTarget(L"--title FrontProgram --x 200 --y 200 --w 300 --h 200");
  ASSERT_TRUE(front);
  ClickSettled(front->main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == front->main; }, kWait));

  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return EscSeenBy(*front) == 1; }, kWait));
  Pump(500);  // a leave posted to the tool would have been handled by now
  EXPECT_TRUE(FullScreenOn());
  StopTarget(*front);
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
    const HWND box = ToolControl(*tool, ids::picBox);
    ASSERT_EQ(WidthOf(WindowRectOf(box)), row.boxWidth) << "Wine did not take the dpi setting, or rescaled what this thread read";
    ASSERT_EQ(HeightOf(WindowRectOf(box)), row.boxHeight);
    const RECT before = WindowRectOf(tool->form);
    const RECT normalBox = RectIn(box, tool->form);

    ClickSettled(ToolControl(*tool, ids::cmdFullScreen));
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

// ---- two monitors: 1280x1024 primary, 1024x768 to its right (tools/test) ------

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  static_cast<std::vector<HMONITOR>*>(reinterpret_cast<void*>(list))->push_back(monitor);
  return TRUE;
}

TEST(FullScreenTwoMonitors, CoversTheMonitorTheToolIsOnAndEscPutsItBack) {
  std::vector<HMONITOR> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.size() < 2) {
    ASSERT_FALSE(GetEnvironmentVariableW(L"VISTREL_TWO_MONITORS", nullptr, 0)) << "the display shows one monitor";
    GTEST_SKIP() << "one monitor here";
  }
  auto rectOf = [](HMONITOR m) {
    MONITORINFO info{sizeof info};
    GetMonitorInfoW(m, &info);
    return info.rcMonitor;
  };
  // Told apart by their rectangles: two monitors read at one place are one place to go.
  const RECT primary = rectOf(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
  RECT second = primary;
  for (const HMONITOR m : monitors)
    if (!SameRect(rectOf(m), primary)) second = rectOf(m);
  ASSERT_FALSE(SameRect(second, primary)) << monitors.size() << " monitors, every one at the primary's place";

  auto target = StartTarget(L"--title TwoMonitorTarget --x 200 --y 600 --w 240 --h 180");
  ASSERT_TRUE(target);
  auto tool = StartToolClosedAtEnd();
  ASSERT_TRUE(tool);
  const HWND form = tool->form, box = ToolControl(*tool, ids::picBox);
  auto monitorOfForm = [&] { return rectOf(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST)); };
  ASSERT_TRUE(PickWithMagnifier(*tool, target->main));
  ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdTake), [&] { return ParentOf(target->main) == box; }));

  auto fullScreenOn = [&] { return IsZoomed(form) && Frameless(form); };
  auto normalView = [&] { return !IsZoomed(form) && Framed(form); };
  // Full screen on the monitor the tool is on, then Esc back to where it was.
  auto fullScreenAndBack = [&](const RECT& m) {
    const RECT before = WindowRectOf(form);
    ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdFullScreen), fullScreenOn));
    const RECT whole{m.left, m.top, m.left + WidthOf(m) + 4, m.top + HeightOf(m) + 3};
    EXPECT_TRUE(WaitUntil([&] { return SameRect(ClientRectInScreen(form), m); }, kWait));
    EXPECT_TRUE(SameRect(WindowRectOf(box), whole)) << WidthOf(WindowRectOf(box)) << "x" << HeightOf(WindowRectOf(box));
    EXPECT_TRUE(SameRect(RectIn(target->main, box), RECT{0, 0, WidthOf(whole), HeightOf(whole)}));
    EXPECT_EQ(ParentOf(target->main), box);
    // Esc can only come back to a form that is in front.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == form; }, kWait));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil(normalView, kWait));
    EXPECT_TRUE(WaitUntil([&] { return SameRect(WindowRectOf(form), before); }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return WidthOf(WindowRectOf(box)) == 324; }, kWait));
  };

  ASSERT_TRUE(SameRect(monitorOfForm(), primary));
  {
    SCOPED_TRACE("on the primary");
    fullScreenAndBack(primary);
  }
  // A person drags the tool by its title bar onto the second monitor.
  const RECT r = WindowRectOf(form), s = second;
  const POINT grip{(r.left + r.right) / 2, (r.top + ClientRectInScreen(form).top) / 2};
  Drag(grip, {grip.x + (s.left + s.right - r.left - r.right) / 2, grip.y + (s.top + s.bottom - r.top - r.bottom) / 2}, 10);
  ASSERT_TRUE(WaitUntil([&] { return SameRect(monitorOfForm(), second); }, kWait));
  {
    SCOPED_TRACE("on the second monitor");
    fullScreenAndBack(second);
  }
}

}  // namespace
