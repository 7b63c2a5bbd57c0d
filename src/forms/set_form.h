// The settings dialog ("設定"). Its text boxes and check box are the live
// settings: every edit is in force at once for the slots and the main
// window, whichever button closes the dialog. Created hidden at start-up and
// kept, hidden, until the program ends.
#pragma once

#include <windows.h>

#include <string>

#include "forms/dpi.h"
#include "forms/form_window.h"

namespace plum {

class SetForm final : public FormWindow {
 public:
  SetForm() = default;

  // Creates the hidden dialog; `settingsFile` is where OK saves.
  bool Create(HINSTANCE instance, const std::wstring& settingsFile);
  // The window that owns the dialog (the main window), set once it exists.
  void SetOwner(HWND owner);

  std::wstring ToolCommand(int slot) const;
  void SetToolCommand(int slot, const std::wstring& command);
  int AlwaysInFrontState() const;
  void SetAlwaysInFrontState(int state);

  // Shows the dialog modally over its owner; returns once it is hidden.
  void ShowModal();

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void LayOut(int dpi) override;
  void Browse(int slot);
  void Save();
  void Hide();

  HWND owner_ = nullptr;
  DpiFont font_;  // the controls' font at the window's DPI
  std::wstring settingsFile_;
  wchar_t fileName_[260] = {};  // kept between uses: one dialog serves every slot's button
};

}  // namespace plum
