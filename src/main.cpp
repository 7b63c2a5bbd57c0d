// plum_dock.exe: a window with three tool slots that run a Java
// development kit's tools on dropped files.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "startup/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Drag and drop needs OLE on this thread; the file dialog needs COM.
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!plum::StartUp(instance)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
