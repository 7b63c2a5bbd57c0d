// Small rules of several layers, each a test of its own, and the system libraries' search.
#include <gtest/gtest.h>

#include "common/late_import.h"
#include "settings/settings_file.h"
#include "slots/slot_runner.h"
#include "startup/startup.h"
#include "support.h"

using namespace t;

TEST(AppFolder, IsTheExecutablesFolderInItsPlainFormWithItsBackslash) {
  const std::pair<const wchar_t*, const wchar_t*> forms[] = {
      {L"C:\\プラム\\plum_dock.exe", L"C:\\プラム\\"},
      {L"\\\\?\\C:\\プラム\\plum_dock.exe", L"C:\\プラム\\"},
      {L"\\\\?\\UNC\\plum\\share\\app\\plum_dock.exe", L"\\\\plum\\share\\app\\"},
      {L"UNC\\plum\\share\\app\\plum_dock.exe", L"\\\\plum\\share\\app\\"},  // Wine's form
      {L"\\\\plum\\share\\plum_dock.exe", L"\\\\plum\\share\\"},
      {L"D:\\plum_dock.exe", L"D:\\"}};
  for (const auto& [path, folder] : forms) EXPECT_EQ(plum::AppFolderOf(path), folder);
}

TEST(AlwaysInFront, TextIsZeroOneOrTwoAnythingElseTicked) {
  const std::pair<const wchar_t*, int> tops[] = {{L"0", 0}, {L"1", 1}, {L"2", 2}, {L" 0 ", 0},
                                                 {L"3", 1}, {L"", 1},  {L"x", 1}, {L"-1", 1}};
  for (const auto& [text, state] : tops) EXPECT_EQ(plum::AlwaysInFrontFromText(text), state);
}

TEST(ActivationTitle, IsTheCommandOrItsFirstSixCharactersAndMatchesIgnoringCase) {
  EXPECT_EQ(plum::ActivationTitleAfter(L"12345678"), L"12345678");
  EXPECT_EQ(plum::ActivationTitleAfter(L"123456789"), L"123456");
  EXPECT_TRUE(plum::TitleMatches(L"JAVAC", L"javac", false));
  EXPECT_FALSE(plum::TitleMatches(L"javac Hello", L"javac", false));
  EXPECT_TRUE(plum::TitleMatches(L"Javac Hello", L"javac", true));
  EXPECT_FALSE(plum::TitleMatches(L"anything", L"", true));  // an emptied command matches nothing
}

// planted.dll (tests/planted.cpp) beside the test program, under a name the system folder lacks.
// A library loaded by mistake is freed, so that the copy goes with the test.
static bool Loaded(HMODULE module) {
  if (module) FreeLibrary(module);
  return module != nullptr;
}

TEST(Libraries, ComeFromTheSystemFolderOnly) {
  const Planted planted(Here() / L"planted.dll", Here() / L"plum_planted.dll");
  EXPECT_FALSE(Loaded(plum::LoadSystemLibrary(L"plum_planted.dll")));
  plum::RestrictLibrarySearch();  // and what the system loads by name
  EXPECT_FALSE(Loaded(LoadLibraryW(L"plum_planted.dll")));
  EXPECT_NE(plum::LateImport<void*>(L"comdlg32.dll", "GetOpenFileNameW"), nullptr);
}
