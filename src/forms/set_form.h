// The settings dialog ("設定"). Its text boxes and check box are the live
// settings: every edit is in force at once for the slots and the main
// window, whichever button closes the dialog. Created hidden at start-up and
// kept, hidden, until the program ends.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/handles.h"
#include "forms/form_window.h"
#include <string_view>

namespace plum {

// The always-in-front state as the check box holds it.
enum AlwaysInFront : int { kUnticked = 0, kTicked = 1, kGreyed = 2 };

// The filter the file-open dialog is given for a description such as
// "実行ファイル(*.exe)": the description, then the pattern in its
// parentheses, each ended by NUL, and a final NUL.
std::wstring FileDialogFilter(std::wstring_view description);

class SetForm final : public FormWindow {
 public:
  SetForm() = default;

  // Creates the hidden dialog; `settingsFile` is where OK saves.
  bool Create(HINSTANCE instance, const std::wstring& settingsFile);
  // The window that owns the dialog (the main window), set once it exists.
  void SetOwner(HWND owner);
  void SetFileFilter(std::wstring_view description);

  std::wstring ToolCommand(int slot) const;
  void SetToolCommand(int slot, const std::wstring& command);
  int AlwaysInFrontState() const;
  void SetAlwaysInFrontState(int state);

  // Shows the dialog modally over its owner; returns once it is hidden.
  void ShowModal();

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CreateControls(HINSTANCE instance);
  void LayOutControls(int dpi);
  void Browse(int slot);
  void Save();
  void Hide();

  HWND owner_ = nullptr;
  std::array<HWND, 3> path_ = {};
  HWND check_ = nullptr;
  FontHandle font_;  // the controls' font at the window's DPI, when not the system's
  std::wstring settingsFile_;
  std::wstring filter_;
  wchar_t fileName_[260] = {};  // kept between uses: one dialog serves all three buttons
};

}  // namespace plum
