// What the tests share, in tests/wine-session.sh: scratch folders, file bytes, the recording
// tool's log, and the real dock driven from outside as a user does (xdotool, real OLE drags).
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace t {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& holds, DWORD ms = 5000);

struct Scratch {  // a fresh folder under the temp folder, removed with everything in it
  explicit Scratch(const std::wstring& name);
  ~Scratch();
  fs::path dir;
};

std::string ReadFile(const fs::path& file);  // empty when missing
void WriteFile(const fs::path& file, const std::string& bytes);
std::string Sjis(const std::wstring& text);
// A class file of `major` that defines only its own name (e.g. "chap01/Hello") and, when given, the
// source it came from and a main(String[]) of that code, static or not; else it ends after its
// name.
std::string ClassFile(const std::string& name, char major = 61, const std::string& source = "",
                      const std::string& mainCode = "", bool isStatic = true);
std::string Utf8(const std::wstring& text);
fs::path Here();  // the test programs' folder (tool.exe, drag_source.exe)

std::wstring Line(const std::vector<std::wstring>& args);  // each quoted as needed
// Ended with its owner; a job ends all a test program starts (and they start) when it ends.
struct Ender {
  void operator()(HANDLE process) const;
};
using Process = std::unique_ptr<void, Ender>;
Process Spawn(std::wstring commandLine, DWORD* pid = nullptr);
int RunWait(const std::wstring& commandLine, DWORD ms = 30000);  // the exit code, or -1

struct ToolRun {  // a run of tool.exe (copied to any name) from the log named by PLUM_TOOL_LOG
  std::wstring program, folder;
  std::vector<std::wstring> args;
};
fs::path PlaceTool(const fs::path& as, const wchar_t* program = L"tool.exe");  // or java8.exe
std::vector<ToolRun> ToolRuns(const fs::path& log);
// Waits for `count` runs, then a little longer so that an extra run shows.
std::vector<ToolRun> WaitRuns(const fs::path& log, size_t count, DWORD ms = 15000);

// A path on Z: (the Linux root folder) as Linux names it.
inline std::wstring OnLinux(const fs::path& z) { return z.generic_wstring().substr(2); }
// A Linux program, and what it wrote to its standard output; false when it failed.
bool Linux(const std::vector<std::wstring>& args, std::string* output = nullptr);
bool Xdo(std::vector<std::wstring> args);  // xdotool; false when it failed
// A folder on Z: in which not even root can create or remove a file while this lives (chattr +i).
struct Immutable {
  explicit Immutable(fs::path dir);
  ~Immutable();
  fs::path dir;
};
std::wstring Text(HWND w);  // WM_GETTEXT, across processes
void Click(HWND w);         // in the middle of the window
void SetClassesValue(const std::wstring& key, const std::wstring& text, DWORD type = REG_SZ);

struct Registration {  // a JDK as an installer registers it under HKLM, in one registry view
  REGSAM view;
  const wchar_t *key, *version, *below, *value;
  DWORD type = REG_SZ;
};

struct Registered {  // a Registration made, and removed at the end of its scope
  Registered(const Registration& r, const std::wstring& home);
  ~Registered();
  Registration r;
};

// A copy of `from` at `at` for one test, removed with it, also when it fails; what an earlier run
// left there is replaced. `at` + ".loaded" (tests/planted.cpp) goes too.
struct Planted {
  Planted(const fs::path& from, fs::path at);
  ~Planted();
  fs::path at;
};

constexpr DWORD kNoDrop = ~0u;  // the drag did not end in a drop
// plum_dock.exe started from `app` (copied there unless it is), with `ini` when given; it ends with
// its (move-only) Dock.
struct Dock {
  explicit Dock(const fs::path& app, const std::string& ini = "");

  HWND main = nullptr;
  DWORD pid = 0;
  Process process;

  HWND Slot(int i) const;
  void Raise() const;  // in the X stacking too, before pointer input
  POINT SlotPoint(int i) const;
  // A real drag onto the slot: the effect the dock answered, or kNoDrop.
  DWORD Drop(int slot, const std::vector<fs::path>& files) const;
  DWORD DropText(int slot, const std::wstring& text) const;
  void DoubleClick(int slot, int then = -1) const;  // 80 ms apart: on slot, or slot then `then`
  void Keys(const std::wstring& keys) const;        // into the active dock: L"F10 Down Return"
  HWND Window(const std::wstring& caption, const std::wstring& cls = L"", DWORD ms = 5000) const;
  std::wstring Message(DWORD ms = 5000) const;  // its text ("" for none), then OK
  std::wstring Tooltip(int slot) const;         // hovers and reads the tool tip shown
  bool Ended(DWORD ms) const { return !process || WaitForSingleObject(process.get(), ms) == 0; }
};

}  // namespace t
