// Handles under load: after a warm-up, many drops and openings of the
// settings dialog and the About window must leave the dock's kernel handles
// and its GDI and USER objects where they were, within a small bound.
//
// Under this Wine GetGuiResources and GetProcessHandleCount always answer 0,
// so the counts come from elsewhere:
//   kernel  the dock's entries in the system handle list
//           (NtQuerySystemInformation, class 16);
//   GDI     the live entries of the dock's own GDI handle table, which Wine
//           keeps in the process and points to from the PEB
//           (GdiSharedHandleTable); it sees any GDI object, wrapped or not;
//   USER    the USER objects (icons, pointers, windows) the handle wrappers
//           own, as plum_dock_counted.exe reports them, and the dock's
//           windows, top-level and child, as any process can list them.
// plum_dock_counted.exe also takes drops over WM_COPYDATA, so hundreds of
// them take no real drags; they then go the way a real drop goes.
// plum_dock_leaky.exe leaks one brush per drop: the test must catch it.
//
//   PLUM_LEAK_DROPS / PLUM_LEAK_SETTINGS / PLUM_LEAK_ABOUTS  the counts
//   (scripts/benchmark.sh runs 500 / 100 / 100).
#include <gtest/gtest.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/object_count.h"
#include "forms/main_form.h"
#include "gui_driver.h"

namespace {

constexpr long kSlack = 4;       // what one more lazily made object may add
constexpr long kCachedDcs = 24;  // how far Wine's DC cache was seen to grow after a warm-up
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

int EnvCount(const wchar_t* name, int fallback) {
  wchar_t text[32];
  const DWORD n = GetEnvironmentVariableW(name, text, 32);
  return n == 0 || n >= 32 ? fallback : _wtoi(text);
}

// The system handle list (class 16) as Windows and Wine lay it out.
struct HandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT handle;
  void* object;
  ULONG grantedAccess;
};
struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};

long KernelHandles(DWORD pid) {
  std::vector<BYTE> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status =
        NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status != 0) return -1;
    break;
  }
  const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
  long n = 0;
  for (ULONG i = 0; i < list->count; ++i)
    if (list->entries[i].processId == static_cast<USHORT>(pid)) ++n;
  return n;
}

// Wine's per-process GDI handle table: 16384 entries of 24 bytes; an entry
// is live while its object pointer is set.
struct GdiEntry {
  uint64_t object;
  uint32_t owner;
  uint8_t type;
  uint8_t flags;
  uint16_t unique;
  uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24, "Wine's GDI handle entry");
constexpr size_t kGdiEntries = 16384;
constexpr size_t kPebGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

struct GdiObjects {
  long all = -1;
  long deviceContexts = -1;
};

constexpr uint8_t kDeviceContextType = 0x01;

GdiObjects GdiTableObjects(HANDLE process) {
  GdiObjects objects;
  PROCESS_BASIC_INFORMATION info = {};
  ULONG length = 0;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &length))
    return objects;
  void* table = nullptr;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<BYTE*>(info.PebBaseAddress) + kPebGdiTableOffset,
                         &table, sizeof table, &read) ||
      !table)
    return objects;
  std::vector<GdiEntry> entries(kGdiEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiEntry), &read))
    return objects;
  objects.all = objects.deviceContexts = 0;
  for (const GdiEntry& e : entries) {
    if (!e.object) continue;
    ++objects.all;
    if (e.type == kDeviceContextType) ++objects.deviceContexts;
  }
  return objects;
}

struct Counts {
  long kernel = 0;
  long gdiTable = 0;  // beside the cached device contexts, see Measure
  long deviceContexts = 0;
  long wrappedKernel = 0;
  long wrappedGdi = 0;
  long wrappedUser = 0;
  long windows = 0;
};

long Wrapped(HWND dock, plum::ObjectKind kind) {
  static const UINT message = RegisterWindowMessageW(plum::kObjectCountMessage);
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(dock, message, static_cast<WPARAM>(kind), 0, SMTO_ABORTIFHUNG, 5000,
                           &answer))
    return -1;
  return static_cast<long>(answer);
}

