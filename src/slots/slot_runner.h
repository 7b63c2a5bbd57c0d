// Starting slot scripts, the window brought forward before each run, and the
// console the program owns for its whole run.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/report.h"

namespace plum {

// The console allocated to the program. Ctrl+C and Ctrl+Break typed in it
// reach the tools the scripts run but do not end the program.
class Console {
 public:
  Console() = default;
  ~Console() { Close(); }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Allocates the console; false when the system refuses one.
  bool Open();
  void Close();

 private:
  bool open_ = false;
};

// Frees the console and ends the program at once: nothing else is handled.
[[noreturn]] void CloseConsoleAndEnd(Console& console);

// The activation title before the first run of every start.
inline constexpr wchar_t kFirstActivationTitle[] = L"plum_";

// The activation title that a run of `toolCommand` leaves behind: the command
// itself, or its first 6 characters when it is longer than 8.
std::wstring ActivationTitleAfter(std::wstring_view toolCommand);

// Whether a window title matches an activation title: equal, ignoring case.
// With `prefix`, it is enough that the window title begins with it.
bool TitleMatches(std::wstring_view windowTitle, std::wstring_view activationTitle, bool prefix);

// Runs the slot script `script`: brings the window named by `activationTitle` to
// the front (the program's console when none matches), starts the script as
// a new process, and then sets `activationTitle` from `toolCommand`. When the
// script cannot be started the title keeps its value.
Outcome RunSlot(const std::wstring& script, const std::wstring& toolCommand,
                std::wstring& activationTitle);

}  // namespace plum
