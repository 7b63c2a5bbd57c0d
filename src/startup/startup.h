// The program's start: the app folder and the data folder, the two
// long-lived windows and the live settings' first values.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plum {

// The folder of an executable's path in its plain form, always ending in a
// backslash.
std::wstring AppFolderOf(std::wstring_view executablePath);

// Runs the start-up sequence and shows the main window. False when a window
// could not be created.
bool StartUp(HINSTANCE instance);

}  // namespace plum
