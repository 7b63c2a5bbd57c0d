// A stand-in for a JDK tool. Appends one record to the log named by the
// environment variable PLUM_FAKE_TOOL_LOG: its own path, its current folder
// and each argument as the C runtime would split them.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace

int wmain() {
  wchar_t log[MAX_PATH * 2];
  if (!GetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log, MAX_PATH * 2)) return 2;
  std::wstring record = L"run\n";
  wchar_t buffer[MAX_PATH * 4];
  GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  record += std::wstring(L"program=") + buffer + L"\n";
  GetCurrentDirectoryW(MAX_PATH * 4, buffer);
  record += std::wstring(L"folder=") + buffer + L"\n";
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) record += std::wstring(L"arg=") + argv[i] + L"\n";
  LocalFree(argv);
  const std::string bytes = Utf8(record);
  // Several runs may log at once: retry while another one holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(file);
      return 0;
    }
    Sleep(10);
  }
  return 3;
}
