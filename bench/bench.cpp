// vistrel_bench.exe [--runs N]: each line gives our figure, a reference
// measured in the same run, and their ratio, as the median of N runs (at
// least 5). Run it with tools/bench, which prints the machine first.
//   size        vistrel.exe against 88 KiB, and the DLLs it imports
//   start-up    process start to the visible main window answering WM_NULL,
//               against the system's notepad.exe started the same way
//   memory      private bytes and working set right after that start-up
//   zoom        one "+" with a target of another process embedded, against
//               the bare window-manager calls a zoom step makes
//   screenshot  a live screenshot at full-screen size, against a bare BitBlt
//               of that size plus writing as many bytes to a file
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "capture/screenshot.h"
#include "form/control_ids.h"
#include "form/convert.h"
#include "form/frmMain.h"

namespace {

constexpr double kSizeLimit = 88 * 1024;  // the form's own label says 88K
constexpr DWORD kStartTimeoutMs = 30000;
constexpr int kZoomClicks = 100;

// ---- time, messages, files ----------------------------------------------------

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// Dispatches what is queued for this thread now, as the message loop would
// between two clicks.
void Drain() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void Pump(DWORD ms) {
  const double end = NowMs() + ms;
  do {
    Drain();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (NowMs() < end);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::wstring BinDir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  const size_t slash = dir.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : dir.substr(0, slash);
}

std::wstring SystemDir() {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir, n);
}

bool IsFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path) {
  std::vector<BYTE> data;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) || got != data.size())
      data.clear();
  }
  CloseHandle(f);
  return data;
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// ---- the table ------------------------------------------------------------------

void Header() {
  std::printf("%-34s %14s %14s %8s  %s\n", "measure", "Vistrel", "reference", "ratio", "target");
}

void Row(const char* what, double ours, double ref, const char* unitFmt, const char* target) {
  char a[32], b[32];
  std::snprintf(a, sizeof a, unitFmt, ours);
  std::snprintf(b, sizeof b, unitFmt, ref);
  std::printf("%-34s %14s %14s %7.2fx  %s\n", what, a, b, ref > 0 ? ours / ref : 0.0, target);
  std::fflush(stdout);
}

// ---- 1. size and imports ----------------------------------------------------------

// The DLL names of the PE import table, every offset checked against the file.
std::vector<std::string> ImportedDlls(const std::vector<BYTE>& pe) {
  std::vector<std::string> dlls;
  auto fits = [&](size_t off, size_t len) { return off <= pe.size() && len <= pe.size() - off; };
  if (!fits(0, sizeof(IMAGE_DOS_HEADER))) return dlls;
  IMAGE_DOS_HEADER dos;
  memcpy(&dos, pe.data(), sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0) return dlls;
  const size_t nt = static_cast<size_t>(dos.e_lfanew);
  if (!fits(nt, 4 + sizeof(IMAGE_FILE_HEADER))) return dlls;
  DWORD signature;
  IMAGE_FILE_HEADER file;
  memcpy(&signature, pe.data() + nt, 4);
  memcpy(&file, pe.data() + nt + 4, sizeof file);
  if (signature != IMAGE_NT_SIGNATURE) return dlls;
  const size_t opt = nt + 4 + sizeof file;
  if (!fits(opt, file.SizeOfOptionalHeader) || file.SizeOfOptionalHeader < 2) return dlls;
  WORD magic;
  memcpy(&magic, pe.data() + opt, 2);
  IMAGE_DATA_DIRECTORY dir{};
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && file.SizeOfOptionalHeader >= sizeof(IMAGE_OPTIONAL_HEADER64)) {
    IMAGE_OPTIONAL_HEADER64 h;
    memcpy(&h, pe.data() + opt, sizeof h);
    if (h.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_IMPORT) dir = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC && file.SizeOfOptionalHeader >= sizeof(IMAGE_OPTIONAL_HEADER32)) {
    IMAGE_OPTIONAL_HEADER32 h;
    memcpy(&h, pe.data() + opt, sizeof h);
    if (h.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_IMPORT) dir = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  }
  if (!dir.VirtualAddress) return dlls;
  std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
  const size_t secs = opt + file.SizeOfOptionalHeader;
  if (!fits(secs, sections.size() * sizeof(IMAGE_SECTION_HEADER))) return dlls;
  memcpy(sections.data(), pe.data() + secs, sections.size() * sizeof(IMAGE_SECTION_HEADER));
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (const auto& s : sections) {
      const DWORD span = std::max<DWORD>(s.Misc.VirtualSize, s.SizeOfRawData);
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < span)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return SIZE_MAX;
  };
  for (size_t d = offsetOf(dir.VirtualAddress); fits(d, sizeof(IMAGE_IMPORT_DESCRIPTOR));
       d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR desc;
    memcpy(&desc, pe.data() + d, sizeof desc);
    if (!desc.Name) break;
    std::string name;
    for (size_t at = offsetOf(desc.Name); at < pe.size() && pe[at] && name.size() < 260; ++at)
      name += static_cast<char>(pe[at]);
    dlls.push_back(name);
    if (dlls.size() > 256) break;
  }
  return dlls;
}

