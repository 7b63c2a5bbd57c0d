#include "common/dock_files.h"

#include "common/text.h"

namespace plum {

std::wstring SlotScriptName(int slot) {
  return L"plum_dock" + DecimalText(static_cast<unsigned long>(slot)) + L".bat";
}

DockFiles DockFilesIn(const std::wstring& appFolder, const std::wstring& dataFolder) {
  DockFiles files{
      appFolder, dataFolder, dataFolder + kSettingsFileName, {}, dataFolder + L"plum_viewer.java"};
  if (dataFolder != appFolder) files.adminSettingsFile = appFolder + kSettingsFileName;
  return files;
}

}  // namespace plum
