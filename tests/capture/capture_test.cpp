// Freeze frame and screenshot: the pixels a freeze keeps and a screenshot
// writes, the live/frozen states, the file's name, size and fallbacks, and
// that a thousand rounds leave no GDI object behind.
#include <gtest/gtest.h>
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "capture/screenshot.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "testbed.h"

using namespace testbed;

namespace {

// ---- the file name rule -------------------------------------------------------

TEST(ScreenshotFileName, FieldsUnpaddedAndUnseparated) {
  struct Row {
    WORD year, month, day, hour, minute, second;
    const wchar_t* name;
  };
  const Row rows[] = {
      {2008, 10, 14, 9, 5, 3, L"20081014953.bmp"},
      {2008, 10, 14, 23, 59, 59, L"20081014235959.bmp"},
      // Different moments may share a name.
      {2008, 1, 11, 1, 0, 0, L"2008111100.bmp"},
      {2008, 11, 1, 1, 0, 0, L"2008111100.bmp"},
      {2024, 12, 31, 0, 0, 0, L"20241231000.bmp"},
      {1999, 1, 1, 10, 10, 10, L"199911101010.bmp"},
  };
  for (const Row& r : rows) {
    SYSTEMTIME t{};
    t.wYear = r.year, t.wMonth = r.month, t.wDay = r.day;
    t.wHour = r.hour, t.wMinute = r.minute, t.wSecond = r.second, t.wMilliseconds = 999;
    EXPECT_EQ(ScreenshotFileName(t), r.name);
  }
  // The names tried once the first is taken.
  const SYSTEMTIME t{2008, 10, 2, 14, 9, 5, 3, 0};
  EXPECT_EQ(ScreenshotFileName(t, 1), L"20081014953.bmp");
  EXPECT_EQ(ScreenshotFileName(t, 2), L"20081014953 (2).bmp");
  EXPECT_EQ(ScreenshotFileName(t, 100), L"20081014953 (100).bmp");
}

// ---- pixels -------------------------------------------------------------------

// The test picture: no two neighbouring pixels alike, so any shift shows.
COLORREF Pattern(int x, int y, int phase) {
  return RGB((x * 3 + phase * 40) & 0xFF, (y * 5) & 0xFF, ((x ^ y) + phase * 90) & 0xFF);
}

int g_phase = 0;

LRESULT CALLBACK PatternProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefWindowProcW(h, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT rc;
  GetClientRect(h, &rc);
  std::vector<DWORD> bits(static_cast<size_t>(rc.right) * rc.bottom);
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) {
      const COLORREF c = Pattern(x, y, g_phase);
      bits[static_cast<size_t>(y) * rc.right + x] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB};
  SetDIBitsToDevice(dc, 0, 0, rc.right, rc.bottom, 0, 0, 0, rc.bottom, bits.data(), &bi, DIB_RGB_COLORS);
  EndPaint(h, &ps);
  return 0;
}

struct Pixels {
  int width = 0, height = 0;
  std::vector<COLORREF> at;  // top-down rows
  COLORREF operator()(int x, int y) const { return at[static_cast<size_t>(y) * width + x]; }
};

Pixels FromTopDown32(int w, int h, const DWORD* bits) {
  Pixels p{w, h, std::vector<COLORREF>(static_cast<size_t>(w) * h)};
  for (size_t i = 0; i < p.at.size(); ++i)
    p.at[i] = RGB(bits[i] >> 16 & 0xFF, bits[i] >> 8 & 0xFF, bits[i] & 0xFF);
  return p;
}

// A rectangle of a device context, read through a DIB.
Pixels Grab(HDC dc, int x, int y, int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, dc, x, y, SRCCOPY);
  GdiFlush();
  Pixels p = FromTopDown32(w, h, static_cast<DWORD*>(bits));
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
  return p;
}

Pixels ReadBitmap(HBITMAP bmp) {
  BITMAP bm{};
  GetObjectW(bmp, sizeof bm, &bm);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB};
  std::vector<DWORD> bits(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bmp, 0, bm.bmHeight, bits.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return FromTopDown32(bm.bmWidth, bm.bmHeight, bits.data());
}

