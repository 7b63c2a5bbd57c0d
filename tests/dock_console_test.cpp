// The real plum_dock.exe's console and the scripts it runs there: a busy slot, Ctrl+C, the
// banner, input, the end line, cmd.exe's errors and a re-run with the real JDK.
#include "dock_fixture.h"

namespace {

using namespace t;

// A tool under a folder of cmd.exe's special characters; a drop on a slot whose run still waits.
TEST_F(DockTest, BusySlotSpecialToolFolderAndCtrlC) {
  const fs::path tool = PlaceTool(work.dir / L"R&D 100% ^x (1)" / L"javac.exe");
  const fs::path release = work.dir / L"release";  // the tool waits for it
  SetEnvironmentVariableW(L"PLUM_TOOL_HOLD", release.c_str());
  Dock dock(app.dir, Sjis(L"[PATH]\r\nINDEX_APP=" + tool.wstring() + L"\r\n[CHECK]\r\nTOP=0\r\n"));
  ASSERT_TRUE(dock.main);
  PlaceTool(src / L"canary.exe");
  // Longer than the first: a cmd.exe going on at its old offset would land on "& canary".
  const std::wstring second = L"Second & canary & more.java";
  dock.Drop(1, {Source(L"A.java")});
  ASSERT_EQ(WaitRuns(log, 1).size(), 1u) << Utf8(dock.Message(0));
  dock.Drop(1, {Source(second)});
  EXPECT_EQ(WaitRuns(log, 2).size(), 2u) << Utf8(dock.Message(0));
  WriteFile(release, "");
  Sleep(1500);
  std::vector<ToolRun> runs = ToolRuns(log);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::wstring>{L"A.java"});
  EXPECT_EQ(runs[1].args, std::vector<std::wstring>{second});
  EXPECT_EQ(runs[1].program, L"javac.exe");

  fs::remove(release);
  dock.DoubleClick(1);  // re-runs the last script, then Ctrl+C reaches the tool only
  ASSERT_EQ(WaitRuns(log, 3).size(), 3u);
  ASSERT_TRUE(Console());
  Click(Console());
  Xdo({L"key", L"ctrl+c"});
  runs = WaitRuns(log, 4);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[3].program, L"interrupted");
  EXPECT_FALSE(dock.Ended(1000));
}

// The dock's console as the learner reads it: the banner in Japanese, the tool's output, and a
// typed line reaching the tool.
TEST_F(DockTest, TheConsoleShowsTheBannerOutputInputEndAndErrors) {
  SetEnvironmentVariableW(L"PLUM_TOOL_INPUT", L"1");
  SetEnvironmentVariableW(L"PLUM_TOOL_EXIT", L"3");
  Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
  SetEnvironmentVariableW(L"PLUM_TOOL_INPUT", nullptr);  // the dock's tools keep them
  SetEnvironmentVariableW(L"PLUM_TOOL_EXIT", nullptr);
  const std::wstring end = L"------コマンドが終了しました (終了コード ";
  dock.Drop(2, {Source(L"Hello.java")});
  EXPECT_TRUE(Shows(dock, L"------コマンドを実行します------\n" + src.wstring() +
                              L">javac Hello.java & call @echo " + end +
                              L"%errorlevel%)------ & goto :eof" + L"\nran javac.exe"))
      << Screen();
  EXPECT_FALSE(Shows(dock, end + L"3)")) << "the tool still waits for its input";
  Click(Console());
  Xdo({L"type", L"--delay", L"40", L"typed line"});
  Xdo({L"key", L"Return"});
  std::vector<ToolRun> runs = WaitRuns(log, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].program + L" " + runs[1].folder, L"input typed line");
  EXPECT_TRUE(Shows(dock, end + L"3)------")) << Screen();

  // A folder gone before a re-run: cmd.exe's own error stays on the screen
  // and nothing runs.
  fs::remove_all(src);
  dock.DoubleClick(2);
  wchar_t error[256] = {};  // the system's words for a folder that is not there
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, error, 256, nullptr);
  EXPECT_TRUE(
      Shows(dock, L"cd /d \"" + src.wstring() + L"\" & if errorlevel 1 goto :eof\n" + error))
      << Screen();
  EXPECT_EQ(WaitRuns(log, 3, 3000).size(), 2u);
}

