#include "view/part_layer.h"

namespace {

constexpr LONG kLeast = 8;
constexpr BYTE kSeeThrough = 96;  // of 255: the box stays readable beneath
constexpr wchar_t kLayerClass[] = L"VistrelPartLayer";

// One layer at a time: the form has one box.
struct {
  HWND window, notify;
  UINT message;
  POINT from, to;  // layer client pixels
  bool dragging, posted;
} g_layer;

// Screen coordinates always fit 16 bits each.
void Post(const RECT& part) {
  if (g_layer.posted) return;
  g_layer.posted = true;
  PostMessageW(g_layer.notify, g_layer.message, MAKEWPARAM(part.left, part.top), MAKELPARAM(part.right, part.bottom));
}

void Finish(HWND layer, const RECT& part) {
  g_layer.dragging = false;
  Post(part);
  if (g_layer.window != layer) return;  // already on its way out
  g_layer.window = nullptr;
  DestroyWindow(layer);
}

RECT Spanned(POINT a, POINT b) {
  return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
}

// Over the class's dark background, erased first.
void OnPaint(HWND layer) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(layer, &ps);
  if (g_layer.dragging) {
    const RECT part = Spanned(g_layer.from, g_layer.to);
    FillRect(dc, &part, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  EndPaint(layer, &ps);
}

void OnButtonUp(HWND layer) {
  if (!g_layer.dragging) return;
  g_layer.dragging = false;  // the capture's end below is no cancel
  ReleaseCapture();
  RECT part = PartBetween(g_layer.from, g_layer.to);
  MapWindowPoints(layer, nullptr, reinterpret_cast<POINT*>(&part), 2);  // empty stays empty
  Finish(layer, part);
}

LRESULT CALLBACK LayerProc(HWND layer, UINT msg, WPARAM wp, LPARAM lp) {
  const POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  switch (msg) {
    case WM_LBUTTONDOWN:
      SetCapture(layer);
      g_layer.from = g_layer.to = at;
      g_layer.dragging = true;
      return 0;
    case WM_MOUSEMOVE:
      if (g_layer.dragging) g_layer.to = at, InvalidateRect(layer, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP:
      if (g_layer.dragging) g_layer.to = at;
      OnButtonUp(layer);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) Finish(layer, {});
      return 0;
    case WM_CAPTURECHANGED:
      if (g_layer.dragging) Finish(layer, {});
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) Finish(layer, {});
      return 0;
    case WM_PAINT:
      OnPaint(layer);
      return 0;
    case WM_DESTROY:
      Post({});
      if (g_layer.window == layer) g_layer.window = nullptr;
      return 0;
    default:
      return DefWindowProcW(layer, msg, wp, lp);
  }
}

}  // namespace

RECT PartBetween(POINT from, POINT to) {
  const RECT part = Spanned(from, to);
  return part.right - part.left < kLeast || part.bottom - part.top < kLeast ? RECT{} : part;
}

HWND DrawPart(HWND owner, const RECT& area, HWND notify, UINT message) {
  if (g_layer.window) Finish(g_layer.window, {});
  // Registered once; without it the layer is not made, and nothing is posted.
  static const ATOM kAtom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LayerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = kLayerClass;
    return RegisterClassW(&wc);
  }();
  (void)kAtom;
  g_layer = {nullptr, notify, message, {}, {}, false, false};
  const HWND layer = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kLayerClass, L"", WS_POPUP,
                                     area.left, area.top, area.right - area.left, area.bottom - area.top, owner,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!layer) return nullptr;
  g_layer.window = layer;
  SetLayeredWindowAttributes(layer, 0, kSeeThrough, LWA_ALPHA);
  ShowWindow(layer, SW_SHOW);
  // Active, so that Esc comes here.
  SetForegroundWindow(layer);
  return layer;
}

RECT DrawnPart(WPARAM wp, LPARAM lp) {
  return {static_cast<short>(LOWORD(wp)), static_cast<short>(HIWORD(wp)), static_cast<short>(LOWORD(lp)),
          static_cast<short>(HIWORD(lp))};
}
