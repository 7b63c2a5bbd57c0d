#include "common/process.h"

#include <vector>

#include "common/handles.h"

namespace plum {

DWORD StartProcess(const std::wstring& commandLine) {
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');  // CreateProcessW may write into its command line
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return GetLastError();
  KernelHandle processHandle(process.hProcess);
  KernelHandle threadHandle(process.hThread);
  return 0;
}

}  // namespace plum
