// Replacing a file's whole contents so that no reader ever finds it half
// written.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// Puts `bytes` in place of the contents of `path`, creating it if need be:
// written to a sibling file first ("<path>.new"), which is then moved over
// it. When the move is refused because another program holds `path` open
// (sharing writes), the new bytes are written into the file itself, and the
// old ones go back should that write fail part way. 0 when the new contents
// are in place; otherwise the system's error, with the old file untouched.
DWORD ReplaceFileContents(const std::wstring& path, const std::string& bytes);

}  // namespace plum
