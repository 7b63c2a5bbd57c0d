// Functions of system libraries that the program needs only after its window
// shows, loaded on first use instead of at process start: under Wine, loading
// a library such as comctl32 or comdlg32 with the process delays the window
// by tens of milliseconds. A library once loaded stays loaded.
//
// Deliberate: system libraries come from the system folder only. The program's own
// folder, searched first by default, is where the dock writes its scripts
// and often a download folder, so a comdlg32.dll planted there must never
// run inside the dock.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// Limits the process's library search to the system folder where the system
// offers that (Windows 8 on, Windows 7 with its update), so that libraries
// the system libraries load by name come from there too. Called first thing.
inline void RestrictLibrarySearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (restrict) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The library `name` (e.g. L"comdlg32.dll") from the system folder, or null
// (GetLastError tells why).
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system without the search flag: the library's full path.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

// `name` from the system library `library`, or null (GetLastError tells why).
template <class Function>
Function LateImport(const wchar_t* library, const char* name) {
  HMODULE module = LoadSystemLibrary(library);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace plum
