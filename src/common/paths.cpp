#include "common/paths.h"

#include <windows.h>

namespace plum {

std::wstring ShortPathOf(const std::wstring& path) {
  // A path on a drive of MAX_PATH or more reaches the system only in its
  // \\?\ form, and its short form comes back in it.
  std::wstring asked = path;
  if (path.size() >= MAX_PATH && path[1] == L':') asked.insert(0, L"\\\\?\\");
  DWORD size = GetShortPathNameW(asked.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring result(size, L'\0');
  DWORD n = GetShortPathNameW(asked.c_str(), result.data(), size);
  if (n == 0 || n >= size) return {};
  result.resize(n);
  return result.erase(0, asked.size() - path.size());
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace plum