// A BMP file, checked header by header; empty when it is not a sound one.
std::optional<Pixels> ReadBmp(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<BYTE> data(GetFileSize(f, nullptr));
  DWORD got = 0;
  const bool read = ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  CloseHandle(f);
  const size_t headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  if (!read || got != data.size() || data.size() < headers) return std::nullopt;
  BITMAPFILEHEADER fh;
  BITMAPINFOHEADER ih;
  memcpy(&fh, data.data(), sizeof fh);
  memcpy(&ih, data.data() + sizeof fh, sizeof ih);
  if (fh.bfType != 0x4D42 || fh.bfSize != data.size() || ih.biSize != sizeof ih || ih.biPlanes != 1 ||
      ih.biCompression != BI_RGB || ih.biWidth <= 0 || ih.biHeight == 0 ||
      (ih.biBitCount != 24 && ih.biBitCount != 32))
    return std::nullopt;
  const int w = ih.biWidth, h = ih.biHeight < 0 ? -ih.biHeight : ih.biHeight;
  const size_t bpp = ih.biBitCount / 8, stride = (w * bpp + 3) & ~size_t{3};
  if (fh.bfOffBits + stride * h > data.size()) return std::nullopt;
  Pixels p{w, h, std::vector<COLORREF>(static_cast<size_t>(w) * h)};
  for (int y = 0; y < h; ++y) {
    const BYTE* row = data.data() + fh.bfOffBits + stride * (ih.biHeight > 0 ? h - 1 - y : y);
    for (int x = 0; x < w; ++x)
      p.at[static_cast<size_t>(y) * w + x] = RGB(row[x * bpp + 2], row[x * bpp + 1], row[x * bpp]);
  }
  return p;
}

// Pixels that differ from the pattern of `phase`, with the first one named.
testing::AssertionResult ShowsPattern(const Pixels& p, int width, int height, int phase) {
  if (p.width != width || p.height != height)
    return testing::AssertionFailure() << "size " << p.width << "x" << p.height;
  int wrong = 0;
  std::string first;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (p(x, y) != Pattern(x, y, phase) && wrong++ == 0)
        first = " first at " + std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(p(x, y)) +
                " instead of " + std::to_string(Pattern(x, y, phase));
  if (wrong) return testing::AssertionFailure() << wrong << " pixels differ;" << first;
  return testing::AssertionSuccess();
}

// ---- files ------------------------------------------------------------------

std::wstring PicturesFolder() {
  PWSTR path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path)))
    folder = path + std::wstring(L"\\");
  CoTaskMemFree(path);
  return folder;
}

SYSTEMTIME Plus(SYSTEMTIME t, int seconds) {
  FILETIME ft;
  SystemTimeToFileTime(&t, &ft);
  ULARGE_INTEGER u{{ft.dwLowDateTime, ft.dwHighDateTime}};
  u.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000;
  ft = {u.LowPart, u.HighPart};
  FileTimeToSystemTime(&ft, &t);
  return t;
}

bool IsFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Waits for the start of a second, so that what follows stays within it.
SYSTEMTIME FreshSecond() {
  WaitUntil([] { return rt::Now().wMilliseconds < 150; }, 3000);
  return rt::Now();
}

// The rule, spelled out again here rather than taken from the product.
std::wstring NameAt(const SYSTEMTIME& t, int copy = 1) {
  return std::to_wstring(t.wYear) + std::to_wstring(t.wMonth) + std::to_wstring(t.wDay) +
         std::to_wstring(t.wHour) + std::to_wstring(t.wMinute) + std::to_wstring(t.wSecond) +
         (copy > 1 ? L" (" + std::to_wstring(copy) + L")" : L"") + L".bmp";
}

std::string FileText(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "";
  char buf[64];
  DWORD got = 0;
  ReadFile(f, buf, sizeof buf, &got, nullptr);
  CloseHandle(f);
  return std::string(buf, got);
}

bool WriteText(const std::wstring& path, const std::string& text) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  const bool ok = f != INVALID_HANDLE_VALUE && WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return ok;
}

