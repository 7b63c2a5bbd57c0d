#include "support.h"

#include "common/text.h"
#include "res/resource.h"

#include <ole2.h>
#include <fstream>
#include <sstream>

namespace t {
namespace {

std::wstring N(long n) { return std::to_wstring(n); }

std::wstring Quote(const std::wstring& arg) {  // as CommandLineToArgvW splits it again
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'"') out.append(slashes + 1, L'\\');
    slashes = c == L'\\' ? slashes + 1 : 0;
    out += c;
  }
  return out.append(slashes, L'\\') + L"\"";
}
POINT Middle(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A visible top-level window of `pid` (empty class, caption: any), waited for up to `ms`, or null.
HWND TopLevel(DWORD pid, const std::wstring& cls, const std::wstring& caption, DWORD ms = 0) {
  const wchar_t* c = cls.empty() ? nullptr : cls.c_str();
  const wchar_t* t = caption.empty() ? nullptr : caption.c_str();
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    for (HWND w = FindWindowExW(nullptr, nullptr, c, t); w; w = FindWindowExW(nullptr, w, c, t)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w)) return w;
    }
    if (GetTickCount64() > end) return nullptr;
    Sleep(20);
  }
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

Scratch::Scratch(const std::wstring& name)
    : dir(fs::temp_directory_path() /
          (name + L" " + N(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()))) {
  fs::create_directories(dir);
}

Scratch::~Scratch() {
  std::error_code kept;  // what a program of the test still holds: the test bed empties Temp
  fs::remove_all(dir, kept);
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}
static std::string Narrow(const std::wstring& text, UINT codePage) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                 out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}
std::string Sjis(const std::wstring& text) { return Narrow(text, 932); }
std::string Utf8(const std::wstring& text) { return Narrow(text, CP_UTF8); }

std::string ClassFile(const std::string& name, char major, const std::string& source,
                      const std::string& mainCode, bool isStatic) {
  const auto u2 = [](size_t n) { return std::string{char(n >> 8), char(n)}; };
  const auto text = [&](const std::string& t) { return '\x01' + u2(t.size()) + t; };
  std::string pool = "\x07" + u2(2) + text(name);  // #1 the class, #2 its name
  if (!source.empty()) pool += text("SourceFile") + text(source);
  const size_t main = source.empty() ? 3 : 5;  // "main", its type and "Code" from here
  if (!mainCode.empty()) pool += text("main") + text("([Ljava/lang/String;)V") + text("Code");
  const std::string file = std::string("\xCA\xFE\xBA\xBE\0\0\0", 7) + major + '\0' +
                           char(mainCode.empty() ? main : main + 3) + pool + u2(0x21) + u2(1);
  if (source.empty() && mainCode.empty()) return file;
  std::string method = u2(isStatic ? 9 : 1) + u2(main) + u2(main + 1) + u2(1) + u2(main + 2) +
                       u2(0) + u2(12 + mainCode.size()) + u2(2) + u2(2) + u2(0) +
                       u2(mainCode.size()) + mainCode + u2(0) + u2(0);
  return file + u2(0) + u2(0) + u2(0) + u2(mainCode.empty() ? 0 : 1) +
         (mainCode.empty() ? "" : method) + u2(source.empty() ? 0 : 1) +
         (source.empty() ? "" : u2(3) + u2(0) + u2(2) + u2(4));
}

fs::path Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

std::wstring Line(const std::vector<std::wstring>& args) {
  std::wstring line;
  for (const std::wstring& a : args) line += (line.empty() ? L"" : L" ") + Quote(a);
  return line;
}

// The test program joins the job first: all it starts join it too.
static const HANDLE g_job = [] {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  AssignProcessToJobObject(job, GetCurrentProcess());
  return job;
}();

void Ender::operator()(HANDLE process) const {
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}
Process Spawn(std::wstring line, DWORD* pid) {
  STARTUPINFOW si = {};  // no standard handles
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return Process(pi.hProcess);
}

