// vistrel_floor.exe LAYOUT: the least a program with the tool's window can
// do to start. It reads the form's window tree from LAYOUT (written by
// vistrel_bench.exe), makes the same windows with plain CreateWindowEx calls
// in one font made once, paints the labels on their containers, shows the
// form and runs a message loop. The bench times it exactly as it times the
// tool: CreateProcess to the shown form answering WM_NULL.
#include <windows.h>

#include "floor_layout.h"

namespace {

floorexe::Layout g_layout;
HFONT g_font = nullptr;
HWND g_windows[48];  // by item index; labels have none

void PaintLabels(HWND host, HDC dc) {
  SelectObject(dc, g_font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < g_layout.count; ++i) {
    const floorexe::Item& it = g_layout.items[i];
    const HWND parent = it.parent < 0 ? nullptr : g_windows[it.parent];
    if (it.cls[0] || (parent ? parent != host : GetParent(host) != nullptr)) continue;
    RECT rc = it.rect;
    DrawTextW(dc, it.text, -1, &rc, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  }
}

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
      wchar_t caption[32];
      if (GetParent(h) && GetWindowTextW(h, caption, 32)) {  // a frame: edge and caption
        RECT rc;
        GetClientRect(h, &rc);
        rc.top += 6;
        DrawEdge(dc, &rc, EDGE_ETCHED, BF_RECT);
        SelectObject(dc, g_font);
        TextOutW(dc, 8, 0, caption, lstrlenW(caption));
      }
      PaintLabels(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DESTROY:
      if (!GetParent(h)) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

bool ReadLayout(const wchar_t* path) {
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  const BOOL ok = ReadFile(f, &g_layout, sizeof g_layout, &got, nullptr);
  CloseHandle(f);
  return ok && got == sizeof g_layout && g_layout.count >= 0 && g_layout.count <= 48;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmd, int) {
  if (!ReadLayout(cmd)) return 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = floorexe::kFormClass;
  RegisterClassW(&wc);
  wc.lpszClassName = floorexe::kBoxClass;
  RegisterClassW(&wc);
  g_font = CreateFontIndirectW(&g_layout.font);
  const RECT& r = g_layout.rect;
  const HWND form = CreateWindowExW(g_layout.exStyle, floorexe::kFormClass, g_layout.caption,
                                    g_layout.style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!form) return 1;
  for (int i = 0; i < g_layout.count; ++i) {
    const floorexe::Item& it = g_layout.items[i];
    if (!it.cls[0]) continue;
    const HWND parent = it.parent < 0 ? form : g_windows[it.parent];
    g_windows[i] = CreateWindowExW(it.exStyle, it.cls, it.text, it.style, it.rect.left, it.rect.top,
                                   it.rect.right - it.rect.left, it.rect.bottom - it.rect.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), instance, nullptr);
    SendMessageW(g_windows[i], WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
  }
  ShowWindow(form, SW_SHOW);
  UpdateWindow(form);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