int SecondsBetween(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  FILETIME fa, fb;
  SystemTimeToFileTime(&a, &fa);
  SystemTimeToFileTime(&b, &fb);
  const ULONGLONG ua = ULARGE_INTEGER{{fa.dwLowDateTime, fa.dwHighDateTime}}.QuadPart;
  const ULONGLONG ub = ULARGE_INTEGER{{fb.dwLowDateTime, fb.dwHighDateTime}}.QuadPart;
  return static_cast<int>((static_cast<LONGLONG>(ub - ua)) / 10000000);
}

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wSecond == b.wSecond && SecondsBetween(a, b) == 0;
}

constexpr int kOccupiedSeconds = 6;

// The screenshot file in `folder` named after a second from `from` to now.
std::optional<std::wstring> ShotSince(const std::wstring& folder, const SYSTEMTIME& from) {
  // One second more: a span under a second can still end in the next one.
  const int seconds = SecondsBetween(from, rt::Now()) + 1;
  for (int s = 0; s <= seconds; ++s)
    if (IsFile(folder + NameAt(Plus(from, s)))) return folder + NameAt(Plus(from, s));
  return std::nullopt;
}

// Every name a screenshot may take in `folder` in the next seconds is
// held by a folder, so none can be written there.
void Occupy(const std::wstring& folder) {
  const SYSTEMTIME now = rt::Now();
  for (int s = 0; s < kOccupiedSeconds; ++s)
    for (int copy = 1; copy <= kScreenshotNames; ++copy)
      CreateDirectoryW((folder + NameAt(Plus(now, s), copy)).c_str(), nullptr);
}

// Every name the seconds of a test that began at `started` (and the folders
// it put ahead) can have, in both places.
void RemoveShotsSince(const SYSTEMTIME& started) {
  const std::wstring pictures = PicturesFolder();
  const int seconds = SecondsBetween(started, rt::Now()) + kOccupiedSeconds + 2;
  for (int s = -1; s <= seconds; ++s) {
    for (const std::wstring& folder : {std::wstring(kScreenshotFolder), pictures})
      RemoveShots(folder, NameAt(Plus(started, s)));
  }
}

// Answers, from another thread, any message box titled "提示" that the code
// under test shows while it runs; Stop() tells what the last one said.
class BoxWatcher {
 public:
  BoxWatcher()
      : thread_([this] {
          while (!done_)
            if (HWND box = FindMessageBox(L"提示", 50)) {
              said_ = MessageBoxText(box);
              CloseMessageBox(box);
            }
        }) {}
  ~BoxWatcher() { Stop(); }
  std::wstring Stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    return said_;
  }

 private:
  ExpectMessageBoxes expected_;  // first: in force before the thread looks
  std::atomic<bool> done_{false};
  std::wstring said_;
  std::thread thread_;
};

// ---- the form, hosted in this process ----------------------------------------

class Capture : public testing::Test {
 protected:
  void SetUp() override {
    started_ = rt::Now();
    g_phase = 0;
    form_ = std::make_unique<frmMain>();
    form_->SetStartValues();
    form_->Show();
    Pump(100);
  }

  void TearDown() override {
    form_.reset();
    if (owner_) DestroyWindow(owner_);
    for (HWND w : covers_) DestroyWindow(w);
    Pump(50);  // also takes the form's quit message out of the queue
    RemoveShotsSince(started_);
  }

  frmMain& F() { return *form_; }

