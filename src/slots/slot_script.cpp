#include "slots/slot_script.h"

#include <windows.h>

#include "common/file_replace.h"
#include "common/handles.h"
#include "common/paths.h"
#include "common/text.h"
#include "slots/jdk_finder.h"

namespace plum {
namespace {

// The first bytes of the file `path` (a source or class file is read whole);
// none when it cannot be read: the plan then takes the file as plain text.
std::string ReadHead(const std::wstring& path) {
  constexpr DWORD kMost = 4 << 20;
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  const DWORD size = GetFileSize(file.get(), nullptr);
  std::string bytes(size == INVALID_FILE_SIZE || size > kMost ? kMost : size, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return {};
  bytes.resize(read);
  return bytes;
}

}  // namespace

std::wstring SlotScriptName(int slot) {
  return L"plum_dock" + DecimalText(static_cast<unsigned long>(slot)) + L".bat";
}

std::wstring SlotScriptPath(const std::wstring& appFolder, int slot) {
  return appFolder + SlotScriptName(slot);
}

ScriptText ScriptForDrop(int slot, const std::wstring& droppedPath, const std::wstring& toolCommand,
                         const SystemAnswers& system) {
  DroppedPath dropped;
  ScriptText refused;
  if (!SplitDroppedPath(droppedPath, &dropped, &refused.refusal)) return refused;
  const DropFacts drop =
      ResolveDrop(slot, std::move(dropped), toolCommand, system.ansiCodePage, system.drop);
  return ComposeSlotScript(PlanSlotRun(drop), system.consoleCodePage, system.shortForm);
}

Outcome WriteSlotScript(const std::wstring& scriptPath, int slot, const std::wstring& droppedPath,
                        const std::wstring& toolCommand) {
  SystemAnswers system;
  system.drop.isFile = IsExistingFile;
  system.drop.onPath = ProgramOnPath;
  system.drop.installedJdk = FindInstalledJdkProgram;
  system.drop.contents = ReadHead;
  system.shortForm = ShortPathOf;
  system.consoleCodePage = GetOEMCP();
  system.ansiCodePage = GetACP();
  ScriptText script = ScriptForDrop(slot, droppedPath, toolCommand, system);
  // Folder, name and tool are known to fit; only the banner may not, on a
  // system whose console code page has no Japanese, and it is only a banner.
  if (script.ok()) {
    const Replacement replaced =
        ReplaceFileContents(scriptPath, EncodeOrSubstitute(script.text, system.consoleCodePage));
    if (!replaced.error) return Succeeded();
    script.refusal = Concat(
        {SystemMessage(replaced.error),
         replaced.damaged ? L"\n元の内容にも戻せなかったため、スクリプトは途中までしか書かれて"
                            L"いないかもしれません。もう一度ドロップしてください。"
                          : L""});
  }
  return Failed(Concat({L"スクリプト ", scriptPath, L" を書けません。\n", script.refusal}));
}

}  // namespace plum