Counts Measure(const test::DockProcess& dock) {
  Counts c;
  c.kernel = KernelHandles(dock.pid());
  // Wine keeps a cache of device contexts that grows, up to a limit, as
  // windows come and go, each with a region and a bitmap of its own. Those
  // three are counted apart; a DC that is never released grows the cache
  // without limit and shows in its own row.
  const GdiObjects gdi = GdiTableObjects(dock.process());
  c.deviceContexts = gdi.deviceContexts;
  c.gdiTable = gdi.all < 0 ? -1 : gdi.all - 3 * gdi.deviceContexts;
  c.wrappedKernel = Wrapped(dock.window(), plum::ObjectKind::Kernel);
  c.wrappedGdi = Wrapped(dock.window(), plum::ObjectKind::Gdi);
  c.wrappedUser = Wrapped(dock.window(), plum::ObjectKind::User);
  for (HWND top : test::TopLevelWindows(dock.pid(), false))
    c.windows += 1 + static_cast<long>(test::ChildWindows(top).size());
  return c;
}

struct Load {
  int drops;
  int settings;
  int abouts;
};

struct Outcome {
  std::string error;  // empty when the load ran as planned
  Counts before, after;
};

// Starts `exeName` (beside this test) with the fake tool in every slot and
// puts the load on it after a warm-up round.
Outcome Exercise(const std::wstring& exeName, const Load& load) {
  Outcome out;
  test::ScratchFolder app(L"leak app");
  test::ScratchFolder work(L"leak work");
  const std::wstring tool = test::ProgramFolder() + L"fake_tool.exe";
  const std::wstring log = work.path() + L"tool.log";
  const std::wstring source = work.path() + L"Hello.java";
  test::WriteBytes(source, "class Hello {}");
  test::WriteBytes(app.path() + L"plum_dock.ini", "[PATH]\r\nINDEX_APPLET=" + test::Utf8(tool) +
                                                      "\r\nINDEX_APP=" + test::Utf8(tool) +
                                                      "\r\nINDEX_COMPILE=" + test::Utf8(tool) +
                                                      "\r\n[CHECK]\r\nTOP=0\r\n");
  SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", log.c_str());

  test::LaunchOptions options;
  options.appFolder = app.path();
  options.windowClass = L"PlumDockMainForm";
  test::DockProcess dock(test::ProgramFolder() + L"..\\src\\" + exeName, options);
  SetEnvironmentVariableW(L"PLUM_FAKE_TOOL_LOG", nullptr);
  if (!dock.ok()) {
    out.error = "the dock did not start: " + test::Utf8(dock.error());
    return out;
  }
  const HWND main = dock.window();
  size_t dropped = 0;

  auto drop = [&](int slot) {
    COPYDATASTRUCT data = {static_cast<ULONG_PTR>(slot),
                           static_cast<DWORD>(source.size() * sizeof(wchar_t)),
                           const_cast<wchar_t*>(source.c_str())};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 5000, &answer) ||
        !answer)
      return false;
    ++dropped;
    // One run at a time: the tool's record shows the script has run.
    return test::WaitFor([&] { return test::ReadToolRuns(log).size() >= dropped; }, 15000, 10);
  };
  auto openSettings = [&] {
    PostMessageW(main, WM_COMMAND, plum::kCmdSetting, 0);
    HWND form = nullptr;
    if (!test::WaitFor([&] { return (form = test::FindTopLevel(dock.pid(), L"PlumDockSetForm")); },
                       5000, 5))
      return false;
    test::PressButton(form, L"ｷｬﾝｾﾙ");
    return test::WaitFor([&] { return !IsWindowVisible(form); }, 5000, 5);
  };
  auto openAbout = [&] {
    PostMessageW(main, WM_COMMAND, plum::kCmdVersion, 0);
    HWND form = nullptr;
    if (!test::WaitFor(
            [&] { return (form = test::FindTopLevel(dock.pid(), L"PlumDockVersionForm")); }, 5000,
            5))
      return false;
    test::PressButton(form, IDOK);
    return test::WaitFor([&] { return !IsWindow(form); }, 5000, 5);
  };
  auto run = [&](const Load& l) -> std::string {
    const int rounds = std::max({l.drops, l.settings, l.abouts});
    for (int i = 0; i < rounds; ++i) {
      // Spread evenly: round i does its share of each kind.
      if (i * l.drops / rounds != (i + 1) * l.drops / rounds && !drop(i % 3))
        return "drop " + std::to_string(i) + " did not run the tool";
      if (i * l.settings / rounds != (i + 1) * l.settings / rounds && !openSettings())
        return "the settings dialog did not open and close";
      if (i * l.abouts / rounds != (i + 1) * l.abouts / rounds && !openAbout())
        return "the About window did not open and close";
    }
    return {};
  };

  out.error = run({6, 10, 10});
  if (!out.error.empty()) return out;
  Sleep(300);
  out.before = Measure(dock);
  out.error = run(load);
  if (!out.error.empty()) return out;
  Sleep(300);
  out.after = Measure(dock);
  if (dock.Exited()) out.error = "the dock ended";
  return out;
}

