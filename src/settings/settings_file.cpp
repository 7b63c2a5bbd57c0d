#include "settings/settings_file.h"

#include "common/paths.h"
#include "common/text.h"

namespace plum {
namespace {

constexpr DWORD kBufferSize = 1024;

// Names that are not file contents cannot hold characters outside the code
// page either; they are ours and always ASCII, so a lossy form is fine.
std::string Ansi(const std::wstring& text) { return EncodeText(text, CP_ACP).bytes; }

// `path` in the ANSI code page, for the profile functions. When a folder in
// it cannot be held by the code page, its short form is used instead; the
// last name (which may not exist yet) must be representable as it stands.
// Empty when no representable form exists.
std::string AnsiPathForFile(const std::wstring& path) {
  Encoded direct = EncodeText(path, CP_ACP);
  if (direct.ok()) return direct.bytes;
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  Encoded name = EncodeText(path.substr(slash), CP_ACP);
  Encoded folder = EncodeText(ShortPathOf(path.substr(0, slash + 1)), CP_ACP);
  if (!name.ok() || !folder.ok() || folder.bytes.empty()) return {};
  std::string result = folder.bytes;
  if (!result.empty() && result.back() == '\\') result.pop_back();
  return result + name.bytes;
}

SettingWrite Refused(std::wstring key, std::wstring reason) {
  return {false, std::move(key), std::move(reason)};
}

}  // namespace

std::wstring ReadSetting(const std::wstring& section, const std::wstring& key,
                         const std::wstring& file) {
  char buffer[kBufferSize] = {};
  const std::string path = AnsiPathForFile(file);
  // An empty file name would leave the profile functions to pick a file in
  // the Windows folder. A path the code page cannot hold names a file that
  // cannot be used: nothing is read.
  if (path.empty()) return {};
  GetPrivateProfileStringA(Ansi(section).c_str(), Ansi(key).c_str(), "", buffer, kBufferSize,
                           path.c_str());
  return DecodeText(buffer, CP_ACP);
}

SettingRead ReadSettingOrDefault(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& file, const std::wstring& defaultValue) {
  SettingRead result;
  result.value = ReadSetting(section, key, file);
  if (!result.value.empty()) return result;  // nothing written, so nothing to read again
  SettingWrite written = WriteSetting(section, key, defaultValue, file);
  result.value = ReadSetting(section, key, file);
  if (result.value.empty() && !defaultValue.empty()) {
    result.value = defaultValue;
    result.stored = false;
    result.reason = std::move(written.reason);
  }
  return result;
}

SettingRead ReadStartSetting(const std::wstring& section, const std::wstring& key,
                             const std::wstring& file, const std::wstring& adminFile,
                             const std::wstring& defaultValue) {
  if (adminFile.empty()) return ReadSettingOrDefault(section, key, file, defaultValue);
  SettingRead result;
  for (const std::wstring* source : {&file, &adminFile}) {
    result.value = ReadSetting(section, key, *source);
    if (!result.value.empty()) return result;
  }
  result.value = defaultValue;
  return result;
}

int AlwaysInFrontFromText(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 9) return kTicked;
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return kTicked;
    value = value * 10 + (c - L'0');
  }
  return value <= kGreyed ? value : kTicked;
}

SettingWrite WriteSetting(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, const std::wstring& file) {
  return WriteSettings({{section, key, value}}, file);
}

SettingWrite WriteSettings(const std::vector<SettingEntry>& entries, const std::wstring& file) {
  // Deliberate: all or nothing. Every value is checked before the first is
  // written, so a value that cannot be stored leaves the file as it was.
  std::vector<std::string> values;
  for (const SettingEntry& e : entries) {
    Encoded bytes = EncodeText(e.value, CP_ACP);
    if (!bytes.ok())
      return Refused(e.key, DescribeCharacter(*bytes.unrepresentable) +
                                L" はこのシステムの文字コードで保存できません。");
    values.push_back(std::move(bytes.bytes));
  }
  const std::string path = AnsiPathForFile(file);
  if (path.empty()) return Refused({}, L"ファイルのパスをこのシステムの文字コードで表せません。");
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!WritePrivateProfileStringA(Ansi(entries[i].section).c_str(), Ansi(entries[i].key).c_str(),
                                    values[i].c_str(), path.c_str()))
      return Refused(entries[i].key, SystemMessage(GetLastError()));
  }
  return {};
}

}  // namespace plum