int RunWait(const std::wstring& line, DWORD ms) {
  const Process process = Spawn(line);
  DWORD code = static_cast<DWORD>(-1);
  if (process && WaitForSingleObject(process.get(), ms) == 0)
    GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

fs::path PlaceTool(const fs::path& as, const wchar_t* program) {
  fs::create_directories(as.parent_path());
  fs::copy_file(Here() / program, as, fs::copy_options::overwrite_existing);
  return as;
}

std::vector<ToolRun> ToolRuns(const fs::path& log) {  // UTF-8, a line a run, fields by tabs
  std::vector<ToolRun> runs;
  std::wistringstream lines(plum::DecodeText(ReadFile(log), CP_UTF8));
  for (std::wstring line, field; std::getline(lines, line);) {
    std::vector<std::wstring> f;
    for (std::wistringstream parts(line); std::getline(parts, field, L'\t');) f.push_back(field);
    if (f.size() >= 2) runs.push_back({f[0], f[1], {f.begin() + 2, f.end()}});
  }
  return runs;
}

std::vector<ToolRun> WaitRuns(const fs::path& log, size_t count, DWORD ms) {
  WaitFor([&] { return ToolRuns(log).size() >= count; }, ms);
  Sleep(300);
  return ToolRuns(log);
}

// sh leaves xdotool's status in a file.
bool Linux(const std::vector<std::wstring>& args, std::string* output) {
  const fs::path tools = _wgetenv(L"PLUM_TEST_TOOLS"), status = tools / L"linux.status";
  const fs::path out = tools / L"linux.out";
  DeleteFileW(status.c_str());
  std::vector<std::wstring> line = {tools / L"sh.exe",
                                    L"-c",
                                    L"s=$1; o=$2; shift 2; \"$@\" >\"$o\"; echo $? >\"$s\"",
                                    L"sh",
                                    OnLinux(status),
                                    OnLinux(out)};
  line.insert(line.end(), args.begin(), args.end());
  CloseHandle(Spawn(Line(line)).release());  // a Linux program: Wine does not wait for it
  const bool ended = WaitFor([&] { return ReadFile(status).size() > 1; }, 15000);
  if (output) *output = ReadFile(out);
  return ended && ReadFile(status)[0] == '0';
}

bool Xdo(std::vector<std::wstring> args) {
  args.insert(args.begin(), L"xdotool");
  return Linux(args);
}

Immutable::Immutable(fs::path dir) : dir(std::move(dir)) {
  Linux({L"chattr", L"+i", OnLinux(this->dir)});
}
Immutable::~Immutable() { Linux({L"chattr", L"-i", OnLinux(dir)}); }

std::wstring Text(HWND w) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return text;
}

void Click(HWND w) {
  const POINT at = Middle(w);
  Xdo({L"mousemove", N(at.x), N(at.y), L"sleep", L"0.1", L"click", L"1"});
  Sleep(100);
}

void SetClassesValue(const std::wstring& key, const std::wstring& text, DWORD type) {
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, type, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

Registered::Registered(const Registration& r, const std::wstring& home) : r(r) {
  HKEY created = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(r.key) + L"\\" + r.version + r.below).c_str(),
                  0, nullptr, 0, KEY_ALL_ACCESS | r.view, nullptr, &created, nullptr);
  RegSetValueExW(created, r.value, 0, r.type, reinterpret_cast<const BYTE*>(home.c_str()),
                 static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(created);
}

Registered::~Registered() {
  HKEY parent = nullptr;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, r.key, 0, KEY_ALL_ACCESS | r.view, &parent);
  RegDeleteTreeW(parent, r.version);
  RegCloseKey(parent);
}

Planted::Planted(const fs::path& from, fs::path to) : at(std::move(to)) {
  DeleteFileW((at.wstring() + L".loaded").c_str());
  CopyFileW(from.c_str(), at.c_str(), FALSE);
}

Planted::~Planted() {
  DeleteFileW(at.c_str());
  DeleteFileW((at.wstring() + L".loaded").c_str());
}

Dock::Dock(const fs::path& app, const std::string& ini) {
  const fs::path copy = app / L"plum_dock.exe";
  CopyFileW((Here() / L"../src/plum_dock.exe").c_str(), copy.c_str(), TRUE);  // when missing
  if (!ini.empty()) WriteFile(app / L"plum_dock.ini", ini);
  process = Spawn(Quote(copy), &pid);
  main = Window(L"", L"PlumDockMainForm", 20000);
  Sleep(500);  // the console finishes coming up
}

HWND Dock::Slot(int i) const { return GetDlgItem(main, IDC_RUN0 + i); }

// Pointer input follows the X stacking, which without a window manager can lag Wine's order.
void Dock::Raise() const {
  Xdo({L"search", L"--onlyvisible", L"--name", L"ＰＬＵＭ", L"windowraise"});
  Sleep(150);
}

