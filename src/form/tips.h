// What the tool says beyond its captions: the tooltips of its controls and
// the notices after a screenshot or a window not taken, in the user's
// interface language.
#pragma once

#include <windows.h>

#include <string>

enum class Tip : int {
  Magnifier, Transfer, Larger, Smaller, Restore, Pause, Resume, Screenshot, FullScreen, Topmost,
  Ratio, Saved, Elevated, NotResponding, NotMoved, Waiting, NotFound, KeysTaken, WrongArgument, Usage,
  GoesBackLater, BreaksWhenMoved, CropLeavesNothing, ContentOnlyKey, DrawPartKey,
};

// The column of a language in the table: Chinese for a Chinese interface, else English.
int TipLanguage(LANGID uiLanguage);

// The text in the given column, or in the user's interface language.
const wchar_t* TipText(Tip tip, int language);
const wchar_t* TipText(Tip tip);

// Text put together in place, cut short at its room: no allocation.
class Line {
 public:
  Line() { text_[0] = 0; }
  Line& operator<<(const wchar_t* s);
  // The tip's text with %1 and %2 replaced by the two values.
  Line& Said(Tip tip, const wchar_t* first, const wchar_t* second = L"");
  // The command line's usage, one line per option.
  Line& Usage();
  const wchar_t* Text() const { return text_; }
  bool Empty() const { return length_ == 0; }

 private:
  void Add(wchar_t c);
  wchar_t text_[768];
  size_t length_ = 0;
};

// Why a window would not come into the box: the cause for a program running
// as administrator, else the system's own words for the error.
std::wstring RefusalText(DWORD error);
