#include "startup/startup.h"

#include "common/report.h"
#include "common/slots.h"
#include "common/text.h"
#include "forms/main_form.h"
#include "forms/set_form.h"
#include "settings/settings_file.h"

namespace plum {
namespace {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::wstring AppFolderOf(std::wstring_view executablePath) {
  std::wstring folder(executablePath.substr(0, executablePath.find_last_of(L'\\') + 1));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool StartUp(HINSTANCE instance) {
  // The windows live as long as the program; it ends without unwinding.
  static SetForm setForm;
  static MainForm mainForm;

  const std::wstring appFolder = AppFolderOf(ExecutablePath());
  const std::wstring settingsFile = appFolder + kSettingsFileName;

  if (!setForm.Create(instance, settingsFile)) return false;
  if (!mainForm.Create(instance, setForm, appFolder)) return false;
  setForm.SetOwner(mainForm.hwnd());

  bool stored = true;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SettingRead read = ReadSettingOrDefault(kSectionPath, kSlotKeys[slot], settingsFile,
                                            kDefaultToolCommands[slot]);
    setForm.SetToolCommand(slot, read.value);
    stored = stored && read.stored;
  }
  SettingRead top = ReadSettingOrDefault(kSectionCheck, kKeyTop, settingsFile, kDefaultTop);
  stored = stored && top.stored;
  setForm.SetAlwaysInFrontState(AlwaysInFrontFromText(top.value));

  mainForm.Show();
  const HRESULT drops = mainForm.AcceptDrops();
  if (!stored) {
    const std::wstring message = L"設定ファイル " + settingsFile +
                                 L" に書き込めません。\n"
                                 L"既定の設定で動作します。設定の変更は保存されません。";
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
