#include "gui_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace test {
namespace {

// Command-line quoting as CommandLineToArgvW (and Wine, for a Linux
// program) splits it again.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
      backslashes = 0;
    } else {
      out.append(backslashes, L'\\');
      backslashes = 0;
    }
    if (c != L'\\') out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring CommandLine(const std::wstring& program, const std::vector<std::wstring>& args) {
  std::wstring line = Quote(program);
  for (const std::wstring& a : args) line += L" " + Quote(a);
  return line;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return n && n < MAX_PATH * 2 ? std::wstring(buffer, n) : std::wstring();
}

// A Linux tool of the test bed, e.g. L"xdotool".
std::wstring TestTool(const std::wstring& name) {
  std::wstring folder = Environment(L"PLUM_TEST_TOOLS");
  if (folder.empty()) return L"";
  if (folder.back() != L'\\') folder += L'\\';
  return folder + name + L".exe";
}

// The Unix form of a Windows path, for the Linux tools (Wine's own export).
std::string UnixPath(const std::wstring& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  char* unix = convert(path.c_str());
  if (!unix) return {};
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

}  // namespace

// Wine does not wait for a Linux program it starts (the caller gets no
// process handle), so the program runs under sh, which leaves its exit
// status in a file.
int RunLinuxTool(const std::wstring& name, const std::vector<std::wstring>& arguments,
                 DWORD timeoutMs) {
  const std::wstring shell = TestTool(L"sh");
  const std::string tool = UnixPath(TestTool(name));
  if (shell.empty() || tool.empty()) return -1;
  ScratchFolder scratch(L"tool");
  const std::wstring status = scratch.path() + L"status";
  const std::string unixStatus = UnixPath(status);
  if (unixStatus.empty()) return -1;
  std::vector<std::wstring> args = {
      L"-c", L"s=$1; shift; \"$@\"; echo $? >\"$s.new\" && mv \"$s.new\" \"$s\"", L"sh",
      FromUtf8(unixStatus), FromUtf8(tool)};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::wstring line = CommandLine(shell, args);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return -1;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  if (!WaitFor([&] { return FileExists(status); }, timeoutMs, 5)) return -1;
  return atoi(ReadBytes(status).c_str());
}

namespace {

struct Window {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  Window* w = reinterpret_cast<Window*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == w->pid && (!w->visibleOnly || IsWindowVisible(hwnd))) w->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

bool Matches(HWND hwnd, const std::wstring& windowClass, const std::wstring& caption) {
  return (windowClass.empty() || ClassName(hwnd) == windowClass) &&
         (caption.empty() || WindowText(hwnd) == caption);
}

std::wstring WithoutAmpersands(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}

// Memory in another process, freed with the object.
class RemoteMemory {
 public:
  RemoteMemory(HWND windowOfProcess, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(windowOfProcess, &pid);
    process_.reset(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_)
      address_ = static_cast<BYTE*>(
          VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool ok() const { return address_ != nullptr; }
  BYTE* at(SIZE_T offset) const { return address_ + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) {
    SIZE_T done = 0;
    return offset + size <= size_ &&
           WriteProcessMemory(process_.get(), at(offset), data, size, &done) && done == size;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    SIZE_T done = 0;
    return offset + size <= size_ &&
           ReadProcessMemory(process_.get(), at(offset), data, size, &done) && done == size;
  }

 private:
  plum::KernelHandle process_;
  BYTE* address_ = nullptr;
  SIZE_T size_;
};

const SIZE_T kTextOffset = 256;  // after the TOOLINFOW
const SIZE_T kTextChars = 4096;  // tooltips copy at most 1024 characters

}  // namespace

bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs, DWORD intervalMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount64() >= end) return predicate();
    Sleep(intervalMs);
  }
}

// ---------------------------------------------------------------------------

std::wstring DockExe() { return ProgramFolder() + L"..\\src\\plum_dock.exe"; }

