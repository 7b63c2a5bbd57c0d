// Hostile names, executed: generated folders and file names full of cmd.exe
// metacharacters, variable patterns, kana and kanji (including those whose
// second Shift-JIS byte is '\' or '|'), characters outside code page 932 and
// names up to 255 characters, on two drives. Each case writes the slot script
// with the same function the drop calls, runs it with cmd.exe and the
// recording fake tool, and checks one of the two allowed endings.
//
//   PLUM_PROPERTY_SEED   the run's seed (default below; printed on failure)
//   PLUM_PROPERTY_CASES  how many cases (default 300)
//   PLUM_PROPERTY_ONLY   run only this case number of the seed's sequence
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "slots/slot_script.h"
#include "test_support.h"

namespace {

constexpr uint64_t kDefaultSeed = 20240917;
constexpr int kDefaultCases = 300;
constexpr int kSlot = 1;

uint64_t EnvNumber(const wchar_t* name, uint64_t fallback) {
  wchar_t text[64];
  const DWORD n = GetEnvironmentVariableW(name, text, 64);
  if (n == 0 || n >= 64) return fallback;
  return std::wcstoull(text, nullptr, 10);
}

// SplitMix64: a small generator whose sequence is the same on every build.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  bool Percent(int p) { return Below(100) < static_cast<size_t>(p); }

 private:
  uint64_t state_;
};

// Pieces names are built from. "canary" fragments would start canary.exe (a
// copy of the fake tool in the file's folder) if any of them were obeyed.
const wchar_t* const kPlain[] = {L"a", L"Hello", L"x1", L"Z", L"src", L"9", L"_", L"-", L"+", L"@",
                                 L"#", L"$",     L"~",  L"[", L"]",   L"{", L"}", L"'", L"`"};
const wchar_t* const kMeta[] = {L"&", L"^", L"(",  L")", L",",  L";",  L"=",  L"!",
                                L"%", L" ", L"  ", L".", L"..", L"^^", L"%%", L"\t"};
const wchar_t* const kPatterns[] = {
    L"&canary&", L"&&canary", L"^&canary", L"%PATH%",   L"%~dp0",        L"%~nx1",   L"%1",
    L"%~sx1",    L"!PATH!",   L"%CD%",     L"(canary)", L" & canary & ", L"%%~f0",   L"%=%",
    L"%~",       L"!",        L"^",        L"&canary^", L",canary;",     L"=canary="};
// 表 能 ソ end in 0x5C ('\') in Shift-JIS, ポ in 0x7C ('|'), ー in 0x5B.
const wchar_t* const kJapanese[] = {L"かな", L"カナ", L"漢字", L"ソ", L"表", L"能", L"ポ",
                                    L"ー",   L"十",   L"ｶﾅ",   L"　", L"①",  L"＆", L"％"};
const wchar_t* const kOutsideCodePage[] = {L"\u00FC",     L"\u00E9", L"\u20AC", L"\uD55C",
                                           L"\U0001F600", L"\u00A5", L"\u2014", L"\u00A9"};
// Not allowed in file names, so only the script text meets them.
const wchar_t* const kIllegal[] = {L"<",        L">",    L"|",          L"|canary",
                                   L">out.txt", L"<nul", L"&canary|",   L"*",
                                   L"?",        L"%*",   L"%TMP:~0,1%", L"%PATH:a=b%"};

enum class Mix { kName, kFolder, kTextOnly };

std::wstring Piece(Random& r, Mix mix) {
  const size_t kind = r.Below(100);
  if (mix == Mix::kTextOnly && kind < 10) return kIllegal[r.Below(std::size(kIllegal))];
  if (kind < 30) return kPlain[r.Below(std::size(kPlain))];
  if (kind < 55) return kMeta[r.Below(std::size(kMeta))];
  if (kind < 75) return kPatterns[r.Below(std::size(kPatterns))];
  return kJapanese[r.Below(std::size(kJapanese))];
}

// Some cases get one character the console's code page cannot hold.
void MaybeAddOutsider(Random& r, int percent, std::wstring& text) {
  if (!r.Percent(percent)) return;
  size_t at = r.Below(text.size() + 1);
  if (at > 0 && at < text.size() && IS_LOW_SURROGATE(text[at])) --at;
  text.insert(at, kOutsideCodePage[r.Below(std::size(kOutsideCodePage))]);
}

