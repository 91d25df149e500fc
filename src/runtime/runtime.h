// A thin form runtime over Win32: one form with windowed controls and
// windowless labels, float geometry in the container's scale unit (pixels on
// the form, twips inside twips-scaled picture boxes), and events delivered to
// typed handlers of the form. Nothing here throws: an operation that cannot
// be carried out reports false or an empty optional and leaves things as they
// were, which is how a handler "skips a failing statement".
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/scoped.h"

namespace rt {

// ---- Screen and units --------------------------------------------------

// Twips per screen pixel from the real screen DPI (15 at 96 dpi).
float TwipsPerPixelX();
float TwipsPerPixelY();

struct ScreenInfo {
  float Width() const;   // twips
  float Height() const;  // twips
  float TwipsPerPixelX() const { return rt::TwipsPerPixelX(); }
  float TwipsPerPixelY() const { return rt::TwipsPerPixelY(); }
};
inline constexpr ScreenInfo Screen{};

// The whole rectangle, in screen pixels, of the monitor that holds the window
// (the nearest one when it is on none).
RECT MonitorOf(HWND hwnd);

// The window's client area in screen pixels, wherever it lies, when no
// visible top-level window above its own, uncloaked by DWM, meets it. Empty
// otherwise.
std::optional<RECT> ClientUncovered(HWND hwnd);


// ---- Pictures ------------------------------------------------------------

// A picture as the runtime hands it around: a cursor, icon or bitmap handle
// that the picture's owner keeps alive (resources are shared, a persistent
// image belongs to its picture box).
struct Picture {
  HANDLE handle = nullptr;
  UINT type = IMAGE_BITMAP;  // IMAGE_BITMAP, IMAGE_ICON or IMAGE_CURSOR
  explicit operator bool() const { return handle != nullptr; }
};

// A cursor or icon resource of this exe (shared, never destroyed).
Picture ResourceCursor(int id);

// Writes a bitmap picture as a new Windows BMP file (a persistent image as
// its 32-bit pixels, any other bitmap at 24 bits per pixel). A file or folder
// of that name is never replaced: the name is then taken. A file that could
// not be written whole is removed again.
enum class SaveResult { Saved, NameTaken, Failed };
SaveResult SavePicture(Picture picture, const std::wstring& fileName);

// ---- Other services -------------------------------------------------------

// A modal message box owned by the active window; returns the button id.
int MsgBox(std::wstring_view text, UINT style, std::wstring_view title);

// The current local date and time.
SYSTEMTIME Now();

// The font every control uses: the system's message font when it can show
// Chinese text, otherwise a font that can.
HFONT DefaultFont();

// Windows of this thread that are still alive (the form and all its children).
long LiveWindows();

// ---- Controls ---------------------------------------------------------------

enum class ControlType : uint8_t { CommandButton, CheckBox, TextBox, Label, Frame, PictureBox };

class Form;
class Container;

// Design values of one control; positions and sizes in twips relative to the
// container's client area.
struct Design {
  int id;
  const wchar_t* caption;
  int left, top, width, height;  // twips
  int tabIndex;
  bool visible;
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND hWnd() const { return hwnd_; }
  int Id() const { return id_; }
  ControlType Type() const { return type_; }
  int TabIndex() const { return tabIndex_; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Geometry in the container's scale unit.
  float Left() const { return left_; }
  float Top() const { return top_; }
  float Width() const { return width_; }
  float Height() const { return height_; }
  bool SetLeft(float v) { return Place(v, top_, width_, height_); }
  bool SetTop(float v) { return Place(left_, v, width_, height_); }
  bool SetWidth(float v) { return Place(left_, top_, v, height_); }
  bool SetHeight(float v) { return Place(left_, top_, width_, v); }

  // Caption of buttons, check boxes, labels and frames; Text of text boxes.
  std::wstring Caption() const;
  void SetCaption(std::wstring_view text);
  std::wstring Text() const { return Caption(); }
  void SetText(std::wstring_view text) { SetCaption(text); }

  // Check box value: 1 checked, 0 unchecked.
  int Value() const;
  void SetValue(int value);

  bool SetFocus();
  bool CanTakeFocus() const;

  // Shown while the pointer rests on the control, enabled or not; empty for none.
  const std::wstring& ToolTipText() const { return toolTipText_; }
  void SetToolTipText(std::wstring_view text);

  // The control's rectangle in its window-parent's client pixels.
  RECT PixelRect() const { return pixelRect_; }
  Container* Parent() const { return container_; }
  Form& OwnerForm() const { return *form_; }

 protected:
  Control(Form& form, Container* container, ControlType type, const Design& d);
  ~Control() = default;
  void CreateWindowFor(const wchar_t* cls, DWORD style, DWORD exStyle, const Design& d);
  virtual bool Place(float left, float top, float width, float height);
  // Moves the window to pixelRect_ (now, or when the form's layout batch ends).
  virtual void ApplyPlacement();
  bool placementPending_ = false;
  // The window the control sits in: its container's, or the form's.
  HWND HostWindow() const;

  Form* form_;
  Container* container_;  // nullptr: directly on the form
  HWND hwnd_ = nullptr;
  ControlType type_;
  int id_;
  int tabIndex_;
  bool visible_;
  bool enabled_ = true;
  float left_, top_, width_, height_;
  RECT pixelRect_{};
  std::wstring caption_;  // labels keep their caption here (no window)
  std::wstring toolTipText_;
  bool hasTipTools_ = false;  // its tools are in the form's tooltip control
  COLORREF foreColor_ = CLR_INVALID;
  friend class Form;
  friend class Container;
};

class CommandButton final : public Control {
 public:
  CommandButton(Form& form, Container* container, const Design& d);
};

class CheckBox final : public Control {
 public:
  CheckBox(Form& form, Container* container, const Design& d, int value);
};

class TextBox final : public Control {
 public:
  TextBox(Form& form, Container* container, const Design& d);
};

// A label has no window: its container paints it.
class Label final : public Control {
 public:
  Label(Form& form, Container* container, const Design& d, COLORREF foreColor = CLR_INVALID,
        bool autoSize = false);
  void Paint(HDC dc) const;

