// The tool's one window: its controls, its state and its event handlers.
// Each family of handlers has a file of its own in form/ (take.cpp,
// zoom_fullscreen.cpp, crop.cpp, freeze_shot.cpp, unattended.cpp, lifecycle.cpp); the
// subsystems they call (select/, view/, capture/) take plain handles and
// rectangles and know nothing of the form. Only form/ speaks to the user.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "form/tips.h"
#include "runtime/runtime.h"
#include "select/options.h"
#include "view/thumbnail.h"

class frmMain final : public rt::Form {
 public:
  frmMain();
  // Out of line: inline, each file that ends a form kept a copy of its own.
  ~frmMain() override;

  // Controls, in creation order, which is also their stacking order.
  rt::PictureBox picBox;       // the display box the taken window lives in
  rt::Label lblSize;           // "本程序大小88K", in the box
  rt::CommandButton cmdFullScreen;
  rt::CommandButton cmdScreenshot;
  rt::CommandButton cmdFreeze;  // "暂停" while live, "继续" while frozen
  rt::TextBox txtRatio;         // the height-to-width ratio the user types
  rt::CommandButton cmdGiveBack;
  rt::CheckBox chkTopmost;
  rt::PictureBox picArrow;             // hidden: the arrow cursor
  rt::PictureBox picMagnifier;         // the box the magnifier is dragged from
  rt::PictureBox picMagnifierCursor;   // hidden: the magnifier cursor
  rt::CommandButton cmdZoomOut;
  rt::CommandButton cmdZoomIn;
  rt::CommandButton cmdTake;
  // The hidden panel: what was recorded of the window last picked.
  rt::Frame fraWindowInfo;
  rt::TextBox txtTitle;
  rt::TextBox txtHandle;
  rt::TextBox txtParent;
  rt::TextBox txtTop;
  rt::TextBox txtLeft;
  rt::TextBox txtWidth;   // the right edge, in screen pixels
  rt::TextBox txtHeight;  // the bottom edge
  rt::TextBox txtClassName;
  rt::Label lblTitle;
  rt::Label lblHandle;
  rt::Label lblParent;
  rt::Label lblTop;
  rt::Label lblLeft;
  rt::Label lblWidth;
  rt::Label lblHeight;
  rt::Label lblClassName;
  rt::PictureBox picStill;  // the frozen picture, beneath the display box
  rt::Label lblRatio;

  // What the command line asked for; set before Run.
  Options Wanted{};

  // ---- Handlers, one per event (each runs with errors ignored: a step that
  // fails is skipped and the next one runs).

  // Lifecycle (lifecycle.cpp).
  void SetStartValues();
  void OnTopmostSwitch();
  void GiveBackOnClose();
  bool OnQueryEndSession(LPARAM reason) override;
  void OnEndSession(LPARAM reason) override;

  // Picking and taking (take.cpp).
  void OnMagnifierDown();
  void OnMagnifierMove();
  void OnMagnifierUp();
  // Records h as the picked window and fills the hidden panel.
  void RecordPick(HWND h);
  void OnTake();
  void OnGiveBack();
  void OnProgramAnswered(HWND window);
  void OnStillNotAnswering();

  // Zoom and full screen (zoom_fullscreen.cpp).
  void OnZoomIn();
  void OnZoomOut();
  void EnterFullScreen();
  void LeaveFullScreen();
  void OnEscInProgram();

  // What of the taken window the box shows (crop.cpp).
  void OnContentOnlySwitch();
  void OnDrawPart();
  void OnPartDrawn(RECT part);

  // Freeze and screenshot (freeze_shot.cpp).
  void OnFreeze();
  void OnScreenshot();

  // Hotkeys and the command line's wait (unattended.cpp).
  void TakeWindow(HWND h);
  void LookForWanted();
  void OnHotKeyPressed(int id);

  // ---- State, read-only from outside.
  HWND Picked() const { return picked_; }
  HWND PickedParent() const { return pickedParent_; }
  bool Picking() const { return picking_; }
  // Where the picker last looked during a drag, screen pixels.
  POINT LookedAt() const { return lookedAt_; }
  float Aspect() const { return aspect_; }
  bool Frozen() const { return frozen_; }
  bool FullScreen() const { return fullScreen_; }
  HWND GivingBack() const { return givingBack_.window; }
  // The crop the fit applies; none: the whole window.
  const std::optional<Insets>& Crop() const { return crop_; }

 private:
  // Geometry full screen returns to: the form's outer size in twips, the
  // box's place and outer size in pixels.
  struct SavedView {
    float formWidth, formHeight, boxWidth, boxHeight, boxTop, boxLeft;
  };
  // The window "还原" gives back once its program answers: from the parent
  // it had then to the one it goes back to.
  struct PendingGiveBack {
    HWND window, from, to;
  };

  void SetToolTips();
  // The button's tooltip, naming its hotkey when that is registered.
  void SetKeyTip(rt::Control& button, const wchar_t* tip, int key);
  void SetFrozen(bool frozen);
  void ShowLive();
  void Zoom(int step);
  // Whether the picked window is inside the box, or its give-back is pending.
  bool Holding() const;
  void FitTarget();
  // The box's client area in the form's, from the place it is given (a
  // layout batch may not have moved its window yet).
  RECT BoxArea() const;
  // A window that cannot be taken is shown as a live picture where DWM can;
  // the notice says which.
  void ShowUntaken(Tip alone, Tip shown);
  // The live picture, of the part the crop keeps when one is set.
  bool StartPicture();
  std::optional<RECT> CroppedSource() const;
  // Whether the picked window is inside the box now.
  bool InBox() const;
  bool CropRefused(const std::optional<Insets>& crop);
  void SetCrop(const std::optional<Insets>& crop);
  void ShowTopRow(bool show);
  bool FillStillBox();
  void ShowSaved(const std::wstring& path);
  void StartFromCommandLine();
  void UnregisterHotKeys();
  void EndWait();

  void OnLoad() override;
  void OnUnload(int& cancel) override;
  void OnDestroying() override;
  void OnKeyPress(int& keyAscii) override;
  void OnAppMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnClick(rt::Control& control) override;
  void OnMouseDown(rt::Control& c, int button, int shift, float x, float y) override;
  void OnMouseMove(rt::Control& c, int button, int shift, float x, float y) override;
  void OnMouseUp(rt::Control& c, int button, int shift, float x, float y) override;
  void OnHotKey(int id) override;
  void OnTimer(UINT_PTR id) override;

  HWND picked_ = nullptr;
  HWND pickedParent_ = nullptr;  // for an owned top-level window, its owner
  bool picking_ = false;
  POINT lookedAt_{};
  float aspect_ = 0.0f;
  bool frozen_ = false;
  bool fullScreen_ = false;
  std::optional<SavedView> savedView_;  // none before the first full screen
  std::optional<Insets> crop_;
  PendingGiveBack givingBack_{};
  Thumbnail picture_;  // the live picture of the picked window, while it shows
  int looksLeft_ = 0;         // at the window the command line names, after the next
  bool waitNoticed_ = false;  // the notice of the wait has been shown
  Line keysNotice_;           // which hotkeys another program holds, if any
  UINT heldKeys_ = 0;         // bit per hotkey registered
};

// The caption that follows a display box of the given content size.
std::wstring SizeCaption(float contentWidth, float contentHeight);
