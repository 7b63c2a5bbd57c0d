// The real plum_dock.exe, started in a fresh app folder and driven from outside as a user drives
// it: real drags, clicks, keys and menus.
#include <gtest/gtest.h>
#include <ole2.h>
#include <winternl.h>

#include <array>

#include "common/slots.h"
#include "res/resource.h"
#include "dock_fixture.h"

namespace {

using namespace t;

bool Topmost(HWND w) { return GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST; }

bool BoxOver(const Dock& dock, HWND owner) {  // a message box owned by `owner`, which it disables
  HWND box = dock.Window(L"", L"#32770", 8000);
  return box && GetWindow(box, GW_OWNER) == owner && !IsWindowEnabled(owner);
}

TEST_F(DockTest, DropsRunEachSlotsToolAndBringThePreviousRunsWindowForward) {
  Dock dock(app.dir);
  ASSERT_TRUE(dock.main);
  EXPECT_EQ(ReadFile(app.dir / L"plum_dock.ini"),  // the defaults, in this order
            "[PATH]\r\nINDEX_APPLET=appletviewer\r\nINDEX_APP=java\r\nINDEX_COMPILE=javac\r\n"
            "[CHECK]\r\nTOP=1\r\n");
  EXPECT_TRUE(WaitFor([&] { return Topmost(dock.main); }));

  // The window titled exactly so comes before one above it that only begins so.
  const Process others[] = {Window(L"applet"), Window(L"applet viewer"), Window(L"java")};
  const fs::path hello = Source(L"Hello.java");
  dock.DoubleClick(0);                    // nothing was dropped on it yet
  EXPECT_TRUE(BoxOver(dock, dock.main));  // not behind the dock, which takes no drops meanwhile
  EXPECT_NE(dock.Message().find(L"plum_dock0.bat"), std::wstring::npos);
  EXPECT_TRUE(ToolRuns(log).empty());

  EXPECT_EQ(dock.Drop(0, {hello}), static_cast<DWORD>(DROPEFFECT_COPY));  // never a move
  std::vector<ToolRun> runs = WaitRuns(log, 1);
  ASSERT_EQ(runs.size(), 1u) << Utf8(dock.Message(0));
  EXPECT_EQ(runs[0].program, L"appletviewer.exe");
  EXPECT_TRUE(fs::equivalent(runs[0].folder, src));
  EXPECT_EQ(runs[0].args, std::vector<std::wstring>{L"Hello.java"});
  // No window is titled "plum_": the console comes forward.
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == Console(); }));
  EXPECT_EQ(dock.Tooltip(0), hello.wstring());
  EXPECT_FALSE(fs::exists(UserFolder()));  // the files stay beside the program

  dock.Drop(1, {Source(L"Hello.class")});  // after "appletviewer": the window titled "applet"
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == FindWindowW(nullptr, L"applet"); }));
  const fs::path a = Source(L"A.java");
  const fs::path b = Source(L"B.java");
  dock.Drop(2, {a, b, hello});  // after "java": "java"; only the first file runs
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == FindWindowW(nullptr, L"java"); }));
  runs = WaitRuns(log, 3);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[2].program, L"javac.exe");
  EXPECT_EQ(runs[2].args, std::vector<std::wstring>{L"A.java"});
  EXPECT_EQ(dock.Tooltip(2), a.wstring());

  EXPECT_EQ(dock.DropText(1, L"C:\\text\\Not.java"), static_cast<DWORD>(DROPEFFECT_NONE));
  dock.DoubleClick(1);
  runs = WaitRuns(log, 4);
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[3].program, L"java.exe");
  EXPECT_EQ(runs[3].args, std::vector<std::wstring>{L"Hello"});
  dock.DoubleClick(0, 2);  // single clicks on two slots: nothing runs
  EXPECT_EQ(WaitRuns(log, 5, 2000).size(), 4u);
  EXPECT_EQ(dock.Message(0), L"");
}

