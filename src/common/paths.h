// The short form of a path, for the parts that hand paths to code-page
// functions.
#pragma once

#include <string>

namespace plum {

// The short (8.3) form of an existing file or folder, or empty when the
// system has none.
std::wstring ShortPathOf(const std::wstring& path);

}  // namespace plum
