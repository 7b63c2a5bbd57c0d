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
// old ones go back should that write fail part way.
struct Replacement {
  DWORD error = 0;  // 0 when the new contents are in place; else the system's error
  // The old contents could not be put back either: the file may hold part
  // of the new ones. Otherwise a failure leaves the old file as it was.
  bool damaged = false;
};
Replacement ReplaceFileContents(const std::wstring& path, const std::string& bytes);

}  // namespace plum