TEST_F(DockTest, SettingsDialogEditsAreLiveAndOnlyOkSavesThem) {
  const std::string ini = Sjis(
      L"[PATH]\r\nINDEX_APPLET=appletviewer\r\nINDEX_APP=java -ea\r\n"
      L"INDEX_COMPILE=javac\r\n[CHECK]\r\nTOP=0\r\n");
  // Libraries it loads late (the file dialog's, the tool tips') come from the system folder, never
  // from the app folder it writes scripts to.
  for (const wchar_t* name : {L"comdlg32.dll", L"comctl32.dll", L"probe.dll"})
    fs::copy_file(Here() / L"planted.dll", app.dir / name);
  Dock dock(app.dir, ini);
  ASSERT_TRUE(dock.main);
  EXPECT_FALSE(Topmost(dock.main));
  const fs::path hello = Source(L"Hello.java");
  auto open = [&] {
    dock.Keys(L"F10 Down Return");
    HWND dialog = dock.Window(L"設定");
    Xdo({L"search", L"--name", L"^設定$", L"windowraise"});
    return dialog;
  };

  HWND dialog = open();
  ASSERT_TRUE(dialog);
  // A file picked for one slot, then a cancelled file dialog for the next: its text stays (the
  // dialog's buffer serves all three buttons).
  for (int slot : {0, 1}) {
    Click(GetDlgItem(dialog, IDC_SET_COMMAND0 + slot));
    HWND files = dock.Window(L"", L"#32770", 10000);
    if (slot == 0) SetDlgItemTextW(files, 0x47C, hello.c_str());  // the file name box
    PostMessageW(files, WM_COMMAND, slot == 0 ? IDOK : IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return files && !IsWindow(files); }));
  }
  EXPECT_EQ(Text(GetDlgItem(dialog, IDC_SET_PATH0)), hello.wstring());
  EXPECT_EQ(Text(GetDlgItem(dialog, IDC_SET_PATH0 + 1)), L"java -ea");
  // Cancel keeps an edit, typed as a user types it, for the run, not in the file.
  SetDlgItemTextW(dialog, IDC_SET_PATH0 + 1, L"");
  Click(GetDlgItem(dialog, IDC_SET_PATH0 + 1));
  Xdo({L"type", L"--delay", L"40", L"javac"});
  EXPECT_TRUE(WaitFor([&] { return Text(GetDlgItem(dialog, IDC_SET_PATH0 + 1)) == L"javac"; }));
  Xdo({L"key", L"Return", L"Escape"});  // neither is a button's key
  EXPECT_TRUE(IsWindowVisible(dialog));
  Click(GetDlgItem(dialog, IDC_SET_CANCEL));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  dock.Drop(1, {hello});
  std::vector<ToolRun> runs = WaitRuns(log, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].program, L"javac.exe") << Utf8(runs[0].args[0]);

  open();  // so does the close box
  SetDlgItemTextW(dialog, IDC_SET_PATH0, L"java");
  SetDlgItemTextW(dialog, IDC_SET_PATH0 + 1, L"javaw -x");
  Xdo({L"key", L"alt+F4"});
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  EXPECT_EQ(ReadFile(app.dir / L"plum_dock.ini"), ini);
  dock.Drop(0, {hello});
  runs = WaitRuns(log, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].program, L"java.exe");
  // A re-run repeats its drop: the tool then, and the activation title after it ("javac"), not
  // the command edited since.
  const Process javacWindow = Window(L"javac");
  dock.DoubleClick(1);
  runs = WaitRuns(log, 3);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[2].program, L"javac.exe");
  dock.Drop(0, {hello});
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == FindWindowW(nullptr, L"javac"); }));

  open();  // OK writes all four, and the check box takes effect at once
  SetDlgItemTextW(dialog, IDC_SET_PATH0 + 2, L"");
  Click(GetDlgItem(dialog, IDC_SET_CHECK1));
  Click(GetDlgItem(dialog, IDC_SET_OK));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  EXPECT_EQ(ReadFile(app.dir / L"plum_dock.ini"),
            "[PATH]\r\nINDEX_APPLET=java\r\nINDEX_APP=javaw "
            "-x\r\nINDEX_COMPILE=\r\n[CHECK]\r\nTOP=1\r\n");
  EXPECT_TRUE(WaitFor([&] { return Topmost(dock.main); }));
  open();
  EXPECT_TRUE(WaitFor([&] { return !Topmost(dock.main); }));  // not over its own dialog
  Click(GetDlgItem(dialog, IDC_SET_CHECK1));
  fs::remove(app.dir / L"plum_dock.ini");  // Wine writes a read-only file: a folder it cannot
  fs::create_directory(app.dir / L"plum_dock.ini");
  Click(GetDlgItem(dialog, IDC_SET_OK));
  EXPECT_TRUE(BoxOver(dock, dialog));
  EXPECT_NE(dock.Message().find((app.dir / L"plum_dock.ini").wstring()), std::wstring::npos);
  EXPECT_TRUE(IsWindowVisible(dialog));  // nothing lost: the dialog stays with the edits
  Click(GetDlgItem(dialog, IDC_SET_CANCEL));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog) && !Topmost(dock.main); }));

  EXPECT_FALSE(fs::exists(app.dir / L"comdlg32.dll.loaded"));
  EXPECT_FALSE(fs::exists(app.dir / L"comctl32.dll.loaded"));
  FreeLibrary(LoadLibraryW((app.dir / L"probe.dll").c_str()));  // the mark itself works
  EXPECT_TRUE(fs::exists(app.dir / L"probe.dll.loaded"));
  dock.Keys(L"alt+F4");  // the close box ends the program; scripts stay
  EXPECT_TRUE(dock.Ended(5000));
  EXPECT_TRUE(fs::exists(app.dir / L"plum_dock0.bat") && fs::exists(app.dir / L"plum_dock1.bat"));
}

