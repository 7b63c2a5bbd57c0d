#include "settings/settings_file.h"

#include "common/paths.h"
#include "common/text.h"

namespace plum {
namespace {

constexpr DWORD kBufferSize = 1024;

// Names that are not file contents cannot hold characters outside the code
// page either; they are ours and always ASCII, so a lossy form is fine.
std::string Ansi(const std::wstring& text) { return EncodeText(text, CP_ACP).bytes; }

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
  WriteSetting(section, key, defaultValue, file);
  result.value = ReadSetting(section, key, file);
  if (result.value.empty() && !defaultValue.empty()) {
    result.value = defaultValue;
    result.stored = false;
  }
  return result;
}

SettingWrite WriteSetting(const std::wstring& section, const std::wstring& key,
                          const std::wstring& value, const std::wstring& file) {
  SettingWrite result;
  Encoded bytes = EncodeText(value, CP_ACP);
  if (!bytes.ok()) {
    result.ok = false;
    result.reason =
        DescribeCharacter(*bytes.unrepresentable) + L" はこのシステムの文字コードで保存できません";
    return result;
  }
  const std::string path = AnsiPathForFile(file);
  if (path.empty()) {
    result.ok = false;
    result.reason = L"ファイルのパスをこのシステムの文字コードで表せません";
    return result;
  }
  if (!WritePrivateProfileStringA(Ansi(section).c_str(), Ansi(key).c_str(), bytes.bytes.c_str(),
                                  path.c_str())) {
    result.ok = false;
    result.reason = SystemMessage(GetLastError());
  }
  return result;
}

}  // namespace plum
