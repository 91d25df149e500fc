#include "select/find.h"

#include "runtime/scoped.h"
#include "window/Window.h"

namespace {

// Whether `have` is `given`, or holds it with `part`, case ignored by the
// system's Unicode tables, so in any script. Nothing given always matches.
bool Matches(const wchar_t* have, const wchar_t* given, bool part) {
  if (!given) return true;
  wchar_t a[512], b[512];
  lstrcpynW(a, have, 512);
  lstrcpynW(b, given, 512);
  CharUpperW(a);
  CharUpperW(b);
  for (const wchar_t* at = a;; ++at) {
    const wchar_t *s = at, *w = b;
    while (*w && *s == *w) ++s, ++w;
    if (!*w && (part || !*s)) return true;
    if (!part || !*at) return false;
  }
}

bool Holds(HWND h, const Options& o) {
  wchar_t title[512], cls[256], path[MAX_PATH * 2] = L"";
  GetWindowTextW(h, title, 512);
  GetClassNameW(h, cls, 256);
  DWORD pid = 0, n = ARRAYSIZE(path);
  GetWindowThreadProcessId(h, &pid);
  if (o.exe) {
    rt::ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (process) QueryFullProcessImageNameW(process.Get(), 0, path, &n);
  }
  // The program's file name, without its folder.
  const wchar_t* file = path;
  for (const wchar_t* c = path; *c; ++c)
    if (*c == L'\\') file = c + 1;
  return pid != GetCurrentProcessId() && Matches(title, o.title, true) && Matches(cls, o.cls, false) &&
         Matches(file, o.exe, false);
}

}  // namespace

HWND FindWanted(const Options& o) {
  if (o.hwndText) {
    const HWND h = ToHwnd(o.hwnd);
    return IsWindow(h) && Holds(h, o) ? h : nullptr;
  }
  // Top-level windows from the top of the Z-order down.
  for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (IsWindowVisible(h) && Holds(h, o)) return h;
  return nullptr;
}