DockProcess::DockProcess(const std::wstring& exePath, const LaunchOptions& options) {
  folder_ = options.appFolder;
  if (folder_.empty()) {
    scratch_ = std::make_unique<ScratchFolder>(L"app");
    folder_ = scratch_->path();
  }
  if (!folder_.empty() && folder_.back() != L'\\') folder_ += L'\\';
  exe_ = folder_ + exePath.substr(exePath.find_last_of(L"\\/") + 1);
  if (!CopyFileW(exePath.c_str(), exe_.c_str(), FALSE)) {
    error_ = L"cannot copy " + exePath + L" to " + exe_ + L": " + std::to_wstring(GetLastError());
    return;
  }
  std::wstring line = Quote(exe_);
  if (!options.arguments.empty()) line += L" " + options.arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe_.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &si, &pi)) {
    error_ = L"cannot start " + exe_ + L": " + std::to_wstring(GetLastError());
    return;
  }
  process_.reset(pi.hProcess);
  CloseHandle(pi.hThread);
  pid_ = pi.dwProcessId;
  WaitForInputIdle(pi.hProcess, options.timeoutMs);
  WaitFor(
      [&] {
        window_ = FindTopLevel(pid_, options.windowClass, options.caption);
        return window_ != nullptr || Exited();
      },
      options.timeoutMs, 50);
  if (!window_) {
    error_ = Exited() ? L"the program ended with code " + std::to_wstring(ExitCode()) +
                            L" before its window showed"
                      : L"no visible window \"" + options.caption + L"\" of class \"" +
                            options.windowClass + L"\" within the time limit";
  }
}

DockProcess::~DockProcess() {
  Terminate();
  process_.reset();
  // The scratch folder goes only once the program let go of its files.
}

bool DockProcess::Exited(DWORD timeoutMs) const {
  return process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD DockProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void DockProcess::Terminate() {
  if (process_ && !Exited()) {
    TerminateProcess(process_.get(), 255);
    Exited(5000);
  }
}

// ---------------------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD pid, bool visibleOnly) {
  Window w{pid, visibleOnly, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&w));
  return w.found;
}

HWND FindTopLevel(DWORD pid, const std::wstring& windowClass, const std::wstring& caption) {
  for (HWND hwnd : TopLevelWindows(pid))
    if (Matches(hwnd, windowClass, caption)) return hwnd;
  return nullptr;
}

HWND FindChild(HWND parent, int controlId) {
  for (HWND hwnd : ChildWindows(parent))
    if (GetDlgCtrlID(hwnd) == controlId) return hwnd;
  return nullptr;
}

std::vector<HWND> ChildWindows(HWND parent, const std::wstring& windowClass) {
  std::vector<HWND> all;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> found;
  for (HWND hwnd : all)
    if (Matches(hwnd, windowClass, L"")) found.push_back(hwnd);
  return found;
}

std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT rather than GetWindowTextW, which does not ask controls of
  // other processes.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return L"";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return L"";
  text.resize(std::min<size_t>(copied, length));
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256];
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

