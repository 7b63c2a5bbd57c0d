// Hostile tool paths, settings that cannot be stored, and libraries planted
// in the program's folder.
#include <gtest/gtest.h>

#include "common/late_import.h"
#include "common/paths.h"
#include "settings/settings_file.h"
#include "slots/slot_script.h"
#include "support.h"

namespace {

using namespace t;

struct Hardening : ::testing::Test {
  Scratch app{L"app"}, work{L"work"};
  std::wstring folder = app.dir.wstring() + L"\\";
  fs::path log = work.dir / L"tool.log";
  void SetUp() override { SetEnvironmentVariableW(L"PLUM_TOOL_LOG", log.c_str()); }
  void TearDown() override { SetEnvironmentVariableW(L"PLUM_TOOL_LOG", nullptr); }
};

// The tool sits under a folder whose name cmd.exe would act on (reached
// through the short form of the scratch folder, which has a space); the last
// is outside code page 932, so its short form is written.
TEST_F(Hardening, ToolPathsWithCmdCharactersRunTheTool) {
  const fs::path dropped = work.dir / L"Hello.java", tools = plum::ShortPathOf(work.dir);
  ASSERT_EQ(tools.wstring().find(L' '), std::wstring::npos);
  WriteFile(dropped, "class Hello {}");
  const wchar_t* folders[] = {L"R&D", L"a^b", L"100%", L"%PATH%", L"x(y);z,=w", L"R&D \u20AC"};
  for (const wchar_t* const& name : folders) {
    const fs::path tool = PlaceTool(tools / name / L"javac.exe");
    ASSERT_TRUE(plum::WriteSlotScript(2, dropped, folder, tool).ok) << Utf8(name);
    RunWait(L"cmd /c \"\"" + folder + plum::SlotScriptName(2) + L"\" >nul\"");
    const std::vector<ToolRun> runs = ToolRuns(log);
    ASSERT_EQ(runs.size(), static_cast<size_t>(&name - folders + 1)) << Utf8(name);
    EXPECT_EQ(runs.back().args, std::vector<std::wstring>{L"Hello.java"});
  }
}

TEST_F(Hardening, SettingsAreSavedAllOrNothing) {
  const fs::path ini = app.dir / L"plum_dock.ini";
  const std::string before = "[PATH]\r\nINDEX_APPLET=a\r\nINDEX_APP=b\r\nINDEX_COMPILE=c\r\n";
  WriteFile(ini, before);
  std::vector<plum::SettingEntry> entries = {{L"PATH", L"INDEX_APPLET", L"x"},
                                             {L"PATH", L"INDEX_APP", L"y"},
                                             {L"PATH", L"INDEX_COMPILE", L"C:\\J\u00FCrgen\\javac"},
                                             {L"CHECK", L"TOP", L"0"}};
  const plum::SettingWrite refused = plum::WriteSettings(entries, ini);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.key, L"INDEX_COMPILE");
  EXPECT_NE(refused.reason.find(L"U+00FC"), std::wstring::npos) << Utf8(refused.reason);
  EXPECT_EQ(ReadFile(ini), before);
  entries[2].value = L"javac";
  ASSERT_TRUE(plum::WriteSettings(entries, ini).ok);
  EXPECT_EQ(
      ReadFile(ini),
      "[PATH]\r\nINDEX_APPLET=x\r\nINDEX_APP=y\r\nINDEX_COMPILE=javac\r\n[CHECK]\r\nTOP=0\r\n");
}

// A settings path outside the code page with no short form (its folder does
// not exist): the defaults, and no other file read or written (an empty file
// name would make the profile functions use win.ini).
TEST_F(Hardening, UnusableSettingsPathUsesNoOtherFile) {
  const fs::path ini = app.dir / L"\uD55C\uAE00" / L"plum_dock.ini";
  wchar_t windows[MAX_PATH];
  const fs::path winIni =
      fs::path(std::wstring(windows, GetWindowsDirectoryW(windows, MAX_PATH))) / L"win.ini";
  WritePrivateProfileStringW(L"PLUM_PLANTED", L"K", L"planted", winIni.c_str());
  const std::string before = ReadFile(winIni);
  const plum::SettingRead read = plum::ReadSettingOrDefault(L"PLUM_PLANTED", L"K", ini, L"java");
  EXPECT_EQ(read.value, L"java");
  EXPECT_FALSE(read.stored);
  EXPECT_FALSE(plum::WriteSettings({{L"PLUM_PLANTED", L"TOP", L"0"}}, ini).ok);
  EXPECT_EQ(ReadFile(winIni), before);
  WritePrivateProfileStringW(L"PLUM_PLANTED", nullptr, nullptr, winIni.c_str());
}

// planted.dll (tests/planted.cpp) beside the test program, under a name
// the system folder does not have.
TEST_F(Hardening, LibrariesComeFromTheSystemFolderOnly) {
  const fs::path planted = Here() / L"plum_planted.dll";
  fs::remove(planted);
  fs::copy_file(Here() / L"planted.dll", planted);
  HMODULE loaded[2] = {plum::LoadSystemLibrary(L"plum_planted.dll")};
  if (loaded[0]) FreeLibrary(loaded[0]);
  plum::RestrictLibrarySearch();  // and what the system loads by name
  loaded[1] = LoadLibraryW(L"plum_planted.dll");
  if (loaded[1]) FreeLibrary(loaded[1]);
  fs::remove(planted);
  EXPECT_EQ(loaded[0], nullptr);
  EXPECT_EQ(loaded[1], nullptr);
  EXPECT_NE(plum::LateImport<void*>(L"comdlg32.dll", "GetOpenFileNameW"), nullptr);
}

}  // namespace
