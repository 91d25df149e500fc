#include "testbed.h"

#include "form/frmMain.h"
#include "form/runtime.h"

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

struct FormSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindForm(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<FormSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == s->pid && IsWindowVisible(h) && ClassOf(h) == VISTREL_FORM_CLASS) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
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

bool ProcessAlive(const Target& t) {
  return t.process && WaitForSingleObject(t.process, 0) == WAIT_TIMEOUT;
}

// ---- tool ------------------------------------------------------------------

std::optional<Tool> StartTool(const std::wstring& args) {
  auto launched = Launch(L"vistrel.exe", args, nullptr);
  if (!launched) return std::nullopt;
  FormSearch s{launched->pid, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(FindForm, reinterpret_cast<LPARAM>(&s));
        return s.found || WaitForSingleObject(launched->process, 0) == WAIT_OBJECT_0;
      },
      kStartTimeoutMs);
  if (!s.found) {
    TerminateProcess(launched->process, 1);
    CloseHandle(launched->process);
    return std::nullopt;
  }
  return Tool{launched->process, launched->pid, s.found};
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
// has no such echo, so under Wine the mouse goes through xdotool.
bool UseXdotool() {
  static const bool use = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") &&
                          GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") != INVALID_FILE_ATTRIBUTES &&
                          GetFileAttributesW(L"Z:\\bin\\sh") != INVALID_FILE_ATTRIBUTES;
  return use;
}

// Wine's CreateProcess runs a Unix program but hands back no process handle,
// so the shell leaves a marker file when xdotool is done.
bool RunXdotool(const std::wstring& args) {
  static unsigned counter;
  std::wstring name = L"vistrel-xdo-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter);
  std::wstring marker = L"Z:\\tmp\\" + name;
  std::wstring cmd = L"Z:\\bin\\sh -c \"/usr/bin/xdotool " + args + L" >/dev/null 2>&1; : >/tmp/" +
                     name + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  const ULONGLONG end = GetTickCount64() + 5000;
  while (GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount64() >= end) return false;
    Pump(2);
  }
  DeleteFileW(marker.c_str());
  return true;
}

// xdotool numbers buttons the X way: 1 left, 2 middle, 3 right.
const wchar_t* XButton(int button) { return button == 1 ? L"3" : button == 2 ? L"2" : L"1"; }

}  // namespace

void MoveMouse(POINT p) {
  // Like a real mouse, the pointer stops at the screen's edges.
  const LONG vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const LONG vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  p.x = p.x < vx ? vx : p.x >= vx + vw ? vx + vw - 1 : p.x;
  p.y = p.y < vy ? vy : p.y >= vy + vh ? vy + vh - 1 : p.y;
  if (UseXdotool() &&
      RunXdotool(L"mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y))) {
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
  if (!UseXdotool() || !RunXdotool(std::wstring(L"mousedown ") + XButton(button)))
    SendMouse(flags[button]);
  g_heldButtons |= 1u << button;
  EnsureReaper();
  Settle();
}

void MouseUp(int button) {
  static const DWORD flags[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
  if (!UseXdotool() || !RunXdotool(std::wstring(L"mouseup ") + XButton(button)))
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
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

RECT ClientRectInScreen(HWND h) {
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
  RECT r = WindowRectOf(h);
  MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PointAt(POINT p) {
  auto there = [&] {
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
  const HWND picker = ToolControl(tool, ids::Picture3), handle = ToolControl(tool, ids::txthWnd);
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
        GetCursorPos(&at);
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

namespace {
struct TipSearch {
  DWORD pid;
  bool balloon;
  HWND found;
};
BOOL CALLBACK FindTip(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<TipSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  const bool balloon = (GetWindowLongW(h, GWL_STYLE) & 0x40) != 0;  // TTS_BALLOON
  if (pid == s->pid && IsWindowVisible(h) && ClassOf(h) == L"tooltips_class32" && balloon == s->balloon)
    s->found = h;
  return !s->found;
}
}  // namespace

HWND ShownToolTip(const Tool& tool, bool balloon) {
  TipSearch s{tool.pid, balloon, nullptr};
  EnumWindows(FindTip, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::unique_ptr<frmMain> OpenForm(DWORD timeoutMs) {
  auto form = std::make_unique<frmMain>();
  form->Form_Load();
  form->Show();
  WaitUntil([&] { return IsWindowVisible(form->hWnd()) != FALSE; }, timeoutMs);
  return form;
}

}  // namespace testbed