POINT Dock::SlotPoint(int i) const {
  const POINT at = Middle(Slot(i));
  Raise();
  WaitFor([&] { return WindowFromPoint(at) == Slot(i); });
  return at;
}

// drag_source.exe in a screen corner: armed by the pointer, pressed, moved to the slot in steps.
static DWORD Drag(const Dock& dock, int slot, std::vector<std::wstring> what) {
  const POINT to = dock.SlotPoint(slot);
  const int x = GetSystemMetrics(SM_CXSCREEN) - 36, y = GetSystemMetrics(SM_CYSCREEN) - 36;
  Scratch scratch(L"drag");
  const fs::path result = scratch.dir / L"result";
  what.insert(what.begin(), {Here() / L"drag_source.exe", result, N(x - 24), N(y - 24)});
  DWORD pid = 0;
  const Process source = Spawn(Line(what), &pid);
  TopLevel(pid, L"", L"waiting", 15000);
  for (int i = 0; i < 20 && !TopLevel(pid, L"", L"armed"); ++i) {
    Xdo({L"mousemove", N(x + i % 3), N(y)});
    Sleep(50);
  }
  Xdo({L"mousedown", L"1"});
  TopLevel(pid, L"", L"dragging", 5000);
  std::vector<std::wstring> moves;
  for (int i = 1; i <= 4; ++i)
    moves.insert(moves.end(), {L"mousemove", N(x + (to.x - x) * i / 4), N(y + (to.y - y) * i / 4),
                               L"sleep", L"0.03"});
  moves.insert(moves.end(), {L"mousemove", N(to.x + 1), N(to.y), L"sleep", L"0.08", L"mousemove",
                             N(to.x), N(to.y), L"sleep", L"0.08", L"mouseup", L"1"});
  Xdo(moves);
  const bool ended = WaitForSingleObject(source.get(), 15000) == 0;
  const std::string text = ReadFile(result);  // "<HRESULT> <effect>"
  return ended && text.rfind("40100 ", 0) == 0 ? std::stoul(text.substr(6)) : kNoDrop;
}

DWORD Dock::Drop(int slot, const std::vector<fs::path>& files) const {
  std::vector<std::wstring> args(files.begin(), files.end());
  args.insert(args.begin(), L"--files");
  // About one drag in 500 misses under Wine and Xvfb: a retry tells that from a refusal.
  const DWORD effect = Drag(*this, slot, args);
  return effect == DROPEFFECT_COPY ? effect : Drag(*this, slot, args);
}

DWORD Dock::DropText(int slot, const std::wstring& text) const {
  return Drag(*this, slot, {L"--text", text});
}

void Dock::DoubleClick(int slot, int then) const {
  const POINT at = SlotPoint(slot);
  const POINT next = then < 0 ? at : SlotPoint(then);
  Xdo({L"mousemove", N(at.x), N(at.y), L"click", L"1", L"sleep", L"0.08", L"mousemove", N(next.x),
       N(next.y), L"click", L"1"});
}

void Dock::Keys(const std::wstring& keys) const {
  RECT r;
  GetWindowRect(main, &r);  // a click on the caption makes the dock active
  for (int i = 0; i < 5 && GetForegroundWindow() != main; ++i) {
    Raise();
    Xdo({L"mousemove", N((r.left + r.right) / 2), N(r.top + 10), L"sleep", L"0.1", L"click", L"1"});
    WaitFor([&] { return GetForegroundWindow() == main; }, 1000);
  }
  std::vector<std::wstring> args = {L"key", L"--delay", L"120"};
  std::wistringstream names(keys);
  for (std::wstring key; names >> key;) args.push_back(key);
  Xdo(args);
}

HWND Dock::Window(const std::wstring& caption, const std::wstring& cls, DWORD ms) const {
  return TopLevel(pid, cls, caption, ms);
}

std::wstring Dock::Message(DWORD ms) const {
  HWND box = Window(L"", L"#32770", ms);
  if (!box) return L"";
  const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitFor([&] { return !IsWindow(box); });
  return text;
}

std::wstring Dock::Tooltip(int slot) const {
  const POINT at = SlotPoint(slot);
  Xdo({L"mousemove", N(at.x - 3), N(at.y), L"sleep", L"0.1", L"mousemove", N(at.x), N(at.y)});
  const std::wstring text = Text(Window(L"", L"tooltips_class32", 3000));  // "" for none
  Xdo({L"mousemove", L"0", L"0"});
  return text;
}

}  // namespace t