// An old Java 8 first on the PATH and no installed JDK that can run a Java 25 class, whose source
// was saved after it: the console says both before the tool runs, and nothing for a fresh class
// that Java 8 can run.
TEST_F(DockTest, TheConsoleTellsOfAJavaTooOldAndAClassOlderThanItsSource) {
  Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
  ASSERT_TRUE(dock.main);
  const std::wstring banner = L"------コマンドを実行します------\n";
  const fs::path source = Source(L"Hello.java"), hello = src / L"Hello.class";
  WriteFile(hello, ClassFile("Hello", 69));
  fs::last_write_time(source, fs::last_write_time(hello) + std::chrono::seconds(10));
  dock.Drop(1, {hello});
  EXPECT_TRUE(Shows(
      dock, banner +
                L"------このクラスの実行には Java 25 以降が必要です (このツールは Java 8)------\n"
                L"------注意: ソースファイルがこのクラスファイルより新しくなっています "
                L"(コンパイルし直してください)------\n" +
                src.wstring() + L">java Hello"))
      << Screen();
  WriteFile(hello, ClassFile("Hello", 52));
  fs::last_write_time(hello, fs::last_write_time(source) + std::chrono::seconds(10));
  dock.DoubleClick(1);
  EXPECT_TRUE(Shows(dock, banner + src.wstring() + L">java Hello &")) << Screen();
}

// A class whose main reads its arguments asks for them: typed words reach it as typed, and an
// empty line, when a re-run asks again, gives none; a class that does not read them runs at once.
TEST_F(DockTest, AClassThatReadsItsArgumentsAsksForThem) {
  Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
  ASSERT_TRUE(dock.main);
  WriteFile(src / L"Args.class", ClassFile("Args", 52, "", "\x2A\xBE\x57\xB1"));  // args.length
  dock.Drop(1, {src / L"Args.class"});
  EXPECT_TRUE(Shows(dock,
                    L"------コマンドを実行します------\n------コマンドライン引数を入力して "
                    L"Enter を押してください (なければそのまま Enter)------\njava Args"))
      << Screen();
  EXPECT_TRUE(WaitRuns(log, 1, 1000).empty());
  Click(Console());
  Xdo({L"type", L"--delay", L"40", L"a \"two words\" & %PATH%"});
  Xdo({L"key", L"Return"});
  ASSERT_EQ(WaitRuns(log, 1).size(), 1u);
  EXPECT_EQ(ToolRuns(log)[0].args,
            (std::vector<std::wstring>{L"Args", L"a", L"two words", L"&", L"%PATH%"}));
  dock.DoubleClick(1);
  Sleep(1000);
  Click(Console());
  Xdo({L"key", L"Return"});
  ASSERT_EQ(WaitRuns(log, 2).size(), 2u);
  EXPECT_EQ(ToolRuns(log)[1].args, std::vector<std::wstring>{L"Args"});
  WriteFile(src / L"Hello.class", ClassFile("Hello", 52));
  dock.Drop(1, {src / L"Hello.class"});
  EXPECT_EQ(WaitRuns(log, 3).size(), 3u);
}