RECT WindowRectOnScreen(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientRectOnScreen(HWND hwnd) {
  RECT r = {};
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

POINT CenterOf(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool IsTopmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

namespace {

std::vector<MenuItem> ReadMenu(HMENU menu, int depth) {
  std::vector<MenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MenuItem item;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    item.id = info.wID;
    item.state = info.fState;
    if (info.fType & MFT_SEPARATOR) {
      item.caption = L"-";
    } else {
      wchar_t text[512] = L"";
      GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
      item.caption = text;
    }
    if (info.hSubMenu && depth < 8) item.items = ReadMenu(info.hSubMenu, depth + 1);
    items.push_back(item);
  }
  return items;
}

void Outline(const std::vector<MenuItem>& items, int depth, std::wstring* out) {
  for (const MenuItem& item : items) {
    *out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + item.caption + L"\n";
    Outline(item.items, depth + 1, out);
  }
}

}  // namespace

namespace {

// Parses gui_agent.dll's answer (see gui_agent.cpp) into a tree.
std::vector<MenuItem> ParseAgentMenu(const std::wstring& text) {
  std::vector<MenuItem> root;
  std::vector<std::vector<MenuItem>*> levels = {&root};
  size_t pos = text.find(L'\n') + 1;  // after "ok"
  while (pos < text.size()) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = text.substr(pos, end - pos);
    pos = end + 1;
    std::wstring fields[4];
    size_t at = 0;
    bool complete = true;
    for (std::wstring& field : fields) {
      const size_t tab = line.find(L'\t', at);
      if (tab == std::wstring::npos) complete = false;
      if (!complete) break;
      field = line.substr(at, tab - at);
      at = tab + 1;
    }
    if (!complete) continue;
    const size_t depth = static_cast<size_t>(_wtoi(fields[0].c_str()));
    if (depth >= levels.size()) continue;
    levels.resize(depth + 1);
    MenuItem item;
    item.caption = fields[1] == L"s" ? L"-" : line.substr(at);
    item.id = static_cast<UINT>(wcstoul(fields[2].c_str(), nullptr, 10));
    item.state = static_cast<UINT>(wcstoul(fields[3].c_str(), nullptr, 10));
    levels[depth]->push_back(item);
    levels.push_back(&levels[depth]->back().items);
  }
  return root;
}

}  // namespace

std::vector<MenuItem> ReadMenuBar(HWND hwnd, std::wstring* error) {
  std::wstring ignored;
  std::wstring& why = error ? *error : ignored;
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
  if (!thread) {
    why = L"no such window";
    return {};
  }
  if (pid == GetCurrentProcessId()) {
    HMENU menu = GetMenu(hwnd);
    return menu ? ReadMenu(menu, 0) : std::vector<MenuItem>();
  }
  // Another process: gui_agent.dll reads the menu there.
  static HMODULE agent = LoadLibraryW((ProgramFolder() + L"gui_agent.dll").c_str());
  auto hook =
      agent
          ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(agent, "AgentHook")))
          : nullptr;
  if (!hook) {
    why = L"gui_agent.dll is missing beside the test program";
    return {};
  }
  static unsigned counter = 0;
  const WPARAM request = static_cast<WPARAM>(GetCurrentProcessId()) * 100000 + ++counter;
  const std::wstring name = L"PlumGuiAgent_" + std::to_wstring(request);
  const DWORD kBytes = 256 * 1024;
  plum::KernelHandle mapping(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBytes, name.c_str()));
  const wchar_t* view =
      mapping ? static_cast<const wchar_t*>(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0))
              : nullptr;
  if (!view) {
    why = L"cannot share memory: " + std::to_wstring(GetLastError());
    return {};
  }
  HHOOK installed = SetWindowsHookExW(WH_CALLWNDPROC, hook, agent, thread);
  if (installed) {
    DWORD_PTR ignoredResult = 0;
    SendMessageTimeoutW(hwnd, RegisterWindowMessageW(L"PlumGuiAgentReadMenu"), request, 0,
                        SMTO_ABORTIFHUNG, 5000, &ignoredResult);
    UnhookWindowsHookEx(installed);
  }
  const std::wstring text(view, wcsnlen(view, kBytes / sizeof(wchar_t)));
  UnmapViewOfFile(view);
  if (!installed || text.rfind(L"ok\n", 0) != 0) {
    why = installed ? L"the program did not answer" : L"cannot hook the window's thread";
    return {};
  }
  return ParseAgentMenu(text);
}

std::wstring MenuOutline(const std::vector<MenuItem>& items) {
  std::wstring out;
  Outline(items, 0, &out);
  return out;
}

// ---------------------------------------------------------------------------

bool Xdotool(const std::vector<std::wstring>& arguments, DWORD timeoutMs) {
  return RunLinuxTool(L"xdotool", arguments, timeoutMs) == 0;
}

bool MoveMouse(int x, int y) {
  return Xdotool({L"mousemove", std::to_wstring(x), std::to_wstring(y)});
}

bool Click(int x, int y) {
  return Xdotool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"click", L"1"});
}

bool DoubleClick(int x, int y) {
  return Xdotool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"click", L"--repeat", L"2",
                  L"--delay", L"80", L"1"});
}

bool MouseDown(int x, int y) {
  return Xdotool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"mousedown", L"1"});
}

bool MouseUp(int x, int y) {
  return Xdotool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"mouseup", L"1"});
}

bool PressKey(const std::wstring& keys) { return Xdotool({L"key", keys}); }

bool TypeText(const std::wstring& text) {
  return Xdotool({L"type", L"--delay", L"30", L"--", text});
}

POINT CursorPos() {
  POINT p = {};
  GetCursorPos(&p);
  return p;
}

// ---------------------------------------------------------------------------

