// drag_source.exe: starts a real OLE drag of files or text, as a file
// manager or an editor would.
//   drag_source.exe <result file> <x> <y> (--files <path>... | --text <text>)
// Its 48-pixel window at (x, y) is captioned "waiting", then "armed" once
// the pointer was over it, "dragging" once the button went down there. The
// drag ends when the button goes up; "<HRESULT in hex> <effect>" goes to the
// result file.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

template <class I>
struct Unknown : I {
  LONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == __uuidof(I) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }
};

// One format on offer: a file list (CF_HDROP) or text (CF_UNICODETEXT).
struct Data : Unknown<IDataObject> {
  CLIPFORMAT format;
  std::vector<BYTE> bytes;
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(global), bytes.data(), bytes.size());
    GlobalUnlock(global);
    *medium = {TYMED_HGLOBAL, {nullptr}, nullptr};
    medium->hGlobal = global;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f->cfFormat == format && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    FORMATETC f = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
};

struct Source : Unknown<IDropSource> {
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    return escape ? DRAGDROP_S_CANCEL : keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

Data g_data;
const wchar_t* g_result;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) SetWindowTextW(hwnd, L"armed");
  if (message != WM_LBUTTONDOWN) return DefWindowProcW(hwnd, message, wParam, lParam);
  SetWindowTextW(hwnd, L"dragging");
  Source source;
  DWORD effect = 0;
  const HRESULT hr = DoDragDrop(&g_data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  if (FILE* f = _wfopen(g_result, L"w")) {
    fprintf(f, "%lx %lu\n", static_cast<unsigned long>(hr), effect);
    fclose(f);
  }
  PostQuitMessage(0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) return 2;
  g_result = argv[1];
  std::wstring list;
  for (int i = 5; i < argc; ++i) list += std::wstring(argv[i]) + L'\0';
  if (std::wstring(argv[4]) == L"--files") {
    DROPFILES header = {sizeof header, {0, 0}, FALSE, TRUE};
    g_data.format = CF_HDROP;
    g_data.bytes.assign(reinterpret_cast<BYTE*>(&header), reinterpret_cast<BYTE*>(&header + 1));
  } else {
    g_data.format = CF_UNICODETEXT;
  }
  const BYTE* text = reinterpret_cast<const BYTE*>(list.c_str());
  g_data.bytes.insert(g_data.bytes.end(), text, text + (list.size() + 1) * sizeof(wchar_t));

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
  SetTimer(hwnd, 1, 60000, nullptr);  // gives up when nothing comes
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) DispatchMessageW(&msg);
  OleUninitialize();
  return 0;
}
