// DWM's thumbnail calls, which Wine never draws, stood in for: while a
// FakeDwm lives, GetProcAddress hands the tool fakes that note what it asks.
#pragma once

#include <windows.h>

namespace testbed {

struct DwmAsked {
  HWND destination = nullptr, source = nullptr;  // of the last registering
  RECT rcDestination{}, rcSource{};              // of the last update
  bool sourcePart = false;                       // that update set rcSource
  int updates = 0, live = 0, unregistered = 0;   // live: registered, not yet unregistered
};

class FakeDwm {
 public:
  // Where DWM cannot: none of its functions found, composition off, or the
  // registering (Wine's E_NOTIMPL) or the update failing.
  enum Fault { kNone, kMissing, kCompositionOff, kRegisterFails, kUpdateFails };
  explicit FakeDwm(Fault fault = kNone);
  ~FakeDwm();
  FakeDwm(const FakeDwm&) = delete;
  FakeDwm& operator=(const FakeDwm&) = delete;
  const DwmAsked& Asked() const;
};

}  // namespace testbed
