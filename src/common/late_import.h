// Functions of system libraries that the program needs only after its window
// shows, loaded on first use instead of at process start: under Wine, loading
// a library such as comctl32 or comdlg32 with the process delays the window
// by tens of milliseconds. A library once loaded stays loaded.
#pragma once

#include <windows.h>

namespace plum {

// `name` from `library`, or null (GetLastError tells why).
template <class Function>
Function LateImport(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (!module) module = LoadLibraryW(library);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace plum
