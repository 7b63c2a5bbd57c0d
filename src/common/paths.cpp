#include "common/paths.h"

#include <windows.h>

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

}  // namespace plum
