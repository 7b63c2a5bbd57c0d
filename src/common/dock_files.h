// Where the dock's files live: the app folder (the executable's, with the
// help pages) and the data folder (the settings file, the slot scripts and
// the applet viewer).
#pragma once

#include <string>

namespace plum {

inline constexpr wchar_t kSettingsFileName[] = L"plum_dock.ini";

// "plum_dock0.bat" .. "plum_dock2.bat".
std::wstring SlotScriptName(int slot);

struct DockFiles {
  std::wstring appFolder;   // the executable's folder, in its plain form, ending in '\'
  std::wstring dataFolder;  // the app folder, or the user's own folder; ends in '\'
  std::wstring settingsFile;
  // The app folder's settings file, which an administrator may fill, when
  // the data folder is the user's own; otherwise empty.
  std::wstring adminSettingsFile;
  // The dock's applet viewer, a Java source that a java of JDK 11 to 25 runs
  // on a page or source with applet tags.
  std::wstring viewer;

  std::wstring Script(int slot) const { return dataFolder + SlotScriptName(slot); }
};

DockFiles DockFilesIn(const std::wstring& appFolder, const std::wstring& dataFolder);

}  // namespace plum
