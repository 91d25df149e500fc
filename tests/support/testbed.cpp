#include "testbed.h"

#include <commctrl.h>

#include "form/frmMain.h"
#include "runtime/classes.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace testbed {
namespace {

constexpr DWORD kStartTimeoutMs = 15000;

struct Launched {
  HANDLE process = nullptr;
  DWORD pid = 0;
};

// Every process a test starts, so one that a failing test leaves behind is
// ended before the next test clicks where its window still is.
struct Child {
  HANDLE process;
  bool inTest;  // started inside a test body, not in a suite set-up
};
std::vector<Child>& Children() {
  static std::vector<Child> children;
  return children;
}

void EndChildren(bool testScopeOnly) {
  auto& all = Children();
  for (size_t i = 0; i < all.size();) {
    if (testScopeOnly && !all[i].inTest) {
      ++i;
      continue;
    }
    if (WaitForSingleObject(all[i].process, 0) == WAIT_TIMEOUT) {
      std::fprintf(stderr, "testbed: ending leftover process %lu\n", GetProcessId(all[i].process));
      TerminateProcess(all[i].process, 1);
      WaitForSingleObject(all[i].process, 5000);
    }
    CloseHandle(all[i].process);
    all.erase(all.begin() + i);
  }
}

// While one lives, this thread reads geometry per-monitor aware, in the
// screen's own pixels. Wine 10, as Windows, rescales what a DPI-unaware or
// system-aware thread reads from a window of another DPI (the tool started at
// 144 dpi); Wine 8 never does. Only around reads: windows this thread makes
// or serves meanwhile would take its awareness. Looked up at run time, since
// systems before Windows 10 lack it.
class RealPixels {
 public:
  RealPixels() {
    if (Set()) old_ = Set()(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  }
  ~RealPixels() {
    if (old_) Set()(old_);
  }
  RealPixels(const RealPixels&) = delete;
  RealPixels& operator=(const RealPixels&) = delete;

 private:
  using SetFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  static SetFn Set() {
    static const SetFn fn = reinterpret_cast<SetFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    return fn;
  }
  DPI_AWARENESS_CONTEXT old_ = nullptr;
};

// Buttons pressed through MouseDown and not yet released.
unsigned g_heldButtons;

class LeftoverReaper : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override {
    // A button left down would turn the next test's first click into a drag.
    for (int b = 0; b < 3; ++b)
      if (g_heldButtons & (1u << b)) MouseUp(b);
    EndTestProcesses();
  }
  void OnTestSuiteEnd(const testing::TestSuite&) override { EndChildren(false); }
};

// Called by whatever leaves something to clean up, so an exe that never
// starts a process or presses a button has no listener.
void EnsureReaper() {
  static bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new LeftoverReaper);
    std::atexit([] { EndChildren(false); });
    return true;
  }();
  (void)registered;
}

std::mutex g_pidLock;
std::vector<DWORD> g_pids;  // every process started, for the message-box guard

void TrackChild(HANDLE process) {
  EnsureReaper();
  {
    std::lock_guard<std::mutex> hold(g_pidLock);
    g_pids.push_back(GetProcessId(process));
  }
  HANDLE dup = nullptr;
  DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &dup, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  if (dup) Children().push_back({dup, testing::UnitTest::GetInstance()->current_test_info() != nullptr});
}

// Starts exe from BinDir() with stdout and stderr going to `out` (or to NUL).
// The child gets no handle to this process's own output: under Wine a child
// holding it keeps ctest's pipe open, and ctest then waits for the timeout.
std::optional<Launched> Launch(const wchar_t* exe, const std::wstring& args, HANDLE out) {
  std::wstring cmd = L"\"" + BinDir() + L"\\" + exe + L"\"";
  if (!args.empty()) cmd += L" " + args;
  for (DWORD id : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
    SetHandleInformation(GetStdHandle(id), HANDLE_FLAG_INHERIT, 0);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &sa, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nul;
  si.hStdOutput = out ? out : nul;
  si.hStdError = out ? out : nul;
  PROCESS_INFORMATION pi{};
  BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!ok) return std::nullopt;
  CloseHandle(pi.hThread);
  TrackChild(pi.hProcess);
  return Launched{pi.hProcess, pi.dwProcessId};
}

