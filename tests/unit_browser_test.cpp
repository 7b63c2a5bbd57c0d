// The registry reader, and the command line of the ".html" program.
#include <gtest/gtest.h>

#include "browser/html_handler.h"
#include "common/registry.h"
#include "support.h"

#include <shellapi.h>

using namespace t;

TEST(RegistryString, HoldsUpTo1023BytesInTheCodePageExpanded) {
  const std::wstring key = L"PlumDockTest.Key";
  for (const std::wstring& value : {std::wstring(1023, L'a'), std::wstring(511, L'あ')}) {
    SetClassesValue(key, value);
    EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), value);
    SetClassesValue(key, value + value.substr(0, 1));
    EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), L"");
  }
  SetEnvironmentVariableW(L"PLUM_X", L"C:\\x y");  // an expandable value is expanded
  SetClassesValue(key, L"%PLUM_X%\\b.exe", REG_EXPAND_SZ);
  EXPECT_EQ(plum::ReadRegistryString(HKEY_CLASSES_ROOT, key, L""), L"C:\\x y\\b.exe");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
}

TEST(Browser, CommandLineGivesTheDocumentAsOneArgumentWhateverItsForm) {
  const std::wstring doc = L"C:\\ヘルプ 100% & \"(1)\"\\help/index.html\\";
  for (const wchar_t* command :
       {L"\"b.exe\" \"%1\"", L"\"b.exe\"", L"b.exe -url %1", L"b.exe \"%L\""}) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(plum::BrowserCommandLine(command, doc).c_str(), &count);
    EXPECT_EQ(std::wstring(args[count - 1]), doc) << Utf8(command);
    EXPECT_EQ(count, std::wstring(command).find(L"-url") == std::wstring::npos ? 2 : 3);
    LocalFree(args);
  }
}
