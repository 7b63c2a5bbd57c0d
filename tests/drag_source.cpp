// drag_source.exe: starts a real OLE drag, as a file manager would, for the
// end-to-end tests.
//
//   drag_source.exe (--files <path>... | --text <text>) [--at X Y] [--result <file>]
//
// It shows a small window of its own at screen point (X, Y) (default 0, 0).
// Its caption tells the driving test how far it got:
//   "waiting"  the window is up;
//   "armed"    the pointer has been seen over the window, so pointer events
//              reach this process;
//   "dragging" the left button went down over it and DoDragDrop is running;
//   "done"     DoDragDrop returned.
// The drag ends when the left button goes up (a drop) or Esc is pressed.
// The outcome is printed as one line, e.g. "result=DRAGDROP_S_DROP effect=1",
// and also written (UTF-8) to the --result file when one is given.
// Exit code: 0 after a drag, 2 for bad arguments, 3 when nothing pressed the
// window within a minute.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kClassName[] = L"PlumDragSource";
const int kSize = 48;
const UINT_PTR kGiveUpTimer = 1;

// The data on offer: either a file list (CF_HDROP) or plain text
// (CF_UNICODETEXT), nothing else.
class DataObject : public IDataObject {
 public:
  DataObject(CLIPFORMAT format, std::vector<BYTE> bytes) : format_(format), bytes_(bytes) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
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

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    const HRESULT hr = QueryGetData(format);
    if (hr != S_OK) return hr;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    if (!global) return E_OUTOFMEMORY;
    void* p = GlobalLock(global);
    memcpy(p, bytes_.data(), bytes_.size());
    GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != format_) return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = {format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  virtual ~DataObject() = default;
  LONG refs_ = 1;
  CLIPFORMAT format_;
  std::vector<BYTE> bytes_;
};

class DropSource : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
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
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  virtual ~DropSource() = default;
  LONG refs_ = 1;
};

// A DROPFILES block followed by the wide names, each ending in a null, and
// one more null at the end.
std::vector<BYTE> FileListBytes(const std::vector<std::wstring>& files) {
  std::wstring names;
  for (const std::wstring& f : files) names += f + L'\0';
  names += L'\0';
  std::vector<BYTE> bytes(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  memcpy(bytes.data(), &header, sizeof header);
  memcpy(bytes.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  return bytes;
}

std::vector<BYTE> TextBytes(const std::wstring& text) {
  const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

std::string HresultName(HRESULT hr) {
  switch (hr) {
    case DRAGDROP_S_DROP:
      return "DRAGDROP_S_DROP";
    case DRAGDROP_S_CANCEL:
      return "DRAGDROP_S_CANCEL";
    case E_UNEXPECTED:
      return "E_UNEXPECTED";
    case E_OUTOFMEMORY:
      return "E_OUTOFMEMORY";
    default: {
      char text[16];
      snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
      return text;
    }
  }
}

struct Drag {
  IDataObject* data = nullptr;
  std::wstring resultFile;
  std::string outcome;
};
Drag* g_drag = nullptr;

void Report(const std::string& line) {
  printf("%s\n", line.c_str());
  fflush(stdout);
  if (g_drag->resultFile.empty()) return;
  HANDLE file = CreateFileW(g_drag->resultFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (g_drag->outcome.empty()) SetWindowTextW(hwnd, L"armed");
      return 0;
    case WM_LBUTTONDOWN: {
      if (!g_drag->outcome.empty()) return 0;
      KillTimer(hwnd, kGiveUpTimer);
      SetWindowTextW(hwnd, L"dragging");
      DropSource* source = new DropSource;
      DWORD effect = DROPEFFECT_NONE;
      const HRESULT hr = DoDragDrop(g_drag->data, source,
                                    DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
      source->Release();
      g_drag->outcome = "result=" + HresultName(hr) + " effect=" + std::to_string(effect);
      Report(g_drag->outcome);
      SetWindowTextW(hwnd, L"done");
      DestroyWindow(hwnd);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kGiveUpTimer) {
        g_drag->outcome = "result=timeout effect=0";
        Report(g_drag->outcome);
        DestroyWindow(hwnd);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> files;
  std::wstring text;
  bool haveText = false;
  int x = 0, y = 0;
  Drag drag;
  g_drag = &drag;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--files") {
      while (i + 1 < argc && std::wstring(argv[i + 1]).rfind(L"--", 0) != 0)
        files.push_back(argv[++i]);
    } else if (arg == L"--text" && i + 1 < argc) {
      text = argv[++i];
      haveText = true;
    } else if (arg == L"--at" && i + 2 < argc) {
      x = _wtoi(argv[++i]);
      y = _wtoi(argv[++i]);
    } else if (arg == L"--result" && i + 1 < argc) {
      drag.resultFile = argv[++i];
    } else {
      fprintf(stderr, "drag_source: unexpected argument %d\n", i);
      return 2;
    }
  }
  if (files.empty() == !haveText) {
    fprintf(stderr,
            "usage: drag_source (--files <path>... | --text <text>) [--at X Y] "
            "[--result <file>]\n");
    return 2;
  }

  if (FAILED(OleInitialize(nullptr))) return 4;
  drag.data = haveText ? new DataObject(CF_UNICODETEXT, TextBytes(text))
                       : new DataObject(CF_HDROP, FileListBytes(files));

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"waiting", WS_POPUP, x,
                              y, kSize, kSize, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 4;
  SetTimer(hwnd, kGiveUpTimer, 60000, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  drag.data->Release();
  OleUninitialize();
  return drag.outcome.rfind("result=timeout", 0) == 0 ? 3 : 0;
}