  // A window of our own process, the child of a hidden top-level window as
  // another program's window might be, picked and transferred into the display box.
  void EmbedPattern() {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = PatternProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"CapturePattern";
      return RegisterClassW(&wc);
    }();
    ASSERT_TRUE(atom);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                             nullptr);
    pattern_ = CreateWindowExW(0, L"CapturePattern", L"pattern", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                               owner_, nullptr, nullptr, nullptr);
    ASSERT_TRUE(pattern_);
    F().RecordPick(pattern_);
    F().OnTake();
    ASSERT_EQ(ParentOf(pattern_), F().picBox.hWnd());
    ASSERT_TRUE(WaitUntil([&] { return ShowsPattern(Seen(), 320, 240, 0); }, 5000))
        << ShowsPattern(Seen(), 320, 240, 0);
  }

  // The embedded window draws a new picture.
  void NextPicture() {
    ++g_phase;
    InvalidateRect(pattern_, nullptr, FALSE);
    UpdateWindow(pattern_);
  }

  // What the user sees in the display area: the form's pixels over the
  // content of whichever box is on top there.
  Pixels Seen() {
    const HWND box = F().picBox.Visible() ? F().picBox.hWnd() : F().picStill.hWnd();
    RECT rc;
    GetClientRect(box, &rc);
    MapWindowPoints(box, F().hWnd(), reinterpret_cast<POINT*>(&rc), 2);
    HDC dc = GetDC(F().hWnd());
    Pixels p = Grab(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    ReleaseDC(F().hWnd(), dc);
    return p;
  }

  // A window of ours over the still box, painted over; Windows would lose
  // what lay beneath, Wine keeps it, so the loss is painted in by hand.
  void CoverAndUncover() {
    const RECT r = WindowRectOf(F().picStill.hWnd());
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                                 r.left - 10, r.top - 10, r.right - r.left + 20, r.bottom - r.top + 20,
                                 nullptr, nullptr, nullptr, nullptr);
    covers_.push_back(cover);
    Pump(100);
    HDC dc = GetDC(F().picStill.hWnd());
    RECT all{0, 0, 2000, 2000};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(F().picStill.hWnd(), dc);
    DestroyWindow(cover);
    covers_.pop_back();
    RedrawWindow(F().picStill.hWnd(), nullptr, nullptr, RDW_INVALIDATE);
  }

  bool Live() const {
    return form_->picBox.Visible() && IsWindowVisible(form_->picBox.hWnd()) &&
           form_->cmdFreeze.Caption() == L"暂停";
  }
  bool Frozen() const {
    return !IsWindowVisible(form_->picBox.hWnd()) && IsWindowVisible(form_->picStill.hWnd()) &&
           form_->cmdFreeze.Caption() == L"继续";
  }

  std::unique_ptr<frmMain> form_;
  SYSTEMTIME started_{};
  HWND owner_ = nullptr, pattern_ = nullptr;
  std::vector<HWND> covers_;
};

// The still box sits over the display box, pixel for pixel.
void ExpectStillOverDisplay(frmMain& f) {
  EXPECT_EQ(f.picStill.Left(), f.picBox.Left());
  EXPECT_EQ(f.picStill.Top(), f.picBox.Top());
  EXPECT_EQ(f.picStill.Width(), f.picBox.Width());
  EXPECT_EQ(f.picStill.Height(), f.picBox.Height());
  const RECT a = WindowRectOf(f.picBox.hWnd()), b = WindowRectOf(f.picStill.hWnd());
  EXPECT_TRUE(EqualRect(&a, &b));
}

