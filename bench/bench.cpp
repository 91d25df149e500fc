// vistrel_bench.exe [--runs N] [--compare-start A.exe B.exe]: each line gives
// our figure and a reference measured in the same run as min, median and max
// over N runs (at least 5), the ratio of the medians and the target. Every
// run of ours is followed by a run of its reference (ABAB...), so drift in
// the machine's load hits both alike. Run it with tools/bench, which prints
// the machine and its load first.
//   size         vistrel.exe against 88 KiB, and the DLLs it imports
//   start-up     process start to the visible main window answering WM_NULL,
//                against vistrel_floor.exe (the same windows made with plain
//                calls, floor.cpp) and the system's notepad.exe
//   memory       private bytes and working set right after that start-up
//   zoom         one "+" with a target of another process embedded, against
//                the bare window-manager calls a zoom step makes
//   full screen  in and out with that target, against the bare calls of the
//                same steps; and the keyboard watch it sets up, on its own
//   screenshot   a live screenshot at full-screen size up to the file being
//                written, against bare BitBlts of that size (what lies on the
//                monitor from the screen, the overhang from the box's DC)
//                plus writing as many bytes to a new file; and with the notice that follows,
//                against the same plus a bare balloon
// --compare-start times the start-up of two command lines the same way, for
// experiments.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "capture/screenshot.h"
#include "floor_layout.h"
#include "form/ids.h"
#include "runtime/classes.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "form/tips.h"
#include "view/esc_watch.h"
#include "view/fullscreen.h"

namespace {

constexpr double kSizeLimit = 88 * 1024;  // the form's own label says 88K
constexpr DWORD kStartTimeoutMs = 30000;
constexpr int kZoomClicks = 100;
constexpr int kToggles = 5;          // full screen in and out, per run
constexpr int kWatches = 20;         // keyboard watch on and off, per run
constexpr UINT kNoticeMs = 5000;     // the tool's notice stays this long
constexpr LONG_PTR kFrame = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

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

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

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

bool WriteFileBytes(const std::wstring& path, const void* data, DWORD size, DWORD disposition) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const BOOL ok = WriteFile(f, data, size, &wrote, nullptr);
  CloseHandle(f);
  return ok && wrote == size;
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// ---- the one way every line is measured and printed ---------------------------

// One figure per run.
using Runs = std::vector<double>;

// Runs every side once per round, in the order given, for `runs` rounds:
// ours, its reference, ours, its reference... Each side records its own
// figures into the Runs it holds.
template <class... Side>
void Interleave(int runs, Side&&... side) {
  for (int i = 0; i < runs; ++i) (side(), ...);
}

// Milliseconds per step, over `steps` steps in a row.
template <class F>
double PerStepMs(int steps, F&& step) {
  const double t0 = NowMs();
  for (int i = 0; i < steps; ++i) step();
  return (NowMs() - t0) / steps;
}

struct Spread {
  double min = 0, median = 0, max = 0;
};

Spread SpreadOf(Runs v) {
  if (v.empty()) return {};
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {v.front(), n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.back()};
}

void Header(int runs) {
  std::printf("min, median and max of %d runs each, ours and its reference alternating\n", runs);
  std::printf("%-36s %26s   %26s\n", "", "Vistrel          ", "reference         ");
  std::printf("%-36s %8s %8s %8s   %8s %8s %8s %7s  %s\n", "measure", "min", "median", "max", "min", "median", "max",
              "ratio", "target");
}

// Our figures and the reference's as min / median / max (the median alone
// when the figure cannot vary), the ratio of the medians, and the target.
void Row(const char* what, const Runs& ours, const Runs& ref, const char* fmt, const char* target) {
  auto cell = [fmt](const Runs& runs) {
    const Spread s = SpreadOf(runs);
    char min[24] = "", median[24], max[24] = "";
    std::snprintf(median, sizeof median, fmt, s.median);
    if (s.min != s.max) {
      std::snprintf(min, sizeof min, fmt, s.min);
      std::snprintf(max, sizeof max, fmt, s.max);
    }
    char out[80];
    std::snprintf(out, sizeof out, "%8s %8s %8s", min, median, max);
    return std::string(out);
  };
  const double a = SpreadOf(ours).median, b = SpreadOf(ref).median;
  std::printf("%-36s %26s   %26s %6.2fx  %s\n", what, cell(ours).c_str(), cell(ref).c_str(), b > 0 ? a / b : 0.0,
              target);
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
  Row("exe size (bytes; ref 88 KiB)", {static_cast<double>(pe.size())}, {kSizeLimit}, "%.0f", "<= 1.00x");
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

// A program started by the start-up lines, and its figures over the runs.
struct Program {
  std::wstring cmd;
  const wchar_t* cls;  // its main window's class, nullptr for any
  Runs startMs, privateKiB, workingSetKiB;
  int failed = 0;
};

// Starts the program, times it to its shown window answering, reads its
// memory once it has settled, and closes it as a user would.
void StartMeasureClose(Program& p) {
  std::wstring cmd = p.cmd;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = NowMs();
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ++p.failed;
    return;
  }
  CloseHandle(pi.hThread);
  WindowSearch s{pi.dwProcessId, p.cls, nullptr};
  double startMs = -1;
  while (NowMs() - t0 < kStartTimeoutMs && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    s.found = nullptr;
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
    DWORD_PTR r = 0;
    if (s.found && SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &r)) {
      startMs = NowMs() - t0;
      break;
    }
    Sleep(1);
  }
  if (startMs >= 0) {
    Sleep(300);  // let the first paint finish before looking at memory
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
      // Wine leaves PrivateUsage 0 and reports the commit charge, which on
      // Windows is the same figure, as PagefileUsage.
      const SIZE_T privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
      p.startMs.push_back(startMs);
      p.privateKiB.push_back(static_cast<double>(privateBytes) / 1024);
      p.workingSetKiB.push_back(static_cast<double>(pmc.WorkingSetSize) / 1024);
    }
    PostMessageW(s.found, WM_CLOSE, 0, 0);
  } else {
    ++p.failed;
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hProcess);
}

