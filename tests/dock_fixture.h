// The fixture of the tests that start the real plum_dock.exe: a fresh app folder, stand-ins for
// the JDK's tools on the PATH, a source folder whose name has a space.
#pragma once

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>

#include "support.h"

namespace t {

struct DockTest : ::testing::Test {
  Scratch app{L"dock app"}, work{L"dock work"};
  fs::path log = work.dir / L"tool.log", jdk = work.dir / L"jdk bin", src = work.dir / L"src dir";
  void SetUp() override {
    for (const wchar_t* name : {L"appletviewer.exe", L"javac.exe"}) PlaceTool(jdk / name);
    PlaceTool(jdk / L"java.exe", L"java8.exe");  // an old Java 8 first on the PATH
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
  static fs::path UserFolder() {  // the dock's own in this user's roaming application data
    wchar_t* known = nullptr;
    SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known);
    const fs::path folder = fs::path(known ? known : L"?") / L"PLUM_DOCK";
    CoTaskMemFree(known);
    return folder;
  }
  HWND Console() { return FindWindowW(L"WineConsoleClass", nullptr); }  // the dock's only
  // Whether the dock's console comes to show `text`, spaces and line breaks aside.
  bool Shows(const Dock& dock, std::wstring text) {
    text.erase(std::remove_if(text.begin(), text.end(), iswspace), text.end());
    const fs::path screen = work.dir / L"screen.txt";
    return WaitFor([&] {
      RunWait(Line({Here() / L"tool.exe", L"--screen", std::to_wstring(dock.pid), screen}));
      return ReadFile(screen).find(Utf8(text)) != std::string::npos;
    });
  }
  std::string Screen() { return ReadFile(work.dir / L"screen.txt"); }  // as Shows last read it
};

}  // namespace t
