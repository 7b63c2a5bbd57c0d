// The About window: product name, version, notices and a link label that
// opens the author's web page. Created afresh on every opening, shown
// modally, destroyed by its OK button.
#pragma once

#include <windows.h>

#include <string>

namespace plum {

// The link label's caption for a web address (shown without a closing slash).
std::wstring LinkCaption(const std::wstring& address);

// Creates the About window over `owner` and returns once it is destroyed.
void ShowVersionForm(HINSTANCE instance, HWND owner);

}  // namespace plum
