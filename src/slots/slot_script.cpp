#include "slots/slot_script.h"

#include <windows.h>

#include "common/file_replace.h"
#include "common/paths.h"
#include "common/text.h"
#include "slots/jdk_finder.h"

namespace plum {
namespace {

// A dropped file's bytes, a source or class file whole; none when it cannot
// be read: the plan then takes the file as plain text.
std::string ReadDropped(const std::wstring& path) { return ReadFileStart(path, 4 << 20); }

}  // namespace

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
  system.drop.javaVersion = JavaVersionOfProgram;
  system.drop.contents = ReadDropped;
  system.drop.lastWritten = LastWritten;
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