TEST_F(DockTest, HelpItemsAndTheAboutLinkOpenTheHtmlProgram) {
  const fs::path browser = PlaceTool(work.dir / L"web browser" / L"browser.exe");
  SetClassesValue(L".html", L"PlumDockTest.html");
  SetClassesValue(L"PlumDockTest.html\\shell\\open\\command",
                  L"\"" + browser.wstring() + L"\" \"%1\"");
  Dock dock(app.dir);
  ASSERT_TRUE(dock.main);
  const std::wstring home = app.dir.wstring() + L"\\";
  dock.Keys(L"F10 Right Right Down Return");
  WaitRuns(log, 1);
  dock.Keys(L"F10 Right Right Down Down Return");
  std::vector<ToolRun> runs = WaitRuns(log, 2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::wstring>{home + L"help.html"});
  EXPECT_EQ(runs[1].args, std::vector<std::wstring>{home + L"help/index.html"});

  dock.Keys(L"F10 Right Down Return");
  HWND about = dock.Window(L"", L"PlumDockVersionForm");
  ASSERT_TRUE(about);
  Click(GetDlgItem(about, IDC_VER_LINK));  // the link label
  runs = WaitRuns(log, 3);
  ASSERT_EQ(runs.size(), 3u);
  ASSERT_EQ(runs[2].args.size(), 1u);
  EXPECT_TRUE(runs[2].args[0].rfind(L"https://", 0) == 0 && runs[2].args[0].back() == L'/');
  EXPECT_TRUE(IsWindowVisible(about));
  Xdo({L"key", L"Return"});
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
  dock.Keys(L"F10 Right Right Down Return");
  EXPECT_NE(dock.Message().find(home + L"help.html"), std::wstring::npos);
  EXPECT_EQ(ToolRuns(log).size(), 3u);
  dock.Keys(L"F10 Down Up Return");  // 終了
  EXPECT_TRUE(dock.Ended(5000));
}

