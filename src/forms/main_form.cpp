#include "forms/main_form.h"

#include <commctrl.h>
#include <ole2.h>

#include "browser/html_handler.h"
#include "common/late_import.h"
#include "forms/version_form.h"
#include "res/resource.h"
#include "slots/slot_script.h"

namespace plum {
namespace {

constexpr wchar_t kClassName[] = L"PlumDockMainForm";
constexpr wchar_t kCaption[] = L"ＰＬＵＭ　ＤＯＣＫ";
constexpr int kClientWidth = 146;  // the row of three 50-pixel images overlapping by 2
constexpr int kClientHeight = 51;  // one pixel taller than the images
constexpr int kImageSize = 50;
constexpr int kImageStep = 48;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr UINT kDropMessage = WM_APP + 1;  // wParam: the slot
// The tool-tip record as version 5 of the common controls knows it: it
// refuses the longer record of version 6, which the program does not ask for.
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;
// Position and size stay; the window is shown but not activated.
constexpr UINT kTopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW;

HMENU BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kCmdSetting, L"設定");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCmdEnding, L"終了");
  HMENU info = CreatePopupMenu();
  AppendMenuW(info, MF_STRING, kCmdVersion, L"バージョン");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kCmdHelpPro, L"本体");
  AppendMenuW(help, MF_STRING, kCmdHelpLib, L"ライブラリ");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), L"メニュー");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(info), L"情報");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ");
  return bar;
}

// One of the program's own windows (the console is not one of them).
bool IsOwnWindow(HWND other) {
  return other && other != GetConsoleWindow() &&
         GetWindowThreadProcessId(other, nullptr) == GetCurrentThreadId();
}

}  // namespace

bool MainForm::Create(HINSTANCE instance, SetForm& settings, const std::wstring& appFolder) {
  instance_ = instance;
  settings_ = &settings;
  appFolder_ = appFolder;

  smallIcon_.reset(static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_PLUM_DOCK), IMAGE_ICON, 16, 16, 0)));
  // The big icon is the 16-pixel drawing doubled.
  if (smallIcon_)
    bigIcon_.reset(static_cast<HICON>(CopyImage(smallIcon_.get(), IMAGE_ICON, 32, 32, 0)));

  RegisterFormClass(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, kStyle, TRUE, 0);
  hwnd_ = CreateWindowExW(0, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          r.right - r.left, r.bottom - r.top, nullptr, BuildMenu(), instance, this);
  if (!hwnd_) return false;
  if (bigIcon_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  if (smallIcon_)
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  FitClientArea();
  CreateSlots();
  Load();
  return true;
}

void MainForm::Load() {
  if (!console_.Open()) MessageBoxW(nullptr, L"Couldn't allocate console", L"PLUM_DOCK", MB_OK);
  activationTitle_ = kFirstActivationTitle;
}

// A narrow window may wrap its menu bar onto a second line; the client area
// stays 146 x 51 under it whatever the menu takes.
void MainForm::FitClientArea() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT client, window;
    GetClientRect(hwnd_, &client);
    GetWindowRect(hwnd_, &window);
    const int dx = kClientWidth - (client.right - client.left);
    const int dy = kClientHeight - (client.bottom - client.top);
    if (dx == 0 && dy == 0) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + dx,
                 window.bottom - window.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void MainForm::CreateSlots() {
  const int pictureIds[3] = {IDB_RUN0, IDB_RUN1, IDB_RUN2};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    run_[slot] = CreateWindowExW(
        0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, slot * kImageStep, 0,
        kImageSize, kImageSize, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRunControlId + slot)), instance_, nullptr);
    pictures_[slot].reset(static_cast<HBITMAP>(LoadImageW(
        instance_, MAKEINTRESOURCEW(pictureIds[slot]), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (pictures_[slot])
      SendMessageW(run_[slot], STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(pictures_[slot].get()));
    SetWindowPos(run_[slot], nullptr, slot * kImageStep, 0, kImageSize, kImageSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

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
  for (int slot = 0; slot < kSlotCount; ++slot) {
    dropTargets_[slot] =
        ComRef<SlotDropTarget>::Adopt(new SlotDropTarget([this, slot](const std::wstring& path) {
          // Handled after the drag source has been answered, not inside its drag loop.
          droppedPath_[slot] = path;
          PostMessageW(hwnd_, kDropMessage, static_cast<WPARAM>(slot), 0);
        }));
    RegisterDragDrop(run_[slot], dropTargets_[slot].get());
  }
  return ole;
}

// The slots' tool tips start empty; each shows the last path dropped on it.
void MainForm::CreateToolTips() {
  // The common controls are loaded only now, after the window shows.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  if (auto init = LateImport<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(L"comctl32.dll",
                                                                         "InitCommonControlsEx"))
    init(&controls);
  // The tooltip window has no owner: under Wine a window that owns one is put
  // below it, instead of topmost, when it asks to be always in front.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 800);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    TTTOOLINFOW tool = {};
    tool.cbSize = kToolInfoSize;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(run_[slot]);
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
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

void MainForm::Tell(const std::wstring& message) {
  MessageBoxW(hwnd_, message.c_str(), L"PLUM_DOCK", MB_OK | MB_ICONWARNING);
}

void MainForm::OpenDocument(const std::wstring& document) {
  BrowserOutcome opened = OpenInBrowser(document);
  if (!opened.ok) Tell(opened.message);
}

bool MainForm::Run(int slot) {
  RunOutcome run = RunSlot(slot, appFolder_, settings_->ToolCommand(slot), activationTitle_);
  if (!run.ok) Tell(run.message);
  return run.ok;
}

void MainForm::HandleDrop(int slot) {
  const std::wstring path = droppedPath_[slot];
  ScriptOutcome script = WriteSlotScript(slot, path, appFolder_, settings_->ToolCommand(slot));
  if (!script.ok) {
    Tell(script.message);
    return;
  }
  if (!Run(slot)) return;
  TTTOOLINFOW tool = {};
  tool.cbSize = kToolInfoSize;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(run_[slot]);
  tool.lpszText = const_cast<wchar_t*>(path.c_str());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT MainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      OnActivate(wParam, lParam);
      break;
    case kDropMessage:
      HandleDrop(static_cast<int>(wParam));
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kRunControlId && id < kRunControlId + kSlotCount) {
        if (IsDoubleClick(id - kRunControlId, HIWORD(wParam))) Run(id - kRunControlId);
        return 0;
      }
      switch (id) {
        case kCmdSetting:
          // Give up the always-in-front place before the dialog takes the
          // activation (the deactivation does the same on Windows).
          ApplyAlwaysInFront(false);
          settings_->ShowModal();
          return 0;
        case kCmdEnding:
          CloseConsoleAndEnd(console_);
        case kCmdVersion:
          ShowVersionForm(instance_, hwnd_);
          return 0;
        case kCmdHelpPro:
          OpenDocument(ProgramHelpPath(appFolder_));
          return 0;
        case kCmdHelpLib:
          OpenDocument(LibraryHelpPath(appFolder_));
          return 0;
      }
      return 0;
    }
    case WM_CLOSE:
      CloseConsoleAndEnd(console_);
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace plum
