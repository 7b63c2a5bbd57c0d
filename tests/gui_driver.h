// Driving a real program's windows from another process, as a user would,
// for the end-to-end tests: starting the program, finding its windows and
// reading them, pointer and keyboard input, real OLE drags of files or text,
// tooltip texts, message boxes and screen shots.
//
// Runs inside the Wine test bed (tests/wine-session.sh), which provides
// xdotool.exe and import.exe in the folder named by PLUM_TEST_TOOLS.
// Windows screen coordinates are X root coordinates there (Wine's X11 driver
// without a virtual desktop on a 1280x1024 Xvfb screen).
//
// EVERY TEST THAT USES THIS MUST BE RUN_SERIAL in CTest: they share one
// pointer, one keyboard and one screen. Link the gui_driver library; it
// makes sure drag_source.exe and gui_agent.dll are built beside the tests.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/handles.h"
#include "test_support.h"

namespace test {

// Polls `predicate` every `intervalMs` until it holds or `timeoutMs` passes;
// returns its last value.
bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs = 5000, DWORD intervalMs = 20);

// ---------------------------------------------------------------------------
// The program under test.

// plum_dock.exe of this build, and its main window's caption.
inline constexpr wchar_t kDockCaption[] = L"ＰＬＵＭ　ＤＯＣＫ";
std::wstring DockExe();

struct LaunchOptions {
  // The main window to wait for; an empty field matches anything.
  std::wstring caption;
  std::wstring windowClass;
  // Appended to the quoted program path.
  std::wstring arguments;
  // Where the program is copied and started; empty for a fresh scratch
  // folder that is deleted afterwards.
  std::wstring appFolder;
  DWORD timeoutMs = 20000;
};

// Copies a program into an application folder of its own, starts it there
// and waits until its main top-level window is visible. The destructor ends
// the program if it is still running.
class DockProcess {
 public:
  DockProcess(const std::wstring& exePath, const LaunchOptions& options);
  ~DockProcess();
  DockProcess(const DockProcess&) = delete;
  DockProcess& operator=(const DockProcess&) = delete;

  // True when the program started and its window showed; otherwise error()
  // says what went wrong.
  bool ok() const { return window_ != nullptr; }
  const std::wstring& error() const { return error_; }

  HWND window() const { return window_; }
  HANDLE process() const { return process_.get(); }
  DWORD pid() const { return pid_; }
  // The application folder and the copied program, folder ending in '\'.
  const std::wstring& folder() const { return folder_; }
  const std::wstring& exe() const { return exe_; }

  // Whether the program ended within `timeoutMs`.
  bool Exited(DWORD timeoutMs = 0) const;
  // The exit code once it ended, STILL_ACTIVE before.
  DWORD ExitCode() const;
  void Terminate();

 private:
  std::unique_ptr<ScratchFolder> scratch_;
  std::wstring folder_;
  std::wstring exe_;
  plum::KernelHandle process_;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
  std::wstring error_;
};

// ---------------------------------------------------------------------------
// Windows.

// Top-level windows of a process, in Z order; only visible ones by default.
std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly = true);
// The first visible top-level window of the process with this class and
// caption (an empty one matches any), or null.
HWND FindTopLevel(DWORD pid, const std::wstring& windowClass, const std::wstring& caption = L"");
// A direct or deeper child window with this control ID, or null.
HWND FindChild(HWND parent, int controlId);
// Child windows of a class (empty: all), in Z order, descendants included.
std::vector<HWND> ChildWindows(HWND parent, const std::wstring& windowClass = L"");

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
RECT WindowRectOnScreen(HWND hwnd);
RECT ClientRectOnScreen(HWND hwnd);
POINT CenterOf(const RECT& rect);
bool IsTopmost(HWND hwnd);

// One menu item: caption as stored ("開く(&O)\tCtrl+O"), "-" for a separator,
// and the items of its submenu.
struct MenuItem {
  std::wstring caption;
  UINT id = 0;
  UINT state = 0;  // MFS_GRAYED, MFS_CHECKED...
  std::vector<MenuItem> items;
};
// The menu bar of a window of any process, submenus included. Wine keeps
// menus private to their process, so for another process gui_agent.dll
// (beside the test program) reads it there. Empty when the window has no
// menu or it cannot be read; then `error` says why.
std::vector<MenuItem> ReadMenuBar(HWND hwnd, std::wstring* error = nullptr);
// The tree as text: one caption per line, two spaces of indent per level.
std::wstring MenuOutline(const std::vector<MenuItem>& items);

