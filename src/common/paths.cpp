#include "common/paths.h"

#include <windows.h>

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

}  // namespace plum