// Starts each program `runs` times, in turn, after one untimed start of each
// that fills the caches all of them find warm.
template <class... P>
void StartEach(int runs, P&... programs) {
  Interleave(1, [&programs] { StartMeasureClose(programs); }...);
  for (Program* p : {&programs...}) *p = Program{p->cmd, p->cls};
  Interleave(runs, [&programs] { StartMeasureClose(programs); }...);
  for (const Program* p : {&programs...})
    if (p->failed) std::printf("start-up: %s showed no window %d time(s)\n", Narrow(p->cmd).c_str(), p->failed);
}

// The tool's form as the floor exe rebuilds it: every control by its id
// (the index is the id less one), as it stands after loading.
floorexe::Layout FloorLayout() {
  floorexe::Layout out{};
  frmMain form;
  form.SetStartValues();
  const HWND h = form.hWnd();
  out.style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  out.exStyle = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE));
  GetWindowRect(h, &out.rect);
  GetWindowTextW(h, out.caption, ARRAYSIZE(out.caption));
  GetObjectW(rt::DefaultFont(), sizeof out.font, &out.font);
  for (int id = 1; id <= static_cast<int>(ARRAYSIZE(out.items)); ++id) {
    const rt::Control* c = form.ControlById(id);
    if (!c) break;
    floorexe::Item& it = out.items[id - 1];
    it.parent = c->Parent() ? c->Parent()->Id() - 1 : -1;
    it.rect = c->PixelRect();
    lstrcpynW(it.text, c->Caption().c_str(), ARRAYSIZE(it.text));
    if (const HWND w = c->hWnd()) {
      const bool box = c->Type() == rt::ControlType::PictureBox || c->Type() == rt::ControlType::Frame;
      if (box) lstrcpynW(it.cls, floorexe::kBoxClass, ARRAYSIZE(it.cls));
      else GetClassNameW(w, it.cls, ARRAYSIZE(it.cls));
      it.style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
      it.exStyle = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_EXSTYLE));
    }
    out.count = id;
  }
  form.Close();
  Drain();
  return out;
}

