#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using plum::ReadSetting;
using plum::ReadSettingOrDefault;
using plum::WriteSetting;

class SettingsFileTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder_{L"settings"};
  std::wstring ini_ = folder_.path() + L"plum_dock.ini";
};

TEST_F(SettingsFileTest, MissingFileGetsSectionKeyAndDefault) {
  plum::SettingRead read = ReadSettingOrDefault(L"PATH", L"INDEX_APP", ini_, L"java");
  EXPECT_EQ(read.value, L"java");
  EXPECT_TRUE(read.stored);
  EXPECT_EQ(ReadSetting(L"PATH", L"INDEX_APP", ini_), L"java");
  EXPECT_NE(test::ReadBytes(ini_).find("[PATH]\r\nINDEX_APP=java\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, EmptyValueIsReplacedPresentValueIsKept) {
  test::WriteBytes(ini_, "[PATH]\r\nINDEX_APP=\r\nINDEX_COMPILE=jikes -g\r\n");
  EXPECT_EQ(ReadSettingOrDefault(L"PATH", L"INDEX_APP", ini_, L"java").value, L"java");
  const std::string before = test::ReadBytes(ini_);
  EXPECT_EQ(ReadSettingOrDefault(L"PATH", L"INDEX_COMPILE", ini_, L"javac").value, L"jikes -g");
  EXPECT_EQ(test::ReadBytes(ini_), before);
}

TEST_F(SettingsFileTest, ShiftJisValueRoundTripsAsShiftJisBytes) {
  const std::wstring value = L"C:\\ツール\\表示\\javac.exe";
  ASSERT_TRUE(WriteSetting(L"PATH", L"INDEX_COMPILE", value, ini_).ok);
  EXPECT_EQ(ReadSetting(L"PATH", L"INDEX_COMPILE", ini_), value);
  // ツール in Shift-JIS; 表 has 0x5C as its second byte and must survive.
  const std::string bytes = test::ReadBytes(ini_);
  EXPECT_NE(bytes.find("\x83\x63\x81\x5B\x83\x8B"), std::string::npos);
  EXPECT_NE(bytes.find("\x95\x5C\x8E\xA6"), std::string::npos);
}

TEST_F(SettingsFileTest, LongValueIsCutToTheBuffer) {
  test::WriteBytes(ini_, "[PATH]\r\nINDEX_APP=" + std::string(2000, 'x') + "\r\n");
  EXPECT_EQ(ReadSetting(L"PATH", L"INDEX_APP", ini_), std::wstring(1023, L'x'));
}

TEST_F(SettingsFileTest, UnwritableFileFallsBackToDefaultAndSaysSo) {
  const std::wstring missing = folder_.path() + L"no such folder\\plum_dock.ini";
  plum::SettingRead read = ReadSettingOrDefault(L"CHECK", L"TOP", missing, L"1");
  EXPECT_EQ(read.value, L"1");
  EXPECT_FALSE(read.stored);
  plum::SettingWrite write = WriteSetting(L"CHECK", L"TOP", L"0", missing);
  EXPECT_FALSE(write.ok);
  EXPECT_FALSE(write.reason.empty());
}

TEST_F(SettingsFileTest, CharactersOutsideTheCodePageAreRefusedNotBestFitted) {
  // A yen sign best-fits to a backslash in code page 932; it must not.
  for (const wchar_t* value : {L"C:\\jdk\u00A5bin\\javac.exe", L"C:\\Jürgen\\javac.exe"}) {
    plum::SettingWrite write = WriteSetting(L"PATH", L"INDEX_COMPILE", value, ini_);
    EXPECT_FALSE(write.ok) << test::Utf8(value);
    EXPECT_NE(write.reason.find(L"U+00"), std::wstring::npos);
  }
  EXPECT_FALSE(test::FileExists(ini_));
}

}  // namespace
