#include "test_support.h"

#include <shellapi.h>

#include <fstream>
#include <sstream>

#include "common/handles.h"

namespace test {

ScratchFolder::ScratchFolder(const std::wstring& name, const std::wstring& root) {
  std::wstring base = root;
  if (base.empty()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    base = temp;
  }
  if (base.back() != L'\\') base += L'\\';
  static unsigned counter = 0;
  for (;;) {
    path_ = base + name + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++counter) + L"\\";
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      path_.clear();
      break;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  if (!path_.empty()) DeleteTree(path_);
}

void DeleteTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = base + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(base.c_str());
}

std::string ReadBytes(const std::wstring& file) {
  plum::FileHandle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) return {};
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  return bytes;
}

void WriteBytes(const std::wstring& file, const std::string& bytes) {
  plum::FileHandle h(
      CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  if (h) WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs, const std::wstring& folder) {
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return -1;
  plum::KernelHandle process(pi.hProcess), thread(pi.hThread);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return static_cast<int>(code);
}

std::vector<ToolRun> ReadToolRuns(const std::wstring& logFile) {
  // The log is UTF-8: "run" starts a record, then "program=", "folder=" and
  // one "arg=" line per argument.
  std::vector<ToolRun> runs;
  std::istringstream in(ReadBytes(logFile));
  std::string line;
  while (std::getline(in, line)) {
    if (line == "run") {
      runs.emplace_back();
    } else if (!runs.empty()) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq);
      std::wstring value = FromUtf8(line.substr(eq + 1));
      if (key == "folder") runs.back().folder = value;
      if (key == "program") runs.back().program = value;
      if (key == "arg") runs.back().arguments.push_back(value);
    }
  }
  return runs;
}

std::vector<ToolRun> WaitForToolRuns(const std::wstring& logFile, size_t count, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (ReadToolRuns(logFile).size() < count && GetTickCount64() < end) Sleep(50);
  Sleep(300);
  return ReadToolRuns(logFile);
}

}  // namespace test
