// End-to-end tests of plum_dock.exe: each test starts the real program in a
// fresh application folder and drives it from this process as a user would.
// Every test here is RUN_SERIAL (one pointer, one screen).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/main_form.h"
#include "gui_driver.h"

namespace test {
namespace {

class Dock : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log_.c_str());
    CopyFileW(tool_.c_str(), other_.c_str(), FALSE);
  }
  void TearDown() override { SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr); }

  // Starts the dock in the app folder, with `ini` as its settings file when
  // given.
  void Start(const std::string& ini = "") {
    if (!ini.empty()) WriteBytes(app_.path() + L"plum_dock.ini", ini);
    LaunchOptions options;
    options.caption = kDockCaption;
    options.appFolder = app_.path();
    dock_ = std::make_unique<DockProcess>(DockExe(), options);
    ASSERT_TRUE(dock_->ok()) << Utf8(dock_->error());
    main_ = dock_->window();
    Sleep(1000);  // the console window finishes coming up
    RaiseDock();
  }
  // Wine keeps its own window order, but without a window manager the X
  // server's stacking can lag behind it (the console mapped after the dock
  // stays above it there), and real pointer input follows the X stacking.
  void RaiseDock() {
    Xdotool({L"search", L"--onlyvisible", L"--name", L"ＰＬＵＭ", L"windowraise"});
    Sleep(200);
  }
  // Every slot runs the fake tool; TOP as given.
  std::string FakeToolIni(const char* top = "1") {
    const std::string tool = Utf8(tool_);
    return "[PATH]\r\nINDEX_APPLET=" + tool + "\r\nINDEX_APP=" + tool +
           "\r\nINDEX_COMPILE=" + tool + "\r\n[CHECK]\r\nTOP=" + top + "\r\n";
  }
  HWND Slot(int i) { return FindChild(main_, plum::kRunControlId + i); }
  // The middle of the part of slot i that no neighbour overlaps.
  POINT SlotPoint(int i) {
    RECT r = WindowRectOnScreen(Slot(i));
    POINT at = {r.left + 25, r.top + 25};
    RaiseDock();
    EXPECT_TRUE(WaitFor([&] { return WindowFromPoint(at) == Slot(i); }))
        << "slot " << i << " is covered by " << Utf8(ClassName(WindowFromPoint(at))) << " "
        << Utf8(WindowText(WindowFromPoint(at))) << " main topmost=" << IsTopmost(main_)
        << " cover topmost=" << IsTopmost(WindowFromPoint(at))
        << " fg=" << Utf8(WindowText(GetForegroundWindow()));
    return at;
  }
  std::wstring Source(const std::wstring& name) {
    const std::wstring path = work_.path() + name;
    WriteBytes(path, "class X {}\n");
    return path;
  }
  std::vector<ToolRun> RunsAfter(size_t count) { return WaitForToolRuns(log_, count); }
  // For a failure's report: the message the dock shows, if any.
  std::string Said() {
    const MessageBoxInfo box = FindMessageBox(dock_->pid(), 0);
    return box.hwnd ? "the dock says: " + Utf8(box.text) : "the dock shows no message";
  }
  std::string Ini() { return ReadBytes(app_.path() + L"plum_dock.ini"); }
  std::wstring Script(int slot) {
    return app_.path() + L"plum_dock" + std::to_wstring(slot) + L".bat";
  }
  void Menu(int command) { PostMessageW(main_, WM_COMMAND, command, 0); }
  HWND SettingsDialog() {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindTopLevel(dock_->pid(), L"", L"設定")) != nullptr; });
    return dialog;
  }

  ScratchFolder app_{L"dock app"};
  ScratchFolder work_{L"dock work"};
  std::wstring log_ = work_.path() + L"tool.log";
  std::wstring tool_ = ProgramFolder() + L"fake_tool.exe";
  std::wstring other_ = work_.path() + L"other_tool.exe";
  std::unique_ptr<DockProcess> dock_;
  HWND main_ = nullptr;
};

