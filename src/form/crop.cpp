// What of the taken window the box shows: the whole window, its content
// only (Ctrl+Alt+Shift+C), or a part drawn over the box (Ctrl+Alt+Shift+D).
#include "form/frmMain.h"
#include "form/ids.h"
#include "view/embed.h"
#include "view/part_layer.h"

namespace {

// How long the notice of a crop refused stays, unless a click comes first.
constexpr UINT kRefusedNoticeMs = 6000;

}  // namespace

bool frmMain::InBox() const { return GetAncestor(picked_, GA_PARENT) == picBox.hWnd(); }

// A crop that leaves nothing of the taken window's client area as it is
// now; said when it does.
bool frmMain::CropRefused(const std::optional<Insets>& crop) {
  if (!crop || !InBox()) return false;
  const RECT client = ClientAreaIn(picked_, picBox.hWnd());
  if (LeavesSomething(*crop, client.right - client.left, client.bottom - client.top)) return false;
  ShowNotice(cmdFullScreen, TipText(Tip::CropLeavesNothing), kRefusedNoticeMs);
  return true;
}

void frmMain::SetCrop(const std::optional<Insets>& crop) {
  if (CropRefused(crop)) return;
  crop_ = crop;
  // A window only picked, never taken, is not moved.
  if (InBox()) FitTarget();
}

void frmMain::OnContentOnlySwitch() { SetCrop(crop_ ? std::nullopt : std::optional<Insets>(Insets{})); }

// Over the box as the user sees it, full screen or not; the program under
// the layer is not touched until the part is drawn.
void frmMain::OnDrawPart() {
  if (InBox()) DrawPart(hWnd(), ClientAreaIn(picBox.hWnd(), nullptr), hWnd(), kMsgPartDrawn);
}

// The part drawn becomes the kept part: insets of the client area at its
// present size. Drawn beside the window, or not at all, it changes nothing.
void frmMain::OnPartDrawn(RECT part) {
  if (!InBox()) return;
  MapWindowPoints(nullptr, picBox.hWnd(), reinterpret_cast<POINT*>(&part), 2);
  if (const std::optional<Insets> insets = InsetsFromDrawn(part, ClientAreaIn(picked_, picBox.hWnd())))
    SetCrop(insets);
}