// The dock starts, says what it cannot do, and loses nothing it can keep.
TEST_F(DockTest, BadSettingsAnUnwritableAppFolderAndScriptsThatCannotStart) {
  const std::string bad[] = {std::string("\xff\xfe\0\x01[PATH\r\n==\r\n", 14),
                             "[CHECK]\r\nTOP=abc\r\n", "[CHECK]\r\nTOP=99999999999999999999\r\n",
                             "[PATH]\r\nINDEX_APP=" + std::string(5000, 'x') + "\r\n"};
  for (const std::string& ini : bad) {
    Dock dock(app.dir, ini);
    ASSERT_TRUE(dock.main);
    EXPECT_TRUE(WaitFor([&] { return Topmost(dock.main); }));  // an unreadable TOP means ticked
    EXPECT_FALSE(dock.Ended(300));
  }
  fs::remove_all(app.dir);
  fs::create_directories(app.dir / L"plum_dock.ini");  // names taken by folders
  fs::create_directories(app.dir / L"plum_dock1.bat.new");
  WriteFile(app.dir / L"plum_dock1.bat", "@echo old\r\n");
  const fs::path hello = Source(L"Hello.java");
  wchar_t comspec[MAX_PATH] = L"";  // the command processor scripts run in: here no program
  GetEnvironmentVariableW(L"COMSPEC", comspec, MAX_PATH);
  SetEnvironmentVariableW(L"COMSPEC", hello.c_str());
  Dock dock(app.dir);
  SetEnvironmentVariableW(L"COMSPEC", comspec);  // the dock keeps it
  ASSERT_TRUE(dock.main);
  const std::wstring unwritable = dock.Message(8000);  // with the system's reason
  EXPECT_NE(unwritable.find((app.dir / L"plum_dock.ini").wstring()), std::wstring::npos);
  EXPECT_NE(unwritable.find(L"(エラー "), std::wstring::npos) << Utf8(unwritable);
  dock.Drop(1, {hello});
  EXPECT_TRUE(BoxOver(dock, dock.main));
  EXPECT_NE(dock.Message().find((app.dir / L"plum_dock1.bat").wstring()), std::wstring::npos);
  EXPECT_EQ(ReadFile(app.dir / L"plum_dock1.bat"), "@echo old\r\n");
  dock.Drop(2, {hello});  // written with the defaults, but it cannot start
  EXPECT_NE(dock.Message().find((app.dir / L"plum_dock2.bat").wstring()), std::wstring::npos);
  EXPECT_NE(ReadFile(app.dir / L"plum_dock2.bat").find("javac Hello.java"), std::string::npos);
  EXPECT_EQ(dock.Tooltip(2), L"");  // the slot still shows what it ran last: nothing
}

// Another user of the machine while this lives: the known folder of roaming application data moved.
struct OtherUser {
  explicit OtherUser(const fs::path& folder) { Set(folder.wstring()); }
  ~OtherUser() { Set(L"%USERPROFILE%\\AppData\\Roaming"); }  // as the test bed starts
  static void Set(const std::wstring& folder) {
    RegSetKeyValueW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                    L"AppData", REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  }
};

