#include "common/paths.h"

#include <windows.h>

#include "common/text.h"

namespace plum {

std::wstring ShortPathOf(const std::wstring& path) {
  DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring result(size, L'\0');
  DWORD n = GetShortPathNameW(path.c_str(), result.data(), size);
  if (n == 0 || n >= size) return {};
  result.resize(n);
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
