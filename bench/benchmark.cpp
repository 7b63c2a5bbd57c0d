// plum_bench.exe: start-up and drop latency of the dock, measured under the
// Wine test bed (scripts/benchmark.sh runs it). Prints markdown rows.
//
//   start-up   process creation to the main window being visible, the dock
//              and minimal_window.exe alternately, --runs times each;
//              then each one's working set a second after its window showed
//   drop       a real OLE drag of a file onto slot 2 (drag_source.exe); the
//              clock starts when the release is sent (xdotool mouseup) and
//              stops at the first instruction of the tool the script starts
//              (stamp_tool.exe), --drops times
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms/main_form.h"
#include "gui_driver.h"

namespace {

double Seconds(LONGLONG ticks) {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The visible top-level window of class `windowClass` that process `pid`
// owns. Looked up by class, a single request to the window server when no
// other window has the class, so that polling every millisecond does not slow
// the program it times (enumerating every window each time did).
HWND VisibleWindowOf(DWORD pid, const std::wstring& windowClass) {
  HWND hwnd = nullptr;
  while ((hwnd = FindWindowExW(nullptr, hwnd, windowClass.c_str(), nullptr))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
  }
  return nullptr;
}

struct Start {
  double seconds = -1;
  SIZE_T workingSet = 0;
};

// Starts `exe` in its folder, times it to its first visible window of
// `windowClass`, reads its working set a second later and ends it.
Start StartOnce(const std::wstring& exe, const std::wstring& windowClass,
                const std::wstring& arguments = L"") {
  Start s;
  std::wstring line = L"\"" + exe + L"\"" + arguments;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const LONGLONG t0 = Now();
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi))
    return s;
  plum::KernelHandle process(pi.hProcess), thread(pi.hThread);
  for (int i = 0; i < 30000; ++i) {
    HWND w = VisibleWindowOf(pi.dwProcessId, windowClass);
    if (w) {
      s.seconds = Seconds(Now() - t0);
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  Sleep(1000);
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters))
    s.workingSet = counters.WorkingSetSize;
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  return s;
}

// Starts `exe` `runs` times with PLUM_STARTUP_MARKS set, and prints the
// median end and length of each start-up step it notes.
void PrintStartUpSteps(const std::wstring& label, const std::wstring& exe,
                       const std::wstring& windowClass, const std::wstring& folder, int runs) {
  const std::wstring marksFile = folder + L"marks.txt";
  DeleteFileW(marksFile.c_str());
  SetEnvironmentVariableW(L"PLUM_STARTUP_MARKS", marksFile.c_str());
  for (int i = 0; i < runs; ++i) StartOnce(exe, windowClass);
  SetEnvironmentVariableW(L"PLUM_STARTUP_MARKS", nullptr);
  std::vector<std::string> steps;
  std::vector<std::vector<double>> ends, takes;
  const std::string marks = test::ReadBytes(marksFile);
  double previous = 0;
  for (size_t at = 0, next; at < marks.size(); at = next + 1) {
    next = marks.find('\n', at);
    if (next == std::string::npos) next = marks.size();
    const std::string line = marks.substr(at, next - at);
    const size_t space = line.rfind(' ');
    if (space == std::string::npos) {  // the empty line after each start
      previous = 0;
      continue;
    }
    const std::string step = line.substr(0, space);
    const double end = std::atof(line.c_str() + space + 1);
    const size_t i = std::find(steps.begin(), steps.end(), step) - steps.begin();
    if (i == steps.size()) {
      steps.push_back(step);
      ends.emplace_back();
      takes.emplace_back();
    }
    ends[i].push_back(end);
    takes[i].push_back(end - previous);
    previous = end;
  }
  for (size_t i = 0; i < steps.size(); ++i)
    std::printf("| start-up step of %s: %s (median of %zu) | ends at %.1f ms, takes %.1f ms |\n",
                test::Utf8(label).c_str(), steps[i].c_str(), ends[i].size(), Median(ends[i]),
                Median(takes[i]));
  std::fflush(stdout);
}

std::wstring Copy(const std::wstring& from, const std::wstring& folder) {
  const std::wstring to = folder + from.substr(from.find_last_of(L'\\') + 1);
  CopyFileW(from.c_str(), to.c_str(), FALSE);
  return to;
}