// The display box lies above the still box among the form's children.
bool DisplayAboveStill(frmMain& f) {
  for (HWND w = GetWindow(f.picBox.hWnd(), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w == f.picStill.hWnd()) return true;
  return false;
}

TEST_F(Capture, FreezeKeepsTheEmbeddedPictureAndSurvivesCovering) {
  EmbedPattern();
  SendMessageW(F().cmdFreeze.hWnd(), BM_CLICK, 0, 0);
  ASSERT_TRUE(Frozen());
  ExpectStillOverDisplay(F());
  EXPECT_EQ(F().picStill.ScaleMode(), 3);
  EXPECT_TRUE(F().picStill.AutoRedraw());
  EXPECT_TRUE(ShowsPattern(ReadBitmap(static_cast<HBITMAP>(F().picStill.Image().handle)), 320, 240, 0));
  EXPECT_TRUE(ShowsPattern(Seen(), 320, 240, 0));

  // The embedded window runs on behind the still box.
  NextPicture();
  Pump(100);
  EXPECT_TRUE(ShowsPattern(Seen(), 320, 240, 0));
  CoverAndUncover();
  EXPECT_TRUE(WaitUntil([&] { return ShowsPattern(Seen(), 320, 240, 0); }, 5000))
      << ShowsPattern(Seen(), 320, 240, 0);

  // A frozen screenshot saves the frozen frame, not the window's new picture.
  const SYSTEMTIME at = FreshSecond();
  SendMessageW(F().cmdScreenshot.hWnd(), BM_CLICK, 0, 0);
  const auto shot = ShotSince(kScreenshotFolder, at);
  ASSERT_TRUE(shot);
  auto file = ReadBmp(*shot);
  ASSERT_TRUE(file);
  EXPECT_TRUE(ShowsPattern(*file, 320, 240, 0));
  EXPECT_TRUE(Frozen());

  // Resume shows the window as it is now.
  SendMessageW(F().cmdFreeze.hWnd(), BM_CLICK, 0, 0);
  EXPECT_TRUE(Live());
  EXPECT_FALSE(IsWindowVisible(F().picStill.hWnd()));
  EXPECT_TRUE(WaitUntil([&] { return ShowsPattern(Seen(), 320, 240, 1); }, 5000))
      << ShowsPattern(Seen(), 320, 240, 1);

  // The next freeze takes that new picture.
  SendMessageW(F().cmdFreeze.hWnd(), BM_CLICK, 0, 0);
  ASSERT_TRUE(Frozen());
  EXPECT_TRUE(ShowsPattern(Seen(), 320, 240, 1));
}

TEST_F(Capture, LiveScreenshotFillsTheStillBoxWithoutFreezing) {
  EmbedPattern();
  const SYSTEMTIME at = FreshSecond();
  SendMessageW(F().cmdScreenshot.hWnd(), BM_CLICK, 0, 0);
  const auto shot = ShotSince(kScreenshotFolder, at);
  EXPECT_TRUE(Live());
  EXPECT_TRUE(IsWindowVisible(F().picStill.hWnd()));
  EXPECT_TRUE(DisplayAboveStill(F()));
  ExpectStillOverDisplay(F());
  EXPECT_TRUE(ShowsPattern(ReadBitmap(static_cast<HBITMAP>(F().picStill.Image().handle)), 320, 240, 0));
  ASSERT_TRUE(shot);
  auto file = ReadBmp(*shot);
  ASSERT_TRUE(file);
  EXPECT_TRUE(ShowsPattern(*file, 320, 240, 0));

  // The view goes on live.
  NextPicture();
  EXPECT_TRUE(WaitUntil([&] { return ShowsPattern(Seen(), 320, 240, 1); }, 5000));
}

// Names repeat within a second and across dates; a file that has a
// screenshot's name, the user's or an earlier screenshot, is never replaced.
TEST_F(Capture, ScreenshotsNeverReplaceAFile) {
  EmbedPattern();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const SYSTEMTIME at = FreshSecond();
    ASSERT_TRUE(WriteText(kScreenshotFolder + NameAt(at), "the user's own"));
    F().OnScreenshot();
    NextPicture();
    F().OnScreenshot();
    if (!SameSecond(at, rt::Now())) continue;  // the machine was too slow this time
    EXPECT_EQ(FileText(kScreenshotFolder + NameAt(at)), "the user's own");
    auto first = ReadBmp(kScreenshotFolder + NameAt(at, 2));
    auto second = ReadBmp(kScreenshotFolder + NameAt(at, 3));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(ShowsPattern(*first, 320, 240, 0));
    EXPECT_TRUE(ShowsPattern(*second, 320, 240, 1));
    return;
  }
  FAIL() << "no two screenshots within one second";
}

TEST_F(Capture, ScreenshotSizeFollowsTheDisplayBox) {
  // Right after start-up, nothing embedded: the box's background at its content size.
  const SYSTEMTIME at = FreshSecond();
  F().OnScreenshot();
  const auto firstShot = ShotSince(kScreenshotFolder, at);
  ASSERT_TRUE(firstShot);
  auto first = ReadBmp(*firstShot);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->width, 320);
  EXPECT_EQ(first->height, 240);
  EXPECT_EQ((*first)(160, 120), GetSysColor(COLOR_BTNFACE));

  F().OnZoomIn();
  ASSERT_EQ(F().picBox.Width(), 344.0f);
  DeleteFileW(firstShot->c_str());
  const SYSTEMTIME later = FreshSecond();
  F().OnScreenshot();
  const auto secondShot = ShotSince(kScreenshotFolder, later);
  ASSERT_TRUE(secondShot);
  auto second = ReadBmp(*secondShot);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->width, 340);
  EXPECT_EQ(second->height, 255);
}

