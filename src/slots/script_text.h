// The text of a slot script, composed from the drop and from what the system
// says of the paths involved, handed in as values: nothing here touches a
// file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace plum {

// What a drop runs, before any cmd.exe form is given to it.
// The folder, name and tool are views of the drop and the facts it was
// planned from, which outlive it.
struct SlotRun {
  std::wstring_view folder;    // where the tool runs
  std::wstring_view name;      // the dropped file's name, for messages
  std::wstring_view tool;      // the tool command as typed, or a program's full path
  bool toolNamesFile = false;  // `tool` names an existing file as a whole
  // What follows the tool before the file, as cmd.exe reads it: the options
  // typed after a bare command whose program was found, then -jar or
  // -encoding and its name; each word ends in a space.
  std::wstring options;
  std::wstring argument;  // the file, as one argument
};

// What the system says of the paths, asked by the writer.
struct PathFacts {
  UINT codePage = 0;         // the console's, in which cmd.exe reads the script
  std::wstring shortFolder;  // the short form of the folder; empty when it has none
  std::wstring shortTool;    // the short form of the tool's file; likewise
};

// The script's text, or why it cannot be written (naming the folder, file
// name or tool command and the character or length that stops it).
struct ScriptText {
  std::wstring text;
  std::wstring refusal;
  bool ok() const { return refusal.empty(); }
};

// The longest folder cmd.exe can make its current folder: MAX_PATH less the
// closing backslash and NUL the system adds.
inline constexpr size_t kMaxScriptFolder = MAX_PATH - 2;

struct DroppedPath {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};
// Splits at the last backslash; `refusal` when the path has none.
bool SplitDroppedPath(std::wstring_view path, DroppedPath* parts, std::wstring* refusal);

// Whether `folder` can go on the folder line as it stands; when not, the
// writer asks for its short form.
bool FolderFitsAsItStands(std::wstring_view folder, UINT codePage);

// The five lines of the slot script for `run`, each ended by CR LF.
ScriptText ComposeSlotScript(const SlotRun& run, const PathFacts& facts);

}  // namespace plum
