// Screenshot file names, free of window calls.
#pragma once

#include <windows.h>

#include <string>

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