TEST_F(Capture, ZoomWhileFrozenReturnsToLiveEvenWhenTheRatioIsRefused) {
  struct Row {
    const wchar_t* ratio;
    bool refused;
    float width;
  };
  for (const Row& r : {Row{L"1.33", false, 344.0f}, Row{L"9", true, 344.0f}}) {
    SCOPED_TRACE(testing::Message() << "ratio " << testing::PrintToString(std::wstring(r.ratio)));
    F().OnFreeze();
    ASSERT_TRUE(Frozen());
    F().txtRatio.SetText(r.ratio);
    BoxWatcher boxes;
    F().OnZoomIn();
    const std::wstring said = boxes.Stop();
    EXPECT_EQ(said.empty(), !r.refused);
    EXPECT_TRUE(Live());
    EXPECT_FALSE(IsWindowVisible(F().picStill.hWnd()));
    EXPECT_EQ(F().picBox.Width(), r.width);
  }
}

TEST_F(Capture, TransferWhileFrozenShowsTheDisplayOverTheStillBox) {
  EmbedPattern();
  F().OnFreeze();
  ASSERT_TRUE(Frozen());
  NextPicture();
  F().OnTake();
  EXPECT_TRUE(Live());
  EXPECT_TRUE(IsWindowVisible(F().picStill.hWnd()));
  EXPECT_TRUE(DisplayAboveStill(F()));
  const HWND under = WindowFromPoint(CenterOf(F().picBox.hWnd()));
  EXPECT_TRUE(under == F().picBox.hWnd() || IsChild(F().picBox.hWnd(), under));
  EXPECT_TRUE(WaitUntil([&] { return ShowsPattern(Seen(), 320, 240, 1); }, 5000));
}

TEST_F(Capture, RootWithEveryNameTakenFallsBackToPictures) {
  const std::wstring pictures = PicturesFolder();
  ASSERT_FALSE(pictures.empty());
  Occupy(kScreenshotFolder);
  const SYSTEMTIME at = FreshSecond();
  BoxWatcher boxes;
  F().OnScreenshot();
  const std::wstring said = boxes.Stop();
  EXPECT_EQ(said, L"");
  EXPECT_FALSE(ShotSince(kScreenshotFolder, at));
  const auto shot = ShotSince(pictures, at);
  ASSERT_TRUE(shot);
  auto copy = ReadBmp(*shot);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->width, 320);
  EXPECT_EQ(copy->height, 240);
  EXPECT_TRUE(Live());
}

TEST_F(Capture, NowhereToWriteSaysSoAndLeavesTheFreezeAlone) {
  EmbedPattern();
  F().OnFreeze();
  NextPicture();
  Occupy(kScreenshotFolder);
  Occupy(PicturesFolder());
  const SYSTEMTIME at = FreshSecond();
  BoxWatcher boxes;
  F().OnScreenshot();
  const std::wstring said = boxes.Stop();
  // Both places are named, with the name of the second of the click.
  bool named = false;
  for (int s = 0; s <= SecondsBetween(at, rt::Now()); ++s) {
    const std::wstring name = NameAt(Plus(at, s));
    named |= said ==
             L"截图未能保存，已尝试保存到：\n" + (kScreenshotFolder + name) + L"\n" + PicturesFolder() + name;
  }
  EXPECT_TRUE(named) << testing::PrintToString(said);
  EXPECT_TRUE(Frozen());
  Pump(100);
  EXPECT_TRUE(ShowsPattern(Seen(), 320, 240, 0));
}

decltype(&WriteFile) g_realWriteFile;

// The headers go out, the pixels do not, as on a disk that fills up.
BOOL WINAPI WriteFileUntilFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  if (size <= sizeof(BITMAPINFOHEADER)) return g_realWriteFile(file, data, size, written, overlapped);
  if (written) *written = 0;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

