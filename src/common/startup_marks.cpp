#include "common/startup_marks.h"

#ifdef PLUM_DOCK_TIME_STARTUP
#include <windows.h>

#include <cstdio>
#include <string>

namespace plum {
namespace {

std::string& Marks() {
  static std::string marks;
  return marks;
}

ULONGLONG Ticks(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

void MarkStartUp(const char* step) {
  FILETIME now, created, exited, kernel, user;
  GetSystemTimePreciseAsFileTime(&now);
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
  char line[96];
  std::snprintf(line, sizeof line, "%s %.1f\n", step,
                static_cast<double>(Ticks(now) - Ticks(created)) / 10000.0);
  Marks() += line;
}

void WriteStartUpMarks() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"PLUM_STARTUP_MARKS", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  if (FILE* file = _wfopen(path, L"ab")) {
    std::fputs((Marks() + "\n").c_str(), file);
    std::fclose(file);
  }
}

}  // namespace plum
#endif
