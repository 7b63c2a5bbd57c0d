// Slot scripts: the text each kind of drop gets (no files), the bytes on disk
// or none, hostile names run by cmd.exe, and the machine's real JDK.
#include <gtest/gtest.h>

#include "common/dock_files.h"
#include "common/file_replace.h"
#include "common/paths.h"
#include "slots/java_files.h"
#include "slots/jdk_tools.h"
#include "slots/slot_script.h"
#include "support.h"

namespace {

using namespace t;

const std::wstring kEndLine =
    L" & call @echo ------コマンドが終了しました (終了コード %%errorlevel%%)------";

struct Drop {
  int slot;
  const wchar_t *tool, *dropped;
  std::string contents = "";
  // A bare command's program in an installed JDK, which the PATH then does
  // not find; when none is given, the PATH finds every bare program.
  const wchar_t* found = L"";
  const wchar_t* shortForm = L"";
  bool namesFile = false;
  int java = 0;  // the Java of the program that runs, when known
  // An installed JDK's program, of Java `newerJava`, for a class that needs
  // a newer one.
  const wchar_t* newer = L"";
  int newerJava = 0;
  const wchar_t* source = L"";  // a source beside the class, written before it (< 100) or after
  ULONGLONG sourceWritten = 0;
  const wchar_t* viewer = L"C:\\d\\plum_viewer.java";
};

// The script the writer's own planning makes for `d`, as its folder line and
// its tool line without their fixed ends, the banner line's notices between
// them, after the lookups it asked for beyond the tool's ("[read java
// short]"); or the refusal.
std::wstring Compose(const Drop& d) {
  std::wstring asked;
  plum::SystemAnswers system;
  system.drop.isFile = [&](const std::wstring& path) { return d.namesFile && path == d.tool; };
  // No JDK here has an appletviewer, as none of JDK 11 and later has.
  system.drop.onPath = [&](const std::wstring& program) {
    return *d.found || program == L"appletviewer" ? L"" : L"C:\\bin\\" + program + L".exe";
  };
  system.drop.installedJdk = [&](const std::wstring& program, int atLeast,
                                 int atMost) -> plum::JdkProgram {
    if (atLeast || atMost)
      return {plum::JavaInRange(d.newerJava, atLeast, atMost) ? d.newer : L"", d.newerJava};
    if (program == L"appletviewer") return {};
    return {*d.found ? d.found : L"C:\\jdk\\bin\\" + program + L".exe", 0};
  };
  system.drop.javaVersion = [&](const std::wstring&) {
    asked += L" java";
    return d.java;
  };
  system.drop.contents = [&](const std::wstring& path) {
    asked += L" read";
    EXPECT_EQ(path, d.dropped);
    return d.contents;
  };
  system.drop.lastWritten = [&](const std::wstring& path) -> ULONGLONG {
    return path == d.dropped ? 100 : path == d.source ? d.sourceWritten : 0;
  };
  system.shortForm = [&](const std::wstring&) {
    asked += L" short";
    return std::wstring(d.shortForm);
  };
  system.consoleCodePage = system.ansiCodePage = 932;
  const plum::ScriptText script = plum::ScriptForDrop(d.slot, d.dropped, d.tool, d.viewer, system);
  if (!script.ok()) return script.refusal;
  const std::wstring fixed[][2] = {
      {L"cd\\\r\n", L""},
      {L" & if errorlevel 1 goto :eof\r\ncls\r\n@ECHO ------コマンドを実行します------", L" |"},
      {L"\r\n", L" "},
      {kEndLine, L""},
      {L" & goto :eof\r\n", L""},
      // A program that reads its arguments: "?", the prompt in [], the loop's first letter.
      {L"& echo ------コマンドライン引数を入力して Enter を押してください (なければそのまま "
       L"Enter)------",
       L"?"},
      {L"@set \"PLUM_DOCK_ARGS==\" & set /p \"PLUM_DOCK_ARGS=", L"["},
      {L"\" & for /f \"tokens=1* delims==\" %%", L"]"},
      {L" in ('set PLUM_DOCK_ARGS') do @", L" "}};
  std::wstring text = script.text;
  for (const auto& [part, replacement] : fixed) {
    const size_t at = text.find(part);
    if (at != std::wstring::npos) text.replace(at, part.size(), replacement);
  }
  return asked.empty() ? text : L"[" + asked.substr(1) + L"] " + text;
}

TEST(ScriptText, EachKindOfDrop) {
  const std::string classInChap01 = ClassFile("chap01/Hello");
  const std::string args = "\x2A\xBE\x57\xB1";  // a main that reads args.length
  const std::wstring tooLong = L"C:\\" + std::wstring(256, L'x') + L"\\A.java";
  const wchar_t* const jdk21 = L"C:\\jdk-21\\bin\\java.exe";
  const std::wstring tooOld = L"------このクラスの実行には Java ";
  const std::wstring viewer = L"-Dfile.encoding=MS932 C:\\d\\plum_viewer.java ";
  const std::wstring stale =
      L"------注意: ソースファイルがこのクラスファイルより新しくなっています "
      L"(コンパイルし直してください)------";
  const std::pair<Drop, std::wstring> drops[] = {
      {{2, L"javac", L"C:\\work\\src\\Hello.java"},
       L"[read] cd /d \"C:\\work\\src\" | javac Hello.java"},
      {{2, L"javac", L"D:\\Hello.java"}, L"[read] cd /d \"D:\\\" | javac Hello.java"},
      {{1, L"java", L"C:\\my work\\Hello World.java"},
       L"[read java] cd /d \"C:\\my work\" | java -Dfile.encoding=MS932 \"Hello World.java\""},
      {{2, L"", L"C:\\w\\Hello.java"}, L"cd /d \"C:\\w\" |  Hello.java"},
      {{2, L"javac -g %X%", L"C:\\100%\\a&b.java"},
       L"[read] cd /d \"C:\\100%%\" | javac -g %X% \"a&b.java\""},
      {{2, L"javac", L"\\\\srv\\share\\dir\\A.java"},
       L"[read] pushd \"\\\\srv\\share\\dir\" | javac A.java & popd"},
      {{2, L"javac", tooLong.c_str(), "", L"", L"C:\\XXXXXX~1"},
       L"[read short] cd /d \"C:\\XXXXXX~1\\\" | javac A.java"},
      {{2, L"C:\\J\u00FCrgen\\javac.exe", L"C:\\w\\A.java", "", L"", L"C:\\JRGEN~1\\javac.exe",
        true},
       L"[read short] cd /d \"C:\\w\" | C:\\JRGEN~1\\javac.exe A.java"},
      // The launcher takes a class by its name (by its full name from its
      // package's root) and a jar after -jar.
      {{1, L"java", L"C:\\w\\Hello.class"},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 Hello"},
      {{1, L"\"C:\\jdk 17\\bin\\JAVA.EXE\" -ea", L"C:\\w\\App.JAR"},
       L"cd /d \"C:\\w\" | \"C:\\jdk 17\\bin\\JAVA.EXE\" -ea -jar App.JAR"},
      {{1, L"javaw -cp lib", L"C:\\w\\My App.jar"},
       L"cd /d \"C:\\w\" | javaw -cp lib -jar \"My App.jar\""},
      {{1, L"C:/jdk/java", L"C:\\w\\Hello.Class"},
       L"[read java] cd /d \"C:\\w\" | C:/jdk/java -Dfile.encoding=MS932 Hello"},
      {{1, L"java", L"C:\\w\\Hello.java"},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 Hello.java"},
      {{2, L"java", L"C:\\w\\Hello.class"}, L"cd /d \"C:\\w\" | java Hello.class"},
      {{1, L"javac", L"C:\\w\\Hello.class"}, L"cd /d \"C:\\w\" | javac Hello.class"},
      {{1, L"java", L"C:\\w\\Chap01\\Hello.class", classInChap01},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 chap01.Hello"},
      {{1, L"java", L"\\\\srv\\share\\chap01\\Hello.class", classInChap01},
       L"[read java] pushd \"\\\\srv\\share\" | java -Dfile.encoding=MS932 chap01.Hello & popd"},
      {{1, L"java", L"C:\\w\\misc\\Hello.class", classInChap01},
       L"[read java] cd /d \"C:\\w\\misc\" | java -Dfile.encoding=MS932 Hello"},
      {{1, L"java", L"C:\\w\\chap01\\Hello.class", "not a class"},
       L"[read java] cd /d \"C:\\w\\chap01\" | java -Dfile.encoding=MS932 Hello"},
      // javac gets a source's encoding, and a package's source from its root.
      {{2, L"javac", L"C:\\w\\J.java", Utf8(L"class J { String s = \"日本\"; }")},
       L"[read] cd /d \"C:\\w\" | javac -encoding UTF-8 J.java"},
      {{2, L"\"C:\\jdk\\bin\\javac.exe\"", L"C:\\w\\J.java", Sjis(L"// 日本\nclass J {}")},
       L"[read] cd /d \"C:\\w\" | \"C:\\jdk\\bin\\javac.exe\" -encoding MS932 J.java"},
      {{2, L"javac -encoding EUC-JP", L"C:\\w\\J.java", Utf8(L"// 日本")},
       L"[read] cd /d \"C:\\w\" | javac -encoding EUC-JP J.java"},
      {{1, L"java", L"C:\\w\\J.java", Utf8(L"// 日本")},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=UTF-8 J.java"},
      {{2, L"javac", L"C:\\w\\jp\\Ex\\Hello.java", Utf8(L"\uFEFF/* 例 */ // c\n package jp . ex;")},
       L"[read] cd /d \"C:\\w\" | javac -encoding UTF-8 jp/Ex/Hello.java"},
      {{2, L"javac", L"C:\\w\\app_a\\chap09\\a9_1\\A.java", "package app_a.chap09.a9_1;"},
       L"[read] cd /d \"C:\\w\" | javac app_a/chap09/a9_1/A.java"},
      {{2, L"javac", L"C:\\w\\other\\Hello.java", "package chap01;"},
       L"[read] cd /d \"C:\\w\\other\" | javac Hello.java"},
      {{2, L"javac", L"C:\\w\\chap01\\J.java", "/* never closed"},
       L"[read] cd /d \"C:\\w\\chap01\" | javac J.java"},
      {{2, L"javac", L"C:\\w\\chap01\\Hello.java", "packaged chap01;"},
       L"[read] cd /d \"C:\\w\\chap01\" | javac Hello.java"},
      // The launcher names the encoding a class reads typed text in unless its Java is older
      // than 18, a source's own, and the Java a class needs when the tool's is older.
      {{1, L"java", L"C:\\w\\Hello.class", "", L"", L"", false, 17},
       L"[read java] cd /d \"C:\\w\" | java Hello"},
      {{1, L"java", L"C:\\w\\Hello.class", "", L"", L"", false, 18},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 Hello"},
      {{1, L"java -Dfile.encoding=UTF-8", L"C:\\w\\Hello.class"},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=UTF-8 Hello"},
      {{1, L"java", L"C:\\w\\J.java", Sjis(L"// 日本"), L"", L"", false, 17},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 J.java"},
      {{1, L"java", L"C:\\w\\A.java", "class A {}", L"", L"", false, 17},
       L"[read java] cd /d \"C:\\w\" | java A.java"},
      {{1, L"java -ea", L"C:\\w\\Hello.class", ClassFile("Hello", 65), L"", L"", false, 8, jdk21,
        21},
       L"[read java] cd /d \"C:\\w\" | C:\\jdk-21\\bin\\java.exe -ea -Dfile.encoding=MS932 Hello"},
      {{1, L"java", L"C:\\w\\Hello.class", ClassFile("Hello", 52), L"", L"", false, 8, jdk21, 21},
       L"[read java] cd /d \"C:\\w\" | java Hello"},
      {{1, L"java", L"C:\\w\\Hello.class", ClassFile("Hello", 69), L"", L"", false, 8, jdk21, 21},
       L"[read java] cd /d \"C:\\w\" |& echo " + tooOld +
           L"25 以降が必要です (このツールは Java 8)------ java Hello"},
      {{1, L"C:\\jre8\\bin\\java.exe", L"C:\\w\\Hello.class", ClassFile("Hello", 65), L"", L"",
        true, 8, jdk21, 21},
       L"[read java] cd /d \"C:\\w\" |& echo " + tooOld +
           L"21 以降が必要です (このツールは Java 8)------ C:\\jre8\\bin\\java.exe Hello"},
      // A class older than its source (named in it, else its own name up to a $) says so.
      {{1, L"java", L"C:\\w\\Hello.class", ClassFile("Hello", 61, "Other.java"), L"", L"", false,
        17, L"", 0, L"C:\\w\\Other.java", 200},
       L"[read java] cd /d \"C:\\w\" |& echo " + stale + L" java Hello"},
      {{1, L"java", L"C:\\w\\Hello$1.class", ClassFile("Hello$1"), L"", L"", false, 17, L"", 0,
        L"C:\\w\\Hello.java", 200},
       L"[read java] cd /d \"C:\\w\" |& echo " + stale + L" java Hello$1"},
      {{1, L"java", L"C:\\w\\Hello.class", ClassFile("Hello", 61, "..\\Other.java"), L"", L"",
        false, 17, L"", 0, L"C:\\w\\Hello.java", 200},
       L"[read java] cd /d \"C:\\w\" |& echo " + stale + L" java Hello"},  // a name with a folder
      {{1, L"java", L"C:\\w\\Hello.class", ClassFile("Hello", 61, "Other.java"), L"", L"", false,
        17, L"", 0, L"C:\\w\\Other.java", 50},
       L"[read java] cd /d \"C:\\w\" | java Hello"},
      // A bare command off PATH runs a JDK's program, with its options.
      {{2, L"javac -g", L"C:\\w\\A.java", "", L"C:\\Program Files\\Java\\jdk-21\\bin\\javac.exe"},
       L"[read] cd /d \"C:\\w\" | \"C:\\Program Files\\Java\\jdk-21\\bin\\javac.exe\" -g A.java"},
      {{1, L"java", L"C:\\w\\Hello.class", "", L"C:\\jdk\\bin\\java.exe"},
       L"[read java] cd /d \"C:\\w\" | C:\\jdk\\bin\\java.exe -Dfile.encoding=MS932 Hello"},
      // A class or source whose main reads its arguments asks for them, the name it runs by in the
      // prompt when plain; the loop's letters are never ones that follow a % in a name.
      {{1, L"java", L"C:\\w\\app_a\\chap09\\a9_1\\A.class",
        ClassFile("app_a/chap09/a9_1/A", 61, "", args)},
       L"[read java] cd /d \"C:\\w\" |? [java app_a.chap09.a9_1.A]A java -Dfile.encoding=MS932 "
       L"app_a.chap09.a9_1.A %%B"},
      {{1, L"java", L"C:\\w\\%A&b.class", ClassFile("%A&b", 61, "", args)},
       L"[read java] cd /d \"C:\\w\" |? [java ]B java -Dfile.encoding=MS932 \"%%A&b\" %%C"},
      {{1, L"java", L"C:\\w\\A.java", "class A { static void main(String... a) { f(a); } }"},
       L"[read java] cd /d \"C:\\w\" |? [java A.java]A java -Dfile.encoding=MS932 A.java %%B"},
      {{1, L"java", L"C:\\w\\A.java", "class A { static void main(String a[]) { /* a */ } }"},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 A.java"},
      {{1, L"java", L"C:\\w\\A.java", "class A { static void main(final String[] a) {}\n}"},
       L"[read java] cd /d \"C:\\w\" | java -Dfile.encoding=MS932 A.java"},
      // An appletviewer that no JDK here has: the dock's viewer on a java that runs applets (the
      // PATH's, an installed one, one of unknown version), or the line when every one is too new.
      {{0, L"appletviewer", L"C:\\w\\A.html", "", L"", L"", false, 17},
       L"[java java] cd /d \"C:\\w\" | C:\\bin\\java.exe " + viewer + L"A.html"},
      {{0, L"appletviewer -encoding UTF-8", L"C:\\w\\A.java", "", L"", L"", false, 26, jdk21, 21},
       L"[java java] cd /d \"C:\\w\" | C:\\jdk-21\\bin\\java.exe " + viewer +
           L"-encoding UTF-8 A.java"},
      {{0, L"appletviewer", L"C:\\w\\A.html", "", L"", L"", false, 26},
       L"[java java] cd /d \"C:\\w\" |& echo ------アプレットの実行には JDK 25 "
       L"以前が必要です------ "
       L"appletviewer A.html"},
      {{0, L"appletviewer", L"C:\\w\\A.html", "", L"", L"C:\\Users\\JRGEN~1", false, 0, L"", 0, L"",
        0, L"C:\\Users\\J\u00FCrgen & 100%\\plum_viewer.java"},
       L"[java java short] cd /d \"C:\\w\" | C:\\bin\\java.exe -Dfile.encoding=MS932 "
       L"C:\\Users\\JRGEN~1\\plum_viewer.java A.html"},
      {{0, L"\"C:\\jdk8\\bin\\appletviewer.exe\"", L"C:\\w\\A.html"},
       L"cd /d \"C:\\w\" | \"C:\\jdk8\\bin\\appletviewer.exe\" A.html"},
  };
  for (const auto& [drop, lines] : drops) EXPECT_EQ(Compose(drop), lines) << Utf8(drop.dropped);
}

// Whether the main the launcher runs reads its parameter, its code walked instruction by
// instruction: bytes inside operands and switch padding are no loads; a damaged file reads none.
TEST(ScriptText, AClassWhoseMainReadsItsArguments) {
  using namespace std::string_literals;
  const std::string asking = ClassFile("A", 61, "", "\x2A\xBE\x57\xB1");  // args.length
  const std::string switches = "\x03\xAA\x2A\x2A\0\0\0\x2A\0\0\0\0\0\0\0\0\0\0\0\x2A"s +
                               "\x03\0\xAB\x2A\0\0\0\x2A\0\0\0\x01\0\0\0\x2A\0\0\0\x2A\x2A\xB1"s;
  const std::pair<std::string, bool> classes[] = {
      {asking, true},
      {ClassFile("A", 61, "A.java", "\x2A\xB8\0\x01\xB1"s), true},  // foo(args)
      {ClassFile("A", 61, "", "\x2B\xBE\x57\xB1", false), true},    // an instance main's
      {ClassFile("A", 61, "", "\x2A\x57\xB1", false), false},       // `this` only
      {ClassFile("A", 61, "", "\xB1"), false},
      {ClassFile("A", 61, "", "\xC4\x19\0\0\xB1"s), true},  // wide aload 0
      {ClassFile("A", 61, "", "\x10\x2A\x57\x11\x2A\x2B\x57\xB1"), false},
      {ClassFile("A", 61, "", switches), true},  // an aload_0 after the two switches
      {std::string(asking).replace(asking.size() - 11, 1, "\x40"), false},  // code past its end
      {std::string(asking).replace(asking.size() - 33, 1, "\x02"), false},  // "two methods"
  };
  for (const auto& row : classes)
    EXPECT_EQ(plum::ReadClassFile(row.first).readsArguments, row.second) << &row - classes;
}

TEST(ScriptText, RefusalsNameWhatStopsThem) {
  const std::wstring tooLong = L"C:\\" + std::wstring(256, L'x') + L"\\A.java";
  const std::pair<Drop, const wchar_t*> refusals[] = {
      {{1, L"java", L"NoFolder.java"}, L"「NoFolder.java」"},
      {{1, L"java", tooLong.c_str()}, L"259 文字"},  // and no short form
      {{1, L"java", L"C:\\M\u00FCller\\A.java"},
       L"フォルダー「C:\\M\u00FCller」の文字 「\u00FC」(U+00FC)"},
      {{1, L"java", L"C:\\w\\a\u00A5b.java"}, L"U+00A5"},  // a yen sign is never a backslash
      {{1, L"java", L"C:\\w\\smile\U0001F600.java"}, L"U+1F600"},
      {{1, L"C:\\J\u00FCrgen\\java.exe", L"C:\\w\\A.java", "", L"", L"", true},
       L"ツールのコマンド"},
  };
  for (const auto& [drop, named] : refusals)
    EXPECT_NE(Compose(drop).find(named), std::wstring::npos) << Utf8(Compose(drop));
}

struct ScriptTest : ::testing::Test {
  Scratch app{L"app"}, work{L"hostile"};
  fs::path log = work.dir / L"tool.log";
  void SetUp() override { SetEnvironmentVariableW(L"PLUM_TOOL_LOG", log.c_str()); }
  fs::path Bat(int slot) { return app.dir / plum::SlotScriptName(slot); }
  plum::Outcome Write(int slot, const fs::path& dropped, const std::wstring& tool) {
    return plum::WriteSlotScript(Bat(slot), slot, dropped, tool, L"");
  }
  int Run(int slot, const fs::path& input = L"nul") {  // with `input` as what is typed
    return RunWait(L"cmd /c \"\"" + Bat(slot).wstring() + L"\" <\"" + input.wstring() +
                   L"\" >nul 2>nul\"");
  }
};

// Code page 932 with CR LF, or, when refused, the old script as it was; a
// script held open by its running cmd.exe is rewritten whole, and one that
// cannot be is left whole.
TEST_F(ScriptTest, WrittenWholeInTheConsoleCodePageOrNotAtAll) {
  ASSERT_TRUE(Write(2, L"C:\\表\\ソース.java", L"javac").ok);
  const std::string written = ReadFile(Bat(2));
  EXPECT_EQ(written, Sjis(L"cd\\\r\ncd /d \"C:\\表\" & if errorlevel 1 goto :eof\r\ncls\r\n"
                          L"@ECHO ------コマンドを実行します------\r\njavac ソース.java" +
                          kEndLine + L" & goto :eof\r\n"));
  const plum::Outcome refused = Write(2, L"NoFolder.java", L"javac");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.message.find(Bat(2).wstring()), std::wstring::npos) << Utf8(refused.message);
  EXPECT_EQ(ReadFile(Bat(2)), written);

  for (const DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{FILE_SHARE_READ}}) {
    WriteFile(Bat(2), written);
    const HANDLE held =
        CreateFileW(Bat(2).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD error = plum::ReplaceFileContents(Bat(2), "short").error;
    CloseHandle(held);
    EXPECT_EQ(ReadFile(Bat(2)), error ? written : "short") << sharing;
  }
  // Held and mapped, which keeps it from getting shorter: the new text does not go in, the old one
  // goes back, and the message says nothing of a half-written script.
  WriteFile(Bat(2), written);
  const HANDLE file = CreateFileW(Bat(2).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  void* const view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  const std::wstring failed = Write(2, L"C:\\w\\A.java", L"javac").message;
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  CloseHandle(file);
  EXPECT_NE(failed, L"");
  EXPECT_EQ(failed.find(L"途中まで"), std::wstring::npos) << Utf8(failed);
  EXPECT_EQ(ReadFile(Bat(2)), written);
  EXPECT_EQ(std::distance(fs::directory_iterator(app.dir), {}), 1);
}

// Each name is written by the script writer and run by cmd.exe: the tool
// (under a folder whose name cmd.exe would act on, with no space in its path,
// so that a quote can come from nothing else) runs once, in the file's
// folder, with the name as its one argument, and canary.exe beside the file
// never runs. Folders outside code page 932 go by their short form. A
// source that reads its arguments gets the typed line's words after it, as
// typed, also when the names hold %X for the loop's letters; on the share
// nothing is typed (the input ends), and it runs with none.
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
      {L"%A %~nxB", L"%B %~$PATH:A.java", L"%~fA"},
      {L"x", std::wstring(200, L'&') + L".java", L"bin"},
      {L"M\u00FCller \u20AC", L"Hello.java", L"bin"},
      {std::wstring(250, L'L'), L"Hello.java", L"bin"},  // too long for cmd.exe in the work folder
  };
  const fs::path typed = work.dir / L"typed.txt";
  WriteFile(typed, "a \"two words\" & canary | b > out.txt ^ %PATH% !PATH!\r\n");
  const std::vector<std::wstring> words = {L"a", L"two words", L"&", L"canary", L"|",     L"b",
                                           L">", L"out.txt",   L"^", L"%PATH%", L"!PATH!"};
  size_t runs = 0;
  // Drive D: and a network share, emptied by tests/wine-session.sh.
  for (const fs::path& drive : {work.dir, fs::path(L"D:\\"), fs::path(L"\\\\plum\\share")}) {
    for (const auto& n : names) {
      const fs::path folder = drive / n[0];
      if (drive.wstring()[0] == L'\\' && &n >= &names[8]) continue;  // a share has no short names
      fs::create_directories(folder);
      PlaceTool(folder / L"canary.exe");
      for (const std::wstring program : {L"javac.exe", L"java.exe"}) {
        const bool asks = program == L"java.exe";
        WriteFile(folder / n[1], asks ? "class X { static void main(String[] a) { a[0] = \"\"; } }"
                                      : "class X {}");
        ASSERT_TRUE(Write(1, folder / n[1], PlaceTool(tools / n[2] / program)).ok) << Utf8(n[1]);
        const bool share = drive.wstring()[0] == L'\\';
        EXPECT_EQ(Run(1, share ? fs::path(L"nul") : typed), 0);
        const std::vector<ToolRun> all = ToolRuns(log);
        ++runs;
        ASSERT_EQ(all.size(), runs) << Utf8(folder / n[1]) << " " << Utf8(n[2]);
        EXPECT_EQ(all.back().program, program);
        EXPECT_TRUE(fs::equivalent(all.back().folder, folder)) << Utf8(all.back().folder);
        std::vector<std::wstring> args = {n[1]};
        if (asks) args.insert(args.begin(), L"-Dfile.encoding=MS932");
        if (asks && !share) args.insert(args.end(), words.begin(), words.end());
        EXPECT_EQ(all.back().args, args);
        EXPECT_FALSE(fs::exists(folder / L"out.txt"));
      }
    }
  }
  // A folder gone before the run: the tool does not run.
  fs::create_directories(work.dir / L"gone");
  ASSERT_TRUE(Write(1, work.dir / L"gone" / L"A.java", tools / L"bin" / L"javac.exe").ok);
  fs::remove(work.dir / L"gone");
  Run(1);
  EXPECT_EQ(ToolRuns(log).size(), runs);
}

// The machine's JDK, its Linux tools linked under names ending in .exe
// (tests/wine-session.sh). Wine does not wait for a Linux tool, and its
// output stays in the terminal: the files the programs write tell.
struct JdkTest : ScriptTest {
  const fs::path tools = _wgetenv(L"PLUM_TEST_TOOLS"), jdk = tools / L"jdk 17", src = work.dir;
  const fs::path javac = jdk / L"bin" / L"javac.exe", java = jdk / L"bin" / L"java.exe";
  const std::string main =
      "public static void main(String[] a) throws Exception {"
      " java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), ";
  // The slot's script run for `file`, and `result` written.
  void RunTo(int slot, const std::wstring& tool, const fs::path& file, const fs::path& result) {
    fs::remove(result);
    ASSERT_TRUE(Write(slot, file, tool).ok);
    Run(slot);
    const bool written =
        WaitFor([&] { return fs::exists(result) && fs::file_size(result); }, 60000);
    Sleep(500);  // and closed
    EXPECT_TRUE(written) << Utf8(file);
  }
};

TEST_F(JdkTest, CompilesAndRunsWhatLearnersDrop) {
  WriteFile(src / L"Hello.java", "public class Hello { " + main + "\"ran\" + a.length); } }");
  RunTo(2, javac, src / L"Hello.java", src / L"Hello.class");
  const plum::ClassFile compiled = plum::ReadClassFile(ReadFile(src / L"Hello.class"));
  EXPECT_EQ(compiled.sourceFile + L" " + std::to_wstring(compiled.java()), L"Hello.java 17");
  EXPECT_TRUE(compiled.readsArguments);
  RunTo(1, java, src / L"Hello.class", src / L"ran.txt");  // nothing typed: no arguments
  EXPECT_EQ(ReadFile(src / L"ran.txt"), "ran0");
  SetCurrentDirectoryW(src.c_str());  // the jar tool takes Linux paths: relative ones
  const Process jar =
      Spawn(Line({jdk / L"bin" / L"jar.exe", L"cfe", L"App.jar", L"Hello", L"Hello.class"}));
  SetCurrentDirectoryW(Here().c_str());
  ASSERT_TRUE(WaitFor([&] { return fs::exists(src / L"App.jar"); }, 60000));
  Sleep(500);
  fs::remove(src / L"Hello.class");
  RunTo(1, java, src / L"App.jar", src / L"ran.txt");
  RunTo(1, java, src / L"Hello.java", src / L"ran.txt");
  EXPECT_FALSE(fs::exists(src / L"Hello.class"));  // the source ran as it is

  // Japanese text saved in UTF-8 and in Shift-JIS, whichever the JDK reads by default.
  for (const wchar_t* encoding : {L"MS932", L"UTF-8"}) {
    SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS",
                            (std::wstring(L"-Dfile.encoding=") + encoding).c_str());
    const std::wstring source = L"public class J { // 日本語\n" +
                                std::wstring(main.begin(), main.end()) + L"\"日本語\"); } }";
    for (const std::string& bytes : {Utf8(source), Sjis(source)}) {
      WriteFile(src / L"J.java", bytes);
      RunTo(2, javac, src / L"J.java", src / L"J.class");
      RunTo(1, java, src / L"J.class", src / L"ran.txt");
      EXPECT_EQ(ReadFile(src / L"ran.txt"), Utf8(L"日本語")) << Utf8(encoding);
      fs::remove(src / L"J.class");  // else the source launcher refuses the source
      RunTo(1, java, src / L"J.java", src / L"ran.txt");
      EXPECT_EQ(ReadFile(src / L"ran.txt"), Utf8(L"日本語")) << Utf8(encoding) << " source";
    }
  }
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", nullptr);

  // A class of a package compiles with the package's other class and runs
  // by its full name, both from the package's root.
  fs::create_directories(src / L"chap01");
  WriteFile(src / L"chap01" / L"Greeting.java",
            "package chap01; class Greeting { static String text() { return \"pkg\"; } }");
  WriteFile(
      src / L"chap01" / L"Hello.java",
      "/* chapter 1 */\npackage chap01;\npublic class Hello { " + main + "Greeting.text()); } }");
  RunTo(2, javac, src / L"chap01" / L"Hello.java", src / L"chap01" / L"Hello.class");
  RunTo(1, java, src / L"chap01" / L"Hello.class", src / L"ran.txt");
  EXPECT_EQ(ReadFile(src / L"ran.txt"), "pkg");

  // A bare javac with no javac on PATH: the JDK that JAVA_HOME names, else
  // the one an installer registered.
  SetEnvironmentVariableW(L"JAVA_HOME", jdk.c_str());
  RunTo(2, L"javac", src / L"Hello.java", src / L"Hello.class");
  SetEnvironmentVariableW(L"JAVA_HOME", nullptr);
  const Registered registered(
      {KEY_WOW64_64KEY, L"SOFTWARE\\JavaSoft\\JDK", L"17.0.99", L"", L"JavaHome"}, jdk);
  RunTo(2, L"javac -g", src / L"Hello.java", src / L"Hello.class");
}

// What the learner types, as a code page 932 console gives it, reaches a class's program right
// whichever default the JDK has. With an old Java 8 first on the PATH, a class that JDK 17
// compiled runs on the installed JDK 17, and one compiled for Java 8 on that Java 8.
TEST_F(JdkTest, TypedJapaneseAndAJavaThatCanRunTheClass) {
  WriteFile(tools / L"jdk input" / L"input.txt", Sjis(L"山田\r\n"));
  WriteFile(src / L"Name.java",
            "public class Name { " + main + "new java.util.Scanner(System.in).nextLine()); } }");
  RunTo(2, javac, src / L"Name.java", src / L"Name.class");
  for (const wchar_t* encoding : {L"MS932", L"UTF-8"}) {
    SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS",
                            (std::wstring(L"-Dfile.encoding=") + encoding).c_str());
    RunTo(1, tools / L"jdk input" / L"bin" / L"java.exe", src / L"Name.class", src / L"ran.txt");
    EXPECT_EQ(ReadFile(src / L"ran.txt"), Utf8(L"山田")) << Utf8(encoding);
  }
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", nullptr);

  const fs::path javapath = work.dir / L"javapath";
  PlaceTool(javapath / L"java.exe", L"java8.exe");
  wchar_t path[32767] = {};
  GetEnvironmentVariableW(L"PATH", path, 32767);
  SetEnvironmentVariableW(L"PATH", (javapath.wstring() + L";" + path).c_str());
  const Registered registered(
      {KEY_WOW64_64KEY, L"SOFTWARE\\JavaSoft\\JDK", L"17.0.99", L"", L"JavaHome"}, jdk);
  WriteFile(src / L"Hello.java", "public class Hello { " + main + "\"ran\"); } }");
  RunTo(2, javac, src / L"Hello.java", src / L"Hello.class");
  RunTo(1, L"java", src / L"Hello.class", src / L"ran.txt");
  EXPECT_TRUE(ToolRuns(log).empty());
  WriteFile(src / L"Hello.java", "public class Hello { public static void main(String[] a) {} }");
  RunTo(2, L"\"" + javac.wstring() + L"\" --release 8", src / L"Hello.java", src / L"Hello.class");
  ASSERT_TRUE(Write(1, src / L"Hello.class", L"java").ok);
  Run(1);
  const std::vector<ToolRun> runs = ToolRuns(log);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program, L"java.exe");
  EXPECT_EQ(runs[0].args, std::vector<std::wstring>{L"Hello"});
  SetEnvironmentVariableW(L"PATH", path);
}

}  // namespace
