// Slot scripts: the batch file "plum_dock<slot>.bat" in the data folder that
// runs a slot's tool on a dropped file, in that file's folder.
#pragma once

#include <windows.h>

#include <string>

#include "common/report.h"
#include "slots/jdk_tools.h"
#include "slots/script_text.h"

namespace plum {

// What the system answers for a drop: the file's bytes, the tool's program,
// the short forms, and the code pages.
struct SystemAnswers {
  DropLookups drop;
  ShortFormLookup shortForm;
  UINT consoleCodePage = 0;  // the one cmd.exe reads batch files in
  UINT ansiCodePage = 0;     // the system's
};

// The script's text for a file dropped at `droppedPath` on `slot`, running
// `toolCommand`, from what `system` answers, with the applet viewer at
// `viewer`; or why there is none.
ScriptText ScriptForDrop(int slot, const std::wstring& droppedPath, const std::wstring& toolCommand,
                         const std::wstring& viewer, const SystemAnswers& system);

// Writes the script `scriptPath` of `slot` for a file dropped at
// `droppedPath`, running `toolCommand`: ScriptForDrop with the system's own
// answers. Text goes out in the console's code page. Either the whole new
// script is in place or the old one is left untouched and `message` says
// why. A script that a running cmd.exe holds open is rewritten in place.
// A script that runs the applet viewer first puts the viewer's text, which
// the program carries, at `viewer`, unless the file already holds it.
Outcome WriteSlotScript(const std::wstring& scriptPath, int slot, const std::wstring& droppedPath,
                        const std::wstring& toolCommand, const std::wstring& viewer);

}  // namespace plum
