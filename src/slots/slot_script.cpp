#include "slots/slot_script.h"

#include <windows.h>

#include "common/file_replace.h"
#include "common/handles.h"
#include "common/paths.h"
#include "common/text.h"
#include "slots/jdk_finder.h"
#include "slots/jdk_tools.h"
#include "slots/script_text.h"

namespace plum {
namespace {

// The short form of `folder`, asked for as a folder (a bare drive with its
// backslash).
std::wstring ShortFolderOf(const std::wstring& folder) {
  return ShortPathOf(folder.size() == 2 && folder[1] == L':' ? folder + L"\\" : folder);
}

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

// The script for a file dropped at `droppedPath` on `slot`, from what the
// system says of the file, the tool and their paths; or why there is none.
ScriptText ScriptFor(int slot, const std::wstring& droppedPath, const std::wstring& toolCommand,
                     UINT codePage) {
  DroppedPath dropped;
  ScriptText refused;
  if (!SplitDroppedPath(droppedPath, &dropped, &refused.refusal)) return refused;

  DropFacts drop;
  drop.toolNamesFile = IsExistingFile(toolCommand);
  drop.ansiCodePage = GetACP();
  const std::wstring_view program = ProgramName(toolCommand, drop.toolNamesFile);
  if (ReadsContents(slot, program, dropped.name)) drop.contents = ReadHead(droppedPath);
  // A bare command that the PATH does not reach: a JDK installed off it.
  const std::optional<BareCommand> bare = SplitBareCommand(toolCommand);
  if (bare && !drop.toolNamesFile && !FoundOnPath(bare->program))
    drop.foundProgram = FindInstalledJdkProgram(std::wstring(program));
  const SlotRun run = PlanSlotRun(slot, dropped, toolCommand, drop);

  PathFacts facts;
  facts.codePage = codePage;
  if (!FolderFitsAsItStands(run.folder, codePage))
    facts.shortFolder = ShortFolderOf(std::wstring(run.folder));
  if (run.toolNamesFile && !EncodeText(run.tool, codePage).ok())
    facts.shortTool = ShortPathOf(std::wstring(run.tool));
  return ComposeSlotScript(run, facts);
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
  const UINT codePage = GetOEMCP();
  ScriptText script = ScriptFor(slot, droppedPath, toolCommand, codePage);
  // Folder, name and tool are known to fit; only the banner may not, on a
  // system whose console code page has no Japanese, and it is only a banner.
  if (script.ok())
    if (const DWORD error =
            ReplaceFileContents(scriptPath, EncodeOrSubstitute(script.text, codePage)))
      script.refusal = SystemMessage(error);
  if (script.ok()) return Succeeded();
  return Failed(Concat({L"スクリプト ", scriptPath, L" を書けません。\n", script.refusal}));
}

}  // namespace plum
