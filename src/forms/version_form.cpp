#include "forms/version_form.h"

#include "browser/html_handler.h"
#include "common/handles.h"
#include "common/report.h"
#include "forms/controls.h"
#include "forms/dpi.h"
#include "forms/form_window.h"
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

// How a control looks: ControlSpec::look (plain unless given) picks its font
// and text colour.
enum Look : int { kPlain, kTitle, kLink };
constexpr COLORREF kTextColours[] = {kWhite, kYellow, kGreen};

constexpr const wchar_t* kLinkText =
    L"Ｃｌｉｃｋ　ｍｅ！　　Ｍｙ ホームページＵＲＬ：" PLUM_DOCK_HOMEPAGE L"　";
constexpr const wchar_t* kDescription =
    L"このソフトウェアはフリーソフトウェアです。自由に使用・配布できます。";

// Tab order: the OK button first.
constexpr ControlSpec kControls[] = {
    {IDOK, L"BUTTON", L"OK", BS_OWNERDRAW | WS_TABSTOP, {1800, 2400, 945, 345}},
    {IDC_VER_TITLE, L"STATIC", L"PLUM_DOCK", SS_CENTER, {0, 120, 4605, 315}, kTitle},
    {IDC_VER_VERSION, L"STATIC", L"Ver 1.0", SS_CENTER, {0, 480, 4605, 225}},
    {IDC_VER_LINK, L"STATIC", kLinkText, SS_CENTER | SS_NOTIFY, {120, 840, 4455, 465}, kLink},
    {IDC_VER_DESCRIPTION, L"STATIC", kDescription, SS_CENTER, {120, 1380, 4380, 420}},
    {IDC_VER_DISCLAIMER, L"STATIC", L"PLUM_DOCK 製作委員会", SS_CENTER, {120, 1860, 4380, 255}},
};

// The look of the control `id`.
Look LookOf(int id) {
  for (const ControlSpec& c : kControls)
    if (c.id == id) return static_cast<Look>(c.look);
  return kPlain;
}

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
  const ScreenDc screen(GetDC(nullptr));
  EnumFontFamiliesExW(screen.get(), &lf, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// A bold Japanese font of `hundredthsOfPoint` / 100 points.
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
  void LayOut(int dpi) override;
  void DrawOkButton(const DRAWITEMSTRUCT& item);
  void Close();

  HINSTANCE instance_;
  HWND owner_;
  BrushHandle background_{CreateSolidBrush(kBlue)};
  DpiFont standardFont_;  // at the window's DPI
  FontHandle titleFont_;
  FontHandle linkFont_;
  CursorHandle goCursor_;
  IconHandle icon_;
};

void VersionForm::Run() {
  // The form paints its own blue.
  if (!RegisterFormClass(instance_, kClassName, nullptr)) return;

  // No caption: a fixed dialog frame only; not in the taskbar (owned). Sized
  // for the system's DPI first; the window's own DPI is known once it exists.
  // It is made at the top left of the main monitor, whose middle it goes to,
  // so it is laid out at that monitor's DPI and then centred once.
  const int dpi = ScreenDpi();
  const DWORD style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r = {0, 0, TwipsToPixels(kClientTwips.width, dpi), TwipsToPixels(kClientTwips.height, dpi)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  hwnd_ = CreateWindowExW(exStyle, kClassName, L"", style, 0, 0, r.right - r.left, r.bottom - r.top,
                          owner_, nullptr, instance_, this);
  if (!hwnd_) return;
  CreateControls(hwnd_, instance_, kControls);
  SendMessageW(hwnd_, DM_SETDEFID, IDOK, 0);
  LayOut(WindowDpi(hwnd_));
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (!RunModal(owner_, IDOK)) Close();
}

// Client area, fonts, pointer, icon and the controls' places at `dpi`.
void VersionForm::LayOut(int dpi) {
  FitClientTwips(hwnd_, kClientTwips, dpi);
  DpiFont standard(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), dpi);
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
  const HFONT fonts[] = {standard.get(), title.get(), link.get()};  // by Look
  PlaceControls(hwnd_, kControls, dpi, fonts);
  standardFont_ = std::move(standard);
  titleFont_ = std::move(title);
  linkFont_ = std::move(link);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void VersionForm::DrawOkButton(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, background_.get());
  const bool pressed = item.itemState & ODS_SELECTED;
  DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(0, 0, 0));
  {
    const Selection font(item.hDC, standardFont_.get());
    DrawTextW(item.hDC, L"OK", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
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
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, kTextColours[LookOf(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))]);
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_SETCURSOR:  // the link label's pointer; a child asks its parent first
      if (GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == IDC_VER_LINK && goCursor_) {
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
      } else if (LOWORD(wParam) == IDC_VER_LINK && HIWORD(wParam) == STN_CLICKED) {
        // The author's page with a closing slash.
        ReportIfFailed(hwnd_, OpenInBrowser(PLUM_DOCK_HOMEPAGE L"/"));
      }
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

void ShowVersionForm(HINSTANCE instance, HWND owner) {
  VersionForm form(instance, owner);
  form.Run();
}

}  // namespace plum
