#include <shlobj.h>

#include "capture/screenshot.h"
#include "runtime/convert.h"
#include "form/frmMain.h"
#include "form/tips.h"

std::wstring ScreenshotFileName(const SYSTEMTIME& t, int copy) {
  return rt::DecimalText(t.wYear) + rt::DecimalText(t.wMonth) + rt::DecimalText(t.wDay) +
         rt::DecimalText(t.wHour) + rt::DecimalText(t.wMinute) + rt::DecimalText(t.wSecond) +
         (copy > 1 ? L" (" + rt::DecimalText(copy) + L")" : std::wstring()) + L".bmp";
}

namespace {

// FOLDERID_Pictures, spelled out: taking it from the uuid library adds 40 KB.
constexpr GUID kPicturesFolderId = {0x33E28130, 0x4E1E, 0x4676, {0x83, 0x5A, 0x98, 0x39, 0x5C, 0x3B, 0xC3, 0xBB}};

// The user's Pictures folder with a trailing backslash (made if missing), empty if unknown.
// The shell is loaded only here, on the rare path that needs it, so that
// start-up does not pay for it.
std::wstring PicturesFolder() {
  using GetKnownFolder = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  using FreeTaskMemory = void(WINAPI*)(LPVOID);
  std::wstring folder;
  const HMODULE shell = LoadLibraryW(L"shell32.dll");
  const HMODULE com = LoadLibraryW(L"ole32.dll");
  const auto getFolder =
      shell ? reinterpret_cast<GetKnownFolder>(GetProcAddress(shell, "SHGetKnownFolderPath")) : nullptr;
  const auto freeMemory =
      com ? reinterpret_cast<FreeTaskMemory>(GetProcAddress(com, "CoTaskMemFree")) : nullptr;
  PWSTR path = nullptr;
  if (getFolder && freeMemory && SUCCEEDED(getFolder(kPicturesFolderId, KF_FLAG_CREATE, nullptr, &path)) &&
      path) {
    folder = path;
    folder += L'\\';
  }
  if (freeMemory) freeMemory(path);
  if (com) FreeLibrary(com);
  if (shell) FreeLibrary(shell);
  return folder;
}

// Saves under the first free name in the folder: a screenshot the user has
// already is never replaced. The file's path, or empty when the folder takes
// none of the names.
std::wstring SaveScreenshot(rt::Picture image, const std::wstring& folder, const SYSTEMTIME& at) {
  for (int copy = 1; copy <= kScreenshotNames; ++copy) {
    const std::wstring path = folder + ScreenshotFileName(at, copy);
    const rt::SaveResult result = rt::SavePicture(image, path);
    if (result != rt::SaveResult::NameTaken) return result == rt::SaveResult::Saved ? path : std::wstring();
  }
  return std::wstring();
}

// How long the notice of a saved screenshot stays, unless a click comes first.
constexpr UINT kSavedNoticeMs = 5000;

}  // namespace

// The still box takes the display box's place and a copy of what it shows;
// it stays beneath the display box. Errors ignored, step by step. True when
// the copy was made: it then covers the still box's whole image.
bool frmMain::FillStillBox() {
  {
    // One move of the still box instead of four.
    rt::LayoutBatch batch(*this);
    Picture5.SetScaleMode(3);
    Picture5.SetAutoRedraw(true);
    Picture5.SetLeft(Picture4.Left());
    Picture5.SetTop(Picture4.Top());
    Picture5.SetWidth(Picture4.Width());
    Picture5.SetHeight(Picture4.Height());
  }
  Picture5.SetVisible(true);
  return CopyShownPicture();
}

// What DirectX and UWP programs show reaches the screen through DWM and is
// missing from the box's own DC, so the picture is taken from the screen as
// composed, but only while it shows the whole box and nothing over it; else
// from the box's DC. Neither asks the embedded program for anything.
bool frmMain::CopyShownPicture() {
  // A tip of ours over the box counts as covering it: hidden now, it may
  // stay on the screen a moment (Wine repaints what it uncovers later).
  const std::optional<RECT> shown = rt::ClientShownWhole(Picture4.hWnd());
  HideTips();
  const RECT box = Picture4.PixelRect();
  const HDC still = Picture5.hDC();
  if (shown) {
    rt::ScopedWindowDC screen(nullptr);
    // No CAPTUREBLT: the pointer would blink.
    if (screen && BitBlt(still, 0, 0, shown->right - shown->left, shown->bottom - shown->top, screen.Get(),
                         shown->left, shown->top, SRCCOPY))
      return true;
  }
  return BitBlt(still, 0, 0, box.right - box.left, box.bottom - box.top, Picture4.hDC(), 0, 0, SRCCOPY) != FALSE;
}

// Where the screenshot went, in a balloon at "截图" that needs no answer.
void frmMain::ShowSaved(const std::wstring& path) {
  ShowNotice(Command5, TipText(Tip::Saved) + path, kSavedNoticeMs);
}

// Errors ignored: a step that fails is skipped and the next one runs.
void frmMain::Command4_Click() {
  if (Command4.Caption() == L"暂停") {
    FillStillBox();
    Picture4.SetVisible(false);
    SetPauseCaption(L"继续");
    Picture5.Refresh();
  } else {
    Picture4.SetVisible(true);
    Picture5.SetVisible(false);
    SetPauseCaption(L"暂停");
  }
}

// Errors ignored, as above.
void frmMain::Command5_Click() {
  if (Command4.Caption() == L"暂停") {
    // Clearing 5 MB first is wasted when the copy covers all of it.
    if (!FillStillBox()) Picture5.Cls();
  }
  const SYSTEMTIME now = rt::Now();
  // The root of drive C is closed to standard users on current Windows, so
  // the Pictures folder stands in; a screenshot that is nowhere is said so.
  std::wstring saved = SaveScreenshot(Picture5.Image(), kScreenshotFolder, now);
  if (!saved.empty()) return ShowSaved(saved);
  const std::wstring pictures = PicturesFolder();
  if (!pictures.empty()) saved = SaveScreenshot(Picture5.Image(), pictures, now);
  if (!saved.empty()) return ShowSaved(saved);
  const std::wstring name = ScreenshotFileName(now);
  rt::MsgBox(L"截图未能保存，已尝试保存到：\n" + (kScreenshotFolder + name) +
                 (pictures.empty() ? std::wstring() : L"\n" + pictures + name),
             MB_OK | MB_ICONEXCLAMATION, L"提示");
}
