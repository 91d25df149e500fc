#include "form/tips.h"

#include "runtime/convert.h"
#include "select/options.h"

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
    {L"Waiting %2 s for a window matching \u201C%1\u201D.", L"等待与\u201C%1\u201D相符的窗口，最多 %2 秒。"},
    {L"No window matching \u201C%1\u201D appeared within %2 s.", L"%2 秒内没有出现与\u201C%1\u201D相符的窗口。"},
    {L"Skipped, in use elsewhere: %1", L"已跳过，被其他程序占用：%1"},
    {L"Wrong argument: ", L"参数有误："},
    // After the first line, one per option, beside its name (kOptionNames).
    {L"vistrel [options]\n"
     L"title contains TEXT\n"
     L"window class\n"
     L"program (notepad.exe)\n"
     L"handle, decimal or 0x hex\n"
     L"seconds to look (10; 0: once)\n"
     L"ratio, 0.2 to 5\n"
     L"keys T F R P S C D: 2+ of ctrl+alt+shift+win (ctrl+alt+shift), or none\n"
     L"the program's content alone, less L,T,R,B pixels at its edges\n"
     L"then full screen\n"
     L"\"最前\" off\n"
     L"this text",
     L"vistrel [选项]\n"
     L"标题含 TEXT\n"
     L"窗口类\n"
     L"程序（notepad.exe）\n"
     L"句柄，十进制或 0x 十六进制\n"
     L"找几秒（10；0：找一次）\n"
     L"宽高比，0.2 到 5\n"
     L"T F R P S C D 键：ctrl+alt+shift+win 中两个以上（ctrl+alt+shift），或 none\n"
     L"只显示程序的内容，四边再去掉 L,T,R,B 像素\n"
     L"然后全屏\n"
     L"\"最前\"关闭\n"
     L"本说明"},
    {L"The program is not responding. It goes back as soon as it responds.", L"该程序没有响应。它一响应就会还原。"},
    {L"Windows of UWP and WinUI apps and of Windows Terminal stop working when moved into another window, so "
     L"Vistrel leaves this one where it is.",
     L"UWP 和 WinUI 应用以及 Windows 终端的窗口移入其他窗口后会失效，因此 Vistrel 不移动它。"},
    {L"That would leave nothing of the window to show; what it shows stays as it was.",
     L"这样窗口就什么也不剩了；显示的内容保持不变。"},
    // After "全屏"'s own tip and key, each followed by its key.
    {L"; content only or the whole window: ", L"；只显示内容或整个窗口："},
    {L"; draw the part to show: ", L"；画出要显示的部分："},
};

}  // namespace

int TipLanguage(LANGID uiLanguage) { return PRIMARYLANGID(uiLanguage) == LANG_CHINESE ? 1 : 0; }

const wchar_t* TipText(Tip tip, int language) { return kTips[static_cast<int>(tip)][language]; }

const wchar_t* TipText(Tip tip) {
  static const int language = TipLanguage(GetUserDefaultUILanguage());
  return TipText(tip, language);
}

void Line::Add(wchar_t c) {
  if (length_ + 1 >= ARRAYSIZE(text_)) return;
  text_[length_++] = c;
  text_[length_] = 0;
}

Line& Line::operator<<(const wchar_t* s) {
  while (*s) Add(*s++);
  return *this;
}

// The first line alone, then a line per option: its name, a dash, what it does.
Line& Line::Usage() {
  const wchar_t* said = TipText(Tip::Usage);
  for (const wchar_t* name = nullptr;; Add(L'\n')) {
    if (name) {
      while (*name != L'\n') Add(*name++);
      ++name;
      *this << L" \u2014 ";
    } else {
      name = kOptionNames;
    }
    while (*said && *said != L'\n') Add(*said++);
    if (!*said++) return *this;
  }
}

Line& Line::Said(Tip tip, const wchar_t* first, const wchar_t* second) {
  for (const wchar_t* c = TipText(tip); *c; ++c) {
    if (c[0] == L'%' && (c[1] == L'1' || c[1] == L'2')) *this << (*++c == L'1' ? first : second);
    else Add(*c);
  }
  return *this;
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
