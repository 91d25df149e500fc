// Screenshot files: their names, free of window calls, and saving under a
// name that is free.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/runtime.h"

// Year, month, day, hour, minute and second, unpadded and unseparated, plus ".bmp":
// 2008-10-14 09:05:03 gives "20081014953.bmp". Names repeat (two clicks in a
// second, or 2008-1-11 1:00:00 and 2008-11-1 1:00:00), so the copy-th name
// tried after the first is numbered as Windows numbers copies:
// "20081014953 (2).bmp".
std::wstring ScreenshotFileName(const SYSTEMTIME& t, int copy = 1);

// How many names a folder is tried with before the next place is.
inline constexpr int kScreenshotNames = 100;

// The folder tried first.
inline constexpr wchar_t kScreenshotFolder[] = L"c:\\";

// Saves under the first free name in the folder (ending in a backslash): a
// screenshot the user has already is never replaced. The file's path, or
// empty when the folder takes none of the names.
std::wstring SaveScreenshot(rt::Picture image, const std::wstring& folder, const SYSTEMTIME& at);

// The user's Pictures folder with a trailing backslash (made if missing),
// empty if unknown.
std::wstring PicturesFolder();
