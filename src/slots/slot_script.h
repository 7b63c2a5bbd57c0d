// Slot scripts: the batch file "plum_dock<slot>.bat" in the app folder that
// runs a slot's tool on a dropped file, in that file's folder.
#pragma once

#include <string>

#include "common/report.h"

namespace plum {

// "plum_dock0.bat" .. "plum_dock2.bat", and the same under the app folder
// (which ends in a backslash).
std::wstring SlotScriptName(int slot);
std::wstring SlotScriptPath(const std::wstring& appFolder, int slot);

// Writes the script of `slot` for a file dropped at `droppedPath`, running
// `toolCommand`. Text goes out in the console's code page (the one cmd.exe
// reads batch files in). Either the whole new script is in place or the old
// one is left untouched and `message` says why. A script that a running
// cmd.exe holds open is rewritten in place.
Outcome WriteSlotScript(int slot, const std::wstring& droppedPath, const std::wstring& appFolder,
                        const std::wstring& toolCommand);

}  // namespace plum
