// What the test programs share: scratch folders and file bytes, the
// recording tool's log, and the real dock driven from outside as a user
// drives it (xdotool for pointer and keys, real OLE drags from
// drag_source.exe, the windows any process can see).
//
// Runs inside the Wine test bed (tests/wine-session.sh). Tests that drive
// the dock share one pointer and one screen: they are RUN_SERIAL.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace t {

namespace fs = std::filesystem;

// Polls `holds` until it is true or `ms` pass; its last answer.
bool WaitFor(const std::function<bool()>& holds, DWORD ms = 5000);

// A fresh folder under the temp folder, removed with everything in it.
struct Scratch {
  explicit Scratch(const std::wstring& name);
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  fs::path dir;
};

std::string ReadFile(const fs::path& file);  // empty when missing
void WriteFile(const fs::path& file, const std::string& bytes);
std::string Sjis(const std::wstring& text);  // code page 932 bytes
std::string Utf8(const std::wstring& text);  // for failure messages

// The folder of the test programs (drag_source.exe, tool.exe live there).
fs::path Here();

// Runs a command line to its end; the exit code, or -1.
int RunWait(const std::wstring& commandLine, DWORD ms = 30000);

// The recording tool: tool.exe copied to any name. Each run appends its
// program, current folder and arguments to the log named by PLUM_TOOL_LOG.
struct ToolRun {
  std::wstring program;  // file name only, e.g. L"javac.exe"
  std::wstring folder;
  std::vector<std::wstring> args;
};
fs::path PlaceTool(const fs::path& as);  // copies tool.exe to `as`
std::vector<ToolRun> ToolRuns(const fs::path& log);
// Waits for `count` runs, then a little longer so that an extra run shows.
std::vector<ToolRun> WaitRuns(const fs::path& log, size_t count, DWORD ms = 15000);

// Runs xdotool with these arguments; false when it failed.
bool Xdo(const std::vector<std::wstring>& args);

struct DragResult {
  bool dropped = false;  // the drag ran and ended in a drop
  DWORD effect = 0;      // what the target answered
};

// plum_dock.exe copied into `app` (or `exe` given) and started there with
// `ini` as its settings file when not empty; waits for its main window.
class Dock {
 public:
  explicit Dock(const fs::path& app, const std::string& ini = "", const fs::path& exe = {});
  ~Dock();  // ends the program if it still runs
  Dock(const Dock&) = delete;
  Dock& operator=(const Dock&) = delete;

  HWND main = nullptr;
  DWORD pid = 0;
  HANDLE process = nullptr;

  HWND Slot(int i) const;
  void Raise() const;  // raised in the X stacking too, before pointer input
  POINT SlotPoint(int i) const;
  DragResult Drop(int slot, const std::vector<fs::path>& files) const;
  DragResult DropText(int slot, const std::wstring& text) const;
  void DoubleClick(int slot) const;
  // Keys typed into the raised dock, xdotool names: L"F10 Down Return".
  void Keys(const std::wstring& keys) const;
  // A visible top-level window of the dock with this caption (and class,
  // when given), or null.
  HWND Window(const std::wstring& caption, const std::wstring& cls = L"", DWORD ms = 5000) const;
  // The text of the message box the dock shows, or "" when none shows in
  // `ms`; the box is closed with its OK button.
  std::wstring Message(DWORD ms = 5000) const;
  // Hovers over the slot and reads the tool tip that shows; "" when none.
  std::wstring Tooltip(int slot) const;
  bool Ended(DWORD ms) const;
};

}  // namespace t
