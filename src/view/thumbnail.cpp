#include "view/thumbnail.h"

#include <dwmapi.h>

namespace {

// Loaded on first use, never imported: the exe starts where dwmapi is missing.
void* DwmProc(const char* name) {
  HMODULE dwm = GetModuleHandleW(L"dwmapi.dll");
  if (!dwm) dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return dwm ? reinterpret_cast<void*>(GetProcAddress(dwm, name)) : nullptr;
}
// decltype only: naming the function itself would import it.
#define DWM(name) reinterpret_cast<decltype(&::name)>(DwmProc(#name))

}  // namespace

RECT FitPicture(const RECT& box, SIZE source) {
  const int bw = box.right - box.left, bh = box.bottom - box.top;
  if (bw <= 0 || bh <= 0 || source.cx <= 0 || source.cy <= 0) return {box.left, box.top, box.left, box.top};
  // The box's width, unless the height that goes with it does not fit; rounded.
  int w = bw, h = MulDiv(bw, source.cy, source.cx);
  if (h > bh || h < 0) {
    h = bh;
    w = MulDiv(bh, source.cx, source.cy);
  }
  const LONG left = box.left + (bw - w) / 2, top = box.top + (bh - h) / 2;
  return {left, top, left + w, top + h};
}

bool Thumbnail::Start(HWND box, HWND picked, const RECT& area, const RECT* source) {
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
  return Fit(area);
}

bool Thumbnail::Fit(const RECT& area) {
  if (!thumb_) return false;
  const auto query = DWM(DwmQueryThumbnailSourceSize);
  const auto update = DWM(DwmUpdateThumbnailProperties);
  SIZE size{source_.right - source_.left, source_.bottom - source_.top};
  DWM_THUMBNAIL_PROPERTIES props{};
  props.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_VISIBLE | (part_ ? DWM_TNP_RECTSOURCE : 0);
  // Hidden with the box, so that a still box in its place is not covered; the
  // box's own flag, since the form may be hidden for a moment meanwhile.
  props.fVisible = (GetWindowLongW(box_, GWL_STYLE) & WS_VISIBLE) != 0;
  props.rcSource = source_;
  // The whole window is asked for its size each time: it may have been resized meanwhile.
  bool fitted = query && update && (part_ || SUCCEEDED(query(thumb_, &size)));
  if (fitted) {
    props.rcDestination = shown_ = FitPicture(area, size);
    fitted = SUCCEEDED(update(thumb_, &props));
  }
  if (!fitted) End();
  return fitted;
}

void Thumbnail::End() {
  if (!thumb_) return;
  if (const auto unreg = DWM(DwmUnregisterThumbnail)) unreg(thumb_);
  thumb_ = nullptr;
  box_ = nullptr;
  shown_ = {};
}
