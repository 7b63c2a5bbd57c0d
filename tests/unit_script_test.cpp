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
    int slot;
    const wchar_t *tool, *dropped;
    std::string line2, line5;
  } cases[] = {
      {2, L"javac", L"C:\\work\\src\\Hello.java", "cd /d \"C:\\work\\src\"", "javac Hello.java"},
      {2, L"javac", L"D:\\Hello.java", "cd /d \"D:\\\"", "javac Hello.java"},
      {1, L"java", L"C:\\my work\\Hello World.java", "cd /d \"C:\\my work\"",
       "java \"Hello World.java\""},
      {2, L"", L"C:\\w\\Hello.java", "cd /d \"C:\\w\"", " Hello.java"},
      {2, L"javac", L"C:\\表\\ソース.java", Sjis(L"cd /d \"C:\\表\""),
       "javac " + Sjis(L"ソース.java")},
      {2, L"javac -g %X%", L"C:\\100%\\a&b.java", "cd /d \"C:\\100%%\"",
       "javac -g %X% \"a&b.java\""},
      // A network folder is entered with pushd and left with popd.
      {2, L"javac", L"\\\\srv\\share\\dir\\A.java", "pushd \"\\\\srv\\share\\dir\"",
       "javac A.java & popd"},
      // The launcher takes a class by its name and a jar after -jar.
      {1, L"java", L"C:\\w\\Hello.class", "cd /d \"C:\\w\"", "java Hello"},
      {1, L"\"C:\\jdk 17\\bin\\JAVA.EXE\" -ea", L"C:\\w\\App.JAR", "cd /d \"C:\\w\"",
       "\"C:\\jdk 17\\bin\\JAVA.EXE\" -ea -jar App.JAR"},
      {1, L"javaw -cp lib", L"C:\\w\\My App.jar", "cd /d \"C:\\w\"",
       "javaw -cp lib -jar \"My App.jar\""},
      {1, L"C:/jdk/java", L"C:\\w\\Hello.Class", "cd /d \"C:\\w\"", "C:/jdk/java Hello"},
      {1, L"java", L"C:\\w\\Hello.java", "cd /d \"C:\\w\"", "java Hello.java"},
      {2, L"java", L"C:\\w\\Hello.class", "cd /d \"C:\\w\"", "java Hello.class"},
      {1, L"javac", L"C:\\w\\Hello.class", "cd /d \"C:\\w\"", "javac Hello.class"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Write(c.slot, c.dropped, c.tool).ok);
    EXPECT_EQ(ReadFile(Bat(c.slot)), "cd\\\r\n" + c.line2 +
                                         " & if errorlevel 1 goto :eof\r\ncls\r\n" + banner +
                                         c.line5 + " & goto :eof\r\n")
        << Utf8(c.dropped);
  }
  EXPECT_FALSE(fs::exists(Bat(0)));
}

