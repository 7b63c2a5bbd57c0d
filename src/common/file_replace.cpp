#include "common/file_replace.h"

#include "common/handles.h"

namespace plum {
namespace {

// Writes the whole of `bytes` from the start of `file` and cuts it there.
bool WriteWhole(HANDLE file, const std::string& bytes) {
  DWORD done = 0;
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
         WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
         done == bytes.size() && SetEndOfFile(file) && FlushFileBuffers(file);
}

// Replaces the contents of the existing file `path` with `bytes`; when the
// write fails part way, the old contents go back.
Replacement RewriteInPlace(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {GetLastError()};
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return {GetLastError()};
  std::string old(size, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), old.data(), size, &read, nullptr)) return {GetLastError()};
  old.resize(read);
  if (WriteWhole(file.get(), bytes)) return {};
  const DWORD error = GetLastError();
  return {error, !WriteWhole(file.get(), old)};
}

// Writes `bytes` as the new file `path`; 0 or the system's error, with no
// file left behind.
DWORD WriteNewFile(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  DWORD written = 0;
  if (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size())
    return 0;
  const DWORD error = GetLastError();
  file.reset();
  DeleteFileW(path.c_str());
  return error;
}

}  // namespace

Replacement ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
  const std::wstring sibling = path + L".new";
  if (const DWORD error = WriteNewFile(sibling, bytes)) return {error};
  if (MoveFileExW(sibling.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return {};
  // Deliberate: a held file is rewritten in place. The move is refused while
  // another program holds the file open (Wine's cmd.exe holds a script for
  // the batch's whole run, sharing writes); the new text is known to be
  // writable, so it goes into the file itself.
  const Replacement rewritten = RewriteInPlace(path, bytes);
  DeleteFileW(sibling.c_str());
  return rewritten;
}

}  // namespace plum
