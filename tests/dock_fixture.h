// The fixture of the tests that start the real plum_dock.exe: a fresh app folder, stand-ins for
// the JDK's tools on the PATH, a source folder whose name has a space.
#pragma once

#include <gtest/gtest.h>

#include "support.h"

namespace t {

struct DockTest : ::testing::Test {
  Scratch app{L"dock app"}, work{L"dock work"};
  fs::path log = work.dir / L"tool.log", jdk = work.dir / L"jdk bin", src = work.dir / L"src dir";
  void SetUp() override {
    for (const wchar_t* name : {L"appletviewer.exe", L"java.exe", L"javac.exe"})
      PlaceTool(jdk / name);
    fs::create_directories(src);
    SetEnvironmentVariableW(L"PLUM_TOOL_LOG", log.c_str());
    SetEnvironmentVariableW(L"PATH", (jdk.wstring() + L";" + _wgetenv(L"PATH")).c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"PLUM_TOOL_HOLD", nullptr); }
  fs::path Source(const std::wstring& name) {
    WriteFile(src / name, "class X {}");
    return src / name;
  }
  Process Window(const std::wstring& title) {  // a window of another program
    Process process = Spawn(Line({Here() / L"tool.exe", L"--window", title}));
    WaitFor([&] { return FindWindowW(nullptr, title.c_str()) != nullptr; });
    return process;
  }
  HWND Console() { return FindWindowW(L"WineConsoleClass", nullptr); }  // the dock's only
};

}  // namespace t
