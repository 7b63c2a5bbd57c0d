// The main window ("ＰＬＵＭ　ＤＯＣＫ"): three slot images that take dropped
// files and double-clicks, and the menu bar. Closing it ends the program.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "forms/form_window.h"
#include "common/handles.h"
#include "forms/drop_target.h"
#include "forms/set_form.h"
#include "res/resource.h"
#include "slots/slot_runner.h"

namespace plum {

// The menu commands of the main window.
enum MainMenuCommand : int {
  kCmdSetting = 2001,
  kCmdEnding,
  kCmdVersion,
  kCmdHelpPro,
  kCmdHelpLib,
};

// Control IDs of the slot images `run` 0..2.
inline constexpr int kRunControlId = IDC_RUN0;

class MainForm final : public FormWindow {
 public:
  MainForm() = default;

  // Creates the hidden window. Its load step opens the program's console
  // and sets the first activation title.
  bool Create(HINSTANCE instance, SetForm& settings, const std::wstring& appFolder);
  void Show();
  // Starts OLE on this thread and gives the slots their drop targets and
  // tool tips. Done once the window shows: nothing can be dropped on a
  // hidden window, and the user sees the window sooner. The result of
  // starting OLE; when it fails the slots take no drops.
  HRESULT AcceptDrops();

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Load();
  void CreateSlots();
  void CreateToolTips();
  void Layout();
  void SetIcons();
  void ScaleToolTips();
  void OnActivate(WPARAM wParam, LPARAM lParam);
  void ApplyAlwaysInFront(bool inFront);
  void HandleDrop(int slot);
  bool Run(int slot);
  bool IsDoubleClick(int slot, WORD notification);
  void OpenDocument(const std::wstring& document);
  void Tell(const std::wstring& message);

  HINSTANCE instance_ = nullptr;
  SetForm* settings_ = nullptr;
  std::wstring appFolder_;
  Console console_;
  std::wstring activationTitle_;
  std::array<HWND, 3> run_ = {};
  std::array<BitmapHandle, 3> pictures_;
  std::array<std::wstring, 3> droppedPath_;
  std::array<ComRef<SlotDropTarget>, 3> dropTargets_;
  HWND tooltip_ = nullptr;
  HFONT tooltipSystemFont_ = nullptr;  // the tooltip window's own
  FontHandle tooltipFont_;             // at the window's DPI, when not the system's
  int dpi_ = 96;                       // the DPI of the window's monitor
  IconHandle smallIcon_;
  IconHandle bigIcon_;
  bool activatedOnce_ = false;
  int lastClickSlot_ = -1;
  DWORD lastClickTime_ = 0;
};

}  // namespace plum
