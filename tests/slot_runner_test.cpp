#include "slots/slot_runner.h"

#include <gtest/gtest.h>

#include "slots/slot_script.h"
#include "test_support.h"

namespace {

using plum::ActivationTitleAfter;
using plum::RunSlot;
using plum::TitleMatches;

TEST(ActivationTitle, CutRule) {
  EXPECT_EQ(ActivationTitleAfter(L"appletviewer"), L"applet");
  EXPECT_EQ(ActivationTitleAfter(L"java"), L"java");
  EXPECT_EQ(ActivationTitleAfter(L"12345678"), L"12345678");
  EXPECT_EQ(ActivationTitleAfter(L"123456789"), L"123456");
  EXPECT_EQ(ActivationTitleAfter(L"C:\\jdk\\bin\\javac.exe"), L"C:\\jdk");
  EXPECT_EQ(ActivationTitleAfter(L""), L"");
}

TEST(ActivationTitle, MatchingIgnoresCaseAndPrefersNothingForEmpty) {
  EXPECT_TRUE(TitleMatches(L"JAVAC", L"javac", false));
  EXPECT_FALSE(TitleMatches(L"javac Hello.java", L"javac", false));
  EXPECT_TRUE(TitleMatches(L"Javac Hello.java", L"javac", true));
  EXPECT_FALSE(TitleMatches(L"jav", L"javac", true));
  EXPECT_FALSE(TitleMatches(L"anything", L"", true));
}

TEST(ActivationTitle, ExactTitleWinsOverPrefix) {
  auto make = [](const wchar_t* title) {
    HWND w = CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50,
                             nullptr, nullptr, nullptr, nullptr);
    return w;
  };
  HWND exact = make(L"PlumRunnerTest");
  HWND longer = make(L"plumrunnertest and more");  // created later: above in Z order
  ASSERT_TRUE(exact && longer);
  EXPECT_EQ(plum::FindWindowByTitle(L"PLUMRUNNERTEST"), exact);
  EXPECT_EQ(plum::FindWindowByTitle(L"plumrunnertest an"), longer);
  EXPECT_EQ(plum::FindWindowByTitle(L"no window has this title"), nullptr);
  DestroyWindow(exact);
  DestroyWindow(longer);
}

// Runs scripts for real: cmd.exe, the script the writer made, and the fake
// tool standing in for the JDK.
class SlotRun : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log_.c_str());
    ASSERT_TRUE(test::FileExists(tool_)) << test::Utf8(tool_);
  }
  void TearDown() override { SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr); }

  // Creates `folder`\`name`, drops it on slot 2, runs the script to its end
  // and returns what the tool recorded.
  std::vector<test::ToolRun> DropAndRun(const std::wstring& folder, const std::wstring& name) {
    CreateDirectoryW(folder.c_str(), nullptr);
    test::WriteBytes(folder + L"\\" + name, "class X {}");
    // A copy of the tool named as an injected command would name it.
    CopyFileW(tool_.c_str(), (folder + L"\\canary.exe").c_str(), FALSE);
    DeleteFileW(log_.c_str());
    plum::ScriptOutcome written =
        plum::WriteSlotScript(2, folder + L"\\" + name, app_.path(), tool_);
    EXPECT_TRUE(written.ok) << test::Utf8(written.message);
    EXPECT_EQ(test::RunAndWait(L"\"" + plum::SlotScriptPath(app_.path(), 2) + L"\""), 0);
    return test::ReadToolRuns(log_);
  }

  test::ScratchFolder app_{L"run app"};
  test::ScratchFolder work_{L"work"};
  std::wstring log_ = work_.path() + L"tool.log";
  std::wstring tool_ = test::ProgramFolder() + L"fake_tool.exe";
};

TEST_F(SlotRun, HostileNamesReachTheToolAsOneArgumentInTheirFolder) {
  const std::wstring folders[] = {
      work_.path() + L"plain",
      work_.path() + L"dir & (x) ;=,^",
      work_.path() + L"per%cent%dir %PATH%",
      work_.path() + L"かな フォルダ",
  };
  const std::wstring names[] = {
      L"Hello.java",     L"Hello World.java", L"a&canary&b.java",
      L"x^y(1);=,.java", L"100%.java",        L"%PATH%.java",
      L"%~dp0.java",     L"!bang!.java",      L"ハロー ワールド.java",
      L" lead.java",     L"a'b`c.java",       L"x&&canary||y.java",
  };
  for (const std::wstring& folder : folders) {
    for (const std::wstring& name : names) {
      std::vector<test::ToolRun> runs = DropAndRun(folder, name);
      ASSERT_EQ(runs.size(), 1u) << test::Utf8(folder + L"\\" + name);
      EXPECT_EQ(runs[0].folder, folder) << test::Utf8(name);
      EXPECT_EQ(runs[0].arguments, std::vector<std::wstring>{name}) << test::Utf8(name);
    }
  }
}

TEST_F(SlotRun, FileOnAnotherDriveAndFolderOutsideTheCodePage) {
  ASSERT_TRUE(test::FileExists(L"D:\\")) << "the test bed maps D: in its prefix";
  test::ScratchFolder other(L"drive d", L"D:\\");
  std::vector<test::ToolRun> runs = DropAndRun(other.path() + L"src", L"Hello.java");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].folder, other.path() + L"src");

  // A folder the console code page cannot name is reached by its short name.
  const std::wstring umlaut = work_.path() + L"M\u00FCller";
  runs = DropAndRun(umlaut, L"Hello.java");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, std::vector<std::wstring>{L"Hello.java"});
  EXPECT_EQ(GetLongPathNameW(runs[0].folder.c_str(), nullptr, 0) > 0, true);
  wchar_t longForm[MAX_PATH];
  GetLongPathNameW(runs[0].folder.c_str(), longForm, MAX_PATH);
  EXPECT_EQ(std::wstring(longForm), umlaut);
}

TEST_F(SlotRun, RunSlotStartsTheScriptThenTakesTheTitleFromTheTool) {
  ASSERT_TRUE(plum::WriteSlotScript(2, work_.path() + L"Hello.java", app_.path(), tool_).ok);
  std::wstring title = plum::kFirstActivationTitle;
  plum::RunOutcome run = RunSlot(2, app_.path(), L"C:\\jdk\\bin\\javac.exe", title);
  ASSERT_TRUE(run.ok) << test::Utf8(run.message);
  EXPECT_EQ(title, L"C:\\jdk");
  std::vector<test::ToolRun> runs;
  for (int i = 0; i < 300 && runs.empty(); ++i) {
    Sleep(50);
    runs = test::ReadToolRuns(log_);
  }
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].folder + L"\\", work_.path());

  // A slot without a script: a message naming it, and the title stays.
  plum::RunOutcome missing = RunSlot(1, app_.path(), L"java", title);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.message.find(app_.path() + L"plum_dock1.bat"), std::wstring::npos);
  EXPECT_EQ(title, L"C:\\jdk");
}

}  // namespace