namespace {

const int kSourceSize = 48;

DragOutcome Drag(std::vector<std::wstring> sourceArguments, POINT target) {
  DragOutcome outcome;
  const std::wstring source = ProgramFolder() + L"drag_source.exe";
  ScratchFolder scratch(L"drag");
  const std::wstring resultFile = scratch.path() + L"result.txt";

  // The source's window goes in a corner away from the target.
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  POINT start = {width - kSourceSize - 8, height - kSourceSize - 8};
  if (abs(target.x - start.x) < 200 && abs(target.y - start.y) < 200) start = {8, 8};
  std::vector<std::wstring> args = {L"--at", std::to_wstring(start.x), std::to_wstring(start.y),
                                    L"--result", resultFile};
  args.insert(args.end(), sourceArguments.begin(), sourceArguments.end());
  std::wstring line = CommandLine(source, args);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(source.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    outcome.error = L"cannot start " + source + L": " + std::to_wstring(GetLastError());
    return outcome;
  }
  plum::KernelHandle process(pi.hProcess), thread(pi.hThread);
  auto fail = [&](const std::wstring& what) {
    outcome.error = what;
    MouseUp(CursorPos().x, CursorPos().y);
    TerminateProcess(pi.hProcess, 255);
    WaitForSingleObject(pi.hProcess, 5000);
    return outcome;
  };

  HWND window = nullptr;
  if (!WaitFor(
          [&] { return (window = FindTopLevel(pi.dwProcessId, L"PlumDragSource")) != nullptr; },
          15000, 20))
    return fail(L"the drag source's window did not show");
  // The pointer must be seen over the source's window before the button
  // goes down there: then the button and the moves reach the source.
  const POINT grip = {start.x + kSourceSize / 2, start.y + kSourceSize / 2};
  bool armed = false;
  for (int attempt = 0; attempt < 10 && !armed; ++attempt) {
    MoveMouse(grip.x + attempt % 3 - 1, grip.y);
    armed = WaitFor([&] { return WindowText(window) == L"armed"; }, 500, 10);
  }
  if (!armed) return fail(L"the drag source never saw the pointer");
  if (!Xdotool({L"mousedown", L"1"})) return fail(L"xdotool could not press the button");
  if (!WaitFor([&] { return WindowText(window) == L"dragging"; }, 5000, 10))
    return fail(L"the drag did not start");

  // Moves in a few steps, then small moves over the target so that it gets
  // DragEnter and DragOver before the release.
  std::vector<std::wstring> moves;
  const int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    moves.insert(moves.end(),
                 {L"mousemove", std::to_wstring(grip.x + (target.x - grip.x) * i / kSteps),
                  std::to_wstring(grip.y + (target.y - grip.y) * i / kSteps), L"sleep", L"0.03"});
  }
  moves.insert(moves.end(), {L"mousemove", std::to_wstring(target.x + 1), std::to_wstring(target.y),
                             L"sleep", L"0.08", L"mousemove", std::to_wstring(target.x),
                             std::to_wstring(target.y), L"sleep", L"0.08", L"mouseup", L"1"});
  if (!Xdotool(moves)) return fail(L"xdotool could not move the pointer");
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0)
    return fail(L"the drag did not end after the release");

  const std::string text = ReadBytes(resultFile);
  const size_t r = text.find("result="), e = text.find(" effect=");
  if (r != 0 || e == std::string::npos) {
    outcome.error = L"the drag source reported nothing";
    return outcome;
  }
  outcome.ran = true;
  outcome.result = text.substr(7, e - 7);
  outcome.effect = static_cast<DWORD>(strtoul(text.c_str() + e + 8, nullptr, 10));
  return outcome;
}

}  // namespace

DragOutcome DragFiles(const std::vector<std::wstring>& files, POINT target) {
  std::vector<std::wstring> args = {L"--files"};
  args.insert(args.end(), files.begin(), files.end());
  return Drag(args, target);
}

DragOutcome DragText(const std::wstring& text, POINT target) {
  return Drag({L"--text", text}, target);
}

// ---------------------------------------------------------------------------

std::vector<HWND> TooltipWindows(DWORD pid) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows(pid, false))
    if (ClassName(hwnd) == TOOLTIPS_CLASSW) found.push_back(hwnd);
  return found;
}

