// The text of a slot script, composed from the drop and from what the system
// says of the paths involved, handed in as values: nothing here touches a
// file.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "slots/slot_run.h"

namespace plum {

// The short form of an existing file or folder (a folder given with its
// backslash when it is a bare drive); empty when it has none. The composer
// asks for it only when a path cannot go into the script as it stands.
using ShortFormLookup = std::function<std::wstring(const std::wstring& path)>;

// The script's text, or why it cannot be written (naming the folder, file
// name or tool command and the character or length that stops it).
struct ScriptText {
  std::wstring text;
  std::wstring refusal;
  bool viewer = false;  // it runs the dock's applet viewer
  bool ok() const { return refusal.empty(); }
};

// The longest folder cmd.exe can make its current folder: MAX_PATH less the
// closing backslash and NUL the system adds.
inline constexpr size_t kMaxScriptFolder = MAX_PATH - 2;

// Splits at the last backslash; `refusal` when the path has none.
bool SplitDroppedPath(std::wstring_view path, DroppedPath* parts, std::wstring* refusal);

// The five lines of the slot script for `run`, each ended by CR LF, for
// cmd.exe reading them in `codePage`. The folder and the tool go as they
// stand when they fit, else by their short forms, else the drop is refused.
ScriptText ComposeSlotScript(const SlotRun& run, UINT codePage, const ShortFormLookup& shortForm);

}  // namespace plum