// Reads one '\n'-terminated line without blocking past the deadline, so a
// target that dies or hangs fails the test instead of stalling it.
std::optional<std::string> ReadLine(HANDLE pipe, HANDLE process, ULONGLONG deadline) {
  std::string line;
  while (GetTickCount64() < deadline) {
    DWORD avail = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr)) return std::nullopt;
    if (avail == 0) {
      if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return std::nullopt;
      Pump(10);
      continue;
    }
    char c;
    DWORD got = 0;
    if (!ReadFile(pipe, &c, 1, &got, nullptr) || got != 1) return std::nullopt;
    if (c == '\n') return line;
    if (c != '\r') line += c;
  }
  return std::nullopt;
}

// "hwnd=<n>": the handle printed as a signed 32-bit decimal.
HWND HandleField(const std::string& line, const char* key) {
  std::string k = std::string(key) + "=";
  size_t at = line.find(k);
  if (at == std::string::npos) return nullptr;
  long v = std::strtol(line.c_str() + at + k.size(), nullptr, 10);
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(v)));
}

struct WindowSearch {
  DWORD pid;
  const wchar_t* cls;
  LONG styleMask, style;
  HWND found;
};

BOOL CALLBACK FindShownWindow(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == s->pid && IsWindowVisible(h) && ClassOf(h) == s->cls &&
      (GetWindowLongW(h, GWL_STYLE) & s->styleMask) == s->style) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}

// The first shown top-level window of process pid with the class and the style bits.
HWND ShownWindow(DWORD pid, const wchar_t* cls, LONG styleMask = 0, LONG style = 0) {
  WindowSearch s{pid, cls, styleMask, style, nullptr};
  EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = dx;
  in.mi.dy = dy;
  in.mi.mouseData = data;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

void SendKey(WORD vk, WORD scan, DWORD flags) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

// Input is queued for whichever thread owns the window under the pointer;
// a short pause lets it arrive in order, and our own windows see it too.
void Settle() { Pump(15); }

}  // namespace

bool StartedByTestbed(DWORD pid) {
  std::lock_guard<std::mutex> hold(g_pidLock);
  return std::find(g_pids.begin(), g_pids.end(), pid) != g_pids.end();
}

void EndTestProcesses() { EndChildren(true); }

std::wstring BinDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  size_t slash = dir.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : dir.substr(0, slash);
}

void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      // A form hosted in this process sees keys first, as in the tool's own loop.
      if (rt::PreTranslateAny(m)) continue;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

std::optional<DWORD> WaitExit(HANDLE process, DWORD timeoutMs) {
  bool ended = WaitUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; },
                         timeoutMs);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return code;
}

// ---- target ----------------------------------------------------------------

namespace {

std::optional<Target> StartTargetOnce(const std::wstring& args) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
    std::fprintf(stderr, "testbed: no pipe for vistrel_target.exe (error %lu)\n", GetLastError());
    return std::nullopt;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  auto launched = Launch(L"vistrel_target.exe", args, writeEnd);
  const DWORD launchError = GetLastError();
  CloseHandle(writeEnd);  // else the pipe never reports the child's end
  if (!launched) {
    std::fprintf(stderr, "testbed: vistrel_target.exe did not start (error %lu)\n", launchError);
    CloseHandle(readEnd);
    return std::nullopt;
  }
  // stderr shares the pipe, so a complaint about the arguments shows up here.
  std::string said;
  std::optional<std::string> line;
  const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
  while ((line = ReadLine(readEnd, launched->process, deadline)) && line->rfind("hwnd=", 0) != 0)
    said += *line + "\n";
  CloseHandle(readEnd);
  Target t{launched->process, launched->pid};
  if (line) {
    t.main = HandleField(*line, "hwnd");
    t.button = HandleField(*line, "button");
    t.edit = HandleField(*line, "edit");
    t.popup = HandleField(*line, "popup");
  }
  if (!t.main) {
    std::fprintf(stderr, "testbed: vistrel_target.exe gave no window line\n%s", said.c_str());
    TerminateProcess(t.process, 1);
    CloseHandle(t.process);
    return std::nullopt;
  }
  return t;
}

}  // namespace

std::optional<Target> StartTarget(const std::wstring& args) {
  // Wine now and then refuses a process start while an earlier one winds
  // down; a second try is what a person would do.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (auto t = StartTargetOnce(args)) return t;
    Pump(200);
  }
  return std::nullopt;
}

