// What the test programs share: scratch folders and file bytes, the
// recording tool's log, and the real dock driven from outside as a user
// drives it (xdotool for pointer and keys, real OLE drags from
// drag_source.exe, the windows any process can see). Runs inside the Wine
// test bed (tests/wine-session.sh); tests that drive the dock are RUN_SERIAL.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace t {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& holds, DWORD ms = 5000);

// A fresh folder under the temp folder, removed with everything in it.
struct Scratch {
  explicit Scratch(const std::wstring& name);
  ~Scratch();
  fs::path dir;
};

std::string ReadFile(const fs::path& file);  // empty when missing
void WriteFile(const fs::path& file, const std::string& bytes);
std::string Sjis(const std::wstring& text);
std::string Utf8(const std::wstring& text);
fs::path Here();  // the test programs' folder (tool.exe, drag_source.exe)

std::wstring Line(const std::vector<std::wstring>& args);  // each quoted as needed
HANDLE Spawn(std::wstring commandLine, DWORD* pid = nullptr);
int RunWait(const std::wstring& commandLine, DWORD ms = 30000);  // the exit code, or -1

// The recording tool: tool.exe copied to any name. Each run appends its
// name, current folder and arguments to the log named by PLUM_TOOL_LOG.
struct ToolRun {
  std::wstring program, folder;
  std::vector<std::wstring> args;
};
fs::path PlaceTool(const fs::path& as);
std::vector<ToolRun> ToolRuns(const fs::path& log);
// Waits for `count` runs, then a little longer so that an extra run shows.
std::vector<ToolRun> WaitRuns(const fs::path& log, size_t count, DWORD ms = 15000);

bool Xdo(const std::vector<std::wstring>& args);  // xdotool; false when it failed
std::wstring Text(HWND w);                        // WM_GETTEXT, across processes
void Click(HWND w);                               // in the middle of the window
RECT ClientOnScreen(HWND w);
void SetClassesValue(const std::wstring& key, const std::wstring& text, DWORD type = REG_SZ);

struct DragResult {
  bool dropped = false;  // the drag ran and ended in a drop
  DWORD effect = 0;      // what the target answered
};

// plum_dock.exe (or `exe`) copied into `app` and started there, with `ini`
// as its settings file when given; waits for its main window.
class Dock {
 public:
  explicit Dock(const fs::path& app, const std::string& ini = "", const fs::path& exe = {});
  ~Dock();  // ends the program if it still runs

  HWND main = nullptr;
  DWORD pid = 0;
  HANDLE process = nullptr;

  HWND Slot(int i) const;
  void Raise() const;  // in the X stacking too, before pointer input
  POINT SlotPoint(int i) const;
  DragResult Drop(int slot, const std::vector<fs::path>& files) const;
  DragResult DropText(int slot, const std::wstring& text) const;
  void DoubleClick(int slot) const;
  void Keys(const std::wstring& keys) const;  // into the active dock: L"F10 Down Return"
  // A visible top-level window of the dock with this caption and class.
  HWND Window(const std::wstring& caption, const std::wstring& cls = L"", DWORD ms = 5000) const;
  // The text of the message box the dock shows within `ms` ("" for none),
  // which is then closed with its OK button.
  std::wstring Message(DWORD ms = 5000) const;
  std::wstring Tooltip(int slot) const;  // hovers and reads the tool tip shown
  bool Ended(DWORD ms) const;
};

}  // namespace t
