#include "slots/slot_script.h"

#include <windows.h>

#include "common/file_replace.h"
#include "common/paths.h"
#include "common/text.h"
#include "slots/jdk_tools.h"
#include "slots/script_text.h"

namespace plum {
namespace {

bool NamesFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The short form of `folder`, asked for as a folder (a bare drive with its
// backslash).
std::wstring ShortFolderOf(const std::wstring& folder) {
  return ShortPathOf(folder.size() == 2 && folder[1] == L':' ? folder + L"\\" : folder);
}

}  // namespace

std::wstring SlotScriptName(int slot) {
  return L"plum_dock" + DecimalText(static_cast<unsigned long>(slot)) + L".bat";
}

std::wstring SlotScriptPath(const std::wstring& appFolder, int slot) {
  return appFolder + SlotScriptName(slot);
}

Outcome WriteSlotScript(int slot, const std::wstring& droppedPath, const std::wstring& appFolder,
                        const std::wstring& toolCommand) {
  const std::wstring scriptPath = SlotScriptPath(appFolder, slot);
  const std::wstring cannotWrite = L"スクリプト " + scriptPath + L" を書けません。\n";
  DroppedPath dropped;
  std::wstring refusal;
  if (!SplitDroppedPath(droppedPath, &dropped, &refusal)) return {false, cannotWrite + refusal};

  SlotRun run;
  run.folder = dropped.folder;
  run.name = dropped.name;
  run.tool = toolCommand;
  run.toolNamesFile = NamesFile(toolCommand);
  run.arguments = ToolArguments(slot, ProgramName(toolCommand, run.toolNamesFile), dropped.name);

  PathFacts facts;
  facts.codePage = GetOEMCP();
  if (!FolderFitsAsItStands(run.folder, facts.codePage))
    facts.shortFolder = ShortFolderOf(run.folder);
  if (run.toolNamesFile && !EncodeText(toolCommand, facts.codePage).ok())
    facts.shortTool = ShortPathOf(toolCommand);
  const ScriptText script = ComposeSlotScript(run, facts);
  if (!script.ok()) return {false, cannotWrite + script.refusal};

  // Folder, name and tool are known to fit; only the banner may not, on a
  // system whose console code page has no Japanese, and it is only a banner.
  if (const DWORD error =
          ReplaceFileContents(scriptPath, EncodeOrSubstitute(script.text, facts.codePage)))
    return {false, cannotWrite + SystemMessage(error)};
  return {};
}

}  // namespace plum