// A source first saved in ASCII, then given Japanese text in UTF-8 and
// compiled again by a double-click, with the machine's JDK reading sources
// in MS932 as JDK 17 does on a Japanese Windows; its class then runs.
TEST_F(DockTest, ARerunCompilesTheSourceAsItIsNow) {
  const fs::path bin = fs::path(_wgetenv(L"PLUM_TEST_TOOLS")) / L"jdk 17" / L"bin";
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", L"-Dfile.encoding=MS932");
  Dock dock(app.dir,
            Sjis(L"[PATH]\r\nINDEX_APP=" + (bin / L"java.exe").wstring() + L"\r\nINDEX_COMPILE=" +
                 (bin / L"javac.exe").wstring() + L"\r\n[CHECK]\r\nTOP=0\r\n"));
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", nullptr);
  ASSERT_TRUE(dock.main);
  const auto written = [](const fs::path& file) {  // by a Linux tool, which Wine does not wait for
    const bool made = WaitFor([&] { return fs::exists(file) && fs::file_size(file) > 0; }, 60000);
    Sleep(500);
    return made;
  };
  const std::wstring source =
      L"public class J { public static void main(String[] a) throws Exception {"
      L" java.nio.file.Files.writeString(java.nio.file.Path.of(\"ran.txt\"), \"";
  WriteFile(src / L"J.java", Utf8(source + L"ascii\"); } }"));
  dock.Drop(2, {src / L"J.java"});
  ASSERT_TRUE(written(src / L"J.class"));
  fs::remove(src / L"J.class");
  WriteFile(src / L"J.java", Utf8(source + L"日本語\"); } }"));
  dock.DoubleClick(2);
  ASSERT_TRUE(written(src / L"J.class"));
  dock.Drop(1, {src / L"J.class"});
  ASSERT_TRUE(written(src / L"ran.txt"));
  EXPECT_EQ(ReadFile(src / L"ran.txt"), Utf8(L"日本語"));
}

}  // namespace

// What an applet in the dock's viewer draws: the hex colour of its window's pixel `x`, `y`.
std::string Pixel(const std::wstring& window, int x, int y) {
  std::string hex;
  const std::wstring at = L"%[hex:p{" + std::to_wstring(x) + L"," + std::to_wstring(y) + L"}]";
  Linux({L"import", L"-window", window, L"-format", at, L"info:"}, &hex);
  return hex;
}

