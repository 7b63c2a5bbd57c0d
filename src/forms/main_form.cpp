#include "forms/main_form.h"

#include <commctrl.h>
#include <ole2.h>

#include "browser/html_handler.h"
#include "common/late_import.h"
#include "common/report.h"
#include "forms/controls.h"
#include "forms/slot_picture.h"
#include "forms/version_form.h"
#include "res/resource.h"
#include "settings/settings_file.h"
#include "slots/slot_script.h"

namespace plum {
namespace {

constexpr wchar_t kClassName[] = L"PlumDockMainForm";
constexpr wchar_t kCaption[] = L"ＰＬＵＭ　ＤＯＣＫ";
// Sizes at 96 DPI.
constexpr int kClientWidth = 146;  // the row of 50-pixel images, each overlapping the next by 2
constexpr int kClientHeight = 51;  // one pixel taller than the images
constexpr int kImageSize = 50;
constexpr int kTipWidth = 800;

// The slot images, 50 pixels (750 twips) square and 48 pixels (720 twips)
// apart; Layout gives them their pictures.
constexpr ControlSpec kSlots[kSlotCount] = {
    {IDC_RUN0 + 0, L"STATIC", nullptr, SS_BITMAP | SS_NOTIFY, {0, 0, 750, 750}},
    {IDC_RUN0 + 1, L"STATIC", nullptr, SS_BITMAP | SS_NOTIFY, {720, 0, 750, 750}},
    {IDC_RUN0 + 2, L"STATIC", nullptr, SS_BITMAP | SS_NOTIFY, {1440, 0, 750, 750}},
};
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr UINT kDropMessage = WM_APP + 1;  // wParam: the slot
// The tool-tip record as version 5 of the common controls knows it: it
// refuses the longer record of version 6, which the program does not ask for.
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;
// Position and size stay; the window is shown but not activated.
constexpr UINT kTopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW;

constexpr MenuItemSpec kMainMenu[] = {{L"設定", IDM_SETTING}, {}, {L"終了", IDM_ENDING}};
constexpr MenuItemSpec kInfoMenu[] = {{L"バージョン", IDM_VERSION}};
constexpr MenuItemSpec kHelpMenu[] = {{L"本体", IDM_HELP_PRO}, {L"ライブラリ", IDM_HELP_LIB}};
constexpr MenuSpec kMenuBar[] = {
    {L"メニュー", kMainMenu}, {L"情報", kInfoMenu}, {L"ヘルプ", kHelpMenu}};

// A slot's tool in the tool-tip window: the slot image's whole area.
TTTOOLINFOW SlotTool(HWND form, HWND slot, const wchar_t* text) {
  TTTOOLINFOW tool = {};
  tool.cbSize = kToolInfoSize;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(slot);
  tool.lpszText = const_cast<wchar_t*>(text);
  return tool;
}

// One of the program's own windows (the console is not one of them).
bool IsOwnWindow(HWND other) {
  return other && other != GetConsoleWindow() &&
         GetWindowThreadProcessId(other, nullptr) == GetCurrentThreadId();
}

}  // namespace

bool MainForm::Create(HINSTANCE instance, SetForm& settings, const DockFiles& files) {
  instance_ = instance;
  settings_ = &settings;
  files_ = files;

  if (!RegisterFormClass(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
    return false;

  // Sized for the system's DPI first: the window's own is known once it exists.
  const int screenDpi = ScreenDpi();
  RECT r = {0, 0, Scale(kClientWidth, screenDpi), Scale(kClientHeight, screenDpi)};
  AdjustWindowRectEx(&r, kStyle, TRUE, 0);
  hwnd_ = CreateWindowExW(0, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          r.right - r.left, r.bottom - r.top, nullptr, CreateMenuBar(kMenuBar),
                          instance, this);
  if (!hwnd_) return false;
  CreateControls(hwnd_, instance, kSlots);
  LayOut(WindowDpi(hwnd_));
  Load();
  return true;
}

// Icons, client area, slot pictures and tool tips at `dpi`.
void MainForm::LayOut(int dpi) {
  dpi_ = dpi;
  SetIcons();
  FitClientArea(hwnd_, Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_));
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (BitmapHandle picture = SlotPicture(instance_, slot, Scale(kImageSize, dpi_))) {
      SendMessageW(Slot(slot), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
      pictures_[slot] = std::move(picture);
    }
  }
  PlaceControls(hwnd_, kSlots, dpi_);
  if (tooltip_) ScaleToolTips();
}

void MainForm::SetIcons() {
  const int size = MetricForDpi(SM_CXSMICON, dpi_);
  IconHandle small(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDI_PLUM_DOCK), IMAGE_ICON, size, size, 0)));
  if (!small) return;
  // The big icon is the small drawing doubled.
  IconHandle big(static_cast<HICON>(CopyImage(small.get(), IMAGE_ICON, 2 * size, 2 * size, 0)));
  if (big) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    bigIcon_ = std::move(big);
  }
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  smallIcon_ = std::move(small);
}

