#include "forms/set_form.h"

#include <commdlg.h>

#include "common/late_import.h"
#include "common/text.h"
#include "forms/twips.h"
#include "res/resource.h"
#include "settings/settings_file.h"

namespace plum {
namespace {

constexpr wchar_t kClassName[] = L"PlumDockSetForm";
constexpr wchar_t kCaption[] = L"設定";
constexpr wchar_t kFileDialogDll[] = L"comdlg32.dll";

enum : int {
  kIdOk = IDC_SET_OK,
  kIdCancel = IDC_SET_CANCEL,
  kIdLabel0 = IDC_SET_LABEL0,
  kIdPath0 = IDC_SET_PATH0,
  kIdCommand0 = IDC_SET_COMMAND0,
  kIdCheck1 = IDC_SET_CHECK1,
};

constexpr wchar_t kLabels[3][16] = {L"アプレットビュワーパス", L"インタープリタパス",
                                    L"コンパイラパス"};

struct ControlSpec {
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  int id;
  TwipsRect twips;
};

// In tab order: the window's Z order follows creation order.
const ControlSpec kControls[] = {
    {L"BUTTON", L"OK", BS_PUSHBUTTON | WS_TABSTOP, kIdOk, {4680, 120, 1215, 375}},
    {L"BUTTON", L"ｷｬﾝｾﾙ", BS_PUSHBUTTON | WS_TABSTOP, kIdCancel, {4680, 600, 1215, 375}},
    {L"STATIC", kLabels[0], SS_LEFT, kIdLabel0 + 0, {120, 240, 1815, 255}},
    {L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kIdPath0 + 0, {120, 480, 2775, 375}},
    {L"BUTTON", L"．．．", BS_PUSHBUTTON | WS_TABSTOP, kIdCommand0 + 0, {3000, 480, 615, 375}},
    {L"BUTTON", L"．．．", BS_PUSHBUTTON | WS_TABSTOP, kIdCommand0 + 1, {3000, 1320, 615, 375}},
    {L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kIdPath0 + 1, {120, 1320, 2775, 375}},
    {L"STATIC", kLabels[1], SS_LEFT, kIdLabel0 + 1, {120, 1080, 1815, 255}},
    {L"BUTTON", L"．．．", BS_PUSHBUTTON | WS_TABSTOP, kIdCommand0 + 2, {3000, 2160, 615, 375}},
    {L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kIdPath0 + 2, {120, 2160, 2775, 375}},
    {L"STATIC", kLabels[2], SS_LEFT, kIdLabel0 + 2, {120, 1920, 1815, 255}},
    {L"BUTTON", L"常に手前に表示", BS_3STATE | WS_TABSTOP, kIdCheck1, {4080, 1440, 1695, 495}},
};

constexpr TwipsRect kClientTwips = {2760, 3750, 6030, 2700};

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

std::wstring FileDialogFilter(std::wstring_view description) {
  std::wstring pattern = L"*.*";
  const size_t open = description.rfind(L'(');
  const size_t close = description.rfind(L')');
  if (open != std::wstring_view::npos && close != std::wstring_view::npos && close > open + 1)
    pattern = std::wstring(description.substr(open + 1, close - open - 1));
  std::wstring filter(description);
  filter += L'\0';
  filter += pattern;
  filter += L'\0';
  return filter;  // the string's own terminator ends the list
}

bool SetForm::Create(HINSTANCE instance, const std::wstring& settingsFile) {
  settingsFile_ = settingsFile;
  RegisterFormClass(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

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
  CreateControls(instance);
  const int windowDpi = WindowDpi(hwnd_);
  PlaceClientArea(hwnd_, TwipsToPixels(kClientTwips.left, windowDpi),
                  TwipsToPixels(kClientTwips.top, windowDpi),
                  TwipsToPixels(kClientTwips.width, windowDpi),
                  TwipsToPixels(kClientTwips.height, windowDpi));
  LayOutControls(windowDpi);
  return true;
}

void SetForm::CreateControls(HINSTANCE instance) {
  for (const ControlSpec& c : kControls) {
    HWND control =
        CreateWindowExW(std::wstring_view(c.windowClass) == L"EDIT" ? WS_EX_CLIENTEDGE : 0,
                        c.windowClass, c.text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (c.id >= kIdPath0 && c.id < kIdPath0 + 3) path_[c.id - kIdPath0] = control;
    if (c.id == kIdCheck1) check_ = control;
  }
}

// The controls' places and font at `dpi`.
void SetForm::LayOutControls(int dpi) {
  const HFONT standard = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  FontHandle font = FontForDpi(standard, dpi);
  for (const ControlSpec& c : kControls) {
    HWND control = GetDlgItem(hwnd_, c.id);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font.get() : standard),
                 FALSE);
    SetWindowPos(control, nullptr, TwipsToPixels(c.twips.left, dpi),
                 TwipsToPixels(c.twips.top, dpi), TwipsToPixels(c.twips.width, dpi),
                 TwipsToPixels(c.twips.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  font_ = std::move(font);
}

void SetForm::SetOwner(HWND owner) {
  owner_ = owner;
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void SetForm::SetFileFilter(std::wstring_view description) {
  filter_ = FileDialogFilter(description);
}

std::wstring SetForm::ToolCommand(int slot) const { return WindowText(path_[slot]); }

void SetForm::SetToolCommand(int slot, const std::wstring& command) {
  SetWindowTextW(path_[slot], command.c_str());
}

int SetForm::AlwaysInFrontState() const {
  return static_cast<int>(SendMessageW(check_, BM_GETCHECK, 0, 0));
}

void SetForm::SetAlwaysInFrontState(int state) {
  SendMessageW(check_, BM_SETCHECK, static_cast<WPARAM>(state), 0);
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
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
  ofn.lpstrFile = fileName_;
  ofn.nMaxFile = static_cast<DWORD>(std::size(fileName_));
  // The file dialog's library (which brings the printing libraries with it)
  // is loaded when the dialog is first needed.
  const auto open = LateImport<BOOL(WINAPI*)(OPENFILENAMEW*)>(kFileDialogDll, "GetOpenFileNameW");
  const auto error = LateImport<DWORD(WINAPI*)()>(kFileDialogDll, "CommDlgExtendedError");
  if (!open || !error) {
    const std::wstring message = std::wstring(L"ファイルを開くダイアログを表示できません（") +
                                 kFileDialogDll + L"）。\n" + SystemMessage(GetLastError());
    MessageBoxW(hwnd_, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
    return;
  }
  // A cancelled dialog leaves the text box as it was.
  if (open(&ofn)) {
    SetWindowTextW(path_[slot], fileName_);
    return;
  }
  if (const DWORD code = error()) {
    wchar_t text[16];
    wsprintfW(text, L"0x%04X", code);
    const std::wstring message =
        std::wstring(L"ファイルを開くダイアログを表示できません（エラー ") + text + L"）。";
    MessageBoxW(hwnd_, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
  }
}

void SetForm::Save() {
  const std::vector<SettingEntry> entries = {
      {kSectionPath, kSlotKeys[0], ToolCommand(0)},
      {kSectionPath, kSlotKeys[1], ToolCommand(1)},
      {kSectionPath, kSlotKeys[2], ToolCommand(2)},
      {kSectionCheck, kKeyTop, DecimalText(static_cast<unsigned long>(AlwaysInFrontState()))},
  };
  const SettingWrite write = WriteSettings(entries, settingsFile_);
  if (!write.ok) {
    // The dialog stays open with the edits, so nothing is lost.
    std::wstring entry = write.key;
    for (int slot = 0; slot < 3; ++slot)
      if (write.key == kSlotKeys[slot])
        entry = std::wstring(kLabels[slot]) + L" (" + write.key + L")";
    const std::wstring message = L"設定ファイル " + settingsFile_ + L" に保存できません。\n" +
                                 (entry.empty() ? L"" : entry + L": ") + write.reason;
    MessageBoxW(hwnd_, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
    return;
  }
  Hide();
}

LRESULT SetForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (id == kIdOk) Save();
      if (id == kIdCancel) Hide();
      if (id >= kIdCommand0 && id < kIdCommand0 + 3) Browse(id - kIdCommand0);
      if (id == kIdCheck1)  // a click ticks or unticks; greyed comes only from the file
        SetAlwaysInFrontState(AlwaysInFrontState() == kTicked ? kUnticked : kTicked);
      return 0;
    }
    case WM_CLOSE:  // the close box keeps the edits, like Cancel
      Hide();
      return 0;
    case WM_DPICHANGED:  // moved to a monitor of another DPI
      LayOutControls(ApplyDialogDpiChange(hwnd_, wParam, lParam, kClientTwips));
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace plum
