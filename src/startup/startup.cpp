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

  // The first default that could not be stored, and why.
  SettingRead unstored;
  const auto keep = [&unstored](SettingRead read) {
    if (!read.stored && unstored.stored) unstored = read;
    return std::move(read.value);
  };
  for (int slot = 0; slot < kSlotCount; ++slot)
    setForm.SetToolCommand(slot,
                           keep(ReadSettingOrDefault(kSectionPath, kSlotKeys[slot], settingsFile,
                                                     kDefaultToolCommands[slot])));
  setForm.SetAlwaysInFrontState(AlwaysInFrontFromText(
      keep(ReadSettingOrDefault(kSectionCheck, kKeyTop, settingsFile, kDefaultTop))));

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