 private:
  bool Place(float left, float top, float width, float height) override;
};

// A control that holds others: frames and picture boxes.
class Container : public Control {
 public:
  // Scale unit of the inside: 1 twips, 3 pixels.
  int ScaleMode() const { return scaleMode_; }
  void SetScaleMode(int mode);
  float ScaleWidth() const;
  float ScaleHeight() const;

  // Container units to pixels of the client area.
  float UnitsPerPixelX() const;
  float UnitsPerPixelY() const;

  void AddLabel(Label* label);
  void PaintLabels(HDC dc) const;

 protected:
  Container(Form& form, Container* container, ControlType type, const Design& d, int scaleMode);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual void OnPaint(HDC dc);

  int scaleMode_;
  Label* labels_[16] = {};
  int labelCount_ = 0;
};

class Frame final : public Container {
 public:
  Frame(Form& form, Container* container, const Design& d);

 private:
  void OnPaint(HDC dc) override;
};

class PictureBox final : public Container {
 public:
  PictureBox(Form& form, Container* container, const Design& d, int scaleMode,
             bool border = true, Picture picture = {});
  ~PictureBox();

  Picture GetPicture() const { return picture_; }
  void SetPicture(Picture picture);

  // The device context drawing goes to: the persistent image while
  // AutoRedraw is on, else the box's own (class-owned) window DC.
  HDC hDC();
  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool on);
  // The persistent image as a bitmap picture (empty before the first AutoRedraw).
  Picture Image();
  void Cls();
  void Refresh();

  // Pixel size of the client area.
  SIZE ClientPixels() const;

 private:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnPaint(HDC dc) override;
  bool Place(float left, float top, float width, float height) override;
  void ApplyPlacement() override;
  void FitImage();
  void ClearImage();
  void DrawBackground(HDC dc, const RECT& rc) const;

  Picture picture_;
  bool autoRedraw_ = false;
  int pressed_ = 0;  // the button of a press not yet released, 0 when none
  bool mouseSeen_ = false;
  LPARAM lastMouse_ = 0;  // position of the last mouse message, box pixels
  ScopedMemDC imageDC_;
  ScopedBitmap image_;
  HGDIOBJ imageOldBitmap_ = nullptr;
  SIZE imageSize_{};
};

// ---- Form -------------------------------------------------------------------

class Form {
 public:
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  HWND hWnd() const { return hwnd_; }

  std::wstring Caption() const;
  void SetCaption(std::wstring_view text);

  // Outer size in twips.
  float Width() const;
  float Height() const;
  bool SetWidth(float twips);
  bool SetHeight(float twips);

  // 0 none, 2 sizable.
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  // 0 normal, 1 minimized, 2 maximized.
  int WindowState() const;
  void SetWindowState(int state);

  // 0 default, 99 custom (MouseIcon).
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int kind);
  Picture MouseIcon() const { return mouseIcon_; }
  void SetMouseIcon(Picture icon);
  HCURSOR EffectiveCursor() const;

  void Show();
  void Hide();
  bool Visible() const;

  // The form's scale unit is the pixel.
  float UnitsPerPixelX() const { return 1.0f; }
  float UnitsPerPixelY() const { return 1.0f; }
  void AddLabel(Label* label);

