// vistrel_target.exe: "another program" whose window tests pick, embed and
// give back. It prints one line naming its windows and runs until its main
// window is gone, however that happens (closed, or destroyed with a host it
// was embedded in). Arguments:
//   --title TEXT      caption, set with SetWindowTextW (default "Target window")
//   --ansi-title HEX  caption as raw ANSI bytes, set with SetWindowTextA
//   --no-title        empty caption
//   --x N --y N --w N --h N   outer rectangle in screen pixels
//   --children        adds a BUTTON "OK" and an EDIT
//   --popup           adds "Palette", a tool window the main window owns, left of it
//   --menu            gives the main window a menu bar
//   --session-log PATH   appends a line to PATH for each WM_QUERYENDSESSION and
//                     WM_ENDSESSION its main window gets, saying whether it was top-level
//   --refuse-end      answers WM_QUERYENDSESSION with FALSE, as a program with unsaved work
//   --class NAME      the window class of its windows (default "VistrelTarget")
// Posting it testbed::kMsgTargetHang makes it stop answering for a while;
// kMsgTargetEscCount asks how many Esc presses it got. A click on its main
// window gives that window the keyboard, as most programs do.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "target_protocol.h"

namespace {

HWND g_main;
LRESULT g_escPresses;
DWORD g_lastKeyTick;
const wchar_t* g_sessionLog;
bool g_refuseEnd;

// One line per message, written through at once: the process may be ended next.
void LogSession(const char* what, WPARAM wp) {
  FILE* log = g_sessionLog ? _wfopen(g_sessionLog, L"ab") : nullptr;
  if (!log) return;
  std::fprintf(log, "%s %d toplevel=%d\n", what, static_cast<int>(wp), GetAncestor(g_main, GA_PARENT) == GetDesktopWindow());
  std::fclose(log);
}

LRESULT CALLBACK TargetProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case testbed::kMsgTargetPid:
      return static_cast<LRESULT>(GetCurrentProcessId());
    case testbed::kMsgTargetHang:
      Sleep(static_cast<DWORD>(wp));
      return 0;
    case testbed::kMsgTargetEscCount:
      return g_escPresses;
    case testbed::kMsgTargetLastKeyTick:
      return g_lastKeyTick;
    case WM_QUERYENDSESSION:
      if (h != g_main) break;
      LogSession("query", wp);
      return g_refuseEnd ? FALSE : TRUE;
    case WM_ENDSESSION:
      if (h == g_main) LogSession("end", wp);
      return 0;
    case WM_LBUTTONDOWN:
      if (h == g_main) SetFocus(h);
      return 0;
    case WM_DESTROY:
      if (h == g_main) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

std::string HexBytes(const wchar_t* hex) {
  std::string out;
  for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
    wchar_t pair[3] = {hex[i], hex[i + 1], 0};
    out += static_cast<char>(std::wcstoul(pair, nullptr, 16));
  }
  return out;
}

long AsLong(HWND h) { return static_cast<long>(reinterpret_cast<LONG_PTR>(h)); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* title = L"Target window";
  const wchar_t* ansiHex = nullptr;
  const wchar_t* className = L"VistrelTarget";
  bool children = false, popup = false, menu = false;
  int x = 100, y = 100, w = 320, h = 240;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == L"--title" && hasValue) title = argv[++i];
    else if (a == L"--ansi-title" && hasValue) ansiHex = argv[++i];
    else if (a == L"--no-title") title = L"";
    else if (a == L"--children") children = true;
    else if (a == L"--popup") popup = true;
    else if (a == L"--menu") menu = true;
    else if (a == L"--session-log" && hasValue) g_sessionLog = argv[++i];
    else if (a == L"--refuse-end") g_refuseEnd = true;
    else if (a == L"--class" && hasValue) className = argv[++i];
    else if (a == L"--x" && hasValue) x = _wtoi(argv[++i]);
    else if (a == L"--y" && hasValue) y = _wtoi(argv[++i]);
    else if (a == L"--w" && hasValue) w = _wtoi(argv[++i]);
    else if (a == L"--h" && hasValue) h = _wtoi(argv[++i]);
    else {
      std::fwprintf(stderr, L"vistrel_target: unknown argument %ls\n", argv[i]);
      return 2;
    }
  }

  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  RegisterClassW(&wc);

  HMENU bar = menu ? CreateMenu() : nullptr;
  if (bar) AppendMenuW(bar, MF_STRING, 100, L"&File");
  g_main = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, x, y, w, h,
                           nullptr, bar, inst, nullptr);
  if (!g_main) return 1;
  if (ansiHex) SetWindowTextA(g_main, HexBytes(ansiHex).c_str());

  HWND button = nullptr, edit = nullptr;
  if (children) {
    button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10,
                             10, 80, 26, g_main, reinterpret_cast<HMENU>(1), inst, nullptr);
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                           10, 46, 200, 24, g_main, reinterpret_cast<HMENU>(2), inst, nullptr);
  }
  // Owned, not a child: GetParent names its owner, GetAncestor the desktop.
  const HWND palette = popup ? CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Palette",
                                               WS_POPUP | WS_CAPTION | WS_VISIBLE, x - 170, y, 160, 120,
                                               g_main, nullptr, inst, nullptr)
                             : nullptr;
  ShowWindow(g_main, SW_SHOW);
  UpdateWindow(g_main);

  std::printf("hwnd=%ld button=%ld edit=%ld popup=%ld\n", AsLong(g_main), AsLong(button), AsLong(edit),
              AsLong(palette));
  std::fflush(stdout);

  // A host that destroys our window from its own thread may leave us without
  // a WM_DESTROY here, so the window's existence is checked as well.
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) return 0;
      if (m.message == WM_KEYDOWN) g_lastKeyTick = GetTickCount();
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) ++g_escPresses;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (!IsWindow(g_main)) return 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
  }
}