size_t Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// One real drag of `file` onto `target`; the release's start and end and the
// tool's first instruction, or false.
bool DragOnce(const std::wstring& file, POINT target, const std::wstring& stampLog,
              LONGLONG* released, LONGLONG* releaseReturned, LONGLONG* toolStarted) {
  const size_t before = Lines(test::ReadBytes(stampLog));
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const POINT start = {width - 48 - 8, 8};
  const std::wstring source = test::ProgramFolder() + L"drag_source.exe";
  std::wstring line = L"\"" + source + L"\" --at " + std::to_wstring(start.x) + L" " +
                      std::to_wstring(start.y) + L" --files \"" + file + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(source.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi))
    return false;
  plum::KernelHandle process(pi.hProcess), thread(pi.hThread);
  auto fail = [&] {
    test::MouseUp(test::CursorPos().x, test::CursorPos().y);
    TerminateProcess(pi.hProcess, 255);
    WaitForSingleObject(pi.hProcess, 5000);
    return false;
  };
  HWND window = nullptr;
  if (!test::WaitFor(
          [&] { return (window = test::FindTopLevel(pi.dwProcessId, L"PlumDragSource")); }, 15000,
          10))
    return fail();
  const POINT grip = {start.x + 24, start.y + 24};
  bool armed = false;
  for (int attempt = 0; attempt < 10 && !armed; ++attempt) {
    test::MoveMouse(grip.x + attempt % 3 - 1, grip.y);
    armed = test::WaitFor([&] { return test::WindowText(window) == L"armed"; }, 500, 10);
  }
  if (!armed || !test::Xdotool({L"mousedown", L"1"}) ||
      !test::WaitFor([&] { return test::WindowText(window) == L"dragging"; }, 5000, 10))
    return fail();
  std::vector<std::wstring> moves;
  for (int i = 1; i <= 4; ++i)
    moves.insert(moves.end(),
                 {L"mousemove", std::to_wstring(grip.x + (target.x - grip.x) * i / 4),
                  std::to_wstring(grip.y + (target.y - grip.y) * i / 4), L"sleep", L"0.03"});
  moves.insert(moves.end(), {L"mousemove", std::to_wstring(target.x + 1), std::to_wstring(target.y),
                             L"sleep", L"0.08", L"mousemove", std::to_wstring(target.x),
                             std::to_wstring(target.y), L"sleep", L"0.08"});
  if (!test::Xdotool(moves)) return fail();
  *released = Now();
  if (!test::Xdotool({L"mouseup", L"1"})) return fail();
  *releaseReturned = Now();
  std::string stamps;
  if (!test::WaitFor([&] { return Lines(stamps = test::ReadBytes(stampLog)) > before; }, 15000, 2))
    return fail();
  WaitForSingleObject(pi.hProcess, 15000);
  size_t from = 0;
  for (size_t i = 0; i < before; ++i) from = stamps.find('\n', from) + 1;
  *toolStarted = _strtoi64(stamps.c_str() + from, nullptr, 10);
  return true;
}