void MainForm::Load() {
  // The one message the program has always shown in English, as it was.
  if (!console_.Open()) MessageBoxW(nullptr, L"Couldn't allocate console", L"PLUM_DOCK", MB_OK);
  activationTitle_ = kFirstActivationTitle;
}

HWND MainForm::Slot(int slot) const { return GetDlgItem(hwnd_, IDC_RUN0 + slot); }

HRESULT MainForm::AcceptDrops() {
  CreateToolTips();
  // A refusal right after another instance ended is usually passing: try
  // again briefly.
  HRESULT ole = OleInitialize(nullptr);
  for (int attempt = 0; FAILED(ole) && attempt < 10; ++attempt) {
    Sleep(100);
    ole = OleInitialize(nullptr);
  }
  if (FAILED(ole)) return ole;
  HRESULT result = ole;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    dropTargets_[slot] =
        ComRef<SlotDropTarget>::Adopt(new SlotDropTarget([this, slot](const std::wstring& path) {
          // Handled after the drag source has been answered, not inside its drag loop.
          droppedPath_[slot] = path;
          PostMessageW(hwnd_, kDropMessage, static_cast<WPARAM>(slot), 0);
        }));
    const HRESULT registered = RegisterDragDrop(Slot(slot), dropTargets_[slot].get());
    if (FAILED(registered) && SUCCEEDED(result)) result = registered;
  }
  return result;
}

// The slots' tool tips start empty; each shows the last path dropped on it.
// Without a tool-tip window (the system refused one) the dock works on with
// no tool tips: nothing else depends on them.
void MainForm::CreateToolTips() {
  // The common controls are loaded only now, after the window shows.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  if (const auto init = late.InitCommonControlsEx.get()) init(&controls);
  // The tooltip window has no owner: under Wine a window that owns one is put
  // below it, instead of topmost, when it asks to be always in front.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
  if (!tooltip_) return;
  ScaleToolTips();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    TTTOOLINFOW tool = SlotTool(hwnd_, Slot(slot), L"");
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// The tip's width and font at the window's DPI; the tooltip window's own
// font is made for the system's.
void MainForm::ScaleToolTips() {
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(kTipWidth, dpi_));
  if (!tooltipSystemFont_)
    tooltipSystemFont_ = reinterpret_cast<HFONT>(SendMessageW(tooltip_, WM_GETFONT, 0, 0));
  DpiFont font(tooltipSystemFont_, dpi_);
  if (font.scaled() || tooltipFont_.scaled())
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  tooltipFont_ = std::move(font);
}

void MainForm::Show() {
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  // The console appeared first; the dock comes to the front over it. The
  // always-in-front state is applied once the window is fully shown: applied
  // only from inside the first activation, Wine loses it again.
  SetForegroundWindow(hwnd_);
  activatedOnce_ = true;
  ApplyAlwaysInFront(settings_->AlwaysInFrontState() == kTicked);
  UpdateWindow(hwnd_);
}

void MainForm::ApplyAlwaysInFront(bool inFront) {
  SetWindowPos(hwnd_, inFront ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kTopmostFlags);
}