TEST_F(Capture, AScreenshotThatCannotBeWrittenWholeLeavesNoFile) {
  const SYSTEMTIME at = FreshSecond();
  std::wstring said;
  {
    BoxWatcher boxes;
    g_realWriteFile = reinterpret_cast<decltype(&WriteFile)>(
        RedirectImport("WriteFile", reinterpret_cast<void*>(&WriteFileUntilFull)));
    ASSERT_TRUE(g_realWriteFile);
    F().OnScreenshot();
    RedirectImport("WriteFile", reinterpret_cast<void*>(g_realWriteFile));
    said = boxes.Stop();
  }
  EXPECT_FALSE(ShotSince(kScreenshotFolder, at));
  EXPECT_FALSE(ShotSince(PicturesFolder(), at));
  EXPECT_EQ(said.rfind(L"截图未能保存", 0), 0u) << testing::PrintToString(said);
}

TEST_F(Capture, ThousandRoundsLeaveNoGdiObjectBehind) {
  EmbedPattern();
  auto round = [&] {
    F().OnFreeze();  // freeze
    F().OnScreenshot();  // frozen screenshot
    F().OnFreeze();  // resume
    Pump(0);               // the display box repaints, as between two clicks
    F().OnScreenshot();  // live screenshot
    RemoveShots(kScreenshotFolder, NameAt(rt::Now()));  // a second's names would run out
  };
  round();
  const HandleCounts before = LiveHandles();
  const long windows = rt::LiveWindows();
  for (int i = 0; i < 1000; ++i) round();
  const HandleCounts after = LiveHandles();
  EXPECT_TRUE(SameHandles(before, after));
  EXPECT_EQ(rt::LiveWindows(), windows);
  printf("GDI objects %ld -> %ld, DCs %ld -> %ld over 1000 rounds\n", before.gdiObjects, after.gdiObjects,
         before.deviceContexts, after.deviceContexts);
  EXPECT_TRUE(Live());
  EXPECT_TRUE(ShowsPattern(ReadBitmap(static_cast<HBITMAP>(F().picStill.Image().handle)), 320, 240, 0));
}

decltype(&BitBlt) g_realBitBlt;
HDC g_still;
std::vector<HWND> g_copiedFrom;  // the window of each copy's source DC into the still box
BOOL WINAPI NoteBitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  if (dst == g_still) g_copiedFrom.push_back(WindowFromDC(src));
  return g_realBitBlt(dst, x, y, w, h, src, sx, sy, rop);
}

