#include <windows.h>

#include "form/frmMain.h"
#include "view/embed.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Asked before every other program when the session ends, so the windows
  // we hold are home before their programs hear of it.
  SetProcessShutdownParameters(0x3FF, 0);
  frmMain form;
  GuardBorrowedWindows(form.hWnd());
  return form.Run();
}
