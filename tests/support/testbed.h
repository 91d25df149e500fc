// Helpers for tests that drive real windows: the stand-in target program,
// the tool itself, real mouse and keyboard input, and waiting that keeps
// this thread's own windows alive.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "form/ids.h"
#include "target_protocol.h"

class frmMain;

namespace testbed {


// The folder of the running test exe; vistrel.exe and vistrel_target.exe
// are built next to it.
std::wstring BinDir();

// ---- waiting -------------------------------------------------------------

// Dispatches this thread's messages for ms milliseconds.
void Pump(DWORD ms);

// Polls pred every few milliseconds, pumping messages in between, until it
// holds or timeoutMs has passed. Returns its last value.
template <class Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (pred()) return true;
    if (GetTickCount64() >= end) return false;
    Pump(10);
  }
}

// ---- the stand-in target program -------------------------------------------

struct Target {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND main = nullptr, button = nullptr, edit = nullptr;  // children with --children
  HWND popup = nullptr;  // with --popup: a tool window `main` owns
};

// Starts vistrel_target.exe with args (see target_app.cpp) and waits up to
// 15 s for the line naming its windows. Empty if it did not come.
std::optional<Target> StartTarget(const std::wstring& args = L"");
// Closes its window, waits for the process, ends it if it hangs.
void StopTarget(Target& t);
bool ProcessAlive(const Target& t);
// Whether its program answers within timeoutMs, and is still the one started.
bool Answers(const Target& t, DWORD timeoutMs);
// Waits for the process to end; its exit code, or empty on timeout.
std::optional<DWORD> WaitExit(HANDLE process, DWORD timeoutMs);

// ---- the tool ------------------------------------------------------------

struct Tool {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND form = nullptr;
};

// Starts vistrel.exe and waits up to 15 s for its visible form; without
// `waitForForm`, returns at once with no form.
std::optional<Tool> StartTool(const std::wstring& args = L"", bool waitForForm = true);
// The same, closed as a user would (CloseTool) when the last copy goes, however a test ends.
std::shared_ptr<Tool> StartToolClosedAtEnd();
// Asks the form to close as a user would; ends the process after timeout.
// True when it ended by itself.
bool CloseTool(Tool& tool, DWORD timeoutMs = 10000);
// A control of the form by its row id; rows of the information panel live
// inside the frame.
HWND ToolControl(const Tool& tool, int id);

// ---- real input: reaches whatever window is under the pointer -------------
// Keys go through SendInput. The mouse does too on Windows; under Wine it
// moves the X pointer with xdotool, because SendInput moves echo there (see
// testbed.cpp). Points off the screen stop at its edge.

void MoveMouse(POINT p);
void MouseDown(int button = 0);  // 0 left, 1 right, 2 middle
void MouseUp(int button = 0);
void ClickAt(POINT p, int button = 0);
void ClickWindow(HWND h);
// Presses at from, moves to `to` in `steps` moves, releases there.
void Drag(POINT from, POINT to, int steps, int button = 0);
void PressKey(WORD vk);
void TypeText(const std::wstring& text);

// ---- reading windows -------------------------------------------------------

RECT WindowRectOf(HWND h);
RECT ClientRectInScreen(HWND h);
POINT CenterOf(HWND h);
std::wstring TextOf(HWND h);  // WM_GETTEXT; works across processes
std::wstring ClassOf(HWND h);
HWND ParentOf(HWND h);  // GetAncestor(GA_PARENT): the desktop for top-level windows
// A window's rectangle relative to the client origin of `host`.
RECT RectIn(HWND h, HWND host);
bool SameRect(const RECT& a, const RECT& b);
inline LONG WidthOf(const RECT& r) { return r.right - r.left; }
inline LONG HeightOf(const RECT& r) { return r.bottom - r.top; }

// Moves the pointer to p until the system reports it there. Under Wine the
// position may lag one injected move behind, and a press would then land
// where the pointer was before.
void PointAt(POINT p);

