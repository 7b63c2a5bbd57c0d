// The settings file, the start-up rules, the activation title and the
// ".html" program: each against the real file, registry or process start.
#include <gtest/gtest.h>

#include "browser/html_handler.h"
#include "common/late_import.h"
#include "settings/settings_file.h"
#include "slots/slot_runner.h"
#include "startup/startup.h"
#include "support.h"

#include <shellapi.h>

namespace {

using namespace t;

struct Settings : ::testing::Test {
  Scratch folder{L"settings"};
  fs::path ini = folder.dir / L"plum_dock.ini";
};

TEST_F(Settings, DefaultsFillOnlyWhatReadsEmpty) {
  WriteFile(ini, "[PATH]\r\nINDEX_APP=\r\nINDEX_COMPILE=jikes -g\r\n");
  EXPECT_EQ(plum::ReadSettingOrDefault(L"PATH", L"INDEX_APP", ini, L"java").value, L"java");
  EXPECT_EQ(plum::ReadSettingOrDefault(L"PATH", L"INDEX_COMPILE", ini, L"javac").value,
            L"jikes -g");
  EXPECT_EQ(plum::ReadSettingOrDefault(L"CHECK", L"TOP", ini, L"1").value, L"1");
  EXPECT_EQ(ReadFile(ini),
            "[PATH]\r\nINDEX_APP=java\r\nINDEX_COMPILE=jikes -g\r\n[CHECK]\r\nTOP=1\r\n");
}

TEST_F(Settings, ValuesRoundTripAsShiftJisAndLongOnesAreCut) {
  const std::wstring value = L"C:\\ツール\\表示\\javac.exe";  // 表 ends in 0x5C
  ASSERT_TRUE(plum::WriteSetting(L"PATH", L"INDEX_COMPILE", value, ini).ok);
  EXPECT_EQ(plum::ReadSetting(L"PATH", L"INDEX_COMPILE", ini), value);
  EXPECT_NE(ReadFile(ini).find("INDEX_COMPILE=" + Sjis(value) + "\r\n"), std::string::npos);
  WriteFile(ini, "[PATH]\r\nINDEX_APP=" + std::string(2000, 'x') + "\r\n");
  EXPECT_EQ(plum::ReadSetting(L"PATH", L"INDEX_APP", ini), std::wstring(1023, L'x'));
}

TEST_F(Settings, OkSavesAllOrNothing) {
  const std::string before = "[PATH]\r\nINDEX_APPLET=a\r\nINDEX_APP=b\r\nINDEX_COMPILE=c\r\n";
  WriteFile(ini, before);
  std::vector<plum::SettingEntry> entries = {{L"PATH", L"INDEX_APPLET", L"x"},
                                             {L"PATH", L"INDEX_APP", L"y"},
                                             {L"PATH", L"INDEX_COMPILE", L""},
                                             {L"CHECK", L"TOP", L"0"}};
  // Refused whole, never best-fitted: a yen sign would become a backslash.
  for (const wchar_t* bad : {L"C:\\J\u00FCrgen\\javac", L"C:\\jdk\u00A5bin\\javac.exe"}) {
    entries[2].value = bad;
    const plum::SettingWrite refused = plum::WriteSettings(entries, ini);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.key, L"INDEX_COMPILE");
    EXPECT_NE(refused.reason.find(L"U+00"), std::wstring::npos) << Utf8(refused.reason);
    EXPECT_EQ(ReadFile(ini), before);
  }
  entries[2].value = L"javac";
  ASSERT_TRUE(plum::WriteSettings(entries, ini).ok);
  EXPECT_EQ(
      ReadFile(ini),
      "[PATH]\r\nINDEX_APPLET=x\r\nINDEX_APP=y\r\nINDEX_COMPILE=javac\r\n[CHECK]\r\nTOP=0\r\n");
}

