// The command line read alone, with no window call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "select/options.h"

namespace {

std::string Read(std::vector<const wchar_t*> args) {
  args.insert(args.begin(), L"vistrel.exe");
  const CommandLine l = ParseCommandLine(static_cast<int>(args.size()), args.data());
  const Options& o = l.options;
  if (l.bad) return "bad " + std::to_string(l.bad) + (l.badValue ? " with its value" : "");
  return o.help ? "help"
                : "wait " + std::to_string(o.WaitSeconds()) + " mods " + std::to_string(o.HotKeys()) + " hwnd " +
                      std::to_string(o.hwnd) + (o.fullscreen ? " full" : "") + (o.noTopmost ? " low" : "") +
                      (o.cropText ? " crop " + std::to_string(o.crop.left) + "," + std::to_string(o.crop.top) +
                                        "," + std::to_string(o.crop.right) + "," + std::to_string(o.crop.bottom)
                                  : "");
}

TEST(CommandLineParse, ReadsEachOptionAndNamesTheWrongOne) {
  const std::pair<std::vector<const wchar_t*>, const char*> rows[] = {
      {{}, "wait 10 mods 7 hwnd 0"},
      {{L"--title", L"Cam", L"--exe", L"c.exe", L"--wait", L"0", L"--fullscreen", L"--no-topmost"}, "wait 0 mods 7 hwnd 0 full low"},
      {{L"--hwnd", L"0x1A2b", L"--hotkeys", L"WIN+ctrl+alt", L"--ratio", L"2.5"}, "wait 10 mods 11 hwnd 6699"},
      {{L"--hwnd", L"-42", L"--hotkeys", L"none"}, "wait 10 mods 0 hwnd -42"},
      {{L"--crop", L"Content", L"--fullscreen"}, "wait 10 mods 7 hwnd 0 full crop 0,0,0,0"},
      {{L"--crop", L"0,12,99999999,7"}, "wait 10 mods 7 hwnd 0 crop 0,12,99999999,7"},
      {{L"--crop", L"1,2,3"}, "bad 1 with its value"},
      {{L"--crop", L"1,-2,3,4"}, "bad 1 with its value"},
      {{L"--crop", L"1,2,3,123456789"}, "bad 1 with its value"},
      {{L"--fullscreen", L"--crop"}, "bad 2"},
      {{L"--class", L"X", L"--bogus", L"1"}, "bad 3"},
      {{L"--title"}, "bad 1"},
      {{L"--wait", L"soon"}, "bad 1 with its value"},
      {{L"--ratio", L"9"}, "bad 1 with its value"},
      {{L"--hotkeys", L"ctrl"}, "bad 1 with its value"},
      {{L"--hotkeys", L"alt+"}, "bad 1 with its value"},
      {{L"--hwnd", L"0"}, "bad 1 with its value"},
      {{L"-h", L"--bogus"}, "help"},
      {{L"/?"}, "help"},
  };
  for (const auto& [args, read] : rows)
    EXPECT_EQ(Read(args), read) << testing::PrintToString(std::vector<std::wstring>(args.begin(), args.end()));
}

}  // namespace
