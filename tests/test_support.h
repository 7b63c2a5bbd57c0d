// Helpers shared by the test programs: scratch folders, file bytes, running
// programs and reading the fake tool's log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A fresh folder under the temp folder (or under `root`), deleted with its
// contents when the object goes away.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name = L"plum", const std::wstring& root = L"");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Ends in a backslash.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

std::string ReadBytes(const std::wstring& file);
void WriteBytes(const std::wstring& file, const std::string& bytes);
bool FileExists(const std::wstring& path);
void DeleteTree(const std::wstring& folder);
std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The folder of this test program, ending in a backslash.
std::wstring ProgramFolder();

// Runs a command line, waits up to `timeoutMs` and returns the exit code
// (or -1 when it could not start or did not end in time).
int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 30000,
               const std::wstring& folder = L"");

// One run of the fake tool, as it recorded itself.
struct ToolRun {
  std::wstring folder;
  std::vector<std::wstring> arguments;
  std::wstring program;
};
// Parses the fake tool's log; missing log reads as no runs.
std::vector<ToolRun> ReadToolRuns(const std::wstring& logFile);
// Waits until the log holds `count` runs (or the time is up), then a little
// longer so that an unexpected further run shows too; returns the runs.
std::vector<ToolRun> WaitForToolRuns(const std::wstring& logFile, size_t count,
                                     DWORD timeoutMs = 15000);

}  // namespace test
