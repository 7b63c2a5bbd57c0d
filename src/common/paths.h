// What the file system says of a path: whether it names a file, and its
// short form for the parts that hand paths to code-page functions; the
// program's own path and the environment's values.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// The executable's path as the system gives it (possibly in a \\?\ form).
std::wstring ExecutablePath();

// `path` without the prefix of the extended form: "\\?\UNC\server\share"
// (or "UNC\server\share", as Wine gives it) becomes "\\server\share" and
// "\\?\C:\" becomes "C:\"; any other path is as given.
std::wstring PlainPath(std::wstring path);

// The environment variable `name`, or empty when it is not set.
std::wstring EnvironmentValue(const wchar_t* name);

// The short (8.3) form of an existing file or folder, or empty when the
// system has none.
std::wstring ShortPathOf(const std::wstring& path);

// Whether `path` names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

// The first `most` bytes of the file `path`, or all of a shorter one; none
// when it cannot be read.
std::string ReadFileStart(const std::wstring& path, DWORD most);

// When the file `path` was last written, in the system's file time; 0 when
// it is not an existing file.
ULONGLONG LastWritten(const std::wstring& path);

}  // namespace plum
