// The tool's one window: its controls, its form-level state and its event
// handlers. The handlers of each subsystem live beside that subsystem
// (select/, view/, capture/); the layout and the lifecycle live in form/.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/runtime.h"
#include "form/tips.h"
#include "select/options.h"
#include "window/Window.h"

class frmMain final : public rt::Form {
 public:
  frmMain();
  // Out of line: inline, each file that ends a form kept a copy of its own.
  ~frmMain() override;

  // Controls, in creation order, which is also their stacking order.
  rt::PictureBox Picture4;
  rt::Label Label1;
  rt::CommandButton Command6;
  rt::CommandButton Command5;
  rt::CommandButton Command4;
  rt::TextBox Text2;
  rt::CommandButton Command3;
  rt::CheckBox Check1;
  rt::PictureBox Picture2;
  rt::PictureBox Picture3;
  rt::PictureBox Picture1;
  rt::CommandButton Command2;
  rt::CommandButton Command1;
  rt::CommandButton cmdTransfer;
  rt::Frame fraWindowInfo;
  rt::TextBox txtWindowText;
  rt::TextBox txthWnd;
  rt::TextBox Text1;
  rt::TextBox txtTop;
  rt::TextBox txtLeft;
  rt::TextBox txtWidth;
  rt::TextBox txtHeight;
  rt::TextBox txtClassName;
  rt::Label lblTitle;
  rt::Label Label2;
  rt::Label Label3;
  rt::Label lblTop;
  rt::Label lblLeft;
  rt::Label lblWidth;
  rt::Label lblHeight;
  rt::Label lblClassName;
  rt::PictureBox Picture5;
  rt::Label Label4;

  // Form-level state.
  struct POINTAPI_FIND {
    int32_t x;
    int32_t y;
    int32_t hwndFound;
  };
  int32_t CurHandle = 0;
  bool Picking = false;
  POINTAPI_FIND PickPoint{};
  float AspectFactor = 0.0f;
  float SavedFormWidth = 0.0f;
  float SavedFormHeight = 0.0f;
  float SavedPicWidth = 0.0f;
  float SavedPicHeight = 0.0f;
  float SavedPicTop = 0.0f;
  float SavedPicLeft = 0.0f;
  // Whether full screen was entered at least once (Esc before that does nothing).
  bool FullScreenSaved = false;
  // The window "还原" gives back once its program answers (none: nullptr),
  // the parent it had then, and the one it goes back to.
  HWND GivingBack = nullptr;
  HWND GivingBackFrom = nullptr;
  int32_t GivingBackTo = 0;

  // What the command line asked for; set before Run.
  Options Wanted{};

  // The current target, created on first use.
  Window& CurWindow();

  // Lifecycle and always-on-top.
  void Form_Load();
  void Form_Unload(int& Cancel);
  bool Form_QueryEndSession(LPARAM lParam);
  void Form_EndSession(LPARAM lParam);
  void Check1_Click();

  // Picking a window.
  void Picture3_MouseDown(int Button, int Shift, float X, float Y);
  void Picture3_MouseMove(int Button, int Shift, float X, float Y);
  void Picture3_MouseUp(int Button, int Shift, float X, float Y);
  void FillProps(const int32_t& lWindow);
  // PickPoint: the pointer's place and the window under it.
  void LookUnderPointer();

  // Taking a window without the mouse: the command line's wait, the hotkeys.
  void TakeWindow(HWND h);
  void LookForWanted();
  void Form_HotKey(int id);

  // Embedding and release.
  void cmdTransfer_Click();
  void Command3_Click();
  void Form_ProgramAnswered(HWND window);
  void Form_StillNotAnswering();

  // Zoom.
  void Command1_Click();
  void Command2_Click();

  // Full screen.
  void Command6_Click();
  void Form_KeyPress(int& KeyAscii);
  void Form_EscInProgram();
  void fullscreen();
  void smallscreen();

  // Freeze and screenshot.
  void Command4_Click();
  void Command5_Click();

  // "暂停" or "继续" on the freeze button, with the tooltip that goes with it.
  void SetPauseCaption(std::wstring_view caption);

 private:
  void SetToolTips();
  void Zoom(int step);
  void FitTarget();
  void ResumeLive();
  bool FillStillBox();
  bool CopyShownPicture();
  void ShowSaved(const std::wstring& path);
  void StartFromCommandLine();
  void UnregisterHotKeys();
  void EndWait();
  // The button's tooltip, naming its hotkey when that is registered.
  void SetKeyTip(rt::Control& button, const wchar_t* tip, int key);

  void OnLoad() override;
  void OnUnload(int& cancel) override;
  void OnDestroying() override;
  void OnKeyPress(int& keyAscii) override;
  void OnAppMessage(UINT msg, WPARAM wp) override;
  bool OnQueryEndSession(LPARAM reason) override;
  void OnEndSession(LPARAM reason) override;
  void OnClick(rt::Control& control) override;
  void OnMouseDown(rt::Control& c, int button, int shift, float x, float y) override;
  void OnMouseMove(rt::Control& c, int button, int shift, float x, float y) override;
  void OnMouseUp(rt::Control& c, int button, int shift, float x, float y) override;
  void OnHotKey(int id) override;
  void OnTimer(UINT_PTR id) override;

  std::optional<Window> curWindow_;
  int looksLeft_ = 0;         // at the window the command line names, after the next
  bool waitNoticed_ = false;  // the notice of the wait has been shown
  Line keysNotice_;           // which hotkeys another program holds, if any
  UINT heldKeys_ = 0;         // bit per hotkey registered
};

// The caption that follows a display box of the given content size.
std::wstring SizeCaption(float contentWidth, float contentHeight);