TEST_F(Dock, FirstStartWritesTheSettingsAndShowsTheWindow) {
  Start();
  EXPECT_EQ(Ini(),
            "[PATH]\r\nINDEX_APPLET=appletviewer\r\nINDEX_APP=java\r\nINDEX_COMPILE=javac\r\n"
            "[CHECK]\r\nTOP=1\r\n");
  EXPECT_EQ(WindowText(main_), kDockCaption);
  RECT client;
  GetClientRect(main_, &client);
  EXPECT_EQ(client.right, 146);
  EXPECT_EQ(client.bottom, 51);
  const RECT origin = ClientRectOnScreen(main_);
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(Slot(i), nullptr);
    RECT r = WindowRectOnScreen(Slot(i));
    EXPECT_EQ(r.left - origin.left, 48 * i);
    EXPECT_EQ(r.top - origin.top, 0);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 50);
    EXPECT_EQ(TooltipTextFor(Slot(i)), L"");
  }
  std::wstring error;
  EXPECT_EQ(MenuOutline(ReadMenuBar(main_, &error)),
            L"メニュー\n  設定\n  -\n  終了\n情報\n  バージョン\nヘルプ\n  本体\n  ライブラリ\n")
      << Utf8(error);
  EXPECT_TRUE(WaitFor([&] { return IsTopmost(main_); }));
  EXPECT_FALSE(GetWindowLongW(main_, GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  HWND dialog = FindTopLevel(dock_->pid(), L"", L"設定");
  EXPECT_EQ(dialog, nullptr) << "the settings dialog stays hidden";
}

TEST_F(Dock, DropOnEachSlotWritesTheScriptRunsTheToolAndSetsTheTip) {
  Start(FakeToolIni());
  const std::wstring names[3] = {L"Applet Demo.java", L"ハロー.java", L"a&b (1).java"};
  for (int slot = 0; slot < 3; ++slot) {
    const std::wstring file = Source(names[slot]);
    DragOutcome drag = DragFiles({file}, SlotPoint(slot));
    ASSERT_TRUE(drag.ran) << Utf8(drag.error);
    EXPECT_EQ(drag.effect, static_cast<DWORD>(DROPEFFECT_COPY));
    std::vector<ToolRun> runs = RunsAfter(slot + 1);
    ASSERT_EQ(runs.size(), static_cast<size_t>(slot + 1)) << Said();
    EXPECT_EQ(runs.back().folder + L"\\", work_.path());
    EXPECT_EQ(runs.back().arguments, std::vector<std::wstring>{names[slot]});
    EXPECT_TRUE(WaitFor([&] { return TooltipTextFor(Slot(slot)) == file; }));
    const std::string script = ReadBytes(Script(slot));
    EXPECT_EQ(script.substr(0, 12), "cd\\\r\ncd /d \"");
    EXPECT_NE(script.find("cls\r\n@ECHO ------"), std::string::npos);
  }
  EXPECT_EQ(ReadBytes(Script(2)).substr(
                ReadBytes(Script(2)).rfind("\r\n", ReadBytes(Script(2)).size() - 3) + 2),
            Utf8(tool_) + " \"a&b (1).java\"\r\n");
}

TEST_F(Dock, ThreeFilesRunTheFirstOnlyAndTextIsRefused) {
  Start(FakeToolIni());
  const std::wstring first = Source(L"First.java");
  DragOutcome drag =
      DragFiles({first, Source(L"Second.java"), Source(L"Third.java")}, SlotPoint(2));
  ASSERT_TRUE(drag.ran) << Utf8(drag.error);
  std::vector<ToolRun> runs = RunsAfter(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, std::vector<std::wstring>{L"First.java"});
  EXPECT_TRUE(WaitFor([&] { return TooltipTextFor(Slot(2)) == first; }));

  DragOutcome text = DragText(L"class X {}", SlotPoint(1));
  ASSERT_TRUE(text.ran) << Utf8(text.error);
  EXPECT_EQ(text.effect, static_cast<DWORD>(DROPEFFECT_NONE));
  Sleep(500);
  EXPECT_FALSE(FileExists(Script(1)));
  EXPECT_EQ(ReadToolRuns(log_).size(), 1u);
}

TEST_F(Dock, DoubleClickRerunsAndAnEmptySlotSaysSo) {
  Start(FakeToolIni());
  // Slot 0 never received a drop: a message naming its script, no crash.
  const POINT empty = SlotPoint(0);
  ASSERT_TRUE(DoubleClick(empty.x, empty.y));
  MessageBoxInfo box = FindMessageBox(dock_->pid());
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_NE(box.text.find(Script(0)), std::wstring::npos) << Utf8(box.text);
  EXPECT_TRUE(PressButton(box.hwnd, IDOK));
  EXPECT_FALSE(dock_->Exited(500));

  DragOutcome drag = DragFiles({Source(L"Hello.java")}, SlotPoint(1));
  ASSERT_TRUE(drag.ran) << Utf8(drag.error);
  ASSERT_EQ(RunsAfter(1).size(), 1u);
  const POINT at = SlotPoint(1);
  ASSERT_TRUE(DoubleClick(at.x, at.y));
  std::vector<ToolRun> runs = RunsAfter(2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].arguments, std::vector<std::wstring>{L"Hello.java"});
}

