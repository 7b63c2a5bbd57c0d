#include "forms/version_form.h"

#include "browser/html_handler.h"
#include "common/handles.h"
#include "forms/form_window.h"
#include "forms/twips.h"
#include "homepage.h"
#include "res/resource.h"

namespace plum {
namespace {

constexpr wchar_t kClassName[] = L"PlumDockVersionForm";
constexpr COLORREF kBlue = RGB(0, 128, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr TwipsRect kClientTwips = {0, 0, 4620, 2805};

enum : int {
  kIdTitle = IDC_VER_TITLE,
  kIdVersion = IDC_VER_VERSION,
  kIdLink = IDC_VER_LINK,
  kIdDescription = IDC_VER_DESCRIPTION,
  kIdDisclaimer = IDC_VER_DISCLAIMER,
};

enum FontKind { kStandard, kTitle, kLink };

struct ControlSpec {
  const wchar_t* windowClass;
  DWORD style;
  int id;
  TwipsRect twips;
  FontKind font;
};

// Tab order: the OK button first.
const ControlSpec kControls[] = {
    {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, IDOK, {1800, 2400, 945, 345}, kStandard},
    {L"STATIC", SS_CENTER, kIdTitle, {0, 120, 4605, 315}, kTitle},
    {L"STATIC", SS_CENTER, kIdVersion, {0, 480, 4605, 225}, kStandard},
    {L"STATIC", SS_CENTER | SS_NOTIFY, kIdLink, {120, 840, 4455, 465}, kLink},
    {L"STATIC", SS_CENTER, kIdDescription, {120, 1380, 4380, 420}, kStandard},
    {L"STATIC", SS_CENTER, kIdDisclaimer, {120, 1860, 4380, 255}, kStandard},
};

// Japanese faces to try, in order, when the window's own face is missing.
const wchar_t* const kFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo UI",
                                 L"Yu Gothic UI",    L"IPAPGothic", L"IPAGothic"};

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFace(const wchar_t* face) {
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// A bold Japanese font of `tenthsOfPoint` / 100 points.
FontHandle JapaneseFont(int hundredthsOfPoint, int dpi) {
  LOGFONTW lf = {};
  lf.lfHeight = -MulDiv(hundredthsOfPoint, dpi, 7200);
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  for (const wchar_t* face : kFaces) {
    if (HasFace(face)) {
      lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
      break;
    }
  }
  return FontHandle(CreateFontIndirectW(&lf));
}

class VersionForm final : public FormWindow {
 public:
  VersionForm(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}
  void Run();

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CreateControls();
  void LayOut(int dpi);
  HFONT StandardFont() const;
  void DrawOkButton(const DRAWITEMSTRUCT& item);
  void Close();

  HINSTANCE instance_;
  HWND owner_;
  BrushHandle background_{CreateSolidBrush(kBlue)};
  FontHandle standardFont_;  // at the window's DPI, when not the system's
  FontHandle titleFont_;
  FontHandle linkFont_;
  CursorHandle goCursor_;
  IconHandle icon_;
};

void VersionForm::Run() {
  RegisterFormClass(instance_, kClassName, nullptr);  // the form paints its own blue

  // No caption: a fixed dialog frame only; not in the taskbar (owned). Sized
  // for the system's DPI first; the window's own DPI is known once it exists.
  const int dpi = ScreenDpi();
  const DWORD style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r = {0, 0, TwipsToPixels(kClientTwips.width, dpi), TwipsToPixels(kClientTwips.height, dpi)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExW(exStyle, kClassName, L"", style, left, top, width, height, owner_,
                          nullptr, instance_, this);
  if (!hwnd_) return;
  CreateControls();
  const int windowDpi = WindowDpi(hwnd_);
  if (windowDpi != dpi) {
    FitClientArea(hwnd_, TwipsToPixels(kClientTwips.width, windowDpi),
                  TwipsToPixels(kClientTwips.height, windowDpi));
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOut(windowDpi);

  if (!RunModal(owner_, IDOK)) Close();
}

void VersionForm::CreateControls() {
  for (const ControlSpec& s : kControls) {
    const std::wstring text = s.id == IDOK         ? L"OK"
                              : s.id == kIdTitle   ? L"PLUM_DOCK"
                              : s.id == kIdVersion ? L"Ver 1.0"
                              : s.id == kIdLink    ? LinkCaption(kAuthorHomepage)
                              : s.id == kIdDescription
                                  ? L"このソフトウェアはフリーソフトウェアです。"
                                    L"自由に使用・配布できます。"
                                  : L"PLUM_DOCK 製作委員会";
    CreateWindowExW(0, s.windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | s.style, 0, 0, 0, 0,
                    hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)), instance_, nullptr);
  }
  SendMessageW(hwnd_, DM_SETDEFID, IDOK, 0);
}

// Fonts, pointer, icon and the controls' places at `dpi`.
void VersionForm::LayOut(int dpi) {
  standardFont_ = FontForDpi(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), dpi);
  FontHandle title = JapaneseFont(1425, dpi);
  FontHandle link = JapaneseFont(900, dpi);
  const int cursorSize = Scale(32, dpi);
  if (CursorHandle cursor{static_cast<HCURSOR>(LoadImageW(
          instance_, MAKEINTRESOURCEW(IDC_GO), IMAGE_CURSOR, cursorSize, cursorSize, 0))})
    goCursor_ = std::move(cursor);
  const int iconSize = MetricForDpi(SM_CXICON, dpi);
  if (IconHandle icon{static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PLUM_DOCK),
                                                    IMAGE_ICON, iconSize, iconSize, 0))}) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    icon_ = std::move(icon);
  }
  for (const ControlSpec& s : kControls) {
    HWND control = GetDlgItem(hwnd_, s.id);
    const HFONT font = s.font == kTitle  ? title.get()
                       : s.font == kLink ? link.get()
                                         : StandardFont();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(control, nullptr, TwipsToPixels(s.twips.left, dpi),
                 TwipsToPixels(s.twips.top, dpi), TwipsToPixels(s.twips.width, dpi),
                 TwipsToPixels(s.twips.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  titleFont_ = std::move(title);
  linkFont_ = std::move(link);
}

HFONT VersionForm::StandardFont() const {
  return standardFont_ ? standardFont_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void VersionForm::DrawOkButton(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, background_.get());
  const bool pressed = item.itemState & ODS_SELECTED;
  DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(item.hDC, StandardFont());
  DrawTextW(item.hDC, L"OK", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, old);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&r, -4, -4);
    DrawFocusRect(item.hDC, &r);
  }
}

void VersionForm::Close() {
  if (!modal_) return;
  EndModal(owner_);
  DestroyWindow(hwnd_);
}

LRESULT VersionForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, background_.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, id == kIdTitle ? kYellow : id == kIdLink ? kGreen : kWhite);
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_SETCURSOR:  // the link label's pointer; a child asks its parent first
      if (GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == kIdLink && goCursor_) {
        SetCursor(goCursor_.get());
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      DrawOkButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        Close();  // Enter, Esc and the OK button
      } else if (LOWORD(wParam) == kIdLink && HIWORD(wParam) == STN_CLICKED) {
        BrowserOutcome opened = OpenInBrowser(AuthorPageLink());
        if (!opened.ok)
          MessageBoxW(hwnd_, opened.message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
      }
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED:  // moved to a monitor of another DPI
      LayOut(ApplyDialogDpiChange(hwnd_, wParam, lParam, kClientTwips));
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

std::wstring LinkCaption(const std::wstring& address) {
  return L"Ｃｌｉｃｋ　ｍｅ！　　Ｍｙ ホームページＵＲＬ：" + address + L"　";
}

void ShowVersionForm(HINSTANCE instance, HWND owner) {
  VersionForm form(instance, owner);
  form.Run();
}

}  // namespace plum
