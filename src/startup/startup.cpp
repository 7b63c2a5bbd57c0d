#include "startup/startup.h"

#include <shlobj.h>

#include "common/dock_files.h"
#include "common/handles.h"
#include "common/paths.h"
#include "common/report.h"
#include "common/slots.h"
#include "common/text.h"
#include "forms/main_form.h"
#include "forms/set_form.h"
#include "settings/settings_file.h"

namespace plum {
namespace {

// Whether the dock keeps its files in the app folder `folder`: on a local or
// removable drive (never on a network), and only when a file can be created
// and removed there as this user, which one file of its own tells.
bool KeepsFilesIn(const std::wstring& folder) {
  if (folder.rfind(L"\\\\", 0) == 0) return false;  // \\server\share
  const UINT drive = GetDriveTypeW(folder.substr(0, 3).c_str());
  if (drive != DRIVE_FIXED && drive != DRIVE_REMOVABLE && drive != DRIVE_RAMDISK) return false;
  const std::wstring probe =
      Concat({folder, L"plum_dock", DecimalText(GetCurrentProcessId()), L".tmp"});
  const FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.valid();
}

// The user's own folder for the dock's files, "PLUM_DOCK" in the roaming
// application data, created when missing: a folder that cannot be created
// shows in the messages of the first file written there. Empty when the
// system has no such folder for the user.
std::wstring UserDataFolder() {
  wchar_t* known = nullptr;
  const HRESULT found =
      SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &known);
  const TaskText owned(known);
  if (FAILED(found) || !known) return {};
  const std::wstring folder = std::wstring(known) + L"\\PLUM_DOCK\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// The app folder and the data folder, decided once.
DockFiles FindDockFiles() {
  const std::wstring appFolder = AppFolderOf(ExecutablePath());
  if (KeepsFilesIn(appFolder)) return DockFilesIn(appFolder, appFolder);
  const std::wstring user = UserDataFolder();
  return DockFilesIn(appFolder, user.empty() ? appFolder : user);
}

}  // namespace

std::wstring AppFolderOf(std::wstring_view executablePath) {
  std::wstring folder = PlainPath(std::wstring(executablePath));
  folder.resize(folder.find_last_of(L'\\') + 1);
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool StartUp(HINSTANCE instance) {
  // The windows live as long as the program; it ends without unwinding.
  static SetForm setForm;
  static MainForm mainForm;

  const DockFiles files = FindDockFiles();
  const std::wstring& settingsFile = files.settingsFile;

  if (!setForm.Create(instance, settingsFile)) return false;
  if (!mainForm.Create(instance, setForm, files)) return false;
  setForm.SetOwner(mainForm.hwnd());

  // The first default that could not be stored, and why.
  SettingRead unstored;
  const auto keep = [&unstored](SettingRead read) {
    if (!read.stored && unstored.stored) unstored = read;
    return std::move(read.value);
  };
  for (int slot = 0; slot < kSlotCount; ++slot)
    setForm.SetToolCommand(
        slot, keep(ReadStartSetting(kSectionPath, kSlotKeys[slot], settingsFile,
                                    files.adminSettingsFile, kDefaultToolCommands[slot])));
  setForm.SetAlwaysInFrontState(AlwaysInFrontFromText(keep(ReadStartSetting(
      kSectionCheck, kKeyTop, settingsFile, files.adminSettingsFile, kDefaultTop))));

  mainForm.Show();
  const HRESULT drops = mainForm.AcceptDrops();
  if (!unstored.stored) {
    const std::wstring message = Concat({L"設定ファイル ", settingsFile, L" に書き込めません。\n",
                                         unstored.reason, unstored.reason.empty() ? L"" : L"\n",
                                         L"既定の設定で動作します。設定の変更は保存されません。"});
    ReportFailure(mainForm.hwnd(), message.c_str());
  }
  if (FAILED(drops)) {
    const std::wstring message =
        L"ドラッグ＆ドロップを準備できません。スロットへのドロップは使えません。\n" +
        SystemMessage(static_cast<DWORD>(drops));
    ReportFailure(mainForm.hwnd(), message.c_str());
  }
  return true;
}

}  // namespace plum
