#include "browser/html_handler.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "common/handles.h"
#include "common/text.h"
#include "homepage.h"
#include "html_association.h"
#include "test_support.h"

namespace {

using plum::BrowserCommandLine;
using plum::ReadRegistryString;

// The arguments the usual command line rules find in `line`.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  return args;
}

TEST(BrowserCommandLine, TheDocumentBecomesExactlyOneArgument) {
  const std::wstring doc = L"C:\\My Apps\\プラム ドック\\help/index.html";
  const std::wstring quoted = L"\"" + doc + L"\"";
  struct Case {
    std::wstring command;
    std::wstring line;
    size_t documentAt;  // its index among the arguments
    size_t argumentCount;
  };
  const Case cases[] = {
      {L"\"C:\\Web\\b.exe\" \"%1\"", L"\"C:\\Web\\b.exe\" " + quoted, 1, 2},
      {L"\"C:\\Web\\b.exe\" %1", L"\"C:\\Web\\b.exe\" " + quoted, 1, 2},
      {L"C:\\Web\\b.exe -osint -url \"%L\"", L"C:\\Web\\b.exe -osint -url " + quoted, 3, 4},
      {L"C:\\Web\\b.exe %l -new", L"C:\\Web\\b.exe " + quoted + L" -new", 1, 3},
      {L"\"C:\\Web\\b.exe\" -- %*", L"\"C:\\Web\\b.exe\" -- " + quoted, 2, 3},
      {L"\"C:\\Web\\b.exe\"", L"\"C:\\Web\\b.exe\" " + quoted, 1, 2},
      {L"C:\\Web\\b.exe -nohome", L"C:\\Web\\b.exe -nohome " + quoted, 2, 3},
      // A percent sign that is no placeholder stays as it is.
      {L"\"C:\\100%\\b.exe\" \"%1\"", L"\"C:\\100%\\b.exe\" " + quoted, 1, 2},
  };
  for (const Case& c : cases) {
    const std::wstring line = BrowserCommandLine(c.command, doc);
    EXPECT_EQ(line, c.line) << test::Utf8(c.command);
    const std::vector<std::wstring> args = SplitCommandLine(line);
    ASSERT_EQ(args.size(), c.argumentCount) << test::Utf8(line);
    EXPECT_EQ(args[c.documentAt], doc) << test::Utf8(line);
  }
}

TEST(BrowserCommandLine, DocumentTextIsNeverReadAsPlaceholdersOrQuotes) {
  // Web addresses and folders: percent signs, a closing backslash.
  const std::wstring docs[] = {
      L"https://example.jp/a%20b?x=%1&y=%L/",
      L"C:\\%PATH%\\a&b (1).html",
      L"C:\\docs\\",
      L"C:\\odd\"name.html",
  };
  for (const wchar_t* command : {L"b.exe \"%1\"", L"b.exe %1", L"b.exe"}) {
    for (const std::wstring& doc : docs) {
      const std::vector<std::wstring> args = SplitCommandLine(BrowserCommandLine(command, doc));
      ASSERT_EQ(args.size(), 2u) << test::Utf8(command) << " " << test::Utf8(doc);
      EXPECT_EQ(args[1], doc) << test::Utf8(command);
    }
  }
}

TEST(HelpDocuments, PathsFromTheAppFolder) {
  EXPECT_EQ(plum::ProgramHelpPath(L"C:\\プラム\\"), L"C:\\プラム\\help.html");
  EXPECT_EQ(plum::LibraryHelpPath(L"C:\\プラム\\"), L"C:\\プラム\\help/index.html");
  const std::wstring page = plum::kAuthorHomepage;
  ASSERT_FALSE(page.empty());
  EXPECT_NE(page.back(), L'/');
  EXPECT_EQ(plum::AuthorPageLink(), page + L"/");
}

using test::WriteClassesValue;

void DeleteKey(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

class RegistryString : public ::testing::Test {
 protected:
  void SetUp() override { DeleteKey(kKey); }
  void TearDown() override {
    DeleteKey(kKey);
    SetEnvironmentVariableW(L"PLUM_TEST_FOLDER", nullptr);
  }
  static constexpr wchar_t kKey[] = L".plumtest";
};

TEST_F(RegistryString, MissingKeyOrValueReadsAsEmpty) {
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L""), L"");
  WriteClassesValue(kKey, L"Other", L"x");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L""), L"");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey + std::wstring(L"\\shell"), L"Other"), L"");
  // A name the ANSI code page cannot hold names no key.
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, L".plum\u00E9\u0416", L""), L"");
}

TEST_F(RegistryString, TextValuesAndTheirTypes) {
  WriteClassesValue(kKey, L"", L"PlumTest.Class");
  WriteClassesValue(kKey, L"Named", L"\"C:\\ぶらうざ\\b.exe\" \"%1\"");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L""), L"PlumTest.Class");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Named"),
            L"\"C:\\ぶらうざ\\b.exe\" \"%1\"");

  SetEnvironmentVariableW(L"PLUM_TEST_FOLDER", L"C:\\ぷらむ dir");
  WriteClassesValue(kKey, L"Expand", L"\"%PLUM_TEST_FOLDER%\\b.exe\" %1", REG_EXPAND_SZ);
  WriteClassesValue(kKey, L"Plain", L"\"%PLUM_TEST_FOLDER%\\b.exe\" %1", REG_SZ);
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Expand"),
            L"\"C:\\ぷらむ dir\\b.exe\" %1");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Plain"),
            L"\"%PLUM_TEST_FOLDER%\\b.exe\" %1");

  // A number is not text.
  HKEY h = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, kKey, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  plum::RegKey key(h);
  const DWORD number = 0x41414141;
  RegSetValueExW(h, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Number"), L"");

  // An open key with no sub-key is read, and stays the caller's to close.
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(ReadRegistryString(h, L"", L"Named"), L"\"C:\\ぶらうざ\\b.exe\" \"%1\"");
}

