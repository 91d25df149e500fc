#include <windows.h>

#include <cstdlib>

#include "form/frmMain.h"
#include "form/tips.h"
#include "select/options.h"
#include "view/embed.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  // Asked before every other program when the session ends, so the windows
  // we hold are home before their programs hear of it.
  SetProcessShutdownParameters(0x3FF, 0);
  const CommandLine line = ParseCommandLine(__argc, __wargv);
  // Help, or wrong usage: said before any window is made or touched.
  if (line.options.help || line.bad) {
    Line said;
    if (line.bad) {
      said << TipText(Tip::WrongArgument) << __wargv[line.bad];
      if (line.badValue) said << L" " << __wargv[line.bad + 1];
      said << L"\n\n";
    }
    said.Usage();
    MessageBoxW(nullptr, said.Text(), L"Vistrel", line.bad ? MB_ICONERROR : MB_ICONINFORMATION);
    return line.bad ? 2 : 0;
  }
  frmMain form;
  form.Wanted = line.options;
  GuardBorrowedWindows(form.hWnd());
  return form.Run();
}