void StartAndMemoryLines(int runs) {
  const floorexe::Layout layout = FloorLayout();
  const std::wstring layoutFile = BinDir() + L"\\vistrel_floor.layout";
  if (!WriteFileBytes(layoutFile, &layout, sizeof layout, CREATE_ALWAYS))
    std::printf("start-up: cannot write %s\n", Narrow(layoutFile).c_str());
  Program ours{Quoted(BinDir() + L"\\vistrel.exe"), VISTREL_FORM_CLASS};
  Program floor{Quoted(BinDir() + L"\\vistrel_floor.exe") + L" " + layoutFile, floorexe::kFormClass};
  Program notepad{Quoted(SystemDir() + L"\\notepad.exe"), nullptr};
  StartEach(runs, ours, floor, notepad);
  Row("start-up to answering (ms)", ours.startMs, floor.startMs, "%.1f", "<= 1.10x (floor exe)");
  Row("start-up to answering (ms)", ours.startMs, notepad.startMs, "%.1f", "<= 1.00x (notepad)");
  Row("private bytes (KiB)", ours.privateKiB, notepad.privateKiB, "%.0f", "<= 1.00x (notepad)");
  Row("working set (KiB)", ours.workingSetKiB, notepad.workingSetKiB, "%.0f", "<= 1.00x (notepad)");
}

void CompareStartLine(int runs, const wchar_t* a, const wchar_t* b) {
  Program first{a, nullptr}, second{b, nullptr};
  StartEach(runs, first, second);
  std::printf("A: %s\nB: %s\n", Narrow(a).c_str(), Narrow(b).c_str());
  Row("start-up to answering, A vs B (ms)", first.startMs, second.startMs, "%.1f", "");
}

// ---- a target window in another process, in our form or in a plain one -----------

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
  std::wstring cmd = Quoted(BinDir() + L"\\vistrel_target.exe") + L" --title BenchTarget --x 700 --y 600 --children";
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

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // the bench decides when it goes
  return DefWindowProcW(h, msg, wp, lp);
}

