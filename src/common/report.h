// How the program tells the user that something failed: the one outcome type
// of the actions that can fail, and the one box that shows a failure.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace plum {

// What came of an action the user asked for: done, or why not. The message
// is in Japanese: what failed, naming the file or program, then the reason
// (the system's in SystemMessage's shape, common/text.h).
struct Outcome {
  bool ok = true;
  std::wstring message;  // when !ok
};

inline Outcome Succeeded() { return {}; }
inline Outcome Failed(std::wstring message) { return {false, std::move(message)}; }

// How a failure stands for the program.
enum class Gravity : UINT {
  kWarning = MB_ICONWARNING,  // the action is not done; the program goes on
  // The program ends after the box: above every window, whichever is active.
  kFatal = MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST,
};

// Shows `message` in a box captioned PLUM_DOCK, modal over `owner` (the
// window the failed action belongs to), and returns once the user closes it.
// Allocates nothing: it also serves when memory has run out.
inline void ReportFailure(HWND owner, const wchar_t* message, Gravity gravity = Gravity::kWarning) {
  MessageBoxW(owner, message, L"PLUM_DOCK", MB_OK | static_cast<UINT>(gravity));
}

// Whether `outcome` is a success; a failure is first reported over `owner`.
inline bool ReportIfFailed(HWND owner, const Outcome& outcome) {
  if (!outcome.ok) ReportFailure(owner, outcome.message.c_str());
  return outcome.ok;
}

}  // namespace plum