// The screen is read for what of the box lies on a monitor while nothing
// covers the box, in full screen too, where the box overhangs the monitor;
// the box's DC only for the rest.
TEST_F(Capture, ReadsTheScreenWhereItShowsTheBox) {
  EmbedPattern();
  F().OnScreenshot();  // makes the still box's image, which the copies go to
  auto other = StartTarget(L"--w 120 --h 120");
  ASSERT_TRUE(other);
  const RECT form = WindowRectOf(F().hWnd()), box = ClientRectInScreen(F().picBox.hWnd());
  HDC dc = GetDC(nullptr);
  const HWND screen = WindowFromDC(dc), boxDC = F().picBox.hWnd();
  ReleaseDC(nullptr, dc);
  struct Row { const char* what; int formLeft; bool covered, fullScreen; std::vector<HWND> from; } const rows[] = {
      {"another program's window over part of the box", form.left, true, false, {boxDC}},
      {"the box partly off the screen", form.left - box.left - 100, false, false, {screen, boxDC}},
      {"the box uncovered", form.left, false, false, {screen}},
      {"full screen, frozen and saved", form.left, false, true, {screen, boxDC}}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    SetWindowPos(F().hWnd(), nullptr, r.formLeft, form.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(other->main, HWND_TOPMOST, r.covered ? box.left + 100 : 0, r.covered ? box.top + 60 : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | (r.fullScreen ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
    if (r.fullScreen) F().EnterFullScreen();
    RemoveShotsSince(started_);  // so this row's file takes the plain name
    Pump(300);
    g_still = F().picStill.hDC();
    g_copiedFrom.clear();
    g_realBitBlt =
        reinterpret_cast<decltype(&BitBlt)>(RedirectImport("BitBlt", reinterpret_cast<void*>(&NoteBitBlt)));
    const SYSTEMTIME at = rt::Now();
    if (r.fullScreen) F().OnFreeze();
    F().OnScreenshot();
    RedirectImport("BitBlt", reinterpret_cast<void*>(g_realBitBlt));
    EXPECT_EQ(g_copiedFrom, r.from);
    // None of the other program's pixels; what is off the screen Wine does not keep.
    if (r.formLeft == form.left && !r.fullScreen)
      EXPECT_TRUE(ShowsPattern(ReadBitmap(static_cast<HBITMAP>(F().picStill.Image().handle)), 320, 240, 0));
    // The saved file keeps the box's size.
    const RECT shown = ClientRectInScreen(F().picBox.hWnd());
    const auto shot = ShotSince(kScreenshotFolder, at);
    const auto file = shot ? ReadBmp(*shot) : std::nullopt;
    ASSERT_TRUE(file);
    EXPECT_EQ(file->width, WidthOf(shown));
    EXPECT_EQ(file->height, HeightOf(shown));
  }
  StopTarget(*other);
}

// ---- the notice of a saved screenshot, on the real exe ------------------------

class SavedNotice : public testing::Test {
 protected:
  void TearDown() override { RemoveShotsSince(started_); }
  const SYSTEMTIME started_ = rt::Now();
};
class SavedNoticeCp936 : public SavedNotice {};

// Each save, wherever it lands, is followed by a balloon at "截图" naming the
// file; it needs no answer and goes by itself or at the next click.
void ExpectNoticeOfEachSave(bool chinese) {
  ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE, chinese);
  auto tool = StartToolClosedAtEnd();
  ASSERT_TRUE(tool);
  const HWND button = ToolControl(*tool, ids::cmdScreenshot);
  const std::wstring saved = chinese ? L"已保存 " : L"Saved ";
  auto balloonText = [&] {
    const HWND balloon = ShownToolTip(*tool, true);
    return balloon ? TextOf(balloon) : std::wstring();
  };
  struct Row {
    const char* what;
    bool nameTaken, rootFull, byKey;
    std::wstring folder;
    int copy;
  };
  const Row rows[] = {
      {"the plain name in c:\\", false, false, false, kScreenshotFolder, 1},
      // Enter on the focused button: no click hides the notice first.
      {"a numbered name, while the notice shows", true, false, true, kScreenshotFolder, 2},
      {"the Pictures folder", false, true, false, PicturesFolder(), 1},
  };
  std::wstring before, said;
  auto fresh = [&] { return !(said = balloonText()).empty() && said != before; };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const SYSTEMTIME at = rt::Now();
    for (int s = 0; r.nameTaken && s < kOccupiedSeconds; ++s)
      WriteText(kScreenshotFolder + NameAt(Plus(at, s)), "the user's own");
    if (r.rootFull) Occupy(kScreenshotFolder);
    if (r.byKey) {
      ASSERT_FALSE(balloonText().empty());
      PressKey(VK_RETURN);
      ASSERT_TRUE(WaitUntil(fresh, 10000)) << testing::PrintToString(said);
    } else {
      ASSERT_TRUE(ClickUntil(button, fresh));
    }
    before = said;
    bool named = false;
    for (int s = 0; s <= SecondsBetween(at, rt::Now()) + 1; ++s)  // whole seconds, not spans
      named |= said == saved + r.folder + NameAt(Plus(at, s), r.copy);
    EXPECT_TRUE(named) << testing::PrintToString(said);
    EXPECT_TRUE(ReadBmp(said.substr(saved.size())));
    // The balloon's stem touches the button's lower edge.
    const RECT shown = WindowRectOf(ShownToolTip(*tool, true)), at5 = WindowRectOf(button);
    EXPECT_TRUE(PtInRect(&shown, {(at5.left + at5.right) / 2, at5.bottom + 2}));
    if (r.byKey) EXPECT_TRUE(WaitUntil([&] { return balloonText().empty(); }, 8000)) << "still there by itself";
  }
  ClickSettled(ToolControl(*tool, ids::picBox));
  EXPECT_TRUE(WaitUntil([&] { return balloonText().empty(); }, 2000)) << "still there after a click";
}

TEST_F(SavedNotice, NamesTheFileEachSaveWrote) { ExpectNoticeOfEachSave(false); }

TEST_F(SavedNoticeCp936, NamesTheFileEachSaveWroteInChinese) { ExpectNoticeOfEachSave(true); }

}  // namespace