void StopTarget(Target& t) {
  if (!t.process) return;
  if (IsWindow(t.main)) PostMessageW(t.main, WM_CLOSE, 0, 0);
  if (!WaitExit(t.process, 5000)) {
    TerminateProcess(t.process, 1);
    WaitForSingleObject(t.process, 5000);
  }
  CloseHandle(t.process);
  t.process = nullptr;
}

bool Answers(const Target& t, DWORD timeoutMs) {
  DWORD_PTR pid = 0;
  return SendMessageTimeoutW(t.main, kMsgTargetPid, 0, 0, SMTO_NORMAL, timeoutMs, &pid) && pid == t.pid;
}

bool ProcessAlive(const Target& t) {
  return t.process && WaitForSingleObject(t.process, 0) == WAIT_TIMEOUT;
}

// ---- tool ------------------------------------------------------------------

std::optional<Tool> StartTool(const std::wstring& args, bool waitForForm) {
  auto launched = Launch(L"vistrel.exe", args, nullptr);
  if (!launched) return std::nullopt;
  if (!waitForForm) return Tool{launched->process, launched->pid, nullptr};
  HWND form = nullptr;
  WaitUntil(
      [&] {
        form = ShownWindow(launched->pid, VISTREL_FORM_CLASS);
        return form || WaitForSingleObject(launched->process, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  if (!form) {
    TerminateProcess(launched->process, 1);
    CloseHandle(launched->process);
    return std::nullopt;
  }
  return Tool{launched->process, launched->pid, form};
}

std::shared_ptr<Tool> StartToolClosedAtEnd() {
  auto tool = StartTool();
  if (!tool) return nullptr;
  return std::shared_ptr<Tool>(new Tool(*tool), [](Tool* p) {
    CloseTool(*p);
    delete p;
  });
}

bool CloseTool(Tool& tool, DWORD timeoutMs) {
  if (!tool.process) return true;
  if (IsWindow(tool.form)) PostMessageW(tool.form, WM_CLOSE, 0, 0);
  bool ended = WaitExit(tool.process, timeoutMs).has_value();
  if (!ended) {
    TerminateProcess(tool.process, 1);
    WaitForSingleObject(tool.process, 5000);
  }
  CloseHandle(tool.process);
  tool.process = nullptr;
  return ended;
}

HWND ToolControl(const Tool& tool, int id) {
  if (id > ids::fraWindowInfo && id <= ids::lblClassName)
    return GetDlgItem(GetDlgItem(tool.form, ids::fraWindowInfo), id);
  return GetDlgItem(tool.form, id);
}

// ---- input -----------------------------------------------------------------

namespace {

// Under Wine a SendInput move is mirrored to X by warping the pointer, and
// when that warp leaves a window for the bare desktop, the desktop hears of
// the crossing at the pointer's previous place and Wine feeds it back as a
// move: about one such move in ten bounced back for a moment, so a picker saw
// the old window again. Moving the X pointer itself, as a real mouse does,
// has no such echo, so under Wine the mouse goes through xdotool, which
// tools/test names (VISTREL_XDOTOOL, VISTREL_SH: Unix paths). There is no
// fallback: a test whose input cannot go that way fails, saying why.
struct Xdo {
  bool underWine = false;
  std::wstring sh;                    // the shell's Windows name, for CreateProcess
  std::string xdotool, tmpUnix;       // for the shell
  std::wstring tmp;                   // the same temp folder, for this side
  std::string error;                  // why xdotool cannot be used, if it cannot
  bool placed = false;                // the screen was seen to sit where xdotool points
};

// The Windows name Wine gives a Unix path; empty if it has none.
std::wstring DosName(const char* unixPath) {
  using Fn = WCHAR*(CDECL*)(LPCSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  WCHAR* dos = fn ? fn(unixPath) : nullptr;
  if (!dos) return L"";
  std::wstring name(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return name;
}

std::string UnixName(const wchar_t* dosPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unixPath = fn ? fn(dosPath) : nullptr;
  if (!unixPath) return "";
  std::string name(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return name;
}

std::string Quoted(const std::string& s) {  // for sh: '...' with ' as '\''
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// "10.0"; null outside Wine.
const char* WineVersion() {
  using Fn = const char*(CDECL*)();
  static const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
  return fn ? fn() : nullptr;
}

Xdo FindXdotool() {
  Xdo x;
  x.underWine = WineVersion() != nullptr;
  if (!x.underWine) return x;
  const char* xdotool = std::getenv("VISTREL_XDOTOOL");
  const char* sh = std::getenv("VISTREL_SH");
  wchar_t tmp[MAX_PATH];
  const DWORD tmpLength = GetTempPathW(MAX_PATH, tmp);
  if (!xdotool || !*xdotool || !sh || !*sh) {
    x.error = "VISTREL_XDOTOOL and VISTREL_SH must name xdotool and sh as Unix paths "
              "(tools/test and tools/wine-run set them)";
  } else if (GetFileAttributesW(DosName(xdotool).c_str()) == INVALID_FILE_ATTRIBUTES) {
    x.error = std::string("VISTREL_XDOTOOL=") + xdotool + " is not there";
  } else if ((x.sh = DosName(sh)).empty() || GetFileAttributesW(x.sh.c_str()) == INVALID_FILE_ATTRIBUTES) {
    x.error = std::string("VISTREL_SH=") + sh + " is not there";
  } else if (!tmpLength || tmpLength >= MAX_PATH || (x.tmpUnix = UnixName(tmp)).empty()) {
    x.error = "the temp folder has no Unix name";
  } else {
    if (x.tmpUnix.back() != '/') x.tmpUnix += '/';
    x.xdotool = xdotool;
    x.tmp = tmp;
    std::printf("note: under Wine %s the test bed moves the mouse with %s, not SendInput\n",
                WineVersion(), xdotool);
  }
  return x;
}

Xdo& Xdotool() {
  static Xdo x = FindXdotool();
  return x;
}

bool UseXdotool() { return Xdotool().underWine; }

// A failure of the running test naming why input did not go out; once per
// test, since every later call fails the same way.
void XdotoolFailed(const std::string& why) {
  static bool reported;
  static const testing::TestInfo* reportedIn;
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  if (reported && test == reportedIn) return;
  reported = true;
  reportedIn = test;
  ADD_FAILURE() << "testbed: mouse input under Wine goes through xdotool, and " << why;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// Runs xdotool with args through the shell. Wine starts a Unix program
// without a Windows process to wait on, so the shell writes xdotool's exit
// status into a marker file, made whole by a rename, when it is done. The
// handles CreateProcess hands back for it are not ours: under Wine 8 closing
// them closed this exe's own stdout, so they are left alone.
bool RunXdotool(const std::string& args) {
  Xdo& x = Xdotool();
  if (!x.error.empty()) {
    XdotoolFailed(x.error);
    return false;
  }
  static unsigned counter;
  const std::string name = "vistrel-xdo-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++counter);
  const std::string mark = x.tmpUnix + name;
  const std::wstring marker = x.tmp + std::wstring(name.begin(), name.end());
  const std::wstring errors = marker + L".err";
  std::string script = Quoted(x.xdotool) + " " + args + " >/dev/null 2>" + Quoted(mark + ".err") +
                       "; echo $? >" + Quoted(mark + ".tmp") + "; mv -f " + Quoted(mark + ".tmp") +
                       " " + Quoted(mark);
  std::wstring cmd = L"\"" + x.sh + L"\" -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    XdotoolFailed("starting " + Narrow(x.sh) + " failed (error " + std::to_string(GetLastError()) + ")");
    return false;
  }
  const ULONGLONG end = GetTickCount64() + 10000;
  while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount64() >= end) {
      XdotoolFailed("`xdotool " + args + "` left no mark in " + x.tmpUnix + " within 10 s");
      return false;
    }
    Pump(2);
  }
  const std::string status = ReadSmallFile(marker), said = ReadSmallFile(errors);
  DeleteFileW(marker.c_str());
  DeleteFileW(errors.c_str());
  if (status != "0") {
    XdotoolFailed("`xdotool " + args + "` exited with " + status + ": " + said);
    return false;
  }
  return true;
}

// xdotool takes X coordinates and the tests give Windows ones: they agree
// only while Wine's screen sits at the X origin unscaled, as its virtual
// desktop does on a bare Xvfb. Seen once, before the first move; if not, every
// input call fails saying so rather than clicking somewhere else.
bool XdotoolPlacesWindowsPoints() {
  Xdo& x = Xdotool();
  if (x.placed) return true;
  LONG cx, cy;
  {
    RealPixels real;
    cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  }
  for (POINT p : {POINT{cx / 4 + 3, cy / 4 + 1}, POINT{cx * 3 / 4 - 5, cy * 3 / 4 + 7}}) {
    POINT at{};
    auto there = [&] {
      RealPixels real;
      GetCursorPos(&at);
      return at.x == p.x && at.y == p.y;
    };
    bool same = false;
    // Wine may report a move one move late; a nudge and a second move settle it.
    for (int attempt = 0; attempt < 3 && !same; ++attempt) {
      if (attempt > 0 && !RunXdotool("mousemove " + std::to_string(p.x + 1) + " " + std::to_string(p.y)))
        return false;
      if (!RunXdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y))) return false;
      same = WaitUntil(there, 1000);
    }
    if (!same) {
      x.error = "it put the X pointer at " + std::to_string(p.x) + "," + std::to_string(p.y) +
                " where Windows reads " + std::to_string(at.x) + "," + std::to_string(at.y) +
                ": the Windows screen does not sit at the X origin unscaled, so its clicks would land elsewhere";
      XdotoolFailed(x.error);
      return false;
    }
  }
  x.placed = true;
  return true;
}

// xdotool numbers buttons the X way: 1 left, 2 middle, 3 right.
const char* XButton(int button) { return button == 1 ? "3" : button == 2 ? "2" : "1"; }

}  // namespace

void MoveMouse(POINT p) {
  // Like a real mouse, the pointer stops at the screen's edges.
  LONG vx, vy, vw, vh;
  {
    RealPixels real;
    vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  }
  p.x = p.x < vx ? vx : p.x >= vx + vw ? vx + vw - 1 : p.x;
  p.y = p.y < vy ? vy : p.y >= vy + vh ? vy + vh - 1 : p.y;
  if (UseXdotool()) {
    if (XdotoolPlacesWindowsPoints()) RunXdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
    Settle();
    return;
  }
  // Absolute input is 0..65535 across the virtual screen; rounding up makes
  // the driver's truncating scale land on exactly p.
  LONG dx = static_cast<LONG>(((p.x - vx) * 65536LL + vw - 1) / vw);
  LONG dy = static_cast<LONG>(((p.y - vy) * 65536LL + vh - 1) / vh);
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, dx, dy);
  Settle();
}

void MouseDown(int button) {
  static const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN,
                                MOUSEEVENTF_MIDDLEDOWN};
  if (UseXdotool())
    RunXdotool(std::string("mousedown ") + XButton(button));
  else
    SendMouse(flags[button]);
  g_heldButtons |= 1u << button;
  EnsureReaper();
  Settle();
}

void MouseUp(int button) {
  static const DWORD flags[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
  if (UseXdotool())
    RunXdotool(std::string("mouseup ") + XButton(button));
  else
    SendMouse(flags[button]);
  g_heldButtons &= ~(1u << button);
  Settle();
}

void ClickAt(POINT p, int button) {
  MoveMouse(p);
  MouseDown(button);
  MouseUp(button);
}

void ClickWindow(HWND h) { ClickAt(CenterOf(h), 0); }

void Drag(POINT from, POINT to, int steps, int button) {
  if (steps < 1) steps = 1;
  MoveMouse(from);
  MouseDown(button);
  for (int i = 1; i <= steps; ++i)
    MoveMouse({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  MouseUp(button);
}

void PressKey(WORD vk) {
  WORD scan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  SendKey(vk, scan, 0);
  SendKey(vk, scan, KEYEVENTF_KEYUP);
  Settle();
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    SendKey(0, c, KEYEVENTF_UNICODE);
    SendKey(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
  }
  Settle();
}

// ---- reading ---------------------------------------------------------------

RECT WindowRectOf(HWND h) {
  RealPixels real;
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

RECT ClientRectInScreen(HWND h) {
  RealPixels real;
  RECT r{};
  GetClientRect(h, &r);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

POINT CenterOf(HWND h) {
  RECT r = WindowRectOf(h);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::wstring TextOf(HWND h) {
  // A timeout keeps a hung window from hanging the test.
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len))
    return L"";
  std::wstring s(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()),
                           SMTO_ABORTIFHUNG, 5000, &got))
    return L"";
  s.resize(got < len ? got : len);
  return s;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[256];
  int n = GetClassNameW(h, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

HWND ParentOf(HWND h) { return GetAncestor(h, GA_PARENT); }

// ---- message boxes ---------------------------------------------------------

HWND FindMessageBox(const std::wstring& title, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = FindWindowW(L"#32770", title.c_str());
        return box && IsWindowVisible(box);
      },
      timeoutMs);
  return box && IsWindowVisible(box) ? box : nullptr;
}

std::wstring MessageBoxText(HWND box) {
  // The text is the Static child with id 0xFFFF; the icon is a Static too,
  // but without text.
  if (HWND text = GetDlgItem(box, 0xFFFF)) return TextOf(text);
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) != L"Static") continue;
    std::wstring s = TextOf(c);
    if (!s.empty()) return s;
  }
  return L"";
}

