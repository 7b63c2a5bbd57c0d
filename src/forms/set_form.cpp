#include "forms/set_form.h"

#include <commdlg.h>

#include <vector>

#include "common/late_import.h"
#include "common/report.h"
#include "common/slots.h"
#include "common/text.h"
#include "common/window_text.h"
#include "forms/controls.h"
#include "res/resource.h"
#include "settings/settings_file.h"

namespace plum {
namespace {

constexpr wchar_t kClassName[] = L"PlumDockSetForm";
constexpr wchar_t kCaption[] = L"設定";
// The file dialog's filter: the description, then its pattern, each ended by
// NUL, and the literal's own NUL to end the list.
constexpr wchar_t kFileFilter[] = L"実行ファイル(*.exe)\0*.exe\0";

enum : int {
  kIdOk = IDC_SET_OK,
  kIdCancel = IDC_SET_CANCEL,
  kIdLabel0 = IDC_SET_LABEL0,
  kIdPath0 = IDC_SET_PATH0,
  kIdCommand0 = IDC_SET_COMMAND0,
  kIdCheck1 = IDC_SET_CHECK1,
};

constexpr wchar_t kLabels[kSlotCount][16] = {L"アプレットビュワーパス", L"インタープリタパス",
                                             L"コンパイラパス"};

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

// In tab order: the window's Z order follows creation order.
constexpr ControlSpec kControls[] = {
    {kIdOk, L"BUTTON", L"OK", kButton, {4680, 120, 1215, 375}},
    {kIdCancel, L"BUTTON", L"ｷｬﾝｾﾙ", kButton, {4680, 600, 1215, 375}},
    {kIdLabel0 + 0, L"STATIC", kLabels[0], SS_LEFT, {120, 240, 1815, 255}},
    {kIdPath0 + 0, L"EDIT", L"", kEdit, {120, 480, 2775, 375}},
    {kIdCommand0 + 0, L"BUTTON", L"．．．", kButton, {3000, 480, 615, 375}},
    {kIdCommand0 + 1, L"BUTTON", L"．．．", kButton, {3000, 1320, 615, 375}},
    {kIdPath0 + 1, L"EDIT", L"", kEdit, {120, 1320, 2775, 375}},
    {kIdLabel0 + 1, L"STATIC", kLabels[1], SS_LEFT, {120, 1080, 1815, 255}},
    {kIdCommand0 + 2, L"BUTTON", L"．．．", kButton, {3000, 2160, 615, 375}},
    {kIdPath0 + 2, L"EDIT", L"", kEdit, {120, 2160, 2775, 375}},
    {kIdLabel0 + 2, L"STATIC", kLabels[2], SS_LEFT, {120, 1920, 1815, 255}},
    {kIdCheck1, L"BUTTON", L"常に手前に表示", BS_3STATE | WS_TABSTOP, {4080, 1440, 1695, 495}},
};

constexpr TwipsRect kClientTwips = {2760, 3750, 6030, 2700};

// Moves `hwnd` so that its client area's top left is where `client` puts it
// on the screen at `dpi`.
void MoveClientArea(HWND hwnd, const TwipsRect& client, int dpi) {
  RECT window;
  POINT origin = {0, 0};
  GetWindowRect(hwnd, &window);
  ClientToScreen(hwnd, &origin);
  const int dx = TwipsToPixels(client.left, dpi) - origin.x;
  const int dy = TwipsToPixels(client.top, dpi) - origin.y;
  if (dx != 0 || dy != 0)
    SetWindowPos(hwnd, nullptr, window.left + dx, window.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool SetForm::Create(HINSTANCE instance, const std::wstring& settingsFile) {
  settingsFile_ = settingsFile;
  if (!RegisterFormClass(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return false;

  // Placed for the system's DPI first; the window's own DPI is known once it
  // exists.
  const int dpi = ScreenDpi();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r = {0, 0, TwipsToPixels(kClientTwips.width, dpi), TwipsToPixels(kClientTwips.height, dpi)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int left = TwipsToPixels(kClientTwips.left, dpi) + r.left;
  const int top = TwipsToPixels(kClientTwips.top, dpi) + r.top;
  hwnd_ = CreateWindowExW(exStyle, kClassName, kCaption, style, left, top, r.right - r.left,
                          r.bottom - r.top, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  CreateControls(hwnd_, instance, kControls);
  const int windowDpi = WindowDpi(hwnd_);
  LayOut(windowDpi);
  MoveClientArea(hwnd_, kClientTwips, windowDpi);
  return true;
}

// The client area, the controls' places and their font at `dpi`; the old
// font goes once none uses it.
void SetForm::LayOut(int dpi) {
  FitClientTwips(hwnd_, kClientTwips, dpi);
  DpiFont font(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), dpi);
  const HFONT fonts[] = {font.get()};
  PlaceControls(hwnd_, kControls, dpi, fonts);
  font_ = std::move(font);
}

void SetForm::SetOwner(HWND owner) {
  owner_ = owner;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

std::wstring SetForm::ToolCommand(int slot) const {
  return WindowText(GetDlgItem(hwnd_, kIdPath0 + slot));
}

void SetForm::SetToolCommand(int slot, const std::wstring& command) {
  SetDlgItemTextW(hwnd_, kIdPath0 + slot, command.c_str());
}

int SetForm::AlwaysInFrontState() const {
  return static_cast<int>(SendDlgItemMessageW(hwnd_, kIdCheck1, BM_GETCHECK, 0, 0));
}

void SetForm::SetAlwaysInFrontState(int state) {
  SendDlgItemMessageW(hwnd_, kIdCheck1, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void SetForm::ShowModal() {
  if (modal_) return;
  if (!RunModal(owner_, kIdOk)) Hide();
}

void SetForm::Hide() {
  EndModal(owner_);
  ShowWindow(hwnd_, SW_HIDE);
}

void SetForm::Browse(int slot) {
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = kFileFilter;
  ofn.lpstrFile = fileName_;
  ofn.nMaxFile = static_cast<DWORD>(std::size(fileName_));
  // The file dialog's library (which brings the printing libraries with it)
  // is loaded when the dialog is first needed.
  const auto open = late.GetOpenFileNameW.get();
  const auto extendedError = open ? late.CommDlgExtendedError.get() : nullptr;
  const DWORD loadError = GetLastError();
  std::wstring reason;
  if (!open || !extendedError) {
    reason = SystemMessage(loadError);
  } else if (open(&ofn)) {
    SetDlgItemTextW(hwnd_, kIdPath0 + slot, fileName_);
    return;
  } else if (const DWORD error = extendedError()) {
    reason = ErrorCodeText(error);
  } else {
    return;  // Deliberate: a cancelled dialog leaves the text box as it was.
  }
  const std::wstring message = std::wstring(L"ファイルを開くダイアログ (") +
                               late.GetOpenFileNameW.library() + L") を表示できません。\n" + reason;
  ReportFailure(hwnd_, message.c_str());
}

void SetForm::Save() {
  std::vector<SettingEntry> entries;
  for (int slot = 0; slot < kSlotCount; ++slot)
    entries.push_back({kSectionPath, kSlotKeys[slot], ToolCommand(slot)});
  entries.push_back(
      {kSectionCheck, kKeyTop, DecimalText(static_cast<unsigned long>(AlwaysInFrontState()))});
  const SettingWrite write = WriteSettings(entries, settingsFile_);
  if (write.ok) {
    Hide();
    return;
  }
  // The dialog stays open with the edits, so nothing is lost.
  std::wstring entry = write.key;
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (write.key == kSlotKeys[slot])
      entry = std::wstring(kLabels[slot]) + L" (" + write.key + L")";
  const std::wstring message = L"設定ファイル " + settingsFile_ + L" に保存できません。\n" +
                               (entry.empty() ? L"" : entry + L": ") + write.reason;
  ReportFailure(hwnd_, message.c_str());
}

LRESULT SetForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (id == kIdOk) Save();
      if (id == kIdCancel) Hide();
      if (id >= kIdCommand0 && id < kIdCommand0 + kSlotCount) Browse(id - kIdCommand0);
      if (id == kIdCheck1)  // a click ticks or unticks; greyed comes only from the file
        SetAlwaysInFrontState(AlwaysInFrontState() == kTicked ? kUnticked : kTicked);
      return 0;
    }
    case WM_CLOSE:  // the close box keeps the edits, like Cancel
      Hide();
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace plum