void SizeLine() {
  const std::wstring exe = BinDir() + L"\\vistrel.exe";
  const std::vector<BYTE> pe = ReadFileBytes(exe);
  if (pe.empty()) {
    std::printf("exe size: cannot read %s\n", Narrow(exe).c_str());
    return;
  }
  Row("exe size (bytes; ref 88 KiB)", static_cast<double>(pe.size()), kSizeLimit, "%.0f", "<= 1.00x");
  std::string list, foreign;
  for (const std::string& dll : ImportedDlls(pe)) {
    list += (list.empty() ? "" : " ") + dll;
    std::wstring wide(dll.begin(), dll.end());
    if (!IsFile(SystemDir() + L"\\" + wide)) foreign += (foreign.empty() ? "" : " ") + dll;
  }
  std::printf("  imports: %s\n  %s\n", list.empty() ? "(none found)" : list.c_str(),
              foreign.empty() ? "all from the system folder" : ("not in the system folder: " + foreign).c_str());
}

// ---- 2./3. start-up and memory --------------------------------------------------

struct WindowSearch {
  DWORD pid;
  const wchar_t* cls;  // nullptr: any visible top-level window of the process
  HWND found;
};

BOOL CALLBACK FindShown(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != s->pid || !IsWindowVisible(h)) return TRUE;
  if (s->cls) {
    wchar_t name[64];
    if (!GetClassNameW(h, name, 64) || lstrcmpW(name, s->cls) != 0) return TRUE;
  }
  s->found = h;
  return FALSE;
}

struct Launch {
  bool ok = false;
  double startMs = 0;
  double privateKiB = 0, workingSetKiB = 0;
};

// Starts `exe`, times it to its shown window answering, reads its memory
// once it has settled, and closes it as a user would.
Launch StartMeasureClose(const std::wstring& exe, const wchar_t* cls) {
  Launch out;
  std::wstring cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = NowMs();
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return out;
  CloseHandle(pi.hThread);
  WindowSearch s{pi.dwProcessId, cls, nullptr};
  while (NowMs() - t0 < kStartTimeoutMs && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    s.found = nullptr;
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
    DWORD_PTR r = 0;
    if (s.found && SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)) {
      out.startMs = NowMs() - t0;
      out.ok = true;
      break;
    }
    Sleep(1);
  }
  if (out.ok) {
    Sleep(300);  // let the first paint finish before looking at memory
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
      // Wine leaves PrivateUsage 0 and reports the commit charge, which on
      // Windows is the same figure, as PagefileUsage.
      const SIZE_T privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
      out.privateKiB = static_cast<double>(privateBytes) / 1024;
      out.workingSetKiB = static_cast<double>(pmc.WorkingSetSize) / 1024;
    }
    PostMessageW(s.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
  return out;
}

void StartAndMemoryLines(int runs) {
  const std::wstring ours = BinDir() + L"\\vistrel.exe", notepad = SystemDir() + L"\\notepad.exe";
  // One untimed start of each fills the caches both will find warm.
  StartMeasureClose(ours, VISTREL_FORM_CLASS);
  StartMeasureClose(notepad, nullptr);
  std::vector<double> os, ns, op, np, ow, nw;
  for (int i = 0; i < runs; ++i) {
    // Alternating, so drift in the machine's load hits both alike.
    const Launch a = StartMeasureClose(ours, VISTREL_FORM_CLASS);
    const Launch b = StartMeasureClose(notepad, nullptr);
    if (!a.ok || !b.ok) {
      std::printf("start-up: run %d failed (vistrel %s, notepad %s)\n", i, a.ok ? "ok" : "no window",
                  b.ok ? "ok" : "no window");
      continue;
    }
    os.push_back(a.startMs), ns.push_back(b.startMs);
    op.push_back(a.privateKiB), np.push_back(b.privateKiB);
    ow.push_back(a.workingSetKiB), nw.push_back(b.workingSetKiB);
  }
  if (os.empty()) return;
  Row("start-up to answering (ms)", Median(os), Median(ns), "%.1f", "<= 1.00x (notepad)");
  Row("private bytes (KiB)", Median(op), Median(np), "%.0f", "<= 1.00x (notepad)");
  Row("working set (KiB)", Median(ow), Median(nw), "%.0f", "<= 1.00x (notepad)");
}

