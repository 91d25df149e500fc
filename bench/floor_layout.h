// The window tree vistrel_floor.exe rebuilds: the tool's form and its
// controls as they stand after loading, read from a form hosted in the bench
// and written to a file the floor exe reads at start. So the floor always has
// the form's controls (kinds, places, captions, styles, font) without a
// second copy of the form's table.
#pragma once

#include <windows.h>

namespace floorexe {

// A windowed control, or a label (cls empty), which the floor paints on its
// container as the tool does, in the system's text colour.
struct Item {
  int parent;  // index of the container in `items`, -1 for the form
  wchar_t cls[16];
  DWORD style, exStyle;
  RECT rect;  // in the parent's client pixels
  wchar_t text[32];
};

struct Layout {
  DWORD style, exStyle;
  RECT rect;  // the form's outer rectangle on the screen
  wchar_t caption[64];
  LOGFONTW font;  // the face and size the tool chose
  int count;
  Item items[48];
};

// The floor's window classes: the form, and the plain child window that
// stands in for a picture box or a frame.
inline constexpr wchar_t kFormClass[] = L"VistrelFloor";
inline constexpr wchar_t kBoxClass[] = L"VistrelFloorBox";

}  // namespace floorexe
