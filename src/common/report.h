// How the program tells the user that something failed: the one outcome type
// of the actions that can fail, and the one box that shows a failure.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// What came of an action the user asked for: done, or why not. The message
// is in Japanese: what failed, naming the file or program, then the reason
// (the system's in SystemMessage's shape, common/text.h).
struct Outcome {
  bool ok = true;
  std::wstring message;  // when !ok
};

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

}  // namespace plum
