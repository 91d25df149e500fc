// A long session: the same target of another process picked, embedded,
// zoomed, frozen, resumed, shot and given back, a thousand times over. The
// GDI objects and DCs counted at the system calls, and our windows, must not
// drift, and the target must come out of it alive and top-level.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "capture/screenshot.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "testbed.h"

using namespace testbed;

namespace {

constexpr int kCycles = 1000;

TEST(Soak, ThousandCyclesLeaveNoHandleOrWindowBehind) {
  auto started = StartTarget(L"--title SoakTarget --x 760 --y 600 --w 320 --h 240 --children");
  ASSERT_TRUE(started);
  std::shared_ptr<Target> t(new Target(*started), [](Target* p) {
    StopTarget(*p);
    delete p;
  });
  auto form = std::make_unique<frmMain>();
  frmMain& f = *form;
  f.SetStartValues();
  f.Show();
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.hWnd()) != FALSE; }, 10000));
  const HWND box = f.picBox.hWnd(), desktop = GetDesktopWindow();

  std::set<std::wstring> shots;
  HandleCounts first{};
  long firstWindows = 0;
  const ULONGLONG t0 = GetTickCount64();
  for (int i = 0; i < kCycles; ++i) {
    f.RecordPick(t->main);  // what the picker does over the window
    f.OnTake();
    ASSERT_EQ(ParentOf(t->main), box) << "cycle " << i;
    // "+" and "-" by turns: the same handler either way, and the box stays
    // small enough that a thousand screenshots stay cheap.
    if (i % 2 == 0) f.OnZoomIn(); else f.OnZoomOut();
    f.OnFreeze();
    ASSERT_EQ(f.cmdFreeze.Caption(), L"继续") << "cycle " << i;
    f.OnFreeze();
    const SYSTEMTIME before = rt::Now();
    f.OnScreenshot();
    shots.insert(ScreenshotFileName(before));
    shots.insert(ScreenshotFileName(rt::Now()));
    f.OnGiveBack();
    ASSERT_EQ(ParentOf(t->main), desktop) << "cycle " << i;
    Pump(0);  // what the message loop would do between clicks
    if (i == 0) {
      first = LiveHandles();
      firstWindows = rt::LiveWindows();
    }
  }
  const double seconds = static_cast<double>(GetTickCount64() - t0) / 1000;
  const HandleCounts last = LiveHandles();
  const long lastWindows = rt::LiveWindows();
  std::printf("soak: %d cycles in %.1f s (%.1f ms each); GDI objects %ld -> %ld, DCs %ld -> %ld, windows %ld -> %ld\n",
              kCycles, seconds, seconds * 1000 / kCycles, first.gdiObjects, last.gdiObjects,
              first.deviceContexts, last.deviceContexts, firstWindows, lastWindows);
  EXPECT_TRUE(SameHandles(first, last));
  EXPECT_EQ(lastWindows, firstWindows);

  form.reset();
  Pump(100);
  EXPECT_TRUE(IsWindow(t->main));
  EXPECT_EQ(ParentOf(t->main), desktop);
  DWORD_PTR pid = 0;
  EXPECT_TRUE(SendMessageTimeoutW(t->main, kMsgTargetPid, 0, 0, SMTO_ABORTIFHUNG, 5000, &pid));
  EXPECT_EQ(pid, t->pid);

  bool found = false;
  for (const std::wstring& name : shots) {
    found |= GetFileAttributesW((kScreenshotFolder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    RemoveShots(kScreenshotFolder, name);
  }
  EXPECT_TRUE(found) << "no screenshot reached " << testing::PrintToString(std::wstring(kScreenshotFolder));
}

}  // namespace