// Only the program's own windows count: switching to and from other programs
// or the console leaves the window's place alone.
void MainForm::OnActivate(WPARAM wParam, LPARAM lParam) {
  HWND other = reinterpret_cast<HWND>(lParam);
  if (LOWORD(wParam) == WA_INACTIVE) {
    if (IsOwnWindow(other)) ApplyAlwaysInFront(false);
    return;
  }
  if (!activatedOnce_ || IsOwnWindow(other))
    ApplyAlwaysInFront(settings_->AlwaysInFrontState() == kTicked);
  activatedOnce_ = true;
}

// A slot image reports a double-click as STN_DBLCLK where its window class
// takes double-clicks, and as a second STN_CLICKED in quick succession where
// it does not (the images of some common-control versions).
bool MainForm::IsDoubleClick(int slot, WORD notification) {
  const DWORD now = GetMessageTime();
  if (notification == STN_DBLCLK) {
    lastClickSlot_ = -1;
    return true;
  }
  if (notification != STN_CLICKED) return false;
  const bool second = lastClickSlot_ == slot && now - lastClickTime_ <= GetDoubleClickTime();
  lastClickSlot_ = second ? -1 : slot;
  lastClickTime_ = now;
  return second;
}

// Runs the slot's script, which `tool` wrote; the next activation title is
// taken from it.
bool MainForm::Run(int slot, const std::wstring& tool) {
  return ReportIfFailed(hwnd_, RunSlot(files_.Script(slot), tool, activationTitle_));
}

// Deliberate: a re-run follows the file as it is now (a source first saved
// in ASCII may have been given Japanese text since): the script is written
// afresh from the slot's last drop in this run, with that drop's tool
// command. Should that fail, the script written at the drop runs as it is,
// as it does for a slot with no drop in this run. Either way the drop's
// tool command, which wrote the script, gives the next activation title.
void MainForm::Rerun(int slot) {
  const SlotDrop& last = lastDrop_[slot];
  if (last.path.empty()) {
    Run(slot, settings_->ToolCommand(slot));
    return;
  }
  WriteSlotScript(files_.Script(slot), slot, last.path, last.tool, files_.viewer);
  Run(slot, last.tool);
}

void MainForm::HandleDrop(int slot) {
  const std::wstring path = droppedPath_[slot];
  const std::wstring tool = settings_->ToolCommand(slot);
  if (!ReportIfFailed(hwnd_, WriteSlotScript(files_.Script(slot), slot, path, tool, files_.viewer)))
    return;
  lastDrop_[slot] = {path, tool};
  if (!Run(slot, tool)) return;
  if (!tooltip_) return;  // a dock without tool tips
  TTTOOLINFOW tip = SlotTool(hwnd_, Slot(slot), path.c_str());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tip));
}

LRESULT MainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // The close box and 終了 free the console and end the program at once;
  // nothing after this line runs for them.
  if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDM_ENDING))
    CloseConsoleAndEnd(console_);
  switch (message) {
    case WM_ACTIVATE:
      OnActivate(wParam, lParam);
      break;
    case kDropMessage:
      HandleDrop(static_cast<int>(wParam));
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= IDC_RUN0 && id < IDC_RUN0 + kSlotCount) {
        if (IsDoubleClick(id - IDC_RUN0, HIWORD(wParam))) Rerun(id - IDC_RUN0);
        return 0;
      }
      switch (id) {
        case IDM_SETTING:
          // Give up the always-in-front place before the dialog takes the
          // activation (the deactivation does the same on Windows).
          ApplyAlwaysInFront(false);
          settings_->ShowModal();
          return 0;
        case IDM_VERSION:
          ShowVersionForm(instance_, hwnd_);
          return 0;
        case IDM_HELP_PRO:
          ReportIfFailed(hwnd_, OpenInBrowser(ProgramHelpPath(files_.appFolder)));
          return 0;
        case IDM_HELP_LIB:
          ReportIfFailed(hwnd_, OpenInBrowser(LibraryHelpPath(files_.appFolder)));
          return 0;
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace plum
