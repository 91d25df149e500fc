// Full-screen view: the size arithmetic, free of window calls, and the watch
// that lets Esc leave full screen from inside the embedded program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// The full-screen box's outer width and height on a monitor: its whole
// width plus 4 and its whole height plus 3 pixels, wherever it lies. Empty
// when the monitor has no extent on that axis or the sum does not fit 32 bits.
std::optional<int32_t> FullScreenWidth(const RECT& monitor);
std::optional<int32_t> FullScreenHeight(const RECT& monitor);

// Posted to the form when Esc is typed into a window of another thread
// inside it (the embedded program) while full screen is on.
constexpr UINT kMsgEscInProgram = WM_APP + 1;

// Watches the keyboard for Esc on behalf of `form` until StopWatchingEsc:
// a low-level hook on a thread of its own that passes every key on, keeps
// none, and only posts kMsgEscInProgram when the tool's window is the active
// one. Stopping ends the thread.
void WatchEsc(HWND form);
void StopWatchingEsc();
bool WatchingEsc();
