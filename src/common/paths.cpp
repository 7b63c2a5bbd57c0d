#include "common/paths.h"

#include <windows.h>

#include "common/text.h"

namespace plum {

std::wstring ShortPathOf(const std::wstring& path) {
  // A path of MAX_PATH or more reaches the system only in its \\?\ form.
  const bool network = path.compare(0, 2, L"\\\\") == 0;
  const std::wstring prefix = network ? L"\\\\?\\UNC\\" : L"\\\\?\\";
  const bool extended = path.size() >= MAX_PATH && path.compare(0, 4, L"\\\\?\\") != 0;
  const std::wstring asked = extended ? prefix + path.substr(network ? 2 : 0) : path;
  DWORD size = GetShortPathNameW(asked.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring result(size, L'\0');
  DWORD n = GetShortPathNameW(asked.c_str(), result.data(), size);
  if (n == 0 || n >= size) return {};
  result.resize(n);
  if (extended && result.compare(0, prefix.size(), prefix) == 0)
    result = (network ? L"\\\\" : L"") + result.substr(prefix.size());
  return result;
}

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

}  // namespace plum