// ---- a target window in another process -------------------------------------------

struct OtherProgram {
  PROCESS_INFORMATION pi{};
  HWND window = nullptr;
  ~OtherProgram() {
    if (!pi.hProcess) return;
    if (IsWindow(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
  }
};

std::unique_ptr<OtherProgram> StartTarget() {
  auto t = std::make_unique<OtherProgram>();
  std::wstring cmd = L"\"" + BinDir() + L"\\vistrel_target.exe\" --title BenchTarget --x 700 --y 600 --children";
  // Its line naming its windows is for the tests, not for this table; and
  // it must not hold our output open after we end.
  for (DWORD id : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
    SetHandleInformation(GetStdHandle(id), HANDLE_FLAG_INHERIT, 0);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = nul;
  const BOOL started =
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &t->pi);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) return nullptr;
  CloseHandle(t->pi.hThread);
  WindowSearch s{t->pi.dwProcessId, L"VistrelTarget", nullptr};
  const double t0 = NowMs();
  while (!s.found && NowMs() - t0 < kStartTimeoutMs) {
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
    Pump(20);
  }
  t->window = s.found;
  return s.found ? std::move(t) : nullptr;
}

// ---- 4. zoom --------------------------------------------------------------------

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // the bench decides when it goes
  return DefWindowProcW(h, msg, wp, lp);
}

// A top-level window with a bordered child box, laid out like the form.
struct PlainHost {
  HWND form = nullptr, box = nullptr;
  PlainHost(const RECT& formRect, const RECT& boxRect) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"VistrelBenchHost";
    RegisterClassW(&wc);
    form = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Reference", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           formRect.left, formRect.top, formRect.right - formRect.left,
                           formRect.bottom - formRect.top, nullptr, nullptr, wc.hInstance, nullptr);
    box = CreateWindowExW(WS_EX_CLIENTEDGE, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                          boxRect.left, boxRect.top, boxRect.right - boxRect.left, boxRect.bottom - boxRect.top,
                          form, nullptr, wc.hInstance, nullptr);
  }
  ~PlainHost() {
    if (form) DestroyWindow(form);
  }
};