std::vector<ToolInfo> Tools(HWND tooltip) {
  std::vector<ToolInfo> tools;
  RemoteMemory memory(tooltip, kTextOffset + kTextChars * sizeof(wchar_t));
  if (!memory.ok()) return tools;
  const LRESULT count = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = reinterpret_cast<wchar_t*>(memory.at(kTextOffset));
    if (!memory.Write(0, &info, sizeof info) ||
        !SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(memory.at(0))) ||
        !memory.Read(0, &info, sizeof info))
      continue;
    tools.push_back({tooltip, info.hwnd, info.uId, info.uFlags, info.rect});
  }
  return tools;
}

ToolInfo FindToolFor(HWND control, bool* found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(control, &pid);
  for (HWND tooltip : TooltipWindows(pid)) {
    for (const ToolInfo& tool : Tools(tooltip)) {
      if ((tool.flags & TTF_IDISHWND) && tool.id == reinterpret_cast<UINT_PTR>(control)) {
        if (found) *found = true;
        return tool;
      }
    }
  }
  if (found) *found = false;
  return {};
}

std::wstring ReadTooltipText(HWND tooltip, HWND toolOwner, UINT_PTR toolId) {
  RemoteMemory memory(tooltip, kTextOffset + kTextChars * sizeof(wchar_t));
  if (!memory.ok()) return L"";
  TOOLINFOW info = {};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = toolOwner;
  info.uId = toolId;
  info.lpszText = reinterpret_cast<wchar_t*>(memory.at(kTextOffset));
  const wchar_t empty = L'\0';
  if (!memory.Write(0, &info, sizeof info) || !memory.Write(kTextOffset, &empty, sizeof empty))
    return L"";
  SendMessageW(tooltip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(memory.at(0)));
  std::wstring text(kTextChars, L'\0');
  if (!memory.Read(kTextOffset, text.data(), kTextChars * sizeof(wchar_t))) return L"";
  text.resize(wcsnlen(text.c_str(), kTextChars));
  return text;
}

std::wstring ReadTooltipText(const ToolInfo& tool) {
  return ReadTooltipText(tool.tooltip, tool.hwnd, tool.id);
}

std::wstring TooltipTextFor(HWND control) {
  bool found = false;
  const ToolInfo tool = FindToolFor(control, &found);
  return found ? ReadTooltipText(tool) : L"";
}

// ---------------------------------------------------------------------------

MessageBoxInfo FindMessageBox(DWORD pid, DWORD timeoutMs) {
  MessageBoxInfo box;
  WaitFor([&] { return (box.hwnd = FindTopLevel(pid, L"#32770")) != nullptr; }, timeoutMs, 20);
  if (!box.hwnd) return box;
  box.caption = WindowText(box.hwnd);
  const int kMessageTextId = 0xFFFF;  // the static holding a message box's text
  for (HWND child : ChildWindows(box.hwnd)) {
    const std::wstring cls = ClassName(child);
    if (cls == L"Static" && GetDlgCtrlID(child) == kMessageTextId) {
      box.text = WindowText(child);
    } else if (cls == L"Button") {
      box.buttons.push_back(WindowText(child));
    }
  }
  return box;
}

bool PressButton(HWND dialog, int controlId) {
  HWND button = GetDlgItem(dialog, controlId);
  if (!button) return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

bool PressButton(HWND dialog, const std::wstring& caption) {
  for (HWND button : ChildWindows(dialog, L"Button"))
    if (WithoutAmpersands(WindowText(button)) == WithoutAmpersands(caption))
      return PressButton(dialog, GetDlgCtrlID(button));
  return false;
}

bool Screenshot(const RECT& rect, const std::wstring& pngPath) {
  const std::string target = UnixPath(pngPath);
  if (target.empty() || rect.right <= rect.left || rect.bottom <= rect.top) return false;
  const std::wstring crop = std::to_wstring(rect.right - rect.left) + L"x" +
                            std::to_wstring(rect.bottom - rect.top) + L"+" +
                            std::to_wstring(rect.left) + L"+" + std::to_wstring(rect.top);
  return RunLinuxTool(L"import",
                      {L"-window", L"root", L"-crop", crop, L"+repage", FromUtf8(target)},
                      20000) == 0 &&
         FileExists(pngPath);
}

bool Screenshot(HWND hwnd, const std::wstring& pngPath) {
  return Screenshot(WindowRectOnScreen(hwnd), pngPath);
}

}  // namespace test