int Arg(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == name) return _wtoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = Arg(argc, argv, L"--runs", 20);
  const int drops = Arg(argc, argv, L"--drops", 50);
  const std::wstring here = test::ProgramFolder();
  test::ScratchFolder dockFolder(L"bench dock"), minimalFolder(L"bench minimal"),
      work(L"bench work");
  const std::wstring stamp = Copy(here + L"stamp_tool.exe", work.path());
  const std::wstring dock = Copy(here + L"..\\src\\plum_dock.exe", dockFolder.path());
  const std::wstring minimal = Copy(here + L"minimal_window.exe", minimalFolder.path());
  test::WriteBytes(dockFolder.path() + L"plum_dock.ini",
                   "[PATH]\r\nINDEX_APPLET=" + test::Utf8(stamp) +
                       "\r\nINDEX_APP=" + test::Utf8(stamp) +
                       "\r\nINDEX_COMPILE=" + test::Utf8(stamp) + "\r\n[CHECK]\r\nTOP=1\r\n");

  // Start-up, alternating, after one untimed start of each.
  StartOnce(dock, L"PlumDockMainForm");
  StartOnce(minimal, L"PlumBenchMinimalWindow");
  std::vector<double> dockTimes, minimalTimes, consoleTimes, ratios, consoleRatios;
  std::vector<double> dockSets, minimalSets;
  for (int i = 0; i < runs; ++i) {
    const Start d = StartOnce(dock, L"PlumDockMainForm");
    const Start m = StartOnce(minimal, L"PlumBenchMinimalWindow");
    const Start c = StartOnce(minimal, L"PlumBenchMinimalWindow", L" --console");
    if (d.seconds < 0 || m.seconds < 0 || c.seconds < 0) {
      std::printf("start-up run %d failed\n", i);
      return 1;
    }
    dockTimes.push_back(d.seconds);
    minimalTimes.push_back(m.seconds);
    consoleTimes.push_back(c.seconds);
    consoleRatios.push_back(c.seconds / m.seconds);
    ratios.push_back(d.seconds / m.seconds);
    dockSets.push_back(static_cast<double>(d.workingSet) / 1024.0);
    minimalSets.push_back(static_cast<double>(m.workingSet) / 1024.0);
  }
  std::printf("| start-up to visible window, plum_dock.exe (median of %d) | %.1f ms |\n", runs,
              Median(dockTimes) * 1000);
  std::printf("| start-up to visible window, minimal_window.exe (median of %d) | %.1f ms |\n", runs,
              Median(minimalTimes) * 1000);
  std::printf(
      "| start-up to visible window, minimal_window.exe --console (a console of its own "
      "before the window shows, as the dock; median of %d) | %.1f ms |\n",
      runs, Median(consoleTimes) * 1000);
  std::printf("| start-up ratio, dock / minimal (median of the %d paired ratios) | %.2fx |\n", runs,
              Median(ratios));
  std::printf(
      "| start-up ratio, minimal --console / minimal (median of the %d paired ratios) | "
      "%.2fx |\n",
      runs, Median(consoleRatios));
  std::printf("| working set 1 s after the window showed, plum_dock.exe (median) | %.0f KiB |\n",
              Median(dockSets));
  std::printf(
      "| working set 1 s after the window showed, minimal_window.exe (median) | %.0f KiB |\n",
      Median(minimalSets));
  std::fflush(stdout);

  // Where start-up goes: plum_dock_timed.exe and the minimal program note
  // when each of their steps ends, counted from their process's creation.
  const std::wstring timed = Copy(here + L"..\\src\\plum_dock_timed.exe", dockFolder.path());
  PrintStartUpSteps(L"plum_dock_timed.exe", timed, L"PlumDockMainForm", work.path(), runs);
  PrintStartUpSteps(L"minimal_window.exe", minimal, L"PlumBenchMinimalWindow", work.path(), runs);

  // Drop to tool start.
  SetEnvironmentVariableW(L"PLUM_STAMP_LOG", (work.path() + L"stamps.txt").c_str());
  test::LaunchOptions options;
  options.appFolder = dockFolder.path();
  options.windowClass = L"PlumDockMainForm";
  test::DockProcess running(here + L"..\\src\\plum_dock.exe", options);
  if (!running.ok()) {
    std::printf("the dock did not start: %s\n", test::Utf8(running.error()).c_str());
    return 1;
  }
  // Away from the console, which each run brings forward.
  SetWindowPos(running.window(), nullptr, GetSystemMetrics(SM_CXSCREEN) - 500,
               GetSystemMetrics(SM_CYSCREEN) - 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Sleep(300);
  const std::wstring source = work.path() + L"Hello.java";
  test::WriteBytes(source, "class Hello {}");
  HWND slot = test::FindChild(running.window(), plum::kRunControlId + 2);
  const RECT r = test::WindowRectOnScreen(slot);
  const POINT target = {r.left + 25, r.top + 25};
  std::vector<double> fromSend, fromReturn;
  for (int i = 0; i < drops; ++i) {
    LONGLONG sent = 0, returned = 0, tool = 0;
    if (!DragOnce(source, target, work.path() + L"stamps.txt", &sent, &returned, &tool)) {
      std::printf("drop %d failed\n", i);
      continue;
    }
    fromSend.push_back(Seconds(tool - sent));
    fromReturn.push_back(Seconds(tool - returned));
    Sleep(200);
  }
  std::printf("| drop to tool start, from sending the release (median of %zu) | %.1f ms |\n",
              fromSend.size(), Median(fromSend) * 1000);
  std::printf(
      "| drop to tool start, from the release command's return (median of %zu) | %.1f ms |\n",
      fromReturn.size(), Median(fromReturn) * 1000);
  return 0;
}
