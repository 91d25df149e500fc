#include <windows.h>

#include "form/frmMain.h"
#include "view/embed.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  frmMain form;
  GuardBorrowedWindows(form.hWnd());
  return form.Run();
}
