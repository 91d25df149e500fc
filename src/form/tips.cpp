#include "form/tips.h"

#include "form/convert.h"

namespace {

// One row per text, one column per language; a third language is one more
// column and one more case in TipLanguage.
constexpr const wchar_t* kTips[][2] = {
    // English, Chinese
    {L"Drag onto a window to pick it", L"按住拖到一个窗口上来选中它"},
    {L"Pick a window with the magnifier first, then move it in here", L"先用放大镜选一个窗口，再把它移进这里"},
    {L"Make the window larger (shape from the ratio)", L"放大窗口（形状按宽高比）"},
    {L"Make the window smaller (shape from the ratio)", L"缩小窗口（形状按宽高比）"},
    {L"Give the window back to where it came from", L"把窗口还给它原来的地方"},
    {L"Freeze the picture", L"冻结画面"},
    {L"Show the live picture again", L"恢复实时画面"},
    {L"Save the picture as a bitmap file", L"把画面保存为位图文件"},
    {L"Show the window on the whole screen (Esc returns)", L"全屏显示窗口（按 Esc 返回）"},
    {L"Keep this tool above other windows", L"让本工具总在其他窗口之上"},
    {L"Ratio for + and -: height = width \u00D7 this (0.2 to 5; 1.33 is 4:3)",
     L"+ 和 - 的比例：高 = 宽 \u00D7 此数（0.2 到 5；1.33 即 4:3）"},
    {L"Saved ", L"已保存 "},
    {L"This window belongs to a program running as administrator. To show it here, run Vistrel as administrator too.",
     L"该窗口属于以管理员身份运行的程序。要在此显示它，请也以管理员身份运行 Vistrel。"},
    {L"The program is not responding. Try again when it responds.", L"该程序没有响应。请在它响应后再试。"},
    {L"The window could not be moved here: ", L"无法把该窗口移到这里："},
    {L"The program is not responding. It goes back as soon as it responds.", L"该程序没有响应。它一响应就会还原。"},
    {L"Windows of UWP and WinUI apps and of Windows Terminal stop working when moved into another window, so "
     L"Vistrel leaves this one where it is.",
     L"UWP 和 WinUI 应用以及 Windows 终端的窗口移入其他窗口后会失效，因此 Vistrel 不移动它。"},
};

}  // namespace

int TipLanguage(LANGID uiLanguage) { return PRIMARYLANGID(uiLanguage) == LANG_CHINESE ? 1 : 0; }

const wchar_t* TipText(Tip tip, int language) { return kTips[static_cast<int>(tip)][language]; }

const wchar_t* TipText(Tip tip) {
  static const int language = TipLanguage(GetUserDefaultUILanguage());
  return TipText(tip, language);
}

std::wstring RefusalText(DWORD error) {
  if (error == ERROR_ACCESS_DENIED) return TipText(Tip::Elevated);
  std::wstring text = TipText(Tip::NotMoved);
  wchar_t said[256];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, said,
                           ARRAYSIZE(said), nullptr);
  while (n > 0 && (said[n - 1] == L'\r' || said[n - 1] == L'\n' || said[n - 1] == L' ')) --n;
  // Without the system's words, the number still tells a helper what went wrong.
  return n ? text.append(said, n) : text + L"error " + rt::DecimalText(static_cast<int32_t>(error));
}
