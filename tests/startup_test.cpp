#include <gtest/gtest.h>

#include "forms/set_form.h"
#include "startup/startup.h"

namespace {

TEST(StartUp, AppFolderAlwaysEndsInOneBackslash) {
  EXPECT_EQ(plum::AppFolderOf(L"C:\\tools\\dock\\plum_dock.exe"), L"C:\\tools\\dock\\");
  EXPECT_EQ(plum::AppFolderOf(L"D:\\plum_dock.exe"), L"D:\\");
  EXPECT_EQ(plum::AppFolderOf(L"\\\\server\\share\\plum_dock.exe"), L"\\\\server\\share\\");
}

TEST(StartUp, TopTextBecomesACheckBoxState) {
  EXPECT_EQ(plum::AlwaysInFrontFromText(L"0"), plum::kUnticked);
  EXPECT_EQ(plum::AlwaysInFrontFromText(L"1"), plum::kTicked);
  EXPECT_EQ(plum::AlwaysInFrontFromText(L"2"), plum::kGreyed);
  EXPECT_EQ(plum::AlwaysInFrontFromText(L" 0 "), plum::kUnticked);
  EXPECT_EQ(plum::AlwaysInFrontFromText(L"00"), plum::kUnticked);
  // Anything else is the default, ticked.
  for (const wchar_t* text : {L"abc", L"-1", L"99", L"", L"0x0", L"1.5", L"4294967296"})
    EXPECT_EQ(plum::AlwaysInFrontFromText(text), plum::kTicked);
}

TEST(SettingsDialog, FilterShowsTheDescriptionAndListsItsPattern) {
  const std::wstring filter = plum::FileDialogFilter(L"実行ファイル(*.exe)");
  EXPECT_EQ(filter, std::wstring(L"実行ファイル(*.exe)\0*.exe\0", 20));
  EXPECT_EQ(plum::FileDialogFilter(L"すべて"), std::wstring(L"すべて\0*.*\0", 8));
}

}  // namespace
