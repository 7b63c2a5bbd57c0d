#include "support.h"

#include <fstream>
#include <sstream>

namespace t {
namespace {

std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  return out.append(slashes * 2, L'\\') + L"\"";
}

std::wstring Line(const std::vector<std::wstring>& args) {
  std::wstring line;
  for (const std::wstring& a : args) line += (line.empty() ? L"" : L" ") + Quote(a);
  return line;
}

HANDLE Start(const std::wstring& commandLine, DWORD* pid = nullptr) {
  std::wstring line = commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

std::string UnixPath(const fs::path& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = convert ? convert(path.c_str()) : nullptr;
  std::string out = unix ? unix : "";
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                 static_cast<int>(out.size())));
  return out;
}

HWND TopLevel(DWORD pid, const std::wstring& cls, const std::wstring& caption) {
  struct Find {
    DWORD pid;
    const std::wstring &cls, &caption;
    HWND found = nullptr;
  } find{pid, cls, caption};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto& f = *reinterpret_cast<Find*>(p);
        DWORD owner = 0;
        wchar_t cls[64] = {}, text[256] = {};
        GetWindowThreadProcessId(w, &owner);
        GetClassNameW(w, cls, 64);
        GetWindowTextW(w, text, 256);
        if (owner != f.pid || !IsWindowVisible(w) || (!f.cls.empty() && f.cls != cls) ||
            (!f.caption.empty() && f.caption != text))
          return TRUE;
        f.found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::wstring Text(HWND w) {
  wchar_t text[1024] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      &n);
  return text;
}

}  // namespace

bool WaitFor(const std::function<bool()>& holds, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!holds()) {
    if (GetTickCount64() > end) return false;
    Sleep(20);
  }
  return true;
}

Scratch::Scratch(const std::wstring& name) {
  dir = fs::temp_directory_path() / (name + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(GetTickCount64()));
  fs::create_directories(dir);
}

Scratch::~Scratch() {
  std::error_code ignored;
  for (int i = 0; i < 50 && fs::exists(dir, ignored); ++i) {
    fs::remove_all(dir, ignored);
    if (ignored) Sleep(100);  // a program of the test may still let go of a file
  }
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string Sjis(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

fs::path Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

int RunWait(const std::wstring& commandLine, DWORD ms) {
  HANDLE process = Start(commandLine);
  if (!process) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}

fs::path PlaceTool(const fs::path& as) {
  fs::create_directories(as.parent_path());
  fs::copy_file(Here() / L"tool.exe", as, fs::copy_options::overwrite_existing);
  return as;
}

std::vector<ToolRun> ToolRuns(const fs::path& log) {
  std::vector<ToolRun> runs;
  std::istringstream lines(ReadFile(log));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::wstring> fields;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) fields.push_back(Wide(field));
    if (fields.size() < 2) continue;
    runs.push_back({fields[0], fields[1], {fields.begin() + 2, fields.end()}});
  }
  return runs;
}

std::vector<ToolRun> WaitRuns(const fs::path& log, size_t count, DWORD ms) {
  WaitFor([&] { return ToolRuns(log).size() >= count; }, ms);
  Sleep(300);
  return ToolRuns(log);
}

// Wine does not wait for a Linux program, so sh runs xdotool and leaves its
// exit status in a file.
bool Xdo(const std::vector<std::wstring>& args) {
  wchar_t tools[MAX_PATH] = {};
  GetEnvironmentVariableW(L"PLUM_TEST_TOOLS", tools, MAX_PATH);
  const fs::path status = fs::temp_directory_path() / L"xdo.status";
  std::error_code ignored;
  fs::remove(status, ignored);
  std::vector<std::wstring> line = {fs::path(tools) / L"sh.exe", L"-c",
                                    L"s=$1; shift; xdotool \"$@\"; echo $? >\"$s\"", L"sh",
                                    Wide(UnixPath(status))};
  line.insert(line.end(), args.begin(), args.end());
  HANDLE shell = Start(Line(line));
  if (!shell) return false;
  CloseHandle(shell);
  return WaitFor([&] { return ReadFile(status).size() > 1; }, 15000) && ReadFile(status)[0] == '0';
}

Dock::Dock(const fs::path& app, const std::string& ini, const fs::path& exe) {
  const fs::path copy = app / L"plum_dock.exe";
  fs::copy_file(exe.empty() ? Here() / L"../src/plum_dock.exe" : exe, copy,
                fs::copy_options::overwrite_existing);
  if (!ini.empty()) WriteFile(app / L"plum_dock.ini", ini);
  process = Start(Quote(copy), &pid);
  WaitFor([&] { return (main = TopLevel(pid, L"PlumDockMainForm", L"")) || Ended(0); }, 20000);
  Sleep(500);  // the console finishes coming up
}

Dock::~Dock() {
  if (process && !Ended(0)) TerminateProcess(process, 1);
  Ended(5000);
  if (process) CloseHandle(process);
}

bool Dock::Ended(DWORD ms) const { return !process || WaitForSingleObject(process, ms) == 0; }

HWND Dock::Slot(int i) const { return GetDlgItem(main, 100 + i); }

