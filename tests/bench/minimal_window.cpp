// The yardstick for the start-up benchmark: a Win32 program that only
// registers a class and shows one window, built with the dock's flags.
// With "--console" it first allocates a console, and with "--ole" it first
// loads and starts OLE and the common controls, as the dock does, to show
// what each costs on its own.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  if (std::wcsstr(commandLine, L"--ole")) {
    // Loaded by name so that the plain run does not load them at all.
    using OleInit = HRESULT(WINAPI*)(void*);
    using ControlsInit = BOOL(WINAPI*)(const void*);
    const struct {
      DWORD size, classes;
    } controls = {8, 0x000000FF | 0x00004000};  // ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES
    if (HMODULE ole = LoadLibraryW(L"ole32.dll"))
      if (auto init = reinterpret_cast<OleInit>(
              reinterpret_cast<void*>(GetProcAddress(ole, "OleInitialize"))))
        init(nullptr);
    if (HMODULE comctl = LoadLibraryW(L"comctl32.dll"))
      if (auto init = reinterpret_cast<ControlsInit>(
              reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx"))))
        init(&controls);
  }
  if (std::wcsstr(commandLine, L"--console")) AllocConsole();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"PlumBenchMinimalWindow";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 200, 120, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
