// plum_dock.exe: a window with three tool slots that run a Java
// development kit's tools on dropped files.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "common/text.h"
#include "startup/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Drag and drop needs OLE on this thread; the file dialog needs COM. A
  // refusal right after another instance ended is usually passing: try again
  // briefly, then run without drops and say so.
  HRESULT ole = OleInitialize(nullptr);
  for (int attempt = 0; FAILED(ole) && attempt < 10; ++attempt) {
    Sleep(100);
    ole = OleInitialize(nullptr);
  }
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!plum::StartUp(instance)) {
    const std::wstring message =
        L"PLUM_DOCK のウィンドウを作成できません。\n" + plum::SystemMessage(GetLastError());
    MessageBoxW(nullptr, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONERROR);
    return 1;
  }
  if (FAILED(ole)) {
    const std::wstring message =
        L"ドラッグ＆ドロップを準備できません。スロットへのドロップは使えません。\n" +
        plum::SystemMessage(static_cast<DWORD>(ole));
    MessageBoxW(nullptr, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
