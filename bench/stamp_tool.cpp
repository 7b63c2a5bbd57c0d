// A stand-in tool for the latency benchmark: its first instruction reads the
// performance counter (one clock for all processes) and appends the value to
// the file named by PLUM_STAMP_LOG.
#include <windows.h>

#include <cstdio>

int wmain() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  wchar_t log[MAX_PATH * 2];
  if (!GetEnvironmentVariableW(L"PLUM_STAMP_LOG", log, MAX_PATH * 2)) return 2;
  char line[32];
  const int n = std::snprintf(line, sizeof line, "%lld\n", now.QuadPart);
  for (int attempt = 0; attempt < 200; ++attempt) {
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
