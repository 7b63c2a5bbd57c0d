// Functions of system libraries that the program looks up when first needed
// instead of linking them: those that older systems lack, and those it needs
// only after its window shows (under Wine, loading a library such as comctl32
// or comdlg32 with the process delays the window by tens of milliseconds). A
// library once loaded stays loaded.
//
// Deliberate: system libraries come from the system folder only. The program's own
// folder, searched first by default, is where the dock writes its scripts
// and often a download folder, so a comdlg32.dll planted there must never
// run inside the dock.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <winver.h>

#include <string>

namespace plum {

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

// A function of a system library, looked up on the first call of get() only
// (the program has one thread); get() gives null when it is missing, and
// GetLastError then tells why.
class LateSymbol {
 public:
  constexpr LateSymbol(const wchar_t* library, const char* name) : library_(library), name_(name) {}
  const wchar_t* library() const { return library_; }

 protected:
  FARPROC Find() {
    if (!looked_) {
      found_ = LateImport<FARPROC>(library_, name_);
      error_ = GetLastError();
      looked_ = true;
    }
    if (!found_) SetLastError(error_);
    return found_;
  }

 private:
  const wchar_t* library_;
  const char* name_;
  FARPROC found_ = nullptr;
  DWORD error_ = 0;
  bool looked_ = false;
};

template <class Function>
class LateFunction : public LateSymbol {
 public:
  using LateSymbol::LateSymbol;
  Function get() { return reinterpret_cast<Function>(reinterpret_cast<void*>(Find())); }
};

// Every late-loaded function, typed from its declaration in the system
// headers: late.GetDpiForWindow.get() is a decltype(&::GetDpiForWindow).
struct LateFunctions {
  LateFunction<decltype(&::SetDefaultDllDirectories)> SetDefaultDllDirectories{
      L"kernel32.dll", "SetDefaultDllDirectories"};
  LateFunction<decltype(&::GetDpiForWindow)> GetDpiForWindow{L"user32.dll", "GetDpiForWindow"};
  LateFunction<decltype(&::GetSystemMetricsForDpi)> GetSystemMetricsForDpi{
      L"user32.dll", "GetSystemMetricsForDpi"};
  LateFunction<decltype(&::InitCommonControlsEx)> InitCommonControlsEx{L"comctl32.dll",
                                                                       "InitCommonControlsEx"};
  LateFunction<decltype(&::GetOpenFileNameW)> GetOpenFileNameW{L"comdlg32.dll", "GetOpenFileNameW"};
  LateFunction<decltype(&::CommDlgExtendedError)> CommDlgExtendedError{L"comdlg32.dll",
                                                                       "CommDlgExtendedError"};
  LateFunction<decltype(&::GetFileVersionInfoSizeW)> GetFileVersionInfoSizeW{
      L"version.dll", "GetFileVersionInfoSizeW"};
  LateFunction<decltype(&::GetFileVersionInfoW)> GetFileVersionInfoW{L"version.dll",
                                                                     "GetFileVersionInfoW"};
  LateFunction<decltype(&::VerQueryValueW)> VerQueryValueW{L"version.dll", "VerQueryValueW"};
};
extern LateFunctions late;  // in late_import.cpp, so that its texts are stored once

// Limits the process's library search to the system folder where the system
// offers that (Windows 8 on, Windows 7 with its update), so that libraries
// the system libraries load by name come from there too. Called first thing.
inline void RestrictLibrarySearch() {
  if (const auto restrict = late.SetDefaultDllDirectories.get())
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace plum
