// The slot tool of the drop benchmark: its first instruction reads the system
// time (the clock Linux programs read too, so that the release stamped beside
// xdotool compares with it) and appends it, in 100 ns units since 1601, to the
// file named by PLUM_STAMP_LOG.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602  // GetSystemTimePreciseAsFileTime
#include <windows.h>

#include <cstdio>

int wmain() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  wchar_t log[MAX_PATH * 2];
  if (!GetEnvironmentVariableW(L"PLUM_STAMP_LOG", log, MAX_PATH * 2)) return 2;
  char line[32];
  const int n = std::snprintf(
      line, sizeof line, "%llu\n",
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  for (int attempt = 0; attempt < 200; ++attempt) {  // an earlier run may still be writing
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
      CloseHandle(file);
      return 0;
    }
    Sleep(5);
  }
  return 3;
}