// Without a window manager the X stacking can lag behind Wine's own order,
// and pointer input follows the X stacking.
void Dock::Raise() const {
  Xdo({L"search", L"--onlyvisible", L"--name", L"ＰＬＵＭ", L"windowraise"});
  Sleep(150);
}

POINT Dock::SlotPoint(int i) const {
  RECT r;
  GetWindowRect(Slot(i), &r);
  const POINT at = {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
  Raise();
  WaitFor([&] { return WindowFromPoint(at) == Slot(i); });
  return at;
}

static DragResult Drag(const Dock& dock, int slot, std::vector<std::wstring> what) {
  const POINT to = dock.SlotPoint(slot);
  const int size = 48, x = GetSystemMetrics(SM_CXSCREEN) - 60,
            y = GetSystemMetrics(SM_CYSCREEN) - 60;
  Scratch scratch(L"drag");
  const fs::path result = scratch.dir / L"result";
  std::vector<std::wstring> line = {Here() / L"drag_source.exe", result, std::to_wstring(x),
                                    std::to_wstring(y)};
  line.insert(line.end(), what.begin(), what.end());
  DWORD pid = 0;
  HANDLE source = Start(Line(line), &pid);
  HWND window = nullptr;
  WaitFor([&] { return (window = TopLevel(pid, L"", L"waiting")) != nullptr; }, 15000);
  // The pointer must be seen over the source before the button goes down.
  for (int i = 0; i < 20 && TopLevel(pid, L"", L"armed") == nullptr; ++i) {
    Xdo({L"mousemove", std::to_wstring(x + size / 2 + i % 3), std::to_wstring(y + size / 2)});
    Sleep(50);
  }
  Xdo({L"mousedown", L"1"});
  WaitFor([&] { return TopLevel(pid, L"", L"dragging") != nullptr; });
  std::vector<std::wstring> moves;
  for (int i = 1; i <= 4; ++i)
    moves.insert(moves.end(), {L"mousemove", std::to_wstring(x + (to.x - x) * i / 4),
                               std::to_wstring(y + (to.y - y) * i / 4), L"sleep", L"0.03"});
  moves.insert(moves.end(), {L"mousemove", std::to_wstring(to.x + 1), std::to_wstring(to.y),
                             L"sleep", L"0.08", L"mousemove", std::to_wstring(to.x),
                             std::to_wstring(to.y), L"sleep", L"0.08", L"mouseup", L"1"});
  Xdo(moves);
  const bool ended = WaitForSingleObject(source, 15000) == 0;
  if (!ended) TerminateProcess(source, 1);
  CloseHandle(source);
  const std::string text = ReadFile(result);  // "<hresult> <effect>"
  DragResult out;
  out.dropped = ended && text.rfind("40100 ", 0) == 0;  // DRAGDROP_S_DROP
  out.effect = text.size() > 6 ? std::stoul(text.substr(6)) : 0;
  return out;
}

DragResult Dock::Drop(int slot, const std::vector<fs::path>& files) const {
  std::vector<std::wstring> args = {L"--files"};
  for (const fs::path& f : files) args.push_back(f);
  return Drag(*this, slot, args);
}

DragResult Dock::DropText(int slot, const std::wstring& text) const {
  return Drag(*this, slot, {L"--text", text});
}

void Dock::DoubleClick(int slot) const {
  const POINT at = SlotPoint(slot);
  Xdo({L"mousemove", std::to_wstring(at.x), std::to_wstring(at.y), L"click", L"--repeat", L"2",
       L"--delay", L"80", L"1"});
}

void Dock::Keys(const std::wstring& keys) const {
  RECT r;
  GetWindowRect(main, &r);  // a click on the caption makes the dock active
  for (int i = 0; i < 5 && GetForegroundWindow() != main; ++i) {
    Raise();
    Xdo({L"mousemove", std::to_wstring((r.left + r.right) / 2), std::to_wstring(r.top + 10),
         L"sleep", L"0.1", L"click", L"1"});
    WaitFor([&] { return GetForegroundWindow() == main; }, 1000);
  }
  std::vector<std::wstring> args = {L"key", L"--delay", L"120"};
  std::wistringstream names(keys);
  for (std::wstring key; names >> key;) args.push_back(key);
  Xdo(args);
}

HWND Dock::Window(const std::wstring& caption, const std::wstring& cls, DWORD ms) const {
  HWND found = nullptr;
  WaitFor([&] { return (found = TopLevel(pid, cls, caption)) != nullptr; }, ms);
  return found;
}

std::wstring Dock::Message(DWORD ms) const {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = TopLevel(pid, L"#32770", L"")) != nullptr; }, ms)) return L"";
  const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !IsWindow(box); });
  return text;
}

std::wstring Dock::Tooltip(int slot) const {
  const POINT at = SlotPoint(slot);
  Xdo({L"mousemove", std::to_wstring(at.x - 3), std::to_wstring(at.y), L"sleep", L"0.1",
       L"mousemove", std::to_wstring(at.x), std::to_wstring(at.y)});
  HWND tip = nullptr;
  WaitFor([&] { return (tip = TopLevel(pid, L"tooltips_class32", L"")) != nullptr; }, 3000);
  const std::wstring text = tip ? Text(tip) : L"";
  Xdo({L"mousemove", L"0", L"0"});
  return text;
}

}  // namespace t
