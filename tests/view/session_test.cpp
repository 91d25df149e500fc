// The end of a session as Wine's own code runs it (wineboot, which
// ExitWindowsEx runs there). Wine ends every program that has a window, so
// this suite runs alone in an exe that has made none (ctest view_session_end).
#include <gtest/gtest.h>

#include <vector>

#include "testbed.h"

using namespace testbed;

namespace {

TEST(SessionEnd, TheEmbeddedProgramIsAskedAndToldAsIfItStoodAlone) {
  if (!GetEnvironmentVariableW(L"VISTREL_SESSION_END", nullptr, 0)) GTEST_SKIP() << "runs alone, as view_session_end";
  wchar_t temp[MAX_PATH];
  const std::wstring log = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"vistrel-session.log";
  // Refusing first: an end that goes ahead ends the tool and the program.
  const struct {
    const wchar_t* args;
    DWORD exitCode;
    const char* heard;
  } rows[] = {{L" --refuse-end", 1, "query 0 toplevel=0"}, {L"", 0, "query 0 toplevel=0\nend 1 toplevel=1"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.exitCode ? "the program refuses" : "the program agrees");
    DeleteFileW(log.c_str());
    auto tool = StartTool();
    ASSERT_TRUE(tool);
    // Wine asks programs in the order of their process ids: the program must come after the tool.
    std::vector<Target> started;
    while (started.size() < 4 && (started.empty() || started.back().pid < tool->pid))
      if (auto t = StartTarget(L"--x 700 --y 600 --session-log \"" + log + L"\"" + row.args)) started.push_back(*t);
    ASSERT_TRUE(!started.empty() && started.back().pid > tool->pid) << "no program came after the tool";
    const Target& t = started.back();
    const HWND box = ToolControl(*tool, ids::picBox);
    ASSERT_TRUE(PickWithMagnifier(*tool, t.main));
    ASSERT_TRUE(ClickUntil(ToolControl(*tool, ids::cmdTake), [&] { return ParentOf(t.main) == box; }));

    wchar_t end[] = L"wineboot.exe --end-session --shutdown";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION wineboot{};
    ASSERT_TRUE(CreateProcessW(nullptr, end, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &wineboot));
    EXPECT_EQ(WaitExit(wineboot.hProcess, 60000), std::optional<DWORD>(row.exitCode));
    CloseHandle(wineboot.hThread);
    CloseHandle(wineboot.hProcess);
    EXPECT_EQ(ReadSmallFile(log), row.heard);
    if (row.exitCode) {
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
