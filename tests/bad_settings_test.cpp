// The real program against bad settings files and an app folder it cannot
// write: it starts, behaves as designed, tells the user, and never crashes.
//
// Wine (and root, which the CI runs as) ignores a read-only folder, and Wine's
// profile functions write a read-only settings file, and its MoveFileEx
// replaces a read-only script, all the same. So the app folder is made
// unwritable name by name: folders take the names of the settings file, of
// one slot script, and of the sibling file another slot script is written to
// before it replaces the old one.
#include <gtest/gtest.h>

#include <string>

#include "forms/main_form.h"
#include "gui_driver.h"
#include "settings/settings_file.h"

namespace {

constexpr int kPathEditId = 1020;  // the settings dialog's first path box

class BadSettings : public ::testing::Test {
 protected:
  // Starts the dock with `ini` as its settings file (nothing: no file).
  std::unique_ptr<test::DockProcess> Start(const std::string* ini) {
    if (ini) test::WriteBytes(iniPath_, *ini);
    test::LaunchOptions options;
    options.appFolder = app_.path();
    options.windowClass = L"PlumDockMainForm";
    auto dock = std::make_unique<test::DockProcess>(test::DockExe(), options);
    EXPECT_TRUE(dock->ok()) << test::Utf8(dock->error());
    return dock;
  }
  std::wstring Read(const wchar_t* section, const wchar_t* key) {
    return plum::ReadSetting(section, key, iniPath_);
  }
  // The tool command the dock holds for a slot, as its settings dialog shows it.
  std::wstring LiveToolCommand(const test::DockProcess& dock, int slot) {
    PostMessageW(dock.window(), WM_COMMAND, plum::kCmdSetting, 0);
    HWND form = nullptr;
    test::WaitFor([&] { return (form = test::FindTopLevel(dock.pid(), L"PlumDockSetForm")); });
    if (!form) return L"<no settings dialog>";
    const std::wstring text = test::WindowText(GetDlgItem(form, kPathEditId + slot));
    test::PressButton(form, L"ｷｬﾝｾﾙ");
    test::WaitFor([&] { return !IsWindowVisible(form); });
    return text;
  }
  // The middle of slot i, uncovered: a run brings the console over the dock,
  // and a user clicks the dock's caption to get it back.
  POINT SlotPoint(const test::DockProcess& dock, int i) {
    HWND slot = test::FindChild(dock.window(), plum::kRunControlId + i);
    const RECT r = test::WindowRectOnScreen(slot);
    const POINT at = {r.left + 25, r.top + 25};
    HWND cover = WindowFromPoint(at);
    if (cover != slot) {
      // After a message box the console may cover even the dock's caption;
      // the dock is moved clear of it, as a user would drag it.
      const RECT frame = test::WindowRectOnScreen(dock.window());
      SetWindowPos(dock.window(), nullptr,
                   GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left) - 300,
                   GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top) - 300, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Sleep(200);
      const RECT moved = test::WindowRectOnScreen(slot);
      return SlotPointAt(slot, {moved.left + 25, moved.top + 25}, i);
    }
    return SlotPointAt(slot, at, i);
  }
  POINT SlotPointAt(HWND slot, POINT at, int i) {
    EXPECT_TRUE(test::WaitFor([&] { return WindowFromPoint(at) == slot; }))
        << "slot " << i << " is covered by " << test::Utf8(test::ClassName(WindowFromPoint(at)))
        << " " << test::Utf8(test::WindowText(WindowFromPoint(at)));
    return at;
  }
  bool TopmostBecomes(HWND window, bool expected) {
    return test::WaitFor([&] { return test::IsTopmost(window) == expected; }, 3000);
  }

  test::ScratchFolder app_{L"bad settings"};
  std::wstring iniPath_ = app_.path() + plum::kSettingsFileName;
};

TEST_F(BadSettings, TopValuesOtherThanZeroOneTwoMeanTicked) {
  const struct {
    const char* top;
    bool topmost;
  } cases[] = {{"abc", true}, {"-1", true}, {"99", true}, {"0", false}, {"2", false}, {"1", true}};
  for (const auto& c : cases) {
    const std::string ini = std::string("[CHECK]\r\nTOP=") + c.top + "\r\n";
    auto dock = Start(&ini);
    ASSERT_TRUE(dock->ok());
    EXPECT_TRUE(TopmostBecomes(dock->window(), c.topmost)) << "TOP=" << c.top;
    // A value that is there is never rewritten; missing ones get defaults.
    EXPECT_EQ(Read(plum::kSectionCheck, plum::kKeyTop), test::FromUtf8(c.top));
    EXPECT_EQ(Read(plum::kSectionPath, L"INDEX_APP"), L"java");
  }
}

