// Starting a program as a new process without waiting for it.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// Starts `commandLine` as a new process whose window is shown normally and
// given the focus; no working folder and no console options are passed.
// Returns 0 on success, otherwise the system's error code.
DWORD StartProcess(const std::wstring& commandLine);

}  // namespace plum