TEST_F(Dock, SettingsCancelKeepsEditsLiveButUnsaved) {
  Start(FakeToolIni());
  const std::string saved = Ini();
  Menu(plum::kCmdSetting);
  HWND dialog = SettingsDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitFor([&] { return !IsTopmost(main_); }))
      << "the main window gives up its place while the dialog is up";
  EXPECT_FALSE(IsWindowEnabled(main_));
  HWND path1 = FindChild(dialog, 1021);
  ASSERT_NE(path1, nullptr);
  EXPECT_EQ(WindowText(path1), tool_);
  SendMessageW(path1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other_.c_str()));
  // Enter and Esc press neither button.
  SetForegroundWindow(dialog);
  PressKey(L"Return");
  PressKey(L"Escape");
  Sleep(300);
  EXPECT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(PressButton(dialog, L"ｷｬﾝｾﾙ"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  EXPECT_TRUE(WaitFor([&] { return IsTopmost(main_); })) << "back in front once the dialog hides";
  EXPECT_EQ(Ini(), saved);

  DragOutcome drag = DragFiles({Source(L"Hello.java")}, SlotPoint(1));
  ASSERT_TRUE(drag.ran) << Utf8(drag.error);
  std::vector<ToolRun> runs = RunsAfter(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program, other_);
}

TEST_F(Dock, SettingsOkWritesAllFourAndTheCloseBoxActsLikeCancel) {
  Start(FakeToolIni());
  Menu(plum::kCmdSetting);
  HWND dialog = SettingsDialog();
  ASSERT_NE(dialog, nullptr);
  SendMessageW(FindChild(dialog, 1022), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  HWND check = FindChild(dialog, 1040);
  ASSERT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  const POINT box = CenterOf(WindowRectOnScreen(check));
  ASSERT_TRUE(Click(box.x, box.y));
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(check, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
  ASSERT_TRUE(PressButton(dialog, L"OK"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  const std::string tool = Utf8(tool_);
  EXPECT_EQ(Ini(), "[PATH]\r\nINDEX_APPLET=" + tool + "\r\nINDEX_APP=" + tool +
                       "\r\nINDEX_COMPILE=\r\n[CHECK]\r\nTOP=0\r\n");
  Sleep(300);
  EXPECT_FALSE(IsTopmost(main_)) << "unticked: no longer always in front";

  // The close box hides the dialog and keeps what it holds.
  Menu(plum::kCmdSetting);
  ASSERT_EQ(SettingsDialog(), dialog);
  SendMessageW(FindChild(dialog, 1020), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"edited"));
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  EXPECT_TRUE(IsWindow(dialog));
  Menu(plum::kCmdSetting);
  ASSERT_EQ(SettingsDialog(), dialog);
  EXPECT_EQ(WindowText(FindChild(dialog, 1020)), L"edited");
  EXPECT_EQ(WindowText(FindChild(dialog, 1022)), L"");
}

// The file dialog's library is loaded on first use; the dialog offers the
// one filter, a chosen file goes into the text box and Cancel changes nothing.
TEST_F(Dock, FileButtonFillsTheTextBoxAndCancelLeavesIt) {
  Start(FakeToolIni());
  Menu(plum::kCmdSetting);
  HWND dialog = SettingsDialog();
  ASSERT_NE(dialog, nullptr);
  HWND path2 = FindChild(dialog, 1022);
  auto openFileDialog = [&] {
    PostMessageW(FindChild(dialog, 1032), BM_CLICK, 0, 0);
    HWND files = nullptr;
    WaitFor([&] { return (files = FindTopLevel(dock_->pid(), L"#32770")) != nullptr; }, 15000);
    return files;
  };
  HWND files = openFileDialog();
  ASSERT_NE(files, nullptr) << "no file dialog";
  const int kFileTypes = 0x470, kFileName = 0x47c, kFileNameEdit = 0x480;
  EXPECT_EQ(WindowText(FindChild(files, kFileTypes)), L"実行ファイル(*.exe)");
  HWND name = FindChild(files, kFileName);
  if (!name) name = FindChild(files, kFileNameEdit);
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other_.c_str()));
  PostMessageW(files, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(files); }));
  EXPECT_TRUE(WaitFor([&] { return WindowText(path2) == other_; })) << Utf8(WindowText(path2));

  SendMessageW(path2, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kept"));
  files = openFileDialog();
  ASSERT_NE(files, nullptr) << "no file dialog the second time";
  PostMessageW(files, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(files); }));
  Sleep(300);
  EXPECT_EQ(WindowText(path2), L"kept");
  EXPECT_EQ(FindTopLevel(dock_->pid(), L"#32770"), nullptr) << "no message after a cancel";
}