TEST_F(ScriptTest, RefusalLeavesTheOldScriptAndNoHalfWrittenFile) {
  ASSERT_TRUE(Write(1, L"C:\\w\\Good.java", L"java").ok);
  const std::string good = ReadFile(Bat(1));
  struct {
    std::wstring dropped, named;
  } cases[] = {
      {L"NoFolder.java", L"NoFolder.java"},
      {L"C:\\" + std::wstring(256, L'x') + L"\\A.java", L"259 文字"},  // too long, no short form
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
// (under a folder whose name cmd.exe would act on, with no space in its path,
// so that a quote can come from nothing else) runs once, in the file's
// folder, with the name as its one argument, and canary.exe beside the file
// never runs. Folders outside code page 932 go by their short form.
TEST_F(ScriptTest, HostileNamesRunAsOneArgumentInTheirFolder) {
  const fs::path tools = plum::ShortPathOf(work.dir);
  ASSERT_EQ(tools.wstring().find(L' '), std::wstring::npos);
  const std::wstring names[][3] = {
      {L"a & canary & b", L"x&canary&.java", L"R&D"},
      {L"100% (%PATH%)", L"%PATH%~dp0 %1.java", L"a^b"},
      {L"^^ ! ;,=", L"^&canary^ !PATH!.java", L"100%"},
      {L"表 能 ソ ポ", L"能 ソ表 & canary.java", L"%PATH%"},
      {L"(canary)", L"a)&(canary.java", L"x(y);z,=w"},
      {L"%%~f0", L"%CD% =canary= '`.java", L"R&D \u20AC"},
      {L"x", std::wstring(200, L'&') + L".java", L"bin"},
      {L"M\u00FCller \u20AC", L"Hello.java", L"bin"},
      {std::wstring(250, L'L'), L"Hello.java", L"bin"},  // too long for cmd.exe in the work folder
  };
  size_t runs = 0;
  // Drive D: and a network share, emptied by tests/wine-session.sh.
  for (const fs::path& drive : {work.dir, fs::path(L"D:\\"), fs::path(L"\\\\plum\\share")}) {
    for (const auto& n : names) {
      const fs::path folder = drive / n[0];
      if (drive.wstring()[0] == L'\\' && &n >= &names[7]) continue;  // a share has no short names
      fs::create_directories(folder);
      WriteFile(folder / n[1], "class X {}");
      PlaceTool(folder / L"canary.exe");
      ASSERT_TRUE(Write(1, folder / n[1], PlaceTool(tools / n[2] / L"javac.exe")).ok) << Utf8(n[1]);
      EXPECT_EQ(RunWait(L"cmd /c \"\"" + Bat(1).wstring() + L"\" >nul\""), 0);
      const std::vector<ToolRun> all = ToolRuns(log);
      ASSERT_EQ(all.size(), ++runs) << Utf8(folder / n[1]) << " " << Utf8(n[2]);
      EXPECT_EQ(all.back().program, L"javac.exe");
      EXPECT_TRUE(fs::equivalent(all.back().folder, folder)) << Utf8(all.back().folder);
      EXPECT_EQ(all.back().args, std::vector<std::wstring>{n[1]});
    }
  }
  // A folder gone before the run: the tool does not run.
  fs::create_directories(work.dir / L"gone");
  ASSERT_TRUE(Write(1, work.dir / L"gone" / L"A.java", tools / L"bin" / L"javac.exe").ok);
  fs::remove(work.dir / L"gone");
  RunWait(L"cmd /c \"\"" + Bat(1).wstring() + L"\" >nul 2>nul\"");
  EXPECT_EQ(ToolRuns(log).size(), runs);
}

// The machine's JDK, its Linux tools linked under names ending in .exe
// (tests/wine-session.sh): what is compiled on slot 2 runs on slot 1 as a
// class, as a jar and as a source. Wine does not wait for a Linux tool, and
// its output stays in the terminal: the file the program writes tells.
TEST_F(ScriptTest, TheRealJdkRunsAClassAJarAndASourceOnTheLauncherSlot) {
  const fs::path jdk = fs::path(_wgetenv(L"PLUM_TEST_TOOLS")) / L"jdk 17", src = work.dir;
  WriteFile(src / L"Hello.java",
            "public class Hello { public static void main(String[] a) throws Exception {"
            " java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), \"ran\"); } }");
  const auto made = [](const fs::path& file) {  // and written
    return WaitFor([&] { return fs::exists(file) && (Sleep(500), fs::file_size(file)); }, 60000);
  };
  const auto run = [&](int slot, const wchar_t* tool, const wchar_t* name, const wchar_t* result) {
    fs::remove(src / result);
    ASSERT_TRUE(Write(slot, src / name, jdk / tool).ok);
    RunWait(L"cmd /c \"\"" + Bat(slot).wstring() + L"\" >nul\"");
    EXPECT_TRUE(made(src / result)) << Utf8(name);
  };
  run(2, L"javac.exe", L"Hello.java", L"Hello.class");
  run(1, L"java.exe", L"Hello.class", L"ran.txt");
  SetCurrentDirectoryW(src.c_str());  // the jar tool takes Linux paths: relative ones
  const Process jar = Spawn(Line({jdk / L"jar.exe", L"cfe", L"App.jar", L"Hello", L"Hello.class"}));
  SetCurrentDirectoryW(Here().c_str());
  ASSERT_TRUE(made(src / L"App.jar"));
  fs::remove(src / L"Hello.class");
  run(1, L"java.exe", L"App.jar", L"ran.txt");
  run(1, L"java.exe", L"Hello.java", L"ran.txt");
  EXPECT_FALSE(fs::exists(src / L"Hello.class"));  // the source ran as it is
}

}  // namespace
