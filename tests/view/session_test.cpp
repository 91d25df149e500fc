// The end of a session, as Wine's own code runs it (wineboot --end-session
// --shutdown, what ExitWindowsEx runs there): a program whose window is in
// the tool is asked and told as if its window stood alone, and its refusal
// stops the end. Wine ends every program that has a window, so this suite
// runs alone in an exe that has made none (ctest view_session_end).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "testbed.h"

using namespace testbed;

namespace {

// Wine's end of the session in this prefix; its exit code (1: refused).
std::optional<DWORD> EndSession() {
  wchar_t cmd[] = L"wineboot.exe --end-session --shutdown";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return std::nullopt;
  CloseHandle(pi.hThread);
  const auto code = WaitExit(pi.hProcess, 60000);
  CloseHandle(pi.hProcess);
  return code;
}

std::string ReadAll(const std::wstring& path) {
  std::string text;
  const HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return text;
  char buf[512];
  DWORD got = 0;
  if (ReadFile(f, buf, sizeof buf, &got, nullptr)) text.assign(buf, got);
  CloseHandle(f);
  return text;
}

TEST(SessionEnd, TheEmbeddedProgramIsAskedAndToldAsIfItStoodAlone) {
  if (!GetEnvironmentVariableW(L"VISTREL_SESSION_END", nullptr, 0))
    GTEST_SKIP() << "ends every program with a window: runs alone, as ctest's view_session_end";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring log = std::wstring(temp) + L"vistrel-session.log";
  // Refusing first: an end that goes ahead ends the tool and the program.
  const struct {
    const char* what;
    bool refuses;
    DWORD exitCode;
    const char* heard;
  } rows[] = {
      {"the program refuses", true, 1, "query 0 toplevel=0\n"},
      {"the program agrees", false, 0, "query 0 toplevel=0\nend 1 toplevel=1\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    DeleteFileW(log.c_str());
    auto tool = StartTool();
    ASSERT_TRUE(tool);
    // Wine asks programs in the order of their process ids: the program must come after the tool.
    std::vector<Target> started;
    const std::wstring args = L"--title SessionTarget --x 700 --y 600 --w 240 --h 180 --session-log \"" + log +
                              L"\"" + (row.refuses ? L" --refuse-end" : L"");
    while (started.size() < 4 && (started.empty() || started.back().pid < tool->pid))
      if (auto t = StartTarget(args)) started.push_back(*t);
    ASSERT_FALSE(started.empty());
    Target& t = started.back();
    ASSERT_GT(t.pid, tool->pid) << "every program started came before the tool in Wine's order";
    const HWND box = ToolControl(*tool, ids::Picture4);
    ASSERT_TRUE(PickWithMagnifier(*tool, t.main));
    ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdTransfer), [&] { return ParentOf(t.main) == box; }));

    EXPECT_EQ(EndSession(), std::optional<DWORD>(row.exitCode));
    EXPECT_EQ(ReadAll(log), row.heard);
    if (row.refuses) {
      EXPECT_EQ(WaitForSingleObject(tool->process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
      EXPECT_TRUE(ProcessAlive(t));
      EXPECT_EQ(ParentOf(t.main), box);
    }
    CloseTool(*tool);
    for (Target& s : started) StopTarget(s);
  }
  DeleteFileW(log.c_str());
}

}  // namespace
