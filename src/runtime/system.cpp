// Services beside the controls: screen and units, monitors, pictures and
// saving them, the default font, message boxes, the clock, live windows.
#include "runtime/runtime.h"

#include <vector>

#include "runtime/internal.h"

namespace rt {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

HBRUSH FaceBrush() { return GetSysColorBrush(COLOR_BTNFACE); }

namespace {

int ScreenDpi(int axis) {
  static int dpi[2] = {0, 0};
  const int i = axis == LOGPIXELSX ? 0 : 1;
  if (!dpi[i]) {
    ScopedWindowDC screen(nullptr);
    dpi[i] = screen ? GetDeviceCaps(screen.Get(), axis) : 96;
    if (dpi[i] <= 0) dpi[i] = 96;
  }
  return dpi[i];
}

}  // namespace

float TwipsPerPixelX() { return 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSX)); }
float TwipsPerPixelY() { return 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSY)); }

float ScreenInfo::Width() const {
  return static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * rt::TwipsPerPixelX();
}
float ScreenInfo::Height() const {
  return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * rt::TwipsPerPixelY();
}

RECT MonitorOf(HWND hwnd) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info)) return info.rcMonitor;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

namespace {

// Windows on another virtual desktop, and suspended apps, are visible but
// cloaked: not on the screen. Without dwmapi nothing is.
bool Cloaked(HWND hwnd) {
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  const auto get = dwm ? reinterpret_cast<GetAttribute>(GetProcAddress(dwm, "DwmGetWindowAttribute")) : nullptr;
  DWORD cloaked = 0;
  return get && SUCCEEDED(get(hwnd, 14 /* DWMWA_CLOAKED */, &cloaked, sizeof cloaked)) && cloaked;
}

}  // namespace

std::optional<RECT> ClientUncovered(HWND hwnd) {
  RECT area{};
  if (!IsWindowVisible(hwnd) || !GetClientRect(hwnd, &area)) return std::nullopt;
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
  for (HWND above = GetWindow(GetAncestor(hwnd, GA_ROOT), GW_HWNDPREV); above;
       above = GetWindow(above, GW_HWNDPREV)) {
    RECT rc, meet;
    if (IsWindowVisible(above) && GetWindowRect(above, &rc) && IntersectRect(&meet, &rc, &area) &&
        !Cloaked(above))
      return std::nullopt;
  }
  return area;
}

Picture ResourceCursor(int id) {
  return {LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 32, 32, LR_SHARED),
          IMAGE_CURSOR};
}

SaveResult SavePicture(Picture picture, const std::wstring& fileName) {
  if (!picture || picture.type != IMAGE_BITMAP) return SaveResult::Failed;
  DIBSECTION dib{};
  const int got = GetObjectW(picture.handle, sizeof dib, &dib);
  const BITMAP& bm = dib.dsBm;
  if (!got || bm.bmWidth <= 0 || bm.bmHeight <= 0) return SaveResult::Failed;
  BITMAPINFOHEADER header{};
  std::vector<BYTE> converted;
  const BYTE* bits = nullptr;
  DWORD imageBytes = 0;
  if (got == sizeof(DIBSECTION) && bm.bmBits && dib.dsBmih.biHeight > 0 &&
      (bm.bmBitsPixel == 24 || bm.bmBitsPixel == 32)) {
    // A bottom-up DIB section already is a BMP file's pixel block.
    GdiFlush();
    header = dib.dsBmih;
    header.biCompression = BI_RGB;
    imageBytes = static_cast<DWORD>(bm.bmWidthBytes) * static_cast<DWORD>(bm.bmHeight);
    header.biSizeImage = imageBytes;
    bits = static_cast<const BYTE*>(bm.bmBits);
  } else {
    const DWORD stride = (static_cast<DWORD>(bm.bmWidth) * 3 + 3) & ~3u;
    imageBytes = stride * static_cast<DWORD>(bm.bmHeight);
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = bm.bmWidth;
    header.biHeight = bm.bmHeight;  // bottom-up, as BMP files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageBytes;
    converted.resize(imageBytes);
    BITMAPINFO info{};
    info.bmiHeader = header;
    ScopedWindowDC screen(nullptr);
    if (!screen || GetDIBits(screen.Get(), static_cast<HBITMAP>(picture.handle), 0,
                             static_cast<UINT>(bm.bmHeight), converted.data(), &info, DIB_RGB_COLORS) !=
                       bm.bmHeight)
      return SaveResult::Failed;
    bits = converted.data();
  }
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  // Created only if the name is free, in the one call: nothing is ever replaced.
  ScopedFile out(CreateFileW(fileName.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? SaveResult::NameTaken
                                                                       : SaveResult::Failed;
  }
  DWORD n1 = 0, n2 = 0, n3 = 0;
  const bool written = WriteFile(out.Get(), &file, sizeof file, &n1, nullptr) && n1 == sizeof file &&
                       WriteFile(out.Get(), &header, sizeof header, &n2, nullptr) && n2 == sizeof header &&
                       WriteFile(out.Get(), bits, imageBytes, &n3, nullptr) && n3 == imageBytes;
  if (written) return SaveResult::Saved;
  // A half-written bitmap is worse than none; the handle names exactly the file we made.
  FILE_DISPOSITION_INFO gone{TRUE};
  SetFileInformationByHandle(out.Get(), FileDispositionInfo, &gone, sizeof gone);
  return SaveResult::Failed;
}

int MsgBox(std::wstring_view text, UINT style, std::wstring_view title) {
  const std::wstring t = Owned(text), c = Owned(title);
  return MessageBoxW(GetActiveWindow(), t.c_str(), c.c_str(), style);
}

SYSTEMTIME Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return st;
}

