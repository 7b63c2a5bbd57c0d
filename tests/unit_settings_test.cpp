// The settings file, read and written through the real profile functions.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support.h"

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

// A path outside the code page with no short form (its folder does not exist): the defaults, and
// no other file used (an empty name would mean win.ini).
TEST_F(Settings, PathOutsideTheCodePageUsesNoOtherFile) {
  const fs::path unusable = folder.dir / L"\uD55C\uAE00" / L"plum_dock.ini";
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  const fs::path winIni = fs::path(windows) / L"win.ini";
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

}  // namespace
