// plum_bench.exe [--runs N] [--drops N]: start-up, memory and drop latency
// of the dock, measured from outside its process in the Wine test bed
// (scripts/benchmark.sh runs it); prints markdown rows.
//   start-up  process creation to the main window being visible, the dock and
//             minimal_window.exe (also with --console) alternately, N each,
//             and each one's working set a second after its window showed
//   drop      a real OLE drag of a file onto slot 2, from the button release
//             to the first instruction of the slot's tool (stamp_tool.exe)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "support.h"

namespace {

using namespace t;

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// 100 ns units since 1601: the system time, precise under Wine, and the
// clock that stamp_tool.exe and Linux programs read too.
ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

struct Start {
  double ms = -1, kib = 0;  // to the visible window; working set a second later
};

// Starts `exe` and times it to its first visible top-level window of class
// `cls`, found by class: one request to the window server, so that asking
// every millisecond does not slow the program it times.
Start StartOnce(const fs::path& exe, const wchar_t* cls, const std::wstring& arguments = L"") {
  Start s;
  DWORD pid = 0;
  const ULONGLONG t0 = Now();
  HANDLE process = Spawn(Line({exe}) + arguments, &pid).release();
  for (int i = 0; process && i < 30000 && s.ms < 0; ++i) {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, cls, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w)) s.ms = static_cast<double>(Now() - t0) / 10000;
    }
    if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) break;
  }
  Sleep(1000);
  PROCESS_MEMORY_COUNTERS counters = {};
  if (GetProcessMemoryInfo(process, &counters, sizeof counters))
    s.kib = static_cast<double>(counters.WorkingSetSize) / 1024;
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  return s;
}

std::wstring UnixPath(const fs::path& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = convert ? convert(path.c_str()) : nullptr;
  const fs::path out = fs::u8path(unix ? unix : "");
  if (unix) HeapFree(GetProcessHeap(), 0, unix);
  return out.wstring();
}

// A real drag of `file` from drag_source.exe onto `to`; xdotool writes the
// system time right after it sends the button release to `stamp` (in
// nanoseconds since 1970). The release in 100 ns units since 1601, or 0.
ULONGLONG Drag(const fs::path& file, POINT to, const fs::path& stamp) {
  const int x = GetSystemMetrics(SM_CXSCREEN) - 60, y = GetSystemMetrics(SM_CYSCREEN) - 60;
  HANDLE drag = Spawn(Line({Here() / L"../tests/drag_source.exe", stamp.wstring() + L".drag",
                            std::to_wstring(x), std::to_wstring(y), L"--files", file}))
                    .release();
  if (!drag) return 0;
  auto caption = [](const wchar_t* text, DWORD ms = 5000) {
    return WaitFor([&] { return Text(FindWindowW(L"PlumDragSource", nullptr)) == text; }, ms);
  };
  caption(L"waiting", 15000);
  for (int i = 0; i < 20 && !caption(L"armed", 200); ++i)  // seen over the source first
    Xdo({L"mousemove", std::to_wstring(x + 24 + i % 3), std::to_wstring(y + 24)});
  Xdo({L"mousedown", L"1"});
  std::vector<std::wstring> moves;
  if (caption(L"dragging"))
    for (int i = 1; i <= 4; ++i)
      moves.insert(moves.end(), {L"mousemove", std::to_wstring(x + (to.x - x) * i / 4),
                                 std::to_wstring(y + (to.y - y) * i / 4), L"sleep", L"0.03"});
  moves.insert(moves.end(), {L"mousemove", std::to_wstring(to.x + 1), std::to_wstring(to.y),
                             L"sleep", L"0.08", L"mousemove", std::to_wstring(to.x),
                             std::to_wstring(to.y), L"sleep", L"0.08", L"mouseup", L"1", L"exec",
                             L"--sync", L"sh", L"-c", L"date +%s%N >\"$0\"", UnixPath(stamp)});
  fs::remove(stamp);
  const ULONGLONG sent = Now();
  const bool released = Xdo(moves);
  const ULONGLONG seen = Now();
  const bool ended = WaitForSingleObject(drag, 15000) == WAIT_OBJECT_0;
  TerminateProcess(drag, 1);
  CloseHandle(drag);
  const ULONGLONG release = std::strtoull(ReadFile(stamp).c_str(), nullptr, 10) / 100 +
                            11644473600ULL * 10000000;  // 1970 in 1601's units
  if (!released || !ended || ReadFile(stamp.wstring() + L".drag").rfind("40100 ", 0) != 0) return 0;
  if (release < sent || release > seen) {  // the two clocks must agree
    std::printf("the release stamp lies outside the xdotool call\n");
    return 0;
  }
  return release;
}

