#include "slots/slot_script.h"

#include <windows.h>

#include "common/file_replace.h"
#include "common/paths.h"
#include "common/text.h"
#include "res/resource.h"
#include "slots/jdk_finder.h"

namespace plum {
namespace {

// A dropped file's bytes, a source or class file whole; none when it cannot
// be read: the plan then takes the file as plain text.
std::string ReadDropped(const std::wstring& path) { return ReadFileStart(path, 4 << 20); }

// Puts the applet viewer the program carries at `path`, unless it is there
// as it is. 0, or the system's error.
DWORD PlaceViewer(const std::wstring& path) {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_VIEWER), RT_RCDATA);
  const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return GetLastError() ? GetLastError() : ERROR_RESOURCE_DATA_NOT_FOUND;
  const std::string text(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
  if (ReadFileStart(path, static_cast<DWORD>(text.size() + 1)) == text) return 0;
  return ReplaceFileContents(path, text).error;
}

}  // namespace

ScriptText ScriptForDrop(int slot, const std::wstring& droppedPath, const std::wstring& toolCommand,
                         const std::wstring& viewer, const SystemAnswers& system) {
  DroppedPath dropped;
  ScriptText refused;
  if (!SplitDroppedPath(droppedPath, &dropped, &refused.refusal)) return refused;
  const DropFacts drop =
      ResolveDrop(slot, std::move(dropped), toolCommand, system.ansiCodePage, system.drop);
  return ComposeSlotScript(PlanSlotRun(drop, viewer), system.consoleCodePage, system.shortForm);
}

Outcome WriteSlotScript(const std::wstring& scriptPath, int slot, const std::wstring& droppedPath,
                        const std::wstring& toolCommand, const std::wstring& viewer) {
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
  ScriptText script = ScriptForDrop(slot, droppedPath, toolCommand, viewer, system);
  if (script.viewer) {
    if (const DWORD error = PlaceViewer(viewer))
      return Failed(
          Concat({L"アプレットビュワー ", viewer, L" を書けません。\n", SystemMessage(error)}));
  }
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
