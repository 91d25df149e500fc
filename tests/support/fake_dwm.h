// DWM's thumbnail calls, which Wine never draws, stood in for: while a
// FakeDwm lives, GetProcAddress hands the tool fakes that note what it asks.
#pragma once

#include <windows.h>

namespace testbed {

struct FakeDwm {
  // Where DWM cannot: no dwmapi, composition off, registering failing (Wine 10's E_NOTIMPL), the update failing.
  enum Fault { kNone, kMissing, kCompositionOff, kRegisterFails, kUpdateFails };
  explicit FakeDwm(Fault fault = kNone);
  ~FakeDwm();
  Fault fault;
  HWND destination = nullptr, source = nullptr;  // of the last registering
  RECT rcDestination{}, rcSource{};              // of the last update; rcSource empty when not set
  bool visible = false;
  int live = 0;  // registered and not yet unregistered
};

}  // namespace testbed