TEST_F(Dock, ExitThroughTheMenuAndTheCloseBoxEndsTheProgramScriptsStay) {
  Start(FakeToolIni());
  DragOutcome drag = DragFiles({Source(L"Hello.java")}, SlotPoint(2));
  ASSERT_TRUE(drag.ran) << Utf8(drag.error);
  ASSERT_EQ(RunsAfter(1).size(), 1u);
  Menu(plum::kCmdEnding);
  EXPECT_TRUE(dock_->Exited(5000));
  EXPECT_TRUE(FileExists(Script(2)));

  Start();
  PostMessageW(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(dock_->Exited(5000));
  EXPECT_TRUE(FileExists(Script(2)));
}

TEST_F(Dock, CtrlCInTheConsoleLeavesTheDockRunning) {
  Start(FakeToolIni());
  // Type Ctrl+C and Ctrl+Break into the dock's console window.
  HWND console = nullptr;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"WineConsoleClass", nullptr));) {
    if (WindowText(w).find(dock_->folder()) == 0) console = w;
  }
  ASSERT_NE(console, nullptr);
  RECT r = WindowRectOnScreen(console);
  ASSERT_TRUE(Click(r.right - 100, r.bottom - 100));
  ASSERT_TRUE(PressKey(L"ctrl+c"));
  ASSERT_TRUE(PressKey(L"ctrl+Break"));
  EXPECT_FALSE(dock_->Exited(1500));
  EXPECT_TRUE(IsWindow(main_));
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// Pictures of the two windows for the README, written to
// build/<preset>/screenshots/.
TEST_F(Dock, ScreenshotsOfTheWindows) {
  Start();
  const std::wstring folder = ProgramFolder() + L"..\\screenshots\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  RaiseDock();
  EXPECT_TRUE(Screenshot(main_, folder + L"main_window.png"));
  Menu(plum::kCmdSetting);
  HWND dialog = SettingsDialog();
  ASSERT_NE(dialog, nullptr);
  Xdotool({L"search", L"--onlyvisible", L"--name", L"^設定$", L"windowraise"});
  Sleep(300);
  EXPECT_TRUE(Screenshot(dialog, folder + L"settings_dialog.png"));
  EXPECT_EQ(ReadBytes(folder + L"settings_dialog.png").substr(1, 3), "PNG");
}

}  // namespace
}  // namespace test
