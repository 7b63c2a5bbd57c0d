#include "slots/slot_runner.h"

#include "common/process.h"
#include "common/text.h"
#include "common/window_text.h"

namespace plum {
namespace {

BOOL WINAPI IgnoreInterrupts(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

struct TitleSearch {
  const std::wstring* title;
  bool prefix;
  HWND found = nullptr;
};

BOOL CALLBACK FindMatch(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (!TitleMatches(WindowText(hwnd), *search->title, search->prefix)) return TRUE;
  search->found = hwnd;
  return FALSE;
}

void BringToFront(HWND hwnd) {
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
}

}  // namespace

bool Console::Open() {
  if (open_) return true;
  // A program started from a console window may find itself attached to
  // that console (Wine does this); the dock wants one of its own.
  if (!AllocConsole() && !(FreeConsole() && AllocConsole())) return false;
  open_ = true;
  SetConsoleCtrlHandler(IgnoreInterrupts, TRUE);
  return true;
}

void Console::Close() {
  if (!open_) return;
  SetConsoleCtrlHandler(IgnoreInterrupts, FALSE);
  FreeConsole();
  open_ = false;
}

void CloseConsoleAndEnd(Console& console) {
  console.Close();
  ExitProcess(0);
}

std::wstring ActivationTitleAfter(std::wstring_view toolCommand) {
  if (toolCommand.size() > 8) return std::wstring(toolCommand.substr(0, 6));
  return std::wstring(toolCommand);
}

bool TitleMatches(std::wstring_view windowTitle, std::wstring_view activationTitle, bool prefix) {
  if (activationTitle.empty()) return false;
  if (prefix ? windowTitle.size() < activationTitle.size()
             : windowTitle.size() != activationTitle.size())
    return false;
  return CompareStringOrdinal(windowTitle.data(), static_cast<int>(activationTitle.size()),
                              activationTitle.data(), static_cast<int>(activationTitle.size()),
                              TRUE) == CSTR_EQUAL;
}

namespace {

// The visible top-level window whose title equals `title` or, when none does,
// begins with it; null when none matches or the title is empty.
HWND FindWindowByTitle(const std::wstring& title) {
  for (bool prefix : {false, true}) {
    TitleSearch search{&title, prefix};
    EnumWindows(FindMatch, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return nullptr;
}

}  // namespace

Outcome RunSlot(const std::wstring& script, const std::wstring& toolCommand,
                std::wstring& activationTitle) {
  HWND target = FindWindowByTitle(activationTitle);
  if (!target) target = GetConsoleWindow();
  if (target) BringToFront(target);

  // Quoted, so that a space in the data folder cannot make the system try a
  // shorter path ("C:\Program.exe") first.
  DWORD error = GetFileAttributesW(script.c_str()) == INVALID_FILE_ATTRIBUTES
                    ? GetLastError()
                    : StartProcess(L"\"" + script + L"\"");
  if (error) {
    std::wstring message =
        L"スクリプト " + script + L" を起動できません。\n" + SystemMessage(error);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      message += L"\nこのスロットにはまだファイルがドロップされていません。";
    return Failed(std::move(message));
  }

  activationTitle = ActivationTitleAfter(toolCommand);
  return Succeeded();
}

}  // namespace plum