TEST_F(RegistryString, OnlyValuesUpTo1023BytesFit) {
  WriteClassesValue(kKey, L"Fits", std::wstring(1023, L'a'));
  WriteClassesValue(kKey, L"Long", std::wstring(1024, L'a'));
  // Two bytes each in code page 932: 512 of them do not fit.
  WriteClassesValue(kKey, L"Kana", std::wstring(511, L'あ'));
  WriteClassesValue(kKey, L"LongKana", std::wstring(512, L'あ'));
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Fits"), std::wstring(1023, L'a'));
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Long"), L"");
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"Kana"), std::wstring(511, L'あ'));
  EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, kKey, L"LongKana"), L"");
}

// Changes the association of ".html" in the prefix and puts it back. These
// tests run alone (RUN_SERIAL): nothing else may see the changed association.
class BrowserLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log_.c_str());
    ASSERT_TRUE(test::FileExists(tool_)) << test::Utf8(tool_);
    ASSERT_TRUE(CreateDirectoryW(docFolder_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((docFolder_ + L"\\help").c_str(), nullptr));
    test::WriteBytes(document_, "<html></html>");
  }

  void TearDown() override {
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr);
    SetEnvironmentVariableW(L"PLUM_TEST_FOLDER", nullptr);
  }

  static constexpr const wchar_t* kClass = test::HtmlAssociation::kClass;
  test::HtmlAssociation association_;
  test::ScratchFolder work_{L"browser"};
  std::wstring log_ = work_.path() + L"tool.log";
  std::wstring tool_ = test::ProgramFolder() + L"fake_tool.exe";
  std::wstring docFolder_ = work_.path() + L"ヘルプ 文書 (1)";
  std::wstring document_ = docFolder_ + L"\\help/index.html";
};

TEST_F(BrowserLaunch, TheAssociatedProgramGetsTheDocumentAsOneArgument) {
  SetEnvironmentVariableW(L"PLUM_TEST_FOLDER", test::ProgramFolder().c_str());
  struct Case {
    std::wstring command;
    DWORD type;
  };
  const Case cases[] = {
      {L"\"" + tool_ + L"\" \"%1\"", REG_SZ},
      {L"\"" + tool_ + L"\"", REG_SZ},
      {L"\"" + tool_ + L"\" -url %1", REG_SZ},
      {L"\"%PLUM_TEST_FOLDER%fake_tool.exe\" \"%1\"", REG_EXPAND_SZ},
  };
  for (const Case& c : cases) {
    association_.Associate(c.command, c.type);
    DeleteFileW(log_.c_str());
    plum::BrowserOutcome opened = plum::OpenInBrowser(document_);
    ASSERT_TRUE(opened.ok) << test::Utf8(opened.message);
    std::vector<test::ToolRun> runs = test::WaitForToolRuns(log_, 1);
    ASSERT_EQ(runs.size(), 1u) << test::Utf8(c.command);
    std::vector<std::wstring> expected{document_};
    if (c.command.find(L"-url") != std::wstring::npos) expected.insert(expected.begin(), L"-url");
    EXPECT_EQ(runs[0].arguments, expected) << test::Utf8(c.command);
  }
}

TEST_F(BrowserLaunch, NothingStartsWithoutAUsableAssociation) {
  const std::wstring missingProgram = work_.path() + L"no such browser.exe";
  struct Case {
    std::wstring htmlClass;  // what ".html" names
    std::wstring command;    // the class's open command, when not empty
    std::wstring reason;     // expected in the message
  };
  const Case cases[] = {
      {L"", L"", L".html ファイルに関連付けられたプログラムがありません"},
      {kClass, L"", L".html ファイルに関連付けられたプログラムがありません"},
      {kClass, L"\"" + missingProgram + L"\" \"%1\"", plum::SystemMessage(ERROR_FILE_NOT_FOUND)},
  };
  // First a working association, so that each case shows a fresh look-up.
  association_.Associate(L"\"" + tool_ + L"\" \"%1\"");
  ASSERT_TRUE(plum::OpenInBrowser(document_).ok);
  ASSERT_EQ(test::WaitForToolRuns(log_, 1).size(), 1u);
  for (const Case& c : cases) {
    DeleteKey(kClass);
    WriteClassesValue(L".html", L"", c.htmlClass);
    if (!c.command.empty())
      WriteClassesValue(std::wstring(kClass) + L"\\shell\\open\\command", L"", c.command);
    DeleteFileW(log_.c_str());
    plum::BrowserOutcome opened = plum::OpenInBrowser(document_);
    EXPECT_FALSE(opened.ok) << test::Utf8(c.command);
    EXPECT_NE(opened.message.find(document_), std::wstring::npos) << test::Utf8(opened.message);
    EXPECT_NE(opened.message.find(c.reason), std::wstring::npos) << test::Utf8(opened.message);
    Sleep(300);
    EXPECT_TRUE(test::ReadToolRuns(log_).empty());
  }
}

}  // namespace
