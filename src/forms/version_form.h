// The About window: product name, version, notices and a link label that
// opens the author's web page. Created afresh on every opening, shown
// modally, destroyed by its OK button.
#pragma once

#include <windows.h>

namespace plum {

// Creates the About window over `owner` and returns once it is destroyed.
void ShowVersionForm(HINSTANCE instance, HWND owner);

}  // namespace plum