// A person's click on a button, until `done` shows it took effect: under
// load Wine may drop a click that first has to activate the form, and a
// person would click again. Only for clicks that may safely come twice.
template <class Pred>
bool ClickUntil(HWND button, Pred done) {
  const HWND form = GetAncestor(button, GA_ROOT);
  SetForegroundWindow(form);
  WaitUntil([&] { return GetForegroundWindow() == form; }, 3000);
  for (int attempt = 0; attempt < 2; ++attempt) {
    PointAt(CenterOf(button));
    MouseDown();
    MouseUp();
    // Long enough that a click merely late never meets a second one.
    if (WaitUntil(done, 10000)) return true;
  }
  return false;
}

// Picks h in a running tool as a person does: presses on the magnifier,
// waits until the tool holds the mouse, drags over h and nudges the pointer
// there until the tool has recorded it (under Wine it may read the position
// one move late), then lets go. True when the tool's handle field names h.
bool PickWithMagnifier(const Tool& tool, HWND h);

// Clicks the middle of a window once the pointer is seen resting there: a
// move can still be settling when the press arrives, which would then land
// where the pointer was before.
void ClickSettled(HWND h, DWORD timeoutMs = 10000);

// A tooltip window of the tool now on the screen, the balloon or the other
// kind; null when none shows.
HWND ShownToolTip(const Tool& tool, bool balloon);

// ---- the form hosted in this process ------------------------------------------

// A main form created, loaded and shown in this process, as the tool does.
std::unique_ptr<frmMain> OpenForm(DWORD timeoutMs = 10000);

// ---- message boxes -------------------------------------------------------

// While one of these lives, message boxes are the test's own business. At any
// other time a box shown by this process or by a program the test bed started
// is closed within moments, and the running test fails with the box's text.
class ExpectMessageBoxes {
 public:
  ExpectMessageBoxes();
  ~ExpectMessageBoxes();
  ExpectMessageBoxes(const ExpectMessageBoxes&) = delete;
  ExpectMessageBoxes& operator=(const ExpectMessageBoxes&) = delete;
};

HWND FindMessageBox(const std::wstring& title, DWORD timeoutMs = 5000);
std::wstring MessageBoxText(HWND box);
// Clicks OK and waits until the box is gone.
bool CloseMessageBox(HWND box);

// ---- files ------------------------------------------------------------------

// The first 512 bytes of a file, without the line ends at its end; empty if unreadable.
std::string ReadSmallFile(const std::wstring& path);

// Removes a screenshot named `name` ("....bmp") from `folder` (ending in a
// backslash) with its numbered copies ("... (2).bmp" and on), files or folders.
void RemoveShots(const std::wstring& folder, const std::wstring& name);

// ---- handles ----------------------------------------------------------------

// GDI objects and DCs that this exe's code has created (or, for windows
// without a DC of their own, borrowed) and not yet released, counted at the
// system calls themselves by patching the exe's import table: no wrapper of
// ours can make these books balance.
struct HandleCounts {
  bool counted;  // the calls could be redirected
  long gdiObjects;
  long deviceContexts;
  long system;  // GetGuiResources' GDI object count; 0 where it is a stub, as under Wine
};
HandleCounts LiveHandles();
// Fails when anything is still alive that was not before; says once in the
// output when the system's own count is not there to compare.
testing::AssertionResult SameHandles(const HandleCounts& before, const HandleCounts& after);

// Points this exe's import of the system function `name` at `replacement`
// (for all code linked into the exe, the tool's included) and returns what it
// pointed at before; null when the exe does not import it.
void* RedirectImport(const char* name, void* replacement);

// ---- what the test bed cleans up -------------------------------------------

// Whether pid is a program the test bed started (its message boxes are watched too).
bool StartedByTestbed(DWORD pid);
// Ends the processes started inside the running test; the test bed calls it
// when each test ends, so one left behind by a failure is not in the next one's way.
void EndTestProcesses();

}  // namespace testbed
