// The form's numbers in one place: its controls' child-window ids, the
// messages posted to it and its timers, all outside what the runtime keeps
// for itself.
#pragma once

#include <windows.h>

#include "runtime/runtime.h"

// Child-window ids of frmMain's controls: the row of each control in the
// form's creation order. Labels draw on their container and have no window,
// so their ids are never found with GetDlgItem.
namespace ids {
enum : int {
  picBox = 1, lblSize, cmdFullScreen, cmdScreenshot, cmdFreeze, txtRatio, cmdGiveBack, chkTopmost,
  picArrow, picMagnifier, picMagnifierCursor, cmdZoomOut, cmdZoomIn, cmdTake, fraWindowInfo,
  txtTitle, txtHandle, txtParent, txtTop, txtLeft, txtWidth, txtHeight,
  txtClassName, lblTitle, lblHandle, lblParent, lblTop, lblLeft, lblWidth, lblHeight,
  lblClassName, picStill, lblRatio,
};
}  // namespace ids

// Posted to the form: Esc typed into the embedded program in full screen;
// the program of a window "还原" waits for has answered (wParam: the window).
constexpr UINT kMsgEscInProgram = WM_APP + 1;
constexpr UINT kMsgProgramAnswered = WM_APP + 2;
// The layer a part is drawn on has closed (wParam, lParam: the part, DrawnPart).
constexpr UINT kMsgPartDrawn = WM_APP + 3;

// The form's timers: the next look for the window the command line names,
// and the moment "还原" says a program is not answering yet.
constexpr UINT_PTR kLookTimer = rt::Form::kFirstFormTimer;
constexpr UINT_PTR kGiveBackTimer = rt::Form::kFirstFormTimer + 1;