// With no appletviewer anywhere and an old Java 8 first on the PATH, slot 0 runs an applet page
// and a source carrying its tag in the dock's own viewer on the installed JDK, 17 and then one of
// 18 or later (its default emulated): a window of the page's size titled with the class, showing
// what the applet draws with its param, its thread and a drag; closed as a window manager closes
// it, the applet stops and is destroyed and the viewer ends with 0.
TEST_F(DockTest, AppletsRunInTheDocksOwnViewer) {
  fs::remove(jdk / L"appletviewer.exe");
  const fs::path tools = _wgetenv(L"PLUM_TEST_TOOLS"), bridge = tools / L"jdk bridge";
  const fs::path ended = bridge / L"bin" / L"exit_code.txt", pkg = src / L"app_b" / L"HelloApplet";
  fs::create_directories(pkg);
  WriteFile(pkg / L"HelloApplet.java", R"(package app_b.HelloApplet;
public class HelloApplet extends java.applet.Applet {
  int radius;
  java.awt.Point dragged;
  void log(String line) {
    try {
      java.nio.file.Files.writeString(java.nio.file.Path.of("applet.log"), line + "\n",
          java.nio.file.StandardOpenOption.CREATE, java.nio.file.StandardOpenOption.APPEND);
    } catch (Exception e) {
    }
  }
  public void init() {
    radius = Integer.parseInt(getParameter("radius"));
    log("init " + radius);
    addMouseMotionListener(new java.awt.event.MouseMotionAdapter() {
      public void mouseDragged(java.awt.event.MouseEvent e) {
        dragged = e.getPoint();
        repaint();
      }
    });
  }
  public void start() { new Thread(() -> log("start")).start(); }
  public void stop() { log("stop"); }
  public void destroy() { log("destroy"); }
  public void paint(java.awt.Graphics g) {
    g.setColor(java.awt.Color.RED);
    g.fillOval(150 - radius, 100 - radius, 2 * radius, 2 * radius);
    if (dragged != null) g.fillRect(dragged.x - 5, dragged.y - 5, 10, 10);
  }
})");
  WriteFile(pkg / L"HelloApplet_Applet.html",
            "<applet code=\"HelloApplet.class\" width=\"300\" height=\"200\">\n"
            "<PARAM NAME=radius value=\"60\"></applet>\n");
  WriteFile(src / L"Hello.java", R"(// <applet code=Hello width=120 height=80></applet>
public class Hello extends java.applet.Applet {
  public void paint(java.awt.Graphics g) { g.setColor(java.awt.Color.BLUE); g.fillRect(0, 0, 120, 80); }
})");
  SetCurrentDirectoryW(src.c_str());  // a Linux javac takes relative paths
  const Process javac = Spawn(Line({tools / L"jdk 17" / L"bin" / L"javac.exe", L"Hello.java",
                                    L"app_b/HelloApplet/HelloApplet.java"}));
  SetCurrentDirectoryW(Here().c_str());
  ASSERT_TRUE(WaitFor([&] { return fs::exists(pkg / L"HelloApplet.class"); }, 60000));
  Sleep(500);
  const auto open = [&](const Dock& dock, const fs::path& file, const std::wstring& title) {
    const std::vector<std::wstring> search = {L"xdotool", L"search", L"--onlyvisible", L"--name",
                                              L"^Applet Viewer: " + title + L"$"};
    std::string id;
    dock.Drop(0, {file});
    WaitFor([&] { return Linux(search, &id); }, 60000);
    return std::wstring(id.begin(), id.end() - (id.empty() ? 0 : 1));
  };
  const auto close = [&](const std::wstring& window) {  // and the viewer's exit code
    fs::remove(ended);
    Linux({L"/usr/bin/python3", L"" PLUM_TESTS_DIR L"/close_window.py", window});
    WaitFor([&] { return fs::exists(ended) && fs::file_size(ended); }, 15000);
    return ReadFile(ended);
  };
  const Registered jdk17(
      {KEY_WOW64_64KEY, L"SOFTWARE\\JavaSoft\\JDK", L"17.0.99", L"", L"JavaHome"}, bridge);
  {
    Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
    const std::wstring page = open(dock, pkg / L"HelloApplet_Applet.html", L"HelloApplet");
    ASSERT_FALSE(page.empty()) << Screen();
    std::string size;
    Linux({L"xdotool", L"getwindowgeometry", L"--shell", page}, &size);
    EXPECT_NE(size.find("WIDTH=300\n"), std::string::npos) << size;
    EXPECT_GE(std::stoi(size.substr(size.find("HEIGHT=") + 7)), 200) << size;
    EXPECT_TRUE(WaitFor([&] { return Pixel(page, 205, 100) == "FFFF00000000"; })) << "radius 60";
    Xdo({L"mousemove", L"--window", page, L"40", L"150", L"mousedown", L"1", L"mousemove",
         L"--window", page, L"50", L"160", L"sleep", L"0.2", L"mouseup", L"1"});
    EXPECT_TRUE(WaitFor([&] { return Pixel(page, 50, 160) == "FFFF00000000"; })) << "dragged";
    EXPECT_EQ(close(page), "0\n");
    EXPECT_EQ(ReadFile(pkg / L"applet.log"), "init 60\nstart\nstop\ndestroy\n");
    EXPECT_FALSE(Linux({L"xdotool", L"search", L"--name", L"^Applet Viewer"}));
  }
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", L"-Dfile.encoding=UTF-8");
  const Registered jdk25({KEY_WOW64_64KEY, L"SOFTWARE\\JavaSoft\\JDK", L"25", L"", L"JavaHome"},
                         bridge);
  Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", nullptr);
  const std::wstring source = open(dock, src / L"Hello.java", L"Hello");
  ASSERT_FALSE(source.empty()) << Screen();
  EXPECT_TRUE(WaitFor([&] { return Pixel(source, 60, 40) == "00000000FFFF"; }));
  EXPECT_EQ(close(source), "0\n");
}
