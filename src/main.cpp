// plum_dock.exe: a window with three tool slots that run a Java
// development kit's tools on dropped files.
#include <windows.h>

#include <string>

#include "common/late_import.h"
#include "common/report.h"
#include "common/text.h"
#include "startup/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  plum::RestrictLibrarySearch();
  if (!plum::StartUp(instance)) {
    const std::wstring message =
        L"PLUM_DOCK のウィンドウを作成できません。\n" + plum::SystemMessage(GetLastError());
    plum::ReportFailure(nullptr, message.c_str(), plum::Gravity::kFatal);
    return 1;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