  Control* ControlById(int id) const;
  // Runs Load, shows the form and pumps messages until it is closed; the exit
  // code. Without a window, 1 at once.
  int Run();
  // Closes the form as the user would (Unload, then destroy).
  void Close();
  // Destroys the window without Unload; a concrete form calls it from its
  // destructor, while its controls and handlers still exist.
  void DestroyNow();

  // Event hooks, decoded here and decided by the concrete form.
  virtual void OnLoad() {}
  virtual void OnUnload(int& cancel) { (void)cancel; }
  virtual void OnDestroying() {}
  virtual void OnKeyPress(int& keyAscii) { (void)keyAscii; }
  virtual void OnClick(Control& control) { (void)control; }
  virtual void OnMouseDown(Control& c, int button, int shift, float x, float y) { (void)c, (void)button, (void)shift, (void)x, (void)y; }
  virtual void OnMouseMove(Control& c, int button, int shift, float x, float y) { (void)c, (void)button, (void)shift, (void)x, (void)y; }
  virtual void OnMouseUp(Control& c, int button, int shift, float x, float y) { (void)c, (void)button, (void)shift, (void)x, (void)y; }
  // A message from WM_APP up, posted to the form.
  virtual void OnAppMessage(UINT msg, WPARAM wp, LPARAM lp) { (void)msg, (void)wp, (void)lp; }
  // The session is about to end: false refuses. Then, once it ends for sure,
  // OnEndSession; our process may be ended at any moment after it returns.
  virtual bool OnQueryEndSession(LPARAM reason) { (void)reason; return true; }
  virtual void OnEndSession(LPARAM reason) { (void)reason; }
  // A hotkey registered on the form's window was pressed: its id.
  virtual void OnHotKey(int id) { (void)id; }
  // A timer set on the form's window went off; ids from kFirstFormTimer up are the form's own.
  static constexpr UINT_PTR kFirstFormTimer = 16;
  virtual void OnTimer(UINT_PTR id) { (void)id; }

  // A balloon at the control saying `text`: not modal, gone after `ms` or at
  // the next click on the form. The text is the balloon tool's own text.
  void ShowNotice(const Control& at, std::wstring_view text, UINT ms);
  void HideNotice();
  // Takes the tooltip and the notice off the screen.
  void HideTips();

  // Key preview, Tab order and the form's keys; true when the message was used.
  bool PreTranslate(MSG& msg);

  // While a batch is open, geometry set on the form and its controls is
  // recorded (and reads give the recorded values) and reaches the windows
  // once, when the outermost batch closes: one move per window per step.
  void BeginLayout() { ++layoutDepth_; }
  void EndLayout();
  bool LayoutDeferred() const { return layoutDepth_ > 0; }

 protected:
  // Client size at design in twips; the caption; the icon resource; centred on screen.
  Form(int clientTwipsWidth, int clientTwipsHeight, std::wstring_view caption, int iconId);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Register(Control* control);
  void MoveFocus(bool backwards);
  void ApplyCursor() const;

  bool SetOuterSize(int width, int height);
  // The tooltip control, made when the pointer first comes over the form so
  // that start-up does not pay for it; then the tools of every control with a text.
  void EnsureToolTips();
  void AddTipTools(Control& control);
  void UpdateTipTools(Control& control);

  HWND hwnd_ = nullptr;
  HWND tips_ = nullptr;    // unowned, so the form's topmost can be turned off and on;
  HWND notice_ = nullptr;  // destroyed with the form
  POINT noticeStem_{};

  int layoutDepth_ = 0;
  bool sizePending_ = false;
  SIZE pendingSize_{};
  int borderStyle_ = 2;
  int pendingState_ = 0;
  int mousePointer_ = 0;
  Picture mouseIcon_;
  bool unloaded_ = false;
  Control* controls_[64] = {};
  Label* labels_[8] = {};
  int labelCount_ = 0;
  friend class Control;
  friend class Container;
};

// Key preview and Tab order for whichever form of this thread owns the
// message; for message loops other than Form::Run.
bool PreTranslateAny(MSG& msg);

// A layout batch for the length of a scope.
class LayoutBatch {
 public:
  explicit LayoutBatch(Form& form) : form_(form) { form_.BeginLayout(); }
  LayoutBatch(const LayoutBatch&) = delete;
  LayoutBatch& operator=(const LayoutBatch&) = delete;
  ~LayoutBatch() { form_.EndLayout(); }

 private:
  Form& form_;
};

// Handles a command notification from a child window (buttons, check boxes).
void RouteCommand(Form& form, WPARAM wp, LPARAM lp);

}  // namespace rt