// The rows of the report, and which grew past the bound.
std::vector<std::string> Grown(const Outcome& o, bool print) {
  struct Row {
    const char* name;
    long before, after;
  } rows[] = {
      {"kernel handles (system handle list)", o.before.kernel, o.after.kernel},
      {"GDI objects beside cached DCs (GDI table)", o.before.gdiTable, o.after.gdiTable},
      {"device contexts (GDI table)", o.before.deviceContexts, o.after.deviceContexts},
      {"kernel handles owned by wrappers", o.before.wrappedKernel, o.after.wrappedKernel},
      {"GDI objects owned by wrappers", o.before.wrappedGdi, o.after.wrappedGdi},
      {"USER objects owned by wrappers", o.before.wrappedUser, o.after.wrappedUser},
      {"windows (top-level and child)", o.before.windows, o.after.windows},
  };
  std::vector<std::string> grown;
  for (const Row& r : rows) {
    if (print)
      std::printf("| %-40s | %6ld | %6ld | %+5ld |\n", r.name, r.before, r.after,
                  r.after - r.before);
    if (r.before < 0 || r.after < 0)
      grown.push_back(std::string(r.name) + " could not be read");
    else if (r.after - r.before > (r.name[0] == 'd' && r.name[1] == 'e' ? kCachedDcs : kSlack))
      grown.push_back(r.name);
  }
  std::fflush(stdout);
  return grown;
}

TEST(Handles, DropsAndWindowsLeaveTheCountsWhereTheyWere) {
  const Load load = {EnvCount(L"PLUM_LEAK_DROPS", 40), EnvCount(L"PLUM_LEAK_SETTINGS", 10),
                     EnvCount(L"PLUM_LEAK_ABOUTS", 10)};
  const Outcome o = Exercise(L"plum_dock_counted.exe", load);
  ASSERT_EQ(o.error, "");
  std::printf(
      "plum_dock_counted.exe after %d drops, %d settings dialogs, %d About windows\n"
      "| count | after warm-up | after the load | change |\n|---|---:|---:|---:|\n",
      load.drops, load.settings, load.abouts);
  EXPECT_EQ(Grown(o, true), std::vector<std::string>{});
  // The sources see the dock at all.
  EXPECT_GT(o.before.kernel, 0);
  EXPECT_GT(o.before.gdiTable, 0);
  EXPECT_GT(o.before.wrappedGdi, 0);   // the slot pictures
  EXPECT_GT(o.before.wrappedUser, 0);  // the window icons
}

TEST(Handles, ABuildThatLeaksABrushPerDropIsCaught) {
  const Outcome o = Exercise(L"plum_dock_leaky.exe", {20, 2, 2});
  ASSERT_EQ(o.error, "");
  const std::vector<std::string> grown = Grown(o, true);
  EXPECT_EQ(grown, std::vector<std::string>{"GDI objects beside cached DCs (GDI table)"});
  EXPECT_GE(o.after.gdiTable - o.before.gdiTable, 20);
}

}  // namespace
