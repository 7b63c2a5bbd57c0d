#include "common/paths.h"

#include <windows.h>

#include "common/handles.h"

namespace plum {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring PlainPath(std::wstring path) {
  // Wine gives a program started from a share its path as "UNC\server\...",
  // the extended form without its "\\?\".
  if (path.rfind(L"UNC\\", 0) == 0) path.insert(0, L"\\\\?\\");
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return path.replace(0, 8, L"\\\\");
  if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() > 5 && path[5] == L':') return path.erase(0, 4);
  return path;
}

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  for (int attempt = 0; size > 0 && attempt < 4; ++attempt) {
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;  // it grew in between
  }
  return {};
}

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

std::string ReadFileStart(const std::wstring& path, DWORD most) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  const DWORD size = GetFileSize(file.get(), nullptr);
  std::string bytes(size == INVALID_FILE_SIZE || size > most ? most : size, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return {};
  bytes.resize(read);
  return bytes;
}

ULONGLONG LastWritten(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  return ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace plum
