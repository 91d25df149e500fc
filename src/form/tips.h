// What the tool says beyond its captions: the tooltips of its controls and
// the notice after a screenshot, in the user's interface language.
#pragma once

#include <windows.h>

enum class Tip : int {
  Magnifier, Transfer, Larger, Smaller, Restore, Pause, Resume, Screenshot, FullScreen, Topmost,
  Ratio, Saved,
};

// The column of a language in the table: Chinese for a Chinese interface, else English.
int TipLanguage(LANGID uiLanguage);

// The text in the given column, or in the user's interface language.
const wchar_t* TipText(Tip tip, int language);
const wchar_t* TipText(Tip tip);