// What the file system does to a name it stores: trailing dots and spaces go.
// Under Wine a name is also a Linux file name, at most 255 bytes of UTF-8 (a
// name of 255 kanji fits Windows but not the host), so long names are cut to
// fit that as well.
std::wstring StoredForm(std::wstring name) {
  while (test::Utf8(name).size() > 255) {
    name.pop_back();
    if (!name.empty() && IS_HIGH_SURROGATE(name.back())) name.pop_back();
  }
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  return name;
}

std::wstring Component(Random& r, size_t maxLength, Mix mix) {
  std::wstring text;
  const size_t target = 1 + r.Below(maxLength);
  while (text.size() < target) text += Piece(r, mix);
  MaybeAddOutsider(r, mix == Mix::kFolder ? 4 : 10, text);
  if (text.size() > maxLength) text.resize(maxLength);
  // A surrogate pair cut in half is not a name either.
  if (!text.empty() && IS_HIGH_SURROGATE(text.back())) text.pop_back();
  if (mix != Mix::kTextOnly) {
    text = StoredForm(text);
    for (wchar_t& c : text)
      if (c == L'\t') c = L'_';  // control characters are not allowed in names
  }
  if (text.empty() || text == L"." || text == L"..") text = L"n" + text;
  return text;
}

std::wstring Name(Random& r, Mix mix) {
  const size_t maxStem = r.Percent(15) ? 250 : 30;
  std::wstring name = Component(r, maxStem, mix);
  if (r.Percent(85)) name += L".java";
  if (name.size() > 255) name.erase(0, name.size() - 255);
  if (mix != Mix::kTextOnly) name = StoredForm(name);
  if (name.empty() || name.find_first_not_of(L'.') == std::wstring::npos) name = L"n" + name;
  return name;
}

bool FitsCodePage932(const std::wstring& text) {
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          nullptr, 0, nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}

std::wstring CodePoints(const std::wstring& text) {
  std::wstring out;
  wchar_t buffer[8];
  for (wchar_t c : text) {
    swprintf(buffer, 8, L"%04X ", static_cast<unsigned>(c));
    out += buffer;
  }
  return out;
}

class HostileNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::FileExists(tool_)) << test::Utf8(tool_);
    ASSERT_TRUE(test::FileExists(L"D:\\")) << "the test bed maps D: in its prefix";
    SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log_.c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr); }

  test::ScratchFolder app_{L"prop app"};
  test::ScratchFolder work_{L"prop"};
  test::ScratchFolder other_{L"prop", L"D:\\"};
  std::wstring log_ = app_.path() + L"tool.log";
  std::wstring tool_ = test::ProgramFolder() + L"fake_tool.exe";
  std::wstring script_ = plum::SlotScriptPath(app_.path(), kSlot);
};

