// Slot scripts: the batch file "plum_dock<slot>.bat" in the app folder that
// runs a slot's tool on a dropped file, in that file's folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plum {

inline constexpr int kSlotCount = 3;

// "plum_dock0.bat" .. "plum_dock2.bat", and the same under the app folder
// (which ends in a backslash).
std::wstring SlotScriptName(int slot);
std::wstring SlotScriptPath(const std::wstring& appFolder, int slot);

struct DroppedPath {
  std::wstring folder;  // everything before the last backslash
  std::wstring name;    // everything after it
};
// Splits at the last backslash; nothing when the path has none.
std::optional<DroppedPath> SplitDroppedPath(std::wstring_view path);

// The folder as the script's "cd /d" line writes it: a bare drive gets its
// backslash back ("D:" names the drive's current folder, "D:\" its root), and
// every % is doubled so that cmd.exe does not expand it.
std::wstring ScriptFolder(std::wstring_view folder);

// The file name as one argument of the tool: bare when cmd.exe passes every
// character through as it is, otherwise in double quotes; % doubled.
std::wstring ScriptArgument(std::wstring_view name);

// Whether `tool` (the command as typed: a bare name, a path, a quoted path,
// with or without options after it; `namesFile` when it names an existing
// file as a whole) runs the Java launcher, java or javaw.
bool IsJavaLauncher(std::wstring_view tool, bool namesFile);

// What follows the tool on its line for the dropped `name`: the name as one
// argument, except on the launcher slot when `launcher` runs there, which
// takes a class name (Hello.class runs as "Hello") and a jar after -jar.
std::wstring ToolArguments(int slot, bool launcher, std::wstring_view name);

// The longest folder cmd.exe can make its current folder: MAX_PATH less the
// closing backslash and NUL the system adds.
inline constexpr size_t kMaxScriptFolder = 258;

// The tool command as typed, except when it names an existing file as a
// whole (`namesFile`) and is not quoted yet: then it is quoted when any of
// its characters means something to cmd.exe, and every % is doubled.
std::wstring ScriptToolCommand(std::wstring_view tool, bool namesFile);

// The five lines of a slot script, each ended by CR LF. The second ends the
// batch when the folder cannot be entered, so the tool never runs elsewhere
// and cmd.exe's error stays on the screen; a network folder (\\server\share)
// is entered with pushd, which lends it a drive letter, and left with popd.
// The fifth ends the batch on the same line. The arguments are in their final
// written form (see the functions above).
std::wstring ComposeSlotScript(std::wstring_view tool, std::wstring_view folder,
                               std::wstring_view argument);

struct ScriptOutcome {
  bool ok = true;
  std::wstring message;  // for the user, in Japanese, when !ok
};

// Writes the script of `slot` for a file dropped at `droppedPath`, running
// `toolCommand`. Text goes out in the console's code page (the one cmd.exe
// reads batch files in). Either the whole new script is in place or the old
// one is left untouched and `message` says why. A script that a running
// cmd.exe holds open is rewritten in place.
ScriptOutcome WriteSlotScript(int slot, const std::wstring& droppedPath,
                              const std::wstring& appFolder, const std::wstring& toolCommand);

}  // namespace plum