RECT RectIn(HWND h, HWND parent) {
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ZoomLine(frmMain& form, HWND target, int runs) {
  const RECT formRect = [&] {
    RECT r{};
    GetWindowRect(form.hWnd(), &r);
    return r;
  }();
  const RECT boxRect = RectIn(form.Picture4.hWnd(), form.hWnd());
  PlainHost plain(formRect, boxRect);
  if (!plain.box) {
    std::printf("zoom: no reference window\n");
    return;
  }
  const float twipsX = rt::TwipsPerPixelX(), twipsY = rt::TwipsPerPixelY();
  std::vector<double> ours, ref;
  for (int run = 0; run < runs; ++run) {
    // Ours: the form's "+" with the target embedded, from the start-up size.
    ShowWindow(plain.form, SW_HIDE);
    form.Show();
    form.FillProps(FromHwnd(target));
    form.cmdTransfer_Click();
    Pump(100);
    double t0 = NowMs();
    for (int i = 0; i < kZoomClicks; ++i) {
      form.Command1_Click();
      Drain();
    }
    ours.push_back((NowMs() - t0) / kZoomClicks);
    for (int i = 0; i < kZoomClicks; ++i) form.Command2_Click();
    form.Command3_Click();
    form.SetWidth(static_cast<float>(formRect.right - formRect.left) * twipsX);
    form.SetHeight(static_cast<float>(formRect.bottom - formRect.top) * twipsY);
    Pump(100);

    // Reference: the same target in a plain box, and only the calls a step makes.
    form.Hide();
    SetWindowPos(plain.form, HWND_TOPMOST, formRect.left, formRect.top, formRect.right - formRect.left,
                 formRect.bottom - formRect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    const int boxW = boxRect.right - boxRect.left, boxH = boxRect.bottom - boxRect.top;
    SetWindowPos(plain.box, nullptr, boxRect.left, boxRect.top, boxW, boxH, SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(target, 0, 0, boxW, boxH, TRUE);
    SetParent(target, plain.box);
    Pump(100);
    int content = boxW - 4;
    wchar_t caption[96];
    t0 = NowMs();
    for (int i = 0; i < kZoomClicks; ++i) {
      content += 20;
      const int w = content + 4, h = content * 3 / 4 + 4;
      SetWindowPos(plain.box, nullptr, boxRect.left, boxRect.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
      MoveWindow(target, 0, 0, w, h, TRUE);
      // The form follows the box: its content plus 440 and 1300 twips.
      SetWindowPos(plain.form, nullptr, 0, 0, content + 29, content * 3 / 4 + 87,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      std::swprintf(caption, 96, L"Vistrel1.5 [%d\u00D7%d]2008-10-14", content, content * 3 / 4);
      SetWindowTextW(plain.form, caption);
      Drain();
    }
    ref.push_back((NowMs() - t0) / kZoomClicks);
    SetParent(target, nullptr);
    ShowWindow(plain.form, SW_HIDE);
    form.Show();
    Pump(100);
  }
  Row("zoom \"+\" per click (ms)", Median(ours), Median(ref), "%.2f", "<= 1.50x (bare calls)");
}

// ---- 5. screenshot ---------------------------------------------------------------

// The names a screenshot taken between `from` and now can have, numbered
// copies included (shots within one second take them).
void NoteShotNames(std::set<std::wstring>& names, const SYSTEMTIME& from) {
  for (const SYSTEMTIME& t : {from, rt::Now()})
    for (int copy = 1; copy <= kScreenshotNames; ++copy) names.insert(ScreenshotFileName(t, copy));
}

void ScreenshotLine(frmMain& form, int runs) {
  std::set<std::wstring> names;
  const std::wstring refFile = std::wstring(kScreenshotFolder) + L"vistrel-bench-reference.bmp";
  form.fullscreen();
  Pump(300);
  const auto w = rt::CLngRound(form.Picture4.Width()), h = rt::CLngRound(form.Picture4.Height());
  // One untimed shot gives the still box its full-screen image.
  SYSTEMTIME at = rt::Now();
  form.Command5_Click();
  NoteShotNames(names, at);
  Drain();

  std::vector<double> ours, ref;
  LONGLONG bytes = 0;
  HDC src = GetDC(form.Picture4.hWnd());
  HDC mem = CreateCompatibleDC(src);
  HBITMAP bmp = CreateCompatibleBitmap(src, w.value_or(1), h.value_or(1));
  HGDIOBJ old = SelectObject(mem, bmp);
  std::vector<BYTE> buffer;
  for (int run = 0; run < runs; ++run) {
    at = rt::Now();
    double t0 = NowMs();
    form.Command5_Click();
    Drain();
    ours.push_back(NowMs() - t0);
    NoteShotNames(names, at);
    // As many bytes as our file has, written the plain way.
    for (const std::wstring& n : names) {
      WIN32_FILE_ATTRIBUTE_DATA a;
      if (GetFileAttributesExW((kScreenshotFolder + n).c_str(), GetFileExInfoStandard, &a))
        bytes = std::max<LONGLONG>(bytes, (static_cast<LONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow);
    }
    buffer.resize(static_cast<size_t>(bytes));
    t0 = NowMs();
    BitBlt(mem, 0, 0, w.value_or(1), h.value_or(1), src, 0, 0, SRCCOPY);
    GdiFlush();
    HANDLE f = CreateFileW(refFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD wrote = 0;
    if (f != INVALID_HANDLE_VALUE) {
      WriteFile(f, buffer.data(), static_cast<DWORD>(buffer.size()), &wrote, nullptr);
      CloseHandle(f);
    }
    ref.push_back(NowMs() - t0);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(form.Picture4.hWnd(), src);
  form.smallscreen();
  Pump(100);

  int found = 0;
  for (const std::wstring& n : names) found += DeleteFileW((kScreenshotFolder + n).c_str()) ? 1 : 0;
  DeleteFileW(refFile.c_str());
  if (!found) std::printf("screenshot: no file appeared in %s\n", Narrow(kScreenshotFolder).c_str());
  char what[64];
  std::snprintf(what, sizeof what, "screenshot %ldx%ld, %lld B (ms)", static_cast<long>(w.value_or(0)),
                static_cast<long>(h.value_or(0)), static_cast<long long>(bytes));
  Row(what, Median(ours), Median(ref), "%.1f", "<= 1.30x (BitBlt+write)");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
  }
  runs = std::max(runs, 5);
  std::printf("median of %d runs each\n", runs);
  Header();
  SizeLine();
  StartAndMemoryLines(runs);

  auto target = StartTarget();
  if (!target) {
    std::printf("zoom, screenshot: vistrel_target.exe showed no window\n");
    return 1;
  }
  {
    frmMain form;
    form.Form_Load();
    form.Show();
    Pump(300);
    ZoomLine(form, target->window, runs);
    form.FillProps(FromHwnd(target->window));
    form.cmdTransfer_Click();
    Pump(100);
    ScreenshotLine(form, runs);
    form.Command3_Click();
    form.Close();
    Pump(100);
  }
  return 0;
}