// ---------------------------------------------------------------------------
// Pointer and keyboard, through xdotool. Each call returns when xdotool has
// finished; false when it could not run or failed.

// Runs a Linux program of the test bed (a name in PLUM_TEST_TOOLS, like
// L"xdotool" or L"import") to its end; returns its exit code, or -1 when it
// could not run or did not end within `timeoutMs`.
int RunLinuxTool(const std::wstring& name, const std::vector<std::wstring>& arguments,
                 DWORD timeoutMs = 10000);

// Runs xdotool with these arguments (a chain of its commands is fine).
bool Xdotool(const std::vector<std::wstring>& arguments, DWORD timeoutMs = 10000);
bool MoveMouse(int x, int y);
bool Click(int x, int y);
bool DoubleClick(int x, int y);
bool MouseDown(int x, int y);
bool MouseUp(int x, int y);
// xdotool key names: "Return", "Escape", "ctrl+o", "alt+f".
bool PressKey(const std::wstring& keys);
bool TypeText(const std::wstring& text);
POINT CursorPos();

// ---------------------------------------------------------------------------
// Real OLE drags from another process (drag_source.exe). The source shows a
// 48x48 window in a screen corner away from `target`; the pointer moves onto
// it until the source has seen it (pointer events then reach the source),
// the button goes down there (the source starts DoDragDrop), the pointer
// moves in four steps to `target` (screen coordinates), moves by one pixel
// and back, and the button is released. Takes about half a second. Even a
// refused drop ends as "DRAGDROP_S_DROP" with effect 0 under Wine.

struct DragOutcome {
  bool ran = false;    // the drag started and ended; else see `error`
  std::string result;  // "DRAGDROP_S_DROP", "DRAGDROP_S_CANCEL", ...
  DWORD effect = 0;    // DROPEFFECT_* the target chose
  std::wstring error;
};
DragOutcome DragFiles(const std::vector<std::wstring>& files, POINT target);
DragOutcome DragText(const std::wstring& text, POINT target);

// ---------------------------------------------------------------------------
// Tooltips of another process (same bitness as this one).

struct ToolInfo {
  HWND tooltip = nullptr;  // the tooltips_class32 window
  HWND hwnd = nullptr;     // the tool's owner window
  UINT_PTR id = 0;         // the tool's uId: a window handle with TTF_IDISHWND
  UINT flags = 0;
  RECT rect = {};
};
// The tooltips_class32 windows of a process, hidden ones included.
std::vector<HWND> TooltipWindows(DWORD pid);
// The tools registered with one tooltip window.
std::vector<ToolInfo> Tools(HWND tooltip);
// The tool of any tooltip window of the control's process whose uId is the
// control (TTF_IDISHWND); `found` is false when there is none.
ToolInfo FindToolFor(HWND control, bool* found = nullptr);
// The current text of a tool (TTM_GETTEXTW, marshalled through memory of
// the tooltip's process); empty when there is none.
std::wstring ReadTooltipText(HWND tooltip, HWND toolOwner, UINT_PTR toolId);
std::wstring ReadTooltipText(const ToolInfo& tool);
// The text of the TTF_IDISHWND tool for `control`, wherever it is registered.
std::wstring TooltipTextFor(HWND control);

// ---------------------------------------------------------------------------
// Message boxes and screen shots.

struct MessageBoxInfo {
  HWND hwnd = nullptr;  // null when none showed in time
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
};
// Waits for a dialog (class "#32770") of the process to be visible.
MessageBoxInfo FindMessageBox(DWORD pid, DWORD timeoutMs = 5000);
// Presses a dialog button named by its caption ('&' ignored) or control ID,
// as a click would (BN_CLICKED to the dialog).
bool PressButton(HWND dialog, const std::wstring& caption);
bool PressButton(HWND dialog, int controlId);

// Saves a PNG of a screen area, or of a window's area as it shows on
// screen (whatever covers it included).
bool Screenshot(const RECT& screenRect, const std::wstring& pngPath);
bool Screenshot(HWND hwnd, const std::wstring& pngPath);

}  // namespace test
