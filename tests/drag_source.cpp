// drag_source.exe <result> <x> <y> (--files <path>... | --text <text>): a real OLE drag of the
// system's clipboard data object, as a file manager does. Its window at (x, y) reads "waiting",
// "armed" once the pointer was over it, "dragging" once the button went down; "<HRESULT> <effect>"
// goes to <result>.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <fstream>
#include <string>

namespace {

struct Source : IDropSource {
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
    return escape ? DRAGDROP_S_CANCEL : keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
  }
  STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

const wchar_t* g_result;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) SetWindowTextW(hwnd, L"armed");
  if (message != WM_LBUTTONDOWN) return DefWindowProcW(hwnd, message, wParam, lParam);
  SetWindowTextW(hwnd, L"dragging");
  IDataObject* data = nullptr;
  OleGetClipboard(&data);
  Source source;
  DWORD effect = 0;
  const HRESULT hr = DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  std::ofstream(g_result) << std::hex << static_cast<unsigned long>(hr) << std::dec << ' ' << effect
                          << '\n';
  PostQuitMessage(0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) return 2;
  g_result = argv[1];
  const bool files = std::wstring(argv[4]) == L"--files";
  std::wstring list;
  for (int i = 5; i < argc; ++i) list += std::wstring(argv[i]) + L'\0';
  const DROPFILES header = {sizeof header, {0, 0}, FALSE, TRUE};
  const size_t before = files ? sizeof header : 0, size = (list.size() + 1) * sizeof(wchar_t);
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, before + size);
  BYTE* bytes = static_cast<BYTE*>(GlobalLock(global));
  memcpy(bytes, &header, before);
  memcpy(bytes + before, list.c_str(), size);
  GlobalUnlock(global);

  OleInitialize(nullptr);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = L"PlumDragSource";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"waiting",
                              WS_POPUP | WS_VISIBLE, _wtoi(argv[2]), _wtoi(argv[3]), 48, 48,
                              nullptr, nullptr, nullptr, nullptr);
  OpenClipboard(hwnd);
  EmptyClipboard();
  SetClipboardData(files ? CF_HDROP : CF_UNICODETEXT, global);
  CloseClipboard();
  SetTimer(hwnd, 1, 60000, nullptr);  // gives up when nothing comes
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageW(&msg);
  OleUninitialize();
  return 0;
}
