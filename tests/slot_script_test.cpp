#include "slots/slot_script.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using plum::ComposeSlotScript;
using plum::ScriptArgument;
using plum::ScriptFolder;
using plum::ScriptToolCommand;
using plum::WriteSlotScript;

const std::wstring kBanner = L"@ECHO ------コマンドを実行します------\r\n";

std::wstring Expected(const std::wstring& folder, const std::wstring& line5) {
  return L"cd\\\r\ncd /d \"" + folder + L"\"\r\ncls\r\n" + kBanner + line5 + L"\r\n";
}

// Composes the script for a dropped path the way the writer does.
std::wstring Script(const std::wstring& tool, const std::wstring& dropped) {
  auto parts = plum::SplitDroppedPath(dropped);
  if (!parts) return L"<none>";
  return ComposeSlotScript(ScriptToolCommand(tool, false), ScriptFolder(parts->folder),
                           ScriptArgument(parts->name));
}

TEST(SlotScriptText, LinesForTypicalDrops) {
  struct Case {
    const wchar_t* tool;
    const wchar_t* dropped;
    std::wstring expected;
  } cases[] = {
      {L"javac", L"C:\\work\\src\\Hello.java", Expected(L"C:\\work\\src", L"javac Hello.java")},
      {L"javac", L"D:\\Hello.java", Expected(L"D:\\", L"javac Hello.java")},
      {L"java", L"C:\\my work\\Hello World.java",
       Expected(L"C:\\my work", L"java \"Hello World.java\"")},
      {L"", L"C:\\w\\Hello.java", Expected(L"C:\\w", L" Hello.java")},
      {L"javac", L"C:\\work\\src", Expected(L"C:\\work", L"javac src")},
      {L"javac", L"C:\\かな\\ハロー.java", Expected(L"C:\\かな", L"javac ハロー.java")},
      {L"javac -g %OPTS%", L"C:\\a\\B.java", Expected(L"C:\\a", L"javac -g %OPTS% B.java")},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Script(c.tool, c.dropped), c.expected) << test::Utf8(c.dropped);
  EXPECT_EQ(Script(L"javac", L"Hello.java"), L"<none>");
}

TEST(SlotScriptText, MetacharactersAreQuotedAndPercentsDoubled) {
  EXPECT_EQ(ScriptArgument(L"a&b.java"), L"\"a&b.java\"");
  EXPECT_EQ(ScriptArgument(L"x^y|z(1),2;3=4!.java"), L"\"x^y|z(1),2;3=4!.java\"");
  EXPECT_EQ(ScriptArgument(L"100%.java"), L"\"100%%.java\"");
  EXPECT_EQ(ScriptArgument(L"%PATH%.java"), L"\"%%PATH%%.java\"");
  EXPECT_EQ(ScriptArgument(L"plain-name_1.2+x@y#[z]{w}~'.java"),
            L"plain-name_1.2+x@y#[z]{w}~'.java");
  EXPECT_EQ(ScriptFolder(L"C:\\100%\\%TEMP%"), L"C:\\100%%\\%%TEMP%%");
  EXPECT_EQ(ScriptFolder(L"E:"), L"E:\\");
}

TEST(SlotScriptText, ToolCommandQuotedOnlyWhenItNamesAFileWithASpace) {
  EXPECT_EQ(ScriptToolCommand(L"C:\\Program Files\\jdk\\javac.exe", true),
            L"\"C:\\Program Files\\jdk\\javac.exe\"");
  EXPECT_EQ(ScriptToolCommand(L"\"C:\\Program Files\\jdk\\javac.exe\"", true),
            L"\"C:\\Program Files\\jdk\\javac.exe\"");
  EXPECT_EQ(ScriptToolCommand(L"javac -encoding UTF-8", false), L"javac -encoding UTF-8");
  EXPECT_EQ(ScriptToolCommand(L"C:\\jdk\\javac.exe", true), L"C:\\jdk\\javac.exe");
}

class SlotScriptFile : public ::testing::Test {
 protected:
  test::ScratchFolder app_{L"app"};
  std::wstring Bat(int slot) { return app_.path() + plum::SlotScriptName(slot); }
};

TEST_F(SlotScriptFile, WritesShiftJisBytesWithCrLfAndReplacesOnlyItsOwnScript) {
  ASSERT_TRUE(WriteSlotScript(0, L"C:\\x\\Old.java", app_.path(), L"appletviewer").ok);
  ASSERT_TRUE(WriteSlotScript(2, L"C:\\work\\src\\Hello.java", app_.path(), L"javac").ok);
  const std::string first = test::ReadBytes(Bat(0));
  ASSERT_TRUE(WriteSlotScript(2, L"C:\\かな\\ハロー.java", app_.path(), L"javac").ok);
  EXPECT_EQ(test::ReadBytes(Bat(2)),
            "cd\\\r\ncd /d \"C:\\\x82\xa9\x82\xc8\"\r\ncls\r\n"
            "@ECHO ------\x83\x52\x83\x7d\x83\x93\x83\x68\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82"
            "\xdc\x82\xb7------\r\n"
            "javac \x83\x6e\x83\x8d\x81\x5b.java\r\n");
  EXPECT_EQ(test::ReadBytes(Bat(0)), first);
  EXPECT_FALSE(test::FileExists(Bat(1)));
  EXPECT_FALSE(test::FileExists(Bat(2) + L".new"));
}

TEST_F(SlotScriptFile, UnwritableNamesLeaveThePreviousScriptAndSayWhy) {
  ASSERT_TRUE(WriteSlotScript(1, L"C:\\w\\Good.java", app_.path(), L"java").ok);
  const std::string good = test::ReadBytes(Bat(1));
  struct Case {
    const wchar_t* dropped;
    const wchar_t* mentioned;
  } cases[] = {
      {L"NoFolder.java", L"NoFolder.java"},
      {L"C:\\w\\M\u00FCller.java", L"U+00FC"},       // not in code page 932
      {L"C:\\w\\a\u00A5b.java", L"U+00A5"},          // yen: no best fit to '\'
      {L"C:\\w\\smile\U0001F600.java", L"U+1F600"},  // outside the BMP
  };
  for (const Case& c : cases) {
    plum::ScriptOutcome outcome = WriteSlotScript(1, c.dropped, app_.path(), L"java");
    EXPECT_FALSE(outcome.ok) << test::Utf8(c.dropped);
    EXPECT_NE(outcome.message.find(c.mentioned), std::wstring::npos) << test::Utf8(outcome.message);
    EXPECT_NE(outcome.message.find(Bat(1)), std::wstring::npos);
  }
  EXPECT_EQ(test::ReadBytes(Bat(1)), good);
}

TEST_F(SlotScriptFile, ReadOnlyScriptIsReportedWithTheSystemReason) {
  ASSERT_TRUE(WriteSlotScript(0, L"C:\\w\\A.java", app_.path(), L"java").ok);
  const std::wstring missingFolder = app_.path() + L"gone\\";
  plum::ScriptOutcome outcome = WriteSlotScript(0, L"C:\\w\\A.java", missingFolder, L"java");
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.message.find(missingFolder + L"plum_dock0.bat"), std::wstring::npos);
  EXPECT_NE(outcome.message.find(L"エラー"), std::wstring::npos);
}

}  // namespace
