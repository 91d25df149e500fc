// What the tool says beyond its captions: the tooltips of its controls and
// the notices after a screenshot or a window not taken, in the user's
// interface language.
#pragma once

#include <windows.h>

#include <string>

enum class Tip : int {
  Magnifier, Transfer, Larger, Smaller, Restore, Pause, Resume, Screenshot, FullScreen, Topmost,
  Ratio, Saved, Elevated, NotResponding, NotMoved, GoesBackLater, BreaksWhenMoved,
};

// The column of a language in the table: Chinese for a Chinese interface, else English.
int TipLanguage(LANGID uiLanguage);

// The text in the given column, or in the user's interface language.
const wchar_t* TipText(Tip tip, int language);
const wchar_t* TipText(Tip tip);

// Why a window would not come into the box: the cause for a program running
// as administrator, else the system's own words for the error.
std::wstring RefusalText(DWORD error);
