// Path helpers shared by the parts that hand paths to code-page functions.
#pragma once

#include <string>

namespace plum {

// The short (8.3) form of an existing file or folder, or empty when the
// system has none.
std::wstring ShortPathOf(const std::wstring& path);

// `path` in the ANSI code page, for the system's A functions. When a folder
// in it cannot be held by the code page, its short form is used instead; the
// last name (which may not exist yet) must be representable as it stands.
// Empty when no representable form exists.
std::string AnsiPathForFile(const std::wstring& path);

}  // namespace plum