bool CloseMessageBox(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (!ok) return false;
  // Posted: the box's modal loop may be waiting on this very thread.
  PostMessageW(ok, BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindow(box); }, 5000);
}

std::string ReadSmallFile(const std::wstring& path) {
  std::string text;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buf[512];
  DWORD got = 0;
  if (ReadFile(f, buf, sizeof buf, &got, nullptr)) text.assign(buf, got);
  CloseHandle(f);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void RemoveShots(const std::wstring& folder, const std::wstring& name) {
  auto remove = [](const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
  };
  remove(folder + name);
  const std::wstring stem = name.substr(0, name.size() - 4);  // without ".bmp"
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + stem + L" (*).bmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do remove(folder + found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
}

RECT RectIn(HWND h, HWND host) {
  RealPixels real;
  RECT r = WindowRectOf(h);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PointAt(POINT p) {
  auto there = [&] {
    RealPixels real;
    POINT at{};
    GetCursorPos(&at);
    return at.x == p.x && at.y == p.y;
  };
  for (int attempt = 0; attempt < 6; ++attempt) {
    if (attempt > 0) MoveMouse({p.x + 1, p.y});
    MoveMouse(p);
    if (WaitUntil(there, 500)) return;
  }
}

bool PickWithMagnifier(const Tool& tool, HWND h) {
  const HWND picker = ToolControl(tool, ids::picMagnifier), handle = ToolControl(tool, ids::txtHandle);
  const DWORD uiThread = GetWindowThreadProcessId(tool.form, nullptr);
  auto captured = [&] {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(uiThread, &info) && info.hwndCapture;
  };
  const std::wstring wanted = std::to_wstring(static_cast<long>(reinterpret_cast<LONG_PTR>(h)));
  // From elsewhere: Wine finds the window under a pointer that moves.
  MoveMouse({640, 1000});
  PointAt(CenterOf(picker));
  MouseDown();
  const bool pressed = WaitUntil(captured, 10000);
  const POINT from = CenterOf(picker), to = CenterOf(h);
  for (int i = 1; i <= 8; ++i) MoveMouse({from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8});
  bool seen = false;
  for (int i = 0; i < 8 && pressed && !seen; ++i) {
    MoveMouse({to.x + (i & 1), to.y});
    seen = WaitUntil([&] { return TextOf(handle) == wanted; }, 1000);
  }
  MouseUp();
  if (!seen)
    std::fprintf(stderr, "testbed: %s; the tool's handle field says %ls, not %ls\n",
                 pressed ? "the pick did not arrive" : "the tool never took the mouse",
                 TextOf(handle).c_str(), wanted.c_str());
  return seen;
}

void ClickSettled(HWND h, DWORD timeoutMs) {
  const POINT p = CenterOf(h);
  ULONGLONG restingSince = 0;
  MoveMouse(p);
  WaitUntil(
      [&] {
        POINT at{};
        {
          RealPixels real;
          GetCursorPos(&at);
        }
        if (at.x != p.x || at.y != p.y) {
          restingSince = 0;
          MoveMouse(p);
          return false;
        }
        if (!restingSince) restingSince = GetTickCount64();
        return GetTickCount64() - restingSince >= 60;
      },
      timeoutMs);
  MouseDown();
  MouseUp();
}

HWND ShownToolTip(const Tool& tool, bool balloon) {
  return ShownWindow(tool.pid, TOOLTIPS_CLASSW, TTS_BALLOON, balloon ? TTS_BALLOON : 0);
}

std::unique_ptr<frmMain> OpenForm(DWORD timeoutMs) {
  auto form = std::make_unique<frmMain>();
  form->SetStartValues();
  form->Show();
  WaitUntil([&] { return IsWindowVisible(form->hWnd()) != FALSE; }, timeoutMs);
  return form;
}

}  // namespace testbed