// A settings file that cannot be written, and one outside the code page with
// no short form (its folder does not exist): the defaults, and no other file
// read or written (an empty file name would make the system use win.ini).
TEST_F(Settings, UnusableSettingsPathUsesNoOtherFile) {
  const fs::path missing = folder.dir / L"no folder" / L"plum_dock.ini";
  EXPECT_FALSE(plum::ReadSettingOrDefault(L"CHECK", L"TOP", missing, L"1").stored);
  EXPECT_FALSE(plum::WriteSetting(L"CHECK", L"TOP", L"0", missing).ok);
  const fs::path unusable = folder.dir / L"\uD55C\uAE00" / L"plum_dock.ini";
  wchar_t windows[MAX_PATH];
  const fs::path winIni =
      fs::path(std::wstring(windows, GetWindowsDirectoryW(windows, MAX_PATH))) / L"win.ini";
  WritePrivateProfileStringW(L"PLUM_PLANTED", L"K", L"planted", winIni.c_str());
  const std::string before = ReadFile(winIni);
  const plum::SettingRead read =
      plum::ReadSettingOrDefault(L"PLUM_PLANTED", L"K", unusable, L"java");
  EXPECT_EQ(read.value, L"java");
  EXPECT_FALSE(read.stored);
  EXPECT_FALSE(plum::WriteSettings({{L"PLUM_PLANTED", L"TOP", L"0"}}, unusable).ok);
  EXPECT_EQ(ReadFile(winIni), before);
  WritePrivateProfileStringW(L"PLUM_PLANTED", nullptr, nullptr, winIni.c_str());
}

TEST(Rules, AppFolderAlwaysInFrontTextAndActivationTitle) {
  EXPECT_EQ(plum::AppFolderOf(L"C:\\プラム\\plum_dock.exe"), L"C:\\プラム\\");
  EXPECT_EQ(plum::AppFolderOf(L"D:\\plum_dock.exe"), L"D:\\");
  const std::pair<const wchar_t*, int> tops[] = {{L"0", 0}, {L"1", 1}, {L"2", 2}, {L" 0 ", 0},
                                                 {L"3", 1}, {L"", 1},  {L"x", 1}, {L"-1", 1}};
  for (const auto& [text, state] : tops) EXPECT_EQ(plum::AlwaysInFrontFromText(text), state);
  EXPECT_EQ(plum::ActivationTitleAfter(L"12345678"), L"12345678");
  EXPECT_EQ(plum::ActivationTitleAfter(L"123456789"), L"123456");
  EXPECT_TRUE(plum::TitleMatches(L"JAVAC", L"javac", false));
  EXPECT_FALSE(plum::TitleMatches(L"javac Hello", L"javac", false));
  EXPECT_TRUE(plum::TitleMatches(L"Javac Hello", L"javac", true));
  EXPECT_FALSE(plum::TitleMatches(L"anything", L"", true));  // an emptied command matches nothing
}

// Registry values up to 1023 bytes in the code page, as text; and the open
// command of ".html", whatever its form, gives the document as one argument.
TEST(Browser, RegistryValuesAndCommandLines) {
  const std::wstring key = L"PlumDockTest.Key";
  for (const std::wstring& value : {std::wstring(1023, L'a'), std::wstring(511, L'あ')}) {
    SetClassesValue(key, value);
    EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), value);
    SetClassesValue(key, value + value.substr(0, 1));
    EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), L"");
  }
  SetEnvironmentVariableW(L"PLUM_X", L"C:\\x y");  // an expandable value is expanded
  SetClassesValue(key, L"%PLUM_X%\\b.exe", REG_EXPAND_SZ);
  EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), L"C:\\x y\\b.exe");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  const std::wstring doc = L"C:\\ヘルプ 100% & \"(1)\"\\help/index.html\\";
  for (const wchar_t* command :
       {L"\"b.exe\" \"%1\"", L"\"b.exe\"", L"b.exe -url %1", L"b.exe \"%L\""}) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(plum::BrowserCommandLine(command, doc).c_str(), &count);
    EXPECT_EQ(std::wstring(args[count - 1]), doc) << Utf8(command);
    EXPECT_EQ(count, std::wstring(command).find(L"-url") == std::wstring::npos ? 2 : 3);
    LocalFree(args);
  }
}

// planted.dll (tests/planted.cpp) beside the test program, under a name
// the system folder does not have.
TEST(Libraries, ComeFromTheSystemFolderOnly) {
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