int Arg(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == name) return _wtoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = Arg(argc, argv, L"--runs", 20), drops = Arg(argc, argv, L"--drops", 50);
  Scratch app(L"bench app"), minimalApp(L"bench minimal"), work(L"bench work");
  const fs::path dock = app.dir / L"plum_dock.exe",
                 minimal = minimalApp.dir / L"minimal_window.exe",
                 stampTool = work.dir / L"stamp_tool.exe";
  fs::copy_file(Here() / L"../src/plum_dock.exe", dock);
  fs::copy_file(Here() / L"minimal_window.exe", minimal);
  fs::copy_file(Here() / L"stamp_tool.exe", stampTool);
  const std::string tool = Sjis(stampTool.wstring());
  WriteFile(app.dir / L"plum_dock.ini", "[PATH]\r\nINDEX_APPLET=" + tool + "\r\nINDEX_APP=" + tool +
                                            "\r\nINDEX_COMPILE=" + tool +
                                            "\r\n[CHECK]\r\nTOP=1\r\n");

  // Start-up, alternating, after one untimed start of each.
  StartOnce(dock, L"PlumDockMainForm");
  StartOnce(minimal, L"PlumBenchMinimalWindow");
  std::vector<double> v[7];  // in the order of the rows below
  for (int i = 0; i < runs; ++i) {
    const Start d = StartOnce(dock, L"PlumDockMainForm");
    const Start m = StartOnce(minimal, L"PlumBenchMinimalWindow");
    const Start c = StartOnce(minimal, L"PlumBenchMinimalWindow", L" --console");
    if (d.ms < 0 || m.ms < 0 || c.ms < 0) return std::printf("start-up %d failed\n", i), 1;
    for (auto [k, value] : {std::pair{0, d.ms},
                            {1, m.ms},
                            {2, c.ms},
                            {3, d.ms / m.ms},
                            {4, c.ms / m.ms},
                            {5, d.kib},
                            {6, m.kib}})
      v[k].push_back(value);
  }
  const char* rows[7][2] = {
      {"start-up to visible window, plum_dock.exe", "%.1f ms"},
      {"start-up to visible window, minimal_window.exe", "%.1f ms"},
      {"start-up to visible window, minimal_window.exe --console (a console of its own before "
       "the window shows, as the dock)",
       "%.1f ms"},
      {"start-up ratio of each pair, dock / minimal", "%.2fx"},
      {"start-up ratio of each pair, minimal --console / minimal", "%.2fx"},
      {"working set 1 s after the window showed, plum_dock.exe", "%.0f KiB"},
      {"working set 1 s after the window showed, minimal_window.exe", "%.0f KiB"}};
  for (int i = 0; i < 7; ++i) {
    std::printf("| %s (median of %d) | ", rows[i][0], runs);
    std::printf(rows[i][1], Median(v[i]));
    std::printf(" |\n");
  }

  // Drop to tool start: the dock passes the log's name on to the tool.
  const fs::path stamps = work.dir / L"stamps.txt", source = work.dir / L"Hello.java";
  SetEnvironmentVariableW(L"PLUM_STAMP_LOG", stamps.c_str());
  WriteFile(source, "class Hello {}");
  Dock running(app.dir);
  if (!running.main) return std::printf("the dock did not start\n"), 1;
  auto started = [&] {  // one line per run of the tool
    std::vector<ULONGLONG> out;
    std::istringstream in(ReadFile(stamps));
    for (std::string line; std::getline(in, line);) out.push_back(std::stoull(line));
    return out;
  };
  std::vector<double> latencies;
  for (int i = 0; i < drops; ++i) {
    const size_t before = started().size();
    const ULONGLONG release = Drag(source, running.SlotPoint(2), work.dir / L"release");
    if (WaitFor([&] { return started().size() > before; }, 15000) && release)
      latencies.push_back(static_cast<double>(started()[before] - release) / 10000);
    Sleep(200);
  }
  std::printf(
      "| drop to tool start: button release to the tool's first instruction "
      "(median of %zu of %d drops) | %.1f ms |\n",
      latencies.size(), drops, Median(latencies));
  return 0;
}