// Where the dock cannot keep its files, each user's own folder keeps them: a read-only app folder
// with an administrator's settings, and a share two users start it from.
TEST_F(DockTest, ReadOnlyAndSharedAppFoldersKeepEachUsersFilesInTheirOwnFolder) {
  const fs::path mine = UserFolder(), theirs = work.dir / L"user b",
                 share = L"\\\\plum\\share\\app";
  const fs::path kit = PlaceTool(work.dir / L"kit" / L"kitc.exe");
  const fs::path locked = fs::path(_wgetenv(L"PLUM_TEST_TOOLS")).parent_path() / L"drive_d" / L"ro";
  fs::remove_all(mine);
  fs::create_directories(locked);
  WriteFile(locked / L"plum_dock.ini",
            "[PATH]\r\nINDEX_APP=" + Sjis(kit) + "\r\nINDEX_COMPILE=" + Sjis(kit) + "\r\n");
  CopyFileW((Here() / L"../src/plum_dock.exe").c_str(), (locked / L"plum_dock.exe").c_str(), FALSE);
  const Immutable immutable(locked);
  const fs::path hello = Source(L"Hello.java");
  auto run = [&](const fs::path& app, int slot, const fs::path& file) {
    const size_t before = ToolRuns(log).size();
    Dock dock(app);
    EXPECT_EQ(dock.Message(1000), L"");  // no box at start-up
    if (file.empty())
      dock.DoubleClick(slot);
    else
      dock.Drop(slot, {file});
    const std::vector<ToolRun> runs = WaitRuns(log, before + 1);
    return runs.size() == before + 1 ? runs.back() : ToolRun{};
  };
  EXPECT_EQ(run(locked, 2, hello).program, L"kitc.exe");  // the administrator's tool
  EXPECT_TRUE(fs::exists(mine / L"plum_dock2.bat"));
  EXPECT_FALSE(fs::exists(mine / L"plum_dock.ini"));  // nothing written at start-up
  {
    Dock dock(locked);  // OK saves to the user's file
    dock.Keys(L"F10 Down Return");
    HWND dialog = dock.Window(L"設定");
    SetDlgItemTextW(dialog, IDC_SET_PATH0 + 1, L"javac");
    Click(GetDlgItem(dialog, IDC_SET_OK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  }
  // The default, the user's value, the administrator's: the user's file then rules.
  EXPECT_EQ(ReadFile(mine / L"plum_dock.ini"),
            "[PATH]\r\nINDEX_APPLET=appletviewer\r\nINDEX_APP=javac\r\nINDEX_COMPILE=" + Sjis(kit) +
                "\r\n[CHECK]\r\nTOP=1\r\n");
  EXPECT_EQ(run(locked, 1, hello).program, L"javac.exe");
  EXPECT_EQ(run(locked, 2, L"").program, L"kitc.exe");  // the stored script

  fs::create_directories(share);  // each user's drop runs that user's file
  EXPECT_EQ(run(share, 0, Source(L"A.java")).args, std::vector<std::wstring>{L"A.java"});
  {
    const OtherUser other(theirs);
    EXPECT_EQ(run(share, 0, Source(L"B.java")).args, std::vector<std::wstring>{L"B.java"});
    EXPECT_TRUE(fs::exists(theirs / L"PLUM_DOCK" / L"plum_dock0.bat"));
  }
  EXPECT_EQ(run(share, 0, L"").args, std::vector<std::wstring>{L"A.java"});
  EXPECT_EQ(std::distance(fs::directory_iterator(share), {}), 1);  // the program alone

  const OtherUser nowhere(locked);  // and one whose own folder cannot be made either
  Dock dock(locked);
  dock.Drop(0, {hello});
  EXPECT_NE(dock.Message().find(locked.wstring() + L"\\PLUM_DOCK\\plum_dock0.bat"),
            std::wstring::npos);
}

// What any process can see of another: its entries in the system handle list, the live entries of
// its GDI handle table (Wine keeps it in the process, found through the PEB) and its windows.
struct Counts {
  long kernel = 0, gdi = 0, windows = 0;
};

Counts Measure(DWORD pid, HANDLE process) {
  Counts c;
  std::vector<BYTE> list(1 << 20);
  while (NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), list.data(),
                                  static_cast<ULONG>(list.size()), nullptr) != 0)
    list.resize(list.size() * 2);
  // A count, then entries of 24 bytes, each starting with its process id.
  for (ULONG i = 0; i < *reinterpret_cast<ULONG*>(list.data()); ++i)
    c.kernel += *reinterpret_cast<USHORT*>(list.data() + 8 + 24 * i) == static_cast<USHORT>(pid);
  PROCESS_BASIC_INFORMATION info = {};
  NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr);
  void* table = nullptr;
  ReadProcessMemory(process, reinterpret_cast<BYTE*>(info.PebBaseAddress) + 0xF8, &table,
                    sizeof table, nullptr);
  std::vector<std::array<uint64_t, 3>> gdi(16384);  // {object, owner and type, user}
  ReadProcessMemory(process, table, gdi.data(), gdi.size() * 24, nullptr);
  // Wine caches device contexts, each with a region and a bitmap, as windows come and go: -2 each.
  for (const auto& entry : gdi) c.gdi += entry[0] == 0 ? 0 : (entry[1] >> 32 & 0xFF) == 1 ? -2 : 1;
  static DWORD owner;  // windows at every level
  owner = pid;
  auto count = [](HWND w, LPARAM windows) {
    DWORD id = 0;
    GetWindowThreadProcessId(w, &id);
    if (id == owner) ++*reinterpret_cast<long*>(windows);
    return TRUE;
  };
  EnumChildWindows(GetDesktopWindow(), count, reinterpret_cast<LPARAM>(&c.windows));
  return c;
}

