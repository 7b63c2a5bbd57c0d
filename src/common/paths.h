// What the file system says of a path: whether it names a file, and its
// short form for the parts that hand paths to code-page functions.
#pragma once

#include <string>

namespace plum {

// The short (8.3) form of an existing file or folder, or empty when the
// system has none.
std::wstring ShortPathOf(const std::wstring& path);

// Whether `path` names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

}  // namespace plum
