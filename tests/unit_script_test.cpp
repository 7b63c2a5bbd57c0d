// Slot scripts: their exact bytes, refusals that leave the old script, and
// hostile folder and file names run for real by cmd.exe.
#include <gtest/gtest.h>

#include "common/paths.h"
#include "slots/slot_script.h"
#include "support.h"

namespace {

using namespace t;

struct ScriptTest : ::testing::Test {
  Scratch app{L"app"}, work{L"hostile"};
  fs::path log = work.dir / L"tool.log";
  void SetUp() override { SetEnvironmentVariableW(L"PLUM_TOOL_LOG", log.c_str()); }
  fs::path Bat(int slot) { return app.dir / plum::SlotScriptName(slot); }
  plum::Outcome Write(int slot, const fs::path& dropped, const std::wstring& tool) {
    return plum::WriteSlotScript(slot, dropped, app.dir.wstring() + L"\\", tool);
  }
};

TEST_F(ScriptTest, BytesAreCodePage932WithCrLf) {
  const std::string banner = "@ECHO ------" + Sjis(L"コマンドを実行します") + "------\r\n";
  struct {
    const wchar_t *tool, *dropped;
    std::string line2, line5;
  } cases[] = {
      {L"javac", L"C:\\work\\src\\Hello.java", "C:\\work\\src", "javac Hello.java"},
      {L"javac", L"D:\\Hello.java", "D:\\", "javac Hello.java"},
      {L"java", L"C:\\my work\\Hello World.java", "C:\\my work", "java \"Hello World.java\""},
      {L"", L"C:\\w\\Hello.java", "C:\\w", " Hello.java"},
      {L"javac", L"C:\\表\\ソース.java", Sjis(L"C:\\表"), "javac " + Sjis(L"ソース.java")},
      {L"javac -g %X%", L"C:\\100%\\a&b.java", "C:\\100%%", "javac -g %X% \"a&b.java\""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Write(2, c.dropped, c.tool).ok);
    EXPECT_EQ(ReadFile(Bat(2)), "cd\\\r\ncd /d \"" + c.line2 + "\"\r\ncls\r\n" + banner + c.line5 +
                                    " & goto :eof\r\n")
        << Utf8(c.dropped);
  }
  EXPECT_FALSE(fs::exists(Bat(0)) || fs::exists(Bat(1)));
}

TEST_F(ScriptTest, RefusalLeavesTheOldScriptAndNoHalfWrittenFile) {
  ASSERT_TRUE(Write(1, L"C:\\w\\Good.java", L"java").ok);
  const std::string good = ReadFile(Bat(1));
  struct {
    const wchar_t *dropped, *named;
  } cases[] = {
      {L"NoFolder.java", L"NoFolder.java"},
      {L"C:\\w\\M\u00FCller.java", L"U+00FC"},
      {L"C:\\w\\a\u00A5b.java", L"U+00A5"},  // a yen sign is never a backslash
      {L"C:\\w\\smile\U0001F600.java", L"U+1F600"},
  };
  for (const auto& c : cases) {
    const plum::Outcome out = Write(1, c.dropped, L"java");
    EXPECT_FALSE(out.ok);
    EXPECT_NE(out.message.find(c.named), std::wstring::npos) << Utf8(out.message);
    EXPECT_NE(out.message.find(Bat(1).wstring()), std::wstring::npos) << Utf8(out.message);
  }
  EXPECT_EQ(ReadFile(Bat(1)), good);
  EXPECT_EQ(std::distance(fs::directory_iterator(app.dir), {}), 1);
}

// Each name is written by the script writer and run by cmd.exe: the tool
// runs once, in the file's folder, with the name as its one argument, and
// canary.exe (beside the file) never runs.
TEST_F(ScriptTest, HostileNamesRunAsOneArgumentInTheirFolder) {
  const fs::path tool = PlaceTool(work.dir / L"bin dir" / L"javac.exe");
  const std::wstring names[][2] = {
      {L"a & canary & b", L"x&canary&.java"},
      {L"100% (%PATH%)", L"%PATH%~dp0 %1.java"},
      {L"^^ ! ;,=", L"^&canary^ !PATH!.java"},
      {L"表 能 ソ ポ", L"能 ソ表 & canary.java"},
      {L"(canary)", L"a)&(canary.java"},
      {L"%%~f0", L"%CD% =canary= '`.java"},
      {L"x", std::wstring(200, L'&') + L".java"},
      {L"M\u00FCller \u20AC", L"Hello.java"},  // a folder outside code page 932: its short form
  };
  size_t runs = 0;
  for (const fs::path& drive : {work.dir, fs::path(L"D:\\")}) {
    for (const auto& n : names) {
      const fs::path folder = drive / n[0];
      fs::create_directories(folder);
      WriteFile(folder / n[1], "class X {}");
      PlaceTool(folder / L"canary.exe");
      ASSERT_TRUE(Write(1, folder / n[1], tool).ok) << Utf8(n[1]);
      EXPECT_EQ(RunWait(L"cmd /c \"\"" + Bat(1).wstring() + L"\" >nul\""), 0);
      const std::vector<ToolRun> all = ToolRuns(log);
      ASSERT_EQ(all.size(), ++runs) << Utf8(folder / n[1]);
      EXPECT_EQ(all.back().program, L"javac.exe");
      EXPECT_TRUE(fs::equivalent(all.back().folder, folder)) << Utf8(all.back().folder);
      EXPECT_EQ(all.back().args, std::vector<std::wstring>{n[1]});
    }
  }
  for (const auto& n : names) fs::remove_all(fs::path(L"D:\\") / n[0]);
}

// A tool under a folder whose name cmd.exe would act on (no space in its
// path, so a quote can come from nothing else); the last one is outside code
// page 932, so its short form is written.
TEST_F(ScriptTest, ToolPathsWithCmdCharactersRunTheTool) {
  const fs::path dropped = work.dir / L"Hello.java", tools = plum::ShortPathOf(work.dir);
  ASSERT_EQ(tools.wstring().find(L' '), std::wstring::npos);
  WriteFile(dropped, "class Hello {}");
  const wchar_t* folders[] = {L"R&D", L"a^b", L"100%", L"%PATH%", L"x(y);z,=w", L"R&D \u20AC"};
  for (const wchar_t* const& name : folders) {
    ASSERT_TRUE(Write(2, dropped, PlaceTool(tools / name / L"javac.exe")).ok) << Utf8(name);
    RunWait(L"cmd /c \"\"" + Bat(2).wstring() + L"\" >nul\"");
    const std::vector<ToolRun> runs = ToolRuns(log);
    ASSERT_EQ(runs.size(), static_cast<size_t>(&name - folders + 1)) << Utf8(name);
    EXPECT_EQ(runs.back().args, std::vector<std::wstring>{L"Hello.java"});
  }
}

}  // namespace
