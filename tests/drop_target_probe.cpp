// drop_target_probe.exe: a small stand-in window for proving the GUI test
// driver (gui_driver.h) without the real program.
//
//   drop_target_probe.exe --log <file> [--at X Y] [--tip <text>]
//
// The window (class "PlumDropTargetProbe", caption "drop_target_probe") has a
// menu bar, accepts dropped files and refuses anything else, and has one
// static child (control ID 101) with a tooltip. It appends what happens to
// the log, one UTF-8 line per event:
//   "enter hdrop=<0|1>"   a drag came over the window (1: it offers files);
//   "leave"               the drag left or was refused at the drop;
//   "drop"                files were dropped, followed by one
//   "file=<path>"         line per dropped name, in the order given;
//   "msgbox=<id>"         the message box shown on a double click of the
//                         static child closed with the button <id>.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

const wchar_t kClassName[] = L"PlumDropTargetProbe";
const int kStaticId = 101;
const int kOpenCommand = 201;
const int kExitCommand = 202;
const int kAboutCommand = 203;

std::wstring g_log;

void Log(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  HANDLE file = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool OffersFiles(IDataObject* data) {
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data && data->QueryGetData(&format) == S_OK;
}

class DropTarget : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL,
                                      DWORD* effect) override {
    files_ = OffersFiles(data);
    Log(files_ ? L"enter hdrop=1" : L"enter hdrop=0");
    *effect = Choose(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = Choose(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    Log(L"leave");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (Choose(allowed) == DROPEFFECT_NONE || FAILED(data->GetData(&format, &medium))) {
      Log(L"leave");
      return S_OK;
    }
    HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    std::vector<std::wstring> names;
    const UINT count = drop ? DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) : 0;
    for (UINT i = 0; i < count; ++i) {
      std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
      names.push_back(name);
    }
    if (drop) GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    std::wstring record = L"drop";
    for (const std::wstring& name : names) record += L"\nfile=" + name;
    Log(record);
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }

 private:
  virtual ~DropTarget() = default;
  DWORD Choose(DWORD allowed) const {
    return files_ && (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  }
  LONG refs_ = 1;
  bool files_ = false;
};

HMENU BuildMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kOpenCommand, L"開く(&O)...\tCtrl+O");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kExitCommand, L"終了(&X)");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kAboutCommand, L"バージョン情報(&A)");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ(&H)");
  return bar;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kExitCommand) {
        DestroyWindow(hwnd);
      } else if (LOWORD(wParam) == kStaticId && HIWORD(wParam) == STN_DBLCLK) {
        const int id = MessageBoxW(hwnd, L"ダブルクリックを受け取りました。", L"確認",
                                   MB_OKCANCEL | MB_ICONINFORMATION);
        Log(L"msgbox=" + std::to_wstring(id));
      }
      return 0;
    case WM_DESTROY:
      RevokeDragDrop(hwnd);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int x = 100, y = 100;
  std::wstring tip = L"ツールチップ";
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--log" && i + 1 < argc) {
      g_log = argv[++i];
    } else if (arg == L"--at" && i + 2 < argc) {
      x = _wtoi(argv[++i]);
      y = _wtoi(argv[++i]);
    } else if (arg == L"--tip" && i + 1 < argc) {
      tip = argv[++i];
    } else {
      return 2;
    }
  }
  if (g_log.empty()) return 2;
  if (FAILED(OleInitialize(nullptr))) return 4;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, kClassName, L"drop_target_probe", WS_OVERLAPPEDWINDOW, x, y, 360,
                              240, nullptr, BuildMenu(), instance, nullptr);
  if (!hwnd) return 4;
  HWND label = CreateWindowExW(0, L"STATIC", L"スロット", WS_CHILD | WS_VISIBLE | SS_NOTIFY |
                               SS_CENTER | WS_BORDER, 20, 20, 160, 60, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStaticId)),
                               instance, nullptr);
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                 instance, nullptr);
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(label);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = tip.data();
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));

  DropTarget* target = new DropTarget;
  const HRESULT registered = RegisterDragDrop(hwnd, target);
  target->Release();
  if (FAILED(registered)) return 5;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  OleUninitialize();
  return 0;
}
