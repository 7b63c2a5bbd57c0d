// The main window ("ＰＬＵＭ　ＤＯＣＫ"): a slot image for each tool that takes
// dropped files and double-clicks, and the menu bar. Closing it ends the
// program.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "common/dock_files.h"
#include "common/handles.h"
#include "common/slots.h"
#include "forms/dpi.h"
#include "forms/drop_target.h"
#include "forms/form_window.h"
#include "forms/set_form.h"
#include "slots/slot_runner.h"

namespace plum {

class MainForm final : public FormWindow {
 public:
  MainForm() = default;

  // Creates the hidden window. Its load step opens the program's console
  // and sets the first activation title.
  bool Create(HINSTANCE instance, SetForm& settings, const DockFiles& files);
  void Show();
  // Starts OLE on this thread and gives the slots their drop targets and
  // tool tips. Done once the window shows: nothing can be dropped on a
  // hidden window, and the user sees the window sooner. The first failure
  // of starting OLE (then no slot takes drops) or of a slot's registration
  // as a drop target (then that slot takes none); success otherwise.
  HRESULT AcceptDrops();

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Load();
  void CreateToolTips();
  void LayOut(int dpi) override;
  void SetIcons();
  void ScaleToolTips();
  void OnActivate(WPARAM wParam, LPARAM lParam);
  void ApplyAlwaysInFront(bool inFront);
  void HandleDrop(int slot);
  bool Run(int slot, const std::wstring& tool);
  void Rerun(int slot);
  bool IsDoubleClick(int slot, WORD notification);
  HWND Slot(int slot) const;

  HINSTANCE instance_ = nullptr;
  SetForm* settings_ = nullptr;
  DockFiles files_;
  Console console_;
  std::wstring activationTitle_;
  std::array<BitmapHandle, kSlotCount> pictures_;
  std::array<std::wstring, kSlotCount> droppedPath_;
  // The last drop each slot's script was written for in this run: the path
  // and the tool command then.
  struct SlotDrop {
    std::wstring path, tool;
  };
  std::array<SlotDrop, kSlotCount> lastDrop_;
  std::array<ComRef<SlotDropTarget>, kSlotCount> dropTargets_;
  HWND tooltip_ = nullptr;
  HFONT tooltipSystemFont_ = nullptr;  // the tooltip window's own
  DpiFont tooltipFont_;                // at the window's DPI
  int dpi_ = kBaseDpi;                 // the DPI of the window's monitor
  IconHandle smallIcon_;
  IconHandle bigIcon_;
  bool activatedOnce_ = false;
  int lastClickSlot_ = -1;
  DWORD lastClickTime_ = 0;
};

}  // namespace plum