TEST_F(HostileNames, EveryCaseRunsTheToolOnceOrTellsTheUserAndRunsNothing) {
  const uint64_t seed = EnvNumber(L"PLUM_PROPERTY_SEED", kDefaultSeed);
  const uint64_t cases = EnvNumber(L"PLUM_PROPERTY_CASES", kDefaultCases);
  const uint64_t only = EnvNumber(L"PLUM_PROPERTY_ONLY", UINT64_MAX);
  const std::string again = "PLUM_PROPERTY_SEED=" + std::to_string(seed);
  std::cout << again << " PLUM_PROPERTY_CASES=" << cases << "\n";

  int failures = 0, ran = 0, refused = 0;
  for (uint64_t i = 0; i < cases && failures < 5; ++i) {
    if (only != UINT64_MAX && i != only) continue;
    Random r(seed * 1000003ull + i);
    const bool textOnly = r.Percent(15);  // a name no file can have, fed to the writer
    const bool onD = r.Percent(40);
    const std::wstring root = (onD ? other_.path() : work_.path()) + std::to_wstring(i);
    std::wstring folder = root;
    if (onD && r.Percent(5)) {
      folder = L"D:";  // a file in the root of a drive
    } else {
      CreateDirectoryW(folder.c_str(), nullptr);
      const size_t depth = 1 + r.Below(2);
      for (size_t d = 0; d < depth; ++d) {
        folder += L"\\" + Component(r, 40, Mix::kFolder);
        CreateDirectoryW(folder.c_str(), nullptr);
      }
    }
    std::wstring name = Name(r, textOnly ? Mix::kTextOnly : Mix::kName);
    if (folder == L"D:")
      name = StoredForm(L"prop_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name);
    const std::wstring path = folder + L"\\" + name;
    const std::string where =
        test::Utf8(L"case " + std::to_wstring(i) + L": folder [" + folder + L"] name [" + name +
                   L"] name code points " + CodePoints(name)) +
        " (reproduce: " + again + " PLUM_PROPERTY_ONLY=" + std::to_string(i) + ")";
    auto fail = [&](const std::string& what) {
      ADD_FAILURE() << what << "\n  " << where;
      ++failures;
    };

    const std::wstring folderSlash = folder == L"D:" ? L"D:\\" : folder + L"\\";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS &&
        folder != L"D:") {
      fail("the folder could not be made");
      continue;
    }
    if (!textOnly) {
      test::WriteBytes(L"\\\\?\\" + path, "class X {}");
      if (!test::FileExists(L"\\\\?\\" + path)) {
        fail("the file could not be made");
        continue;
      }
    }
    const std::wstring canary = folderSlash + L"canary.exe";
    CopyFileW(tool_.c_str(), canary.c_str(), FALSE);

    // The previous script stands in for one the user relies on.
    const std::string before = "@rem previous script " + std::to_string(i) + "\r\n";
    test::WriteBytes(script_, before);
    DeleteFileW(log_.c_str());

    const plum::ScriptOutcome written = plum::WriteSlotScript(kSlot, path, app_.path(), tool_);
    const bool nameFits = FitsCodePage932(name);
    if (!written.ok) {
      ++refused;
      // The only reason to refuse a name is a character the console cannot hold.
      if (nameFits && FitsCodePage932(folder)) fail("refused: " + test::Utf8(written.message));
      if (written.message.find(script_) == std::wstring::npos ||
          (!nameFits && written.message.find(name) == std::wstring::npos))
        fail("the message names neither the script nor the file: " + test::Utf8(written.message));
      if (test::ReadBytes(script_) != before) fail("a refused drop changed the script");
      if (test::FileExists(script_ + L".new")) fail("a half-written script was left behind");
    } else {
      ++ran;
      if (!nameFits) fail("a name outside the code page was written");
      const int code = test::RunAndWait(L"\"" + script_ + L"\"", 30000);
      const std::vector<test::ToolRun> runs = test::ReadToolRuns(log_);
      if (code < 0) fail("the script did not end");
      if (runs.size() != 1) {
        std::string seen;
        for (const test::ToolRun& run : runs) seen += "\n    ran " + test::Utf8(run.program);
        fail("the tool ran " + std::to_string(runs.size()) + " times" + seen);
      } else {
        const test::ToolRun& run = runs[0];
        if (_wcsicmp(run.program.c_str(), tool_.c_str()) != 0)
          fail("something else ran: " + test::Utf8(run.program));
        wchar_t longForm[1024] = {};
        GetLongPathNameW(run.folder.c_str(), longForm, 1024);
        std::wstring ranIn = longForm[0] ? longForm : run.folder;
        if (ranIn.size() > 3 && ranIn.back() == L'\\') ranIn.pop_back();
        const std::wstring expectedFolder = folder == L"D:" ? L"D:\\" : folder;
        if (ranIn != expectedFolder) fail("ran in [" + test::Utf8(run.folder) + "]");
        if (run.arguments != std::vector<std::wstring>{name}) {
          std::string args;
          for (const std::wstring& a : run.arguments) args += " [" + test::Utf8(a) + "]";
          fail("arguments:" + args);
        }
      }
    }
    if (!textOnly) DeleteFileW((L"\\\\?\\" + path).c_str());
    if (folder == L"D:") DeleteFileW(canary.c_str());
  }
  std::cout << ran << " cases ran the tool, " << refused << " were refused\n";
  if (only == UINT64_MAX) {
    // Both endings must have been exercised for the run to mean anything.
    EXPECT_GT(ran, static_cast<int>(cases / 2));
    EXPECT_GT(refused, 0);
  }
}

}  // namespace
