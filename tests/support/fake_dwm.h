// DWM's thumbnail calls, which Wine never draws, stood in for: while a
// FakeDwm lives, GetProcAddress hands the tool fakes that note what it asks.
#pragma once

#include <windows.h>

namespace testbed {

struct DwmAsked {
  HWND destination = nullptr, source = nullptr;  // of the last registering
  RECT rcDestination{}, rcSource{};              // of the last update; rcSource empty when not set
  bool visible = false;
  int live = 0;                                  // registered and not yet unregistered
};

class FakeDwm {
 public:
  // Where DWM cannot: no dwmapi, composition off, registering failing (Wine's E_NOTIMPL), the update failing.
  enum Fault { kNone, kMissing, kCompositionOff, kRegisterFails, kUpdateFails };
  explicit FakeDwm(Fault fault = kNone);
  ~FakeDwm();
  FakeDwm(const FakeDwm&) = delete;
  FakeDwm& operator=(const FakeDwm&) = delete;
  const DwmAsked& Asked() const;
};

}  // namespace testbed
