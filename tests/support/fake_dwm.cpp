#include "fake_dwm.h"

#include <dwmapi.h>

#include <cstring>

#include "testbed.h"

namespace testbed {
namespace {

FakeDwm* g_dwm;
decltype(&GetProcAddress) g_realGetProcAddress;

HRESULT WINAPI Enabled(BOOL* on) { return *on = g_dwm->fault != FakeDwm::kCompositionOff, S_OK; }
HRESULT WINAPI Register(HWND destination, HWND source, PHTHUMBNAIL thumb) {
  if (g_dwm->fault == FakeDwm::kRegisterFails) return E_NOTIMPL;
  g_dwm->destination = destination, g_dwm->source = source;
  return *thumb = reinterpret_cast<HTHUMBNAIL>(++g_dwm->live), S_OK;
}
HRESULT WINAPI SourceSize(HTHUMBNAIL, PSIZE size) {
  const RECT r = WindowRectOf(g_dwm->source);
  return *size = {WidthOf(r), HeightOf(r)}, S_OK;
}
HRESULT WINAPI Update(HTHUMBNAIL, const DWM_THUMBNAIL_PROPERTIES* p) {
  g_dwm->rcDestination = p->rcDestination, g_dwm->visible = p->fVisible;
  g_dwm->rcSource = p->dwFlags & DWM_TNP_RECTSOURCE ? p->rcSource : RECT{};
  return g_dwm->fault == FakeDwm::kUpdateFails ? E_INVALIDARG : S_OK;
}
HRESULT WINAPI Unregister(HTHUMBNAIL) { return --g_dwm->live, S_OK; }

FARPROC WINAPI Lookup(HMODULE module, LPCSTR name) {
  const struct { const char* name; void* fake; } fakes[] = {
      {"DwmIsCompositionEnabled", reinterpret_cast<void*>(&Enabled)},
      {"DwmRegisterThumbnail", reinterpret_cast<void*>(&Register)},
      {"DwmQueryThumbnailSourceSize", reinterpret_cast<void*>(&SourceSize)},
      {"DwmUpdateThumbnailProperties", reinterpret_cast<void*>(&Update)},
      {"DwmUnregisterThumbnail", reinterpret_cast<void*>(&Unregister)}};
  for (const auto& f : fakes)
    if (HIWORD(name) && !std::strcmp(name, f.name))
      return g_dwm->fault == FakeDwm::kMissing ? nullptr : reinterpret_cast<FARPROC>(f.fake);
  return g_realGetProcAddress(module, name);
}

}  // namespace

FakeDwm::FakeDwm(Fault f) : fault(f) {
  g_dwm = this;
  // Known before the redirect: another thread may look a function up at once.
  g_realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetProcAddress")));
  RedirectImport("GetProcAddress", reinterpret_cast<void*>(&Lookup));
}

FakeDwm::~FakeDwm() { RedirectImport("GetProcAddress", reinterpret_cast<void*>(g_realGetProcAddress)); }

}  // namespace testbed
