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
  // A live picture shows the new part; a window only picked is not moved.
  if (picture_) StartPicture();
  else if (InBox()) FitTarget();
}

// The part of the picked window's top-level window that the crop keeps, in
// that window's own coordinates (from its top-left corner), as the picture
// takes it; none without a crop or when nothing would be left.
std::optional<RECT> frmMain::CroppedSource() const {
  RECT whole{}, kept{};
  if (!crop_ || !GetWindowRect(GetAncestor(picked_, GA_ROOT), &whole)) return std::nullopt;
  kept = ClientAreaIn(picked_, nullptr);
  OffsetRect(&kept, -whole.left, -whole.top);
  if (!LeavesSomething(*crop_, kept.right - kept.left, kept.bottom - kept.top)) return std::nullopt;
  kept = {kept.left + crop_->left, kept.top + crop_->top, kept.right - crop_->right, kept.bottom - crop_->bottom};
  return kept;
}

bool frmMain::StartPicture() {
  const std::optional<RECT> kept = CroppedSource();
  return picture_.Start(picBox.hWnd(), picked_, BoxArea(), kept ? &*kept : nullptr);
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
