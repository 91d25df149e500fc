#include <shlobj.h>

#include "capture/screenshot.h"
#include "runtime/convert.h"

std::wstring ScreenshotFileName(const SYSTEMTIME& t, int copy) {
  return rt::DecimalText(t.wYear) + rt::DecimalText(t.wMonth) + rt::DecimalText(t.wDay) +
         rt::DecimalText(t.wHour) + rt::DecimalText(t.wMinute) + rt::DecimalText(t.wSecond) +
         (copy > 1 ? L" (" + rt::DecimalText(copy) + L")" : std::wstring()) + L".bmp";
}

namespace {

// FOLDERID_Pictures, spelled out: taking it from the uuid library adds 40 KB.
constexpr GUID kPicturesFolderId = {0x33E28130, 0x4E1E, 0x4676, {0x83, 0x5A, 0x98, 0x39, 0x5C, 0x3B, 0xC3, 0xBB}};

}  // namespace

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

std::wstring SaveScreenshot(rt::Picture image, const std::wstring& folder, const SYSTEMTIME& at) {
  for (int copy = 1; copy <= kScreenshotNames; ++copy) {
    const std::wstring path = folder + ScreenshotFileName(at, copy);
    const rt::SaveResult result = rt::SavePicture(image, path);
    if (result != rt::SaveResult::NameTaken) return result == rt::SaveResult::Saved ? path : std::wstring();
  }
  return std::wstring();
}