namespace {

bool ShowsCaptions(HDC dc, HFONT font) {
  ScopedSelect sel(dc, font);
  static const wchar_t kSample[] = L"传输暂停截图全屏还原最前宽高比本程序大小+-0123456789K:";
  constexpr int kLength = ARRAYSIZE(kSample) - 1;
  WORD glyphs[kLength] = {};
  if (GetGlyphIndicesW(dc, kSample, kLength, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
    return false;
  for (WORD g : glyphs)
    if (g == 0xFFFF) return false;
  return true;
}

struct FaceSearch {
  HDC dc;
  LOGFONTW lf;
  bool found;
};

int CALLBACK TryChineseFace(const LOGFONTW* candidate, const TEXTMETRICW*, DWORD, LPARAM param) {
  auto* search = reinterpret_cast<FaceSearch*>(param);
  if (candidate->lfFaceName[0] == L'@') return 1;  // vertical variants
  LOGFONTW lf = search->lf;
  lstrcpynW(lf.lfFaceName, candidate->lfFaceName, LF_FACESIZE);
  lf.lfCharSet = DEFAULT_CHARSET;
  ScopedFont font(CreateFontIndirectW(&lf));
  if (!font || !ShowsCaptions(search->dc, font.Get())) return 1;
  search->lf = lf;
  search->found = true;
  return 0;
}

}  // namespace

HFONT DefaultFont() {
  static ScopedFont font;
  if (font) return font.Get();
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  LOGFONTW lf{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    lf = ncm.lfMessageFont;
  else
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  // The layout was made for 9-point text (12-pixel Chinese characters at 96 dpi).
  lf.lfHeight = -MulDiv(9, ScreenDpi(LOGPIXELSY), 72);
  font.Reset(CreateFontIndirectW(&lf));
  ScopedWindowDC screen(nullptr);
  if (screen && !ShowsCaptions(screen.Get(), font.Get())) {
    // The captions are Chinese: take the first face that has all their
    // glyphs, trying the usual ones before going through every font.
    FaceSearch search{screen.Get(), lf, false};
    static const wchar_t* const kLikely[] = {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun",
                                             L"WenQuanYi Micro Hei"};
    for (const wchar_t* face : kLikely) {
      LOGFONTW candidate{};
      lstrcpynW(candidate.lfFaceName, face, LF_FACESIZE);
      if (!TryChineseFace(&candidate, nullptr, 0, reinterpret_cast<LPARAM>(&search))) break;
    }
    if (!search.found) {
      LOGFONTW query{};
      query.lfCharSet = GB2312_CHARSET;
      EnumFontFamiliesExW(screen.Get(), &query, TryChineseFace, reinterpret_cast<LPARAM>(&search), 0);
    }
    if (search.found) font.Reset(CreateFontIndirectW(&search.lf));
  }
  return font.Get();
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM n) {
  ++*reinterpret_cast<long*>(n);
  return TRUE;
}
BOOL CALLBACK CountTop(HWND hwnd, LPARAM n) {
  ++*reinterpret_cast<long*>(n);
  EnumChildWindows(hwnd, CountChild, n);
  return TRUE;
}
}  // namespace

long LiveWindows() {
  long n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&n));
  return n;
}

}  // namespace rt
