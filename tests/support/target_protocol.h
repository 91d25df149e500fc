// What tests and the stand-in target program (vistrel_target.exe) say to
// each other.
#pragma once

#include <windows.h>

namespace testbed {

// vistrel_target.exe answers this with its process id: "is it still running
// and still answering" in one call.
constexpr UINT kMsgTargetPid = WM_APP + 1;
// Posted to vistrel_target.exe's main window: it stops answering for wParam
// milliseconds, as a program that hangs.
constexpr UINT kMsgTargetHang = WM_APP + 2;
// vistrel_target.exe answers this with how many Esc presses its windows got.
constexpr UINT kMsgTargetEscCount = WM_APP + 3;
// vistrel_target.exe answers this with GetTickCount() when it last took a key
// from its queue, 0 before the first.
constexpr UINT kMsgTargetLastKeyTick = WM_APP + 4;

}  // namespace testbed
