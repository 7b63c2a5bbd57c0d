// gui_agent.dll: the part of the GUI test driver that runs inside the
// program under test. Wine keeps menus private to their process, so the
// driver installs AgentHook (WH_CALLWNDPROC) on the window's thread, which
// loads this library there, and sends the window the registered message
// "PlumGuiAgentReadMenu" with wParam = a request number. The hook then
// writes the window's menu bar as UTF-16 text into the shared memory named
// "PlumGuiAgent_<request number>" that the driver created:
//   one line per item: depth TAB type TAB id TAB state TAB caption
// where type is "s" for a separator, "p" for an item with a submenu and "i"
// otherwise; the caption comes last since it may hold a tab itself. The text
// ends with a null; a first line "ok" marks the answer complete.
#include <windows.h>

#include <string>

namespace {

void Describe(HMENU menu, int depth, std::wstring* out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && depth < 8; ++i) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    wchar_t caption[512] = L"";
    const bool separator = (info.fType & MFT_SEPARATOR) != 0;
    if (!separator) GetMenuStringW(menu, static_cast<UINT>(i), caption, 512, MF_BYPOSITION);
    *out += std::to_wstring(depth) + L"\t" +
            (separator       ? L"s"
             : info.hSubMenu ? L"p"
                             : L"i") +
            L"\t" + std::to_wstring(info.wID) + L"\t" + std::to_wstring(info.fState) + L"\t" +
            caption + L"\n";
    if (info.hSubMenu) Describe(info.hSubMenu, depth + 1, out);
  }
}

void Answer(HWND hwnd, WPARAM request) {
  const std::wstring name = L"PlumGuiAgent_" + std::to_wstring(request);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str());
  if (!mapping) return;
  wchar_t* view = static_cast<wchar_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (view) {
    MEMORY_BASIC_INFORMATION region = {};
    VirtualQuery(view, &region, sizeof region);
    std::wstring text = L"ok\n";
    if (HMENU menu = GetMenu(hwnd)) Describe(menu, 0, &text);
    const size_t room = region.RegionSize / sizeof(wchar_t);
    if (text.size() < room) memcpy(view, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    AgentHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT kReadMenu = RegisterWindowMessageW(L"PlumGuiAgentReadMenu");
  if (code == HC_ACTION) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == kReadMenu) Answer(call->hwnd, call->wParam);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
