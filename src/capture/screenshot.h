// Screenshot file names, free of window calls.
#pragma once

#include <windows.h>

#include <string>

// Year, month, day, hour, minute and second, unpadded and unseparated, plus ".bmp":
// 2008-10-14 09:05:03 gives "20081014953.bmp".
std::wstring ScreenshotFileName(const SYSTEMTIME& t);

// The folder tried first.
inline constexpr wchar_t kScreenshotFolder[] = L"c:\\";
