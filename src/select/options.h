// What the command line asks for, read without a window call: which window
// to take and how, and the modifiers of the hotkeys.
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/crop.h"

// How long the command line's window is looked for unless --wait says.
inline constexpr uint32_t kDefaultWaitSeconds = 10;

// Nothing asked is all zero, so the tool as it starts without arguments.
struct Options {
  // Arguments as given (they live as long as the process); null when not given.
  const wchar_t* title;
  const wchar_t* cls;
  const wchar_t* exe;
  const wchar_t* hwndText;
  const wchar_t* waitText;
  const wchar_t* ratio;  // as typed
  const wchar_t* hotkeysText;
  const wchar_t* cropText;
  int32_t hwnd;  // read from hwndText
  uint32_t wait;
  UINT hotkeys;  // read from hotkeysText; 0 for "none"
  Insets crop;   // read from cropText; all zero for "content"
  bool fullscreen, noTopmost, help;

  bool WantsWindow() const { return title || cls || exe || hwndText; }
  uint32_t WaitSeconds() const { return waitText ? wait : kDefaultWaitSeconds; }
  UINT HotKeys() const { return hotkeysText ? hotkeys : MOD_CONTROL | MOD_ALT | MOD_SHIFT; }
};

struct CommandLine {
  Options options;
  int bad;        // where the argument at fault stands in argv; 0 when all is well
  bool badValue;  // its value, the next one, is at fault with it
};

// argv[0] is the program and is not read.
CommandLine ParseCommandLine(int argc, const wchar_t* const* argv);

// "ctrl+alt+shift" and the like (two or more, each once, any case), or
// "none" for 0; false for anything else.
bool ParseModifiers(const wchar_t* text, UINT& mods);

// A line per option: its name and, for the first eight, its value's.
extern const wchar_t kOptionNames[];

// The modifiers as hotkeys are written ("Ctrl+Alt+Shift+F"; --hotkeys takes
// them in any case), and their MOD_ bits.
extern const wchar_t kModifierNames[4][6];
extern const BYTE kModifierBits[4];