TEST_F(DockTest, HandlesStayFlatUnderDropsAndDialogs) {
  Counts kept[2];  // the measure itself: a process keeping 7 more objects shows 7 more
  for (int n : {0, 7}) {
    const fs::path ready = work.dir / std::to_wstring(n);
    DWORD pid = 0;
    const Process process =
        Spawn(Line({Here() / L"tool.exe", L"--keep", std::to_wstring(n), ready}), &pid);
    WaitFor([&] { return fs::exists(ready); });
    kept[n > 0] = Measure(pid, process.get());
  }
  EXPECT_EQ(kept[1].kernel - kept[0].kernel, 7);
  EXPECT_EQ(kept[1].gdi - kept[0].gdi, 7);

  Dock dock(app.dir, "[CHECK]\r\nTOP=0\r\n");
  ASSERT_TRUE(dock.main);
  const fs::path hello = Source(L"Hello.java");
  const int rounds = _wgetenv(L"PLUM_LOAD_ROUNDS") ? _wtoi(_wgetenv(L"PLUM_LOAD_ROUNDS")) : 3;
  auto round = [&] {
    for (int slot = 0; slot < plum::kSlotCount; ++slot) {
      EXPECT_EQ(dock.Drop(slot, {hello}), static_cast<DWORD>(DROPEFFECT_COPY));
      EXPECT_EQ(dock.Message(0), L"");
    }
    dock.Keys(L"F10 Down Return");
    HWND dialog = dock.Window(L"設定");
    Click(GetDlgItem(dialog, IDC_SET_CANCEL));
    WaitFor([&] { return !IsWindowVisible(dialog); });
    dock.Keys(L"F10 Right Down Return");
    HWND about = dock.Window(L"", L"PlumDockVersionForm");
    EXPECT_TRUE(about);  // every time, its window class registered once
    Click(GetDlgItem(about, IDOK));
    WaitFor([&] { return !IsWindow(about); });
  };
  round();  // warm-up: what is made once, on first use
  const Counts before = Measure(dock.pid, dock.process.get());
  for (int i = 0; i < rounds; ++i) round();
  Sleep(500);
  const Counts after = Measure(dock.pid, dock.process.get());
  EXPECT_EQ(WaitRuns(log, plum::kSlotCount * (rounds + 1)).size(),
            plum::kSlotCount * (rounds + 1u));
  EXPECT_LE(after.kernel, before.kernel + 2);
  EXPECT_LE(after.gdi, before.gdi + 2);
  EXPECT_EQ(after.windows, before.windows);
  printf("kernel %ld -> %ld, gdi %ld -> %ld, windows %ld -> %ld\n", before.kernel, after.kernel,
         before.gdi, after.gdi, before.windows, after.windows);
}

}  // namespace
