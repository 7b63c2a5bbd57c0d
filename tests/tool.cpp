// tool.exe: a stand-in for a JDK tool, copied under any name. It appends "<own name>\t<current
// folder>\t<arg>..." to the log PLUM_TOOL_LOG names, then waits for the file PLUM_TOOL_HOLD names
// (a Ctrl+C logs "interrupted").
//   --window TITLE  shows a window with that title until ended.
//   --keep N FILE   makes N events and N brushes, keeps them, writes FILE.
//   --screen PID FILE  writes the text on process PID's console, without spaces.
// A run prints its arguments; with PLUM_TOOL_INPUT set it logs a line it reads; it exits with
// the code PLUM_TOOL_EXIT gives (0 without).
#include <windows.h>
#include <shellapi.h>

#include <string>

static void Log(const std::wstring& line) {
  wchar_t log[MAX_PATH];
  GetEnvironmentVariableW(L"PLUM_TOOL_LOG", log, MAX_PATH);
  std::string utf8(line.size() * 3 + 1, '\0');
  utf8.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                  utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr));
  HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, (utf8 + "\n").data(), static_cast<DWORD>(utf8.size() + 1), &written, nullptr);
  CloseHandle(file);
}

static BOOL WINAPI Interrupted(DWORD) {
  Log(L"interrupted\t-");
  ExitProcess(130);
}

int wmain(int argc, wchar_t** argv) {
  const std::wstring option = argc > 1 ? argv[1] : L"";
  if (option == L"--window" && argc > 2) return MessageBoxW(nullptr, L"", argv[2], MB_OK);
  if (option == L"--keep" && argc > 3) {
    for (int i = 0; i < _wtoi(argv[2]); ++i) {
      CreateEventW(nullptr, FALSE, FALSE, nullptr);
      CreateSolidBrush(RGB(i, 0, 0));
    }
    CloseHandle(CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Sleep(INFINITE);
  }
  if (option == L"--screen" && argc > 3) {  // what a person sees in that console
    FreeConsole();
    if (!AttachConsole(wcstoul(argv[2], nullptr, 10))) return 1;
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(out, &info);
    std::wstring screen(info.dwSize.X * info.dwSize.Y, L' '), text;
    DWORD read = 0;
    ReadConsoleOutputCharacterW(out, screen.data(), static_cast<DWORD>(screen.size()), {0, 0},
                                &read);
    for (wchar_t c : screen.substr(0, read)) text += iswspace(c) ? L"" : std::wstring(1, c);
    SetEnvironmentVariableW(L"PLUM_TOOL_LOG", argv[3]);
    Log(text);
    return 0;
  }
  wchar_t text[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, text, MAX_PATH * 2);
  std::wstring line = wcsrchr(text, L'\\') + 1;
  GetCurrentDirectoryW(MAX_PATH * 2, text);
  line += L"\t" + std::wstring(text);
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) line += L"\t" + std::wstring(args[i]);
  Log(line);
  fputws((L"ran " + line.substr(0, line.find(L'\t')) + L"\n").c_str(), stdout);
  fflush(stdout);
  if (GetEnvironmentVariableW(L"PLUM_TOOL_INPUT", text, 2)) {
    char input[256] = {};
    DWORD done = 0;
    ReadFile(GetStdHandle(STD_INPUT_HANDLE), input, sizeof input - 1, &done, nullptr);
    Log(L"input\t" + std::wstring(input, input + strcspn(input, "\r\n")));
  }
  if (GetEnvironmentVariableW(L"PLUM_TOOL_HOLD", text, MAX_PATH * 2)) {
    SetConsoleCtrlHandler(Interrupted, TRUE);
    for (int i = 0; i < 600 && GetFileAttributesW(text) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  }
  return GetEnvironmentVariableW(L"PLUM_TOOL_EXIT", text, MAX_PATH * 2) ? _wtoi(text) : 0;
}