RECT RectIn(HWND h, HWND parent) {
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The references' window: a top-level window laid out like the form, with a
// bordered child box where the display box is and a plain button wherever
// the form has another shown child window.
struct PlainHost {
  HWND form = nullptr, box = nullptr;
  RECT formRect{}, boxRect{};
  std::vector<HWND> row;
  explicit PlainHost(frmMain& f) {
    GetWindowRect(f.hWnd(), &formRect);
    boxRect = RectIn(f.picBox.hWnd(), f.hWnd());
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
    for (HWND c = GetWindow(f.hWnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (c == f.picBox.hWnd() || !(GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) continue;
      const RECT r = RectIn(c, f.hWnd());
      row.push_back(CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, form, nullptr, wc.hInstance, nullptr));
    }
  }
  ~PlainHost() {
    if (form) DestroyWindow(form);
  }
  void Place(int boxW, int boxH) const {
    SetWindowPos(box, nullptr, boxRect.left, boxRect.top, boxW, boxH, SWP_NOZORDER | SWP_NOACTIVATE);
  }
};

// For the length of a scope, our form is shown with the target embedded,
// taken in as a user does: picked, then "传输"; "还原" gives it back.
class InOurForm {
 public:
  InOurForm(frmMain& form, const PlainHost& plain, HWND target) : form_(form) {
    ShowWindow(plain.form, SW_HIDE);
    form.Show();
    form.RecordPick(target);
    form.OnTake();
    Pump(100);
  }
  ~InOurForm() {
    form_.OnGiveBack();
    Pump(100);
  }

 private:
  frmMain& form_;
};

// For the length of a scope, the plain host is shown with the target in its
// box, at the box's size, and our form is hidden.
class InPlainHost {
 public:
  InPlainHost(frmMain& form, const PlainHost& plain, HWND target) : plain_(plain), target_(target) {
    form.Hide();
    const RECT& f = plain.formRect;
    SetWindowPos(plain.form, HWND_TOPMOST, f.left, f.top, f.right - f.left, f.bottom - f.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    const RECT& b = plain.boxRect;
    plain.Place(b.right - b.left, b.bottom - b.top);
    MoveWindow(target, 0, 0, b.right - b.left, b.bottom - b.top, TRUE);
    SetParent(target, plain.box);
    Pump(100);
  }
  ~InPlainHost() {
    SetParent(target_, nullptr);
    ShowWindow(plain_.form, SW_HIDE);
    Pump(100);
  }

 private:
  const PlainHost& plain_;
  HWND target_;
};

// ---- 4. zoom --------------------------------------------------------------------

void ZoomLine(frmMain& form, const PlainHost& plain, HWND target, int runs) {
  const float twipsX = rt::TwipsPerPixelX(), twipsY = rt::TwipsPerPixelY();
  const RECT& formRect = plain.formRect;
  Runs ours, ref;
  auto oursSide = [&] {
    InOurForm in(form, plain, target);
    ours.push_back(PerStepMs(kZoomClicks, [&] {
      form.OnZoomIn();
      Drain();
    }));
    for (int i = 0; i < kZoomClicks; ++i) form.OnZoomOut();
    form.SetWidth(static_cast<float>(formRect.right - formRect.left) * twipsX);
    form.SetHeight(static_cast<float>(formRect.bottom - formRect.top) * twipsY);
  };
  auto refSide = [&] {
    InPlainHost in(form, plain, target);
    int content = plain.boxRect.right - plain.boxRect.left - 4;
    wchar_t caption[96];
    ref.push_back(PerStepMs(kZoomClicks, [&] {
      content += 20;
      const int w = content + 4, h = content * 3 / 4 + 4;
      plain.Place(w, h);
      MoveWindow(target, 0, 0, w, h, TRUE);
      // The form follows the box: its content plus 440 and 1300 twips.
      SetWindowPos(plain.form, nullptr, 0, 0, content + 29, content * 3 / 4 + 87,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      std::swprintf(caption, 96, L"Vistrel1.5 [%d\u00D7%d]2008-10-14", content, content * 3 / 4);
      SetWindowTextW(plain.form, caption);
      Drain();
    }));
    const RECT& f = plain.formRect;
    SetWindowPos(plain.form, nullptr, 0, 0, f.right - f.left, f.bottom - f.top, SWP_NOMOVE | SWP_NOZORDER);
  };
  Interleave(runs, oursSide, refSide);
  Row("zoom \"+\" per click (ms)", ours, ref, "%.2f", "<= 1.50x (bare calls)");
}

// ---- 5. full screen ------------------------------------------------------------

LRESULT CALLBACK PassKeyOn(int code, WPARAM wp, LPARAM lp) { return CallNextHookEx(nullptr, code, wp, lp); }

// The bare calls of the form's full screen, in and out: hide the window and
// the top row, drop the frame, the box to the monitor's size and the target
// with it, show maximized, watch the keyboard; and all of it back.
void BarePlainToggle(const PlainHost& plain, HWND target) {
  MONITORINFO mi{sizeof mi};
  GetMonitorInfoW(MonitorFromWindow(plain.form, MONITOR_DEFAULTTONEAREST), &mi);
  const int w = FullScreenWidth(mi.rcMonitor).value_or(0), h = FullScreenHeight(mi.rcMonitor).value_or(0);
  const LONG_PTR style = GetWindowLongPtrW(plain.form, GWL_STYLE);
  constexpr UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  ShowWindow(plain.form, SW_HIDE);
  for (HWND c : plain.row) ShowWindow(c, SW_HIDE);
  SetWindowLongPtrW(plain.form, GWL_STYLE, style & ~kFrame);
  SetWindowPos(plain.form, nullptr, 0, 0, 0, 0, kFrameChanged);
  SetWindowPos(plain.box, nullptr, 0, 0, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  MoveWindow(target, 0, 0, w, h, TRUE);
  ShowWindow(plain.form, SW_SHOWMAXIMIZED);
  UpdateWindow(plain.form);
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, PassKeyOn, GetModuleHandleW(nullptr), 0);
  Drain();

  const RECT& f = plain.formRect;
  const RECT& b = plain.boxRect;
  UnhookWindowsHookEx(hook);
  // The style as it is now, maximised: the restore then puts the window back
  // where it was, as the form's does (the style from before left it at 0,0).
  SetWindowLongPtrW(plain.form, GWL_STYLE, GetWindowLongPtrW(plain.form, GWL_STYLE) | kFrame);
  SetWindowPos(plain.form, nullptr, 0, 0, 0, 0, kFrameChanged);
  ShowWindow(plain.form, SW_RESTORE);
  SetWindowPos(plain.form, nullptr, 0, 0, f.right - f.left, f.bottom - f.top, SWP_NOMOVE | SWP_NOZORDER);
  for (HWND c : plain.row) ShowWindow(c, SW_SHOWNA);
  plain.Place(b.right - b.left, b.bottom - b.top);
  MoveWindow(target, 0, 0, b.right - b.left, b.bottom - b.top, TRUE);
  Drain();
}

// The keyboard watch is timed on its own as well: it is the one step of full
// screen whose way of working may change (a hook on the form's thread, or on
// a thread of its own), and its line shows what that way costs against a
// bare hook on this thread.
void FullScreenLines(frmMain& form, const PlainHost& plain, HWND target, int runs) {
  Runs ours, ref, watch, bareWatch;
  auto oursSide = [&] {
    InOurForm in(form, plain, target);
    ours.push_back(PerStepMs(kToggles, [&] {
      form.EnterFullScreen();
      Drain();
      form.LeaveFullScreen();
      Drain();
    }));
  };
  auto refSide = [&] {
    InPlainHost in(form, plain, target);
    ref.push_back(PerStepMs(kToggles, [&] { BarePlainToggle(plain, target); }));
  };
  auto watchSide = [&] {
    watch.push_back(PerStepMs(kWatches, [&] {
      WatchEsc(form.hWnd(), kMsgEscInProgram);
      StopWatchingEsc();
    }));
  };
  auto bareWatchSide = [&] {
    bareWatch.push_back(PerStepMs(kWatches, [&] {
      UnhookWindowsHookEx(SetWindowsHookExW(WH_KEYBOARD_LL, PassKeyOn, GetModuleHandleW(nullptr), 0));
    }));
  };
  Interleave(runs, oursSide, refSide);
  Row("full screen in+out per toggle (ms)", ours, ref, "%.1f", "<= 1.25x (bare calls)");
  Interleave(runs, watchSide, bareWatchSide);
  Row("  its keyboard watch on+off (ms)", watch, bareWatch, "%.3f", "none: its share (bare hook)");
}

// ---- 6. screenshot ---------------------------------------------------------------

// Removes the screenshots taken between `from` and now, numbered copies
// included (shots within one second take them); the size of the last one
// found, 0 when none was.
LONGLONG DeleteShots(const SYSTEMTIME& from) {
  std::set<std::wstring> names;
  for (const SYSTEMTIME& t : {from, rt::Now()})
    for (int copy = 1; copy <= kScreenshotNames; ++copy) names.insert(kScreenshotFolder + ScreenshotFileName(t, copy));
  LONGLONG bytes = 0;
  for (const std::wstring& n : names) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(n.c_str(), GetFileExInfoStandard, &a) || !DeleteFileW(n.c_str())) continue;
    bytes = (static_cast<LONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  }
  return bytes;
}

struct ThreadWindowSearch {
  const wchar_t* cls;
  DWORD style;
  HWND found;
};

BOOL CALLBACK FindThreadWindow(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ThreadWindowSearch*>(lp);
  wchar_t name[64];
  if (!GetClassNameW(h, name, 64) || lstrcmpiW(name, s->cls) != 0 ||
      (static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & s->style) != s->style)
    return TRUE;
  s->found = h;
  return FALSE;
}

// The shot is timed up to the first message the notice's balloon gets: by
// then the file is written and closed, and what follows (placing and showing
// the balloon, and the message loop's painting) is the notice's. The time is
// taken by a hook on sent messages of this thread, so the tool runs as it is.
HWND g_notice = nullptr;
double g_noticeAt = 0;

LRESULT CALLBACK NoteNotice(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && !g_noticeAt && reinterpret_cast<CWPSTRUCT*>(lp)->hwnd == g_notice) g_noticeAt = NowMs();
  return CallNextHookEx(nullptr, code, wp, lp);
}

// The reference's balloon: a plain tracking balloon tooltip, as bare as the tool's notice.
struct BareBalloon {
  HWND tip;
  TTTOOLINFOW ti{};
  explicit BareBalloon(HWND host, const wchar_t* text) {
    tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_BALLOON,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(rt::DefaultFont()), FALSE);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, static_cast<LPARAM>(360 * 15 / rt::TwipsPerPixelX()));
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_TRACK;
    ti.hwnd = host;
    ti.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  ~BareBalloon() { DestroyWindow(tip); }
  void Show(POINT at) {
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    SetTimer(ti.hwnd, 1, kNoticeMs, nullptr);
  }
  void Hide() {
    KillTimer(ti.hwnd, 1);
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
  }
};

void ScreenshotLines(frmMain& form, const PlainHost& plain, HWND target, int runs) {
  InOurForm in(form, plain, target);
  form.EnterFullScreen();
  Pump(300);
  const auto w = rt::CLngRound(form.picBox.Width()), h = rt::CLngRound(form.picBox.Height());
  // One untimed shot gives the still box its full-screen image and makes the notice.
  SYSTEMTIME at = rt::Now();
  form.OnScreenshot();
  Drain();
  const LONGLONG bytes = DeleteShots(at);
  if (!bytes) std::printf("screenshot: no file appeared in %s\n", Narrow(kScreenshotFolder).c_str());
  ThreadWindowSearch search{TOOLTIPS_CLASSW, TTS_BALLOON, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&search));
  g_notice = search.found;
  const std::vector<BYTE> buffer(static_cast<size_t>(bytes));
  const std::wstring refFile = std::wstring(kScreenshotFolder) + L"vistrel-bench-reference.bmp";
  const HWND box = form.picBox.hWnd();
  HDC src = GetDC(box);
  HDC screen = GetDC(nullptr);
  // The job in full screen: the box's client area as the screen shows it,
  // and the strips that overhang the monitor from the box's own DC.
  RECT client{}, on{};
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const RECT monitor = rt::MonitorOf(box);
  IntersectRect(&on, &client, &monitor);
  const int onW = on.right - on.left, onH = on.bottom - on.top;
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  HDC mem = CreateCompatibleDC(src);
  HBITMAP bmp = CreateCompatibleBitmap(src, w.value_or(1), h.value_or(1));
  HGDIOBJ old = SelectObject(mem, bmp);
  const std::wstring text = TipText(Tip::Saved) + (kScreenshotFolder + ScreenshotFileName(at));
  // On the plain host, so its timer is not the tool's notice timer.
  BareBalloon balloon(plain.form, text.c_str());
  const RECT button = form.cmdScreenshot.PixelRect();
  POINT stem{(button.left + button.right) / 2, button.bottom};
  ClientToScreen(form.hWnd(), &stem);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteNotice, nullptr, GetCurrentThreadId());

  Runs ours, oursWithNotice, ref, refWithBalloon;
  // A press on "截图" hides a notice still showing before the click: each
  // shot starts without one, ours and the reference's alike. Each file,
  // ours and the reference's, is a new one and is removed right after its
  // run: files kept until the end pile up unwritten pages in the system's
  // file cache, and past some 25 MB Linux makes the writing process wait
  // (12-16 ms instead of 1-3 for 5 MB), on whichever write of ours or the
  // reference's comes next. That wait, not the code, moved the reference.
  auto oursSide = [&] {
    // The reference's balloon would cover the box: the copy would read its DC.
    balloon.Hide();
    form.HideNotice();
    Pump(20);
    at = rt::Now();
    g_noticeAt = 0;
    const double t0 = NowMs();
    form.OnScreenshot();
    const double noticeAt = g_noticeAt ? g_noticeAt : NowMs();
    Drain();
    oursWithNotice.push_back(NowMs() - t0);
    ours.push_back(noticeAt - t0);
    DeleteShots(at);
  };
  auto refSide = [&] {
    balloon.Hide();
    Pump(20);
    const double t0 = NowMs();
    BitBlt(mem, 0, 0, onW, onH, screen, on.left, on.top, SRCCOPY);
    BitBlt(mem, onW, 0, cw - onW, ch, src, onW, 0, SRCCOPY);
    BitBlt(mem, 0, onH, onW, ch - onH, src, 0, onH, SRCCOPY);
    GdiFlush();
    WriteFileBytes(refFile, buffer.data(), static_cast<DWORD>(buffer.size()), CREATE_NEW);
    ref.push_back(NowMs() - t0);
    balloon.Show(stem);
    Drain();
    refWithBalloon.push_back(NowMs() - t0);
    DeleteFileW(refFile.c_str());
  };
  Interleave(runs, oursSide, refSide);
  UnhookWindowsHookEx(hook);
  form.HideNotice();
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(box, src);
  ReleaseDC(nullptr, screen);
  form.LeaveFullScreen();
  Pump(100);

  if (!g_notice) std::printf("screenshot: no notice found; the shot is timed with it\n");
  char what[64];
  std::snprintf(what, sizeof what, "screenshot %ldx%ld, %lld B (ms)", static_cast<long>(w.value_or(0)),
                static_cast<long>(h.value_or(0)), static_cast<long long>(bytes));
  Row(what, ours, ref, "%.1f", "<= 1.30x (screen+DC BitBlt, write)");
  Row("  with the notice after it (ms)", oursWithNotice, refWithBalloon, "%.1f", "<= 1.30x (+bare balloon)");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  std::vector<std::wstring> compare;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
    else if (a == "--compare-start" && i + 2 < argc)
      for (int k = 0; k < 2; ++k) {
        const std::string exe = argv[++i];
        compare.emplace_back(exe.begin(), exe.end());
      }
  }
  runs = std::max(runs, 5);
  Header(runs);
  if (!compare.empty()) {
    CompareStartLine(runs, compare[0].c_str(), compare[1].c_str());
    return 0;
  }
  SizeLine();
  StartAndMemoryLines(runs);

  auto target = StartTarget();
  if (!target) {
    std::printf("zoom, full screen, screenshot: vistrel_target.exe showed no window\n");
    return 1;
  }
  {
    frmMain form;
    form.SetStartValues();
    form.Show();
    Pump(300);
    const PlainHost plain(form);
    if (!plain.box) {
      std::printf("zoom, full screen, screenshot: no reference window\n");
      return 1;
    }
    ZoomLine(form, plain, target->window, runs);
    FullScreenLines(form, plain, target->window, runs);
    ScreenshotLines(form, plain, target->window, runs);
    form.Close();
    Pump(100);
  }
  return 0;
}
