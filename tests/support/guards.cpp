// What the test bed watches in every test exe. A message box that no test
// asked for would hold a test in its modal loop until ctest's timeout, with
// no test named: it is closed, and the running test fails with its text.
// The handle ledger is put in place before the first test, so it sees every
// handle the tests make.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "testbed.h"

namespace testbed {
namespace {

std::atomic<int> g_expected{0};

std::string Utf8(const std::wstring& s) {
  std::string out(s.size() * 3, '\0');
  out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()),
                                                     out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
}

BOOL CALLBACK CollectBoxes(HWND h, LPARAM lp) {
  if (!IsWindowVisible(h) || ClassOf(h) != L"#32770") return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId() || StartedByTestbed(pid)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

class Guards : public testing::EmptyTestEventListener {
  void OnTestProgramStart(const testing::UnitTest&) override {
    LiveHandles();
    watcher_ = std::thread([this] { Watch(); });
  }
  void OnTestProgramEnd(const testing::UnitTest&) override {
    stop_ = true;
    if (watcher_.joinable()) watcher_.join();
  }

  void Watch() {
    while (!stop_) {
      Sleep(100);
      std::vector<HWND> boxes;
      if (g_expected == 0) EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&boxes));
      for (HWND box : boxes) {
        if (g_expected > 0) break;  // it came while a test was waiting for it
        ADD_FAILURE() << "a message box no test asked for, titled \"" << Utf8(TextOf(box)) << "\": "
                      << Utf8(MessageBoxText(box));
        if (!CloseMessageBox(box)) PostMessageW(box, WM_CLOSE, 0, 0);  // a box without OK
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::thread watcher_;
};

const bool g_installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new Guards);
  return true;
}();

}  // namespace

ExpectMessageBoxes::ExpectMessageBoxes() { ++g_expected; }
ExpectMessageBoxes::~ExpectMessageBoxes() { --g_expected; }

}  // namespace testbed