TEST_F(BadSettings, GarbageMissingSectionsEmptyAndDuplicateValues) {
  // Bytes of every kind, NULs and a lone '[' included, but no section header.
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 167 + 13) % 256);
  for (char& c : garbage)
    if (c == '[' && &c != &garbage[100]) c = 'x';
  {
    auto dock = Start(&garbage);
    ASSERT_TRUE(dock->ok());
    EXPECT_TRUE(TopmostBecomes(dock->window(), true));
    EXPECT_EQ(Read(plum::kSectionPath, L"INDEX_APPLET"), L"appletviewer");
    EXPECT_EQ(Read(plum::kSectionPath, L"INDEX_COMPILE"), L"javac");
    EXPECT_EQ(Read(plum::kSectionCheck, plum::kKeyTop), L"1");
    EXPECT_FALSE(dock->Exited());
  }
  {
    const std::string ini = "[PATH]\r\nINDEX_APP=\r\nINDEX_APP=second\r\n";
    auto dock = Start(&ini);
    ASSERT_TRUE(dock->ok());
    // The dock holds what the system reads for the key, and an empty value
    // gets the default written.
    const std::wstring read = Read(plum::kSectionPath, L"INDEX_APP");
    EXPECT_EQ(LiveToolCommand(*dock, 1), read);
    EXPECT_FALSE(read.empty());
    EXPECT_EQ(Read(plum::kSectionCheck, plum::kKeyTop), L"1");
  }
  {
    const std::string ini =
        "[CHECK]\r\nTOP=0\r\nTOP=1\r\n[PATH]\r\nINDEX_APPLET=first\r\n"
        "INDEX_APPLET=second\r\n[CHECK]\r\nTOP=1\r\n";
    auto dock = Start(&ini);
    ASSERT_TRUE(dock->ok());
    EXPECT_EQ(LiveToolCommand(*dock, 0), Read(plum::kSectionPath, L"INDEX_APPLET"));
    EXPECT_TRUE(TopmostBecomes(dock->window(), Read(plum::kSectionCheck, plum::kKeyTop) != L"0"));
  }
}

TEST_F(BadSettings, ALongValueIsCutTo1023Bytes) {
  const std::string ini = "[PATH]\r\nINDEX_COMPILE=" + std::string(10000, 'j') + "\r\n";
  auto dock = Start(&ini);
  ASSERT_TRUE(dock->ok());
  EXPECT_EQ(LiveToolCommand(*dock, 2), std::wstring(1023, L'j'));
  EXPECT_FALSE(dock->Exited());
}

TEST_F(BadSettings, ASettingsFileThatIsAFolderIsReportedAndTheDockRuns) {
  ASSERT_TRUE(CreateDirectoryW(iniPath_.c_str(), nullptr));
  auto dock = Start(nullptr);
  ASSERT_TRUE(dock->ok());
  test::MessageBoxInfo box = test::FindMessageBox(dock->pid());
  ASSERT_NE(box.hwnd, nullptr) << "no message about the settings file";
  EXPECT_NE(box.text.find(iniPath_), std::wstring::npos) << test::Utf8(box.text);
  EXPECT_TRUE(test::PressButton(box.hwnd, L"OK"));
  EXPECT_TRUE(test::WaitFor([&] { return !IsWindow(box.hwnd); }));
  EXPECT_EQ(LiveToolCommand(*dock, 1), L"java");
  EXPECT_FALSE(dock->Exited());
}

// Start-up, a drop, a double-click and OK in the settings dialog each meet a
// file they cannot write, and each ends in a message naming it.
TEST_F(BadSettings, AnUnwritableAppFolderEndsInMessagesAndLeavesFilesAlone) {
  ASSERT_TRUE(CreateDirectoryW(iniPath_.c_str(), nullptr));
  const std::wstring script0 = app_.path() + L"plum_dock0.bat";
  const std::wstring script1 = app_.path() + L"plum_dock1.bat";
  ASSERT_TRUE(CreateDirectoryW(script0.c_str(), nullptr));
  const std::string oldScript = "@echo the old script\r\n";
  test::WriteBytes(script1, oldScript);
  ASSERT_TRUE(CreateDirectoryW((script1 + L".new").c_str(), nullptr));
  test::ScratchFolder work(L"ro work");
  const std::wstring source = work.path() + L"Hello.java";
  test::WriteBytes(source, "class Hello {}");

  auto dock = Start(nullptr);
  ASSERT_TRUE(dock->ok());
  auto expectMessage = [&](const std::wstring& names, const char* when) {
    test::MessageBoxInfo box = test::FindMessageBox(dock->pid(), 8000);
    if (!box.hwnd) {
      ADD_FAILURE() << "no message " << when;
      return;
    }
    EXPECT_NE(box.text.find(names), std::wstring::npos) << when << ": " << test::Utf8(box.text);
    EXPECT_TRUE(test::PressButton(box.hwnd, L"OK"));
    EXPECT_TRUE(test::WaitFor([&] { return !IsWindow(box.hwnd); })) << when;
  };
  expectMessage(iniPath_, "at start-up");

  test::DragOutcome drag = test::DragFiles({source}, SlotPoint(*dock, 1));
  ASSERT_TRUE(drag.ran) << test::Utf8(drag.error);
  expectMessage(script1, "after the drop");
  EXPECT_EQ(test::ReadBytes(script1), oldScript);
  EXPECT_TRUE(GetFileAttributesW((script1 + L".new").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

  const POINT at = SlotPoint(*dock, 0);
  ASSERT_TRUE(test::DoubleClick(at.x, at.y));
  expectMessage(script0, "after the double-click");

  PostMessageW(dock->window(), WM_COMMAND, plum::kCmdSetting, 0);
  HWND form = nullptr;
  ASSERT_TRUE(
      test::WaitFor([&] { return (form = test::FindTopLevel(dock->pid(), L"PlumDockSetForm")); }));
  test::PressButton(form, L"OK");
  expectMessage(iniPath_, "after OK in the settings dialog");

  EXPECT_FALSE(dock->Exited());
  EXPECT_FALSE(test::FileExists(app_.path() + L"plum_dock0.bat.new"));
  EXPECT_FALSE(test::FileExists(app_.path() + L"plum_dock2.bat"));
}

}  // namespace
