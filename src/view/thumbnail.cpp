#include "view/thumbnail.h"

#include <dwmapi.h>

namespace {

// Loaded on first use, never imported: the exe starts where dwmapi is missing.
void* DwmProc(const char* name) {
  static const HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return dwm ? reinterpret_cast<void*>(GetProcAddress(dwm, name)) : nullptr;
}
// decltype only: naming the function itself would import it.
#define DWM(name) reinterpret_cast<decltype(&::name)>(DwmProc(#name))

}  // namespace

RECT FitPicture(const RECT& box, SIZE source) {
  const long long bw = box.right - box.left, bh = box.bottom - box.top, sw = source.cx, sh = source.cy;
  if (bw <= 0 || bh <= 0 || sw <= 0 || sh <= 0) return {box.left, box.top, box.left, box.top};
  // The side that runs out first takes the box's length; the other is scaled, rounded.
  long long w = bw, h = bh;
  if (bw * sh <= bh * sw)
    h = (2 * bw * sh + sw) / (2 * sw);
  else
    w = (2 * bh * sw + sh) / (2 * sh);
  const LONG left = box.left + static_cast<LONG>((bw - w) / 2), top = box.top + static_cast<LONG>((bh - h) / 2);
  return {left, top, left + static_cast<LONG>(w), top + static_cast<LONG>(h)};
}

bool Thumbnail::Start(HWND box, HWND picked, const RECT* source) {
  End();
  const HWND form = GetAncestor(box, GA_ROOT), root = GetAncestor(picked, GA_ROOT);
  const auto enabled = DWM(DwmIsCompositionEnabled);
  const auto reg = DWM(DwmRegisterThumbnail);
  BOOL on = FALSE;
  if (!form || !root || !enabled || !reg || FAILED(enabled(&on)) || !on) return false;
  RECT whole{}, part{};
  GetWindowRect(root, &whole);
  GetWindowRect(picked, &part);
  OffsetRect(&part, -whole.left, -whole.top);
  source_ = source ? *source : part;
  part_ = source || picked != root;
  HTHUMBNAIL thumb = nullptr;
  if (FAILED(reg(form, root, &thumb)) || !thumb) return false;
  thumb_ = thumb;
  box_ = box;
  root_ = root;
  return Fit();
}

bool Thumbnail::Fit() {
  if (!thumb_) return false;
  const auto query = DWM(DwmQueryThumbnailSourceSize);
  const auto update = DWM(DwmUpdateThumbnailProperties);
  SIZE size{source_.right - source_.left, source_.bottom - source_.top};
  RECT box{};
  GetClientRect(box_, &box);
  MapWindowPoints(box_, GetAncestor(box_, GA_ROOT), reinterpret_cast<POINT*>(&box), 2);
  DWM_THUMBNAIL_PROPERTIES props{};
  props.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_VISIBLE | (part_ ? DWM_TNP_RECTSOURCE : 0);
  // Hidden with the box, so that a still box in its place is not covered.
  props.fVisible = IsWindowVisible(box_);
  props.rcSource = source_;
  // The whole window is asked for its size each time: it may have been resized meanwhile.
  if (!query || !update || (!part_ && FAILED(query(thumb_, &size)))) return End(), false;
  props.rcDestination = shown_ = FitPicture(box, size);
  if (FAILED(update(thumb_, &props))) return End(), false;
  return true;
}

void Thumbnail::End() {
  if (!thumb_) return;
  if (const auto unreg = DWM(DwmUnregisterThumbnail)) unreg(thumb_);
  thumb_ = nullptr;
  box_ = root_ = nullptr;
  shown_ = {};
}
